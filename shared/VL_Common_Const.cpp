#include "shared/VL_Common_Const.h"

const std::wstring SettingsSubfolder = L"Settings\\";
const std::wstring SettingsFileName = L"holter.ini";

namespace {
constexpr const wchar_t* Msg = L"VL_Messages";

template <std::size_t N>
std::array<std::wstring, N> BuiltIn(const std::array<TLanguageRow, N>& rows) {
    std::array<std::wstring, N> names;
    for (std::size_t i = 0; i < N; ++i) names[i] = rows[i].BuiltIn;
    return names;
}
}  // namespace

const std::array<TLanguageRow, 3> BodyTypeRows = {{
    {Msg, L"Normo", L"Нормостеник"},
    {Msg, L"Giper", L"Гиперстеник"},
    {Msg, L"Asten", L"Астеник"},
}};

const std::array<TLanguageRow, 22> DiagnosisRows = {{
    {Msg, L"Gip", L"Гипертония"},
    {Msg, L"NIP", L"Нефрит или пиелонефрит"},
    {Msg, L"NMK", L"Нарушение мозгового кровообращения"},
    {Msg, L"IBS", L"ИБС"},
    {Msg, L"Ste", L"Стенокардия"},
    {Msg, L"PKa", L"Постинфарктный кардиосклероз"},
    {Msg, L"IPF", L"Инфаркт, подострая фаза"},
    {Msg, L"Rev", L"Ревматизм"},
    {Msg, L"NCD", L"НЦД"},
    {Msg, L"HNZ", L"Хрон. неспецифич. заболевания легких"},
    {Msg, L"BAs", L"Бронхиальная астма"},
    {Msg, L"IOF", L"Инфаркт, острая фаза"},
    {Msg, L"MSt", L"Митральный стеноз"},
    {Msg, L"API", L"Аортальный порок или митр. недостат"},
    {Msg, L"DMP", L"Дефект межжелудочковой перегородки"},
    {Msg, L"DMPP", L"Дефект межпредсердной перегородки"},
    {Msg, L"OAP", L"Общий артериальный проток"},
    {Msg, L"SAo", L"Стеноз аорты"},
    {Msg, L"KAo", L"Коарктация аорты"},
    {Msg, L"SLA", L"Стеноз лег. арт, тетр. и триада Фало"},
    {Msg, L"IVR", L"Искусственный водитель ритма"},
    {Msg, nullptr, L"Сахарный диабет"},
}};

const std::array<TLanguageRow, 9> MedicationRows = {{
    {Msg, L"SGl", L"сердечные гликозиды"},
    {Msg, L"Hin", L"хинидин"},
    {Msg, L"Kor", L"кордарон"},
    {Msg, L"PAn", L"пр. антиритмические"},
    {Msg, L"NPr", L"нитропрепараты"},
    {Msg, L"ACA", L"Антогонисты Ca"},
    {Msg, L"BBl", L"Б-блокаторы"},
    {Msg, L"Ant", L"антигипертензионные"},
    {Msg, L"Diu", L"диуретики"},
}};

const std::array<TLanguageRow, 5> ConductionRows = {{
    {Msg, L"Norm", L"Норма"},
    {Msg, L"BLN", L"БЛН"},
    {Msg, L"BPN", L"БПН"},
    {Msg, nullptr, L"WPW"},
    {Msg, L"nOp", L"Не определен"},
}};

std::array<std::wstring, 3> BodyTypeNames = BuiltIn(BodyTypeRows);
std::array<std::wstring, 22> DiagnosisNames = BuiltIn(DiagnosisRows);
std::array<std::wstring, 9> MedicationNames = BuiltIn(MedicationRows);
std::array<std::wstring, 5> ConductionNames = BuiltIn(ConductionRows);

const std::array<std::wstring_view, 23> ReportSectionTags1 = {
    L"Common", L"Rythm", L"Pulse", L"ConductionAbnormality", L"Supraventricular", L"Ventricular",
    L"BlockadeAndPause", L"PQ", L"ST", L"QT", L"Variability", L"TWAanalisys", L"HRTanalisys",
    L"HRanalisys", L"BadMarks", L"MainDecision", L"AdditionalGraphs", L"Scrinig", L"Dinamic",
    L"AD", L"AverComplex", L"DoctorDecision", L"Recomendation"};

const std::array<std::wstring_view, 23> ReportSectionTags2 = {
    L"Common", L"Rhythm", L"Pulse", L"ConductionAbnormality", L"Supraventricular", L"Ventricular",
    L"BlockadeAndPause", L"PQ", L"ST", L"QT", L"Variability", L"TWAanalisys", L"HRTanalisys",
    L"HRanalisys", L"BadMarks", L"MainDecision", L"AdditionalGraphs", L"Screening", L"Dynamics",
    L"AD", L"AverComplex", L"DoctorDecision", L"Recomendation"};

