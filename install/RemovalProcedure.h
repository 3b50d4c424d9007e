// The removal of an installation: what its record names and is still as the
// installation left it, the desktop link, the marker and the Programs and
// Features entry. The examination database, the settings, the logs and every
// file the clinic made or changed stay; so do the fonts and the driver, which
// other programs may use. Lines go to an IProgressLog; no window here.
#pragma once
#include <windows.h>

#include <string>

#include "install/ProgressLog.h"

enum class TRemovalResult {
    Complete,    // everything recorded is gone or was changed by the clinic (kept)
    Incomplete,  // something could not be removed (an open file): the entry, the record and the uninstaller stay
};

// folder: the installation folder, with "\". The marker goes first, so that a
// half-removed folder is never taken for an installation; the record is
// rewritten with what is left, and the entry goes last, only when nothing is
// left. A run that was cut off is finished by the next one. machine and user:
// the entry's root keys (UninstallEntry.h). Needs COM on the calling thread
// (the desktop link is read).
TRemovalResult RemoveInstallation(IProgressLog& log, const std::wstring& folder, HKEY machine = HKEY_LOCAL_MACHINE,
                                  HKEY user = HKEY_CURRENT_USER);

// The end of the removal, after the uninstaller has ended: a copy of this
// program in the temporary folder waits for the uninstaller's process, removes
// the uninstaller and the record, notes it in Uninstall.log and marks itself
// for deletion at the next restart. False (error set) when the copy cannot start.
bool StartUninstallerRemoval(const std::wstring& folder, std::wstring& error);

// The copy's work (processHandle: the uninstaller's process, inherited).
// Returns the exit code.
int RemoveUninstallerAfterExit(unsigned long processHandle, const std::wstring& folder);
