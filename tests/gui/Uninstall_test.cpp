// The Programs and Features entry of a real installation and its removal by
// the uninstaller the installation left: what the entry says, what the quiet
// and the wizard removal take and keep, an open file, and the uninstaller's
// own end.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <filesystem>
#include <map>

#include "GuiDriver.h"
#include "InstallRun.h"

namespace {

constexpr DWORD kRemoved = 0, kFatal = 1603, kCancelled = 1602, kBadCommandLine = 1639;
const wchar_t* const EntryKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velitor-Vudeze";

// Every file below folder (relative name -> bytes).
void Snapshot(const std::wstring& folder, const std::wstring& relative, std::map<std::wstring, std::string>& out) {
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW((folder + relative + L"*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = d.cFileName;
        if (name == L"." || name == L"..") continue;
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Snapshot(folder, relative + name + L"\\", out);
        else out[relative + name] = run::ReadAll(folder + relative + name);
    } while (FindNextFileW(h, &d));
    FindClose(h);
}

unsigned long long FolderBytes(const std::wstring& folder) {
    std::map<std::wstring, std::string> files;
    Snapshot(folder, L"", files);
    unsigned long long n = 0;
    for (const auto& [name, bytes] : files) n += bytes.size();
    return n;
}

// A value of the entry as this 32-bit program sees HKLM; "<none>" when missing.
std::wstring EntryText(const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, EntryKey, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return L"<none>";
    return value;
}

DWORD EntryNumber(const wchar_t* name) {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, EntryKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return ~0u;
    return value;
}

bool EntryExists() {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, EntryKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// Runs a command line as a deployment tool does; its exit code. With output,
// what it printed (a pipe read to its end: only for programs that start no others).
DWORD RunCommand(std::wstring commandLine, std::string* output = nullptr) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (output && !CreatePipe(&read, &write, &sa, 0)) return ~0u;
    if (read) SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (output) {
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = si.hStdError = write;
    }
    PROCESS_INFORMATION pi{};
    const BOOL started =
        CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, output != nullptr, 0, nullptr, nullptr, &si, &pi);
    if (write) CloseHandle(write);
    if (!started) {
        if (read) CloseHandle(read);
        return ~0u;
    }
    if (output) {
        char buf[4096];
        DWORD got = 0;
        while (ReadFile(read, buf, sizeof buf, &got, nullptr) && got > 0) output->append(buf, got);
        CloseHandle(read);
    }
    WaitForSingleObject(pi.hProcess, 5 * 60 * 1000);
    DWORD code = ~0u;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return code;
}

struct TUninstall : run::TUnattendedTest {
    TUninstall() : TUnattendedTest(L"Clinic Rudeve") {}

    void Install() {
        ASSERT_EQ(RunCommand(L"\"" + Dist.InstallExe() + L"\" /VERYSILENT /NODRIVER /DIR=\"" + Target + L"\""), 0u);
        ASSERT_TRUE(gui::FileExists(Target + L"Uninstall.exe"));
    }

    // An unattended installation puts its link on the desktop all users share.
    static std::wstring CommonDesktopLink() { return run::CommonDesktop() + L"\\" + texts::LinkName; }

    std::wstring RemovalLog() { return gui::Widen(run::ReadAll(Target + L"Uninstall.log")); }

    // The uninstaller has ended and its copy has removed it: the copy's last line.
    void ExpectUninstallerGone() {
        const std::wstring gone = L" Программа удаления " + Target + L"Uninstall.exe удалена\r\n";
        ASSERT_TRUE(gui::WaitUntil([&] { return run::Contains(RemovalLog(), gone); }, 60000))
            << gui::Narrow(RemovalLog());
        EXPECT_FALSE(gui::FileExists(Target + L"Uninstall.exe"));
        EXPECT_FALSE(gui::FileExists(Target + L"Uninstall.lst"));
    }
};

}  // namespace

