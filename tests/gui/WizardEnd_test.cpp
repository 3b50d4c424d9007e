// Whole installations from the sample media and how the wizard ends them: the
// large-font page on a small-font screen (96 pixels per inch, the default of a
// Wine prefix), otherwise the question whether to leave; what each run left in
// the target, the fonts folder and on the desktop; and each way out.
#include <gtest/gtest.h>

#include "InstallRun.h"

using run::Concat;
using run::DatabaseLines;

namespace {

const std::vector<std::wstring> kDriverLines = {texts::DriverStartLine, texts::DriverEndLine};

int ScreenLogPixels() {
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
    return dpi;
}

class WizardEnd : public run::TRunTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(TRunTest::SetUp());
        // A program where the unquoted path of the target would lead.
        CopyFileW((Dist.Folder() + L"FTDIDriverInstall\\FTDIDriverInstall.exe").c_str(),
                  (Dist.Root() + L"Target.exe").c_str(), FALSE);
    }

    // The question came at the end of the run, the progress page behind it.
    void ExpectFinalQuestion(const run::TOutcome& out) {
        ASSERT_TRUE(out.Completed) << out.Summary();
        ASSERT_NE(nullptr, out.FinalBox) << "no question at the end; page " << out.Page;
        EXPECT_EQ(gui::Narrow(FinalQuestion), gui::Narrow(gui::DialogText(out.FinalBox)));
        EXPECT_NE(nullptr, GetDlgItem(out.FinalBox, IDYES));
        EXPECT_NE(nullptr, GetDlgItem(out.FinalBox, IDNO));
        EXPECT_EQ(IDC_TS_PROGRESSINSTALL, app().VisiblePage());
        EXPECT_FALSE(out.WaitRunShown) << "the launch-progress window became visible";
    }
};

