// Unattended installations: Install.exe started with switches, as deployment
// tools start it, judged by its exit code, its windows and what it leaves.
#include <gtest/gtest.h>

#include <windows.h>

#include "GuiDriver.h"
#include "InstallRun.h"
#include "app/Unattended.h"

namespace {

constexpr DWORD kInstalled = 0, kFatal = 1603, kAlreadyRunning = 1618, kBadCommandLine = 1639;

struct TUnattended : run::TUnattendedTest {

    std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

    // Runs Install.exe to its end; visibleWindows counts every visible window seen.
    DWORD RunToEnd(const std::wstring& args, int* visibleWindows = nullptr) {
        gui::TInstaller app(Dist.InstallExe(), {}, args);
        EXPECT_TRUE(app.Started()) << gui::Narrow(app.StartError());
        int seen = 0;
        while (app.Running()) {
            if (!app.TopLevelWindows().empty()) ++seen;
            Sleep(10);
        }
        if (visibleWindows) *visibleWindows = seen;
        return app.ExitCode();
    }

    std::wstring InstallLog() { return gui::Widen(run::ReadAll(Target + L"Install.log")); }
};

// Whole files and folders of a folder, to see that nothing was written.
size_t EntriesOf(const std::wstring& folder) {
    size_t n = 0;
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW((folder + L"*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do ++n;
    while (FindNextFileW(h, &d));
    FindClose(h);
    return n;
}

// Runs exe with args, stdout into a pipe; gives its exit code and what it printed.
DWORD RunCapturingOutput(const std::wstring& exe, const std::wstring& args, std::string& out) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &sa, 0)) return ~0u;
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = write;
    si.hStdError = write;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + exe + L"\" " + args;
    const BOOL started = CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &si, &pi);
    CloseHandle(write);
    if (!started) {
        CloseHandle(read);
        return ~0u;
    }
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(read, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseHandle(read);
    return code;
}

}  // namespace

TEST_F(TUnattended, VerySilentInstallsEverythingWithoutAWindow) {
    const std::wstring logCopy = Dist.Root() + L"fleet.log";
    int windows = -1;
    EXPECT_EQ(RunToEnd(L"/VERYSILENT /DIR=" + Quoted(Target) + L" /LOG=" + Quoted(logCopy), &windows),
              kInstalled);
    EXPECT_EQ(windows, 0);

    EXPECT_EQ(run::SizeOf(Target + L"DTAfb\\V12.FDB"), run::SizeOf(Dist.Folder() + L"DTAfb\\V12.FDB"));
    EXPECT_EQ(run::SizeOf(Target + L"Settings\\lastnum.dta"), 14);
    EXPECT_EQ(run::Ini(Target + L"Settings\\holter.ini", L"options", L"HardwareType"), L"1");
    EXPECT_EQ(run::LevelOf(run::ReadAll(Target + L"ReleaseInfo")), "010421");
    // On the desktop its users see, not on the deploying account's.
    run::ExpectDesktopLink(Target, run::CommonDesktop());
    EXPECT_FALSE(gui::FileExists(run::DesktopLink()));
    EXPECT_TRUE(gui::FileExists(Target + L"Installed.txt"));
    // The driver box's default: installed, without its question.
    EXPECT_TRUE(run::Contains(gui::Widen(run::ReadAll(Target + L"FTDIDriverInstall\\FTDIDriverInstall.log")),
                              L"show=0"));

    // Install.log and the /LOG copy: the wizard's lines, each after its time.
    const std::wstring log = InstallLog();
    std::vector<std::wstring> lines;
    for (size_t at = 0, end; (end = log.find(L"\r\n", at)) != std::wstring::npos; at = end + 2)
        if (end - at > 13 && log[at + 8] == L'.') lines.push_back(log.substr(at + 13, end - at - 13));
    run::ExpectFontsInstalled(Dist.Folder(), lines);
    EXPECT_TRUE(run::Contains(log, L" Копирование файла V12.FDB....Завершено\r\n")) << gui::Narrow(log);
    EXPECT_TRUE(run::Contains(log, L" Установка драйверов устройства завершена\r\n"));
    EXPECT_TRUE(run::Contains(gui::Widen(run::ReadAll(logCopy)), L" Копирование файла V12.FDB....Завершено\r\n"));
}

TEST_F(TUnattended, NoDriverRunsNoDriverInstallerAndSilentShowsOnlyProgress) {
    gui::TInstaller app(Dist.InstallExe(), {}, L"-silent -nodriver -dir=" + Quoted(Target));
    ASSERT_TRUE(app.WaitMainWindow());
    EXPECT_EQ(app.VisiblePage(), IDC_TS_PROGRESSINSTALL);
    bool asked = false;
    while (app.Running()) {
        asked = asked || app.FindMessageBox() || app.FindMessageWindow();
        Sleep(10);
    }
    EXPECT_FALSE(asked);
    EXPECT_EQ(app.ExitCode(), kInstalled);
    EXPECT_FALSE(gui::DirectoryExists(Target + L"FTDIDriverInstall"));
    EXPECT_FALSE(run::Contains(InstallLog(), L"драйвер"));
    EXPECT_EQ(run::LevelOf(run::ReadAll(Target + L"ReleaseInfo")), "010421");
}