TEST_F(TUninstall, EntryNamesTheInstallationAndFollowsANewerRelease) {
    ASSERT_NO_FATAL_FAILURE(Install());
    EXPECT_EQ(EntryText(L"DisplayName"), L"Велитор - Vudeze");
    EXPECT_EQ(EntryText(L"DisplayVersion"), L"010421");
    EXPECT_EQ(EntryText(L"Publisher"), L"Rudeve");
    EXPECT_EQ(EntryText(L"InstallLocation"), Target);
    EXPECT_EQ(EntryText(L"DisplayIcon"), Target + L"Shell.exe");
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t today[16];
    swprintf(today, 16, L"%04d%02d%02d", now.wYear, now.wMonth, now.wDay);
    EXPECT_EQ(EntryText(L"InstallDate"), today);
    EXPECT_EQ(EntryText(L"UninstallString"), L"\"" + Target + L"Uninstall.exe\" /UNINSTALL");
    EXPECT_EQ(EntryText(L"QuietUninstallString"), L"\"" + Target + L"Uninstall.exe\" /UNINSTALL /VERYSILENT");
    EXPECT_EQ(EntryNumber(L"NoModify"), 1u);
    EXPECT_EQ(EntryNumber(L"NoRepair"), 1u);
    // The folder without its 4 MiB database (the logs and the record grew a little since).
    const long long database = run::SizeOf(Target + L"DTAfb\\V12.FDB");
    const long long programs = static_cast<long long>(FolderBytes(Target)) - database;
    const long long estimated = static_cast<long long>(EntryNumber(L"EstimatedSize")) * 1024;
    EXPECT_GT(estimated, programs - 64 * 1024);
    EXPECT_LT(estimated, programs + 64 * 1024);
    // Where a 32-bit program's entry lives on 64-bit Windows.
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                            L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velitor-Vudeze", 0,
                            KEY_READ | KEY_WOW64_64KEY, &key), ERROR_SUCCESS);
    RegCloseKey(key);

    // A newer release package on the media: the second run's entry carries its level.
    CreateDirectoryW((Dist.Folder() + L"backup\\r010521").c_str(), nullptr);
    run::WriteAll(Dist.Folder() + L"backup\\r010521\\Install.cmd", "@echo off\r\nexit /b 0\r\n");
    ASSERT_NO_FATAL_FAILURE(Install());
    EXPECT_EQ(EntryText(L"DisplayVersion"), L"010521");
    EXPECT_EQ(EntryText(L"InstallLocation"), Target);
}

TEST_F(TUninstall, QuietRemovalKeepsTheClinicsFilesAndRemovesTheRest) {
    // Files that were in the chosen folder before the installation are not its own.
    CreateDirectoryW(Target.c_str(), nullptr);
    CreateDirectoryW((Target + L"udf").c_str(), nullptr);
    run::WriteAll(Target + L"Отчёт за май.doc", "before");
    run::WriteAll(Target + L"udf\\old.sql", "before");
    ASSERT_NO_FATAL_FAILURE(Install());
    // A repeated run rewrites the programs as they were: they stay the installation's.
    ASSERT_NO_FATAL_FAILURE(Install());
    // The clinic's own: a program it changed, a file it made, its database and settings.
    run::WriteAll(Target + L"HolterView.exe", run::ReadAll(Target + L"HolterView.exe") + "patched");
    run::WriteAll(Target + L"Протокол.txt", "clinic");
    run::WriteAll(Target + L"udf\\clinic.sql", "clinic");
    std::map<std::wstring, std::string> data, after;
    Snapshot(Target, L"DTAfb\\", data);
    Snapshot(Target, L"Settings\\", data);
    data[L"Install.log"] = run::ReadAll(Target + L"Install.log");
    ASSERT_EQ(data.count(L"DTAfb\\V12.FDB"), 1u);
    ASSERT_EQ(data.count(L"Settings\\holter.ini"), 1u);
    ASSERT_TRUE(gui::FileExists(CommonDesktopLink()));

    // As a deployment tool removes it: the entry's own command.
    ASSERT_EQ(RunCommand(EntryText(L"QuietUninstallString")), kRemoved) << gui::Narrow(RemovalLog());

    Snapshot(Target, L"DTAfb\\", after);
    Snapshot(Target, L"Settings\\", after);
    after[L"Install.log"] = run::ReadAll(Target + L"Install.log");
    EXPECT_TRUE(after == data) << "the database, the settings or Install.log changed";
    for (const wchar_t* gone : {L"Shell.exe", L"PatientBase.exe", L"fbclient.Dll", L"gbak.exe", L"ReleaseInfo",
                                L"Updater.exe", L"Updater.exe.cfg", L"intl", L"backup", L"udf\\fbudf.dll",
                                L"udf\\Verdict.Dll", L"Installed.txt"})
        EXPECT_FALSE(gui::FileExists(Target + gone) || gui::DirectoryExists(Target + gone)) << gui::Narrow(gone);
    EXPECT_FALSE(gui::FileExists(CommonDesktopLink()));
    EXPECT_FALSE(EntryExists());
    EXPECT_EQ(run::ReadAll(Target + L"Протокол.txt"), "clinic");
    EXPECT_EQ(run::ReadAll(Target + L"udf\\clinic.sql"), "clinic");
    EXPECT_EQ(run::ReadAll(Target + L"Отчёт за май.doc"), "before");
    EXPECT_EQ(run::ReadAll(Target + L"udf\\old.sql"), "before");
    EXPECT_TRUE(gui::FileExists(Target + L"HolterView.exe"));
    const std::wstring log = RemovalLog();
    EXPECT_EQ(log.rfind(L"\xFEFFУдаление ", 0), 0u);
    EXPECT_TRUE(run::Contains(log, L" Файл HolterView.exe изменён после установки: оставлен\r\n")) << gui::Narrow(log);
    EXPECT_TRUE(run::Contains(log, L" Удаление завершено\r\n"));
    EXPECT_TRUE(run::Contains(log, L"Шрифты комплекса остаются"));
    EXPECT_TRUE(run::Contains(log, L"Драйвер интерфейсного блока не удаляется"));
    ASSERT_NO_FATAL_FAILURE(ExpectUninstallerGone());

    // The copy that removed it is marked for deletion at the next restart.
    wchar_t pending[8192] = {};
    DWORD size = sizeof pending;
    RegGetValueW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                 L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, pending, &size);
    bool marked = false;
    for (const wchar_t* p = pending; *p; p += wcslen(p) + 1) marked = marked || wcsstr(p, L"Velitor-Vudeze-Uninstall-");
    EXPECT_TRUE(marked);
}

