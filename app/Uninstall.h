// /UNINSTALL: Uninstall.exe (this program, left in the installation folder by
// the installation) removes the installation it lies in. The wizard form asks
// once, shows the main window's progress page and ends with a message; with
// /SILENT only the progress page, with /VERYSILENT no window. Uninstall.log
// beside Install.log gets every line.
#pragma once
#include <windows.h>

#include "app/Switches.h"

// The operator cancelled the wizard form (Windows Installer's code).
inline constexpr int ExitCancelled = 1602;

// Refuses /UNINSTALL outside an installation folder (no record beside the
// program, as on the media): the command line's error, answered with 1639.
void RefuseUninstallOutsideInstallation(TSwitches& switches);

// The removal; returns the exit code. alone: no other installation or removal
// runs (the installation mutex is ours).
int RunUninstall(HINSTANCE instance, const TSwitches& switches, bool alone);

// The copy in the temporary folder that removes the uninstaller once it has
// ended; -1 when the command line does not start it.
int RunUninstallerRemovalIfAsked(const wchar_t* commandLine);
