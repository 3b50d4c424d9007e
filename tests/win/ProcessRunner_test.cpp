#include <gtest/gtest.h>

#include "install/ProcessRunner.h"
#include "platform/AppError.h"
#include "tests/win/EngineTestFiles.h"

namespace {

// The stand-in driver installer records where and how it ran into
// FTDIDriverInstall.log beside itself; copy it into a folder of the test's choice.
std::wstring PlaceRecorder(const std::wstring& folder, const std::wstring& name = L"FTDIDriverInstall.exe") {
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring exe = folder + L"\\" + name;
    CopyFileW(ToolPath(L"FTDIDriverInstall.exe").c_str(), exe.c_str(), FALSE);
    return exe;
}

std::wstring Record(const std::wstring& folder) {
    return Utf8ToWide(GetFile(folder + L"\\FTDIDriverInstall.log"));
}

std::wstring CurrentFolder() {
    wchar_t cwd[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    return cwd;
}

}  // namespace

TEST(RunAndWait, RunsInTheProgramsFolderWithQuotedPathAndReturnsExitCode) {
    TTestFolder t;
    const std::wstring folder = t + L"Program Files";
    const std::wstring exe = PlaceRecorder(folder);
    // A program named like the first word of the path must not be started.
    CopyFileW(ToolPath(L"FTDIDriverInstall.exe").c_str(), (t + L"Program.exe").c_str(), FALSE);

    EXPECT_EQ(RunAndWait(exe, L"--exit=7", SW_HIDE), 7u);
    const std::wstring r = Record(folder);
    EXPECT_NE(r.find(L"cwd=" + folder + L"\r\n"), std::wstring::npos) << r;
    EXPECT_NE(r.find(L"cmdline=\"" + exe + L"\" --exit=7\r\n"), std::wstring::npos) << r;
    EXPECT_NE(r.find(L"show=0\r\n"), std::wstring::npos) << r;
    EXPECT_EQ(GetFile(t + L"FTDIDriverInstall.log"), "<missing>");
}

TEST(RunAndWait, EmptyParamsLeaveTheTrailingSpace) {
    TTestFolder t;
    const std::wstring exe = PlaceRecorder(t + L"bin");
    EXPECT_EQ(RunAndWait(exe, L"", SW_HIDE), 0u);
    EXPECT_NE(Record(t + L"bin").find(L"cmdline=\"" + exe + L"\" \r\n"), std::wstring::npos);
}

TEST(RunAndWait, ProgramThatCannotStartRaisesTheRussianText) {
    TTestFolder t;
    const std::wstring missing = t + L"pkg\\Install.cmd";
    try {
        RunAndWait(missing, L"", SW_HIDE);
        FAIL() << "no error";
    } catch (const EAppError& e) {
        EXPECT_EQ(e.Message(), L"Не смог создать процесс: " + missing);
    }
}

TEST(RunAndWait, OverlongCommandLineIsRefusedWithoutStarting) {
    TTestFolder t;
    const std::wstring exe = PlaceRecorder(t + L"bin");
    // Quoted path + space + params: exactly 512 characters still run.
    const size_t fixed = exe.size() + 3;
    EXPECT_EQ(RunAndWait(exe, std::wstring(512 - fixed, L'a'), SW_HIDE), 0u);
    DeleteFileW((t + L"bin\\FTDIDriverInstall.log").c_str());
    try {
        RunAndWait(exe, std::wstring(513 - fixed, L'a'), SW_HIDE);
        FAIL() << "no error";
    } catch (const EAppError& e) {
        EXPECT_NE(e.Message().find(L"512"), std::wstring::npos);
    }
    EXPECT_EQ(Record(t + L"bin"), L"<missing>");
}

TEST(RunAndWait, BatchScriptRunsInItsFolder) {
    TTestFolder t;
    CreateDirectoryW((t + L"pkg 1").c_str(), nullptr);
    PutFile(t + L"pkg 1\\Install.cmd", "@echo off\r\ncd > here.txt\r\nexit /b 3\r\n");
    EXPECT_EQ(RunAndWait(t + L"pkg 1\\Install.cmd", L"", SW_HIDE), 3u);
    std::string here = GetFile(t + L"pkg 1\\here.txt");
    while (!here.empty() && (here.back() == '\n' || here.back() == '\r' || here.back() == ' ')) here.pop_back();
    EXPECT_EQ(Utf8ToWide(here), t + L"pkg 1");
}

TEST(StartProgram, RunsInTheCallersFolderAndWaits) {
    TTestFolder t;
    const std::wstring exe = PlaceRecorder(t + L"drv dir");
    const std::wstring line = L"\"" + exe + L"\" --exit=5";
    EXPECT_EQ(StartProgram(line, SW_HIDE, true), 5);
    const std::wstring r = Record(t + L"drv dir");
    EXPECT_NE(r.find(L"cwd=" + CurrentFolder() + L"\r\n"), std::wstring::npos) << r;
    EXPECT_NE(r.find(L"cmdline=" + line + L"\r\n"), std::wstring::npos) << r;
}

TEST(StartProgram, FailuresGiveMinusOne) {
    TTestFolder t;
    EXPECT_EQ(StartProgram(L"\"" + (t + L"none.exe") + L"\"", SW_HIDE, true), -1);
    const std::wstring exe = PlaceRecorder(t + L"bin");
    const std::wstring quoted = L"\"" + exe + L"\"";
    // 255 characters fit; one more is refused before anything starts.
    EXPECT_EQ(StartProgram(quoted + L" " + std::wstring(255 - quoted.size() - 1, L'b'), SW_HIDE, true), 0);
    DeleteFileW((t + L"bin\\FTDIDriverInstall.log").c_str());
    EXPECT_EQ(StartProgram(quoted + L" " + std::wstring(255 - quoted.size(), L'b'), SW_HIDE, true), -1);
    EXPECT_EQ(Record(t + L"bin"), L"<missing>");
}

TEST(RunAndWait, ProgramStillRunningAtTheLimitRaisesItsNameAndIsLeftRunning) {
    TTestFolder t;
    const std::wstring folder = t + L"pkg";
    const std::wstring exe = PlaceRecorder(folder);
    PutFile(folder + L"\\FTDIDriverInstall.hold", "");
    std::wstring message;
    try {
        RunAndWait(exe, L"--exit=4", SW_HIDE, 500);
    } catch (const EAppError& e) {
        message = e.Message();
    }
    EXPECT_EQ(message.find(L"Программа " + exe + L" не завершилась за 1 с"), 0u);
    // Not killed: still running, and it ends with its own code once let go.
    HANDLE left = RunningProgram(L"FTDIDriverInstall.exe");
    ASSERT_NE(left, nullptr);
    DeleteFileW((folder + L"\\FTDIDriverInstall.hold").c_str());
    WaitForSingleObject(left, INFINITE);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(left, &code);
    CloseHandle(left);
    EXPECT_EQ(code, 4u);
}
