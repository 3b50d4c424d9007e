// Shared set-up of the wizard scenarios: a private distribution folder with a copy
// of Install.exe, the running program, and the moves every scenario needs.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "GuiDriver.h"
#include "tests/OperatorTexts.h"

namespace wizard {

// The WS_VISIBLE bit of the control itself (a control of a hidden page keeps it).
inline bool HasVisibleStyle(HWND w) {
    return w && (GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE) != 0;
}

class TWizardTest : public ::testing::Test {
protected:
    // withMedia: the distribution folder holds the sample media too.
    explicit TWizardTest(bool withMedia = false) : Dist(withMedia) {}

    gui::TDistribution Dist;
    std::unique_ptr<gui::TInstaller> App;

    void SetUp() override {
        ASSERT_TRUE(Dist.Ready()) << "INSTALL_EXE must name the built Install.exe";
    }

    void TearDown() override {
        // A failed scenario leaves a picture of the whole screen behind.
        if (HasFailure() && App && App->Running()) {
            const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
            gui::SaveScreenshotAs(GetDesktopWindow(),
                                  gui::Widen(std::string(info->test_suite_name()) + "." + info->name()));
        }
        App.reset();
    }

    gui::TInstaller& app() { return *App; }

    // Starts Install.exe from the distribution folder, waiting for nothing.
    gui::TInstaller& Launch(const std::wstring& currentFolder = {}) {
        App = std::make_unique<gui::TInstaller>(Dist.InstallExe(), currentFolder);
        return *App;
    }

    // Starts the program and waits for its start page, and for the other pages,
    // which it makes once the start page has been painted.
    void Start(const std::wstring& currentFolder = {}) {
        Launch(currentFolder);
        ASSERT_TRUE(App->Started()) << gui::Narrow(App->StartError());
        ASSERT_TRUE(App->WaitMainWindow()) << "no window of class TFMain";
        ASSERT_TRUE(App->WaitPage(IDC_TS_START));
        ASSERT_TRUE(gui::WaitUntil([&] { return App->Control(IDC_TS_CHANGEFONTSIZE) != nullptr; }))
            << "the pages after the first were not made";
    }

    void ToPathPage() {
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_TRUE(app().Click(IDC_BTNSTARTNEXT));
        ASSERT_TRUE(app().WaitPage(IDC_TS_INPUTPATH));
    }

    // Waits for the driver warning, checks it and presses its OK.
    void AcceptDriverWarning() {
        HWND w = app().WaitMessageWindow();
        ASSERT_NE(nullptr, w) << "no driver warning (window of class TFMessageform)";
        EXPECT_EQ(gui::Visible(texts::DriverWarning),
                  gui::Visible(gui::TInstaller::MessageWindowText(w)));
        ASSERT_TRUE(app().PressMessageWindowOk(w));
        ASSERT_TRUE(app().WaitMessageWindowGone());
    }

    // Types path on the path page and presses "Далее"; the folder is accepted.
    void EnterPath(const std::wstring& path) {
        ASSERT_TRUE(app().Type(IDC_EPATH, path));
        ASSERT_TRUE(app().Click(IDC_BTNINPUTPATHNEXT));
        ASSERT_NO_FATAL_FAILURE(AcceptDriverWarning());
        ASSERT_TRUE(app().WaitPage(IDC_TS_INPUTCOMPONENTS));
    }

    // Start page to the components page with a folder inside the test's own area;
    // Target is then the normalised folder.
    std::wstring Target;
    void ToComponentsPage() {
        ASSERT_NO_FATAL_FAILURE(ToPathPage());
        ASSERT_NO_FATAL_FAILURE(EnterPath(Dist.Root() + L"Target"));
        Target = Dist.Root() + L"Target\\";
    }

    // Types path, presses "Далее" and expects the standard message box with text;
    // presses its OK and expects the path page to stay.
    void ExpectRejected(const std::wstring& path, const std::wstring& text) {
        ASSERT_TRUE(app().Type(IDC_EPATH, path));
        ASSERT_TRUE(app().Click(IDC_BTNINPUTPATHNEXT));
        HWND box = app().WaitMessageBox();
        ASSERT_NE(nullptr, box) << "no message for " << gui::Narrow(path);
        EXPECT_EQ(gui::Narrow(text), gui::Narrow(gui::DialogText(box)));
        EXPECT_NE(nullptr, GetDlgItem(box, IDOK));
        EXPECT_EQ(nullptr, GetDlgItem(box, IDYES));
        EXPECT_EQ(nullptr, GetDlgItem(box, IDNO));
        // Modal over the main window, which takes no input meanwhile.
        EXPECT_EQ(app().MainWindow(), GetWindow(box, GW_OWNER));
        EXPECT_FALSE(IsWindowEnabled(app().MainWindow()));
        ASSERT_TRUE(app().Answer(box, IDOK));
        ASSERT_TRUE(app().WaitMessageBoxGone());
        EXPECT_EQ(IDC_TS_INPUTPATH, app().VisiblePage());
        EXPECT_EQ(nullptr, app().FindMessageWindow()) << "driver warning after a rejected path";
        // The keyboard focus is back in the edit box.
        EXPECT_TRUE(gui::WaitUntil([&] { return app().FocusedControl() == app().Control(IDC_EPATH); },
                                   5000));
    }

    // Presses the window's close box.
    void PressCloseBox() {
        PostMessageW(app().MainWindow(), WM_SYSCOMMAND, SC_CLOSE, 0);
    }

    void ExpectExitedCleanly() {
        ASSERT_TRUE(app().WaitExit()) << "Install.exe is still running";
        EXPECT_EQ(0u, app().ExitCode());
    }
};

}  // namespace wizard
