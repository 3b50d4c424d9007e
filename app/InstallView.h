// What an installation run needs from the window that shows it (TFMain). Every
// call is made on the window's thread: the run carries its questions and pages
// there (RunOnWindowThread) and posts its lines and the copy's progress.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

class TInstallRun;

// Posted to the view when the run's thread has ended; lParam is the TInstallRun.
inline constexpr UINT WM_INSTALL_RUN_ENDED = WM_APP + 0x3F01;
// Posted while a long copy runs; wParam is per mille done, or -1 to hide.
inline constexpr UINT WM_INSTALL_COPY_PROGRESS = WM_APP + 0x3F02;
// Posted when lines wait to be shown; lParam is the TInstallRun, whose
// ShowPendingLines the view calls.
inline constexpr UINT WM_INSTALL_SHOW_LINES = WM_APP + 0x3F03;

class IInstallView {
public:
    virtual ~IInstallView() = default;
    virtual HWND ViewHandle() const = 0;
    virtual void RunOnWindowThread(const std::function<void()>& work) = 0;

    // A run starts or has ended: the window refuses to close in between.
    virtual void SetRunActive(bool active) = 0;
    virtual void ShowProgressPage() = 0;
    virtual void SetMainStage(bool active) = 0;
    virtual void EnableExit() = 0;
    virtual int AddLine(const std::wstring& line) = 0;
    virtual void CompleteLine(int index, bool ok) = 0;
    virtual void ShowError(const std::wstring& text) = 0;
    virtual bool Confirm(const std::wstring& text) = 0;
    virtual void ShowLargeFontPage() = 0;
    virtual void CloseInstaller() = 0;
};

// The main window showing only its progress page, for /SILENT (app/Main.cpp).
std::unique_ptr<IInstallView> CreateSilentProgressWindow(HINSTANCE instance);
