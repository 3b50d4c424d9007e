// Shared procedures: loading the reference tables and labels from the
// language file chosen at start-up.
#pragma once
#include <functional>
#include <string>

// The four labels, section "VL_Common_Proc" of the language file.
extern std::wstring SboText;  // "Sbo": "СБОЙ"
extern std::wstring MetText;  // "Met": "МЕТКА"
extern std::wstring NnnText;  // "nnn": "н"
extern std::wstring SssText;  // "sss": "с"

// Fills the tables and labels from LanguageFile (built-in texts when it is
// empty, missing, or lacks a key). Runs at start-up after InitCommonVars.
void LoadLanguageTexts();
// Releases the four labels at the end of the run.
void FinalizeCommonProc();

// The text a language file gives for a key, or builtIn when it gives none.
using TLanguageLookup =
    std::function<std::wstring(const wchar_t* section, const wchar_t* key, const wchar_t* builtIn)>;

// Every table row and label from the lookup, in the tables' order; rows
// without a key get their fixed text.
void FillLanguageTexts(const TLanguageLookup& lookup);
