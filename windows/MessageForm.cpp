#include "windows/MessageForm.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "platform/AppError.h"
#include "resources/ids.h"
#include "windows/ApplicationWindow.h"
#include "windows/ScreenMonitorManager.h"

namespace {

constexpr UINT_PTR StayUpTimerId = 1;
constexpr UINT_PTR StopTimerId = 2;

// Layout for 96 pixels per inch.
constexpr int ClientWidth = 446;
constexpr int ButtonsHeight = 24;
constexpr int CancelWidth = 73;
constexpr int OKWidth = 70;
constexpr int CloseHeight = 16;
constexpr int StopWidth = 80;
constexpr int CloseLabelWidth = 107;
constexpr int SecLabelWidth = 22;
constexpr int GlyphSize = 16;
// Not scaled: the gap above the countdown strip.
constexpr int StripGap = 2;

constexpr DWORD FormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD FormExStyle = WS_EX_TOPMOST | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

double NowDays() { return static_cast<double>(GetTickCount64()) / 86400000.0; }

HFONT MakeTahoma(int points, int dpi) {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(points, dpi, 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    wcscpy_s(lf.lfFaceName, L"Tahoma");
    return CreateFontIndirectW(&lf);
}

void RegisterFormClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExW(instance, TFMessageform::ClassName(), &wc)) return;
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = TFMessageform::ClassName();
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw EAppError(L"Не удалось зарегистрировать окно сообщения");
}

// Glyph number `index` drawn on a magenta key colour: 0 a red cross
// (cancel), 1 a blue question mark, 2 a green tick (OK).
void DrawGlyph(HDC dc, int index, int size) {
    RECT all{0, 0, size, size};
    HBRUSH key = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &all, key);
    DeleteObject(key);
    const int w = std::max(2, size / 6);
    const COLORREF colour = index == 0 ? RGB(200, 30, 30) : index == 1 ? RGB(30, 70, 200)
                                                                        : RGB(20, 150, 40);
    const LOGBRUSH brush{BS_SOLID, colour, 0};
    HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND,
                            static_cast<DWORD>(w), &brush, 0, nullptr);
    HGDIOBJ old = SelectObject(dc, pen);
    const int m = size / 4, s = size;
    if (index == 0) {
        MoveToEx(dc, m, m, nullptr);
        LineTo(dc, s - m, s - m);
        MoveToEx(dc, s - m, m, nullptr);
        LineTo(dc, m, s - m);
    } else if (index == 1) {
        Arc(dc, m, m / 2, s - m, s / 2 + m / 2, s - m, s / 2, m, s / 2);
        MoveToEx(dc, s - m, s / 3, nullptr);
        LineTo(dc, s / 2, s / 2 + m / 2);
        LineTo(dc, s / 2, s - m - w);
        MoveToEx(dc, s / 2, s - m / 2, nullptr);
        LineTo(dc, s / 2, s - m / 2);
    } else {
        MoveToEx(dc, m - m / 2, s / 2, nullptr);
        LineTo(dc, s / 2 - m / 2, s - m);
        LineTo(dc, s - m / 2, m);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
}

HIMAGELIST MakeGlyphList(int size, int first, int count) {
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, count, 0);
    if (!list) return nullptr;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    for (int i = first; i < first + count; ++i) {
        HBITMAP bmp = CreateCompatibleBitmap(screen, size, size);
        HGDIOBJ old = SelectObject(dc, bmp);
        DrawGlyph(dc, i, size);
        SelectObject(dc, old);
        ImageList_AddMasked(list, bmp, RGB(255, 0, 255));
        DeleteObject(bmp);
    }
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return list;
}

void SetButtonGlyph(HWND button, HIMAGELIST list) {
    if (!list) return;
    BUTTON_IMAGELIST bil{};
    bil.himl = list;
    bil.margin = {2, 0, 2, 0};
    bil.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
    // Needs common controls 6; older buttons just keep their caption.
    SendMessageW(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&bil));
}

