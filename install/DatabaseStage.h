// The database stage: the examination database into DTAfb\, the database
// engine's runtime beside the programs, its intl\ and udf\ folders, and the
// complex's own function libraries into udf\.
#pragma once
#include <string>

#include "install/ProgressLog.h"

// Local date and time of the installation, as GetLocalTime gives it.
struct TInstallTime {
    int year, month, day, hour, minute, second, millisecond;
};

// Progress line "Копирование файла <name>....", then the copy, then its mark.
// Returns the copy's outcome; raises what StreamCopyFile raises (the line then
// keeps no mark).
bool LoggedCopy(IProgressLog& log, const std::wstring& name, const std::wstring& source,
                const std::wstring& destination);

// Moves an existing T\DTAfb\V12.FDB aside to V12.FDB.<date>-<time>.bak and
// returns the backup's file name (empty when there was nothing to keep).
// Raises EAppError naming the file when it cannot be moved (the database is
// then untouched). The stage calls it once the media's copy is whole on disk.
std::wstring BackupExistingDatabase(const std::wstring& target, const TInstallTime& now);

// Runs the stage for target T and source S (both ending with "\") and the
// Windows choice. True: continue; false: stop (a failed line is marked, or the
// database folder could not be created and was reported). keepExisting: a
// database already in T stays in place, untouched, with a line that says so.
bool RunDatabaseStage(IProgressLog& log, const std::wstring& target, const std::wstring& source,
                      int windowsChoice, const TInstallTime& now, bool keepExisting = false);
