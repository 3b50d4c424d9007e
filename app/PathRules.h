// Rules of the path page: how the typed installation folder is normalised and
// which folders are refused. Pure: no <windows.h>.
#pragma once
#include <string>

// Removes every character of code 32 or less from both ends.
std::wstring TrimControl(const std::wstring& text);

enum class TPathCheck { Empty, Root, Accepted };

struct TPathResult {
    TPathCheck check;
    std::wstring path;  // trimmed, with a trailing backslash (empty when Empty)
};

// Trim, refuse an empty entry, add the trailing backslash, refuse root folders
// (three characters or fewer after normalisation).
TPathResult NormalizeInstallPath(const std::wstring& typed);
