#include "app/Decoration.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/Main.h"
#include "app/PngImage.h"
#include "platform/AppError.h"
#include "platform/SystemLibrary.h"
#include "resources/ids.h"

const std::array<const wchar_t*, kDecorImageCount> kDecorResourceNames = {
    L"BACKGROUND", L"MAIN", L"LOGO", L"TITLE_PNL_L", L"TITLE_PNL_R", L"TITLE_PNL_M", L"TITLE2"};

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
// Control frames.
constexpr COLORREF kFrameHot = RGB(0, 128, 255);

constexpr wchar_t kHotProp[] = L"DecoHot";
constexpr UINT_PTR kButtonSubclass = 1, kFrameSubclass = 2, kStripSubclass = 3;

// Resource bytes of the program's module; nullptr when there is no such resource.
std::span<const uint8_t> ResourceBytes(HMODULE module, const wchar_t* name) {
    if (!module) module = GetModuleHandleW(nullptr);
    HRSRC res = FindResourceW(module, name, MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!res) return {};
    HGLOBAL handle = LoadResource(module, res);
    const void* data = handle ? LockResource(handle) : nullptr;
    if (!data) return {};
    return {static_cast<const uint8_t*>(data), SizeofResource(module, res)};
}

// A memory DC with a bitmap selected, restored and freed on scope exit.
// With ownsBitmap the bitmap is deleted too, after it has been deselected.
class TMemoryDC {
public:
    TMemoryDC(HDC like, HBITMAP bitmap, bool ownsBitmap = false)
        : FDC(CreateCompatibleDC(like)), FBitmap(ownsBitmap ? bitmap : nullptr) {
        if (FDC && bitmap) FOld = SelectObject(FDC, bitmap);
    }
    ~TMemoryDC() {
        if (FOld) SelectObject(FDC, FOld);
        if (FDC) DeleteDC(FDC);
        if (FBitmap) DeleteObject(FBitmap);
    }
    TMemoryDC(const TMemoryDC&) = delete;
    TMemoryDC& operator=(const TMemoryDC&) = delete;
    HDC Get() const { return FDC; }

private:
    HDC FDC;
    HBITMAP FBitmap;
    HGDIOBJ FOld = nullptr;
};

// ---- glyphs ------------------------------------------------------------------

enum class TGlyph { None, Next, Back, Cancel, Install, Exit, Font, Folder };

TGlyph GlyphOf(int id) {
    switch (id) {
    case IDC_BTNSTARTNEXT:
    case IDC_BTNINPUTPATHNEXT: return TGlyph::Next;
    case IDC_BTNINPUTCOMPONENTSBACK: return TGlyph::Back;
    case IDC_BTNCANCEL:
    case IDC_BTNCANCEL2:
    case IDC_BTNCANCEL4: return TGlyph::Cancel;
    case IDC_BTNINSATALL: return TGlyph::Install;
    case IDC_BTNEXIT:
    case IDC_BTNEXITCANCEL:
    case IDC_BTNEXITONCHANGEFONT: return TGlyph::Exit;
    case IDC_BTNCHANGEFONT: return TGlyph::Font;
    case IDC_BTNSELECTPATH: return TGlyph::Folder;
    default: return TGlyph::None;
    }
}

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
    HPEN pen = CreatePen(PS_SOLID, glyph == TGlyph::Folder ? 1 : 2, color);
    HBRUSH brush = CreateSolidBrush(color);
    HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, brush);
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
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

// ---- subclasses ----------------------------------------------------------------

void SetHot(HWND hwnd, bool hot, DWORD trackFlags) {
    const bool was = GetPropW(hwnd, kHotProp) != nullptr;
    if (hot == was) return;
    if (hot) {
        SetPropW(hwnd, kHotProp, reinterpret_cast<HANDLE>(1));
        TRACKMOUSEEVENT tme = {sizeof(tme), trackFlags, hwnd, 0};
        TrackMouseEvent(&tme);
    } else {
        RemovePropW(hwnd, kHotProp);
    }
}

bool CursorOver(HWND hwnd) {
    POINT pt;
    RECT rc;
    return GetCursorPos(&pt) && GetWindowRect(hwnd, &rc) && PtInRect(&rc, pt);
}

