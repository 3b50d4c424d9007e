// A logoff or shutdown asked from outside, as the system asks it
// (WM_QUERYENDSESSION to the main window): refused while the installation's
// main stage runs, granted before it and after it.
#include <gtest/gtest.h>

#include "InstallRun.h"

namespace {

class EndSession : public run::TRunTest {
protected:
    // Whether the main window lets the session end. The answer comes when the
    // window's thread next takes its messages.
    bool Allows() {
        DWORD_PTR answer = 0;
        const LRESULT sent = SendMessageTimeoutW(App->MainWindow(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                                                 SMTO_NORMAL, 120000, &answer);
        EXPECT_NE(0, sent) << "the main window did not answer";
        return answer != FALSE;
    }
};

TEST_F(EndSession, RefusedDuringTheMainStageGrantedOutsideIt) {
    Scenario = "logoff asked (WM_QUERYENDSESSION) while the database is written, and after the run";
    Must = "refused during the main stage and the run completes; granted before and after it";
    // A database whose copy lasts: the question is sent while the window's
    // thread is inside it, and answered at the next line's pump, still inside
    // the main stage.
    ASSERT_TRUE(run::WriteAll(Media(L"DTAfb\\V12.FDB"), std::string(64u << 20, 'M')));
    ASSERT_NO_FATAL_FAILURE(ToComponents(false));
    const bool before = Allows();
    bool during = true;
    run::TOptions o;
    o.AfterClick = [&] {
        ASSERT_TRUE(run::WaitWritten(*App, Dest(L"DTAfb\\"), 0, -1)) << "the database copy never started";
        during = Allows();
    };
    const run::TOutcome out = RunInstall(o);
    const bool after = Allows();
    Happened = std::string("before: ") + (before ? "granted" : "REFUSED") + "; during the database copy: " +
               (during ? "GRANTED" : "refused") + "; " + out.Summary() + "; after: " + (after ? "granted" : "REFUSED");

    EXPECT_TRUE(before);
    EXPECT_FALSE(during);
    EXPECT_TRUE(out.Completed && out.Errors.empty()) << out.Summary();
    EXPECT_TRUE(after);
    EXPECT_TRUE(ClosesByCloseBox());
}

}  // namespace
