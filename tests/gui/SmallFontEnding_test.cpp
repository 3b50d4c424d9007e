// A whole installation on a small-font screen (96 pixels per inch, the default
// of a Wine prefix): fonts, desktop link, the large-font page and its restart
// question, answered No and then Yes with the restart refused.
#include <gtest/gtest.h>

#include <vector>

#include "DesktopScenario.h"

namespace {

int ScreenLogPixels() {
    HDC dc = GetDC(nullptr);
    int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
    return dpi;
}

}  // namespace

using SmallFontEnding = scenario::TDesktopTest;

TEST_F(SmallFontEnding, InstallationEndsOnTheLargeFontPageWhoseButtonsStayUsable) {
    ASSERT_EQ(ScreenLogPixels(), 96) << "the run's Wine prefix is expected at 96 pixels per inch";
    ASSERT_TRUE(scenario::PlantFontSizeSwitch());
    const std::wstring& target = Target;

    gui::TInstaller& app = Launch();
    ASSERT_TRUE(app.Started()) << gui::Narrow(app.StartError());
    HWND box = nullptr;
    ASSERT_EQ(scenario::Install(app, target, &box), scenario::TEnd::ChangeFontPage)
        << gui::Narrow(box ? gui::DialogText(box) : L"");
    gui::SaveScreenshotAs(app.MainWindow(), L"small-font-ending");

    // The run got past the shortcut: BtnExit behind the page is enabled already.
    EXPECT_TRUE(app.Enabled(IDC_BTNEXIT));
    scenario::ExpectFontsInstalled(Dist.Folder(), app.LogLines());
    scenario::ExpectDesktopLink(target);

    // No: the page stays and both buttons work; the question comes again.
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(app.Click(IDC_BTNCHANGEFONT)) << round;
        HWND question = app.WaitMessageBox();
        ASSERT_NE(question, nullptr) << round;
        EXPECT_EQ(gui::WindowText(question), L"Warning");
        EXPECT_EQ(gui::DialogText(question), scenario::RestartQuestion)
            << gui::Visible(gui::DialogText(question));
        EXPECT_NE(GetDlgItem(question, IDYES), nullptr);
        EXPECT_NE(GetDlgItem(question, IDNO), nullptr);
        EXPECT_EQ(GetWindow(question, GW_OWNER), app.MainWindow());
        ASSERT_TRUE(app.Answer(question, IDNO));
        ASSERT_TRUE(app.WaitMessageBoxGone());
        EXPECT_TRUE(app.Running());
        EXPECT_EQ(app.VisiblePage(), IDC_TS_CHANGEFONTSIZE);
        EXPECT_TRUE(app.Enabled(IDC_BTNCHANGEFONT));
        EXPECT_TRUE(app.Enabled(IDC_BTNEXITONCHANGEFONT));
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
        if (gui::FileExists(wineboot) &&
            MoveFileW(wineboot.c_str(), (wineboot + L".aside").c_str()))
            moved.push_back(wineboot);
        ASSERT_FALSE(gui::FileExists(wineboot));
    }
    ASSERT_TRUE(app.Click(IDC_BTNCHANGEFONT));
    HWND question = app.WaitMessageBox();
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(app.Answer(question, IDYES));
    const bool exited = app.WaitExit();
    for (const std::wstring& wineboot : moved)
        MoveFileW((wineboot + L".aside").c_str(), wineboot.c_str());
    ASSERT_TRUE(exited) << "the main window stayed after Yes";
    EXPECT_EQ(app.ExitCode(), 0u);
}
