// The installation procedure without a window: the order of its steps, what the
// host is asked and told, and where each stop rule ends the run.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <filesystem>

#include "desktop/LargeFont.h"
#include "app/InstallRun.h"
#include "install/DriverStage.h"
#include "install/InstallProcedure.h"
#include "install/ProcessRunner.h"
#include "platform/WinUtil.h"
#include "shared/TextCodec.h"
#include "tests/win/EngineTestFiles.h"
#include "tests/win/RecordingLog.h"

namespace {

// Records the host's turns into the log's one sequence of events.
class TRecordingHost : public IInstallHost {
public:
    explicit TRecordingHost(TRecordingLog& log) : FLog(log) {}
    bool DriverAnswer = true;
    bool Ending = true;

    void ShowProgressPage() override { Note(L"progress-page"); }
    void SetMainStage(bool active) override { Note(active ? L"main-stage" : L"main-stage-left"); }
    bool ConfirmDriver(const std::wstring& question) override {
        Note(L"ask-driver:" + question);
        return DriverAnswer;
    }
    void EnableExit() override { Note(L"exit-enabled"); }
    bool OperatorPresent() const override { return Ending; }
    void ShowLargeFontPage() override { Note(L"large-font-page"); }
    bool ConfirmFinished(const std::wstring& question) override {
        Note(L"ask-finished:" + question);
        return true;
    }
    void CloseInstaller() override { Note(L"close"); }

private:
    void Note(const std::wstring& what) { FLog.Events.push_back(L"host:" + what); }
    TRecordingLog& FLog;
};

// The sample media the build lays out beside the test programs.
std::filesystem::path SampleMedia() {
    wchar_t exe[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    return std::filesystem::path(exe).parent_path().parent_path() / "media";
}

std::wstring WithSlash(const std::filesystem::path& p) { return p.wstring() + L"\\"; }

// Position of the first event that starts with prefix, or -1.
int Find(const std::vector<std::wstring>& events, const std::wstring& prefix) {
    for (size_t i = 0; i < events.size(); ++i)
        if (events[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
    return -1;
}

struct TRun {
    TRecordingLog log;
    TRecordingHost host{log};
    TInstallChoices choices;
    TInstallResult result = TInstallResult::Stopped;
    IProgramStarter* starter = nullptr;
    // The shortcut step needs COM on this thread, as the program starts it.
    HRESULT com = CoInitialize(nullptr);
    ~TRun() {
        if (SUCCEEDED(com)) CoUninitialize();
    }

    // The folder and its settings folder, as the path page leaves them.
    void PathPage(const std::wstring& target) {
        choices.Target = target;
        CreateDirectoryW(target.c_str(), nullptr);
        CreateDirectoryW((target + L"Settings").c_str(), nullptr);
    }
    void Go(const std::wstring& source, const std::wstring& logFile = {}, bool stamps = false) {
        TInstallProcedure procedure(log, host, choices, source, logFile, stamps);
        if (starter) procedure.UseProgramStarter(*starter);
        result = procedure.Run();
        if (result != TInstallResult::Stopped) procedure.Finish();
    }
    int At(const std::wstring& prefix) const { return Find(log.Events, prefix); }
};

std::string Errors(const TRun& run) {
    std::string text;
    for (const std::wstring& e : run.log.Errors) text += EncodeUtf8(e) + "\n";
    return text;
}

}  // namespace

TEST(InstallProcedure, FullRunKeepsTheStepOrderAndEndsOnTheFontCheck) {
    if (!std::filesystem::is_directory(SampleMedia())) GTEST_SKIP() << "no sample media";
    TTestFolder t{L"proc"};
    TRun run;
    run.PathPage(t + L"Target\\");
    run.Go(WithSlash(SampleMedia()), t + L"copy.log", true);

    ASSERT_EQ(run.result, TInstallResult::Completed) << Errors(run);
    EXPECT_TRUE(run.log.Errors.empty());
    const std::vector<int> order = {
        run.At(L"host:progress-page"),
        run.At(L"host:main-stage"),
        run.At(L"add:Создание настроечных файлов...."),
        run.At(L"add:Копирование файла V12.FDB...."),
        run.At(L"host:main-stage-left"),
        run.At(L"host:ask-driver:" + std::wstring(DriverQuestion)),
        run.At(L"add:Началась установка драйверов устройства..."),
        run.At(L"add:Установка драйверов устройства завершена"),
        run.At(L"host:exit-enabled"),
        run.At(IsSmallFontScreen() ? L"host:large-font-page" : L"host:ask-finished:"),
    };
    for (size_t i = 0; i < order.size(); ++i) EXPECT_GE(order[i], 0) << "step " << i << " missing";
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
    EXPECT_EQ(run.log.Events.back().rfind(L"host:", 0), 0u) << "the ending is the last thing done";
    EXPECT_TRUE(PathExists(run.choices.Target + L"Settings\\lastnum.dta"));
    EXPECT_TRUE(PathExists(run.choices.Target + L"ReleaseInfo"));
    // The marker for deployment tools: what was installed, and when.
    EXPECT_EQ(Utf8ToWide(GetFile(run.choices.Target + L"Installed.txt")).rfind(
                  L"Product=Велитор - Vudeze\r\nLevel=010421\r\nInstalled=20", 0),
              0u);

    // Both logs hold every line, each after its time stamp.
    for (const std::wstring& file : {run.choices.Target + L"Install.log", t + L"copy.log"}) {
        const std::wstring text = Utf8ToWide(GetFile(file));
        for (const std::wstring& line : run.log.Lines) {
            const size_t at = text.find(L" " + line + L"\r\n");
            ASSERT_NE(at, std::wstring::npos) << "not in " << file.size() << ": line " << line.size();
            EXPECT_EQ(text[at - 4], L'.');  // "hh:mm:ss.mmm "
        }
    }
}

TEST(InstallProcedure, DriverOnlyWhenChosenAndAnsweredYes) {
    if (!std::filesystem::is_directory(SampleMedia())) GTEST_SKIP() << "no sample media";
    TTestFolder t{L"proc"};
    TRun unchecked;
    unchecked.PathPage(t + L"A\\");
    unchecked.choices.Driver = false;
    unchecked.Go(WithSlash(SampleMedia()));
    EXPECT_EQ(unchecked.result, TInstallResult::Completed) << Errors(unchecked);
    EXPECT_EQ(unchecked.At(L"host:ask-driver"), -1);

    TRun no;
    no.PathPage(t + L"B\\");
    no.host.DriverAnswer = false;
    no.host.Ending = false;  // unattended: the run ends with the exit enabled
    no.Go(WithSlash(SampleMedia()));
    EXPECT_EQ(no.log.Events.back(), L"host:exit-enabled");
    EXPECT_EQ(no.result, TInstallResult::Completed);
    EXPECT_GE(no.At(L"host:ask-driver"), 0);
    for (const TRun* run : {&unchecked, &no}) {
        EXPECT_EQ(run->At(L"add:Началась установка драйверов"), -1);
        EXPECT_FALSE(PathExists(run->choices.Target + L"FTDIDriverInstall"));
    }
}

TEST(InstallProcedure, MissingParentsAreCreated) {
    TTestFolder t{L"proc"};
    TRun run;
    run.choices.Target = t + L"missing\\deeper\\";
    run.Go(t + L"no media\\");
    EXPECT_EQ(run.log.Lines.front(), L"Каталог создан...");
    EXPECT_TRUE(PathExists(t + L"missing\\deeper\\Install.log"));
}

TEST(InstallProcedure, TargetThatCannotBeCreatedSaysWhyAndLogsBesideTheLogCopy) {
    TTestFolder t{L"proc"};
    PutFile(t + L"file", "");  // a file where a parent folder should be
    CreateDirectoryW((t + L"logs").c_str(), nullptr);
    TRun run;
    run.choices.Target = t + L"file\\deeper\\";
    run.Go(t.Path(), t + L"logs\\fleet.log");
    EXPECT_EQ(run.result, TInstallResult::Stopped);
    const std::wstring reason = run.choices.Target + L": " + SysErrorMessage(ERROR_ALREADY_EXISTS);
    const std::vector<std::wstring> expected = {L"host:progress-page",
                                                L"error:Ошибка при создании каталога!\n" + reason,
                                                L"add:Ошибка при создании каталога!", L"add:" + reason};
    EXPECT_EQ(run.log.Events, expected);
    // Install.log where the administrator finds the /LOG copy, ending with the reason.
    const std::wstring log = Utf8ToWide(GetFile(t + L"logs\\Install.log"));
    EXPECT_EQ(log.substr(log.size() - reason.size() - 2), reason + L"\r\n");
}

TEST(InstallProcedure, ErrorInTheMainStageLeavesItAndEndsTheRun) {
    TTestFolder t{L"proc"};
    CreateDirectoryW((t + L"empty").c_str(), nullptr);
    TRun run;
    run.PathPage(t + L"Target\\");
    run.Go(t + L"empty\\");
    EXPECT_EQ(run.result, TInstallResult::Stopped);
    ASSERT_EQ(run.log.Errors.size(), 1u);
    EXPECT_EQ(run.log.Errors[0].rfind(L"Cannot open file \"" + t.Path() + L"empty\\DTAfb\\V12.FDB\"", 0), 0u) << Errors(run);
    // Left before the error is shown; nothing after it.
    const int left = run.At(L"host:main-stage-left");
    EXPECT_GE(left, 0);
    EXPECT_LT(left, run.At(L"error:"));
    EXPECT_EQ(run.At(L"error:"), static_cast<int>(run.log.Events.size()) - 1);
    EXPECT_FALSE(PathExists(run.choices.Target + L"Settings\\lastnum.dta"));
    // The error is in Install.log too.
    EXPECT_NE(Utf8ToWide(GetFile(run.choices.Target + L"Install.log")).find(run.log.Errors[0]),
              std::wstring::npos);
}

TEST(InstallProcedure, UpdateErrorEndsTheRunAfterTheFontsWithoutExit) {
    if (!std::filesystem::is_directory(SampleMedia())) GTEST_SKIP() << "no sample media";
    TTestFolder t{L"proc"};
    namespace fs = std::filesystem;
    fs::copy(SampleMedia(), fs::path(t + L"media"), fs::copy_options::recursive);
    fs::remove_all(fs::path(t + L"media\\backup"));
    TRun run;
    run.PathPage(t + L"Target\\");
    run.choices.Driver = false;
    run.Go(t + L"media\\");
    EXPECT_EQ(run.result, TInstallResult::Stopped);
    ASSERT_EQ(run.log.Errors.size(), 1u);
    EXPECT_GT(run.At(L"error:"), run.At(L"host:main-stage-left"));
    EXPECT_EQ(run.At(L"error:"), static_cast<int>(run.log.Events.size()) - 1);
    EXPECT_EQ(run.At(L"host:exit-enabled"), -1);
}

// Windows refuses the driver installer to a standard token (740); Wine never
// does, so a starter answers as Windows would. Unattended, nobody may be asked:
// the rest of the run completes, Install.log ends with the reason, exit code 1603.
TEST(InstallProcedure, UnattendedDriverRefusalCompletesTheRunAndFailsIt) {
    if (!std::filesystem::is_directory(SampleMedia())) GTEST_SKIP() << "no sample media";
    class TRefusingStarter : public IProgramStarter {
    public:
        int Prompts = 0;
        TStartedProcess Create(const std::wstring&, unsigned short) override { return {nullptr, ErrorElevationRequired}; }
        TStartedProcess RunAsAdministrator(const std::wstring&, unsigned short) override {
            ++Prompts;
            return {nullptr, ERROR_CANCELLED};
        }
    } starter;
    TTestFolder t{L"proc"};
    CreateDirectoryW((t + L"Target").c_str(), nullptr);
    CreateDirectoryW((t + L"Target\\Settings").c_str(), nullptr);
    TInstallSetup setup;
    setup.Unattended = true;
    setup.Choices.Target = t + L"Target\\";
    setup.Source = WithSlash(SampleMedia());
    const HRESULT com = CoInitialize(nullptr);
    TInstallRun run(nullptr, setup);
    run.UseProgramStarter(starter);
    const TInstallResult result = run.RunHere();
    if (SUCCEEDED(com)) CoUninitialize();

    EXPECT_EQ(result, TInstallResult::Incomplete);
    EXPECT_EQ(UnattendedExitCode(result), 1603);
    EXPECT_EQ(starter.Prompts, 0);
    // The stages after the driver ran.
    EXPECT_TRUE(PathExists(setup.Choices.Target + L"ReleaseInfo"));
    EXPECT_FALSE(PathExists(setup.Choices.Target + L"Installed.txt"));
    const std::wstring log = Utf8ToWide(GetFile(setup.Choices.Target + L"Install.log"));
    const size_t last = log.rfind(L"Установка не завершена: Драйвер устройства не установлен: ");
    ASSERT_NE(last, std::wstring::npos) << EncodeUtf8(log);
    EXPECT_EQ(log.find(L"\r\n", last), log.size() - 2) << "the reason is the last line";
}
