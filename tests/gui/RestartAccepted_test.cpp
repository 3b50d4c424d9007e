// The Yes answer to the restart question with the restart really requested.
// Under Wine, ExitWindowsEx(EWX_REBOOT | EWX_FORCE) runs the prefix's
// "wineboot --kill", which ends every process of that prefix's wineserver, this
// test included, and nothing outside it. The run's prefix is a throw-away copy,
// so letting it happen is safe. CTest passes the test on the line printed just
// before Yes unless a failure line follows; surviving the request is a failure.
#include <gtest/gtest.h>

#include <cstdio>

#include "DesktopScenario.h"

namespace {

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace

using RestartAccepted = scenario::TDesktopTest;

TEST_F(RestartAccepted, YesEndsTheSessionOfTheThrowAwayPrefix) {
    // Never on a real system: there the request restarts the machine.
    ASSERT_TRUE(RunningUnderWine()) << "this test only runs inside a Wine prefix";

    gui::TInstaller& app = Launch();
    ASSERT_TRUE(app.Started()) << gui::Narrow(app.StartError());
    HWND box = nullptr;
    ASSERT_EQ(scenario::Install(app, Target, &box),
              scenario::TEnd::ChangeFontPage);
    ASSERT_TRUE(app.Click(IDC_BTNCHANGEFONT));
    HWND question = app.WaitMessageBox();
    ASSERT_NE(question, nullptr);
    ASSERT_EQ(gui::DialogText(question), scenario::RestartQuestion);

    std::printf("restart requested: waiting for the session to end\n");
    std::fflush(stdout);
    ASSERT_TRUE(app.Answer(question, IDYES));
    // The installer goes first (its window closes or the session ends it) ...
    EXPECT_TRUE(app.WaitExit()) << "the main window stayed after Yes";
    // ... and then this process: staying alive means no restart was requested.
    Sleep(30000);
    ADD_FAILURE() << "the session of the prefix was not ended";
}