// Windows disabled while a modal window runs, enabled again afterwards.
class TModalDisabler {
public:
    explicit TModalDisabler(HWND modal) : FModal(modal) {
        EnumThreadWindows(GetCurrentThreadId(), &Disable, reinterpret_cast<LPARAM>(this));
    }
    ~TModalDisabler() {
        for (HWND w : FDisabled)
            if (IsWindow(w)) EnableWindow(w, TRUE);
    }
    TModalDisabler(const TModalDisabler&) = delete;
    TModalDisabler& operator=(const TModalDisabler&) = delete;

private:
    HWND FModal;
    std::vector<HWND> FDisabled;
    static BOOL CALLBACK Disable(HWND w, LPARAM data) {
        auto* self = reinterpret_cast<TModalDisabler*>(data);
        if (w != self->FModal && IsWindowVisible(w) && IsWindowEnabled(w)) {
            EnableWindow(w, FALSE);
            self->FDisabled.push_back(w);
        }
        return TRUE;
    }
};

}  // namespace

TFMessageform::TFMessageform() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterFormClass(instance);
    FDpi = WorkingDpi();
    RECT r{0, 0, Scaled(ClientWidth), Scaled(200)};
    AdjustWindowRectEx(&r, FormStyle, FALSE, FormExStyle);
    // Owned by the application window: no taskbar button of its own.
    FHandle = CreateWindowExW(FormExStyle, ClassName(), L"", FormStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, ApplicationHandle(),
                              nullptr, instance, nullptr);
    if (!FHandle) throw EAppError(L"Не удалось создать окно сообщения");
    SetWindowLongPtrW(FHandle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(FHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WndProc));
    FFont = MakeTahoma(8, FDpi);
    FMessageFont = MakeTahoma(10, FDpi);
    SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont), FALSE);
    CreateControls();
    CreateGlyphs();
}

TFMessageform::~TFMessageform() {
    if (FHandle) {
        KillTimer(FHandle, StayUpTimerId);
        KillTimer(FHandle, StopTimerId);
        SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
        DestroyWindow(FHandle);
    }
    if (FOKGlyph) ImageList_Destroy(FOKGlyph);
    if (FCancelGlyph) ImageList_Destroy(FCancelGlyph);
    if (FImages) ImageList_Destroy(FImages);
    if (FFont) DeleteObject(FFont);
    if (FMessageFont) DeleteObject(FMessageFont);
}

