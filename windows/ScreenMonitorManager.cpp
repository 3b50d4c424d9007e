#include "windows/ScreenMonitorManager.h"

#include <vector>

#include "platform/AppError.h"
#include "platform/SystemLibrary.h"

TmyScreen* myScreen = nullptr;

namespace {

// A named function, not a lambda: on 32-bit Windows the callback must be stdcall.
BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    reinterpret_cast<std::vector<HMONITOR>*>(data)->push_back(monitor);
    return TRUE;
}

std::vector<HMONITOR> EnumMonitors() {
    std::vector<HMONITOR> list;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
    return list;
}

int ScreenPixelsPerInch() {
    HDC dc = GetDC(nullptr);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}

// Effective DPI of one monitor. The per-monitor query exists from Windows 8.1
// on, so it is looked up at run time (from System32 only); older systems and
// failures fall back to the screen's resolution.
int MonitorPixelsPerInch(HMONITOR monitor) {
    using TGetDpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    // Kept loaded for the program's life: the pointer is reused.
    static const TGetDpiForMonitor getDpi =
        LateFunction<TGetDpiForMonitor>(LoadSystemLibrary(L"shcore.dll"), "GetDpiForMonitor");
    if (getDpi) {
        UINT x = 0, y = 0;
        // 0: MDT_EFFECTIVE_DPI
        if (SUCCEEDED(getDpi(monitor, 0, &x, &y)) && x > 0) return static_cast<int>(x);
    }
    return ScreenPixelsPerInch();
}

LPCWSTR SystemCursorFor(int16_t id) {
    switch (id) {
        case crCross: return IDC_CROSS;
        case crIBeam: return IDC_IBEAM;
        case crSizeNESW: return IDC_SIZENESW;
        case crSizeNS: return IDC_SIZENS;
        case crSizeNWSE: return IDC_SIZENWSE;
        case crSizeWE: return IDC_SIZEWE;
        case crUpArrow: return IDC_UPARROW;
        case crHourGlass: return IDC_WAIT;
        case crNo: return IDC_NO;
        case crAppStart: return IDC_APPSTARTING;
        case crHandPoint: return IDC_HAND;
        case crSizeAll: return IDC_SIZEALL;
        default: return IDC_ARROW;
    }
}

}  // namespace

TmyScreen::TmyScreen() {
    FScreen = GetDesktopWindow();
    FCursor = crDefault;
    MonitorCount = static_cast<int32_t>(EnumMonitors().size());
    RECT work{};
    if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        WorkAreaWidth = work.right - work.left;
        WorkAreaHeight = work.bottom - work.top;
    }
    Width = GetSystemMetrics(SM_CXSCREEN);
    Height = GetSystemMetrics(SM_CYSCREEN);
    PixelsPerInch = ScreenPixelsPerInch();
}

TMonitor TmyScreen::GetMonitor(int Index) const {
    const std::vector<HMONITOR> list = EnumMonitors();
    if (Index < 0 || static_cast<size_t>(Index) >= list.size())
        throw EAppError(L"Монитор с номером " + std::to_wstring(Index) + L" не найден");
    TMonitor m;
    m.Handle = list[static_cast<size_t>(Index)];
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(m.Handle, &info))
        throw EAppError(L"Нет сведений о мониторе " + std::to_wstring(Index));
    m.Left = info.rcMonitor.left;
    m.Top = info.rcMonitor.top;
    m.Width = info.rcMonitor.right - info.rcMonitor.left;
    m.Height = info.rcMonitor.bottom - info.rcMonitor.top;
    m.PixelsPerInch = MonitorPixelsPerInch(m.Handle);
    return m;
}

void TmyScreen::SetCursor(int16_t Value) {
    FCursor = Value;
    // Showing it is a courtesy; a failure changes nothing.
    if (HCURSOR c = LoadCursorW(nullptr, SystemCursorFor(Value))) ::SetCursor(c);
}

void CreateScreenManager() {
    if (!myScreen) myScreen = new TmyScreen();
}

void SelectMonitor(uint8_t Index) {
    CreateScreenManager();
    TmyScreen& s = *myScreen;
    // The count is re-read: a monitor unplugged since start-up must not be chosen.
    const int count = static_cast<int>(EnumMonitors().size());
    s.Monitornumber = Index > count - 1 ? 0 : Index;
    const TMonitor m = s.GetMonitor(s.Monitornumber);
    s.WorkAreaWidth = m.Width;
    s.WorkAreaHeight = m.Height;
    s.Width = m.Width;
    s.Height = m.Height;
    s.ScaleKoef = m.PixelsPerInch / 96.0;
}

int WorkingDpi() {
    CreateScreenManager();
    if (myScreen->ScaleKoef > 0) return static_cast<int>(myScreen->ScaleKoef * 96 + 0.5);
    return myScreen->PixelsPerInch;
}
