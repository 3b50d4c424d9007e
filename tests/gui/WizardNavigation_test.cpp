// Moves between the wizard pages as the operator makes them: forward, back, cancel
// with either answer, the exit buttons and the window's close box.
#include "WizardFixture.h"

namespace {


class WizardNavigation : public wizard::TWizardTest {
protected:
    // Presses a cancel button and returns the question box, checked.
    HWND AskCancel(int cancelButton) {
        EXPECT_TRUE(app().Click(cancelButton));
        HWND box = app().WaitMessageBox();
        EXPECT_NE(nullptr, box) << "no question after cancel " << cancelButton;
        if (!box) return nullptr;
        EXPECT_EQ(gui::Narrow(texts::CancelQuestion), gui::Narrow(gui::DialogText(box)));
        EXPECT_NE(nullptr, GetDlgItem(box, IDYES));
        EXPECT_NE(nullptr, GetDlgItem(box, IDNO));
        EXPECT_EQ(nullptr, GetDlgItem(box, IDOK));
        // Modal over the main window: it takes no input meanwhile.
        EXPECT_EQ(app().MainWindow(), GetWindow(box, GW_OWNER));
        EXPECT_FALSE(IsWindowEnabled(app().MainWindow()));
        return box;
    }

    void AnswerCancel(HWND box, int answer) {
        ASSERT_TRUE(app().Answer(box, answer));
        ASSERT_TRUE(app().WaitMessageBoxGone());
        ASSERT_TRUE(gui::WaitUntil([&] { return IsWindowEnabled(app().MainWindow()) != FALSE; }));
    }

    // Cancel answered Yes: the cancel page, then "Выход" ends the program.
    void CancelAndLeave(int cancelButton) {
        HWND box = AskCancel(cancelButton);
        ASSERT_NE(nullptr, box);
        ASSERT_NO_FATAL_FAILURE(AnswerCancel(box, IDYES));
        ASSERT_TRUE(app().WaitPage(IDC_TS_CANCEL));
        ASSERT_TRUE(app().Click(IDC_BTNEXITCANCEL));
        ExpectExitedCleanly();
    }

