// Screen capture of one window's rectangle into a PNG file.
#include <cstdio>
#include <vector>

#include "GuiDriver.h"
#include "PngWriter.h"

namespace gui {

namespace {

// Copies rc from the screen into 24-bit RGB rows; false when nothing could be read.
bool CaptureScreen(const RECT& rc, std::vector<std::uint8_t>& rgb) {
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (mem && bmp && bits) {
        HGDIOBJ old = SelectObject(mem, bmp);
        ok = BitBlt(mem, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY | CAPTUREBLT) != 0;
        GdiFlush();
        SelectObject(mem, old);
        if (ok) {
            const auto* px = static_cast<const std::uint8_t*>(bits);
            const size_t n = static_cast<size_t>(w) * h;
            rgb.assign(n * 3, 0);
            for (size_t i = 0; i < n; ++i) {
                rgb[i * 3 + 0] = px[i * 4 + 2];
                rgb[i * 3 + 1] = px[i * 4 + 1];
                rgb[i * 3 + 2] = px[i * 4 + 0];
            }
        }
    }
    if (bmp) DeleteObject(bmp);
    if (mem) DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok;
}

}  // namespace

bool SaveScreenshot(HWND window, const std::wstring& pngPath) {
    RECT rc{};
    if (!window || !GetWindowRect(window, &rc)) return false;
    // Let the program paint what is pending (a page shown a moment ago) and its
    // pixels reach the screen before they are read.
    if (window != GetDesktopWindow()) {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME |
                                                   RDW_ALLCHILDREN | RDW_UPDATENOW);
        DWORD_PTR r = 0;
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &r);
    }
    Sleep(200);
    // Keep to the screen: parts outside it have no pixels to read.
    RECT screen{0, 0, GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    screen.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    screen.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    screen.right += screen.left;
    screen.bottom += screen.top;
    if (!IntersectRect(&rc, &rc, &screen)) return false;

    std::vector<std::uint8_t> rgb;
    if (!CaptureScreen(rc, rgb)) return false;
    const auto png = EncodePngRgb(static_cast<std::uint32_t>(rc.right - rc.left),
                                  static_cast<std::uint32_t>(rc.bottom - rc.top), rgb.data(),
                                  static_cast<size_t>(rc.right - rc.left) * 3);
    if (png.empty()) return false;
    FILE* f = _wfopen(pngPath.c_str(), L"wb");
    if (!f) return false;
    const bool written = fwrite(png.data(), 1, png.size(), f) == png.size();
    return fclose(f) == 0 && written;
}

}  // namespace gui