const std::array<std::wstring_view, 11> StressTestTags = {
    L"Target", L"CriteriaIdx", L"Criteria", L"MainDecision", L"FunctionalClass", L"Tolerance",
    L"PrintRecomendations", L"Preparat", L"PorogWatt", L"MarkOut", L"MarkOutIdx"};

const std::array<std::wstring_view, 9> BloodPressureTags = {
    L"ADCommon", L"ADMainDec", L"ADDoctorDecision", L"ADRecomendation", L"4", L"5", L"6",
    L"ADCOS", L"Rusults_Tag"};

const std::array<std::wstring_view, 15> LeadNames = {
    L"I", L"II", L"III", L"avR", L"avL", L"avF", L"V1", L"V2",
    L"V3", L"V4", L"V5", L"V6", L"D", L"A", L"J"};

const std::array<std::wstring_view, 74> AnalysisNames = {
    // 0-9: display elements
    L"Текст", L"Фон", L"Сетка", L"Курсор", L"", L"Линейка", L"", L"", L"", L"",
    // 10-14: trend leads
    L"Отвед. V2 для ЭКГ, ST, T-", L"Отвед. V5 для ЭКГ, ST, T-", L"Отвед. avF(V1) для ЭКГ, ST, T-",
    L"", L"",
    // 15-29: trends
    L"Интервал RR", L"ЧСС", L"QT", L"QT нормы", L"QTc", L"Дисперсия QT", L"Альтернация T",
    L"QT должное", L"", L"", L"", L"", L"", L"", L"",
    // 30-49: beat classes
    L"Норма", L"Помехи", L"Жел. экстрасистола", L"Наджел. экстрасистола", L"Аритмия",
    L"Жел. под вопросом", L"Пауза", L"", L"", L"Прех. наруш. проводимости", L"Парасистола",
    L"Навязанный A", L"Навязанный V", L"Навязанный D", L"Безответный ", L"Сливной",
    L"Преждевременный", L"Парасистола", L"", L"",
    // 50-69: rhythms and transient episodes
    L"Ритм \"Не определен\"", L"Ритм \"Синусовый\"", L"Ритм \"Предсердный\"",
    L"Ритм \"Предсердный ?\"", L"Ритм \"Фибр.предсердий\"", L"Ритм \"Миграция водителя ритма\"",
    L"Ритм \"Наджел.тахикардия\"", L"Ритм \"Син.тахикардия\"", L"Ритм \"AV-ритм\"",
    L"Ритм \"Желудочковый\"", L"Ритм \"Артифициальный\"", L"Норма (конец эпизода преходящих)",
    L"Эпизод преходящих БЛН", L"Эпизод преходящих БПН", L"Эпизод преодящих WPW",
    L"Эпизод преходящих (неясно)", L"Ритм \"Наджел.абер.тахикардия\"", L"", L"", L"",
    // 70-73: episodes
    L"Эпизод \"Бодрствование\"", L"Эпизод \"Сон\"", L"Пауза под вопросом", L"Наджел. под вопросом"};

const std::array<std::wstring_view, 4> ToleranceLevels = {
    L"резко снижена", L"снижена", L"удовлетворительная", L"высокая"};

const std::array<std::wstring_view, 8> ToleranceAdvice = {
    L"Подьем тяжестей до 15 кг, сезонные садово-огородные работы полностью, работа по дому "
    L"полностью, занятия в группах здоровья, волейбол, настольный тенис, бадминтон, плаванье, лыжи.",
    L"Темп ходьбы 110 - 120 шагов/мин. (4.5 - 5 км/ч)",
    L"Подьем тяжестей до 7-8 кг, на огороде нельзя копать, работа по дому полностью, подвижные "
    L"игры до 10 мин., плаванье, лыжи.",
    L"Темп ходьбы 110 шагов/мин. (4.5 км/ч)",
    L"Подьем тяжестей до 3-4 кг, на садовом участке - полив, уборка урожая, нельзя копать. Уборка "
    L"квартиры (кроме мытья полов), подвижные игры до 10 мин., плаванье. Лыжи противопоказаны.",
    L"Темп ходьбы 90 шагов/мин. (4 км/ч)",
    L"Нуждается в постороннем уходе.",
    L"Темп ходьбы 70 - 80 шагов/мин. (3 - 3.5 км/ч)"};

void FinalizeCommonConst() {
    auto release = [](auto& table) {
        for (std::wstring& s : table) std::wstring().swap(s);
    };
    release(BodyTypeNames);
    release(DiagnosisNames);
    release(MedicationNames);
    release(ConductionNames);
}