void TFMessageform::CreateControls() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    auto make = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
        HWND w = CreateWindowExW(0, cls, text, WS_CHILD | WS_CLIPSIBLINGS | style, 0, 0, 10, 10,
                                 FHandle, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 instance, nullptr);
        if (!w) throw EAppError(L"Не удалось создать окно сообщения");
        SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(FFont), FALSE);
        return w;
    };
    // The panels are plain statics under their controls, all children of the
    // window itself, so a control is found by its id directly.
    pnlButtons = make(L"STATIC", L"", WS_VISIBLE, IDC_PNLBUTTONS);
    pnlClose = make(L"STATIC", L"", 0, IDC_PNLCLOSE);
    lblMessage = make(L"STATIC", L"", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, IDC_LBLMESSAGE);
    btnCancel = make(L"BUTTON", L"Отмена", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                     IDC_BTNCANCEL_MSG);
    btnOK = make(L"BUTTON", L"OK", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, IDC_BTNOK);
    btnStop = make(L"BUTTON", L"остановить", WS_TABSTOP | BS_PUSHBUTTON, IDC_BTNSTOP);
    lblClose = make(L"STATIC", L"Окно закроется через", SS_CENTER | SS_NOPREFIX, IDC_LBLCLOSE);
    lblSec = make(L"STATIC", L"  сек", SS_LEFTNOWORDWRAP | SS_NOPREFIX, IDC_LBLSEC);
    SendMessageW(lblMessage, WM_SETFONT, reinterpret_cast<WPARAM>(FMessageFont), FALSE);
    // Panels lie beneath their controls.
    SetWindowPos(pnlButtons, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(pnlClose, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TFMessageform::CreateGlyphs() {
    const int size = Scaled(GlyphSize);
    FImages = MakeGlyphList(size, 0, 3);
    // A button takes a list per state or one image for all: one each.
    FCancelGlyph = MakeGlyphList(size, 0, 1);
    FOKGlyph = MakeGlyphList(size, 2, 1);
    SetButtonGlyph(btnCancel, FCancelGlyph);
    SetButtonGlyph(btnOK, FOKGlyph);
}

int TFMessageform::TextWidth(const std::wstring& text) const {
    HDC dc = GetDC(FHandle);
    HGDIOBJ old = SelectObject(dc, FFont);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(FHandle, dc);
    return size.cx;
}

int TFMessageform::MessageLabelHeight() const {
    RECT client{};
    GetClientRect(FHandle, &client);
    HDC dc = GetDC(lblMessage);
    HGDIOBJ old = SelectObject(dc, FMessageFont);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    RECT r{0, 0, client.right, 0};
    const std::wstring text = FMessageText.empty() ? std::wstring(L" ") : FMessageText;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(lblMessage, dc);
    return std::max<int>(r.bottom - r.top, tm.tmHeight);
}

// The strips sit at the bottom edge: the countdown strip lowest, the buttons
// above it; without the countdown the buttons move down to the edge.
void TFMessageform::LayoutStrips() {
    RECT client{};
    GetClientRect(FHandle, &client);
    const int cw = client.right;
    const int bh = Scaled(ButtonsHeight), ch = Scaled(CloseHeight);
    // The style bit, not IsWindowVisible: the form itself may still be hidden.
    const bool strip = (GetWindowLongPtrW(pnlClose, GWL_STYLE) & WS_VISIBLE) != 0;
    const int closeTop = client.bottom - ch;
    const int buttonsTop = strip ? closeTop - StripGap - bh : client.bottom - bh;
    MoveWindow(pnlButtons, 0, buttonsTop, cw, bh, TRUE);
    MoveWindow(btnCancel, 0, buttonsTop, Scaled(CancelWidth), bh, TRUE);
    MoveWindow(btnOK, cw - Scaled(OKWidth), buttonsTop, Scaled(OKWidth), bh, TRUE);
    MoveWindow(pnlClose, 0, closeTop, cw, ch, TRUE);
    // A font wider than the one the sizes were chosen for must not cut the
    // strip's texts: the labels widen to their text.
    const int stopW = Scaled(StopWidth);
    const int closeW = std::max(Scaled(CloseLabelWidth), TextWidth(L"Окно закроется через") + 4);
    const int secW = std::max(Scaled(SecLabelWidth),
                              TextWidth(CountdownCaption(StopTimerInterval / 1000)) + 2);
    MoveWindow(btnStop, 0, closeTop, stopW, ch, TRUE);
    MoveWindow(lblClose, stopW, closeTop, closeW, ch, TRUE);
    MoveWindow(lblSec, stopW + closeW, closeTop, secW, ch, TRUE);
}

bool TFMessageform::Showmes(const std::wstring& Text, TMessageType tip,
                            const std::wstring& CaptionText, bool smodal) {
    FShowResult = false;
    FMessageTtype = tip;
    FMessageText = Text;
    FCaptionText = CaptionText;
    Fsmodal = smodal;
    ShowWindow(btnCancel, tip == mtDialog ? SW_SHOWNA : SW_HIDE);
    ShowWindow(btnOK, SW_SHOWNA);
    if (Fsmodal) {
        RunModal();
    } else {
        FormShow();
        FClosed = false;
        ShowWindow(FHandle, SW_SHOW);
    }
    InvalidateRect(FHandle, nullptr, TRUE);
    return FShowResult;
}

void TFMessageform::FormShow() {
    SetTimer(FHandle, StayUpTimerId, StayUpTimerInterval, nullptr);
    SetTimer(FHandle, StopTimerId, static_cast<UINT>(StopTimerInterval), nullptr);
    for (HWND w : {pnlClose, btnStop, lblClose, lblSec}) ShowWindow(w, SW_SHOWNA);
    SendMessageW(lblMessage, WM_SETFONT, reinterpret_cast<WPARAM>(FMessageFont), FALSE);
    SetWindowTextW(lblMessage, FMessageText.c_str());
    SetWindowTextW(FHandle, FCaptionText.c_str());

    const int labelHeight = MessageLabelHeight();
    const int bh = Scaled(ButtonsHeight), ch = Scaled(CloseHeight);
    RECT frame{0, 0, Scaled(ClientWidth), 0};
    AdjustWindowRectEx(&frame, FormStyle, FALSE, FormExStyle);
    const int frameHeight = frame.bottom - frame.top;
    const int width = frame.right - frame.left;
    // The fixed allowance suits an ordinary title bar; a taller one (large
    // DPI) must not push the strips over the text.
    const int height = std::max(MessageWindowHeight(labelHeight, bh, ch),
                                frameHeight + labelHeight + bh + StripGap + ch);

    const TMonitor monitor = myScreen->GetMonitor(myScreen->Monitornumber);
    const TWindowPos pos =
        MessageWindowPos(myScreen->Width, myScreen->Height, monitor.Left, width, height);
    SetWindowPos(FHandle, HWND_TOPMOST, pos.Left, pos.Top, width, height, SWP_NOACTIVATE);

    RECT client{};
    GetClientRect(FHandle, &client);
    MoveWindow(lblMessage, 0, 0, client.right, labelHeight, TRUE);
    LayoutStrips();
    BringToFront();
    tt = NowDays();
}

void TFMessageform::BringToFront() {
    SetWindowPos(FHandle, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TFMessageform::StayUpTimerTimer() {
    if (!IsWindowVisible(FHandle)) return;
    BringToFront();
    const int remaining = CountdownRemaining(StopTimerInterval, NowDays() - tt);
    SetWindowTextW(lblSec, CountdownCaption(remaining).c_str());
}

void TFMessageform::StopTimerTimer() { btnCancelClick(); }

void TFMessageform::btnOKClick() {
    FShowResult = true;
    CloseForm();
}

void TFMessageform::btnCancelClick() {
    FShowResult = false;
    CloseForm();
}

void TFMessageform::btnStopClick() {
    KillTimer(FHandle, StopTimerId);
    for (HWND w : {btnStop, lblClose, lblSec, pnlClose}) ShowWindow(w, SW_HIDE);
    if (GetFocus() == btnStop || GetFocus() == nullptr) SetFocus(btnOK);
    LayoutStrips();
}

void TFMessageform::CloseForm() {
    KillTimer(FHandle, StayUpTimerId);
    KillTimer(FHandle, StopTimerId);
    FClosed = true;
    if (!Fsmodal) ShowWindow(FHandle, SW_HIDE);
}

void TFMessageform::RunModal() {
    FClosed = false;
    FPending = nullptr;
    {
        // Like any modal window: the program's other windows take no input meanwhile.
        TModalDisabler disabler(FHandle);
        FormShow();
        ShowWindow(FHandle, SW_SHOW);
        // Painted before anything else runs, so it never shows half drawn.
        UpdateWindow(FHandle);
        SetForegroundWindow(FHandle);
        SetFocus(btnOK);
        MSG msg;
        while (!FClosed) {
            const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got == 0) {
                // Leave the quit request for the main loop; the message is dismissed.
                PostQuitMessage(static_cast<int>(msg.wParam));
                btnCancelClick();
                break;
            }
            if (got == -1) {
                btnCancelClick();
                break;
            }
            if (!IsDialogMessageW(FHandle, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        KillTimer(FHandle, StayUpTimerId);
        KillTimer(FHandle, StopTimerId);
    }
    // The owner windows are enabled again before this one hides, so activation
    // returns to them.
    ShowWindow(FHandle, SW_HIDE);
    if (FPending) std::rethrow_exception(std::exchange(FPending, nullptr));
}

LRESULT TFMessageform::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_TIMER:
            if (wParam == StayUpTimerId) StayUpTimerTimer();
            else if (wParam == StopTimerId) StopTimerTimer();
            return 0;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            if (code != BN_CLICKED) break;
            if (id == IDC_BTNOK || id == IDOK) btnOKClick();
            else if (id == IDC_BTNCANCEL_MSG || id == IDCANCEL) btnCancelClick();
            else if (id == IDC_BTNSTOP) btnStopClick();
            return 0;
        }
        case WM_CLOSE:
            // The close box: like "Отмена".
            btnCancelClick();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(FHandle, msg, wParam, lParam);
}

LRESULT CALLBACK TFMessageform::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TFMessageform*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    try {
        return self->HandleMessage(msg, wParam, lParam);
    } catch (...) {
        // No exception may cross the system's window code: keep it for the caller.
        if (!self->FPending) self->FPending = std::current_exception();
        self->btnCancelClick();
        return 0;
    }
}

bool ShowMessageWindow(const std::wstring& Text, TMessageType Kind, const std::wstring& Caption,
                       int Seconds) {
    const int period = StopPeriodForSeconds(Seconds);
    CreateScreenManager();
    auto form = std::make_unique<TFMessageform>();
    form->StopTimerInterval = period;
    return form->Showmes(Text, Kind, Caption, true);
}
