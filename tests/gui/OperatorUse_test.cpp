// The wizard used as an operator uses it: from the keyboard alone (real key
// presses, not clicks sent to buttons), Enter pressed again while it works, and
// a window that keeps answering through a long copy and a slow driver installer.
#include <gtest/gtest.h>

#include <algorithm>

#include "GuiDriver.h"
#include "InstallRun.h"

namespace {

// A key pressed and released through the system's input queue, as a keyboard does.
void Press(WORD key, bool shift = false) {
    std::vector<INPUT> in;
    auto add = [&](WORD vk, bool up) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = vk;
        i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        in.push_back(i);
    };
    if (shift) add(VK_SHIFT, false);
    add(key, false);
    add(key, true);
    if (shift) add(VK_SHIFT, true);
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
    Sleep(150);  // let the program take it before the next one
}

// Brings the program's window to the front, so the keyboard reaches it.
bool Front(gui::TInstaller& app, HWND window = nullptr) {
    HWND w = window ? window : app.MainWindow();
    SetForegroundWindow(w);
    return gui::WaitUntil([&] { return GetForegroundWindow() == w; }, 5000);
}

// Runs recorded in Install.log: each starts with "Установка <date>".
int CountHeaders(const std::string& log) {
    const std::string head = "Установка ";
    int n = 0;
    for (size_t at = log.find(head); at != std::string::npos; at = log.find(head, at + 1)) {
        const size_t after = at + head.size();
        if (after < log.size() && log[after] >= '0' && log[after] <= '9') ++n;
    }
    return n;
}

// The longest time the main window took to answer WM_NULL while keepGoing held.
DWORD SlowestAnswer(gui::TInstaller& app, const std::function<bool()>& keepGoing, int& asked) {
    DWORD slowest = 0;
    asked = 0;
    while (keepGoing()) {
        DWORD_PTR r = 0;
        const ULONGLONG t0 = GetTickCount64();
        if (!SendMessageTimeoutW(app.MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 4000, &r)) return 4000;
        slowest = std::max<DWORD>(slowest, static_cast<DWORD>(GetTickCount64() - t0));
        ++asked;
        Sleep(50);
    }
    return slowest;
}

class OperatorUse : public run::TRunTest {};

}  // namespace

