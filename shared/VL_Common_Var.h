// Shared globals: the program folder, the start-up settings and the language.
#pragma once
#include <string>

#include "shared/VL_Common_Types.h"

extern std::wstring ProgramFolder;     // folder of the running executable, ending in "\"
extern TSettings CommonSettings;       // read from Settings\holter.ini beside the executable
extern std::wstring LanguageCode;      // "RUS" or "ENG"
extern std::wstring LanguageFile;      // Settings\EngView.lng for English, else empty
extern TStartXmlObject StartXmlObject;
extern TNumberFormat NumberFormat;     // fixed by ReadSettings for the rest of the run

// Fills CommonSettings from the file's section "options"; a missing file or
// key, or a value of the wrong form, leaves the key's default.
void ReadSettings(const std::wstring& path);

// Start-up: program folder, settings, language; run once after InitMyLog.
void InitCommonVars();
// Shutdown: releases the strings, the settings record and StartXmlObject.
void FinalizeCommonVars();
