// File-system helpers with which the installation lays the distribution folder
// into the installation folder. None of them shows anything or writes to the
// progress list; the caller does that.
#pragma once
#include <functional>
#include <string>
#include <vector>

// Told after each block of a copy: bytes done and the file's size.
using TCopyProgress = std::function<void(unsigned long long done, unsigned long long total)>;

// Creates the folder when it does not exist (the last level only); the outcome
// is not examined.
void CreateFolderIfMissing(const std::wstring& folder);

// Creates the folder and every missing parent; 0 when it exists afterwards,
// otherwise the system's error code of the level that could not be made.
unsigned long CreateFolderPath(const std::wstring& folder);

// Appends folder + name for every visible subfolder of folder (which ends with
// "\"), except "." , ".." and "WithOutAnswer" (exact, case-sensitive). Hidden
// and system folders are never listed. A missing folder adds nothing.
void ListSubfolders(const std::wstring& folder, std::vector<std::wstring>& list);

// Copies the files of source (hidden and system ones too) into destination,
// replacing same-named files (read-only ones too), then recurses into the
// visible subfolders: a folder copied onto an earlier copy of itself replaces
// its files and never nests. Paths have no trailing separator. A file or
// folder that cannot be copied is skipped and named in the result with the
// system's reason ("<path>: <reason>"); a missing source gives an empty
// destination and no failure. A folder already being copied higher up on the
// same branch (a junction or link pointing back up the tree) is not entered again.
std::vector<std::wstring> CopyFolderRecursive(const std::wstring& source, const std::wstring& destination);

// Copies one file in blocks of up to 1 MiB and gives the copy the source's
// last-write time rounded to DOS resolution. Raises EAppError when the source
// cannot be opened or the destination cannot be created; false when the copy
// broke off after both were open (the destination keeps what was written).
bool StreamCopyFile(const std::wstring& source, const std::wstring& destination);

// StreamCopyFile, and the copy has reached the disk (FlushFileBuffers) before
// it answers true: a power cut afterwards cannot cut it off. A failed flush
// (a full drive) gives false.
bool StreamCopyFileToDisk(const std::wstring& source, const std::wstring& destination,
                          const TCopyProgress& progress = {});

// Sets or clears the read-only attribute and keeps every other bit; a missing
// file is skipped.
void SetReadOnlyFlag(const std::wstring& file, bool flag);

// Block size of StreamCopyFile.
inline constexpr unsigned long StreamCopyBlockSize = 1048576;

// StreamCopyFileToDisk has what it has written flushed on a second thread each
// time this much more is written (platform/FlushBehind.h); a file no larger is
// flushed once, at the end.
inline constexpr unsigned long long FlushBehindStep = 64ull * 1048576;
