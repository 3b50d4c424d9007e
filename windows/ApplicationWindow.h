// The application's own window. It has no size and sits off the screen, so it
// is never seen; it is the program's button on the taskbar, named with the
// application title, and it owns the program's other windows, which therefore
// get no button of their own. Activation (a click on the button, Alt+Tab),
// minimising and closing from the taskbar are passed on to the main window.
#pragma once
#include <windows.h>
#include <string>

class TApplicationWindow {
public:
    TApplicationWindow() = default;
    ~TApplicationWindow();
    TApplicationWindow(const TApplicationWindow&) = delete;
    TApplicationWindow& operator=(const TApplicationWindow&) = delete;

    static const wchar_t* ClassName() { return L"TApplicationWindow"; }

    // Creates the window, visible, with the title; throws EAppError on failure.
    void Create(HINSTANCE instance, const std::wstring& title);
    HWND Handle() const { return FHandle; }

    // The window that takes activation and close requests.
    void SetMainWindow(HWND window) { FMainWindow = window; }
    // Minimises the program: the button stays, every window it owns is hidden
    // until the button restores it.
    void Minimize();

private:
    HWND FHandle = nullptr;
    HWND FMainWindow = nullptr;
    bool FMinimized = false;
    void ActivateTopWindow();
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

extern TApplicationWindow* Application;

// Creates Application at start-up, before any other window.
void CreateApplicationWindow(HINSTANCE instance, const std::wstring& title);
// Destroys it at program end.
void DestroyApplicationWindow();
// Owner for the program's top-level windows; nullptr when there is none (a
// window created on its own, as in the tests of single windows).
HWND ApplicationHandle();
