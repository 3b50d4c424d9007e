// The reason Windows shows when a logoff or shutdown waits for this program.
// The functions came with Windows Vista; they are looked up at run time, and
// where they are missing nothing is shown (the window still refuses).
#pragma once
#include <windows.h>
#include <string>

// True when the system took the reason.
bool SetShutdownBlockReason(HWND window, const std::wstring& reason);
void ClearShutdownBlockReason(HWND window);
