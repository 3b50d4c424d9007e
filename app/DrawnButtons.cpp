#include "app/DrawnButtons.h"

#include <commctrl.h>

#include <vector>

#include "app/HotTracking.h"
#include "platform/Gdi.h"

namespace {

// Button look.
constexpr COLORREF kFrame = RGB(0, 60, 116);
constexpr COLORREF kFace = RGB(244, 244, 240);
constexpr COLORREF kFaceHot = RGB(228, 238, 250);
constexpr COLORREF kFacePressed = RGB(214, 224, 238);
constexpr COLORREF kSelectHighlight = RGB(106, 141, 244);
constexpr COLORREF kSelectHotTrack = RGB(255, 199, 60);
constexpr COLORREF kText = RGB(0, 32, 64);
constexpr COLORREF kTextDisabled = RGB(150, 150, 150);

constexpr UINT_PTR kButtonSubclass = 1;

COLORREF GlyphColor(TGlyph glyph) {
    switch (glyph) {
    case TGlyph::Next:
    case TGlyph::Back:
    case TGlyph::Install: return RGB(0, 128, 140);
    case TGlyph::Cancel: return RGB(176, 48, 48);
    case TGlyph::Folder: return RGB(214, 160, 40);
    default: return kFrame;
    }
}

// A 16 x 16 glyph with its top-left at (x, y): in its colour, or grey when disabled.
void DrawGlyph(HDC dc, TGlyph glyph, int x, int y, bool enabled) {
    const COLORREF color = enabled ? GlyphColor(glyph) : RGB(176, 176, 176);
    const TPen pen(CreatePen(PS_SOLID, glyph == TGlyph::Folder ? 1 : 2, color));
    const TBrush brush(CreateSolidBrush(color));
    const TSelectObject usePen(dc, pen.Get()), useBrush(dc, brush.Get());
    auto poly = [&](std::initializer_list<POINT> pts, bool fill) {
        std::vector<POINT> v;
        for (POINT p : pts) v.push_back({x + p.x, y + p.y});
        if (fill)
            Polygon(dc, v.data(), int(v.size()));
        else
            Polyline(dc, v.data(), int(v.size()));
    };
    switch (glyph) {
    case TGlyph::Next: poly({{2, 6}, {8, 6}, {8, 2}, {14, 8}, {8, 14}, {8, 10}, {2, 10}}, true); break;
    case TGlyph::Back: poly({{14, 6}, {8, 6}, {8, 2}, {2, 8}, {8, 14}, {8, 10}, {14, 10}}, true); break;
    case TGlyph::Cancel:
        poly({{4, 4}, {13, 13}}, false);
        poly({{12, 4}, {3, 13}}, false);
        break;
    case TGlyph::Install: poly({{2, 8}, {6, 12}, {14, 3}}, false); break;
    case TGlyph::Exit:
        poly({{9, 3}, {3, 3}, {3, 13}, {9, 13}}, false);
        poly({{6, 8}, {12, 8}}, false);
        poly({{11, 4}, {15, 8}, {11, 12}}, true);
        break;
    case TGlyph::Font:
        poly({{2, 14}, {8, 2}, {14, 14}}, false);
        poly({{5, 10}, {11, 10}}, false);
        break;
    case TGlyph::Folder: poly({{1, 4}, {6, 4}, {8, 6}, {15, 6}, {15, 13}, {1, 13}}, true); break;
    case TGlyph::None: break;
    }
}

// Owner-drawn buttons: hot tracking under the mouse.
LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (msg) {
    case WM_MOUSEMOVE:
        if (!IsHot(hwnd)) {
            SetHot(hwnd, true, TME_LEAVE);
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        break;
    case WM_MOUSELEAVE:
        SetHot(hwnd, false, 0);
        InvalidateRect(hwnd, nullptr, FALSE);
        break;
    case WM_ERASEBKGND: return 1;  // the owner draws every pixel
    case WM_NCDESTROY:
        ClearHot(hwnd);
        RemoveWindowSubclass(hwnd, ButtonProc, kButtonSubclass);
        break;
    default: break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace

void AttachDrawnButton(HWND button) {
    if (!button) return;
    SetWindowSubclass(button, ButtonProc, kButtonSubclass, 0);
    InvalidateRect(button, nullptr, FALSE);
}

bool DrawOwnerButton(const DRAWITEMSTRUCT& item, TGlyph glyph, bool inPathStrip, COLORREF panel,
                     bool isDefault) {
    if (item.CtlType != ODT_BUTTON) return false;
    HWND button = item.hwndItem;
    const bool select = inPathStrip;
    const bool hot = IsHot(button);
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const bool focus = (item.itemState & ODS_FOCUS) != 0;

    const RECT full = item.rcItem;
    const int w = full.right - full.left, h = full.bottom - full.top;
    if (w <= 0 || h <= 0) return true;

    // Drawn off-screen first so the button never flickers.
    const TBitmapHandle bitmap(CreateCompatibleBitmap(item.hDC, w, h));
    const TMemoryDC mem(item.hDC);
    const TSelectObject useBitmap(mem.Get(), bitmap.Get());
    const HDC dc = mem.Get();
    RECT rc = {0, 0, w, h};

    {
        const TBrush back(CreateSolidBrush(select ? GetSysColor(COLOR_WINDOW) : panel));
        FillRect(dc, &rc, back.Get());
    }

    COLORREF face = kFace;
    if (!disabled) {
        if (select && pressed) face = kSelectHighlight;
        else if (pressed) face = kFacePressed;
        else if (hot && !select) face = kFaceHot;
    }
    // The default button (Enter presses it) keeps the thick frame.
    const bool thick = !disabled && (hot || isDefault);
    const COLORREF frame = (select && hot && !disabled) ? kSelectHotTrack : kFrame;
    {
        const TPen pen(CreatePen(PS_INSIDEFRAME, thick ? 2 : 1, frame));
        const TBrush brush(CreateSolidBrush(face));
        const TSelectObject usePen(dc, pen.Get()), useBrush(dc, brush.Get());
        RoundRect(dc, 0, 0, w, h, 6, 6);
    }

    // Glyph and caption, centred together; pressed content moves by a pixel.
    wchar_t caption[128] = {};
    GetWindowTextW(button, caption, 128);
    TSelectObject useFont(dc, reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)));
    RECT textRc = {0, 0, 0, 0};
    DrawTextW(dc, caption, -1, &textRc, DT_CALCRECT | DT_SINGLELINE);
    const int glyphW = glyph == TGlyph::None ? 0 : 16 + 6;
    const int shift = pressed ? 1 : 0;
    const int left = (w - glyphW - (textRc.right - textRc.left)) / 2 + shift;
    if (glyph != TGlyph::None) DrawGlyph(dc, glyph, left, (h - 16) / 2 + shift, !disabled);
    RECT textAt = {left + glyphW, shift, w, h + shift};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, disabled ? kTextDisabled : (select && pressed) ? RGB(255, 255, 255) : kText);
    DrawTextW(dc, caption, -1, &textAt, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    useFont.Restore();

    // Keyboard focus is always marked, also for mouse users.
    if (focus) {
        RECT f = rc;
        InflateRect(&f, -3, -3);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        DrawFocusRect(dc, &f);
    }
    BitBlt(item.hDC, full.left, full.top, w, h, dc, 0, 0, SRCCOPY);
    return true;
}
