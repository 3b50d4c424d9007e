#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/AppError.h"
#include "windows/ScreenMonitorManager.h"

namespace {

RECT MonitorRect(int index) {
    struct Data {
        int wanted, seen;
        RECT rect;
    } data{index, 0, {}};
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR m, HDC, LPRECT, LPARAM p) -> BOOL {
            auto* d = reinterpret_cast<Data*>(p);
            if (d->seen++ == d->wanted) {
                MONITORINFO mi{};
                mi.cbSize = sizeof(mi);
                GetMonitorInfoW(m, &mi);
                d->rect = mi.rcMonitor;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&data));
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

// The screen resolution is read when a process starts: the scale at another
// resolution is checked in a child process started after changing it.
namespace {

constexpr const wchar_t* DesktopKey = L"Control Panel\\Desktop";

bool ReadLogPixels(DWORD& value) {
    DWORD size = sizeof(value);
    return RegGetValueW(HKEY_CURRENT_USER, DesktopKey, L"LogPixels", RRF_RT_REG_DWORD, nullptr,
                        &value, &size) == ERROR_SUCCESS;
}

void WriteLogPixels(DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, DesktopKey, L"LogPixels", REG_DWORD, &value, sizeof(value));
}

DWORD RunSelf(const std::wstring& filter, const wchar_t* expectDpi) {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring cmd = L"\"" + std::wstring(exe) + L"\" --gtest_filter=" + filter;
    SetEnvironmentVariableW(L"SCREEN_EXPECT_DPI", expectDpi);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    DWORD code = 99;
    if (CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                       &pi)) {
        WaitForSingleObject(pi.hProcess, 60000);
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    SetEnvironmentVariableW(L"SCREEN_EXPECT_DPI", nullptr);
    return code;
}

}  // namespace

TEST(SelectMonitorAtDpi, ChildChecksScale) {
    const char* expect = std::getenv("SCREEN_EXPECT_DPI");
    if (!expect) GTEST_SKIP() << "runs in the child process only";
    const int dpi = std::atoi(expect);
    CreateScreenManager();
    SelectMonitor(0);
    EXPECT_EQ(myScreen->PixelsPerInch, dpi);
    EXPECT_DOUBLE_EQ(myScreen->ScaleKoef, dpi / 96.0);
    // A distinct exit code, so the parent knows this check really ran.
    ExitProcess(HasFailure() ? 101 : 100);
}

TEST(SelectMonitorAtDpi, HundredTwentyDpiGivesOneAndAQuarter) {
    DWORD saved = 0;
    const bool had = ReadLogPixels(saved);
    WriteLogPixels(120);
    const DWORD code = RunSelf(L"SelectMonitorAtDpi.ChildChecksScale", L"120");
    if (had) WriteLogPixels(saved);
    else RegDeleteKeyValueW(HKEY_CURRENT_USER, DesktopKey, L"LogPixels");
    EXPECT_EQ(code, 100u);
}
