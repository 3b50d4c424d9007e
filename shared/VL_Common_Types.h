// Records and enumerations shared by the complex's programs.
#pragma once
#include <cstdint>
#include <string>

enum THViewType : std::uint8_t {
    hvtStandart, hvtFragment, hvtOnline, hvtTest, hvtSaveSkr, hvtSaveDin, hvtAD, hvtNone
};

// The recorder types (0 to 7). Settings keep whatever byte the file gives.
enum class TRegType : std::uint8_t {};

// Start-up settings from holter.ini, section "options". The fields carry their
// defaults. Not packed: with a string member the record has no binary layout
// worth keeping, and misaligned members would cost more than they save.
struct TSettings {
    THViewType HViewType = hvtStandart;
    bool DebugPrint = false;
    bool DebugMy = false;
    bool PoverkaView = false;
    bool HviewDebug = false;
    bool GroupProcess = false;
    bool doformshow = true;
    bool EnabledScrining = false;
    bool ECGAtRestWork = false;
    bool OnlyDecode = false;
    bool SaveSwap = false;
    bool MinmVEnabled = false;
    double ChannelGain = 1.0;
    double ChannelGain12 = 1.0;
    std::int32_t HardwareType = 1;
    std::uint8_t FilterType = 0;
    bool CorrectProbeli = false;
    bool forMVD = false;
    bool forGE = false;
    std::uint8_t Person = 0;
    std::wstring LanguageSetting;
    std::uint8_t New_Reg = 0;
    TRegType DefaultRegType = TRegType{0};
    bool NurseMode = true;
    bool DoctorMode = true;
    bool EMIASTESTINGMODE = false;
    bool EMIASEMULATINGMODE = false;
    bool RegEmulating = false;
    bool AriadnaSearchTesting = false;
    bool UserIsMS = false;
    bool PraktikaSearchTesting = false;
    bool PraktikaTesting = false;
};

// Patient particulars handed between the complex's programs.
struct TStartXmlObject {
    std::wstring filename;
    std::wstring Code;
    std::wstring Amcart;
    std::wstring FIO;
    std::wstring Birthday;
    std::wstring Birthday_YY;
    std::wstring Birthday_MM;
    std::wstring Birthday_DD;
    std::wstring Pol;
    std::wstring Constitution;
    std::wstring AD;
    std::int32_t ADS = 0;
    std::int32_t ADD = 0;
    std::wstring Doctor;
    std::wstring Diagnosys;
    std::wstring Otdel;
    std::wstring Area;
    std::wstring Palata;
    std::wstring Address;
    std::wstring Workplace;
    std::wstring Policy;
    std::wstring Medic;
    std::int32_t IWR = 0;

    void clear() { *this = TStartXmlObject{}; }
};

// The process-wide number format that ReadSettings fixes for the run.
struct TNumberFormat {
    wchar_t DecimalSeparator = L'.';
    wchar_t ThousandSeparator = L' ';
};
