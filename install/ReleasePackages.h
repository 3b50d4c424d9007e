// Release packages under backup\: the date key of a package, the newest one,
// and the release level it installs. Pure: no <windows.h>.
#pragma once
#include <string>
#include <vector>

// Date key of a package path: its last six characters DDMMYY read as YYMMDD.
// "...\r150321" gives 210315. Raises EAppError when they are not six digits.
long DateKey(const std::wstring& packagePath);

// Index of the package with the strictly greatest key, scanning the list in
// its order, so among equal keys the first wins. Raises EAppError for an
// empty list (folder names the place searched) or a malformed key.
std::size_t NewestPackage(const std::vector<std::wstring>& sortedPaths, const std::wstring& folder);

// Release level: the package folder's name without its first character.
std::wstring ReleaseLevel(const std::wstring& packagePath);
