// The launch-progress window: an always-on-top status line with a progress
// bar. Created hidden at start-up; it lives until the program ends.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

class TFWaitRun {
public:
    TFWaitRun() = default;
    ~TFWaitRun();
    TFWaitRun(const TFWaitRun&) = delete;
    TFWaitRun& operator=(const TFWaitRun&) = delete;

    static const wchar_t* ClassName() { return L"TFWaitRun"; }

    // Creates the window hidden and runs FormCreate; throws EAppError on failure.
    void Create(HINSTANCE instance);
    HWND Handle() const { return FHandle; }

    // Selects the title (see WaitRunTitle); 0 when created.
    uint8_t typemessage = 0;

    HWND LblProgress = nullptr;
    HWND ProgressBar = nullptr;

    void FormCreate();
    void FormShow();
    // Advances the bar one step, shows msg and lets the change be drawn now.
    // value is not used. Never raises.
    void Next(int value, const std::wstring& msg);
    void FormDestroy() {}

private:
    HWND FHandle = nullptr;
    HFONT FFont = nullptr;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

extern TFWaitRun* FWaitRun;

// Creates FWaitRun, hidden, placed on the working monitor.
void CreateWaitRun(HINSTANCE instance);
// Destroys FWaitRun at program end.
void DestroyWaitRun();
