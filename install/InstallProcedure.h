// The installation procedure: every step from the press of "Начать установку"
// to the end, in its order and with its stop rules. It knows no window: lines
// go to an IProgressLog, questions and the window's turns to an IInstallHost.
// The program runs it on a thread of its own (app/InstallRun), so the window
// keeps answering; the tests run it on theirs.
#pragma once
#include <string>
#include <thread>

#include <vector>

#include "install/ProgressLog.h"

class IProgramStarter;
class TInstallLog;
class TInstallLogMirror;

// What the operator chose on the wizard's pages (or the switches said).
struct TInstallChoices {
    std::wstring Target;     // installation folder as the path page left it, with "\"
    bool Driver = true;      // "Устанавливать драйвер"
    int WindowsChoice = 0;   // engine runtime set (index of CBWindows)
    bool ProductVariant = false;  // the variant that gets btooth.ini
    // A database and settings files already in the folder stay as they are
    // (unattended runs, unless told otherwise); the wizard replaces them.
    bool KeepExistingData = false;
    bool KeepExistingSettings = false;
    // How long a driver installer or release script is waited for (0: no limit).
    unsigned long WaitLimitMs = 0;
    // The shortcut on the desktop all users share (unattended runs).
    bool CommonDesktop = false;
};

inline const wchar_t* const FinalQuestion = L"Установка завершена. Выйти из программы установки?";

// The questions the procedure asks and what it needs from whoever shows it.
class IInstallHost {
public:
    virtual ~IInstallHost() = default;
    // The emptied progress list is shown on its page.
    virtual void ShowProgressPage() = 0;
    // The main stage: the installer may not close meanwhile (hourglass cursor).
    virtual void SetMainStage(bool active) = 0;
    // The driver's Yes/No before its installer runs; true for Yes.
    virtual bool ConfirmDriver(const std::wstring& question) = 0;
    // Every step ran: "Выход" may be used now.
    virtual void EnableExit() = 0;
    // False when nobody is there (unattended runs): no consent prompt for the
    // driver, no font-size check, no large-font page, no final question.
    virtual bool OperatorPresent() const = 0;
    // The ending on a small-font screen.
    virtual void ShowLargeFontPage() = 0;
    // The final question; true for Yes, which closes the installer.
    virtual bool ConfirmFinished(const std::wstring& question) = 0;
    virtual void CloseInstaller() = 0;
};

enum class TInstallResult {
    Completed,   // every step ran
    Incomplete,  // every step ran, but one did not do its work; Install.log says which
    Stopped,     // a stop rule or an error ended the run; what the operator saw says why
};

class TInstallProcedure {
public:
    // source: the distribution folder (where Install.exe runs from), with "\".
    // logFile: a second copy of Install.log (empty: none). timeStamps: each line
    // of both files starts with its local time, for unattended runs.
    TInstallProcedure(IProgressLog& log, IInstallHost& host, TInstallChoices choices,
                      std::wstring source, std::wstring logFile = {}, bool timeStamps = false);

    // Programs (the driver installer) are started through this one (tests).
    void UseProgramStarter(IProgramStarter& starter) { FStarter = &starter; }

    // Runs every step once, up to "Выход" enabled. Errors that would end the
    // user action are shown through the log's ShowError (and Install.log) and
    // give Stopped. Needs COM on the calling thread (shortcut, release file).
    TInstallResult Run();

    // The ending after a run that was not stopped, on the window's thread: the
    // large-font page on a small-font screen, otherwise the final question.
    void Finish();

    ~TInstallProcedure();
    TInstallProcedure(const TInstallProcedure&) = delete;
    TInstallProcedure& operator=(const TInstallProcedure&) = delete;

private:
    bool PrepareTarget(IProgressLog& log, TInstallLog& installLog);
    bool MainStage(TInstallLogMirror& log);
    void InstallFonts(TInstallLogMirror& log);
    void InstallDriver(TInstallLogMirror& log);
    void CheckMainProgram(TInstallLogMirror& log);
    void CreateDesktopShortcut(TInstallLogMirror& log);
    void WriteMarker(const std::wstring& level);
    void OpenFallbackLog(TInstallLog& installLog) const;
    void WaitForLastNum();

    IProgressLog& FLog;
    IInstallHost& FHost;
    TInstallChoices FChoices;
    std::wstring FSource;
    std::wstring FLogFile;
    bool FTimeStamps;
    IProgramStarter* FStarter;
    std::vector<std::wstring> FFailures;  // steps that ran without doing their work
    std::thread FLastNum;  // lastnum.dta, written beside the later steps
    std::wstring FShortcut;  // the desktop link as written, for the removal
};
