#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "DpiChild.h"
#include "GuiDriver.h"
#include "platform/AppError.h"
#include "resources/ids.h"
#include "tests/OperatorTexts.h"
#include "windows/ApplicationWindow.h"
#include "windows/MessageForm.h"
#include "windows/ScreenMonitorManager.h"

// The message window runs its modal loop on the test's thread; a second thread
// plays the operator through the GUI driver: it finds the window by class,
// reads it and clicks.
namespace {

using Clock = std::chrono::steady_clock;

HWND WaitForMessageWindow() {
    HWND w = nullptr;
    gui::WaitUntil([&] {
        w = FindWindowW(L"TFMessageform", nullptr);
        return w && IsWindowVisible(w);
    }, 5000);
    return w && IsWindowVisible(w) ? w : nullptr;
}

bool WaitUntilGone(HWND w, DWORD timeoutMs) {
    return gui::WaitUntil([&] { return !IsWindow(w) || !IsWindowVisible(w); }, timeoutMs);
}

// Answered by the window's own thread, inside its modal loop.
std::wstring Text(HWND w) { return gui::WindowText(w); }

void Click(HWND window, int id) { gui::Click(GetDlgItem(window, id)); }

RECT ScreenRect(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return r;
}

// What the operator saw.
struct TSeen {
    bool found = false;
    std::wstring title, className, message, ok, cancel, stop, closeLabel, sec;
    bool okVisible = false, cancelVisible = false, stripVisible = false, topmost = false;
    HWND owner = nullptr;
    RECT window{}, client{}, label{}, okRect{}, okClient{};
    std::vector<std::wstring> secTexts;
};

void Observe(HWND w, TSeen& s) {
    s.found = true;
    s.title = Text(w);
    s.className = gui::ClassNameOf(w);
    s.message = Text(GetDlgItem(w, IDC_LBLMESSAGE));
    s.ok = Text(GetDlgItem(w, IDC_BTNOK));
    s.cancel = Text(GetDlgItem(w, IDC_BTNCANCEL_MSG));
    s.stop = Text(GetDlgItem(w, IDC_BTNSTOP));
    s.closeLabel = Text(GetDlgItem(w, IDC_LBLCLOSE));
    s.sec = Text(GetDlgItem(w, IDC_LBLSEC));
    s.okVisible = IsWindowVisible(GetDlgItem(w, IDC_BTNOK));
    s.cancelVisible = IsWindowVisible(GetDlgItem(w, IDC_BTNCANCEL_MSG));
    s.stripVisible = IsWindowVisible(GetDlgItem(w, IDC_PNLCLOSE));
    s.topmost = (GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    s.owner = GetWindow(w, GW_OWNER);
    s.window = ScreenRect(w);
    GetClientRect(w, &s.client);
    s.label = ScreenRect(GetDlgItem(w, IDC_LBLMESSAGE));
    s.okRect = ScreenRect(GetDlgItem(w, IDC_BTNOK));
    s.okClient = s.okRect;
    MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&s.okClient), 2);
}

// Shows a message while `operate` acts on the window from another thread.
bool ShowDriven(const std::wstring& text, TMessageType kind, const std::wstring& caption,
                int seconds, const std::function<void(HWND)>& operate) {
    std::thread driver([&] {
        if (HWND w = WaitForMessageWindow()) operate(w);
    });
    bool result = false;
    try {
        result = ShowMessageWindow(text, kind, caption, seconds);
    } catch (...) {
        driver.join();
        throw;
    }
    driver.join();
    return result;
}

std::atomic<int> messageWindowsCreated{0};

LRESULT CALLBACK CountMessageWindows(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        auto* cs = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
        if (!IS_INTRESOURCE(cs->lpszClass) && std::wstring(cs->lpszClass) == L"TFMessageform")
            ++messageWindowsCreated;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

int WindowsOfClassCreated(const std::function<void()>& action) {
    auto& created = messageWindowsCreated;
    created = 0;
    HHOOK hook = SetWindowsHookExW(WH_CBT, CountMessageWindows, nullptr, GetCurrentThreadId());
    action();
    UnhookWindowsHookEx(hook);
    return created;
}

const std::wstring& DriverWarning = texts::DriverWarning;

int Scaled(int v) { return MulDiv(v, WorkingDpi(), 96); }

class MessageForm : public ::testing::Test {
protected:
    void SetUp() override {
        CreateScreenManager();
        SelectMonitor(0);
    }
    void TearDown() override {
        EXPECT_EQ(FindWindowW(L"TFMessageform", nullptr), nullptr) << "the window is freed";
    }
};

}  // namespace

