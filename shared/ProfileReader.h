// Reading keys of an INI file through the system's profile reader.
#pragma once
#include <string>

// GetPrivateProfileStringW with a 2048-character buffer, so at most 2047
// characters; def when the file, section or key is missing. An empty file
// name reads nothing.
std::wstring ReadProfileString(const std::wstring& file, const wchar_t* section,
                               const wchar_t* key, const wchar_t* def);

// The file (or a folder on its path) is not there at all, so every key of it
// reads as its default; an unreadable or unreachable file is not "absent".
bool ProfileFileAbsent(const std::wstring& file);
