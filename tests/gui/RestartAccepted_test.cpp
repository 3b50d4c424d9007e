// The Yes answer to the restart question with the restart really requested
// (EWX_REBOOT | EWX_FORCEIFHUNG). The run's prefix is a throw-away copy, so
// letting Wine act on it is safe. CTest passes the test on the line printed
// just before Yes unless a failure line follows.
#include <gtest/gtest.h>

#include <cstdio>

#include "InstallRun.h"

namespace {

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace

using RestartAccepted = run::TRunTest;

TEST_F(RestartAccepted, YesEndsTheSessionOfTheThrowAwayPrefix) {
    // Never on a real system: there the request restarts the machine.
    ASSERT_TRUE(RunningUnderWine()) << "this test only runs inside a Wine prefix";
    ASSERT_TRUE(run::PlantFontSizeSwitch());

    const run::TOutcome out = InstallFresh();
    ASSERT_EQ(out.Page, IDC_TS_CHANGEFONTSIZE) << out.Summary();
    gui::TInstaller& app = this->app();
    ASSERT_TRUE(app.Click(IDC_BTNCHANGEFONT));
    HWND question = app.WaitMessageBox();
    ASSERT_NE(question, nullptr);
    ASSERT_EQ(gui::DialogText(question), texts::RestartQuestion);

    std::printf("restart requested: waiting for the session to end\n");
    std::fflush(stdout);
    ASSERT_TRUE(app.Answer(question, IDYES));
    // The installer goes first (its window closes or the session ends it) ...
    EXPECT_TRUE(app.WaitExit()) << "the main window stayed after Yes";
    // Wine ends a session through wineboot only when asked to force it
    // (EWX_FORCE); with EWX_FORCEIFHUNG it asks the programs and leaves them
    // running, so this process may stay. On Windows the restart follows.
}
