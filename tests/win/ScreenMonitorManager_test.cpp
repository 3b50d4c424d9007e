#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "DpiChild.h"
#include "platform/AppError.h"
#include "windows/ScreenMonitorManager.h"

namespace {

struct TMonitorSearch {
    int wanted, seen;
    RECT rect;
};

BOOL CALLBACK FindMonitor(HMONITOR m, HDC, LPRECT, LPARAM p) {
    auto* d = reinterpret_cast<TMonitorSearch*>(p);
    if (d->seen++ == d->wanted) {
        MONITORINFO mi{};
        mi.cbSize = sizeof(mi);
        GetMonitorInfoW(m, &mi);
        d->rect = mi.rcMonitor;
        return FALSE;
    }
    return TRUE;
}

RECT MonitorRect(int index) {
    TMonitorSearch data{index, 0, {}};
    EnumDisplayMonitors(nullptr, nullptr, FindMonitor, reinterpret_cast<LPARAM>(&data));
    return data.rect;
}

}  // namespace

TEST(TmyScreen, CreateRecordsPrimaryMetrics) {
    TmyScreen s;
    EXPECT_EQ(s.MonitorCount, GetSystemMetrics(SM_CMONITORS));
    EXPECT_GE(s.MonitorCount, 1);
    EXPECT_EQ(s.Width, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(s.Height, GetSystemMetrics(SM_CYSCREEN));
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_EQ(s.WorkAreaWidth, work.right - work.left);
    EXPECT_EQ(s.WorkAreaHeight, work.bottom - work.top);
    EXPECT_EQ(s.Monitornumber, 0);
    EXPECT_EQ(s.ScaleKoef, 0.0);
    EXPECT_EQ(s.FCursor, crDefault);
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(s.PixelsPerInch, GetDeviceCaps(dc, LOGPIXELSY));
    ReleaseDC(nullptr, dc);
}

TEST(TmyScreen, GetMonitorGivesTheMonitorRectangle) {
    TmyScreen s;
    const RECT r = MonitorRect(0);
    const TMonitor m = s.GetMonitor(0);
    EXPECT_EQ(m.Left, r.left);
    EXPECT_EQ(m.Top, r.top);
    EXPECT_EQ(m.Width, r.right - r.left);
    EXPECT_EQ(m.Height, r.bottom - r.top);
    EXPECT_GT(m.Width, 0);
    EXPECT_GE(m.PixelsPerInch, 96);
    EXPECT_THROW(s.GetMonitor(s.MonitorCount), EAppError);
    EXPECT_THROW(s.GetMonitor(-1), EAppError);
}

TEST(SelectMonitor, ZeroMakesTheFirstMonitorWorking) {
    CreateScreenManager();
    TmyScreen* first = myScreen;
    CreateScreenManager();
    EXPECT_EQ(myScreen, first) << "the manager is created once";

    SelectMonitor(0);
    const RECT r = MonitorRect(0);
    EXPECT_EQ(myScreen->Monitornumber, 0);
    EXPECT_EQ(myScreen->Width, r.right - r.left);
    EXPECT_EQ(myScreen->Height, r.bottom - r.top);
    // Full monitor sizes, not the work area.
    EXPECT_EQ(myScreen->WorkAreaWidth, myScreen->Width);
    EXPECT_EQ(myScreen->WorkAreaHeight, myScreen->Height);
    EXPECT_DOUBLE_EQ(myScreen->ScaleKoef, myScreen->GetMonitor(0).PixelsPerInch / 96.0);
}

TEST(SelectMonitor, IndexBeyondLastMonitorSelectsZero) {
    CreateScreenManager();
    const int count = myScreen->MonitorCount;
    for (int index : {count, count + 2, 255}) {
        myScreen->Monitornumber = 7;
        myScreen->Width = myScreen->Height = 1;
        SelectMonitor(static_cast<uint8_t>(index));
        EXPECT_EQ(myScreen->Monitornumber, 0) << index;
        EXPECT_EQ(myScreen->Width, myScreen->GetMonitor(0).Width) << index;
        EXPECT_EQ(myScreen->Height, myScreen->GetMonitor(0).Height) << index;
    }
}

TEST(TmyScreen, CursorPropertyStoresAndShows) {
    TmyScreen s;
    s.SetCursor(crHourGlass);
    EXPECT_EQ(s.GetCursor(), crHourGlass);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
    s.SetCursor(crDefault);
    EXPECT_EQ(s.GetCursor(), crDefault);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
    // An identifier without a system cursor is still stored.
    s.SetCursor(1234);
    EXPECT_EQ(s.GetCursor(), 1234);
}

TEST(SelectMonitorAtDpi, ChildChecksScale) {
    const int dpi = dpichild::ChildDpi();
    if (dpi == 0) GTEST_SKIP() << "runs in the child process only";
    CreateScreenManager();
    SelectMonitor(0);
    EXPECT_EQ(myScreen->PixelsPerInch, dpi);
    EXPECT_DOUBLE_EQ(myScreen->ScaleKoef, dpi / 96.0);
    dpichild::EndChild(HasFailure());
}

TEST(SelectMonitorAtDpi, HundredTwentyDpiGivesOneAndAQuarter) {
    EXPECT_EQ(dpichild::RunSelfAtDpi(120, L"SelectMonitorAtDpi.ChildChecksScale"), dpichild::Passed);
}
