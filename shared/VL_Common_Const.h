// Constants shared by the complex's programs: the settings folder name, the
// reference tables that a language file may translate, and the fixed name
// tables of the analysis and report vocabulary.
#pragma once
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// Relative name of the settings folder in the program and installation folders.
extern const std::wstring SettingsSubfolder;  // L"Settings\\"
// The complex's settings file in that folder.
extern const std::wstring SettingsFileName;  // L"holter.ini"

// A row of a translatable table: the language file's section and key (null
// for a row that is never translated) and its built-in Russian text.
struct TLanguageRow {
    const wchar_t* Section;
    const wchar_t* Key;
    const wchar_t* BuiltIn;
};

extern const std::array<TLanguageRow, 3> BodyTypeRows;
extern const std::array<TLanguageRow, 22> DiagnosisRows;
extern const std::array<TLanguageRow, 9> MedicationRows;
extern const std::array<TLanguageRow, 5> ConductionRows;

// The reference tables: built-in texts from the start, translated rows once
// LoadLanguageTexts has run.
extern std::array<std::wstring, 3> BodyTypeNames;
extern std::array<std::wstring, 22> DiagnosisNames;
extern std::array<std::wstring, 9> MedicationNames;
extern std::array<std::wstring, 5> ConductionNames;

// Fixed name tables; an empty slot is an empty string.
extern const std::array<std::wstring_view, 23> ReportSectionTags1;
extern const std::array<std::wstring_view, 23> ReportSectionTags2;
extern const std::array<std::wstring_view, 11> StressTestTags;
extern const std::array<std::wstring_view, 9> BloodPressureTags;
extern const std::array<std::wstring_view, 15> LeadNames;
extern const std::array<std::wstring_view, 74> AnalysisNames;
extern const std::array<std::wstring_view, 4> ToleranceLevels;
extern const std::array<std::wstring_view, 8> ToleranceAdvice;

// Releases the reference tables at the very end of the run.
void FinalizeCommonConst();
