#include "install/InstallProcedure.h"

#include <windows.h>

#include <cwchar>
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
#include "install/FontStage.h"
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
#include "shared/FileIO.h"
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
        if (!PrepareTarget(log, installLog)) {
            OpenFallbackLog(installLog);
            return TInstallResult::Stopped;
        }
        // Before anything is written there: what the folder already holds.
        const TFolderBefore before = LookAtFolderBefore(FChoices.Target);
        installLog.Open(FChoices.Target + L"Install.log");
        if (!installLog.IsOpen()) OpenFallbackLog(installLog);
        // Deployment tools take the marker for a completed installation: from
        // here on it is there again only when this run completes.
        const std::wstring marker = FChoices.Target + InstalledMarkerFile;
        SetReadOnlyFlag(marker, false);
        if (!DeleteFileW(marker.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
            FFailures.push_back(L"не удалось удалить " + marker + L": " + SysErrorMessage(GetLastError()));
        log.Stage(L"settings");
        // The settings file, before the main stage.
        if (!WriteInstallSettings(FChoices.Target, FChoices.KeepExistingSettings))
            log.Note(L"Настройки " + FChoices.Target + SettingsSubfolder + SettingsFileName + L" уже есть и оставлены без изменений");
        if (!MainStage(log)) return TInstallResult::Stopped;
        log.Stage(L"fonts");
        InstallFonts(log);
        if (FChoices.Driver) {
            log.Stage(L"driver");
            InstallDriver(log);
        }
        log.Stage(L"update");
        TUpdateOutcome update = RunUpdateStage(log, FChoices.Target, FSource, FChoices.WaitLimitMs);
        FFailures.insert(FFailures.end(), update.Failures.begin(), update.Failures.end());
        CheckMainProgram(log);
        log.Stage(L"shortcut");
        CreateDesktopShortcut(log);
        WaitForLastNum();
        log.Stage(L"registration");
        // The uninstaller, the record of the files and the Programs and Features
        // entry; what fails there is a line, not a failed installation.
        const TRegistration registration = RegisterInstallation(FChoices.Target, FShortcut, FFailures.empty(), before);
        for (const std::wstring& note : registration.Notes) log.Note(note);
        for (const std::wstring& line : registration.Lines) log.Add(line);
        // Written last, and only when everything before did its work.
        if (FFailures.empty()) WriteMarker(update.Level);
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

// Where Install.log goes when the installation folder takes none: beside the
// /LOG file, or in %TEMP%.
void TInstallProcedure::OpenFallbackLog(TInstallLog& installLog) const {
    if (installLog.IsOpen()) return;
    std::wstring folder;
    if (!FLogFile.empty()) {
        wchar_t* name = nullptr;
        std::wstring full(MAX_PATH * 2, L'\0');
        const DWORD n = GetFullPathNameW(FLogFile.c_str(), static_cast<DWORD>(full.size()), full.data(), &name);
        if (n > 0 && n < full.size() && name) folder.assign(full.data(), name);
    }
    if (!folder.empty()) installLog.Open(folder + L"Install.log");
    if (installLog.IsOpen()) return;
    wchar_t temp[MAX_PATH + 1] = {};
    if (GetTempPathW(MAX_PATH + 1, temp)) installLog.Open(std::wstring(temp) + L"Install.log");
}

// The installation folder with every missing parent; false when it cannot be
// made (the box, the list and Install.log say why).
bool TInstallProcedure::PrepareTarget(IProgressLog& log, TInstallLog& installLog) {
    const std::wstring& target = FChoices.Target;
    if (DirectoryExists(target)) return true;
    if (const unsigned long error = CreateFolderPath(target)) {
        const std::wstring reason = target + L": " + SysErrorMessage(error);
        log.ShowError(L"Ошибка при создании каталога!\n" + reason);
        log.Add(L"Ошибка при создании каталога!");
        log.Add(reason);
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
    if (!RunDatabaseStage(log, target, FSource, FChoices.WindowsChoice, LocalNow(), FChoices.KeepExistingData))
        return false;
    log.Stage(L"lastnum");
    // The record takes a sync to the disk, which waits for the database just
    // copied to get there (a second under Wine on ext4); nothing later needs the
    // file, so it is written beside the steps that follow. Failures are ignored.
    try {
        FLastNum = std::thread([target] { WriteLastNumIfMissing(target); });
    } catch (const std::system_error&) {
        WriteLastNumIfMissing(target);  // no thread to spare: here and now
    }
    if (FChoices.ProductVariant && !WriteBtoothIni(target, FChoices.KeepExistingSettings))
        log.Note(L"Настройки " + target + L"btooth.ini уже есть и оставлены без изменений");
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
    const TDriverOutcome outcome = RunDriverInstaller(log, FChoices.Target, FSource, *FStarter,
                                                      FHost.OperatorPresent(), FChoices.WaitLimitMs);
    FFailures.insert(FFailures.end(), outcome.CopyFailures.begin(), outcome.CopyFailures.end());
    if (outcome.Ran)
        log.Note(L"Программа установки драйвера завершилась с кодом " + std::to_wstring(outcome.ExitCode));
    else
        FFailures.push_back(outcome.Failure);
}

// The release packages bring the programs; a package that did not leaves an
// installation nobody can start, which is no completed installation.
void TInstallProcedure::CheckMainProgram(TInstallLogMirror& log) {
    const std::wstring program = FChoices.Target + LoadProductString(4);
    if (FileExists(program)) return;
    FFailures.push_back(L"Главная программа " + program + L" не установлена");
    log.Add(FFailures.back());
}

// Unattended runs and runs as SYSTEM put the link where its users look: on
// the desktop all users share; the wizard on the operator's own.
void TInstallProcedure::CreateDesktopShortcut(TInstallLogMirror& log) {
    const std::wstring title = LoadProductString(1);
    const std::wstring target = FChoices.Target + LoadProductString(4);
    const std::wstring description = LoadProductString(2) + L" \"" + title + L"\"";
    long saved = 0;
    std::wstring link;
    if (FChoices.CommonDesktop || RunningAsLocalSystem()) {
        const std::wstring common = CommonDesktopFolder();
        if (!common.empty()) link = CreateShortcut(target, Explicit, common, L"", L"", description, title, &saved);
    } else {
        link = CreateShortcut(target, Desktop, L"", L"", L"", description, title, &saved);
    }
    FShortcut = link;
    if (link.empty()) {
        FFailures.push_back(L"Ярлык не создан: нет папки рабочего стола");
        log.Add(FFailures.back());
    } else if (saved < 0) {
        FFailures.push_back(L"Ярлык " + link + L" не создан: " + SysErrorMessage(static_cast<DWORD>(saved)));
        log.Add(FFailures.back());
    }
}

// Installed.txt: what deployment tools test for, written whole or not at all.
void TInstallProcedure::WriteMarker(const std::wstring& level) {
    const std::wstring marker = FChoices.Target + InstalledMarkerFile;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t date[32] = {};
    swprintf(date, 32, L"%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
             now.wSecond);
    const std::string text = EncodeUtf8(L"Product=" + LoadProductString(1) + L"\r\nLevel=" + level +
                                        L"\r\nInstalled=" + date + L"\r\n");
    try {
        WriteFileAtomic(marker, text);
    } catch (const std::exception&) {
        FFailures.push_back(L"не записан " + marker + L": " + ErrorText(std::current_exception()));
    }
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
