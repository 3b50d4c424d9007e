// Whole-file reading and all-or-nothing writing for the shared units.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

enum class TReadResult { Ok, Missing, Failed };

// Reads at most maxBytes from the start of the file. Missing: no such file
// (or the path names a folder); Failed: it exists but could not be read, with
// the system error in error.
TReadResult ReadFileHead(const std::wstring& path, std::size_t maxBytes, std::string& bytes,
                         DWORD& error);

// Writes the bytes to a new temporary file in the target's folder, flushes
// it, then puts it in the target's place in one step. On any failure the
// target is untouched, the temporary file is removed and EAppError
// "Cannot create file "<path>". <system text>" is raised.
void WriteFileAtomic(const std::wstring& path, const std::string& bytes);

// Called, when set, after the temporary file is complete and before it
// replaces the target (tests stop a writer there).
extern void (*BeforeReplaceHook)(const std::wstring& tempPath);
