// What an installation leaves for its removal: the record of the files it put
// into the installation folder, the rules for the paths such a record may hold,
// and the values of the Programs and Features entry. Pure: no <windows.h>.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "install/MediaLayout.h"

// Beside the programs, written at the end of a completed installation.
inline const std::wstring UninstallerName = L"Uninstall.exe";
inline const std::wstring InstallRecordName = L"Uninstall.lst";
inline const std::wstring UninstallLogName = L"Uninstall.log";
// The most of a record that is read.
inline constexpr std::size_t MaxRecordBytes = 64 * 1024 * 1024;
// InstalledMarkerFile (MediaLayout.h): written by the installation as its last
// step; the removal takes it away first.

// The entry's key below HKLM (32-bit view) or HKCU.
inline const std::wstring UninstallKeyParent = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline const std::wstring UninstallKeyName = L"Velitor-Vudeze";
inline const std::wstring UninstallKeyPath = UninstallKeyParent + L"\\" + UninstallKeyName;

struct TRecordedFile {
    std::wstring Path;             // relative to the installation folder
    std::uint64_t Size = 0;
    std::uint64_t WriteTime = 0;   // last-write time as a FILETIME's 64 bits
    bool operator==(const TRecordedFile&) const = default;
};

struct TInstallRecord {
    std::wstring Folder;    // the installation folder when it was written (information only)
    std::wstring Shortcut;  // the desktop link the installation made; empty when none
    std::vector<TRecordedFile> Files;
};

// The record as UTF-8 text: a first line naming the format, then one line per
// entry, fields separated by tabs, the path last.
std::string FormatInstallRecord(const TInstallRecord& record);

// False when the bytes are not a record of this format. Lines that do not
// parse, and files whose path breaks RecordablePath (a hand-edited record),
// are left out and counted in refused.
bool ParseInstallRecord(std::string_view bytes, TInstallRecord& record, std::size_t& refused);

// A path, relative to the installation folder, that a record may name and the
// removal may delete: inside the folder (no drive, no root, no "." or "..", no
// stream, no component that Windows would shorten by trailing dots or blanks,
// no device name), outside the database and settings folders, and none of the
// files the removal keeps or handles itself (the logs at the top, the record,
// the uninstaller, the marker). Letter case is not significant.
bool RecordablePath(std::wstring_view relative);

// What the installation folder held before a run wrote into it: the files a
// record may name, and the paths the folder's earlier record named (empty when
// it had none).
struct TFolderBefore {
    std::vector<TRecordedFile> Present;
    std::vector<std::wstring> Recorded;
};

// The files of the folder at the end of a run (now) that are the installation's:
// those the run made or changed (absent before, or of another size or time),
// and those an earlier installation recorded. A file that was there before and
// was left as it was is somebody else's: the removal must not take it.
std::vector<TRecordedFile> InstalledFiles(const std::vector<TRecordedFile>& now, const TFolderBefore& before);

// A desktop link the removal may look at: an absolute path of a ".lnk" file.
bool RecordableShortcut(std::wstring_view path);

// True when path lies inside folder (which ends with "\"), compared without
// regard to ASCII letter case, after both were made absolute by the caller.
bool PathInsideFolder(std::wstring_view path, std::wstring_view folder);

// The entry's values that are plain text.
std::wstring InstallDateText(int year, int month, int day);                   // yyyymmdd
std::uint32_t EstimatedSizeKiB(std::uint64_t bytes);                          // rounded up
std::wstring UninstallCommand(const std::wstring& folder, bool quiet);        // folder ends with "\"

// The uninstaller's own last step: a temporary copy that waits for the
// uninstaller's process (an inherited handle) to end and then removes it.
std::wstring RemovalHelperArguments(std::uint32_t processHandle, const std::wstring& folder);
// True when the command line (as GetCommandLineW gives it) starts the helper.
bool ParseRemovalHelper(std::wstring_view commandLine, std::uint32_t& processHandle, std::wstring& folder);
