// Garbage where the installer reads text files, release information it cannot
// read, and media folders spelled in another letter case: the installer starts,
// installs or stops with a clear error, and loses nothing.
#include <gtest/gtest.h>

#include "InstallRun.h"

namespace {

std::string Garbage(size_t size, unsigned seed) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        s[i] = static_cast<char>(seed >> 16);
    }
    return s;
}

class BadInput : public run::TRunTest {};

TEST_F(BadInput, GarbageStartupFilesBesideTheInstaller) {
    Scenario = "garbage beside Install.exe: Settings\\holter.ini (binary, LanguageSetting=ENG), EngView.lng, 3 MB RavaRerozo.log";
    Must = "starts, installs completely, the files read at start-up stay unchanged";
    CreateDirectoryW(Media(L"Settings").c_str(), nullptr);
    const std::string holter = Garbage(5000, 1) + "\r\n[options]\r\nLanguageSetting=ENG\r\nFilterType=0x1FF\r\n" +
                               "Channel1Gain=1e999\r\nHardwareType=99999999999\r\n" + Garbage(3000, 2);
    const std::string lng = "\xFF\xFE" + Garbage(20001, 3);  // odd UTF-16
    const std::string log = Garbage(3u << 20, 4);
    ASSERT_TRUE(run::WriteAll(Media(L"Settings\\holter.ini"), holter));
    ASSERT_TRUE(run::WriteAll(Media(L"Settings\\EngView.lng"), lng));
    ASSERT_TRUE(run::WriteAll(Media(L"RavaRerozo.log"), log));
    ASSERT_NO_FATAL_FAILURE(ToComponents(false));
    const run::TOutcome out = RunInstall();
    Happened = out.Summary();
    EXPECT_TRUE(out.Errors.empty()) << out.Summary();
    EXPECT_TRUE(out.Completed) << out.Summary();
    EXPECT_TRUE(ClosesByCloseBox());
    EXPECT_EQ(holter, run::ReadAll(Media(L"Settings\\holter.ini")));
    EXPECT_EQ(lng, run::ReadAll(Media(L"Settings\\EngView.lng")));
    EXPECT_TRUE(log == run::ReadAll(Media(L"RavaRerozo.log"))) << "the log file was written";
}

TEST_F(BadInput, GarbageSettingsFilesInTheTarget) {
    Scenario = "garbage holter.ini and btooth.ini already in the target";
    Must = "completes; holter.ini gets [options] FilterType=0, HardwareType=1 and keeps its readable keys; btooth.ini untouched";
    for (const wchar_t* f : {L"", L"Settings"}) CreateDirectoryW(Dest(f).c_str(), nullptr);
    const std::string holter = Garbage(2000, 5) + "\r\n[Clinic]\r\nName=Kept\r\n";
    const std::string btooth = Garbage(1000, 6);
    ASSERT_TRUE(run::WriteAll(Dest(L"Settings\\holter.ini"), holter));
    ASSERT_TRUE(run::WriteAll(Dest(L"btooth.ini"), btooth));
    ASSERT_NO_FATAL_FAILURE(ToComponents(false));
    const run::TOutcome out = RunInstall();
    Happened = out.Summary();
    EXPECT_TRUE(out.Errors.empty()) << out.Summary();
    EXPECT_TRUE(out.Completed) << out.Summary();
    const std::string after = run::ReadAll(Dest(L"Settings\\holter.ini"));
    EXPECT_NE(std::string::npos, after.find("[Clinic]\r\nName=Kept\r\n")) << "a readable section was lost";
    EXPECT_NE(std::string::npos, after.find("[options]\r\nFilterType=0\r\nHardwareType=1\r\n"));
    EXPECT_EQ(btooth, run::ReadAll(Dest(L"btooth.ini")));
}

// The release information of the media in a version the installer does not
// know, or cut off: the newest package's script runs, then the update stage
// stops with the reason.
TEST_F(BadInput, ReleaseInformationThatCannotBeRead) {
    const struct {
        const char* What;
        std::string Xml;
        std::wstring Error;  // the whole text, or its beginning when it ends in ": "
    } cases[] = {
        {"another version", "<ROOT><Version>2</Version><Level>000000</Level></ROOT>",
         L"Cannot get release information, error: unknown release file version"},
        {"cut off", "<ROOT><Version>1</Version><Level>000000</Level>", L"Cannot get release information, error: "},
    };
    const std::wstring info = Media(L"Updater\\ReleaseInfo");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        SetFileAttributesW(info.c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(run::WriteAll(info, c.Xml));
        Target = Dist.Root() + gui::Widen(c.What) + L"\\";
        ASSERT_NO_FATAL_FAILURE(ToComponents());
        const run::TOutcome out = RunInstall();
        ASSERT_EQ(out.Errors.size(), 1u) << out.Summary();
        if (run::EndsWith(c.Error, L": ")) {
            EXPECT_EQ(out.Errors[0].rfind(c.Error, 0), 0u) << gui::Narrow(out.Errors[0]);
            EXPECT_GT(out.Errors[0].size(), c.Error.size());
        } else {
            EXPECT_EQ(out.Errors[0], c.Error);
        }
        // The package's script ran before the level was to be written.
        EXPECT_EQ(run::Trimmed(run::ReadAll(Dest(L"InstalledRelease.txt"))), "010421");
        EXPECT_EQ(run::WithoutFontLines(out.Lines),
                  run::Concat({{texts::SettingsLine, texts::DatabaseFolderLine}, run::DatabaseLines()}));
        ExpectStoppedEarly(out);
    }
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
    const run::TOutcome out = RunInstall();
    Happened = out.Summary();
    EXPECT_TRUE(out.Errors.empty()) << out.Summary();
    EXPECT_TRUE(out.Completed) << out.Summary();
    EXPECT_TRUE(gui::FileExists(Dest(L"DTAfb\\V12.FDB")));
    EXPECT_NE(std::string::npos, run::ReadAll(Dest(L"ReleaseInfo")).find("<Level>010421</Level>"));
}

}  // namespace
