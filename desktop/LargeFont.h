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
// False when the library or its function is missing, or the change failed.
bool CallSetupChangeFontSize(HWND owner, const wchar_t* size);

// Enables the shutdown privilege of this process (Windows NT family); false when
// the token could not be adjusted.
bool EnableShutdownPrivilege();

// Asks the system to end the session with the ExitWindowsEx flags and reason
// code, after enabling the shutdown privilege; true when the request was accepted.
bool RestartWindows(UINT flags, DWORD reason);

// A restart the operator agreed to after an installation: programs that do not
// answer are ended, the others may still ask their users about unsaved work.
inline constexpr UINT InstallRestartFlags = EWX_REBOOT | EWX_FORCEIFHUNG;
inline constexpr DWORD InstallRestartReason =
    SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_INSTALLATION | SHTDN_REASON_FLAG_PLANNED;
