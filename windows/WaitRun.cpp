#include "windows/WaitRun.h"

#include <memory>

#include <commctrl.h>

#include "platform/AppError.h"
#include "platform/WinUtil.h"
#include "resources/ids.h"
#include "windows/ScreenMonitorManager.h"
#include "windows/WindowLayout.h"

TFWaitRun* FWaitRun = nullptr;

namespace {

// Layout for 144 pixels per inch.
constexpr int ClientWidth = 471;
constexpr int ClientHeight = 59;
constexpr int InnerBorder = 2;
constexpr int BarHeight = 30;
constexpr int FontPixels = 20;

// Single fixed border, a caption without buttons.
constexpr DWORD FormStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD FormExStyle = WS_EX_TOPMOST | WS_EX_DLGMODALFRAME;

}  // namespace

TFWaitRun::~TFWaitRun() {
    if (FHandle) FormDestroy();
    DestroyHandle();
}

int TFWaitRun::Scaled(int value) const { return ScaleToDpi(value, FDpi, WaitRunDesignDpi); }

void TFWaitRun::Create(HINSTANCE instance) {
    const TWindowClassSpec spec{ClassName(), nullptr, nullptr, nullptr,
                                reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)};
    if (!RegisterWindowClass(instance, spec)) throw EAppError(L"Не удалось зарегистрировать окно запуска");
    CreateScreenManager();
    FDpi = WorkingDpi();

    LOGFONTW lf{};
    lf.lfHeight = -Scaled(FontPixels);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = RUSSIAN_CHARSET;
    wcscpy_s(lf.lfFaceName, L"Tahoma");
    FFont.Reset(CreateFontIndirectW(&lf));

    RECT r{0, 0, Scaled(ClientWidth), Scaled(ClientHeight)};
    AdjustWindowRectEx(&r, FormStyle, FALSE, FormExStyle);
    CreateHandle(FormExStyle, ClassName(), L"Запуск Велитор-Vudeze...", FormStyle, 0, 0,
                 r.right - r.left, r.bottom - r.top, nullptr, instance);
    if (!FHandle) throw EAppError(L"Не удалось создать окно запуска");
    FormCreate();
}

void TFWaitRun::OnCreate() {
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(FHandle, GWLP_HINSTANCE));
    const int border = Scaled(InnerBorder);
    const int cw = Scaled(ClientWidth), ch = Scaled(ClientHeight), bar = Scaled(BarHeight);
    LblProgress = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                                  border, border, cw - 2 * border, ch - 2 * border - bar, FHandle,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LBLPROGRESS)),
                                  instance, nullptr);
    ProgressBar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | PBS_SMOOTH,
                                  border, ch - border - bar, cw - 2 * border, bar, FHandle,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PROGRESSBAR)),
                                  instance, nullptr);
    if (!LblProgress || !ProgressBar) throw EAppError(L"Не удалось создать окно запуска");
    SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
    SendMessageW(LblProgress, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
    SendMessageW(ProgressBar, PBM_SETRANGE32, 0, 25);
    SendMessageW(ProgressBar, PBM_SETSTEP, 1, 0);
}

void TFWaitRun::FormCreate() {
    SendMessageW(ProgressBar, PBM_SETPOS, 0, 0);
    SetWindowTextW(FHandle, WaitRunTitle(typemessage).c_str());
    const TMonitor m = myScreen->GetMonitor(myScreen->Monitornumber);
    RECT r{};
    GetWindowRect(FHandle, &r);
    const TWindowPos pos =
        WaitRunPos(m.Left, m.Top, m.Width, m.Height, r.right - r.left, r.bottom - r.top);
    SetWindowPos(FHandle, HWND_TOPMOST, pos.Left, pos.Top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

void TFWaitRun::FormShow() { SetWindowTextW(FHandle, WaitRunTitle(typemessage).c_str()); }

void TFWaitRun::Next(int, const std::wstring& msg) {
    try {
        SendMessageW(ProgressBar, PBM_STEPIT, 0, 0);
        SetWindowTextW(LblProgress, msg.c_str());
        ProcessMessages();
    } catch (...) {
        // Progress display is a courtesy; it never stops the caller.
    }
}

LRESULT TFWaitRun::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SHOWWINDOW && wParam) FormShow();
    return DefWindowProcW(FHandle, msg, wParam, lParam);
}

void CreateWaitRun(HINSTANCE instance) {
    if (FWaitRun) return;
    auto w = std::make_unique<TFWaitRun>();
    w->Create(instance);
    FWaitRun = w.release();
}

void DestroyWaitRun() {
    delete FWaitRun;
    FWaitRun = nullptr;
}
