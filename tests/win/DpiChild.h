// The screen resolution is read when a process starts, so a check at another
// resolution runs in a child process of the same test program, started after
// the resolution in the test prefix's registry has been changed.
#pragma once
#include <windows.h>

#include <cstdlib>
#include <string>

namespace dpichild {

constexpr const wchar_t* DesktopKey = L"Control Panel\\Desktop";
constexpr const wchar_t* EnvName = L"TEST_CHILD_DPI";
constexpr DWORD Passed = 100, Failed = 101;

// The resolution this process was started for as a child, or 0 in the parent.
inline int ChildDpi() {
    const char* v = std::getenv("TEST_CHILD_DPI");
    return v ? std::atoi(v) : 0;
}

// Ends the child with a code that tells the parent the check really ran.
[[noreturn]] inline void EndChild(bool failed) { ExitProcess(failed ? Failed : Passed); }

// Runs the tests matching filter in a child process at dpi and returns its exit code.
inline DWORD RunSelfAtDpi(int dpi, const std::wstring& filter) {
    DWORD saved = 0, size = sizeof(saved);
    const bool had = RegGetValueW(HKEY_CURRENT_USER, DesktopKey, L"LogPixels", RRF_RT_REG_DWORD,
                                  nullptr, &saved, &size) == ERROR_SUCCESS;
    DWORD value = static_cast<DWORD>(dpi);
    RegSetKeyValueW(HKEY_CURRENT_USER, DesktopKey, L"LogPixels", REG_DWORD, &value, sizeof(value));

    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring cmd = L"\"" + std::wstring(exe) + L"\" --gtest_filter=" + filter;
    SetEnvironmentVariableW(EnvName, std::to_wstring(dpi).c_str());
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    DWORD code = 99;
    if (CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                       &pi)) {
        WaitForSingleObject(pi.hProcess, 120000);
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    SetEnvironmentVariableW(EnvName, nullptr);

    if (had) RegSetKeyValueW(HKEY_CURRENT_USER, DesktopKey, L"LogPixels", REG_DWORD, &saved,
                             sizeof(saved));
    else RegDeleteKeyValueW(HKEY_CURRENT_USER, DesktopKey, L"LogPixels");
    return code;
}

}  // namespace dpichild
