// Garbage where the installer reads text files, and media folders spelled in
// another letter case: the installer starts, installs, and loses nothing.
#include <gtest/gtest.h>

#include "FaultRun.h"

namespace {

std::string Garbage(size_t size, unsigned seed) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        s[i] = static_cast<char>(seed >> 16);
    }
    return s;
}

class BadInput : public fault::TFaultTest {};

TEST_F(BadInput, GarbageStartupFilesBesideTheInstaller) {
    Scenario = "garbage beside Install.exe: Settings\\holter.ini (binary, LanguageSetting=ENG), EngView.lng, 3 MB RavaRerozo.log";
    Must = "starts, installs completely, the files read at start-up stay unchanged";
    CreateDirectoryW(Media(L"Settings").c_str(), nullptr);
    const std::string holter = Garbage(5000, 1) + "\r\n[options]\r\nLanguageSetting=ENG\r\nFilterType=0x1FF\r\n" +
                               "Channel1Gain=1e999\r\nHardwareType=99999999999\r\n" + Garbage(3000, 2);
    const std::string lng = "\xFF\xFE" + Garbage(20001, 3);  // odd UTF-16
    const std::string log = Garbage(3u << 20, 4);
    ASSERT_TRUE(fault::WriteAll(Media(L"Settings\\holter.ini"), holter));
    ASSERT_TRUE(fault::WriteAll(Media(L"Settings\\EngView.lng"), lng));
    ASSERT_TRUE(fault::WriteAll(Media(L"RavaRerozo.log"), log));
    ASSERT_NO_FATAL_FAILURE(ToComponents(false));
    const fault::TOutcome out = RunInstall();
    Happened = out.Summary();
    EXPECT_TRUE(out.Errors.empty()) << out.Summary();
    EXPECT_TRUE(out.Completed) << out.Summary();
    EXPECT_TRUE(ClosesByCloseBox());
    EXPECT_EQ(holter, fault::ReadAll(Media(L"Settings\\holter.ini")));
    EXPECT_EQ(lng, fault::ReadAll(Media(L"Settings\\EngView.lng")));
    EXPECT_TRUE(log == fault::ReadAll(Media(L"RavaRerozo.log"))) << "the log file was written";
}

TEST_F(BadInput, GarbageSettingsFilesInTheTarget) {
    Scenario = "garbage holter.ini and btooth.ini already in the target";
    Must = "completes; holter.ini gets [options] FilterType=0, HardwareType=1 and keeps its readable keys; btooth.ini untouched";
    for (const wchar_t* f : {L"", L"Settings"}) CreateDirectoryW(Dest(f).c_str(), nullptr);
    const std::string holter = Garbage(2000, 5) + "\r\n[Clinic]\r\nName=Kept\r\n";
    const std::string btooth = Garbage(1000, 6);
    ASSERT_TRUE(fault::WriteAll(Dest(L"Settings\\holter.ini"), holter));
    ASSERT_TRUE(fault::WriteAll(Dest(L"btooth.ini"), btooth));
    ASSERT_NO_FATAL_FAILURE(ToComponents(false));
    const fault::TOutcome out = RunInstall();
    Happened = out.Summary();
    EXPECT_TRUE(out.Errors.empty()) << out.Summary();
    EXPECT_TRUE(out.Completed) << out.Summary();
    const std::string after = fault::ReadAll(Dest(L"Settings\\holter.ini"));
    EXPECT_NE(std::string::npos, after.find("[Clinic]\r\nName=Kept\r\n")) << "a readable section was lost";
    EXPECT_NE(std::string::npos, after.find("[options]\r\nFilterType=0\r\nHardwareType=1\r\n"));
    EXPECT_EQ(btooth, fault::ReadAll(Dest(L"btooth.ini")));
}

TEST_F(BadInput, MediaFoldersInAnotherLetterCase) {
    Scenario = "media folders and the database spelled in other letter case (dtafb\\v12.fdb, FIREBIRD, udf, FONTS, BACKUP, updater)";
    Must = "the installation completes as with the usual spelling (Windows names ignore case)";
    auto rename = [&](const wchar_t* from, const wchar_t* to) {
        ASSERT_TRUE(MoveFileW(Media(from).c_str(), Media(to).c_str())) << gui::Narrow(from);
    };
    ASSERT_NO_FATAL_FAILURE(rename(L"DTAfb\\V12.FDB", L"DTAfb\\v12.fdb"));
    ASSERT_NO_FATAL_FAILURE(rename(L"DTAfb", L"dtafb"));
    ASSERT_NO_FATAL_FAILURE(rename(L"Firebird", L"FIREBIRD"));
    ASSERT_NO_FATAL_FAILURE(rename(L"UDF", L"udf"));
    ASSERT_NO_FATAL_FAILURE(rename(L"fonts", L"FONTS"));
    ASSERT_NO_FATAL_FAILURE(rename(L"backup", L"BACKUP"));
    ASSERT_NO_FATAL_FAILURE(rename(L"Updater", L"updater"));
    ASSERT_NO_FATAL_FAILURE(ToComponents(false));
    const fault::TOutcome out = RunInstall();
    Happened = out.Summary();
    EXPECT_TRUE(out.Errors.empty()) << out.Summary();
    EXPECT_TRUE(out.Completed) << out.Summary();
    EXPECT_TRUE(gui::FileExists(Dest(L"DTAfb\\V12.FDB")));
    EXPECT_NE(std::string::npos, fault::ReadAll(Dest(L"ReleaseInfo")).find("<Level>010421</Level>"));
}

}  // namespace