// Driver Yes on small fonts: every step, the large-font page with its restart
// question (No twice, the page stays usable), then Yes with the restart refused.
TEST_F(WizardEnd, SmallFontScreenEndsOnTheLargeFontPage) {
    ASSERT_EQ(ScreenLogPixels(), 96) << "the run's Wine prefix is expected at 96 pixels per inch";
    ASSERT_TRUE(run::PlantFontSizeSwitch());
    run::ForgetFonts();
    const run::TOutcome out = InstallFresh({.Driver = true, .DriverYes = true});
    ASSERT_TRUE(out.ReachedProgress);
    EXPECT_EQ(out.Boxes, std::vector<std::wstring>{DriverQuestion});
    ASSERT_EQ(out.Page, IDC_TS_CHANGEFONTSIZE) << out.Summary();
    gui::SaveScreenshotAs(app().MainWindow(), L"small-font-ending");
    EXPECT_EQ(nullptr, app().FindMessageBox()) << "no final question on small fonts";
    EXPECT_FALSE(out.WaitRunShown) << "the launch-progress window became visible";
    // The run got past the shortcut: "Выход" behind the page is enabled already.
    EXPECT_TRUE(out.ExitEnabled);
    EXPECT_TRUE(app().Visible(IDC_BTNCHANGEFONT));
    for (int id : {IDC_BTNCANCEL, IDC_BTNCANCEL2, IDC_BTNCANCEL4}) EXPECT_FALSE(app().Visible(id));

    // The path page made the folder already: no "Каталог создан..." line. The
    // seven fonts come between the database and the driver.
    EXPECT_EQ(run::WithoutFontLines(out.Lines),
              Concat({{texts::SettingsLine, texts::DatabaseFolderLine}, DatabaseLines(), kDriverLines}));
    for (size_t i = 0; i < out.Lines.size(); ++i) {
        if (out.Lines[i].rfind(texts::FontLine, 0) == 0) {
            EXPECT_GT(i, 1 + DatabaseLines().size());
        }
    }
    run::ExpectFontsInstalled(Dist.Folder(), out.Lines);
    run::ExpectDesktopLink(Target);

    const std::wstring& T = Target;
    EXPECT_EQ(run::Ini(T + L"Settings\\holter.ini", L"options", L"FilterType"), L"0");
    EXPECT_EQ(run::Ini(T + L"Settings\\holter.ini", L"options", L"HardwareType"), L"1");
    EXPECT_EQ(run::SizeOf(T + L"Settings\\lastnum.dta"), 14);
    EXPECT_FALSE(gui::FileExists(T + L"btooth.ini"));
    EXPECT_EQ(run::SizeOf(T + L"DTAfb\\V12.FDB"), run::SizeOf(Dist.Folder() + L"DTAfb\\V12.FDB"));
    for (const wchar_t* f : {L"gbak.exe", L"gds32.dll", L"msvcr80.Dll", L"intl\\fbintl.dll", L"udf\\ib_udf2.sql",
                             L"udf\\Verdict.Dll", L"Updater.exe", L"backup\\r150321\\Install.cmd"})
        EXPECT_TRUE(gui::FileExists(T + f)) << gui::Narrow(f);
    EXPECT_FALSE(gui::FileExists(T + L"msvcr71.Dll"));
    // The newest visible package ran and deployed the complex's programs.
    EXPECT_EQ(run::Trimmed(run::ReadAll(T + L"InstalledRelease.txt")), "010421");
    for (const wchar_t* f : {L"Shell.exe", L"HolterView.exe", L"Calibration.exe", L"Printing.dll"})
        EXPECT_TRUE(gui::FileExists(T + f)) << gui::Narrow(f);
    EXPECT_TRUE(gui::DirectoryExists(T + L"backup\\WithOutAnswer"));
    EXPECT_FALSE(gui::DirectoryExists(T + L"backup\\.r311299"));
    EXPECT_EQ(run::LevelOf(run::ReadAll(T + L"ReleaseInfo")), "010421");
    EXPECT_FALSE(GetFileAttributesW((T + L"ReleaseInfo").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(GetFileAttributesW((T + L"Updater.exe.cfg").c_str()) & FILE_ATTRIBUTE_READONLY);

    // The driver installer ran from the target, by its quoted path, hidden, in the installer's folder.
    const std::wstring record = gui::Widen(run::ReadAll(T + L"FTDIDriverInstall\\FTDIDriverInstall.log"));
    EXPECT_TRUE(run::Contains(record, L"cmdline=\"" + T + L"FTDIDriverInstall\\FTDIDriverInstall.exe\"\r\n"))
        << gui::Narrow(record);
    EXPECT_TRUE(run::Contains(record, L"show=0\r\n"));
    EXPECT_TRUE(run::Contains(record, L"cwd=" + Dist.Folder().substr(0, Dist.Folder().size() - 1) + L"\r\n"))
        << gui::Narrow(record);
    EXPECT_EQ(run::ReadAll(Dist.Root() + L"FTDIDriverInstall.log"), "<missing>");

    // Install.log: BOM, header with both folders, every line as shown.
    const std::string log = run::ReadAll(T + L"Install.log");
    ASSERT_EQ(log.substr(0, 3), "\xEF\xBB\xBF");
    const std::wstring text = gui::Widen(log.substr(3));
    EXPECT_TRUE(run::Contains(text, L"Дистрибутив: " + Dist.Folder() + L". Каталог установки: " + T + L"\r\n"));
    for (const auto& line : out.Lines) EXPECT_TRUE(run::Contains(text, L"\r\n" + line + L"\r\n")) << gui::Narrow(line);

    // No: the page stays and both buttons work; the question comes again.
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(app().Click(IDC_BTNCHANGEFONT)) << round;
        HWND question = app().WaitMessageBox();
        ASSERT_NE(question, nullptr) << round;
        EXPECT_EQ(gui::WindowText(question), L"Warning");
        EXPECT_EQ(gui::DialogText(question), texts::RestartQuestion) << gui::Visible(gui::DialogText(question));
        EXPECT_NE(GetDlgItem(question, IDYES), nullptr);
        EXPECT_NE(GetDlgItem(question, IDNO), nullptr);
        EXPECT_EQ(GetWindow(question, GW_OWNER), app().MainWindow());
        ASSERT_TRUE(app().Answer(question, IDNO));
        ASSERT_TRUE(app().WaitMessageBoxGone());
        EXPECT_TRUE(app().Running());
        EXPECT_EQ(app().VisiblePage(), IDC_TS_CHANGEFONTSIZE);
        EXPECT_TRUE(app().Enabled(IDC_BTNCHANGEFONT));
        EXPECT_TRUE(app().Enabled(IDC_BTNEXITONCHANGEFONT));
    }

    // Yes with the restart refused: the window closes all the same. Wine ends a
    // session through system32\wineboot.exe; with that file moved aside in this
    // run's own prefix, the request fails and nothing else is touched.
    // This test and Install.exe are 32-bit: "system32" is redirected to SysWOW64,
    // while Wine may start the 64-bit wineboot.exe, reached as "sysnative".
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    std::vector<std::wstring> moved;
    for (const wchar_t* folder : {L"\\system32\\", L"\\sysnative\\"}) {
        const std::wstring wineboot = std::wstring(windows) + folder + L"wineboot.exe";
        if (gui::FileExists(wineboot) && MoveFileW(wineboot.c_str(), (wineboot + L".aside").c_str()))
            moved.push_back(wineboot);
        ASSERT_FALSE(gui::FileExists(wineboot));
    }
    ASSERT_TRUE(app().Click(IDC_BTNCHANGEFONT));
    HWND question = app().WaitMessageBox();
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(app().Answer(question, IDYES));
    const bool exited = app().WaitExit();
    for (const std::wstring& wineboot : moved) MoveFileW((wineboot + L".aside").c_str(), wineboot.c_str());
    ASSERT_TRUE(exited) << "the main window stayed after Yes";
    EXPECT_EQ(app().ExitCode(), 0u);
}

// A second installation over the first keeps the clinic's database in a backup
// and its settings; the first ends by "Выход" of the large-font page, the second
// by the close box there.
TEST_F(WizardEnd, RepeatedInstallationKeepsTheDatabaseTheFirstRunRecordAndTheSettings) {
    const run::TOutcome first = InstallFresh();
    ASSERT_EQ(first.Page, IDC_TS_CHANGEFONTSIZE) << first.Summary();
    ASSERT_TRUE(app().Click(IDC_BTNEXITONCHANGEFONT));
    ASSERT_NO_FATAL_FAILURE(ExpectExitedCleanly());

    const std::wstring& T = Target;
    run::WriteAll(T + L"DTAfb\\V12.FDB", "examinations of the clinic");
    const std::string lastnum = run::ReadAll(T + L"Settings\\lastnum.dta");
    WritePrivateProfileStringW(L"options", L"Language", L"2", (T + L"Settings\\holter.ini").c_str());
    WritePrivateProfileStringW(L"options", L"FilterType", L"7", (T + L"Settings\\holter.ini").c_str());
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, (T + L"Settings\\holter.ini").c_str());
    Sleep(1100);  // a new second for the backup's name

    const run::TOutcome out = InstallFresh();
    ASSERT_EQ(out.Page, IDC_TS_CHANGEFONTSIZE) << out.Summary();
    const auto lines = run::WithoutFontLines(out.Lines);
    ASSERT_EQ(lines.size(), 2 + DatabaseLines().size());
    EXPECT_EQ(lines[0], texts::SettingsLine);
    // The backup is made once the new database is whole, so its line follows the copy's.
    const std::wstring prefix = L"Сохранена резервная копия базы данных: V12.FDB.";
    ASSERT_EQ(lines[2].rfind(prefix, 0), 0u) << gui::Narrow(lines[2]);
    std::vector<std::wstring> copies = lines;
    copies.erase(copies.begin() + 2);
    EXPECT_EQ(std::vector<std::wstring>(copies.begin() + 1, copies.end()), DatabaseLines());
    const std::wstring backup = lines[2].substr(prefix.size() - 8);
    EXPECT_EQ(backup.size(), std::wstring(L"V12.FDB.20261209-143005.bak").size());
    EXPECT_EQ(run::ReadAll(T + L"DTAfb\\" + backup), "examinations of the clinic");
    EXPECT_EQ(run::SizeOf(T + L"DTAfb\\V12.FDB"), run::SizeOf(Dist.Folder() + L"DTAfb\\V12.FDB"));
    EXPECT_EQ(run::ReadAll(T + L"Settings\\lastnum.dta"), lastnum);
    EXPECT_EQ(run::Ini(T + L"Settings\\holter.ini", L"options", L"Language"), L"2");
    EXPECT_EQ(run::Ini(T + L"Settings\\holter.ini", L"options", L"FilterType"), L"0");

    PressCloseBox();
    ExpectExitedCleanly();
}

