// The launch-progress window: an always-on-top status line with a progress
// bar. Created hidden at start-up; it lives until the program ends.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

#include "platform/BaseWindow.h"
#include "platform/Gdi.h"

class TFWaitRun : public TBaseWindow {
public:
    TFWaitRun() = default;
    ~TFWaitRun() override;

    static const wchar_t* ClassName() { return L"TFWaitRun"; }

    // Creates the window hidden and runs FormCreate; throws EAppError on failure.
    void Create(HINSTANCE instance);

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
    TFont FFont;
    int FDpi = 96;
    int Scaled(int value) const;
    void OnCreate() override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

extern TFWaitRun* FWaitRun;

// Creates FWaitRun, hidden, placed on the working monitor.
void CreateWaitRun(HINSTANCE instance);
// Destroys FWaitRun at program end.
void DestroyWaitRun();