TEST_F(MessageForm, DialogShowsItsTextsAndOkReturnsTrue) {
    // Owned by the application window, so it gets no taskbar button of its own.
    CreateApplicationWindow(GetModuleHandleW(nullptr), L"Установка комплекса \"Велитор-Vudeze\"");
    TSeen seen;
    const bool result = ShowDriven(L"Продолжить?", mtDialog, L"Вопрос", 10, [&](HWND w) {
        Observe(w, seen);
        Click(w, IDC_BTNOK);
    });
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(result);
    EXPECT_EQ(seen.className, L"TFMessageform");
    EXPECT_EQ(seen.title, L"Вопрос");
    EXPECT_EQ(seen.message, L"Продолжить?");
    EXPECT_EQ(seen.ok, L"OK");
    EXPECT_EQ(seen.cancel, L"Отмена");
    EXPECT_EQ(seen.stop, L"остановить");
    EXPECT_EQ(seen.closeLabel, L"Окно закроется через");
    EXPECT_EQ(seen.sec, L"  сек");
    EXPECT_TRUE(seen.okVisible);
    EXPECT_TRUE(seen.cancelVisible);
    EXPECT_TRUE(seen.stripVisible);
    EXPECT_TRUE(seen.topmost);
    EXPECT_EQ(seen.owner, ApplicationHandle());
    EXPECT_NE(seen.owner, nullptr);
    DestroyApplicationWindow();
}

TEST_F(MessageForm, ControlsAreStandardWindowsControls) {
    std::vector<std::pair<int, std::wstring>> classes;
    ShowDriven(L"x", mtDialog, L"", 10, [&](HWND w) {
        for (int id : {IDC_LBLMESSAGE, IDC_BTNCANCEL_MSG, IDC_BTNOK, IDC_BTNSTOP, IDC_LBLCLOSE,
                       IDC_LBLSEC})
            classes.emplace_back(id, gui::ClassNameOf(GetDlgItem(w, id)));
        Click(w, IDC_BTNOK);
    });
    ASSERT_EQ(classes.size(), 6u);
    for (auto& [id, cls] : classes) {
        const bool label = id == IDC_LBLMESSAGE || id == IDC_LBLCLOSE || id == IDC_LBLSEC;
        EXPECT_EQ(_wcsicmp(cls.c_str(), label ? L"Static" : L"Button"), 0) << id << " " << cls.size();
    }
}

TEST_F(MessageForm, CancelAndCloseBoxReturnFalse) {
    bool found = false;
    EXPECT_FALSE(ShowDriven(L"a", mtDialog, L"", 10, [&](HWND w) {
        found = true;
        Click(w, IDC_BTNCANCEL_MSG);
    }));
    EXPECT_TRUE(found);
    found = false;
    EXPECT_FALSE(ShowDriven(L"b", mtDialog, L"", 10, [&](HWND w) {
        found = true;
        PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0);
    }));
    EXPECT_TRUE(found);
}

TEST_F(MessageForm, MessageKindOffersOnlyOk) {
    TSeen seen;
    EXPECT_FALSE(ShowDriven(L"Сообщение", mtMessage, L"", 10, [&](HWND w) {
        Observe(w, seen);
        PostMessageW(w, WM_CLOSE, 0, 0);
    }));
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(seen.okVisible);
    EXPECT_FALSE(seen.cancelVisible);
}

TEST_F(MessageForm, KeyboardEnterPressesOkAndEscapeCancels) {
    EXPECT_TRUE(ShowDriven(L"a", mtDialog, L"", 10, [](HWND w) {
        PostMessageW(GetDlgItem(w, IDC_BTNOK), WM_KEYDOWN, VK_RETURN, 0);
    }));
    EXPECT_FALSE(ShowDriven(L"b", mtDialog, L"", 10, [](HWND w) {
        PostMessageW(GetDlgItem(w, IDC_BTNOK), WM_KEYDOWN, VK_ESCAPE, 0);
    }));
}

