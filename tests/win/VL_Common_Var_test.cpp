// Reading holter.ini and the language file through the system's profile reader.
#include "shared/VL_Common_Var.h"

#include <gtest/gtest.h>

#include "shared/ProfileReader.h"
#include "shared/VL_Common_Const.h"
#include "shared/VL_Common_Proc.h"
#include "tests/win/TestFolder.h"

namespace {

TSettings Read(const std::wstring& path) {
    CommonSettings = TSettings{};
    ReadSettings(path);
    return CommonSettings;
}

TSettings ReadBytesAsSettings(const TTestFolder& dir, const std::string& bytes) {
    static int n = 0;
    const std::wstring path = dir + (L"holter" + std::to_wstring(++n) + L".ini");
    PutFile(path, bytes);
    return Read(path);
}

}  // namespace

TEST(ReadSettings, EveryEncodingIsReadWithoutRegardToCase) {
    TTestFolder dir;
    const std::wstring text =
        L"[Other]\r\nHardwareType=9\r\n[OPTIONS]\r\ndoformshow=0\r\nCHANNEL1GAIN=1.5\r\n"
        L"filtertype=0x10\r\nDefaultRegType=258\r\nLanguageSetting=Язык\r\n";
    for (const std::string& bytes : {Utf16File(text), Utf8File(text), Utf8File(text, false)}) {
        const TSettings s = ReadBytesAsSettings(dir, bytes);
        EXPECT_FALSE(s.doformshow);
        EXPECT_EQ(s.ChannelGain, 1.5);
        EXPECT_EQ(s.FilterType, 16);
        EXPECT_EQ(s.DefaultRegType, TRegType{2});
        EXPECT_EQ(s.HardwareType, 1);  // from another section: not ours
    }
    // The marked files give the Cyrillic text back exactly.
    EXPECT_EQ(ReadBytesAsSettings(dir, Utf16File(text)).LanguageSetting, L"Язык");
    EXPECT_EQ(ReadBytesAsSettings(dir, Utf8File(text)).LanguageSetting, L"Язык");
    EXPECT_EQ(NumberFormat.DecimalSeparator, L'.');
    EXPECT_EQ(NumberFormat.ThousandSeparator, L' ');
}

TEST(ReadSettings, MissingFileGivesDefaults) {
    TTestFolder dir;
    for (const wchar_t* missing : {L"none\\holter.ini", L"holter.ini"}) {
        const TSettings s = Read(dir + missing);
        EXPECT_TRUE(s.doformshow && s.NurseMode && s.DoctorMode);
        EXPECT_EQ(s.HardwareType, 1);
        EXPECT_EQ(s.ChannelGain12, 1.0);
        EXPECT_EQ(s.LanguageSetting, L"");
        EXPECT_TRUE(ProfileFileAbsent(dir + missing));
    }
    // Only what is not there is absent: a file, even an empty one, is read.
    PutFile(dir + L"empty.ini", "");
    EXPECT_FALSE(ProfileFileAbsent(dir + L"empty.ini"));
    EXPECT_FALSE(ProfileFileAbsent(dir + L""));
}

