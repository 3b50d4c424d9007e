#include <gtest/gtest.h>

#include <cstring>

#include "install/LastNum.h"
#include "install/SettingsSteps.h"
#include "platform/AppError.h"
#include "tests/win/EngineTestFiles.h"

TEST(SettingsSteps, HolterIniGetsTheTwoKeysAndKeepsEverythingElse) {
    TTestFolder t;
    CreateDirectoryW((t + L"Settings").c_str(), nullptr);
    PutFile(t + L"Settings\\holter.ini",
            "[options]\r\nFilterType=5\r\nLanguage=1\r\n[other]\r\nKey=Value\r\n");
    WriteInstallSettings(t.Path());
    wchar_t value[64] = {};
    const std::wstring ini = t + L"Settings\\holter.ini";
    GetPrivateProfileStringW(L"options", L"FilterType", L"", value, 64, ini.c_str());
    EXPECT_STREQ(value, L"0");
    GetPrivateProfileStringW(L"options", L"HardwareType", L"", value, 64, ini.c_str());
    EXPECT_STREQ(value, L"1");
    GetPrivateProfileStringW(L"options", L"Language", L"", value, 64, ini.c_str());
    EXPECT_STREQ(value, L"1");
    GetPrivateProfileStringW(L"other", L"Key", L"", value, 64, ini.c_str());
    EXPECT_STREQ(value, L"Value");
}

TEST(SettingsSteps, HolterIniWithoutSettingsFolderRaises) {
    TTestFolder t;
    EXPECT_THROW(WriteInstallSettings(t.Path()), EAppError);
}

TEST(SettingsSteps, LastNumIsOneRecordOfNowAndIsNeverRewritten) {
    TTestFolder t;
    WriteLastNumIfMissing(t.Path());  // no settings folder: nothing
    EXPECT_FALSE(PathExists(t + L"Settings\\lastnum.dta"));

    CreateDirectoryW((t + L"Settings").c_str(), nullptr);
    SYSTEMTIME before{};
    GetLocalTime(&before);
    WriteLastNumIfMissing(t.Path());
    const std::string record = GetFile(t + L"Settings\\lastnum.dta");
    ASSERT_EQ(record.size(), 14u);
    EXPECT_EQ(record.substr(0, 6), std::string(6, '\0'));
    double day = 0;
    std::memcpy(&day, record.data() + 6, 8);
    const double expected = DateTimeToDayCount(before.wYear, before.wMonth, before.wDay, before.wHour,
                                               before.wMinute, before.wSecond, before.wMilliseconds);
    // Within the same millisecond the 32-bit build's x87 arithmetic may keep
    // `expected` wider than the stored double: allow that last digit.
    EXPECT_GE(day, expected - 1.0 / 86400000);
    EXPECT_LT(day - expected, 60.0 / 86400);  // within a minute

    PutFile(t + L"Settings\\lastnum.dta", "existing");
    WriteLastNumIfMissing(t.Path());
    EXPECT_EQ(GetFile(t + L"Settings\\lastnum.dta"), "existing");
}

TEST(SettingsSteps, BtoothIniSetsTheDiskAndKeepsOtherKeys) {
    TTestFolder t;
    WriteBtoothIni(t.Path());
    wchar_t value[64] = {};
    const std::wstring ini = t + L"btooth.ini";
    GetPrivateProfileStringW(L"Common", L"Disk", L"", value, 64, ini.c_str());
    EXPECT_STREQ(value, L"I");
    PutFile(ini, "[Common]\r\nDisk=C\r\nPort=3\r\n");
    WriteBtoothIni(t.Path());
    GetPrivateProfileStringW(L"Common", L"Disk", L"", value, 64, ini.c_str());
    EXPECT_STREQ(value, L"I");
    GetPrivateProfileStringW(L"Common", L"Port", L"", value, 64, ini.c_str());
    EXPECT_STREQ(value, L"3");
}
