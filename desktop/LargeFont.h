// The screen's font size and the switch to the large size, with the restart
// that the new size needs.
#pragma once
#include <windows.h>

// Below this many logical pixels per inch the screen runs at the small font size.
inline constexpr int LargeFontLogPixels = 100;

// True when the screen's horizontal resolution is below LargeFontLogPixels.
bool IsSmallFontScreen();

// Calls the system's font-size change ("SetupChangeFontSize" of syssetup.dll,
// loaded from the system folder only) with the owner and the requested size.
// False when the library or its function is missing.
bool CallSetupChangeFontSize(HWND owner, const wchar_t* size);

// Enables the shutdown privilege of this process (Windows NT family); false when
// the token could not be adjusted.
bool EnableShutdownPrivilege();

// Asks the system to end the session with the ExitWindowsEx flags, after enabling
// the shutdown privilege; true when the request was accepted.
bool RestartWindows(UINT flags);
