// What the database stage copies, in copy order. Pure: no <windows.h>.
#pragma once
#include <string>
#include <vector>

// The invisible Windows choice: 0 "Windows 7, Windows 8", 1 "Windows XP".
enum TWindowsChoice { wcWindows7 = 0, wcWindowsXP = 1 };

inline const std::wstring DatabaseSubfolder = L"DTAfb\\";
inline const std::wstring DatabaseFileName = L"V12.FDB";
// The media's database while it is written beside the clinic's, before it is
// renamed into place.
inline const std::wstring DatabaseTempName = L"V12.FDB.tmp";
inline const std::wstring EngineSourceSubfolder = L"Firebird\\";
inline const std::wstring IntlSubfolder = L"intl\\";
inline const std::wstring EngineUdfSubfolder = L"udf\\";
inline const std::wstring ProductUdfSourceSubfolder = L"UDF\\";

// Engine runtime files for the choice (12 names for 0, 10 for any other).
std::vector<std::wstring> EngineRuntimeFiles(int windowsChoice);
const std::vector<std::wstring>& IntlFiles();
const std::vector<std::wstring>& EngineUdfFiles();
const std::vector<std::wstring>& ProductUdfFiles();

// Name of the backup of an existing database, beside it:
// V12.FDB.YYYYMMDD-HHMMSS.bak; a non-zero attempt adds "-N" before ".bak"
// for a second backup within the same second.
std::wstring DatabaseBackupName(int year, int month, int day, int hour, int minute, int second,
                                int attempt = 0);