// Owner-drawn buttons: hot tracking under the mouse.
LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (msg) {
    case WM_MOUSEMOVE:
        if (!GetPropW(hwnd, kHotProp)) {
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
        RemovePropW(hwnd, kHotProp);
        RemoveWindowSubclass(hwnd, ButtonProc, kButtonSubclass);
        break;
    default: break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

void DrawFlatFrame(HWND hwnd, DWORD_PTR normal, HDC dc, RECT rc, bool twoPixelEdge) {
    const bool hot = GetPropW(hwnd, kHotProp) != nullptr;
    HBRUSH frame = CreateSolidBrush(hot ? kFrameHot : static_cast<COLORREF>(normal));
    FrameRect(dc, &rc, frame);
    DeleteObject(frame);
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
            if (HDC dc = GetWindowDC(hwnd)) {
                DrawFlatFrame(hwnd, normal, dc, rc,
                              (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0);
                ReleaseDC(hwnd, dc);
            }
        }
        return r;
    }
    case WM_PAINT: {
        LRESULT r = DefSubclassProc(hwnd, msg, wParam, lParam);
        RECT rc, client;
        GetWindowRect(hwnd, &rc);
        GetClientRect(hwnd, &client);
        if (rc.right - rc.left == client.right && rc.bottom - rc.top == client.bottom) {
            if (HDC dc = GetDC(hwnd)) {
                DrawFlatFrame(hwnd, normal, dc, client, false);
                ReleaseDC(hwnd, dc);
            }
        }
        return r;
    }
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
        if (!GetPropW(hwnd, kHotProp)) {
            SetHot(hwnd, true, msg == WM_NCMOUSEMOVE ? TME_LEAVE | TME_NONCLIENT : TME_LEAVE);
            RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
        }
        break;
    case WM_MOUSELEAVE:
    case WM_NCMOUSELEAVE:
        // Leaving the client area for the frame or a scroll bar is not leaving.
        RemovePropW(hwnd, kHotProp);
        if (CursorOver(hwnd)) {
            SetHot(hwnd, true, msg == WM_MOUSELEAVE ? TME_LEAVE | TME_NONCLIENT : TME_LEAVE);
        } else {
            RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
        }
        break;
    case WM_NCDESTROY:
        RemovePropW(hwnd, kHotProp);
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
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        const COLORREF outside = FMain ? FMain->PanelColor() : static_cast<COLORREF>(border);
        HBRUSH back = CreateSolidBrush(outside);
        FillRect(dc, &rc, back);
        DeleteObject(back);
        HPEN pen = CreatePen(PS_INSIDEFRAME, 2, static_cast<COLORREF>(border));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        HGDIOBJ oldBrush = SelectObject(dc, GetSysColorBrush(COLOR_WINDOW));
        RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, 8, 8);
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(pen);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_NCDESTROY: RemoveWindowSubclass(hwnd, StripProc, kStripSubclass); break;
    default: break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

struct TStreamCursor {
    std::span<const uint8_t> Data;
    size_t Pos = 0;
};

DWORD CALLBACK ReadStream(DWORD_PTR cookie, LPBYTE buffer, LONG want, LONG* got) {
    auto* cursor = reinterpret_cast<TStreamCursor*>(cookie);
    const size_t n = std::min(cursor->Data.size() - cursor->Pos, static_cast<size_t>(want));
    std::memcpy(buffer, cursor->Data.data() + cursor->Pos, n);
    cursor->Pos += n;
    *got = static_cast<LONG>(n);
    return 0;
}

}  // namespace

// ---- bitmaps -------------------------------------------------------------------

TBitmap32::~TBitmap32() {
    if (FBitmap) DeleteObject(FBitmap);
}

void TBitmap32::SetSize(int width, int height) {
    if (FBitmap) DeleteObject(FBitmap);
    FBitmap = nullptr;
    FBits = nullptr;
    FWidth = FHeight = 0;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    FBitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!FBitmap || !bits) {
        FBitmap = nullptr;
        throw EAppError(L"Не удалось создать растровое изображение " + std::to_wstring(width) + L" x " +
                        std::to_wstring(height) + L".");
    }
    FBits = static_cast<uint32_t*>(bits);
    FWidth = width;
    FHeight = height;
}

void LoadPngResource(TBitmap32& bitmap, const wchar_t* name, HMODULE module) {
    const std::span<const uint8_t> data = ResourceBytes(module, name);
    if (data.empty())
        throw EAppError(L"В программе нет ресурса \"" + std::wstring(name) + L"\".");
    TPngImage image;
    try {
        image = DecodePng(data);
    } catch (const EAppError& e) {
        throw EAppError(L"Ресурс \"" + std::wstring(name) + L"\": " + e.Message());
    }
    FlattenOntoWhite(image);
    bitmap.SetSize(static_cast<int>(image.Width), static_cast<int>(image.Height));
    std::memcpy(bitmap.Bits(), image.Bgra.data(), image.Bgra.size());
}

