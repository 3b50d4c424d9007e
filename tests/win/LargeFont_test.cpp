#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "desktop/LargeFont.h"
#include "platform/WinUtil.h"
#include "tests/win/TestFolder.h"

namespace {

std::wstring TempFolder() {
    wchar_t tmp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, tmp);
    return tmp;
}

std::wstring CallRecord() { return TempFolder() + L"syssetup-call.txt"; }

std::wstring ReadRecord() {
    TKernelHandle f(CreateFileW(CallRecord().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!f.Valid()) return L"";
    wchar_t buf[2048] = {};
    DWORD read = 0;
    ReadFile(f.Get(), buf, sizeof(buf) - sizeof(wchar_t), &read, nullptr);
    return buf;
}

std::wstring FakeLibrary() { return BuildPath(FAKE_SYSSETUP); }

// Where the loader really looks for System32\X: for a 32-bit program on 64-bit
// Windows that is SysWOW64 (Windows redirects the copy there too; Wine 8
// redirects the load but not always the copy, so the test plants it there).
std::wstring SystemFolder() {
    wchar_t sys[MAX_PATH] = {};
    BOOL wow64 = FALSE;
    if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64)
        GetSystemWow64DirectoryW(sys, MAX_PATH);
    else
        GetSystemDirectoryW(sys, MAX_PATH);
    return std::wstring(sys) + L"\\";
}

}  // namespace

TEST(LargeFont, SystemFontSizeChangeIsLoadedFromTheSystemFolderOnly) {
    ASSERT_TRUE(FileExists(FakeLibrary())) << "fake_syssetup is built with the tests";
    DeleteFileW(CallRecord().c_str());
    const std::wstring beside = ExeFolder() + L"syssetup.dll";
    const std::wstring inCurrent = TempFolder() + L"syssetup.dll";
    const std::wstring inSystem = SystemFolder() + L"syssetup.dll";
    ASSERT_FALSE(FileExists(inSystem)) << "this test expects a system without syssetup.dll";

    // Planted beside the program and in the current folder: never loaded.
    ASSERT_TRUE(CopyFileW(FakeLibrary().c_str(), beside.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(FakeLibrary().c_str(), inCurrent.c_str(), FALSE));
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(TempFolder().c_str());
    const bool calledPlanted = CallSetupChangeFontSize(nullptr, L"120");
    SetCurrentDirectoryW(previous);
    const std::wstring plantedRecord = ReadRecord();
    DeleteFileW(beside.c_str());
    DeleteFileW(inCurrent.c_str());
    EXPECT_FALSE(calledPlanted);
    EXPECT_EQ(plantedRecord, L"");
    EXPECT_EQ(GetModuleHandleW(L"syssetup.dll"), nullptr);

    // In the system folder (of this run's own Wine prefix): called with no owner
    // and "120", and unloaded again.
    ASSERT_TRUE(CopyFileW(FakeLibrary().c_str(), inSystem.c_str(), FALSE));
    const bool calledSystem = CallSetupChangeFontSize(nullptr, L"120");
    const std::wstring record = ReadRecord();
    const bool stillLoaded = GetModuleHandleW(L"syssetup.dll") != nullptr;
    DeleteFileW(inSystem.c_str());
    DeleteFileW(CallRecord().c_str());
    EXPECT_TRUE(calledSystem);
    EXPECT_EQ(record.substr(0, record.find(L'\n', 8) + 1), L"owner=0\n120\n");
    EXPECT_TRUE(record.find(L"\\system32\\syssetup.dll") != std::wstring::npos ||
                record.find(L"\\syswow64\\syssetup.dll") != std::wstring::npos)
        << record.c_str();
    EXPECT_FALSE(stillLoaded);

    // Nothing there at all (as under Wine): the switch reports it could not run.
    EXPECT_FALSE(CallSetupChangeFontSize(nullptr, L"120"));
}

TEST(LargeFont, ShutdownPrivilegeCanBeEnabled) {
    ASSERT_TRUE(EnableShutdownPrivilege());
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    BYTE buffer[4096];
    DWORD length = 0;
    ASSERT_TRUE(GetTokenInformation(token, TokenPrivileges, buffer, sizeof(buffer), &length));
    CloseHandle(token);
    LUID shutdown{};
    ASSERT_TRUE(LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &shutdown));
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer);
    bool enabled = false;
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const auto& p = privileges->Privileges[i];
        if (p.Luid.LowPart == shutdown.LowPart && p.Luid.HighPart == shutdown.HighPart)
            enabled = (p.Attributes & SE_PRIVILEGE_ENABLED) != 0;
    }
    EXPECT_TRUE(enabled);
}

// Run by the test below in a child process, after it has set the resolution.
TEST(LargeFontChild, ReportsTheScreen) {
    if (std::getenv("LARGEFONT_CHILD") == nullptr) GTEST_SKIP() << "run as a child only";
    std::exit(IsSmallFontScreen() ? 10 : 20);
}

TEST(LargeFont, SmallFontsAreBelowOneHundredPixelsPerInch) {
    // The resolution is read when a process starts: each value gets a fresh one.
    const wchar_t* const desktop = L"Control Panel\\Desktop";
    SetEnvironmentVariableW(L"LARGEFONT_CHILD", L"1");
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    for (DWORD dpi : {96u, 99u, 100u, 120u, 144u}) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, desktop, L"LogPixels", REG_DWORD, &dpi,
                                  sizeof(dpi)), ERROR_SUCCESS);
        std::wstring cmd = L"\"" + std::wstring(self) +
                           L"\" --gtest_filter=LargeFontChild.ReportsTheScreen";
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(CreateProcessW(self, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &si, &pi));
        WaitForSingleObject(pi.hProcess, 60000);
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        EXPECT_EQ(code, dpi < 100 ? 10u : 20u) << dpi;
    }
    SetEnvironmentVariableW(L"LARGEFONT_CHILD", nullptr);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, desktop, L"LogPixels");
}
