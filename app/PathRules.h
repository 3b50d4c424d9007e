// Rules of the installation folder, for the path page and /DIR alike: how the
// typed folder is normalised and which folders are refused. The Windows part
// (app/InstallFolder) makes the folder canonical with GetFullPathNameW between
// these steps. Pure: no <windows.h>.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

// The refusals of an empty folder and of a drive root, on the path page and for /DIR.
inline const wchar_t* const NoPathText = L"Не выбран путь для установки программы!";
inline const wchar_t* const RootFolderText = L"Программу нелзя устанавливать в корневой каталог!";

// Removes every character of code 32 or less from both ends.
std::wstring TrimControl(const std::wstring& text);

enum class TPathCheck { Empty, Root, Accepted };

struct TPathResult {
    TPathCheck check;
    std::wstring path;  // trimmed, with a trailing backslash (empty when Empty)
};

// Trim, refuse an empty entry, add the trailing backslash, refuse a drive
// root however it is spelled ("C:", "C:/", "C:\\\\", "\\\\server\\share").
TPathResult NormalizeInstallPath(const std::wstring& typed);

// The typed (trimmed) folder as an absolute path for GetFullPathNameW: "/" is
// "\\" and doubled separators are single; a relative folder lies in base (a
// folder ending with "\\", Install.exe's); "\\x" is on base's drive; "C:" and
// "C:x" start at C:'s root. "." and ".." are left to GetFullPathNameW.
std::wstring AbsoluteBeside(const std::wstring& typed, const std::wstring& base);

// "C:\\" or "\\\\server\\share\\" (with or without the backslash): a drive root.
bool IsDriveRoot(const std::wstring& path);

// No character that no Windows path may hold; a colon only after a drive letter.
bool UsablePath(const std::wstring& path);

// The longest folder CreateDirectoryW takes (MAX_PATH less room for an 8.3 name).
inline constexpr std::size_t MaxFolderLength = 247;
// The longest path of a file (MAX_PATH less its terminating zero).
inline constexpr std::size_t MaxFileLength = 259;

// Room for the suffix of a file's temporary name: a process id of up to 7
// digits and a tick count of up to 11 (three years without a restart).
inline constexpr std::size_t WrittenSuffixRoom = 24;

// What an installation puts below its folder, as paths relative to it.
struct TInstalledNames {
    std::vector<std::wstring> Files;    // every file copied or written
    // Files written beside themselves first, under their name and a suffix of
    // up to WrittenSuffixRoom characters (".<process>.<ticks>.tmp", ".part").
    std::vector<std::wstring> Written;
    std::vector<std::wstring> Folders;  // every folder created
    std::wstring DriverProgram;         // the driver installer when it runs; empty: no driver
    std::vector<std::wstring> Scripts;  // the release scripts that may run
};

// Why folder (absolute, with "\\") is too deep for what is installed below
// it: the first limit it breaks, and how long the folder may be. Empty when
// everything fits.
std::wstring TooDeepReason(const std::wstring& folder, const TInstalledNames& names);
