#include "shared/SettingsForms.h"

#include <gtest/gtest.h>

#include "shared/IniText.h"

namespace {

// The record as start-up fills it from an INI text.
TSettings FromIni(std::wstring_view text) {
    TIniText doc;
    doc.Parse(text);
    TSettings s;
    FillSettings(s, [&](const wchar_t* key) {
        const std::wstring* v = doc.FindValue(L"options", key);
        return v ? *v : std::wstring();
    });
    return s;
}

}  // namespace

TEST(SettingsForms, IntegerForms) {
    EXPECT_EQ(ParseSettingsInteger(L"42"), 42);
    EXPECT_EQ(ParseSettingsInteger(L"-7"), -7);
    EXPECT_EQ(ParseSettingsInteger(L"+7"), 7);
    EXPECT_EQ(ParseSettingsInteger(L"  12"), 12);
    EXPECT_EQ(ParseSettingsInteger(L"0x10"), 16);
    EXPECT_EQ(ParseSettingsInteger(L"0X1f"), 31);
    EXPECT_EQ(ParseSettingsInteger(L"$FF"), 255);
    EXPECT_EQ(ParseSettingsInteger(L"0xFFFFFFFF"), -1);
    EXPECT_EQ(ParseSettingsInteger(L"2147483647"), 2147483647);
    EXPECT_EQ(ParseSettingsInteger(L"-2147483648"), -2147483647 - 1);
    for (const wchar_t* bad : {L"", L" ", L"+", L"-", L"0x", L"$", L"1.0", L"12 ", L"1e3", L"x1",
                               L"2147483648", L"-2147483649", L"0x100000000", L"99999999999999999999",
                               L"٣", L"0x-1", L"yes"})
        EXPECT_FALSE(ParseSettingsInteger(bad).has_value()) << std::wstring(bad).size();
}

TEST(SettingsForms, FloatForms) {
    EXPECT_EQ(ParseSettingsFloat(L"1.5"), 1.5);
    EXPECT_EQ(ParseSettingsFloat(L"-2"), -2.0);
    EXPECT_EQ(ParseSettingsFloat(L".5"), 0.5);
    EXPECT_EQ(ParseSettingsFloat(L"5."), 5.0);
    EXPECT_EQ(ParseSettingsFloat(L"1.5e2"), 150.0);
    EXPECT_EQ(ParseSettingsFloat(L"25E-1"), 2.5);
    for (const wchar_t* bad : {L"", L"1,5", L".", L"e5", L"1e", L"1e+", L"inf", L"nan", L"1e999",
                               L"-1e400", L"1.5 ", L"0x10", L"1 000"})
        EXPECT_FALSE(ParseSettingsFloat(bad).has_value()) << std::wstring(bad).size();
}

TEST(SettingsForms, MissingFileOrEmptySectionGivesDefaults) {
    const TSettings s = FromIni(L"[other]\ndoformshow=0\n");
    EXPECT_TRUE(s.doformshow);
    EXPECT_TRUE(s.NurseMode);
    EXPECT_TRUE(s.DoctorMode);
    EXPECT_EQ(s.ChannelGain, 1.0);
    EXPECT_EQ(s.ChannelGain12, 1.0);
    EXPECT_EQ(s.HardwareType, 1);
    EXPECT_EQ(s.FilterType, 0);
    EXPECT_EQ(s.New_Reg, 0);
    EXPECT_EQ(s.DefaultRegType, TRegType{0});
    EXPECT_FALSE(s.DebugPrint || s.DebugMy || s.PoverkaView || s.HviewDebug || s.GroupProcess ||
                 s.EnabledScrining || s.ECGAtRestWork || s.OnlyDecode || s.SaveSwap ||
                 s.MinmVEnabled || s.forGE || s.forMVD || s.EMIASTESTINGMODE ||
                 s.EMIASEMULATINGMODE || s.RegEmulating || s.AriadnaSearchTesting || s.UserIsMS ||
                 s.PraktikaSearchTesting || s.PraktikaTesting || s.CorrectProbeli);
    EXPECT_EQ(s.LanguageSetting, L"");
}