// ---- composition ---------------------------------------------------------------

TMainDecoration::~TMainDecoration() = default;

void TMainDecoration::LoadAll(HMODULE module) {
    for (int i = 0; i < kDecorImageCount; ++i) LoadPngResource(FImages[i], kDecorResourceNames[i], module);
}

COLORREF TMainDecoration::PanelColor() const {
    const TBitmap32& title = Image(TDecorImage::Title);
    if (!title.Bits()) return GetSysColor(COLOR_BTNFACE);
    const uint32_t p = title.Pixel(0, 0);
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

const TCompositionPlan& TMainDecoration::Compose(int W, int H) {
    TDecorSizes sizes;
    for (int i = 0; i < kDecorImageCount; ++i) sizes[i] = TSize{FImages[i].Width(), FImages[i].Height()};
    FPlan = PlanComposition(W, H, sizes);
    if (FBuffer.Width() != std::max(W, 1) || FBuffer.Height() != std::max(H, 1))
        FBuffer.SetSize(std::max(W, 1), std::max(H, 1));
    // Plain opaque copies, row by row, straight into the buffer's pixels.
    for (const TBlit& blit : FPlan.Blits) {
        const TPlanRect r = ClipBlit(blit, sizes, W, H);
        if (r.Width <= 0 || r.Height <= 0) continue;
        const TBitmap32& src = Image(blit.Image);
        for (int y = r.Top; y < r.Top + r.Height; ++y)
            std::memcpy(FBuffer.Bits() + static_cast<size_t>(y) * FBuffer.Width() + r.Left,
                        src.Bits() + static_cast<size_t>(y - blit.Y) * src.Width() + (r.Left - blit.X),
                        static_cast<size_t>(r.Width) * 4);
    }
    return FPlan;
}

void TMainDecoration::Paint(HDC dc) const {
    if (!FBuffer.Handle()) return;
    TMemoryDC mem(dc, FBuffer.Handle());
    BitBlt(dc, 0, 0, FBuffer.Width(), FBuffer.Height(), mem.Get(), 0, 0, SRCCOPY);
}

// ---- information panel ---------------------------------------------------------

HWND TMainDecoration::CreateInfoPanel(HWND parent, int id, HINSTANCE instance) {
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_VSCROLL | ES_MULTILINE |
                        ES_READONLY | ES_AUTOVSCROLL;
    HWND panel = nullptr;
    // No border of its own: the framing image draws it. Newer control first;
    // the older one still reads the document.
    if (LoadSystemLibrary(L"msftedit.dll"))
        panel = CreateWindowExW(0, MSFTEDIT_CLASS, L"", style, 16, 110, 282, 441, parent,
                                reinterpret_cast<HMENU>(INT_PTR(id)), instance, nullptr);
    if (!panel && LoadSystemLibrary(L"riched20.dll"))
        panel = CreateWindowExW(0, RICHEDIT_CLASSW, L"", style, 16, 110, 282, 441, parent,
                                reinterpret_cast<HMENU>(INT_PTR(id)), instance, nullptr);
    if (!panel) return nullptr;

    CHARFORMAT2W cf = {};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_FACE | CFM_SIZE | CFM_CHARSET;
    cf.yHeight = 13 * 1440 / 96;  // 13 px in twips
    cf.bCharSet = RUSSIAN_CHARSET;
    lstrcpynW(cf.szFaceName, L"MS Sans Serif", LF_FACESIZE);
    SendMessageW(panel, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    SendMessageW(panel, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
    SendMessageW(panel, EM_SETREADONLY, TRUE, 0);
    SetInfoMargins(panel);
    return panel;
}

void TMainDecoration::SetInfoMargins(HWND richEdit) {
    RECT rc;
    GetClientRect(richEdit, &rc);
    InflateRect(&rc, -4, -4);
    SendMessageW(richEdit, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&rc));
}

void TMainDecoration::LoadInfo(HWND richEdit, HMODULE module) {
    if (!richEdit) throw EAppError(L"Не удалось создать информационную панель: нет элемента RichEdit.");
    TStreamCursor cursor{ResourceBytes(module, L"INFO"), 0};
    if (cursor.Data.empty()) throw EAppError(L"В программе нет ресурса \"INFO\".");
    EDITSTREAM es = {};
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&cursor);
    es.pfnCallback = ReadStream;
    SendMessageW(richEdit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
    if (es.dwError != 0) throw EAppError(L"Не удалось прочитать документ \"INFO\".");
    SendMessageW(richEdit, EM_SETSEL, 0, 0);
}

// ---- controls ------------------------------------------------------------------

void TMainDecoration::Attach(TFMain& form) {
    const COLORREF panel = PanelColor();
    SendMessageW(form.RichEdit1, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(panel));

    FSelectPath = form.BtnSelectPath;
    for (HWND b : {form.BtnCancel, form.BtnStartNext, form.BtnCancel2, form.BtnInputPathNext,
                   form.BtnCancel4, form.BtnInputComponentsBack, form.BtnInsatall, form.BtnExit,
                   form.BtnExitCancel, form.BtnChangeFont, form.BtnExitOnChangefont,
                   form.BtnSelectPath}) {
        if (!b) continue;
        SetWindowSubclass(b, ButtonProc, kButtonSubclass, 0);
        InvalidateRect(b, nullptr, FALSE);
    }
    if (form.ePath) SetWindowSubclass(form.ePath, FrameProc, kFrameSubclass, GetSysColor(COLOR_BTNFACE));
    if (form.LogList) SetWindowSubclass(form.LogList, FrameProc, kFrameSubclass, GetSysColor(COLOR_BTNSHADOW));
    if (form.PnlPath) {
        SetWindowLongPtrW(form.PnlPath, GWL_STYLE, GetWindowLongPtrW(form.PnlPath, GWL_STYLE) | WS_CLIPCHILDREN);
        SetWindowSubclass(form.PnlPath, StripProc, kStripSubclass, panel);
    }
    for (HWND w : {form.ePath, form.LogList, form.PnlPath})
        if (w) RedrawWindow(w, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

bool TMainDecoration::DrawItem(const DRAWITEMSTRUCT& item) const {
    if (item.CtlType != ODT_BUTTON) return false;
    HWND button = item.hwndItem;
    const bool select = button == FSelectPath;
    const bool hot = GetPropW(button, kHotProp) != nullptr;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const bool focus = (item.itemState & ODS_FOCUS) != 0;

    const RECT full = item.rcItem;
    const int w = full.right - full.left, h = full.bottom - full.top;
    if (w <= 0 || h <= 0) return true;

    // Drawn off-screen first so the button never flickers.
    TMemoryDC mem(item.hDC, CreateCompatibleBitmap(item.hDC, w, h), true);
    HDC dc = mem.Get();
    RECT rc = {0, 0, w, h};

    HBRUSH back = CreateSolidBrush(select ? GetSysColor(COLOR_WINDOW) : PanelColor());
    FillRect(dc, &rc, back);
    DeleteObject(back);

    COLORREF face = kFace;
    if (!disabled) {
        if (select && pressed) face = kSelectHighlight;
        else if (pressed) face = kFacePressed;
        else if (hot && !select) face = kFaceHot;
    }
    const bool thick = !disabled && hot;
    const COLORREF frame = (select && hot && !disabled) ? kSelectHotTrack : kFrame;
    HPEN pen = CreatePen(PS_INSIDEFRAME, thick ? 2 : 1, frame);
    HBRUSH brush = CreateSolidBrush(face);
    HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, brush);
    RoundRect(dc, 0, 0, w, h, 6, 6);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);

    // Glyph and caption, centred together; pressed content moves by a pixel.
    wchar_t caption[128] = {};
    GetWindowTextW(button, caption, 128);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    RECT textRc = {0, 0, 0, 0};
    DrawTextW(dc, caption, -1, &textRc, DT_CALCRECT | DT_SINGLELINE);
    const TGlyph glyph = GlyphOf(GetDlgCtrlID(button));
    const int glyphW = glyph == TGlyph::None ? 0 : 16 + 6;
    const int shift = pressed ? 1 : 0;
    const int left = (w - glyphW - (textRc.right - textRc.left)) / 2 + shift;
    if (glyph != TGlyph::None) DrawGlyph(dc, glyph, left, (h - 16) / 2 + shift, !disabled);
    RECT textAt = {left + glyphW, shift, w, h + shift};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, disabled ? kTextDisabled : (select && pressed) ? RGB(255, 255, 255) : kText);
    DrawTextW(dc, caption, -1, &textAt, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    if (oldFont) SelectObject(dc, oldFont);

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
