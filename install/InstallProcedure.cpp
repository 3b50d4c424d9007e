#include "install/InstallProcedure.h"

#include <windows.h>

#include <map>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

#include "desktop/Fonts.h"
#include "desktop/LargeFont.h"
#include "desktop/Shortcut.h"
#include "install/DatabaseStage.h"
#include "install/DriverStage.h"
#include "install/FileHelpers.h"
#include "install/InstallLog.h"
#include "install/InstallRegistration.h"
#include "install/MediaLayout.h"
#include "install/ProcessRunner.h"
#include "install/ProductStrings.h"
#include "install/SettingsSteps.h"
#include "install/UpdateStage.h"
#include "platform/AppError.h"
#include "platform/ErrorBox.h"
#include "platform/WinUtil.h"
#include "shared/TextCodec.h"
#include "shared/VL_Common_Const.h"

// The operator's log, mirrored line by line into Install.log (and the /LOG file):
// every line, every completed line and every error text.
class TInstallLogMirror : public IProgressLog {
public:
    TInstallLogMirror(IProgressLog& shown, TInstallLog& installLog, TInstallLog* extra, bool stageMarks)
        : FShown(shown), FInstallLog(installLog), FExtra(extra), FStageMarks(stageMarks) {}

    // A line in the files only, where the time stamps show how long each stage took.
    void Stage(const wchar_t* name) {
        if (FStageMarks) Mirror(std::wstring(L"-- ") + name);
    }
    // A line in the files only, not shown to the operator.
    void Note(const std::wstring& text) { Mirror(text); }

    int Add(const std::wstring& line) override {
        const int index = FShown.Add(line);
        FLines[index] = line;
        Mirror(line);
        return index;
    }
    void Complete(int index, bool ok) override {
        FShown.Complete(index, ok);
        const auto found = FLines.find(index);
        if (found == FLines.end()) return;
        found->second += ok ? MarkDone : MarkError;
        Mirror(found->second);
    }
    void ShowError(const std::wstring& text) override {
        Mirror(text);
        FShown.ShowError(text);
    }
    void CopyProgress(unsigned long long done, unsigned long long total) override {
        FShown.CopyProgress(done, total);
    }

private:
    void Mirror(const std::wstring& text) {
        FInstallLog.Line(text);
        if (FExtra) FExtra->Line(text);
    }

    IProgressLog& FShown;
    TInstallLog& FInstallLog;
    TInstallLog* FExtra;
    bool FStageMarks;
    std::map<int, std::wstring> FLines;
};

