// Install.exe as a fleet runs it: from shared media that others read too,
// repeated over a working installation, into odd folders, reinstalling the
// driver; judged by the exit code, by what is on disk, and by never showing a
// window that nobody would answer.
#include <gtest/gtest.h>

#include <windows.h>

#include "GuiDriver.h"
#include "InstallRun.h"

namespace {

constexpr DWORD kInstalled = 0, kFatal = 1603, kBadCommandLine = 1639;

struct TFleet : run::TUnattendedTest {

    // Runs Install.exe to its end. A window of an unattended run is one nobody
    // answers: the run fails there and then, and is ended.
    DWORD RunUnseen(const std::wstring& args, const std::wstring& currentFolder = {}) {
        gui::TInstaller app(Dist.InstallExe(), currentFolder, args);
        EXPECT_TRUE(app.Started()) << gui::Narrow(app.StartError());
        while (app.Running()) {
            const std::vector<HWND> windows = app.TopLevelWindows();
            if (!windows.empty()) {
                ADD_FAILURE() << "a window waits for an answer: " << gui::Narrow(gui::WindowText(windows[0]));
                app.Kill();
                return ~0u;
            }
            Sleep(10);
        }
        return app.ExitCode();
    }

    std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }
    std::wstring At(const std::wstring& folder) { return L"/VERYSILENT /DIR=" + Quoted(folder); }
    std::wstring Log(const std::wstring& folder) { return gui::Widen(run::ReadAll(folder + L"Install.log")); }
};