    void PostKey(HWND target, WPARAM key) {
        PostMessageW(target, WM_KEYDOWN, key, 1);
        PostMessageW(target, WM_KEYUP, key, 0xC0000001);
    }
};

// The program's windows that get a taskbar button of their own: visible
// top-level windows that are unowned or ask for one, and no tool windows.
std::vector<HWND> TaskbarWindows(const gui::TInstaller& app) {
    std::vector<HWND> buttons;
    for (HWND w : app.TopLevelWindows()) {
        const LONG ex = GetWindowLongW(w, GWL_EXSTYLE);
        if (ex & WS_EX_TOOLWINDOW) continue;
        if (GetWindow(w, GW_OWNER) && !(ex & WS_EX_APPWINDOW)) continue;
        buttons.push_back(w);
    }
    return buttons;
}

// One taskbar button, named with the application title, also while the driver
// warning is open; the program minimises to it and comes back from it whole.
TEST_F(WizardNavigation, OneTaskbarButtonUnderTheApplicationTitle) {
    ASSERT_NO_FATAL_FAILURE(ToPathPage());
    std::vector<HWND> buttons = TaskbarWindows(app());
    ASSERT_EQ(1u, buttons.size());
    const HWND button = buttons[0];
    EXPECT_EQ("Установка комплекса \"Велитор-Vudeze\"", gui::Narrow(gui::WindowText(button)));
    EXPECT_EQ("Установка комплекса", gui::Narrow(gui::WindowText(app().MainWindow())));

    ASSERT_TRUE(app().Type(IDC_EPATH, Dist.Root() + L"Target"));
    ASSERT_TRUE(app().Click(IDC_BTNINPUTPATHNEXT));
    HWND warning = app().WaitMessageWindow();
    ASSERT_NE(nullptr, warning);
    EXPECT_EQ(std::vector<HWND>{button}, TaskbarWindows(app())) << "the message window has a button";
    ASSERT_TRUE(app().PressMessageWindowOk(warning));
    ASSERT_TRUE(app().WaitMessageWindowGone());

    PostMessageW(app().MainWindow(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(gui::WaitUntil([&] { return IsIconic(button) && !IsWindowVisible(app().MainWindow()); }))
        << "the program did not minimise to its button";
    PostMessageW(button, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(gui::WaitUntil([&] { return !IsIconic(button) && IsWindowVisible(app().MainWindow()); }))
        << "the button did not bring the main window back";
    EXPECT_EQ(IDC_TS_INPUTCOMPONENTS, app().VisiblePage());
}

TEST_F(WizardNavigation, NextOnTheStartPageOpensThePathPageWithFocusInTheFolder) {
    ASSERT_NO_FATAL_FAILURE(ToPathPage());
    EXPECT_TRUE(gui::WaitUntil([&] { return app().FocusedControl() == app().Control(IDC_EPATH); }));
    EXPECT_EQ("C:\\Rudeve", gui::Narrow(app().Text(IDC_EPATH)));
}

TEST_F(WizardNavigation, ComponentsPageComesWithTheModalDriverWarning) {
    ASSERT_NO_FATAL_FAILURE(ToPathPage());
    ASSERT_TRUE(app().Type(IDC_EPATH, Dist.Root() + L"Target"));
    ASSERT_TRUE(app().Click(IDC_BTNINPUTPATHNEXT));
    HWND warning = app().WaitMessageWindow();
    ASSERT_NE(nullptr, warning);
    // The page is already the components page behind the warning, which holds the input.
    EXPECT_EQ(IDC_TS_INPUTCOMPONENTS, app().VisiblePage());
    EXPECT_FALSE(IsWindowEnabled(app().MainWindow()));
    EXPECT_FALSE(app().Click(IDC_BTNINSATALL));
    EXPECT_EQ(nullptr, app().FindMessageBox());
    ASSERT_TRUE(app().PressMessageWindowOk(warning));
    ASSERT_TRUE(app().WaitMessageWindowGone());
    EXPECT_TRUE(gui::WaitUntil([&] { return IsWindowEnabled(app().MainWindow()) != FALSE; }));
    EXPECT_EQ(IDC_TS_INPUTCOMPONENTS, app().VisiblePage());
    EXPECT_EQ(BST_CHECKED, app().CheckState(IDC_CBDRIVERINSTAL));
}

TEST_F(WizardNavigation, BackAndNextAgainShowTheWarningEveryTime) {
    ASSERT_NO_FATAL_FAILURE(ToComponentsPage());
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(app().Click(IDC_BTNINPUTCOMPONENTSBACK));
        ASSERT_TRUE(app().WaitPage(IDC_TS_INPUTPATH));
        EXPECT_EQ(nullptr, app().FindMessageWindow()) << "warning on the way back";
        // The edit box keeps the normalised folder.
        EXPECT_EQ(gui::Narrow(Target), gui::Narrow(app().Text(IDC_EPATH)));
        ASSERT_TRUE(app().Click(IDC_BTNINPUTPATHNEXT));
        ASSERT_NO_FATAL_FAILURE(AcceptDriverWarning());
        ASSERT_TRUE(app().WaitPage(IDC_TS_INPUTCOMPONENTS));
    }
}

TEST_F(WizardNavigation, DriverChoiceSurvivesBackAndNext) {
    ASSERT_NO_FATAL_FAILURE(ToComponentsPage());
    ASSERT_TRUE(app().Click(IDC_CBDRIVERINSTAL));
    ASSERT_TRUE(gui::WaitUntil([&] { return app().CheckState(IDC_CBDRIVERINSTAL) == BST_UNCHECKED; }));
    ASSERT_TRUE(app().Click(IDC_BTNINPUTCOMPONENTSBACK));
    ASSERT_TRUE(app().WaitPage(IDC_TS_INPUTPATH));
    ASSERT_TRUE(app().Click(IDC_BTNINPUTPATHNEXT));
    ASSERT_NO_FATAL_FAILURE(AcceptDriverWarning());
    EXPECT_EQ(BST_UNCHECKED, app().CheckState(IDC_CBDRIVERINSTAL));
}

TEST_F(WizardNavigation, StartingTheInstallationLeavesNoWayBack) {
    ASSERT_NO_FATAL_FAILURE(ToComponentsPage());
    ASSERT_TRUE(app().Click(IDC_BTNINSATALL));
    ASSERT_TRUE(app().WaitPage(IDC_TS_PROGRESSINSTALL));
    // The progress list is shown from the start; the cancel buttons are out of reach.
    EXPECT_TRUE(wizard::HasVisibleStyle(app().Control(IDC_LOGLIST)));
    for (int id : {IDC_BTNCANCEL, IDC_BTNCANCEL2, IDC_BTNCANCEL4, IDC_BTNINPUTCOMPONENTSBACK,
                   IDC_BTNSTARTNEXT, IDC_BTNINPUTPATHNEXT, IDC_BTNINSATALL})
        EXPECT_FALSE(app().Visible(id)) << "control " << id << " still reachable";
}

TEST_F(WizardNavigation, CancelYesOnTheStartPage) {
    ASSERT_NO_FATAL_FAILURE(Start());
    CancelAndLeave(IDC_BTNCANCEL);
}

TEST_F(WizardNavigation, CancelYesOnThePathPage) {
    ASSERT_NO_FATAL_FAILURE(ToPathPage());
    CancelAndLeave(IDC_BTNCANCEL2);
}

TEST_F(WizardNavigation, CancelYesOnTheComponentsPage) {
    ASSERT_NO_FATAL_FAILURE(ToComponentsPage());
    CancelAndLeave(IDC_BTNCANCEL4);
}

TEST_F(WizardNavigation, CancelPageHasNoWayBackAndItsCloseBoxWorks) {
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND box = AskCancel(IDC_BTNCANCEL);
    ASSERT_NE(nullptr, box);
    ASSERT_NO_FATAL_FAILURE(AnswerCancel(box, IDYES));
    ASSERT_TRUE(app().WaitPage(IDC_TS_CANCEL));
    EXPECT_EQ(1, [&] {
        int visibleButtons = 0;
        for (int id = IDC_BTNCANCEL; id <= IDC_BTNEXITONCHANGEFONT; ++id)
            if (app().Visible(id) && gui::ClassNameOf(app().Control(id)) == L"Button") ++visibleButtons;
        return visibleButtons;
    }()) << "only \"Выход\" is offered";
    PressCloseBox();
    ExpectExitedCleanly();
}

TEST_F(WizardNavigation, CancelNoOnThePathPageChangesNothing) {
    ASSERT_NO_FATAL_FAILURE(ToPathPage());
    // An entry not yet normalised must survive exactly as typed.
    const std::wstring typed = L"  D:\\Some folder  ";
    ASSERT_TRUE(app().Type(IDC_EPATH, typed));
    HWND box = AskCancel(IDC_BTNCANCEL2);
    ASSERT_NE(nullptr, box);
    ASSERT_NO_FATAL_FAILURE(AnswerCancel(box, IDNO));
    EXPECT_EQ(IDC_TS_INPUTPATH, app().VisiblePage());
    EXPECT_EQ(gui::Narrow(typed), gui::Narrow(app().Text(IDC_EPATH)));
    // Still a working wizard: the close box ends it without a question.
    PressCloseBox();
    ExpectExitedCleanly();
}

TEST_F(WizardNavigation, CancelNoOnTheStartAndComponentsPages) {
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND box = AskCancel(IDC_BTNCANCEL);
    ASSERT_NE(nullptr, box);
    ASSERT_NO_FATAL_FAILURE(AnswerCancel(box, IDNO));
    EXPECT_EQ(IDC_TS_START, app().VisiblePage());

    ASSERT_TRUE(app().Click(IDC_BTNSTARTNEXT));
    ASSERT_TRUE(app().WaitPage(IDC_TS_INPUTPATH));
    ASSERT_NO_FATAL_FAILURE(EnterPath(Dist.Root() + L"Target"));
    ASSERT_TRUE(app().Click(IDC_CBDRIVERINSTAL));
    ASSERT_TRUE(gui::WaitUntil([&] { return app().CheckState(IDC_CBDRIVERINSTAL) == BST_UNCHECKED; }));
    box = AskCancel(IDC_BTNCANCEL4);
    ASSERT_NE(nullptr, box);
    ASSERT_NO_FATAL_FAILURE(AnswerCancel(box, IDNO));
    EXPECT_EQ(IDC_TS_INPUTCOMPONENTS, app().VisiblePage());
    EXPECT_EQ(BST_UNCHECKED, app().CheckState(IDC_CBDRIVERINSTAL));
    // Staying on the page is no new entry to it: no second warning.
    Sleep(500);
    EXPECT_EQ(nullptr, app().FindMessageWindow());
}

TEST_F(WizardNavigation, CloseBoxEndsTheProgramAtOnceOnEveryEarlyPage) {
    // Start page.
    ASSERT_NO_FATAL_FAILURE(Start());
    PressCloseBox();
    ASSERT_NO_FATAL_FAILURE(ExpectExitedCleanly());
    // Path page.
    ASSERT_NO_FATAL_FAILURE(ToPathPage());
    PressCloseBox();
    ASSERT_NO_FATAL_FAILURE(ExpectExitedCleanly());
    // Components page.
    ASSERT_NO_FATAL_FAILURE(ToComponentsPage());
    PressCloseBox();
    ASSERT_NO_FATAL_FAILURE(ExpectExitedCleanly());
}

TEST_F(WizardNavigation, KeyboardEnterTabAndSpace) {
    ASSERT_NO_FATAL_FAILURE(Start());
    // Enter on the start page presses "Далее".
    PostKey(app().Control(IDC_MEMOSTART), VK_RETURN);
    ASSERT_TRUE(app().WaitPage(IDC_TS_INPUTPATH));
    HWND edit = app().Control(IDC_EPATH);
    ASSERT_TRUE(gui::WaitUntil([&] { return app().FocusedControl() == edit; }));

    // Tab leaves the edit box for another control of the same page.
    PostKey(edit, VK_TAB);
    ASSERT_TRUE(gui::WaitUntil([&] { return app().FocusedControl() != edit; }));
    HWND next = app().FocusedControl();
    EXPECT_TRUE(IsChild(app().Control(IDC_TS_INPUTPATH), next))
        << "focus went to " << gui::Narrow(gui::ClassNameOf(next)) << " " << GetDlgCtrlID(next);

    // Enter in the edit box presses the page's "Далее".
    ASSERT_TRUE(app().Type(IDC_EPATH, Dist.Root() + L"Target"));
    PostKey(edit, VK_RETURN);
    ASSERT_NO_FATAL_FAILURE(AcceptDriverWarning());
    ASSERT_TRUE(app().WaitPage(IDC_TS_INPUTCOMPONENTS));

    // Space toggles the check box.
    HWND check = app().Control(IDC_CBDRIVERINSTAL);
    PostKey(check, VK_SPACE);
    EXPECT_TRUE(gui::WaitUntil([&] { return gui::CheckState(check) == BST_UNCHECKED; }));
}

}  // namespace
