// The driver stage as the installation runs it: the installer copied from the
// media and started hidden; under UAC, Windows refuses an installer to a
// standard token (740) and the stage goes through the consent prompt. Wine
// starts everything elevated, so a starter that answers like Windows stands in.
#include <gtest/gtest.h>

#include <deque>

#include "install/DriverStage.h"
#include "install/ProcessRunner.h"
#include "tests/win/EngineTestFiles.h"
#include "tests/OperatorTexts.h"
#include "tests/win/RecordingLog.h"

namespace {

const std::wstring& Started = texts::DriverStartLine;
const std::wstring& Finished = texts::DriverEndLine;

struct TDriverMedia {
    TTestFolder root{L"drv"};
    std::wstring S = root + L"dist\\";
    std::wstring T = root + L"Program Files\\Rudeve\\";
    TDriverMedia() {
        for (const wchar_t* f : {L"dist", L"dist\\FTDIDriverInstall", L"Program Files", L"Program Files\\Rudeve"})
            CreateDirectoryW((root + f).c_str(), nullptr);
        CopyFileW(ToolPath(L"FTDIDriverInstall.exe").c_str(), (S + L"FTDIDriverInstall\\FTDIDriverInstall.exe").c_str(),
                  FALSE);
    }
    std::wstring Record() const {
        return Utf8ToWide(GetFile(T + L"FTDIDriverInstall\\FTDIDriverInstall.log"));
    }
};

// Answers CreateProcessW with the scripted errors first (then starts for real),
// and the consent prompt with accept (a real start) or a scripted error.
class TWindowsLikeStarter : public IProgramStarter {
public:
    std::deque<unsigned long> CreateErrors;
    unsigned long ConsentError = 0;  // 0: the operator accepts
    std::vector<std::wstring> Calls;

    TStartedProcess Create(const std::wstring& line, unsigned short show) override {
        Calls.push_back(L"create:" + line);
        if (!CreateErrors.empty()) {
            const unsigned long error = CreateErrors.front();
            CreateErrors.pop_front();
            return {nullptr, error};
        }
        return SystemProgramStarter().Create(line, show);
    }
    TStartedProcess RunAsAdministrator(const std::wstring& file, unsigned short show) override {
        Calls.push_back(L"runas:" + file);
        if (ConsentError) return {nullptr, ConsentError};
        return SystemProgramStarter().Create(L"\"" + file + L"\"", show);
    }
};

const wchar_t* const DriverProgramName = L"FTDIDriverInstall.exe";

}  // namespace

TEST(DriverStage, CopiesAndRunsTheInstallerHiddenBetweenTwoLines) {
    TDriverMedia m;
    TRecordingLog log;
    const TDriverOutcome outcome = RunDriverInstaller(log, m.T, m.S, SystemProgramStarter(), true);
    EXPECT_TRUE(outcome.Ran);
    EXPECT_TRUE(outcome.Failure.empty());
    EXPECT_EQ(log.Lines, (std::vector<std::wstring>{Started, Finished}));
    const std::wstring r = m.Record();
    // Started from the copy in the target, by its quoted path, hidden.
    EXPECT_NE(r.find(L"cmdline=\"" + m.T + L"FTDIDriverInstall\\FTDIDriverInstall.exe\"\r\n"), std::wstring::npos) << r;
    EXPECT_NE(r.find(L"show=0\r\n"), std::wstring::npos) << r;
    // Not from a program named after the first word of the path.
    EXPECT_EQ(GetFile(m.root + L"Program.exe"), "<missing>");
}

TEST(DriverStage, ElevationRequiredGoesThroughTheConsentPrompt) {
    TDriverMedia m;
    TRecordingLog log;
    TWindowsLikeStarter starter;
    starter.CreateErrors = {ErrorElevationRequired};
    const TDriverOutcome outcome = RunDriverInstaller(log, m.T, m.S, starter, true);
    const std::wstring exe = m.T + L"FTDIDriverInstall\\FTDIDriverInstall.exe";
    EXPECT_EQ(starter.Calls, (std::vector<std::wstring>{L"create:\"" + exe + L"\"", L"runas:" + exe}));
    EXPECT_TRUE(outcome.Ran);
    EXPECT_EQ(log.Lines, (std::vector<std::wstring>{Started, Finished}));
    EXPECT_NE(m.Record().find(L"show=0\r\n"), std::wstring::npos);
}