TEST_F(MessageForm, PlacedWithBottomEdgeAtHalfHeightAndCentred) {
    TSeen seen;
    ShowDriven(DriverWarning, mtMessage, L"", 10, [&](HWND w) {
        Observe(w, seen);
        Click(w, IDC_BTNOK);
    });
    ASSERT_TRUE(seen.found);
    const TMonitor m = myScreen->GetMonitor(myScreen->Monitornumber);
    const int width = seen.window.right - seen.window.left;
    const int height = seen.window.bottom - seen.window.top;
    EXPECT_EQ(seen.client.right, Scaled(446));
    EXPECT_EQ(seen.window.bottom, myScreen->Height / 2);
    EXPECT_EQ(seen.window.left, m.Left + (myScreen->Width - width) / 2);
    const int labelHeight = seen.label.bottom - seen.label.top;
    EXPECT_EQ(height, labelHeight + Scaled(24) + Scaled(16) + 60);
    EXPECT_EQ(seen.message, DriverWarning);
    HDC dc = GetDC(nullptr);
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(10, WorkingDpi(), 72);
    wcscpy_s(lf.lfFaceName, L"Tahoma");
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    // Whole lines, and at least the three of the warning's line breaks.
    EXPECT_EQ(labelHeight % tm.tmHeight, 0);
    EXPECT_GE(labelHeight, 3 * tm.tmHeight);
    // The buttons lie below the text, the countdown strip below the buttons.
    EXPECT_GE(seen.okRect.top, seen.label.bottom);
}

TEST_F(MessageForm, LongTextWrapsAndGrowsUpwards) {
    TSeen shortSeen, longSeen;
    ShowDriven(L"Коротко", mtMessage, L"", 10, [&](HWND w) {
        Observe(w, shortSeen);
        Click(w, IDC_BTNOK);
    });
    std::wstring longText;
    for (int i = 0; i < 40; ++i) longText += L"слово ";
    ShowDriven(longText, mtMessage, L"", 10, [&](HWND w) {
        Observe(w, longSeen);
        Click(w, IDC_BTNOK);
    });
    ASSERT_TRUE(shortSeen.found && longSeen.found);
    const int shortLabel = shortSeen.label.bottom - shortSeen.label.top;
    const int longLabel = longSeen.label.bottom - longSeen.label.top;
    EXPECT_GE(longLabel, 2 * shortLabel) << "the text wraps";
    EXPECT_EQ(longSeen.label.right - longSeen.label.left, longSeen.client.right);
    EXPECT_EQ(longSeen.window.bottom, shortSeen.window.bottom);
    EXPECT_LT(longSeen.window.top, shortSeen.window.top);
    EXPECT_EQ(longSeen.window.right - longSeen.window.left,
              shortSeen.window.right - shortSeen.window.left);
}

TEST_F(MessageForm, CountdownLabelCountsDownAndExpiryReturnsFalse) {
    std::vector<std::wstring> texts;
    bool closedByItself = false;
    const auto start = Clock::now();
    const bool result = ShowDriven(L"Сейчас закроется", mtMessage, L"", 2, [&](HWND w) {
        HWND sec = GetDlgItem(w, IDC_LBLSEC);
        texts.push_back(Text(sec));
        while (IsWindow(w) && IsWindowVisible(w)) {
            std::wstring t = Text(sec);
            if (!t.empty() && t != texts.back()) texts.push_back(t);
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
        closedByItself = true;
    });
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_FALSE(result);
    EXPECT_TRUE(closedByItself);
    EXPECT_GE(elapsed, 1.8) << "closed before its two seconds";
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[0], L"  сек");
    EXPECT_EQ(texts[1], L"  1с");
}

