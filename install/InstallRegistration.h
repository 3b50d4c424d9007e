// The last step of an installation that reached its end: the uninstaller
// beside the programs (a copy of this program), the record of the files the
// installation leaves in the folder, and the Programs and Features entry.
// Nothing of the installation's outcome depends on it.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "install/InstallRecord.h"

struct TRegistration {
    std::vector<std::wstring> Lines;  // what failed: for the progress list and Install.log
    std::vector<std::wstring> Notes;  // what was done: for Install.log only
};

// What the folder holds before the run writes into it (target ends with "\"):
// taken at the run's start, so that the record at its end names only what the
// installation made or changed, and what an earlier one recorded.
TFolderBefore LookAtFolderBefore(const std::wstring& target);

// target ends with "\"; shortcut: the desktop link the installation wrote
// (empty: none). completed: every step did its work; only then is the entry
// written (deployment tools take it for a finished installation), while the
// uninstaller and the record are left by any run that reached its end, so
// what it put there can be removed. before: LookAtFolderBefore's answer at
// the run's start. machine and user: the entry's root keys (see UninstallEntry.h).
TRegistration RegisterInstallation(const std::wstring& target, const std::wstring& shortcut, bool completed,
                                   const TFolderBefore& before, HKEY machine = HKEY_LOCAL_MACHINE,
                                   HKEY user = HKEY_CURRENT_USER);