TEST(DriverStage, DeclinedPromptAndUnattendedRefusalEachGetTheirLine) {
    {
        TDriverMedia m;
        TRecordingLog log;
        TWindowsLikeStarter starter;
        starter.CreateErrors = {ErrorElevationRequired};
        starter.ConsentError = ERROR_CANCELLED;
        const TDriverOutcome outcome = RunDriverInstaller(log, m.T, m.S, starter, true);
        EXPECT_FALSE(outcome.Ran);
        ASSERT_EQ(log.Lines.size(), 3u);
        EXPECT_EQ(log.Lines[1], outcome.Failure);
        EXPECT_EQ(log.Lines[1].rfind(DriverNotInstalled, 0), 0u);
        EXPECT_NE(log.Lines[1].find(L"отклонён"), std::wstring::npos);
        EXPECT_EQ(log.Lines[2], Finished);
        EXPECT_EQ(m.Record(), L"<missing>");
    }
    {
        // Nobody to answer a prompt: none is shown.
        TDriverMedia m;
        TRecordingLog log;
        TWindowsLikeStarter starter;
        starter.CreateErrors = {ErrorElevationRequired};
        const TDriverOutcome outcome = RunDriverInstaller(log, m.T, m.S, starter, false);
        EXPECT_FALSE(outcome.Ran);
        EXPECT_EQ(starter.Calls.size(), 1u);
        EXPECT_NE(outcome.Failure.find(L"администратора"), std::wstring::npos);
        EXPECT_EQ(log.Lines.back(), Finished);
    }
}

TEST(DriverStage, MissingInstallerIsNamedNotReportedInstalled) {
    TDriverMedia m;
    TTestFolder::RemoveTree(m.S + L"FTDIDriverInstall");
    TRecordingLog log;
    const TDriverOutcome outcome = RunDriverInstaller(log, m.T, m.S, SystemProgramStarter(), true);
    EXPECT_FALSE(outcome.Ran);
    EXPECT_EQ(log.Lines, (std::vector<std::wstring>{Started, outcome.Failure, Finished}));
    EXPECT_EQ(m.Record(), L"<missing>");
}

TEST(DriverStage, EachReinstallationReplacesTheFolderWithTheNewestFilesWithoutNesting) {
    TDriverMedia m;
    CreateDirectoryW((m.S + L"FTDIDriverInstall\\amd64").c_str(), nullptr);
    for (const std::string release : {"1", "2", "3"}) {
        PutFile(m.S + L"FTDIDriverInstall\\release.txt", release);
        PutFile(m.S + L"FTDIDriverInstall\\amd64\\ftdibus.inf", release);
        TRecordingLog log;
        const TDriverOutcome outcome = RunDriverInstaller(log, m.T, m.S, SystemProgramStarter(), false);
        EXPECT_TRUE(outcome.Ran) << release;
        EXPECT_TRUE(outcome.CopyFailures.empty());
        EXPECT_EQ(GetFile(m.T + L"FTDIDriverInstall\\release.txt"), release);
        EXPECT_EQ(GetFile(m.T + L"FTDIDriverInstall\\amd64\\ftdibus.inf"), release);
    }
    EXPECT_FALSE(PathExists(m.T + L"FTDIDriverInstall\\FTDIDriverInstall"));
}

TEST(DriverStage, InstallerStillRunningAtTheLimitIsLeftRunningAndNamed) {
    TDriverMedia m;
    // The stand-in waits while its hold file is there, like an installer asking
    // a question in a session nobody sees.
    PutFile(m.S + L"FTDIDriverInstall\\FTDIDriverInstall.hold", "");
    TRecordingLog log;
    const TDriverOutcome outcome = RunDriverInstaller(log, m.T, m.S, SystemProgramStarter(), false, 300);
    EXPECT_FALSE(outcome.Ran);
    const std::wstring program = m.T + L"FTDIDriverInstall\\FTDIDriverInstall.exe";
    EXPECT_NE(outcome.Failure.find(program + L" не завершилась за 1 с"), std::wstring::npos);
    EXPECT_EQ(log.Lines, (std::vector<std::wstring>{Started, outcome.Failure, Finished}));
    // Not killed: still running, and it ends by itself once let go.
    HANDLE left = RunningProgram(DriverProgramName);
    ASSERT_NE(left, nullptr);
    DeleteFileW((m.T + L"FTDIDriverInstall\\FTDIDriverInstall.hold").c_str());
    WaitForSingleObject(left, INFINITE);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(left, &code);
    CloseHandle(left);
    EXPECT_EQ(code, 0u);
}
