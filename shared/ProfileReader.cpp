#include "shared/ProfileReader.h"

#include <windows.h>

std::wstring ReadProfileString(const std::wstring& file, const wchar_t* section,
                               const wchar_t* key, const wchar_t* def) {
    // An empty name would send the reader to win.ini in the Windows folder.
    if (file.empty()) return def;
    wchar_t buffer[2048];
    buffer[0] = L'\0';
    const DWORD n = GetPrivateProfileStringW(section, key, def, buffer, 2048, file.c_str());
    return std::wstring(buffer, n < 2048 ? n : 2047);
}

bool ProfileFileAbsent(const std::wstring& file) {
    if (GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}
