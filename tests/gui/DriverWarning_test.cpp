// The driver warning on the components page: the program's own message window,
// its texts, controls and place on the screen, its countdown and its closing by itself.
#include "WizardFixture.h"

#include <cwctype>

namespace {

class DriverWarning : public wizard::TWizardTest {
protected:
    HWND Warning = nullptr;

    void ShowWarning() {
        ASSERT_NO_FATAL_FAILURE(ToPathPage());
        ASSERT_TRUE(app().Type(IDC_EPATH, Dist.Root() + L"Target"));
        ASSERT_TRUE(app().Click(IDC_BTNINPUTPATHNEXT));
        Warning = app().WaitMessageWindow();
        ASSERT_NE(nullptr, Warning) << "no window of class TFMessageform";
    }

    HWND Part(int id) const { return gui::FindDescendant(Warning, id); }

    // The number of seconds the countdown label shows: two spaces, digits, "с";
    // -1 while it shows anything else (its text before the first tick).
    int Countdown() const {
        const std::wstring text = gui::WindowText(Part(IDC_LBLSEC));
        if (text.size() < 4 || text.compare(0, 2, L"  ") != 0 || text.back() != L'с') return -1;
        int value = 0;
        for (size_t i = 2; i + 1 < text.size(); ++i) {
            if (!std::iswdigit(text[i])) return -1;
            value = value * 10 + (text[i] - L'0');
        }
        return value;
    }
};

// One warning, read while its countdown runs and then waited out: the one
// scenario that waits the twenty seconds. How the window itself lays out,
// stops and answers is the message window's own test (tests/win).
TEST_F(DriverWarning, ShowsTheWarningCentredAndClosesByItselfAfterTheCountdown) {
    ASSERT_NO_FATAL_FAILURE(ShowWarning());
    EXPECT_EQ(gui::Visible(texts::DriverWarning),
              gui::Visible(gui::TInstaller::MessageWindowText(Warning)));
    EXPECT_EQ(0, _wcsicmp(L"Static", gui::ClassNameOf(Part(IDC_LBLMESSAGE)).c_str()));
    EXPECT_EQ("", gui::Narrow(gui::WindowText(Warning))) << "the caption is empty";
    EXPECT_TRUE(GetWindowLongW(Warning, GWL_EXSTYLE) & WS_EX_TOPMOST);

    // A plain message: OK only, never "Отмена"; the countdown strip below the buttons.
    ASSERT_NE(nullptr, Part(IDC_BTNOK));
    EXPECT_TRUE(IsWindowVisible(Part(IDC_BTNOK)));
    EXPECT_EQ("OK", gui::Narrow(gui::WindowText(Part(IDC_BTNOK))));
    EXPECT_FALSE(Part(IDC_BTNCANCEL_MSG) && IsWindowVisible(Part(IDC_BTNCANCEL_MSG)));
    EXPECT_TRUE(IsWindowVisible(Part(IDC_PNLCLOSE)));
    RECT buttons{}, strip{};
    GetWindowRect(Part(IDC_BTNOK), &buttons);
    GetWindowRect(Part(IDC_PNLCLOSE), &strip);
    EXPECT_GE(strip.top, buttons.bottom);

    // Centred, its bottom at half the screen's height, the text not cut (three lines at least).
    HMONITOR monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    ASSERT_TRUE(GetMonitorInfoW(monitor, &mi));
    const int screenW = mi.rcMonitor.right - mi.rcMonitor.left;
    const int screenH = mi.rcMonitor.bottom - mi.rcMonitor.top;
    RECT r{};
    EXPECT_TRUE(gui::WaitUntil([&] {
        GetWindowRect(Warning, &r);
        return r.bottom == screenH / 2;
    }, 3000)) << "bottom " << r.bottom << ", half the screen " << screenH / 2;
    EXPECT_EQ(mi.rcMonitor.left + (screenW - (r.right - r.left)) / 2, r.left);
    RECT label{};
    GetWindowRect(Part(IDC_LBLMESSAGE), &label);
    EXPECT_GE(label.bottom - label.top, 3 * 12);

    int first = -1, last = -1;
    const bool closed = gui::WaitUntil([&] {
        if (!IsWindow(Warning)) return true;
        const int s = Countdown();
        if (s >= 0) {
            if (first < 0) first = s;
            last = s;
        }
        return false;
    }, 45000);
    ASSERT_TRUE(closed) << "still open; countdown at " << last;
    EXPECT_GE(first, 15) << "the countdown starts near twenty";
    EXPECT_LE(first, 20);
    EXPECT_LE(last, 2) << "the countdown ran down before the window closed";
    // Its result is ignored: the components page stays and takes input again.
    EXPECT_EQ(IDC_TS_INPUTCOMPONENTS, app().VisiblePage());
    EXPECT_TRUE(gui::WaitUntil([&] { return IsWindowEnabled(app().MainWindow()) != FALSE; }));
    EXPECT_EQ(nullptr, app().FindMessageBox());
    EXPECT_TRUE(app().Click(IDC_BTNINPUTCOMPONENTSBACK));
    EXPECT_TRUE(app().WaitPage(IDC_TS_INPUTPATH));
}

}  // namespace
