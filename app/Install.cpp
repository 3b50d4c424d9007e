// Entry point of Install.exe: start-up and shutdown in their fixed order.
// The shared units are initialised by explicit calls here, never by the order
// of static constructors, and finalised in reverse.
#include <windows.h>
#include <commctrl.h>

#include "app/Decoration.h"
#include "app/Main.h"
#include "app/Unattended.h"
#include "app/Uninstall.h"
#include "platform/AppError.h"
#include "platform/Com.h"
#include "platform/ErrorBox.h"
#include "platform/SystemLibrary.h"
#include "platform/WinUtil.h"
#include "shared/VL_Common_Const.h"
#include "shared/VL_Common_Proc.h"
#include "shared/VL_Common_Var.h"
#include "shared/unitMyLog.h"
#include "windows/ApplicationWindow.h"
#include "windows/ScreenMonitorManager.h"
#include "windows/WaitRun.h"

namespace {

// The hidden launch-progress window is no part of the first page: it is made
// on a timer's turn, which comes once the page has been painted and the
// program has waited for input. A failure ends the program, as at start-up.
HINSTANCE WaitRunInstance = nullptr;

void CALLBACK CreateWaitRunNow(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    try {
        CreateWaitRun(WaitRunInstance);
    } catch (const EAppError& e) {
        ShowErrorBox(nullptr, e.Message());
        if (FMain) DestroyWindow(FMain->Handle());
    }
}

void CreateWaitRunAfterFirstPaint(HINSTANCE instance) {
    WaitRunInstance = instance;
    if (!SetTimer(nullptr, 0, USER_TIMER_MINIMUM, CreateWaitRunNow)) CreateWaitRun(instance);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // The uninstaller's last step, from its copy in the temporary folder.
    if (const int removed = RunUninstallerRemovalIfAsked(GetCommandLineW()); removed >= 0) return removed;
    // Switches first: /? and a bad command line end here, having written nothing.
    TSwitches switches = ParseSwitches(GetCommandLineW());
    RefuseUninstallOutsideInstallation(switches);
    if (const int answered = AnswerCommandLine(switches, InteractiveWindowStation()); answered >= 0)
        return answered;
    const bool unattended = switches.Mode != TRunMode::Wizard;
    if (unattended) KeepSystemBoxesAway();
    const TInstallMutex oneInstallation;
    if (unattended && !oneInstallation.Owned()) {
        WriteAlreadyRunning(switches);
        return ExitAlreadyRunning;
    }

    // The program runs from a media folder that may hold anything: DLLs loaded
    // from here on come from System32 (ours by full path, see SystemLibrary.h).
    RestrictDllSearchToSystem32();

    // The window's images decode on a thread of their own while the units
    // start and the windows are made.
    if (!unattended) PreloadDecorImages(instance);

    // 1. Shared units, in order: constants (static data), log, settings, tables.
    InitMyLog();
    InitCommonVars();
    LoadLanguageTexts();

    // 2. The program folder becomes the current folder (a failure is ignored).
    SetCurrentDirectoryW(ExeFolder().c_str());

    // 3. Screen manager with monitor 0 as the working monitor.
    CreateScreenManager();
    SelectMonitor(0);

    // 4. The application: COM on this thread (single-threaded apartment), controls.
    // The apartment is left last, after the units below have finalised.
    const TComApartment com;
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);

    int exitCode = 0;
    if (switches.Uninstall) {
        try {
            exitCode = RunUninstall(instance, switches, oneInstallation.Owned());
        } catch (const EAppError&) {
            exitCode = ExitFatalError;  // a window of the removal could not be made
        }
        DestroyApplicationWindow();
    } else if (unattended) {
        try {
            // /SILENT's main window sits under the application window, as the wizard's.
            if (switches.Mode == TRunMode::Silent) CreateApplicationWindow(instance, ApplicationTitle);
            exitCode = RunUnattended(instance, switches);
        } catch (const EAppError&) {
            exitCode = ExitFatalError;  // the main window of /SILENT could not be made
        }
        DestroyApplicationWindow();
    } else {
        TFMain mainWindow;
        try {
            // The application window carries the title on the taskbar and owns
            // the others. 5. The main window, shown and painted; 6. the hidden
            // launch-progress window, once the first page has been painted.
            CreateApplicationWindow(instance, ApplicationTitle);
            mainWindow.Create(instance);
            ShowWindow(mainWindow.Handle(), SW_SHOWNORMAL);
            UpdateWindow(mainWindow.Handle());
            CreateWaitRunAfterFirstPaint(instance);
            // 7. The message loop, until the main window has closed.
            mainWindow.Run();
        } catch (const EAppError& e) {
            ShowErrorBox(nullptr, e.Message());
        }
        DestroyWaitRun();
        DestroyApplicationWindow();
        FMain = nullptr;
    }

    // Shutdown: the units finalise in reverse order.
    FinalizeCommonProc();
    FinalizeCommonVars();
    FinalizeMyLog();
    FinalizeCommonConst();
    return exitCode;
}
