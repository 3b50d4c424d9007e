#include <gtest/gtest.h>

#include "shared/IniText.h"
#include "shared/VL_Common_Const.h"
#include "shared/VL_Common_Proc.h"

namespace {

void LoadFrom(std::wstring_view langFile) {
    TIniText doc;
    doc.Parse(langFile);
    FillLanguageTexts([&](const wchar_t* section, const wchar_t* key, const wchar_t* builtIn) {
        const std::wstring* v = doc.FindValue(section, key);
        return v ? *v : std::wstring(builtIn);
    });
}

}  // namespace

TEST(LanguageTexts, BuiltInTextsWithoutALanguageFile) {
    LoadFrom(L"");
    EXPECT_EQ(BodyTypeNames[0], L"Нормостеник");
    EXPECT_EQ(DiagnosisNames[15], L"Дефект межпредсердной перегородки");
    EXPECT_EQ(DiagnosisNames[21], L"Сахарный диабет");
    EXPECT_EQ(MedicationNames[5], L"Антогонисты Ca");
    EXPECT_EQ(ConductionNames[3], L"WPW");
    EXPECT_EQ(ConductionNames[4], L"Не определен");
    EXPECT_EQ(SboText, L"СБОЙ");
    EXPECT_EQ(SssText, L"с");
}

TEST(LanguageTexts, TranslatedRowsChangeOnlyThemselves) {
    LoadFrom(L"[vl_messages]\nNormo=Normosthenic\nDMPP=ASD\nnop=Undetermined\n"
             L"[VL_Common_Proc]\nMet=MARK\n");
    EXPECT_EQ(BodyTypeNames[0], L"Normosthenic");
    EXPECT_EQ(BodyTypeNames[1], L"Гиперстеник");
    EXPECT_EQ(DiagnosisNames[14], L"Дефект межжелудочковой перегородки");
    EXPECT_EQ(DiagnosisNames[15], L"ASD");
    EXPECT_EQ(ConductionNames[4], L"Undetermined");
    EXPECT_EQ(MetText, L"MARK");
    EXPECT_EQ(SboText, L"СБОЙ");
    // A label key in the tables' section does not reach the label.
    LoadFrom(L"[VL_Messages]\nSbo=X\n");
    EXPECT_EQ(SboText, L"СБОЙ");
    EXPECT_EQ(BodyTypeNames[0], L"Нормостеник");  // reloading restores built-in rows
}

TEST(LanguageTexts, RowsWithoutKeysKeepTheirTextAfterRelease) {
    LoadFrom(L"[VL_Messages]\nWPW=x\n=y\n");
    FinalizeCommonConst();
    FinalizeCommonProc();
    EXPECT_EQ(DiagnosisNames[21], L"");
    EXPECT_EQ(SboText, L"");
    // A later start-up in the same process fills every row again.
    LoadFrom(L"[VL_Messages]\nWPW=x\n=y\n");
    EXPECT_EQ(DiagnosisNames[21], L"Сахарный диабет");
    EXPECT_EQ(ConductionNames[3], L"WPW");
    EXPECT_EQ(NnnText, L"н");
}

TEST(LanguageTexts, NameTablesHaveTheirEmptySlotsWhereExpected) {
    EXPECT_EQ(AnalysisNames[44], L"Безответный ");
    EXPECT_EQ(AnalysisNames[50], L"Ритм \"Не определен\"");
    EXPECT_EQ(AnalysisNames[73], L"Наджел. под вопросом");
    int empty = 0;
    for (auto s : AnalysisNames) empty += s.empty();
    EXPECT_EQ(empty, 1 + 4 + 2 + 7 + 2 + 2 + 3);
    for (std::size_t i = 0; i < ReportSectionTags1.size(); ++i)
        if (i != 1 && i != 17 && i != 18) {
            EXPECT_EQ(ReportSectionTags1[i], ReportSectionTags2[i]);
        }
    EXPECT_EQ(ReportSectionTags2[18], L"Dynamics");
}
