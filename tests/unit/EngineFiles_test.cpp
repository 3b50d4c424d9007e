#include <gtest/gtest.h>

#include "install/EngineFiles.h"

TEST(EngineFiles, WindowsSevenListHasTwelveNamesInCopyOrder) {
    const std::vector<std::wstring> expected = {
        L"aliases.conf", L"firebird.conf", L"fbclient.Dll", L"ib_util.Dll", L"icudt30.Dll", L"icuin30.Dll",
        L"icuuc30.Dll",  L"msvcp80.Dll",   L"msvcr80.Dll",  L"firebird.msg", L"gbak.exe",   L"gds32.dll"};
    EXPECT_EQ(EngineRuntimeFiles(wcWindows7), expected);
}

TEST(EngineFiles, WindowsXpListSwapsTheRuntimePairAndDropsTheTools) {
    const std::vector<std::wstring> expected = {
        L"aliases.conf", L"firebird.conf", L"fbclient.Dll", L"ib_util.Dll", L"icudt30.Dll",
        L"icuin30.Dll",  L"icuuc30.Dll",   L"msvcp71.Dll",  L"msvcr71.Dll", L"firebird.msg"};
    EXPECT_EQ(EngineRuntimeFiles(wcWindowsXP), expected);
}

TEST(EngineFiles, SubfolderListsKeepTheirSpelling) {
    EXPECT_EQ(IntlFiles(), (std::vector<std::wstring>{L"fbintl.conf", L"fbintl.dll"}));
    EXPECT_EQ(EngineUdfFiles(),
              (std::vector<std::wstring>{L"fbudf.dll", L"ib_udf.dll", L"fbudf.sql", L"ib_udf.sql", L"ib_udf2.sql"}));
    EXPECT_EQ(ProductUdfFiles(),
              (std::vector<std::wstring>{L"Collate.Dll", L"StrAt.Dll", L"TraceWork.Dll", L"Verdict.Dll"}));
}

TEST(EngineFiles, BackupNameCarriesDateAndTimeOfTheInstallation) {
    EXPECT_EQ(DatabaseBackupName(2026, 12, 9, 14, 30, 5), L"V12.FDB.20261209-143005.bak");
    EXPECT_EQ(DatabaseBackupName(2027, 1, 2, 3, 4, 5), L"V12.FDB.20270102-030405.bak");
    EXPECT_EQ(DatabaseBackupName(2026, 12, 9, 14, 30, 5, 2), L"V12.FDB.20261209-143005-2.bak");
}
