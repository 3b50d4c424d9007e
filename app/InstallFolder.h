// The installation folder as the path page and /DIR take it: one set of rules
// on the real path. The typed folder is made absolute (a relative one lies
// beside Install.exe) and canonical (GetFullPathNameW), then refused when it is
// a drive root however spelled, holds characters no path may hold, is on a
// drive that is not there, or is too deep for what the media will put below it.
#pragma once
#include <string>

#include "app/PathRules.h"

enum class TFolderVerdict { Accepted, Empty, Root, Refused };

struct TInstallFolder {
    TFolderVerdict Verdict = TFolderVerdict::Empty;
    std::wstring Path;    // absolute and canonical, with "\" (as typed when that failed)
    std::wstring Reason;  // the text the refusal shows
};

// typed: as typed or given to /DIR; base: Install.exe's folder (with "\");
// source: the distribution folder (with "\"); driver: the driver installer will run.
TInstallFolder CheckInstallFolder(const std::wstring& typed, const std::wstring& base,
                                  const std::wstring& source, bool driver);

// What an installation from source puts below its folder.
TInstalledNames InstalledNames(const std::wstring& source, bool driver);

// The folder the path page offers and /DIR defaults to: the product's folder on drive C.
std::wstring DefaultInstallFolder();

// The installation folder as the path page leaves it: created with its parents
// and its settings folder when missing. Failures show later, with the
// system's reason, when the installation creates them again.
void PrepareInstallFolders(const std::wstring& folder);
