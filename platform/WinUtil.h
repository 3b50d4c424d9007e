// Small Win32 helpers used everywhere: error texts, folders, the message pump.
#pragma once
#include <windows.h>
#include <string>

#include "platform/Handles.h"

// The system's text for an error code, without the trailing line break.
std::wstring SysErrorMessage(DWORD code);

// Folder of the running executable, with a trailing backslash.
std::wstring ExeFolder();

// The Windows folder with a trailing backslash, or empty when the system fails.
std::wstring GetWindowsFolder();

// Path tests as the program uses them: a folder, or an existing non-folder.
bool DirectoryExists(const std::wstring& path);
bool FileExists(const std::wstring& path);

// False in a window station that nobody sees (a service, a remoting session,
// a task that runs whether the user is logged on or not): no window there can
// ever be answered.
bool InteractiveWindowStation();

// The process runs as the local system account (a computer startup script).
bool RunningAsLocalSystem();

// Let the user interface process every pending message ("pump").
void ProcessMessages();

// A filter that sees every message the main loop or the pump takes from the
// queue before it is dispatched (keyboard navigation); true means consumed.
using TMessageFilter = bool (*)(MSG& msg);
void SetMessageFilter(TMessageFilter filter);
bool FilterMessage(MSG& msg);