// Large fonts, no driver: the final question instead of the page, with the
// same fonts and link; Yes closes the installer.
TEST_F(WizardEnd, LargeFontScreenAsksWhetherToLeaveAndYesCloses) {
    run::SetLogPixels(120);
    run::ForgetFonts();
    const run::TOutcome out = InstallFresh({.Final = run::TAnswer::Leave});
    ASSERT_NO_FATAL_FAILURE(ExpectFinalQuestion(out));
    gui::SaveScreenshotAs(app().MainWindow(), L"large-font-ending");
    EXPECT_EQ(out.Boxes, std::vector<std::wstring>{FinalQuestion});
    run::ExpectFontsInstalled(Dist.Folder(), out.Lines);
    run::ExpectDesktopLink(Target);
    const std::wstring log = gui::Widen(run::ReadAll(Target + L"Install.log"));
    EXPECT_TRUE(run::Contains(log, DatabaseLines().back()));
    EXPECT_FALSE(run::Contains(log, L"драйвер"));
    EXPECT_FALSE(gui::DirectoryExists(Target + L"FTDIDriverInstall"));
    EXPECT_EQ(run::LevelOf(run::ReadAll(Target + L"ReleaseInfo")), "010421");

    ASSERT_TRUE(app().Answer(out.FinalBox, IDYES));
    ExpectExitedCleanly();
}

