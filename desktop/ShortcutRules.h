// Where a shell link goes and how its file is named. Pure rules, no <windows.h>:
// the registry look-up and the shell-link object live in Shortcut.cpp.
#pragma once
#include <cstdint>
#include <string>

enum ShortcutFolder : uint8_t { Desktop = 0, QuickLaunch = 1, SendTo = 2, StartMenu = 3, Explicit = 4 };

// The registry place of a located folder, all under HKEY_CURRENT_USER.
struct TShortcutFolderKey {
    const wchar_t* Key;     // opened (created when missing) first
    const wchar_t* SubKey;  // below Key
    const wchar_t* Value;   // a string value of SubKey
};

// The registry place for codes 0 to 3; false for Explicit and for codes above it.
bool ShortcutFolderKey(uint8_t location, TShortcutFolderKey& key);

// Key opened for a code that has no registry place of its own (Explicit and above).
const wchar_t* ShortcutDefaultKey();

// File name of the link: LinkName (or Target when it is empty) with its extension
// replaced by ".lnk", reduced to its last path component ("\" or ":" separate).
std::wstring LinkFileName(const std::wstring& linkName, const std::wstring& target);

// Start-in folder: WorkingFolder, or the folder part of Target with its trailing
// separator when WorkingFolder is empty.
std::wstring LinkWorkingFolder(const std::wstring& workingFolder, const std::wstring& target);

// Full path of the link file in the located folder. SubFolder is a level below
// the folder for codes 0 to 3; for Explicit the folder already is SubFolder.
std::wstring LinkFilePath(const std::wstring& folder, uint8_t location,
                          const std::wstring& subFolder, const std::wstring& fileName);