TEST(ReadSettings, HostileFilesGiveDefaultsOrWhatTheyValidlySay) {
    TTestFolder dir;
    std::string garbage;
    unsigned x = 99;
    for (int i = 0; i < 1 << 20; ++i) {
        x = x * 1103515245u + 12345u;
        garbage.push_back(static_cast<char>(x >> 24));
    }
    const std::string longLine(100000, 'z');
    const std::wstring longValue(3000, L'E');
    const std::vector<std::string> files = {
        garbage,
        "\xEF\xBB\xBF",
        "\xFF\xFE",
        std::string("[options]\r\nHardwareType=7\0\0\0\r\nNurseMode=0", 38),
        "[options]\r\n" + longLine + "\r\nHardwareType=7\r\n" + longLine,
        "[options]\nHardwareType=7\n[options]\nNurseMode=0\n",
        "[options]\rHardwareType=7\rNurseMode=0",  // no final newline
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        const TSettings s = ReadBytesAsSettings(dir, files[i]);
        SCOPED_TRACE(i);
        EXPECT_TRUE(s.HardwareType == 1 || s.HardwareType == 7) << s.HardwareType;
        EXPECT_TRUE(s.DoctorMode);
        EXPECT_EQ(s.ChannelGain, 1.0);
        if (i >= 4) {
            EXPECT_EQ(s.HardwareType, 7);
        }
    }
    // The first of two same-named keys counts, even when it has no "=".
    const TSettings first = ReadBytesAsSettings(
        dir, "[options]\r\nHardwareType\r\nNurseMode\r\n=0\r\nHardwareType=7\r\nDoctorMode=0");
    EXPECT_EQ(first.HardwareType, 1);
    EXPECT_TRUE(first.NurseMode);
    EXPECT_FALSE(first.DoctorMode);
    // A value longer than the profile reader's buffer is cut to 2047 characters.
    const TSettings s = ReadBytesAsSettings(
        dir, Utf16File(L"[options]\r\nLanguageSetting=" + longValue + L"\r\nHardwareType=" +
                       std::wstring(3000, L'1') + L"\r\n"));
    EXPECT_EQ(s.LanguageSetting, longValue.substr(0, 2047));
    EXPECT_EQ(s.HardwareType, 1);
}

TEST(LoadLanguageTexts, LanguageFileTranslatesRowsWithKeys) {
    TTestFolder dir;
    LanguageFile = dir + L"EngView.lng";
    PutFile(LanguageFile, Utf16File(L"[VL_Messages]\r\nnormo=Normosthenic\r\nWPW=changed\r\n"
                                       L"Diu=Diuretics\r\n[vl_common_proc]\r\nSBO=FAULT\r\n"));
    LoadLanguageTexts();
    EXPECT_EQ(BodyTypeNames[0], L"Normosthenic");
    EXPECT_EQ(BodyTypeNames[2], L"Астеник");
    EXPECT_EQ(MedicationNames[8], L"Diuretics");
    EXPECT_EQ(ConductionNames[3], L"WPW");
    EXPECT_EQ(DiagnosisNames[21], L"Сахарный диабет");
    EXPECT_EQ(SboText, L"FAULT");
    EXPECT_EQ(MetText, L"МЕТКА");

    // No language file (Russian): the built-in texts, whatever win.ini may hold.
    LanguageFile.clear();
    LoadLanguageTexts();
    EXPECT_EQ(BodyTypeNames[0], L"Нормостеник");
    EXPECT_EQ(SboText, L"СБОЙ");

    // A named but missing file, or one of garbage, leaves the built-in texts.
    LanguageFile = dir + L"missing.lng";
    LoadLanguageTexts();
    EXPECT_EQ(MedicationNames[8], L"диуретики");
    LanguageFile = dir + L"EngView.lng";
    PutFile(LanguageFile, std::string("\xFE\xFF\0[\0V", 6));
    LoadLanguageTexts();
    EXPECT_EQ(BodyTypeNames[0], L"Нормостеник");
    LanguageFile.clear();
}

TEST(CommonVars, StartXmlObjectIsEmptiedAndReleased) {
    StartXmlObject.FIO = L"Иванов";
    StartXmlObject.IWR = 3;
    InitCommonVars();
    EXPECT_EQ(StartXmlObject.FIO, L"");
    EXPECT_EQ(StartXmlObject.IWR, 0);
    EXPECT_EQ(ProgramFolder, ExeFolder());
    EXPECT_EQ(LanguageCode, L"RUS");
    StartXmlObject.Medic = L"x";
    FinalizeCommonVars();
    EXPECT_EQ(StartXmlObject.Medic, L"");
    EXPECT_EQ(ProgramFolder, L"");
}
