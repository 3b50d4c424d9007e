// The installer's choice of the release package it runs (install/ReleasePackages),
// seen from the checker: every key kept, a bad one answered instead of raised,
// the candidates sorted without regard to letter case as the update stage does.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "install/MediaLayout.h"

namespace mediacheck {

// The folder name that is never a release package (compared exactly).
inline const std::wstring_view kNoAnswerFolder = NoAnswerFolder;

// Key of a package path: its last six characters c1..c6 read as c5c6c3c4c1c2.
// Empty when they are not six decimal digits (the installer stops there).
std::optional<int> PackageDateKey(std::wstring_view path);

// Release level recorded for a package name: the name without its first character.
std::wstring PackageLevel(std::wstring_view name);

// True when the key is a calendar date (years taken as 19YY or 20YY alike).
bool IsCalendarKey(int key);

struct TPackageChoice {
    std::vector<std::wstring> sorted;  // the candidates in the installer's order
    std::vector<std::optional<int>> keys;
    std::optional<size_t> chosen;      // index into sorted; empty when none or a key fails
};

// Candidates are full paths or bare names (the shared prefix does not change
// the order or, for names of six characters or more, the keys).
TPackageChoice ChoosePackage(std::vector<std::wstring> candidates);

}  // namespace mediacheck