TEST_F(TUnattended, EveryBadCommandLineGives1639AndWritesNothing) {
    const size_t before = EntriesOf(Dist.Root());
    const std::wstring dir = L" /DIR=" + Quoted(Target);
    for (const std::wstring& args : std::vector<std::wstring>{
             L"/VERYSILENT /FOO" + dir, L"/VERYSILENT /VERYSILENT" + dir, L"/VERYSILENT /DIR",
             L"/VERYSILENT /DIR=" + Quoted(L"C:\\"), L"/VERYSILENT /DIR=" + Quoted(Dist.Root() + L"a|b"),
             L"/VERYSILENT /DIR=" + Quoted(Target + L"\"x"), L"/VERYSILENT /DIR=Q:\\Rudeve",
             L"/VERYSILENT /LOG=" + dir, L"/VERYSILENT /DIR=" + std::wstring(32100, L'a'),
             L"/VERYSILENT /DIR=" + Quoted(Target + L"a\x01" L"b")}) {
        int windows = -1;
        EXPECT_EQ(RunToEnd(args, &windows), kBadCommandLine) << gui::Narrow(args.substr(0, 80));
        EXPECT_EQ(windows, 0) << gui::Narrow(args.substr(0, 80));
    }
    EXPECT_EQ(EntriesOf(Dist.Root()), before);
    EXPECT_FALSE(gui::DirectoryExists(Target));
}

TEST_F(TUnattended, MissingMediaFileGives1603WithTheErrorInInstallLog) {
    ASSERT_TRUE(DeleteFileW((Dist.Folder() + L"DTAfb\\V12.FDB").c_str()));
    int windows = -1;
    EXPECT_EQ(RunToEnd(L"/VERYSILENT /NODRIVER /DIR=" + Quoted(Target), &windows), kFatal);
    EXPECT_EQ(windows, 0);
    EXPECT_TRUE(run::Contains(InstallLog(), L" Cannot open file \"" + Dist.Folder())) << gui::Narrow(InstallLog());
    EXPECT_FALSE(gui::FileExists(Target + L"ReleaseInfo"));
    EXPECT_FALSE(gui::FileExists(Target + L"Installed.txt"));
}

TEST_F(TUnattended, SecondRunGives1618WhileTheFirstCompletes) {
    // The first run waits in the driver installer until the hold file is gone.
    run::WriteAll(Dist.Folder() + L"FTDIDriverInstall\\FTDIDriverInstall.hold", "");
    gui::TInstaller first(Dist.InstallExe(), {}, L"/VERYSILENT /DIR=" + Quoted(Target));
    const std::wstring held = Target + L"FTDIDriverInstall\\FTDIDriverInstall.hold";
    const std::wstring ran = Target + L"FTDIDriverInstall\\FTDIDriverInstall.log";
    ASSERT_TRUE(gui::WaitUntil([&] { return gui::FileExists(ran) || !first.Running(); }, 120000));
    ASSERT_TRUE(first.Running());

    // Without the driver, a second run that is let through cannot wait on the hold.
    const std::wstring other = Dist.Root() + L"Other\\", trace = Dist.Root() + L"second.log";
    EXPECT_EQ(RunToEnd(L"/VERYSILENT /NODRIVER /DIR=" + Quoted(other) + L" /LOG=" + Quoted(trace)), kAlreadyRunning);
    EXPECT_FALSE(gui::DirectoryExists(other));
    // Its trace says why; the running installation's Install.log is not touched.
    EXPECT_TRUE(run::Contains(gui::Widen(run::ReadAll(trace)), std::wstring(AlreadyRunningText) + L"\r\n"));
    EXPECT_FALSE(run::Contains(InstallLog(), AlreadyRunningText));

    ASSERT_TRUE(DeleteFileW(held.c_str()));
    ASSERT_TRUE(first.WaitExit(120000));
    EXPECT_EQ(first.ExitCode(), kInstalled);
    EXPECT_EQ(run::LevelOf(run::ReadAll(Target + L"ReleaseInfo")), "010421");
}

TEST_F(TUnattended, OpenWizardHoldsOffUnattendedRuns) {
    gui::TInstaller wizard(Dist.InstallExe());
    ASSERT_TRUE(wizard.WaitMainWindow());
    EXPECT_EQ(RunToEnd(L"/VERYSILENT /NODRIVER /DIR=" + Quoted(Target)), kAlreadyRunning);
    EXPECT_FALSE(gui::DirectoryExists(Target));
    EXPECT_TRUE(wizard.Running());
}

TEST_F(TUnattended, HelpPrintsItsUsageAndBadSwitchesTheReason) {
    std::string out;
    EXPECT_EQ(RunCapturingOutput(Dist.InstallExe(), L"/?", out), kInstalled);
    EXPECT_NE(out.find("/VERYSILENT"), std::string::npos) << out;
    EXPECT_NE(out.find("1639"), std::string::npos);
    out.clear();
    EXPECT_EQ(RunCapturingOutput(Dist.InstallExe(), L"-Help /SILENT /FOO", out), kBadCommandLine);
    EXPECT_NE(out.find("/FOO"), std::string::npos) << out;
}
