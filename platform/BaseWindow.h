// The base of the program's top-level windows: `this` is bound at
// WM_NCCREATE, children are made in OnCreate (WM_CREATE), and every message
// goes through one dispatch that catches what a handler raises and reports it
// (ReportError: the standard error box unless a window says otherwise).
#pragma once
#include <windows.h>

#include <exception>
#include <functional>

struct TWindowClassSpec {
    const wchar_t* Name = nullptr;
    WNDPROC Proc = nullptr;  // nullptr: the base's dispatch
    HICON Icon = nullptr;
    HICON SmallIcon = nullptr;
    HBRUSH Background = nullptr;
};

class TBaseWindow {
public:
    TBaseWindow(const TBaseWindow&) = delete;
    TBaseWindow& operator=(const TBaseWindow&) = delete;

    HWND Handle() const { return FHandle; }

    // Registers a class once per program run (later calls keep the first
    // registration); false when the system refuses.
    static bool RegisterWindowClass(HINSTANCE instance, const TWindowClassSpec& spec);

    // Runs a handler outside the window's own messages (a child's procedure);
    // an exception is reported as the dispatch reports it.
    void Guarded(const std::function<void()>& handler);

    // Runs work on the thread that owns the window and waits for it: directly
    // when called there, otherwise through a sent message, which the window's
    // thread takes from any message loop (its own, a message box's, a move).
    // What the work raises is raised again here; EAppError when the window is
    // gone before the work ran.
    void RunOnWindowThread(const std::function<void()>& work);

protected:
    TBaseWindow() = default;
    virtual ~TBaseWindow();
    // Destroys a window that is still there without calling back into the
    // window's handlers. Derived destructors call it before their fonts and
    // images go; the base's destructor calls it again, harmlessly.
    void DestroyHandle();

    // Creates the window of a class registered with the base's dispatch. An
    // exception raised by OnCreate ends creation and is raised again here;
    // a system refusal leaves Handle() null.
    void CreateHandle(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                      int x, int y, int width, int height, HWND parent, HINSTANCE instance);

    virtual void OnCreate() {}
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual void ReportError(std::exception_ptr error);

    HWND FHandle = nullptr;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
    bool FCreating = false;
    std::exception_ptr FCreateError;
};