namespace {

// The main stage: the installer refuses to close and shows the hourglass.
// However the stage is left (normally, by a stop, or by an error), both return.
class TMainStageScope {
public:
    explicit TMainStageScope(IInstallHost& host) : FHost(host) { FHost.SetMainStage(true); }
    ~TMainStageScope() { Leave(); }
    TMainStageScope(const TMainStageScope&) = delete;
    TMainStageScope& operator=(const TMainStageScope&) = delete;
    void Leave() {
        if (FLeft) return;
        FLeft = true;
        FHost.SetMainStage(false);
    }

private:
    IInstallHost& FHost;
    bool FLeft = false;
};

TInstallTime LocalNow() {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

}  // namespace

TInstallProcedure::TInstallProcedure(IProgressLog& log, IInstallHost& host, TInstallChoices choices,
                                     std::wstring source, std::wstring logFile, bool timeStamps)
    : FLog(log), FHost(host), FChoices(std::move(choices)), FSource(std::move(source)),
      FLogFile(std::move(logFile)), FTimeStamps(timeStamps), FStarter(&SystemProgramStarter()) {}

TInstallResult TInstallProcedure::Run() {
    FHost.ShowProgressPage();

    TInstallLog installLog(FSource, FChoices.Target, FTimeStamps);
    std::unique_ptr<TInstallLog> extra;
    if (!FLogFile.empty()) {
        extra = std::make_unique<TInstallLog>(FSource, FChoices.Target, FTimeStamps);
        extra->Open(FLogFile);
    }
    TInstallLogMirror log(FLog, installLog, extra.get(), FTimeStamps);
    try {
        if (!PrepareTarget(log, installLog)) return TInstallResult::Stopped;
        installLog.Open(FChoices.Target + L"Install.log");
        log.Stage(L"settings");
        // The settings file, before the main stage.
        WriteInstallSettings(FChoices.Target);
        if (!MainStage(log)) return TInstallResult::Stopped;
        log.Stage(L"fonts");
        InstallFonts(log);
        if (FChoices.Driver) {
            log.Stage(L"driver");
            InstallDriver(log);
        }
        log.Stage(L"update");
        RunUpdateStage(log, FChoices.Target, FSource);
        log.Stage(L"shortcut");
        CreateDesktopShortcut();
        WaitForLastNum();
        log.Stage(L"registration");
        // The uninstaller, the record of the files and the Programs and Features
        // entry; what fails there is a line, not a failed installation.
        const TRegistration registration = RegisterInstallation(FChoices.Target, FShortcut);
        for (const std::wstring& note : registration.Notes) log.Note(note);
        for (const std::wstring& line : registration.Lines) log.Add(line);
        log.Stage(L"end");
        // The reason of an incomplete run is the last line of Install.log.
        for (const std::wstring& failure : FFailures) log.Note(L"Установка не завершена: " + failure);
    } catch (const std::exception&) {
        WaitForLastNum();
        // The run ends here; the line being worked on keeps no mark.
        log.ShowError(ErrorText(std::current_exception()));
        return TInstallResult::Stopped;
    }
    FHost.EnableExit();
    return FFailures.empty() ? TInstallResult::Completed : TInstallResult::Incomplete;
}

// The installation folder, created when missing; false when it cannot be.
bool TInstallProcedure::PrepareTarget(IProgressLog& log, TInstallLog& installLog) {
    const std::wstring& target = FChoices.Target;
    if (DirectoryExists(target)) return true;
    if (!CreateDirectoryW(target.c_str(), nullptr)) {
        log.ShowError(L"Ошибка при создании каталога!");
        log.Add(L"Ошибка при создании каталога!");
        return false;
    }
    installLog.Open(target + L"Install.log");
    log.Add(L"Каталог создан...");
    return true;
}

// Settings folder, database, lastnum.dta and btooth.ini; false when the database
// stage stops the run.
bool TInstallProcedure::MainStage(TInstallLogMirror& log) {
    const std::wstring& target = FChoices.Target;
    TMainStageScope stage(FHost);
    const int line = log.Add(L"Создание настроечных файлов....");
    CreateFolderIfMissing(target + SettingsSubfolder);
    log.Complete(line, true);
    log.Stage(L"database");
    if (!RunDatabaseStage(log, target, FSource, FChoices.WindowsChoice, LocalNow())) return false;
    log.Stage(L"lastnum");
    // The record takes a sync to the disk, which waits for the database just
    // copied to get there (a second under Wine on ext4); nothing later needs the
    // file, so it is written beside the steps that follow. Failures are ignored.
    try {
        FLastNum = std::thread([target] { WriteLastNumIfMissing(target); });
    } catch (const std::system_error&) {
        WriteLastNumIfMissing(target);  // no thread to spare: here and now
    }
    if (FChoices.ProductVariant) WriteBtoothIni(target);
    return true;
}

void TInstallProcedure::WaitForLastNum() {
    if (FLastNum.joinable()) FLastNum.join();
}

TInstallProcedure::~TInstallProcedure() { WaitForLastNum(); }

// Whatever goes wrong with the fonts does not end the installation; it is only
// recorded in Install.log. A copy that cannot start or breaks off ends the step.
void TInstallProcedure::InstallFonts(TInstallLogMirror& log) {
    try {
        InstallFontsWhereAllowed(log, FSource + FontsSubfolder, GetWindowsFolder() + L"fonts\\",
                                 PerUserFontsFolder(), PerUserFontsSupported(), StreamCopyFile);
    } catch (const EAppError& e) {
        log.Note(L"Шрифты не установлены: " + e.Message());
    } catch (...) {
    }
}

void TInstallProcedure::InstallDriver(TInstallLogMirror& log) {
    if (!FHost.ConfirmDriver(DriverQuestion)) return;
    const TDriverOutcome outcome =
        RunDriverInstaller(log, FChoices.Target, FSource, *FStarter, FHost.OperatorPresent());
    if (outcome.Ran)
        log.Note(L"Программа установки драйвера завершилась с кодом " + std::to_wstring(outcome.ExitCode));
    else
        FFailures.push_back(outcome.Failure);
}

void TInstallProcedure::CreateDesktopShortcut() {
    const std::wstring title = LoadProductString(1);
    FShortcut = CreateShortcut(FChoices.Target + LoadProductString(4), Desktop, L"", L"", L"",
                               LoadProductString(2) + L" \"" + title + L"\"", title);
}

// On a small-font screen the large-font page; otherwise the final question.
void TInstallProcedure::Finish() {
    if (!FHost.OperatorPresent()) return;
    if (IsSmallFontScreen()) {
        FHost.ShowLargeFontPage();
        return;
    }
    if (FHost.ConfirmFinished(FinalQuestion)) FHost.CloseInstaller();
}