TEST_F(MessageForm, StopHidesTheStripAndWaitsForOk) {
    TSeen before, after;
    bool stillOpen = false;
    HWND secLabel = nullptr, stopButton = nullptr;
    const bool result = ShowDriven(L"Не закрывать", mtMessage, L"", 2, [&](HWND w) {
        Observe(w, before);
        Click(w, IDC_BTNSTOP);
        // Longer than the countdown: the window must stay.
        stillOpen = !WaitUntilGone(w, 3500);
        Observe(w, after);
        secLabel = GetDlgItem(w, IDC_LBLSEC);
        stopButton = GetDlgItem(w, IDC_BTNSTOP);
        after.stripVisible = IsWindowVisible(GetDlgItem(w, IDC_PNLCLOSE)) ||
                             IsWindowVisible(secLabel) || IsWindowVisible(stopButton) ||
                             IsWindowVisible(GetDlgItem(w, IDC_LBLCLOSE));
        Click(w, IDC_BTNOK);
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(result);
    EXPECT_TRUE(before.stripVisible);
    EXPECT_FALSE(after.stripVisible);
    // Without the strip the buttons move down to the bottom edge.
    EXPECT_GT(after.okRect.top, before.okRect.top);
    EXPECT_EQ(after.okClient.bottom, after.client.bottom);
    EXPECT_LT(before.okClient.bottom, before.client.bottom);
}

TEST_F(MessageForm, ModalWindowDisablesTheProgramsOtherWindows) {
    HWND other = CreateWindowExW(0, L"STATIC", L"главное окно", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 10, 10, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    bool enabledMeanwhile = true;
    ShowDriven(L"x", mtMessage, L"", 10, [&](HWND w) {
        enabledMeanwhile = IsWindowEnabled(other) != FALSE;
        Click(w, IDC_BTNOK);
    });
    EXPECT_FALSE(enabledMeanwhile);
    EXPECT_TRUE(IsWindowEnabled(other));
    DestroyWindow(other);
}

TEST_F(MessageForm, InvalidSecondsRaiseBeforeAnyWindowExists) {
    for (int seconds : {-1, -20, 2147484, 2147483647}) {
        int created = WindowsOfClassCreated([&] {
            EXPECT_THROW(ShowMessageWindow(L"x", mtMessage, L"", seconds), EAppError) << seconds;
        });
        EXPECT_EQ(created, 0) << seconds;
    }
    // The hook does see the window when one is made.
    const int created = WindowsOfClassCreated([] {
        ShowDriven(L"x", mtMessage, L"", 10, [](HWND w) { Click(w, IDC_BTNOK); });
    });
    EXPECT_EQ(created, 1);
}

TEST_F(MessageForm, ChildLayoutAtHundredFortyFourDpi) {
    if (dpichild::ChildDpi() != 144) GTEST_SKIP() << "runs in the child process only";
    TSeen seen;
    RECT cancel{};
    ShowDriven(L"Текст", mtDialog, L"", 10, [&](HWND w) {
        Observe(w, seen);
        cancel = ScreenRect(GetDlgItem(w, IDC_BTNCANCEL_MSG));
        Click(w, IDC_BTNOK);
    });
    EXPECT_TRUE(seen.found);
    // The 96-dpi sizes times 1.5; the 60 px allowance is not scaled.
    EXPECT_EQ(seen.client.right, 669);
    EXPECT_EQ(seen.okRect.right - seen.okRect.left, 105);
    EXPECT_EQ(seen.okRect.bottom - seen.okRect.top, 36);
    EXPECT_EQ(cancel.right - cancel.left, 110);
    const int labelHeight = seen.label.bottom - seen.label.top;
    EXPECT_EQ(seen.window.bottom - seen.window.top, labelHeight + 36 + 24 + 60);
    EXPECT_GE(labelHeight, 20) << "10 pt at 144 dpi";
    dpichild::EndChild(HasFailure());
}

TEST(MessageFormAtDpi, LayoutScalesWithTheScreen) {
    EXPECT_EQ(dpichild::RunSelfAtDpi(144, L"MessageForm.ChildLayoutAtHundredFortyFourDpi"),
              dpichild::Passed);
}

// The default countdown starts at twenty seconds; the GUI scenario of the driver
// warning waits it out.
TEST_F(MessageForm, DefaultCountdownStartsAtTwentySeconds) {
    std::wstring firstTick;
    const bool result = ShowDriven(DriverWarning, mtMessage, L"", 0, [&](HWND w) {
        HWND sec = GetDlgItem(w, IDC_LBLSEC);
        while (IsWindowVisible(w) && firstTick.empty()) {
            std::wstring t = Text(sec);
            if (t != L"  сек") firstTick = t;
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
        Click(w, IDC_BTNOK);
    });
    EXPECT_TRUE(result);
    EXPECT_EQ(firstTick, L"  19с");
}
