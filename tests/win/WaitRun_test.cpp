#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "DpiChild.h"
#include "platform/WinUtil.h"
#include "resources/ids.h"
#include "windows/ScreenMonitorManager.h"
#include "windows/WaitRun.h"

namespace {

std::wstring Text(HWND w) {
    wchar_t buf[512] = {};
    GetWindowTextW(w, buf, 512);
    return buf;
}

std::wstring ClassOf(HWND w) {
    wchar_t buf[256] = {};
    GetClassNameW(w, buf, 256);
    return buf;
}

int Scaled(int v) { return MulDiv(v, WorkingDpi(), 144); }

class WaitRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CreateScreenManager();
        SelectMonitor(0);
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&icc);
        CreateWaitRun(GetModuleHandleW(nullptr));
    }
};

}  // namespace

TEST_F(WaitRun, CreatedHiddenWithLaunchingTitle) {
    ASSERT_NE(FWaitRun, nullptr);
    HWND w = FWaitRun->Handle();
    ASSERT_TRUE(IsWindow(w));
    EXPECT_EQ(FindWindowW(L"TFWaitRun", nullptr), w);
    EXPECT_EQ(Text(w), L"Launching ");
    EXPECT_EQ(FWaitRun->typemessage, 0);
    EXPECT_FALSE(IsWindowVisible(w));
    // Events of a running program do not show it.
    for (int i = 0; i < 20; ++i) {
        ProcessMessages();
        Sleep(10);
    }
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_EQ(Text(w), L"Launching ");
    // Creating it again keeps the one window.
    CreateWaitRun(GetModuleHandleW(nullptr));
    EXPECT_EQ(FWaitRun->Handle(), w);
}

TEST_F(WaitRun, FrameSizeAndPlacementOnWorkingMonitor) {
    HWND w = FWaitRun->Handle();
    const LONG_PTR style = GetWindowLongPtrW(w, GWL_STYLE);
    const LONG_PTR ex = GetWindowLongPtrW(w, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    RECT client{}, window{};
    GetClientRect(w, &client);
    GetWindowRect(w, &window);
    EXPECT_EQ(client.right, Scaled(471));
    EXPECT_EQ(client.bottom, Scaled(59));
    const TMonitor m = myScreen->GetMonitor(myScreen->Monitornumber);
    const int width = window.right - window.left, height = window.bottom - window.top;
    EXPECT_EQ(window.left, m.Left + (m.Width - width) / 2);
    EXPECT_EQ(window.top, m.Top + std::abs(m.Height - height) / 2);
}

TEST_F(WaitRun, ProgressBarAndLabel) {
    HWND bar = GetDlgItem(FWaitRun->Handle(), IDC_PROGRESSBAR);
    HWND label = GetDlgItem(FWaitRun->Handle(), IDC_LBLPROGRESS);
    EXPECT_EQ(bar, FWaitRun->ProgressBar);
    EXPECT_EQ(label, FWaitRun->LblProgress);
    EXPECT_EQ(ClassOf(bar), L"msctls_progress32");
    EXPECT_EQ(_wcsicmp(ClassOf(label).c_str(), L"Static"), 0);
    PBRANGE range{};
    SendMessageW(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 25);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 0);
    EXPECT_TRUE(GetWindowLongPtrW(bar, GWL_STYLE) & PBS_SMOOTH);
    RECT barRect{}, client{};
    GetClientRect(FWaitRun->Handle(), &client);
    GetWindowRect(bar, &barRect);
    MapWindowPoints(nullptr, FWaitRun->Handle(), reinterpret_cast<POINT*>(&barRect), 2);
    EXPECT_EQ(barRect.bottom - barRect.top, Scaled(30));
    EXPECT_EQ(barRect.bottom, client.bottom - Scaled(2));
}

TEST_F(WaitRun, NextStepsOnceAndShowsTheText) {
    TFWaitRun other;
    other.Create(GetModuleHandleW(nullptr));
    other.Next(17, L"Запуск программы");
    EXPECT_EQ(SendMessageW(other.ProgressBar, PBM_GETPOS, 0, 0), 1) << "value is not a position";
    EXPECT_EQ(Text(other.LblProgress), L"Запуск программы");
    other.Next(0, L"Шаг 2");
    EXPECT_EQ(SendMessageW(other.ProgressBar, PBM_GETPOS, 0, 0), 2);
    EXPECT_EQ(Text(other.LblProgress), L"Шаг 2");
    EXPECT_FALSE(IsWindowVisible(other.Handle()));
}

TEST_F(WaitRun, ShowingRetitlesByTypeMessage) {
    TFWaitRun other;
    other.Create(GetModuleHandleW(nullptr));
    EXPECT_EQ(Text(other.Handle()), L"Launching ");
    other.typemessage = 2;
    ShowWindow(other.Handle(), SW_SHOWNA);
    EXPECT_EQ(Text(other.Handle()), L"Запись данных ЭКГ");
    ShowWindow(other.Handle(), SW_HIDE);
    other.typemessage = 3;
    ShowWindow(other.Handle(), SW_SHOWNA);
    EXPECT_EQ(Text(other.Handle()), L"Преобразование данных ЭКГ в формат Велитор-Vudeze");
    ShowWindow(other.Handle(), SW_HIDE);
    other.typemessage = 4;
    ShowWindow(other.Handle(), SW_SHOWNA);
    EXPECT_EQ(Text(other.Handle()), L"");
    // The program's own window was not touched.
    EXPECT_FALSE(IsWindowVisible(FWaitRun->Handle()));
    EXPECT_EQ(Text(FWaitRun->Handle()), L"Launching ");
}

TEST_F(WaitRun, ChildSizesAtDesignDpi) {
    if (dpichild::ChildDpi() != 144) GTEST_SKIP() << "runs in the child process only";
    RECT client{}, bar{};
    GetClientRect(FWaitRun->Handle(), &client);
    GetClientRect(FWaitRun->ProgressBar, &bar);
    EXPECT_EQ(client.right, 471);
    EXPECT_EQ(client.bottom, 59);
    EXPECT_EQ(bar.bottom, 30);
    EXPECT_EQ(bar.right, 471 - 2 * 2);
    dpichild::EndChild(HasFailure());
}

TEST(WaitRunAtDpi, AtItsDesignResolutionSizesAreUnscaled) {
    EXPECT_EQ(dpichild::RunSelfAtDpi(144, L"WaitRun.ChildSizesAtDesignDpi"), dpichild::Passed);
}
