// A refused command line where nobody can see a window (a service, a remoting
// session, a task that runs whether the user is logged on or not): no box, the
// reason in %TEMP%\Install.log, exit code 1639. Wine's window station is always
// interactive, so the answer "not interactive" is given to AnswerCommandLine
// directly, in a child without a console, as such a run has none.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/Switches.h"
#include "app/Unattended.h"
#include "tests/win/EngineTestFiles.h"

namespace {

struct TChildRun {
    DWORD exitCode = 0;
    std::vector<std::wstring> windows;  // texts of the visible windows it showed
};

struct TWindowSearch {
    DWORD pid;
    std::vector<std::wstring>* seen;
};

BOOL CALLBACK NoteWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TWindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->pid || !IsWindowVisible(window)) return TRUE;
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    search->seen->push_back(text);
    // Answered, so a box cannot hold the test: it is counted, not waited for.
    PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

// This program again, detached from every console, with %TEMP% in temp.
TChildRun AnswerInChild(const std::wstring& args, const std::wstring& temp) {
    TChildRun run;
    wchar_t ownTemp[MAX_PATH + 1] = {};
    GetEnvironmentVariableW(L"TEMP", ownTemp, MAX_PATH);
    SetEnvironmentVariableW(L"COMMANDLINE_CHILD", args.c_str());
    SetEnvironmentVariableW(L"TEMP", temp.c_str());
    SetEnvironmentVariableW(L"TMP", temp.c_str());
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring cmd = L"\"" + std::wstring(self) + L"\" --gtest_filter=CommandLineChild.Answers";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;  // no standard handles at all
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessW(self, cmd.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                                        nullptr, &si, &pi);
    SetEnvironmentVariableW(L"COMMANDLINE_CHILD", nullptr);
    SetEnvironmentVariableW(L"TEMP", ownTemp);
    SetEnvironmentVariableW(L"TMP", ownTemp);
    EXPECT_TRUE(started);
    if (!started) return run;
    TWindowSearch search{pi.dwProcessId, &run.windows};
    while (WaitForSingleObject(pi.hProcess, 20) == WAIT_TIMEOUT) EnumWindows(NoteWindow, reinterpret_cast<LPARAM>(&search));
    GetExitCodeProcess(pi.hProcess, &run.exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return run;
}

}  // namespace

TEST(CommandLineChild, Answers) {
    const char* args = std::getenv("COMMANDLINE_CHILD");
    if (args == nullptr) GTEST_SKIP() << "run as a child only";
    TSwitches switches = ParseSwitches(L"Install.exe " + Utf8ToWide(args));
    std::exit(AnswerCommandLine(switches, false));
}

TEST(CommandLineAnswer, NobodyToSeeABoxGetsNoneButTheReasonInTempAnd1639) {
    // Mistyped switches without /SILENT or /VERYSILENT, which an operator's
    // start would answer with a box; and the wizard itself, which nobody could use.
    for (const std::wstring& args : {std::wstring(L"/VERYSILNET"), std::wstring(L"/S"), std::wstring(L"/quiet"),
                                     std::wstring()}) {
        SCOPED_TRACE(std::string(args.begin(), args.end()));
        TTestFolder temp{L"station"};
        const TChildRun run = AnswerInChild(args, temp.Path());
        EXPECT_EQ(run.exitCode, 1639u);
        EXPECT_TRUE(run.windows.empty()) << "a window was shown";
        const std::wstring log = Utf8ToWide(GetFile(temp + L"Install.log"));
        EXPECT_NE(log.find(args.empty() ? L"/VERYSILENT" : L"Неизвестный параметр: " + args), std::wstring::npos);
    }
    // The usage asked for is no refusal: no box, no file, code 0.
    TTestFolder temp{L"station"};
    const TChildRun help = AnswerInChild(L"/?", temp.Path());
    EXPECT_EQ(help.exitCode, 0u);
    EXPECT_TRUE(help.windows.empty());
    EXPECT_EQ(GetFile(temp + L"Install.log"), "<missing>");
}