// Driver No, final No: the progress page stays with "Выход" and no way back.
TEST_F(WizardEnd, DriverNoAndFinalNoLeaveTheProgressPageUntilExit) {
    run::SetLogPixels(120);
    const run::TOutcome out = InstallFresh({.Driver = true, .DriverYes = false, .Final = run::TAnswer::Leave});
    ASSERT_NO_FATAL_FAILURE(ExpectFinalQuestion(out));
    EXPECT_EQ(out.Boxes, (std::vector<std::wstring>{DriverQuestion, FinalQuestion}));
    EXPECT_EQ(run::WithoutFontLines(out.Lines),
              Concat({{texts::SettingsLine, texts::DatabaseFolderLine}, DatabaseLines()}));
    EXPECT_FALSE(gui::DirectoryExists(Target + L"FTDIDriverInstall"));

    ASSERT_TRUE(app().Answer(out.FinalBox, IDNO));
    ASSERT_TRUE(app().WaitMessageBoxGone());
    EXPECT_TRUE(app().Running());
    EXPECT_EQ(IDC_TS_PROGRESSINSTALL, app().VisiblePage());
    EXPECT_TRUE(app().Enabled(IDC_BTNEXIT));
    for (int id : {IDC_BTNCANCEL, IDC_BTNCANCEL2, IDC_BTNCANCEL4, IDC_BTNINPUTCOMPONENTSBACK})
        EXPECT_FALSE(app().Visible(id));
    ASSERT_TRUE(app().Click(IDC_BTNEXIT));
    ExpectExitedCleanly();
}

TEST_F(WizardEnd, CloseBoxAfterAnsweringNo) {
    run::SetLogPixels(120);
    const run::TOutcome out = InstallFresh({.Final = run::TAnswer::No});
    ASSERT_TRUE(out.Completed) << out.Summary();
    EXPECT_EQ(out.Page, IDC_TS_PROGRESSINSTALL);
    EXPECT_TRUE(out.ExitEnabled);
    PressCloseBox();
    ExpectExitedCleanly();
}

}  // namespace
