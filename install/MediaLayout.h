// Names on the installation media and in the installation folder, spelled as
// the installer opens them. The stages and the media checker read them here
// only, so a renamed folder cannot leave the checker testing the old name.
// Pure: no <windows.h>.
#pragma once
#include <string>

// Database stage: the database, the engine runtime and the product's functions.
inline const std::wstring DatabaseSubfolder = L"DTAfb\\";
inline const std::wstring DatabaseFileName = L"V12.FDB";
// The media's database while it is written beside the clinic's, before it is
// renamed into place.
inline const std::wstring DatabaseTempName = L"V12.FDB.tmp";
inline const std::wstring EngineSourceSubfolder = L"Firebird\\";
inline const std::wstring IntlSubfolder = L"intl\\";
inline const std::wstring EngineUdfSubfolder = L"udf\\";
inline const std::wstring ProductUdfSourceSubfolder = L"UDF\\";

// Font step: the fonts beside the program, in the order they are installed
// (the names are also the registry data of the machine's fonts).
inline const std::wstring FontsSubfolder = L"fonts\\";
inline constexpr const wchar_t* FontFiles[] = {
    L"ARIAL.TTF", L"ARIALN.TTF", L"COUR.TTF", L"MICROSS.TTF",
    L"TAHOMA.TTF", L"TIMES.TTF", L"verdana.TTF",
};

// Driver stage: the folder copied whole and the program run from its copy.
inline const std::wstring DriverFolder = L"FTDIDriverInstall";
inline const std::wstring DriverProgram = L"FTDIDriverInstall.exe";

// Update stage. The packages folder is spelled in lower case as on the media;
// in the installation folder it keeps the media's spelling.
inline const std::wstring PackagesFolder = L"backup";
inline const std::wstring UpdaterFolder = L"Updater";
inline const std::wstring ReleaseInfoFile = L"ReleaseInfo";
inline const std::wstring UpdaterConfigFile = L"Updater.exe.cfg";
inline const std::wstring ReleaseScriptFile = L"Install.cmd";
// The one subfolder of the packages folder that is never a package (exact spelling).
inline const std::wstring NoAnswerFolder = L"WithOutAnswer";

// Written last, by a run that completed: deployment tools look for it.
inline const std::wstring InstalledMarkerFile = L"Installed.txt";
