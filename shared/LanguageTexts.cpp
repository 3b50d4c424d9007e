// The pure half of VL_Common_Proc: the labels and the filling of the tables.
#include "shared/VL_Common_Const.h"
#include "shared/VL_Common_Proc.h"

namespace {
constexpr const wchar_t* Proc = L"VL_Common_Proc";
const TLanguageRow LabelRows[] = {
    {Proc, L"Sbo", L"СБОЙ"},
    {Proc, L"Met", L"МЕТКА"},
    {Proc, L"nnn", L"н"},
    {Proc, L"sss", L"с"},
};

template <typename Names, typename Rows>
void Fill(Names& names, const Rows& rows, const TLanguageLookup& lookup) {
    for (std::size_t i = 0; i < rows.size(); ++i)
        names[i] = rows[i].Key ? lookup(rows[i].Section, rows[i].Key, rows[i].BuiltIn)
                               : std::wstring(rows[i].BuiltIn);
}
}  // namespace

std::wstring SboText = LabelRows[0].BuiltIn;
std::wstring MetText = LabelRows[1].BuiltIn;
std::wstring NnnText = LabelRows[2].BuiltIn;
std::wstring SssText = LabelRows[3].BuiltIn;

void FillLanguageTexts(const TLanguageLookup& lookup) {
    Fill(BodyTypeNames, BodyTypeRows, lookup);
    Fill(DiagnosisNames, DiagnosisRows, lookup);
    Fill(MedicationNames, MedicationRows, lookup);
    Fill(ConductionNames, ConductionRows, lookup);
    std::wstring* labels[] = {&SboText, &MetText, &NnnText, &SssText};
    for (std::size_t i = 0; i < 4; ++i)
        *labels[i] = lookup(LabelRows[i].Section, LabelRows[i].Key, LabelRows[i].BuiltIn);
}

void FinalizeCommonProc() {
    for (std::wstring* s : {&SboText, &MetText, &NnnText, &SssText}) std::wstring().swap(*s);
}
