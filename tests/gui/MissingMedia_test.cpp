// Every file and folder the installer copies from the media, missing in turn.
// The database stage stops at once with the open error and an unmarked line;
// a missing font only ends the font step; a missing release script, release
// information, package folder or updater ends the run with its error; a missing
// driver folder changes nothing the operator sees.
#include <gtest/gtest.h>

#include "FaultRun.h"

namespace {

enum class TKind { DatabaseStage, Font, Script, ReleaseInfo, NoPackages, NoUpdater, DriverFolder };

struct TMissing {
    const wchar_t* Rel;   // on the media
    const wchar_t* Name;  // as the progress line names it
    TKind Kind;
    int Index;            // position among the fonts
};

const wchar_t* const kFonts[] = {L"ARIAL.TTF", L"ARIALN.TTF", L"COUR.TTF", L"MICROSS.TTF",
                                 L"TAHOMA.TTF", L"TIMES.TTF", L"verdana.TTF"};

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
    for (int i = 0; i < 7; ++i) v.push_back({nullptr, kFonts[i], TKind::Font, i});
    v.push_back({L"backup\\r010421\\Install.cmd", L"Install.cmd", TKind::Script, 0});
    v.push_back({L"Updater\\ReleaseInfo", L"ReleaseInfo", TKind::ReleaseInfo, 0});
    v.push_back({L"backup", L"backup", TKind::NoPackages, 0});
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

std::wstring FontsFolder() {
    wchar_t w[MAX_PATH] = {};
    GetWindowsDirectoryW(w, MAX_PATH);
    return std::wstring(w) + L"\\Fonts\\";
}

class MissingMedia : public fault::TFaultTest, public ::testing::WithParamInterface<TMissing> {};

TEST_P(MissingMedia, EndsAsTheOperatorIsToldAndLosesNothing) {
    const TMissing m = GetParam();
    const std::wstring rel = MediaPath(m);
    Scenario = "missing on the media: " + gui::Narrow(rel);
    fault::RemovePath(Media(rel));
    ASSERT_FALSE(gui::FileExists(Media(rel)) || gui::DirectoryExists(Media(rel)));
    if (m.Kind == TKind::Font)  // every font is new to the system, so each one would get its line
        for (const wchar_t* f : kFonts) DeleteFileW((FontsFolder() + f).c_str());

    const bool driver = m.Kind == TKind::DriverFolder;
    ASSERT_NO_FATAL_FAILURE(ToComponents(driver));
    fault::TRunOptions options;
    options.Driver = driver;
    const fault::TOutcome out = RunInstall(options);
    Happened = out.Summary();

    // Settings written before the failure are whole; nothing after it happened.
    const std::string holter = fault::ReadAll(Dest(L"Settings\\holter.ini"));
    EXPECT_NE(holter.find("FilterType=0\r\nHardwareType=1\r\n"), std::string::npos) << holter;

    switch (m.Kind) {
        case TKind::DatabaseStage: {
            Must = "error box \"Cannot open file ...\", the file's line unmarked, no later step, Выход disabled, window closes";
            ASSERT_EQ(1u, out.Errors.size()) << out.Summary();
            EXPECT_EQ(0u, out.Errors[0].rfind(L"Cannot open file \"" + Media(rel) + L"\"", 0))
                << gui::Visible(out.Errors[0]);
            EXPECT_EQ(L"Копирование файла " + std::wstring(m.Name) + L"....", out.LastLine());
            for (size_t i = 0; i + 1 < out.Lines.size(); ++i) {
                if (out.Lines[i].rfind(L"Копирование файла ", 0) == 0) {
                    EXPECT_TRUE(fault::EndsWith(out.Lines[i], fault::kDone)) << gui::Visible(out.Lines[i]);
                }
            }
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
            int fontLines = 0;
            for (const auto& l : out.Lines)
                if (l.rfind(L"Шрифт <", 0) == 0) ++fontLines;
            EXPECT_EQ(m.Index, fontLines) << out.Summary();
            EXPECT_FALSE(gui::FileExists(FontsFolder() + m.Name));
            EXPECT_EQ("010421\r\n", fault::ReadAll(Dest(L"InstalledRelease.txt")));
            EXPECT_NE(std::string::npos,
                      fault::ReadAll(Dest(L"Install.log"))
                          .find(gui::Narrow(L"Шрифты не установлены: Cannot open file \"" + Media(rel) + L"\"")))
                << "the font step's error is not in Install.log";
            break;
        }
        case TKind::Script:
            Must = "error box naming the release script, level not recorded, Выход disabled";
            ASSERT_EQ(1u, out.Errors.size()) << out.Summary();
            EXPECT_NE(std::wstring::npos, out.Errors[0].find(Dest(L"backup\\r010421\\Install.cmd")))
                << gui::Visible(out.Errors[0]);
            EXPECT_NE(std::string::npos, fault::ReadAll(Dest(L"ReleaseInfo")).find("<Level>000000</Level>"));
            ExpectStoppedEarly(out);
            break;
        case TKind::ReleaseInfo:
        case TKind::NoUpdater:
            Must = "the newest script runs, then error box \"Release info file does not exist\", Выход disabled";
            ASSERT_EQ(1u, out.Errors.size()) << out.Summary();
            EXPECT_EQ(L"Release info file does not exist", out.Errors[0]);
            EXPECT_EQ("010421\r\n", fault::ReadAll(Dest(L"InstalledRelease.txt")));
            EXPECT_FALSE(gui::FileExists(Dest(L"ReleaseInfo")));
            ExpectStoppedEarly(out);
            break;
        case TKind::NoPackages:
            Must = "error box naming the empty backup folder, no script runs, Выход disabled";
            ASSERT_EQ(1u, out.Errors.size()) << out.Summary();
            EXPECT_NE(std::wstring::npos, out.Errors[0].find(Dest(L"backup\\"))) << gui::Visible(out.Errors[0]);
            EXPECT_FALSE(gui::FileExists(Dest(L"InstalledRelease.txt")));
            ExpectStoppedEarly(out);
            break;
        case TKind::DriverFolder:
            Must = "the driver named not installed between both driver lines, the run completes";
            EXPECT_TRUE(out.Errors.empty()) << out.Summary();
            EXPECT_TRUE(out.DriverQuestion);
            EXPECT_NE(L"<none>", out.LineStarting(L"Началась установка драйверов устройства..."));
            EXPECT_NE(L"<none>", out.LineStarting(L"Драйвер устройства не установлен: "));
            EXPECT_NE(L"<none>", out.LineStarting(L"Установка драйверов устройства завершена"));
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