TEST_F(OperatorUse, KeyboardAloneInstallsOnceWhateverIsPressed) {
    gui::TInstaller& app = Launch();
    ASSERT_TRUE(app.WaitMainWindow() && app.WaitPage(IDC_TS_START));
    ASSERT_TRUE(Front(app));
    // The start page's default button has the focus: Enter goes forward.
    EXPECT_TRUE(gui::WaitUntil([&] { return app.FocusedControl() == app.Control(IDC_BTNSTARTNEXT); }, 5000));
    Press(VK_RETURN);
    ASSERT_TRUE(app.WaitPage(IDC_TS_INPUTPATH));
    EXPECT_TRUE(gui::WaitUntil([&] { return app.FocusedControl() == app.Control(IDC_EPATH); }, 5000));
    ASSERT_TRUE(app.Type(IDC_EPATH, Target));
    Press(VK_RETURN);
    HWND warning = app.WaitMessageWindow();
    ASSERT_NE(nullptr, warning);
    app.PressMessageWindowOk(warning);
    ASSERT_TRUE(app.WaitMessageWindowGone());
    ASSERT_TRUE(app.WaitPage(IDC_TS_INPUTCOMPONENTS));
    ASSERT_TRUE(Front(app));
    EXPECT_TRUE(gui::WaitUntil([&] { return app.FocusedControl() == app.Control(IDC_BTNINSATALL); }, 5000));

    // Back by the keyboard: the focus leaves the hidden page for the path box,
    // and Tab goes round visible controls only.
    Press(VK_TAB, true);
    ASSERT_EQ(app.FocusedControl(), app.Control(IDC_BTNINPUTCOMPONENTSBACK));
    Press(VK_SPACE);
    ASSERT_TRUE(app.WaitPage(IDC_TS_INPUTPATH));
    EXPECT_TRUE(gui::WaitUntil([&] { return app.FocusedControl() == app.Control(IDC_EPATH); }, 5000));
    for (int i = 0; i < 4; ++i) {
        Press(VK_TAB);
        HWND focus = app.FocusedControl();
        EXPECT_TRUE(focus && IsWindowVisible(focus)) << "Tab " << i << " reached a hidden control";
    }
    EXPECT_EQ(app.VisiblePage(), IDC_TS_INPUTPATH);
    ASSERT_TRUE(app.Click(IDC_BTNINPUTPATHNEXT));
    warning = app.WaitMessageWindow();
    ASSERT_NE(nullptr, warning);
    app.PressMessageWindowOk(warning);
    ASSERT_TRUE(app.WaitMessageWindowGone());
    ASSERT_TRUE(app.WaitPage(IDC_TS_INPUTCOMPONENTS));
    // The driver installer holds the run while this file is in its folder.
    run::WriteAll(Dist.Folder() + L"FTDIDriverInstall\\FTDIDriverInstall.hold", "hold");
    ASSERT_TRUE(Front(app));

    // Enter starts it; the driver's question is answered by Enter (Yes).
    Press(VK_RETURN);
    ASSERT_TRUE(app.WaitPage(IDC_TS_PROGRESSINSTALL));
    HWND question = app.WaitMessageBox(60000);
    ASSERT_NE(nullptr, question);
    EXPECT_EQ(gui::DialogText(question), DriverQuestion);
    ASSERT_TRUE(Front(app, question));
    Press(VK_RETURN);
    ASSERT_TRUE(app.WaitMessageBoxGone());
    const std::wstring record = Target + L"FTDIDriverInstall\\FTDIDriverInstall.log";
    ASSERT_TRUE(gui::WaitUntil([&] { return gui::FileExists(record); }, 60000)) << "the driver installer did not start";

    // While the installation runs: Enter, Space and Escape do nothing.
    ASSERT_TRUE(Front(app));
    for (WORD key : {VK_RETURN, VK_SPACE, VK_RETURN, VK_ESCAPE, VK_RETURN}) Press(key);
    EXPECT_TRUE(app.Running());
    EXPECT_EQ(app.VisiblePage(), IDC_TS_PROGRESSINSTALL);
    EXPECT_EQ(nullptr, app.FindMessageBox());
    DeleteFileW((Target + L"FTDIDriverInstall\\FTDIDriverInstall.hold").c_str());
    ASSERT_TRUE(app.WaitPage(IDC_TS_CHANGEFONTSIZE, 120000)) << "the run did not end on the large-font page";
    ASSERT_TRUE(Front(app));
    EXPECT_TRUE(gui::WaitUntil([&] { return app.FocusedControl() == app.Control(IDC_BTNCHANGEFONT); }, 5000));

    // One installation: one header in Install.log, no backup of a database that
    // a second, nested run would have found.
    const std::string log = run::ReadAll(Target + L"Install.log");
    EXPECT_EQ(CountHeaders(log), 1) << log;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((Target + L"DTAfb\\V12.FDB*.bak").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "a second installation ran";
    if (search != INVALID_HANDLE_VALUE) FindClose(search);

    // Enter on the large-font page: no size switch here (Wine has none), so one
    // box says where to change it, and no restart is offered.
    Press(VK_RETURN);
    HWND box = app.WaitMessageBox();
    ASSERT_NE(nullptr, box);
    EXPECT_NE(gui::DialogText(box).find(L"размер шрифта"), std::wstring::npos) << gui::Narrow(gui::DialogText(box));
    EXPECT_EQ(nullptr, GetDlgItem(box, IDYES));
    Press(VK_RETURN);
    ASSERT_TRUE(app.WaitMessageBoxGone());
    EXPECT_EQ(app.VisiblePage(), IDC_TS_CHANGEFONTSIZE);
    EXPECT_TRUE(app.Running());

    // Escape is the way out.
    ASSERT_TRUE(Front(app));
    Press(VK_ESCAPE);
    ExpectExitedCleanly();
}

TEST_F(OperatorUse, WindowAnswersThroughALongCopyAndASlowDriverInstaller) {
    // A media database of 1 GiB (sparse: quick to make, a real copy to write).
    const std::wstring media = Dist.Folder() + L"DTAfb\\V12.FDB";
    {
        HANDLE f = CreateFileW(media.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        LARGE_INTEGER size{};
        size.QuadPart = 1LL << 30;
        SetFilePointerEx(f, size, nullptr, FILE_BEGIN);
        SetEndOfFile(f);
        CloseHandle(f);
    }
    // The driver installer waits while this file is there.
    const std::wstring hold = Dist.Folder() + L"FTDIDriverInstall\\FTDIDriverInstall.hold";
    run::WriteAll(hold, "hold");

    gui::TInstaller& app = Launch();
    ASSERT_TRUE(app.WaitMainWindow() && app.WaitPage(IDC_TS_START));
    app.Click(IDC_BTNSTARTNEXT);
    ASSERT_TRUE(app.WaitPage(IDC_TS_INPUTPATH));
    app.Type(IDC_EPATH, Target);
    app.Click(IDC_BTNINPUTPATHNEXT);
    HWND warning = app.WaitMessageWindow();
    ASSERT_NE(nullptr, warning);
    app.PressMessageWindowOk(warning);
    // The warning is modal: a click before it has gone is lost.
    ASSERT_TRUE(app.WaitMessageWindowGone());
    ASSERT_TRUE(app.WaitPage(IDC_TS_INPUTCOMPONENTS));
    app.Click(IDC_BTNINSATALL);
    ASSERT_TRUE(app.WaitPage(IDC_TS_PROGRESSINSTALL));

    // During the copy: until its line is marked.
    auto copying = [&] {
        for (const std::wstring& line : app.LogLines())
            if (line.rfind(texts::CopyLine + L"V12.FDB....", 0) == 0) return line == texts::CopyLine + L"V12.FDB....";
        return true;  // not begun yet
    };
    bool pictured = false;
    int asked = 0;
    const DWORD copySlowest = SlowestAnswer(app, [&] {
        if (!pictured && app.Visible(IDC_COPYPROGRESS))
            pictured = gui::SaveScreenshotAs(app.MainWindow(), L"progress-database-copy") || true;
        return copying();
    }, asked);
    EXPECT_LT(copySlowest, 1000u) << "the window stopped answering during the copy";
    EXPECT_TRUE(pictured) << "no progress bar during the copy";
    std::printf("copy: %d answers, slowest %lu ms\n", asked, copySlowest);

    // The driver's question, then its installer held for a while.
    HWND question = app.WaitMessageBox(60000);
    ASSERT_NE(nullptr, question);
    app.Answer(question, IDYES);
    const std::wstring record = Target + L"FTDIDriverInstall\\FTDIDriverInstall.log";
    ASSERT_TRUE(gui::WaitUntil([&] { return gui::FileExists(record); }, 60000)) << "the driver installer did not start";
    const ULONGLONG started = GetTickCount64();
    const DWORD driverSlowest = SlowestAnswer(app, [&] { return GetTickCount64() - started < 10000; }, asked);
    EXPECT_LT(driverSlowest, 1000u) << "the window stopped answering while the driver installer ran";
    std::printf("driver: %d answers, slowest %lu ms\n", asked, driverSlowest);
    // Meanwhile the window cannot be closed.
    PressCloseBox();
    Sleep(300);
    EXPECT_TRUE(app.Running());
    // The installer runs from its copy in the target folder.
    DeleteFileW((Target + L"FTDIDriverInstall\\FTDIDriverInstall.hold").c_str());  // it ends now
    EXPECT_TRUE(app.WaitPage(IDC_TS_CHANGEFONTSIZE, 60000));
}
