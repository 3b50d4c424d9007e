// A whole installation on a large-font screen (120 pixels per inch, set in the
// run's own Wine prefix before the installer starts): no large-font page, the
// final question instead; No keeps the progress page with "Выход" usable.
#include <gtest/gtest.h>

#include "DesktopScenario.h"

using LargeFontEnding = scenario::TDesktopTest;

TEST_F(LargeFontEnding, InstallationEndsWithTheFinalQuestion) {
    // Read by every process when it starts, so the installer sees 120.
    const DWORD dpi = 120;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels",
                              REG_DWORD, &dpi, sizeof(dpi)), ERROR_SUCCESS);
    const std::wstring& target = Target;

    gui::TInstaller& app = Launch();
    ASSERT_TRUE(app.Started()) << gui::Narrow(app.StartError());
    HWND box = nullptr;
    ASSERT_EQ(scenario::Install(app, target, &box), scenario::TEnd::FinalQuestion);
    EXPECT_EQ(gui::DialogText(box), scenario::FinalQuestionText) << gui::Visible(gui::DialogText(box));
    gui::SaveScreenshotAs(app.MainWindow(), L"large-font-ending");
    EXPECT_EQ(app.VisiblePage(), IDC_TS_PROGRESSINSTALL);

    // The same fonts and link as on a small-font screen.
    scenario::ExpectFontsInstalled(Dist.Folder(), app.LogLines());
    scenario::ExpectDesktopLink(target);

    ASSERT_TRUE(app.Answer(box, IDNO));
    ASSERT_TRUE(app.WaitMessageBoxGone());
    EXPECT_TRUE(app.Running());
    EXPECT_EQ(app.VisiblePage(), IDC_TS_PROGRESSINSTALL);
    ASSERT_TRUE(app.Enabled(IDC_BTNEXIT));
    ASSERT_TRUE(app.Click(IDC_BTNEXIT));
    EXPECT_TRUE(app.WaitExit());
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels");
}
