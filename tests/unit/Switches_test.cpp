#include <gtest/gtest.h>

#include <vector>

#include "app/Switches.h"
#include "shared/TextCodec.h"

namespace {
TSwitches Parse(const std::wstring& args) { return ParseSwitches(L"\"D:\\Media 1\\Install.exe\" " + args); }
}  // namespace

TEST(Switches, AnyCaseEitherPrefixAnyOrderQuotedValues) {
    const TSwitches s = Parse(L"-nodriver /Log=\"C:\\logs\\run 1.log\" /dIr=\"  C:\\Program Files\\Rudeve \" -VerySilent");
    ASSERT_TRUE(s.Valid()) << EncodeUtf8(s.Error);
    EXPECT_EQ(s.Mode, TRunMode::VerySilent);
    EXPECT_EQ(s.Dir, L"C:\\Program Files\\Rudeve\\");  // trimmed, given its backslash
    EXPECT_FALSE(s.Driver);
    EXPECT_EQ(s.LogFile, L"C:\\logs\\run 1.log");

    const TSwitches silent = Parse(L"/SILENT \"/DIR=Clinic\"");
    EXPECT_EQ(silent.Mode, TRunMode::Silent);
    EXPECT_EQ(silent.Dir, L"Clinic\\");  // relative: beside Install.exe
    EXPECT_TRUE(silent.Driver);

    EXPECT_EQ(ParseSwitches(L"Install.exe").Mode, TRunMode::Wizard);
    EXPECT_TRUE(ParseSwitches(L"Install.exe   ").Valid());
    EXPECT_EQ(Parse(L"/?").Mode, TRunMode::Help);
    EXPECT_EQ(Parse(L"-help").Mode, TRunMode::Help);
}

TEST(Switches, EveryBadCommandLineIsRefused) {
    const std::wstring longValue(32001, L'a');
    for (const std::wstring& bad : std::vector<std::wstring>{
             L"/FOO", L"/VERYSILENT /VERYSLENT", L"VERYSILENT", L"/", L"-", L"\"\"", L"/VERYSILENT=1",
             L"/VERYSILENT /verysilent", L"/SILENT /VERYSILENT", L"/VERYSILENT /DIR",
             L"/VERYSILENT /DIR=C:\\a /DIR=C:\\b", L"/VERYSILENT /DIR=\"C:\\a", L"/VERYSILENT /DIR=\"C:\\a|b\"",
             L"/VERYSILENT /DIR=C:\\a\"\"\"b", L"/VERYSILENT /DIR=C:\\a\x01" L"b", L"/VERYSILENT /DIR=C:\\a:b",
             L"/VERYSILENT /DIR=" + longValue, L"/VERYSILENT /LOG", L"/VERYSILENT /LOG=\"\"",
             L"/VERYSILENT /LOG=C:\\a?b", L"/NODRIVER", L"/DIR=C:\\Rudeve", L"/LOG=C:\\a.log",
             L"/? /FOO", L"/" + longValue}) {
        EXPECT_FALSE(Parse(bad).Valid()) << EncodeUtf8(bad.substr(0, 60));
    }
}

TEST(Switches, FolderRefusedWithThePathPageMessages) {
    EXPECT_EQ(Parse(L"/VERYSILENT /DIR=").Error, L"Не выбран путь для установки программы!");
    EXPECT_EQ(Parse(L"/VERYSILENT /DIR=\" \t\"").Error, L"Не выбран путь для установки программы!");
    EXPECT_EQ(Parse(L"/SILENT /DIR=D:").Error, L"Программу нелзя устанавливать в корневой каталог!");
    EXPECT_EQ(Parse(L"/SILENT /DIR=\"D:\\\"").Error, L"Программу нелзя устанавливать в корневой каталог!");
    EXPECT_EQ(Parse(L"/SILENT /DIR=C:/").Error, L"Программу нелзя устанавливать в корневой каталог!");
}

TEST(Switches, RepeatedRunsKeepDataUnlessToldAndWaitThirtyMinutes) {
    const TSwitches plain = Parse(L"/VERYSILENT");
    EXPECT_TRUE(plain.KeepData);
    EXPECT_TRUE(plain.KeepSettings);
    EXPECT_EQ(plain.WaitMinutes, 30u);
    const TSwitches told = Parse(L"/VERYSILENT /NewDatabase -newsettings /TIMEOUT=90");
    ASSERT_TRUE(told.Valid()) << EncodeUtf8(told.Error);
    EXPECT_FALSE(told.KeepData);
    EXPECT_FALSE(told.KeepSettings);
    EXPECT_EQ(told.WaitMinutes, 90u);
    for (const wchar_t* bad : {L"/VERYSILENT /TIMEOUT=0", L"/VERYSILENT /TIMEOUT=1441", L"/VERYSILENT /TIMEOUT=",
                               L"/VERYSILENT /TIMEOUT=-5", L"/VERYSILENT /TIMEOUT=1.5", L"/VERYSILENT /TIMEOUT=99999",
                               L"/VERYSILENT /NEWDATABASE /NEWDATABASE", L"/NEWDATABASE", L"/TIMEOUT=5",
                               L"/VERYSILENT /NEWSETTINGS=1"})
        EXPECT_FALSE(Parse(bad).Valid()) << EncodeUtf8(bad);
}

TEST(Switches, UninstallTakesTheQuietModesAndALogButNoFolderOrDriver) {
    const TSwitches quiet = Parse(L"/uninstall -VERYSILENT /LOG=\"C:\\logs\\removal.log\"");
    ASSERT_TRUE(quiet.Valid()) << EncodeUtf8(quiet.Error);
    EXPECT_TRUE(quiet.Uninstall);
    EXPECT_EQ(quiet.Mode, TRunMode::VerySilent);
    EXPECT_EQ(quiet.LogFile, L"C:\\logs\\removal.log");
    EXPECT_EQ(Parse(L"/UNINSTALL").Mode, TRunMode::Wizard);
    EXPECT_TRUE(Parse(L"/UNINSTALL").Uninstall);
    EXPECT_FALSE(Parse(L"/VERYSILENT").Uninstall);
    for (const wchar_t* bad : {L"/UNINSTALL /UNINSTALL", L"/UNINSTALL=1", L"/UNINSTALL /VERYSILENT /DIR=C:\\Rudeve",
                               L"/UNINSTALL /SILENT /NODRIVER", L"/UNINSTALL /LOG=C:\\a.log"})
        EXPECT_FALSE(Parse(bad).Valid()) << EncodeUtf8(bad);
}
