// Starting external programs: the release scripts and the driver installer.
// Both runners create the process in a new console at normal priority, with
// the caller's show command and the installer's own environment.
#pragma once
#include <string>

// Runs FileName (quoted) with Params in the folder that holds FileName and
// waits for it in 100 ms slices without pumping. Returns its exit code.
// Raises EAppError when the command line does not fit 512 characters, when the
// program cannot be started ("Не смог создать процесс: " + FileName) or when
// the wait fails.
unsigned long RunAndWait(const std::wstring& FileName, const std::wstring& Params,
                         unsigned short ShowCmd);

// Runs CommandLine unchanged in the installer's current folder. -1 when it
// does not fit 255 characters or cannot be started; with Wait, the exit code
// after waiting without limit; without Wait, 0.
long long StartProgram(const std::wstring& CommandLine, unsigned short ShowCmd, bool Wait);
