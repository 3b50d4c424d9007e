// Command lines for the two process runners. Pure: no <windows.h>.
#pragma once
#include <optional>
#include <string>

// Room for the command line, without the terminating zero.
inline constexpr std::size_t RunAndWaitLineLimit = 512;
inline constexpr std::size_t StartProgramLineLimit = 255;

// The program path in double quotes, so a folder with a blank cannot start a
// different program; then one space and the parameters (the space stays when
// they are empty).
std::wstring BuildRunAndWaitCommandLine(const std::wstring& fileName, const std::wstring& params);

// The command line of a program without arguments, its path quoted.
std::wstring QuoteProgramPath(const std::wstring& fileName);

// True when the line fits a buffer of limit characters plus the zero.
bool FitsCommandBuffer(const std::wstring& line, std::size_t limit);

// Folder a started file runs in: its path without the file name and without a
// trailing backslash, except that a drive root keeps it ("C:\").
std::wstring FolderOfFile(const std::wstring& fileName);