TEST(SettingsForms, ValuesAndWrongFormsPerKey) {
    const TSettings s = FromIni(
        L"[OPTIONS]\n"
        L"doformshow=yes\nNurseMode=0\nDoctorMode=2\nDEBUGPRINT=$1\nonlydecode=1\nSaveSwap=-1\n"
        L"Channel1Gain=1,5\nChannel2Gain=1.5\nHardwareType=0x10\nFilterType=0x10\n"
        L"DefaultRegType=258\nnew_reg=255\nLanguageSetting=ENG\nforGE=1\nUserIsMS=1.0\n"
        L"PraktikaTesting=7\n");
    EXPECT_TRUE(s.doformshow);  // "yes" is no integer: the default
    EXPECT_FALSE(s.NurseMode);
    EXPECT_TRUE(s.DoctorMode);
    EXPECT_TRUE(s.DebugPrint);
    EXPECT_TRUE(s.OnlyDecode);
    EXPECT_TRUE(s.SaveSwap);
    EXPECT_EQ(s.ChannelGain, 1.0);
    EXPECT_EQ(s.ChannelGain12, 1.5);
    EXPECT_EQ(s.HardwareType, 16);
    EXPECT_EQ(s.FilterType, 16);
    EXPECT_EQ(s.DefaultRegType, TRegType{2});
    EXPECT_EQ(s.New_Reg, 255);
    EXPECT_EQ(s.LanguageSetting, L"ENG");
    EXPECT_TRUE(s.forGE);
    EXPECT_FALSE(s.UserIsMS);
    EXPECT_TRUE(s.PraktikaTesting);
}

TEST(SettingsForms, ByteKeysOutOfRangeFallBackToTheirDefault) {
    for (const wchar_t* v : {L"256", L"-1", L"0x100", L"2147483647", L"-2147483648", L"abc"}) {
        const TSettings s =
            FromIni(std::wstring(L"[options]\nFilterType=") + v + L"\nnew_reg=" + v + L"\n");
        EXPECT_EQ(s.FilterType, 0) << std::wstring(v).size();
        EXPECT_EQ(s.New_Reg, 0);
    }
    // The recorder type keeps the low byte instead, negative numbers included.
    EXPECT_EQ(FromIni(L"[options]\nDefaultRegType=-1\n").DefaultRegType, TRegType{255});
    EXPECT_EQ(FromIni(L"[options]\nDefaultRegType=0x107\n").DefaultRegType, TRegType{7});
    EXPECT_EQ(FromIni(L"[options]\nDefaultRegType=x\n").DefaultRegType, TRegType{0});
}

TEST(SettingsForms, FieldsWithoutKeysAreResetOrLeft) {
    TSettings s;
    s.forMVD = true;
    s.Person = 9;
    s.HViewType = hvtAD;
    s.CorrectProbeli = true;
    FillSettings(s, [](const wchar_t*) { return std::wstring(); });
    EXPECT_FALSE(s.forMVD);
    EXPECT_EQ(s.Person, 0);
    EXPECT_EQ(s.HViewType, hvtAD);  // no key: not touched
    EXPECT_TRUE(s.CorrectProbeli);
}

TEST(SettingsForms, KeysAreReadInTheComplexsOrder) {
    std::vector<std::wstring> keys;
    TSettings s;
    FillSettings(s, [&](const wchar_t* key) {
        keys.emplace_back(key);
        return std::wstring();
    });
    const std::vector<std::wstring> expected = {
        L"forGE", L"FilterType", L"DefaultRegType", L"doformshow", L"DebugPrint", L"DebugMy",
        L"MinmVEnabled", L"PoverkaView", L"HviewDebug", L"ECGAtRestWork", L"onlydecode",
        L"saveswap", L"Channel1Gain", L"Channel2Gain", L"GroupProcess", L"EnabledScrining",
        L"HardwareType", L"LanguageSetting", L"new_reg", L"NurseMode", L"DoctorMode",
        L"EMIASTESTINGMODE", L"EMIASEMULATINGMODE", L"RegEmulating", L"AriadnaSearchTesting",
        L"UserIsMS", L"PraktikaSearchTesting", L"PraktikaTesting"};
    EXPECT_EQ(keys, expected);
}