// What a folder holds, by name.
std::vector<std::wstring> Names(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW((folder + L"*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return names;
    do names.push_back(d.cFileName);
    while (FindNextFileW(h, &d));
    FindClose(h);
    return names;
}

}  // namespace

TEST_F(TFleet, MediaThatOthersReadInstallsCompletely) {
    // Another PC copying from the same share, a backup, a virus scan.
    std::vector<HANDLE> readers;
    for (const wchar_t* file : {L"DTAfb\\V12.FDB", L"Firebird\\gbak.exe", L"fonts\\ARIAL.TTF"}) {
        readers.push_back(CreateFileW((Dist.Folder() + file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
        ASSERT_NE(readers.back(), INVALID_HANDLE_VALUE);
    }
    EXPECT_EQ(RunUnseen(At(Target) + L" /NODRIVER"), kInstalled) << gui::Narrow(Log(Target));
    for (HANDLE h : readers) CloseHandle(h);
    EXPECT_EQ(run::SizeOf(Target + L"DTAfb\\V12.FDB"), run::SizeOf(Dist.Folder() + L"DTAfb\\V12.FDB"));
    EXPECT_EQ(run::SizeOf(Target + L"gbak.exe"), run::SizeOf(Dist.Folder() + L"Firebird\\gbak.exe"));
    EXPECT_TRUE(gui::FileExists(Target + L"Installed.txt"));
}

TEST_F(TFleet, ThreeDriverReinstallationsLeaveTheNewestDriverAndNothingNested) {
    const std::wstring media = Dist.Folder() + L"FTDIDriverInstall\\";
    CreateDirectoryW((media + L"amd64").c_str(), nullptr);
    for (const std::string release : {"1", "2", "3"}) {
        SCOPED_TRACE(release);
        run::WriteAll(media + L"release.txt", release);
        run::WriteAll(media + L"amd64\\ftdibus.inf", release);
        ASSERT_EQ(RunUnseen(At(Target)), kInstalled) << gui::Narrow(Log(Target));
        EXPECT_EQ(run::ReadAll(Target + L"FTDIDriverInstall\\release.txt"), release);
        EXPECT_EQ(run::ReadAll(Target + L"FTDIDriverInstall\\amd64\\ftdibus.inf"), release);
    }
    EXPECT_FALSE(gui::DirectoryExists(Target + L"FTDIDriverInstall\\FTDIDriverInstall"));
    // Each run started the driver installer from the target once.
    const std::string record = run::ReadAll(Target + L"FTDIDriverInstall\\FTDIDriverInstall.log");
    size_t runs = 0;
    for (size_t at = record.find("ran\r\n"); at != std::string::npos; at = record.find("ran\r\n", at + 1)) ++runs;
    EXPECT_EQ(runs, 3u);
}

TEST_F(TFleet, RepeatedRunKeepsTheClinicsDatabaseAndSettingsUnlessToldOtherwise) {
    ASSERT_EQ(RunUnseen(At(Target) + L" /NODRIVER"), kInstalled);
    // The clinic works with it: patients in the database, its hardware set up.
    const std::string clinic = "the clinic's examinations";
    run::WriteAll(Target + L"DTAfb\\V12.FDB", clinic);
    const std::wstring ini = Target + L"Settings\\holter.ini";
    WritePrivateProfileStringW(L"options", L"FilterType", L"3", ini.c_str());
    WritePrivateProfileStringW(L"options", L"HardwareType", L"2", ini.c_str());
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, ini.c_str());

    ASSERT_EQ(RunUnseen(At(Target) + L" /NODRIVER"), kInstalled);
    EXPECT_TRUE(run::ReadAll(Target + L"DTAfb\\V12.FDB") == clinic) << "the clinic's database replaced";
    EXPECT_EQ(Names(Target + L"DTAfb\\").size(), 3u) << "only . .. and V12.FDB";
    EXPECT_EQ(run::Ini(ini, L"options", L"FilterType"), L"3");
    EXPECT_EQ(run::Ini(ini, L"options", L"HardwareType"), L"2");
    EXPECT_TRUE(run::Contains(Log(Target), L"V12.FDB уже есть и оставлена на месте"));
    EXPECT_TRUE(run::Contains(Log(Target), L"holter.ini уже есть и оставлены без изменений"));

    // Asked for: the media's database in place, the clinic's in its dated backup.
    ASSERT_EQ(RunUnseen(At(Target) + L" /NODRIVER /NEWDATABASE /NEWSETTINGS"), kInstalled);
    EXPECT_EQ(run::SizeOf(Target + L"DTAfb\\V12.FDB"), run::SizeOf(Dist.Folder() + L"DTAfb\\V12.FDB"));
    std::string backup;
    for (const std::wstring& name : Names(Target + L"DTAfb\\"))
        if (name.size() > 4 && name.substr(name.size() - 4) == L".bak") backup = run::ReadAll(Target + L"DTAfb\\" + name);
    EXPECT_TRUE(backup == clinic) << "no backup of the clinic's database";
    EXPECT_EQ(run::Ini(ini, L"options", L"FilterType"), L"0");
    EXPECT_EQ(run::Ini(ini, L"options", L"HardwareType"), L"1");
}

TEST_F(TFleet, DriveRootsHoweverSpelledAreRefusedWithNothingWritten) {
    const std::vector<std::wstring> before = Names(L"C:\\");
    for (const wchar_t* root : {L"C:/", L"C:\\.", L"C:\\x\\..", L"C:\\\\", L"C:\\x\\..\\\\."}) {
        SCOPED_TRACE(gui::Narrow(root));
        EXPECT_EQ(RunUnseen(L"/VERYSILENT /NODRIVER /DIR=" + Quoted(root)), kBadCommandLine);
    }
    EXPECT_EQ(Names(L"C:\\"), before);
    EXPECT_FALSE(gui::FileExists(L"C:\\Install.log"));
}

TEST_F(TFleet, RelativeFolderInstallsCompletelyBesideInstallExe) {
    const std::wstring elsewhere = Dist.MakeScratchFolder(L"elsewhere");
    EXPECT_EQ(RunUnseen(L"/VERYSILENT /NODRIVER /DIR=RelDir", elsewhere), kInstalled);
    const std::wstring beside = Dist.Folder() + L"RelDir\\";
    EXPECT_EQ(run::LevelOf(run::ReadAll(beside + L"ReleaseInfo")), "010421") << gui::Narrow(Log(beside));
    EXPECT_TRUE(gui::FileExists(beside + L"Shell.exe"));
    EXPECT_TRUE(gui::FileExists(beside + L"Installed.txt"));
    EXPECT_FALSE(gui::DirectoryExists(elsewhere + L"RelDir"));
    // The link points at the real folder, not at a relative one.
    run::ExpectDesktopLink(beside, run::CommonDesktop());
}

TEST_F(TFleet, FolderTooDeepForWhatItWouldHoldIsRefusedWithNothingWritten) {
    // Short enough for a folder, too long for the driver installer's command line.
    const std::wstring deep = Dist.Root() + std::wstring(230 - Dist.Root().size(), L'd');
    ASSERT_EQ(deep.size(), 230u);
    EXPECT_EQ(RunUnseen(At(deep)), kBadCommandLine);
    // Without the driver, the deepest file of the media does not fit either.
    EXPECT_EQ(RunUnseen(At(deep) + L" /NODRIVER"), kBadCommandLine);
    EXPECT_FALSE(gui::DirectoryExists(deep));
    EXPECT_EQ(RunUnseen(At(Dist.Root() + L"fits") + L" /NODRIVER"), kInstalled);
}

TEST_F(TFleet, ReleaseWithoutTheMainProgramIsNoCompletedInstallation) {
    for (const wchar_t* package : {L"r150321", L"r010421"})
        ASSERT_TRUE(DeleteFileW((Dist.Folder() + L"backup\\" + package + L"\\files\\Shell.exe").c_str()));
    EXPECT_EQ(RunUnseen(At(Target) + L" /NODRIVER"), kFatal);
    // The stages after the update still ran, but nothing says "installed".
    EXPECT_EQ(run::LevelOf(run::ReadAll(Target + L"ReleaseInfo")), "010421");
    EXPECT_FALSE(gui::FileExists(Target + L"Installed.txt"));
    const std::wstring log = Log(Target);
    EXPECT_TRUE(run::Contains(log, L"Установка не завершена: Главная программа " + Target + L"Shell.exe не установлена\r\n"))
        << gui::Narrow(log);
}