TEST_F(TUninstall, OpenFileIsNamedAndASecondRunFinishes) {
    ASSERT_NO_FATAL_FAILURE(Install());
    ASSERT_TRUE(DeleteFileW((Target + L"gbak.exe").c_str()));  // removed by hand before
    {
        // The database server holds its client library.
        HANDLE held = CreateFileW((Target + L"fbclient.Dll").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        const DWORD code = RunCommand(EntryText(L"QuietUninstallString"));
        CloseHandle(held);
        EXPECT_EQ(code, kFatal);
    }
    const std::wstring first = RemovalLog();
    EXPECT_TRUE(run::Contains(first, L" Файл fbclient.Dll открыт другой программой и не удалён\r\n"))
        << gui::Narrow(first);
    EXPECT_TRUE(run::Contains(first, L" Файл gbak.exe не найден\r\n"));
    EXPECT_TRUE(run::Contains(first, L" Удаление не завершено: "));
    EXPECT_FALSE(gui::FileExists(Target + L"Shell.exe"));
    // What a later run needs stays: the entry, the uninstaller, the record.
    EXPECT_TRUE(EntryExists());
    EXPECT_TRUE(gui::FileExists(Target + L"Uninstall.exe"));

    ASSERT_EQ(RunCommand(EntryText(L"QuietUninstallString")), kRemoved) << gui::Narrow(RemovalLog());
    const std::wstring second = RemovalLog().substr(first.size());
    EXPECT_TRUE(run::Contains(second, L" Удаление файла fbclient.Dll....Завершено\r\n")) << gui::Narrow(second);
    EXPECT_FALSE(run::Contains(second, L"не найден")) << gui::Narrow(second);  // only what was left
    EXPECT_FALSE(gui::FileExists(Target + L"fbclient.Dll"));
    EXPECT_FALSE(EntryExists());
    EXPECT_EQ(run::SizeOf(Target + L"DTAfb\\V12.FDB"), run::SizeOf(Dist.Folder() + L"DTAfb\\V12.FDB"));
    ASSERT_NO_FATAL_FAILURE(ExpectUninstallerGone());
}

TEST_F(TUninstall, FromTheMediaIsRefused) {
    std::map<std::wstring, std::string> media, after;
    Snapshot(Dist.Folder(), L"", media);
    std::string out;
    EXPECT_EQ(RunCommand(L"\"" + Dist.InstallExe() + L"\" /UNINSTALL /VERYSILENT", &out), kBadCommandLine);
    EXPECT_NE(out.find("Uninstall.lst"), std::string::npos) << out;
    Snapshot(Dist.Folder(), L"", after);
    EXPECT_TRUE(after == media);
}

TEST_F(TUninstall, WizardFormAsksOnceShowsWhatItRemovedAndEnds) {
    ASSERT_NO_FATAL_FAILURE(Install());
    {
        gui::TInstaller app(Target + L"Uninstall.exe", {}, L"/UNINSTALL");
        HWND box = app.WaitMessageBox();
        ASSERT_TRUE(box);
        const std::wstring question = gui::DialogText(box);
        EXPECT_TRUE(run::Contains(question, Target + L"DTAfb\\")) << gui::Narrow(question);
        EXPECT_TRUE(run::Contains(question, L"останутся на месте"));
        app.Answer(box, IDNO);
        ASSERT_TRUE(app.WaitExit());
        EXPECT_EQ(app.ExitCode(), kCancelled);
        EXPECT_TRUE(gui::FileExists(Target + L"Shell.exe"));
    }
    gui::TInstaller app(Target + L"Uninstall.exe", {}, L"/UNINSTALL");
    HWND box = app.WaitMessageBox();
    ASSERT_TRUE(box);
    app.Answer(box, IDYES);
    ASSERT_TRUE(app.WaitMainWindow());
    box = nullptr;
    ASSERT_TRUE(gui::WaitUntil([&] { return (box = app.FindMessageBox()) != nullptr; }, 120000));
    const std::wstring end = gui::DialogText(box);
    EXPECT_TRUE(run::Contains(end, L"завершено")) << gui::Narrow(end);
    const std::vector<std::wstring> lines = app.LogLines();
    EXPECT_TRUE(std::find(lines.begin(), lines.end(), L"Удаление файла Shell.exe....Завершено") != lines.end());
    EXPECT_EQ(lines.back(), L"Удаление завершено");
    app.Answer(box, IDOK);
    ASSERT_TRUE(app.WaitExit());
    EXPECT_EQ(app.ExitCode(), kRemoved);
    EXPECT_FALSE(gui::FileExists(Target + L"Shell.exe"));
    ASSERT_NO_FATAL_FAILURE(ExpectUninstallerGone());
}
