// How the wizard ends after a whole installation from the sample media: the large-font
// page on a small-font screen, otherwise the question whether to leave; then the
// exit buttons and the close box.
#include "WizardFixture.h"

namespace {

const std::wstring kFinished = L"Установка завершена. Выйти из программы установки?";
constexpr DWORD kInstallTimeoutMs = 240000;

class WizardEnd : public wizard::TWizardTest {
protected:
    WizardEnd() : TWizardTest(true) {}

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(TWizardTest::SetUp());
        ASSERT_TRUE(gui::FileExists(Dist.Folder() + L"DTAfb\\V12.FDB")) << "no sample media";
    }

    void TearDown() override {
        wizard::TWizardTest::TearDown();
        RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels");
    }

    // Screen resolution the next started program sees.
    static void SetScreenDpi(DWORD dpi) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop",
                                                 L"LogPixels", REG_DWORD, &dpi, sizeof dpi));
    }

    // From the start page through a whole installation without the driver; returns
    // when the run has ended: a page change, a question, or the program gone.
    void Install() {
        Launch();
        ASSERT_TRUE(app().Started());
        ASSERT_TRUE(app().WaitMainWindow());
        ASSERT_TRUE(app().Click(IDC_BTNSTARTNEXT));
        ASSERT_TRUE(app().WaitPage(IDC_TS_INPUTPATH));
        ASSERT_NO_FATAL_FAILURE(EnterPath(Dist.Root() + L"Target"));
        ASSERT_TRUE(app().Click(IDC_CBDRIVERINSTAL));
        ASSERT_TRUE(gui::WaitUntil([&] { return app().CheckState(IDC_CBDRIVERINSTAL) == BST_UNCHECKED; }));
        ASSERT_TRUE(app().Click(IDC_BTNINSATALL));
        ASSERT_TRUE(app().WaitPage(IDC_TS_PROGRESSINSTALL));
        // The hidden launch-progress window must never show meanwhile.
        bool waitRunShown = false;
        ASSERT_TRUE(gui::WaitUntil([&] {
            if (app().FindTopLevel(L"TFWaitRun")) waitRunShown = true;
            return !app().Running() || app().FindMessageBox() ||
                   app().VisiblePage() != IDC_TS_PROGRESSINSTALL;
        }, kInstallTimeoutMs)) << "the installation did not end";
        EXPECT_FALSE(waitRunShown) << "the launch-progress window became visible";
        ASSERT_TRUE(app().Running());
        EXPECT_FALSE(app().LogLines().empty());
    }

    HWND ExpectFinalQuestion() {
        HWND box = app().FindMessageBox();
        EXPECT_NE(nullptr, box) << "no question at the end; page " << app().VisiblePage();
        if (!box) return nullptr;
        EXPECT_EQ(gui::Narrow(kFinished), gui::Narrow(gui::DialogText(box)));
        EXPECT_NE(nullptr, GetDlgItem(box, IDYES));
        EXPECT_NE(nullptr, GetDlgItem(box, IDNO));
        EXPECT_EQ(IDC_TS_PROGRESSINSTALL, app().VisiblePage());
        return box;
    }
};

TEST_F(WizardEnd, SmallFontScreenEndsOnTheLargeFontPage) {
    ASSERT_NO_FATAL_FAILURE(SetScreenDpi(96));
    ASSERT_NO_FATAL_FAILURE(Install());
    ASSERT_EQ(IDC_TS_CHANGEFONTSIZE, app().VisiblePage())
        << gui::Narrow(gui::DialogText(app().FindMessageBox()));
    EXPECT_EQ(nullptr, app().FindMessageBox()) << "no final question on small fonts";
    EXPECT_TRUE(app().Enabled(IDC_BTNEXIT)) << "the progress page's exit is enabled behind it";
    EXPECT_TRUE(app().Visible(IDC_BTNCHANGEFONT));
    for (int id : {IDC_BTNCANCEL, IDC_BTNCANCEL2, IDC_BTNCANCEL4})
        EXPECT_FALSE(app().Visible(id));
    ASSERT_TRUE(app().Click(IDC_BTNEXITONCHANGEFONT));
    ExpectExitedCleanly();
}

TEST_F(WizardEnd, CloseBoxOnTheLargeFontPage) {
    ASSERT_NO_FATAL_FAILURE(SetScreenDpi(96));
    ASSERT_NO_FATAL_FAILURE(Install());
    ASSERT_EQ(IDC_TS_CHANGEFONTSIZE, app().VisiblePage());
    PressCloseBox();
    ExpectExitedCleanly();
}

TEST_F(WizardEnd, LargeFontScreenAsksWhetherToLeave) {
    ASSERT_NO_FATAL_FAILURE(SetScreenDpi(120));
    ASSERT_NO_FATAL_FAILURE(Install());
    HWND box = ExpectFinalQuestion();
    ASSERT_NE(nullptr, box);
    ASSERT_TRUE(app().Answer(box, IDYES));
    ExpectExitedCleanly();
}

TEST_F(WizardEnd, AnswerNoStaysOnTheProgressPageUntilExit) {
    ASSERT_NO_FATAL_FAILURE(SetScreenDpi(120));
    ASSERT_NO_FATAL_FAILURE(Install());
    HWND box = ExpectFinalQuestion();
    ASSERT_NE(nullptr, box);
    ASSERT_TRUE(app().Answer(box, IDNO));
    ASSERT_TRUE(app().WaitMessageBoxGone());
    EXPECT_EQ(IDC_TS_PROGRESSINSTALL, app().VisiblePage());
    EXPECT_TRUE(app().Enabled(IDC_BTNEXIT));
    // No way back to an earlier page from here.
    for (int id : {IDC_BTNCANCEL, IDC_BTNCANCEL2, IDC_BTNCANCEL4, IDC_BTNINPUTCOMPONENTSBACK})
        EXPECT_FALSE(app().Visible(id));
    ASSERT_TRUE(app().Click(IDC_BTNEXIT));
    ExpectExitedCleanly();
}

TEST_F(WizardEnd, CloseBoxAfterAnsweringNo) {
    ASSERT_NO_FATAL_FAILURE(SetScreenDpi(120));
    ASSERT_NO_FATAL_FAILURE(Install());
    HWND box = ExpectFinalQuestion();
    ASSERT_NE(nullptr, box);
    ASSERT_TRUE(app().Answer(box, IDNO));
    ASSERT_TRUE(app().WaitMessageBoxGone());
    PressCloseBox();
    ExpectExitedCleanly();
}

}  // namespace
