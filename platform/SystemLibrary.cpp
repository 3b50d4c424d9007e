#include "platform/SystemLibrary.h"

#include <cwchar>

const wchar_t* const RuntimeSystemLibraries[] = {
    L"syssetup.dll",  // the large-font switch (absent on Windows 10 and later)
    L"msftedit.dll",  // the information panel's rich-edit control
    L"riched20.dll",  // its older control, where msftedit is missing
    L"shcore.dll",    // per-monitor DPI (Windows 8.1 and later)
};
const size_t RuntimeSystemLibraryCount =
    sizeof(RuntimeSystemLibraries) / sizeof(RuntimeSystemLibraries[0]);

std::wstring SystemFolder() {
    wchar_t buffer[MAX_PATH];
    const UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return L"";
    std::wstring folder(buffer, n);
    if (folder.back() != L'\\') folder += L'\\';
    return folder;
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
    bool known = false;
    for (size_t i = 0; i < RuntimeSystemLibraryCount; ++i)
        known = known || _wcsicmp(RuntimeSystemLibraries[i], name) == 0;
    const std::wstring folder = SystemFolder();
    if (!known || folder.empty()) return nullptr;
    // LOAD_WITH_ALTERED_SEARCH_PATH: the DLL's own imports are looked for in
    // System32 first, not beside Install.exe.
    return LoadLibraryExW((folder + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

bool RestrictDllSearchToSystem32() {
    using TSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);
    constexpr DWORD SearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
    const auto setDefault =
        LateFunction<TSetDefaultDllDirectories>(L"kernel32.dll", "SetDefaultDllDirectories");
    if (setDefault && setDefault(SearchSystem32)) return true;
    SetDllDirectoryW(L"");
    return false;
}
