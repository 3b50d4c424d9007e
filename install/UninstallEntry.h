// The Programs and Features entry of the complex: what inventory and
// deployment tools read to find the installation, its version and how to
// remove it. The root keys are parameters so that tests can stand in for
// HKLM (a 32-bit program writes its 32-bit view, Wow6432Node on 64-bit
// Windows) and HKCU.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

struct TUninstallEntry {
    std::wstring DisplayName;
    std::wstring DisplayVersion;
    std::wstring Publisher;
    std::wstring InstallLocation;  // with its trailing "\"
    std::wstring DisplayIcon;
    std::wstring InstallDate;      // yyyymmdd
    std::uint32_t EstimatedSize = 0;  // KiB
    std::wstring UninstallString;
    std::wstring QuietUninstallString;
    std::uint32_t NoModify = 1;
    std::uint32_t NoRepair = 1;
};

enum class TEntryPlace { None, Machine, User };

// Writes the entry below machine, or below user when machine refuses (a
// standard user's token). The values are replaced one by one, DisplayName
// last, so an entry cut off by a kill is not shown as a whole one. After a
// write below machine, an entry of the same folder below user (left by an
// earlier run without the rights) is removed. error: why neither took it.
TEntryPlace WriteUninstallEntry(HKEY machine, HKEY user, const TUninstallEntry& entry, std::wstring& error);

// False when root holds no entry.
bool ReadUninstallEntry(HKEY root, TUninstallEntry& entry);

enum class TEntryRemoval { Removed, Missing, OtherFolder, Failed };

// Removes the entry below root when it names folder; an entry of another
// folder (a later installation elsewhere) stays.
TEntryRemoval RemoveUninstallEntry(HKEY root, const std::wstring& folder, std::wstring& error);

// The folder as the entry names it: absolute, with long names where it exists
// (a program started by its 8.3 path sees that), ending with "\".
std::wstring CanonicalFolder(const std::wstring& folder);

// Two folder paths name the same folder (letter case ignored).
bool SameFolder(const std::wstring& a, const std::wstring& b);
