// Every file and folder the installer copies from the media, missing in turn.
// The database stage stops at once with the open error and an unmarked line
// (the database a clinic already has stays in place); a missing font only ends
// the font step; a missing release script, release information, package folder
// or updater ends the run with its error; a missing driver folder changes
// nothing the operator sees.
#include <gtest/gtest.h>

#include "InstallRun.h"

namespace {

enum class TKind {
    DatabaseStage, Font, FontsFolder, Script, ReleaseInfo, NoPackages, VisiblePackages, NoUpdater, DriverFolder
};

struct TMissing {
    const wchar_t* Rel;   // on the media
    const wchar_t* Name;  // as the progress line names it
    TKind Kind;
    int Index;            // position among the fonts
};

std::vector<TMissing> AllMissing() {
    std::vector<TMissing> v;
    v.push_back({L"DTAfb\\V12.FDB", L"V12.FDB", TKind::DatabaseStage, 0});
    for (const wchar_t* n : {L"aliases.conf", L"firebird.conf", L"fbclient.Dll", L"ib_util.Dll", L"icudt30.Dll",
                             L"icuin30.Dll", L"icuuc30.Dll", L"msvcp80.Dll", L"msvcr80.Dll", L"firebird.msg",
                             L"gbak.exe", L"gds32.dll"})
        v.push_back({nullptr, n, TKind::DatabaseStage, 0});
    for (const wchar_t* n : {L"fbintl.conf", L"fbintl.dll"}) v.push_back({nullptr, n, TKind::DatabaseStage, 1});
    for (const wchar_t* n : {L"fbudf.dll", L"ib_udf.dll", L"fbudf.sql", L"ib_udf.sql", L"ib_udf2.sql"})
        v.push_back({nullptr, n, TKind::DatabaseStage, 2});
    for (const wchar_t* n : {L"Collate.Dll", L"StrAt.Dll", L"TraceWork.Dll", L"Verdict.Dll"})
        v.push_back({nullptr, n, TKind::DatabaseStage, 3});
    for (int i = 0; i < 7; ++i) v.push_back({nullptr, run::FontFiles[i], TKind::Font, i});
    v.push_back({L"fonts", L"fonts", TKind::FontsFolder, 0});
    v.push_back({L"backup\\r010421\\Install.cmd", L"Install.cmd", TKind::Script, 0});
    v.push_back({L"Updater\\ReleaseInfo", L"ReleaseInfo", TKind::ReleaseInfo, 0});
    v.push_back({L"backup", L"backup", TKind::NoPackages, 0});
    // The hidden package and WithOutAnswer stay; they never run.
    v.push_back({L"backup\\r010421", L"r010421", TKind::VisiblePackages, 0});
    v.push_back({L"Updater", L"Updater", TKind::NoUpdater, 0});
    v.push_back({L"FTDIDriverInstall", L"FTDIDriverInstall", TKind::DriverFolder, 0});
    return v;
}

std::wstring MediaPath(const TMissing& m) {
    if (m.Rel) return m.Rel;
    if (m.Kind == TKind::Font) return std::wstring(L"fonts\\") + m.Name;
    static const wchar_t* const folders[] = {L"Firebird\\", L"Firebird\\intl\\", L"Firebird\\udf\\", L"UDF\\"};
    return folders[m.Index] + std::wstring(m.Name);
}

class MissingMedia : public run::TRunTest, public ::testing::WithParamInterface<TMissing> {
protected:
    // The lines of a run that stopped in the update stage: every earlier step whole.
    void ExpectStoppedInTheUpdateStage(const run::TOutcome& out) {
        EXPECT_EQ(run::WithoutFontLines(out.Lines),
                  run::Concat({{texts::SettingsLine, texts::DatabaseFolderLine}, run::DatabaseLines()}));
        ExpectStoppedEarly(out);
    }
};

const std::string kClinicDb = "examinations of the clinic";

TEST_P(MissingMedia, EndsAsTheOperatorIsToldAndLosesNothing) {
    const TMissing m = GetParam();
    const std::wstring rel = MediaPath(m);
    Scenario = "missing on the media: " + gui::Narrow(rel);
    run::RemovePath(Media(rel));
    ASSERT_FALSE(gui::FileExists(Media(rel)) || gui::DirectoryExists(Media(rel)));
    if (m.Kind == TKind::VisiblePackages) {
        Scenario += " and backup\\r150321";
        run::RemovePath(Media(L"backup\\r150321"));
    }
    // Every font is new to the system, so each one would get its line.
    if (m.Kind == TKind::Font) run::ForgetFonts();
    // A clinic's database in the target: a missing media database leaves it be.
    const bool clinic = rel == L"DTAfb\\V12.FDB";
    if (clinic) {
        MakeTarget();
        ASSERT_TRUE(run::WriteAll(Dest(L"DTAfb\\V12.FDB"), kClinicDb));
    }

    const bool driver = m.Kind == TKind::DriverFolder;
    ASSERT_NO_FATAL_FAILURE(ToComponents(driver));
    const run::TOutcome out = RunInstall({.Driver = driver});
    Happened = out.Summary();

    // Settings written before the failure are whole; nothing after it happened.
    const std::string holter = run::ReadAll(Dest(L"Settings\\holter.ini"));
    EXPECT_NE(holter.find("FilterType=0\r\nHardwareType=1\r\n"), std::string::npos) << holter;

    switch (m.Kind) {
        case TKind::DatabaseStage: {
            Must = "error box \"Cannot open file ...\", the file's line unmarked, no later step, Выход disabled, window closes";
            ASSERT_EQ(1u, out.Errors.size()) << out.Summary();
            EXPECT_EQ(0u, out.Errors[0].rfind(L"Cannot open file \"" + Media(rel) + L"\"", 0))
                << gui::Visible(out.Errors[0]);
            // Every earlier copy whole, this one unmarked.
            if (clinic) {
                EXPECT_EQ(out.Lines, (std::vector<std::wstring>{texts::SettingsLine, texts::CopyLine + L"V12.FDB...."}));
                EXPECT_EQ(run::ReadAll(Dest(L"DTAfb\\V12.FDB")), kClinicDb) << "the clinic's database was touched";
            } else {
                EXPECT_EQ(out.Lines, run::Concat({{texts::SettingsLine, texts::DatabaseFolderLine},
                                                  run::DatabaseLinesUpTo(m.Name, L"")}));
            }
            // The error box is in Install.log too.
            EXPECT_TRUE(run::Contains(gui::Widen(run::ReadAll(Dest(L"Install.log"))), out.Errors[0]));
            EXPECT_FALSE(gui::FileExists(Dest(L"Settings\\lastnum.dta"))) << "lastnum.dta after a stop";
            EXPECT_FALSE(gui::DirectoryExists(Dest(L"backup"))) << "the update stage ran after a stop";
            ExpectStoppedEarly(out);
            break;
        }
        case TKind::Font: {
            Must = "fonts before it get their lines, the rest are skipped silently, the run completes; the error is in Install.log";
            EXPECT_TRUE(out.Errors.empty()) << out.Summary();
            EXPECT_TRUE(out.Completed) << out.Summary();
            EXPECT_TRUE(out.ExitEnabled);
            EXPECT_EQ(static_cast<size_t>(m.Index), run::FontLines(out.Lines).size()) << out.Summary();
            EXPECT_FALSE(gui::FileExists(run::FontsFolder() + m.Name));
            EXPECT_EQ("010421\r\n", run::ReadAll(Dest(L"InstalledRelease.txt")));
            EXPECT_NE(std::string::npos,
                      run::ReadAll(Dest(L"Install.log"))
                          .find(gui::Narrow(L"Шрифты не установлены: Cannot open file \"" + Media(rel) + L"\"")))
                << "the font step's error is not in Install.log";
            break;
        }
        case TKind::FontsFolder:
            Must = "no font line, no box, the run completes with the level and the desktop link";
            EXPECT_TRUE(out.Errors.empty()) << out.Summary();
            EXPECT_TRUE(out.Completed) << out.Summary();
            EXPECT_TRUE(out.ExitEnabled);
            EXPECT_TRUE(run::FontLines(out.Lines).empty());
            EXPECT_EQ(run::LevelOf(run::ReadAll(Dest(L"ReleaseInfo"))), "010421");
            EXPECT_TRUE(gui::FileExists(run::DesktopLink()));
            break;
        case TKind::Script:
            Must = "error box naming the release script, level not recorded, Выход disabled";
            ASSERT_EQ(1u, out.Errors.size()) << out.Summary();
            EXPECT_EQ(out.Errors[0], L"Не смог создать процесс: " + Dest(L"backup\\r010421\\Install.cmd"));
            EXPECT_EQ(run::LevelOf(run::ReadAll(Dest(L"ReleaseInfo"))), "000000");
            ExpectStoppedInTheUpdateStage(out);
            break;
        case TKind::ReleaseInfo:
        case TKind::NoUpdater:
            Must = "the newest script runs, then error box \"Release info file does not exist\", Выход disabled";
            ASSERT_EQ(1u, out.Errors.size()) << out.Summary();
            EXPECT_EQ(L"Release info file does not exist", out.Errors[0]);
            EXPECT_EQ("010421\r\n", run::ReadAll(Dest(L"InstalledRelease.txt")));
            EXPECT_FALSE(gui::FileExists(Dest(L"ReleaseInfo")));
            ExpectStoppedInTheUpdateStage(out);
            break;
        case TKind::NoPackages:
        case TKind::VisiblePackages:
            Must = "error box naming the backup folder without a package, no script runs, Выход disabled";
            ASSERT_EQ(1u, out.Errors.size()) << out.Summary();
            EXPECT_EQ(out.Errors[0], L"Не найден ни один пакет обновления в каталоге " + Dest(L"backup\\"));
            EXPECT_FALSE(gui::FileExists(Dest(L"InstalledRelease.txt")));
            if (m.Kind == TKind::VisiblePackages) {
                EXPECT_EQ(run::LevelOf(run::ReadAll(Dest(L"ReleaseInfo"))), "000000");
            }
            ExpectStoppedInTheUpdateStage(out);
            break;
        case TKind::DriverFolder:
            Must = "the driver named not installed between both driver lines, the run completes";
            EXPECT_TRUE(out.Errors.empty()) << out.Summary();
            EXPECT_TRUE(out.DriverQuestion);
            EXPECT_NE(L"<none>", out.LineStarting(texts::DriverStartLine));
            EXPECT_NE(L"<none>", out.LineStarting(DriverNotInstalled));
            EXPECT_NE(L"<none>", out.LineStarting(texts::DriverEndLine));
            EXPECT_TRUE(out.Completed) << out.Summary();
            EXPECT_TRUE(out.ExitEnabled);
            break;
    }
}

std::string NameOf(const ::testing::TestParamInfo<TMissing>& info) {
    std::string s = gui::Narrow(MediaPath(info.param));
    for (char& c : s)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    return s;
}

INSTANTIATE_TEST_SUITE_P(EachFile, MissingMedia, ::testing::ValuesIn(AllMissing()), NameOf);

}  // namespace
