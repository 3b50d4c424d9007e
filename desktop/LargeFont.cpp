#include "desktop/LargeFont.h"
#include "platform/SystemLibrary.h"

namespace {

using TSetupChangeFontSize = BOOL(WINAPI*)(HWND, LPCWSTR);

bool IsWindowsNT() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&info)) return false;
#pragma GCC diagnostic pop
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

}  // namespace

bool IsSmallFontScreen() {
    HDC dc = GetDC(nullptr);
    int logPixels = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
    return logPixels < LargeFontLogPixels;
}

bool CallSetupChangeFontSize(HWND owner, const wchar_t* size) {
    // Never from the program's own folder: the installer runs from media that
    // may carry a file of that name.
    const TSystemLibrary library(LoadSystemLibrary(L"syssetup.dll"));
    const auto change = LateFunction<TSetupChangeFontSize>(library.Get(), "SetupChangeFontSize");
    return change != nullptr && change(owner, size) != FALSE;
}

bool EnableShutdownPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool ok = false;
    if (LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
        TOKEN_PRIVILEGES previous{};
        DWORD length = 0;
        ok = AdjustTokenPrivileges(token, FALSE, &privileges, sizeof(privileges), &previous,
                                   &length) &&
             GetLastError() == ERROR_SUCCESS;
    }
    CloseHandle(token);
    return ok;
}

bool RestartWindows(UINT flags, DWORD reason) {
    // A failure to enable the privilege is not fatal: the request may still pass.
    if (IsWindowsNT()) EnableShutdownPrivilege();
    return ExitWindowsEx(flags, reason) != FALSE;
}
