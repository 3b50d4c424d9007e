#include "app/ControlFrames.h"

#include <commctrl.h>

#include "app/HotTracking.h"
#include "platform/Gdi.h"

namespace {

constexpr COLORREF kFrameHot = RGB(0, 128, 255);
constexpr UINT_PTR kFrameSubclass = 2, kStripSubclass = 3;

void DrawFlatFrame(HWND hwnd, DWORD_PTR normal, HDC dc, RECT rc, bool twoPixelEdge) {
    const bool hot = IsHot(hwnd);
    const TBrush frame(CreateSolidBrush(hot ? kFrameHot : static_cast<COLORREF>(normal)));
    FrameRect(dc, &rc, frame.Get());
    if (twoPixelEdge) {
        InflateRect(&rc, -1, -1);
        FrameRect(dc, &rc, GetSysColorBrush(COLOR_WINDOW));
    }
}

// Flat frame of an edit box or list box: `normal` colour, kFrameHot under the
// mouse. A client edge is two pixels of the non-client area (the inner one
// becomes the window colour); an edit box turns WS_BORDER into a one-pixel
// border inside its client area, drawn over after the control has painted.
LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR normal) {
    switch (msg) {
    case WM_NCPAINT: {
        LRESULT r = DefSubclassProc(hwnd, msg, wParam, lParam);  // scroll bars
        RECT rc;
        GetWindowRect(hwnd, &rc);
        OffsetRect(&rc, -rc.left, -rc.top);
        RECT client;
        GetClientRect(hwnd, &client);
        if (rc.right > client.right || rc.bottom > client.bottom) {
            if (const TWindowDC dc(hwnd, true); dc)
                DrawFlatFrame(hwnd, normal, dc.Get(), rc,
                              (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0);
        }
        return r;
    }
    case WM_PAINT: {
        LRESULT r = DefSubclassProc(hwnd, msg, wParam, lParam);
        RECT rc, client;
        GetWindowRect(hwnd, &rc);
        GetClientRect(hwnd, &client);
        if (rc.right - rc.left == client.right && rc.bottom - rc.top == client.bottom) {
            if (const TWindowDC dc(hwnd); dc) DrawFlatFrame(hwnd, normal, dc.Get(), client, false);
        }
        return r;
    }
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
        if (!IsHot(hwnd)) {
            SetHot(hwnd, true, msg == WM_NCMOUSEMOVE ? TME_LEAVE | TME_NONCLIENT : TME_LEAVE);
            RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
        }
        break;
    case WM_MOUSELEAVE:
    case WM_NCMOUSELEAVE:
        // Leaving the client area for the frame or a scroll bar is not leaving.
        ClearHot(hwnd);
        if (CursorOver(hwnd)) {
            SetHot(hwnd, true, msg == WM_MOUSELEAVE ? TME_LEAVE | TME_NONCLIENT : TME_LEAVE);
        } else {
            RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
        }
        break;
    case WM_NCDESTROY:
        ClearHot(hwnd);
        RemoveWindowSubclass(hwnd, FrameProc, kFrameSubclass);
        break;
    default: break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

// The path strip: a white field with a 2 px rounded border in `border`.
LRESULT CALLBACK StripProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR border) {
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        const TPaintDC paint(hwnd);
        const HDC dc = paint.Get();
        RECT rc;
        GetClientRect(hwnd, &rc);
        // Around the rounded border: the panel colour, which is also the border's.
        const TBrush back(CreateSolidBrush(static_cast<COLORREF>(border)));
        FillRect(dc, &rc, back.Get());
        const TPen pen(CreatePen(PS_INSIDEFRAME, 2, static_cast<COLORREF>(border)));
        const TSelectObject usePen(dc, pen.Get());
        const TSelectObject useBrush(dc, GetSysColorBrush(COLOR_WINDOW));
        RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, 8, 8);
        return 0;
    }
    case WM_NCDESTROY: RemoveWindowSubclass(hwnd, StripProc, kStripSubclass); break;
    default: break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}


}  // namespace

void AttachFlatFrame(HWND control, COLORREF normal) {
    if (!control) return;
    SetWindowSubclass(control, FrameProc, kFrameSubclass, normal);
    RedrawWindow(control, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void AttachPathStrip(HWND strip, COLORREF panel) {
    if (!strip) return;
    SetWindowLongPtrW(strip, GWL_STYLE, GetWindowLongPtrW(strip, GWL_STYLE) | WS_CLIPCHILDREN);
    SetWindowSubclass(strip, StripProc, kStripSubclass, panel);
    RedrawWindow(strip, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}
