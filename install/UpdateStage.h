// The update stage: release packages and the updater's files into the target
// folder, the newest package's release script, and the release level recorded
// in ReleaseInfo.
#pragma once
#include <string>
#include <vector>

#include "install/ProgressLog.h"

struct TUpdateOutcome {
    std::wstring Level;                  // the release level recorded
    std::vector<std::wstring> Failures;  // files that could not be copied, as their lines say
};

// For target T and source S (both ending with "\"). Raises EAppError when
// there is no usable package, the script cannot be started, does not end
// within waitLimitMs (0: no limit) or the level cannot be recorded. A script's
// exit code is not examined: a non-zero one is only reported by a plain line.
// A file of backup\ or Updater\ that cannot be copied gets a line of its own
// and the stage goes on.
TUpdateOutcome RunUpdateStage(IProgressLog& log, const std::wstring& target, const std::wstring& source,
                              unsigned long waitLimitMs = 0);

// Sorts package paths ascending, ignoring letter case as the user's locale does.
void SortPackages(std::vector<std::wstring>& paths);

// Writes Level into the Level element of Folder + "ReleaseInfo" through the
// MSXML DOM document; the rest of the file stays as it is. Raises
// "Release info file does not exist", or "Cannot get release information,
// error: " followed by the reason.
void SetReleaseLevel(const std::wstring& Folder, const std::wstring& Level);

// The release level recorded in Folder + "ReleaseInfo" (the text of ROOT's
// Level), as the updater reads it; empty when the file, the element or COM
// is not there. Raises nothing.
std::wstring ReadReleaseLevel(const std::wstring& Folder);
