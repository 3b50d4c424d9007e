// The last step of an installation that reached its end: the uninstaller
// beside the programs (a copy of this program), the record of the files the
// installation leaves in the folder, and the Programs and Features entry.
// Nothing of the installation's outcome depends on it.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct TRegistration {
    std::vector<std::wstring> Lines;  // what failed: for the progress list and Install.log
    std::vector<std::wstring> Notes;  // what was done: for Install.log only
};

// target ends with "\"; shortcut: the desktop link the installation wrote
// (empty: none). completed: every step did its work; only then is the entry
// written (deployment tools take it for a finished installation), while the
// uninstaller and the record are left by any run that reached its end, so
// what it put there can be removed. machine and user: the entry's root keys
// (see UninstallEntry.h).
TRegistration RegisterInstallation(const std::wstring& target, const std::wstring& shortcut, bool completed,
                                   HKEY machine = HKEY_LOCAL_MACHINE, HKEY user = HKEY_CURRENT_USER);

