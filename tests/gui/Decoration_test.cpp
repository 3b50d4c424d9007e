// The painted window as the operator sees it: pixels read back from the screen
// at the normal size and maximised, compared with the delivered images.
// Pictures of every page for people to look at come from scripts/demo.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "GuiDriver.h"
#include "WizardFixture.h"
#include "app/PngImage.h"

namespace {

// The window's client area, read from the screen, as 0xRRGGBB.
struct TShot {
    int W = 0, H = 0;
    std::vector<uint32_t> Px;
    uint32_t At(int x, int y) const { return Px[static_cast<size_t>(y) * W + x]; }
};

TShot CaptureClient(HWND window) {
    TShot shot;
    RECT rc;
    GetClientRect(window, &rc);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    shot.W = rc.right;
    shot.H = rc.bottom;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(bi.bmiHeader), shot.W, -shot.H, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, shot.W, shot.H, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto* px = static_cast<const uint32_t*>(bits);
    shot.Px.assign(px, px + static_cast<size_t>(shot.W) * shot.H);
    for (auto& p : shot.Px) p &= 0xFFFFFF;
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return shot;
}

// A delivered image as the window draws it: composed onto white, opaque.
TPngImage Image(const char* name) {
    const std::wstring path = gui::ToWindowsPath(std::string(DECOR_IMAGES) + "/" + name + ".png");
    std::vector<uint8_t> data;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        uint8_t buf[4096];
        for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) data.insert(data.end(), buf, buf + n);
        fclose(f);
    }
    TPngImage img = DecodePng(data);
    FlattenOntoWhite(img);
    return img;
}

uint32_t ToRgb(COLORREF c) { return (uint32_t(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

uint32_t Rgb(const TPngImage& img, int x, int y) { return img.Pixel(uint32_t(x), uint32_t(y)) & 0xFFFFFF; }

struct TImages {
    TPngImage Background = Image("BACKGROUND"), Main = Image("MAIN"), Logo = Image("LOGO"),
              Left = Image("TITLE_PNL_L"), Right = Image("TITLE_PNL_R"), Middle = Image("TITLE_PNL_M"),
              Title = Image("TITLE2");
};

// Counts the pixels of img placed at (left, top) that the screen shows differently,
// within the rectangle [x0, x1) x [y0, y1) of the image.
int Mismatches(const TShot& shot, const TPngImage& img, int left, int top, int x0, int y0, int x1, int y1) {
    int bad = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (shot.At(left + x, top + y) != Rgb(img, x, y)) ++bad;
    return bad;
}

// Everything the composition fixes, for whatever size the window has now.
void CheckComposition(const TShot& shot, const TImages& im, const char* when) {
    SCOPED_TRACE(when);
    const int W = shot.W, H = shot.H;
    ASSERT_GE(W, 954);
    ASSERT_GE(H, 579);
    // Title centred at y 20; the header's ends; the logo.
    EXPECT_EQ(Mismatches(shot, im.Title, (W - 500) / 2, 20, 0, 0, 500, 66), 0);
    EXPECT_EQ(Mismatches(shot, im.Right, W - 22, 0, 0, 0, 22, 95), 0) << "right end piece";
    EXPECT_EQ(Mismatches(shot, im.Left, 0, 0, 0, 0, 17, 95), 0) << "left end piece";
    EXPECT_EQ(Mismatches(shot, im.Logo, 17, 15, 0, 0, 72, 70), 0) << "logo";
    // The middle band: first column above and below the logo, last column whole.
    int band = 0;
    for (int y = 0; y < 95; ++y) {
        if ((y < 15 || y >= 85) && shot.At(22, y) != Rgb(im.Middle, 0, y)) ++band;
        if (shot.At(W - 23, y) != Rgb(im.Middle, 0, y)) ++band;
        if (shot.At((W - 500) / 2 - 1, y) != Rgb(im.Middle, 0, y)) ++band;
    }
    EXPECT_EQ(band, 0) << "middle band";
    // The framing image at (-3, 95), seen beside and between the panels.
    EXPECT_EQ(Mismatches(shot, im.Main, -3, 95, 3, 0, 19, 472), 0) << "left of the information panel";
    EXPECT_EQ(Mismatches(shot, im.Main, -3, 95, 301, 0, 323, 472), 0) << "between the panels";
    EXPECT_EQ(Mismatches(shot, im.Main, -3, 95, 3, 0, std::min(958, W + 3), 15), 0) << "above the panels";
    // Texture wherever the framing image does not reach.
    int texture = 0;
    for (int y = 567; y < H; ++y)
        for (int x = 0; x < W; x += 3)
            if (shot.At(x, y) != Rgb(im.Background, x % 128, y % 128)) ++texture;
    for (int y = 100; y < H; y += 3)  // below the header band
        for (int x = 955; x < W; ++x)
            if (shot.At(x, y) != Rgb(im.Background, x % 128, y % 128)) ++texture;
    EXPECT_EQ(texture, 0) << "texture";
    // Panel colour inside the page area: the bar between "Отмена" and "Далее".
    EXPECT_EQ(shot.At(320 + 300, 110 + 425), 0xECECEBu) << "page colour";
    EXPECT_EQ(shot.At(320 + 200, 110 + 400), 0xECECEBu) << "page colour";
}

// Without a window manager on the test display nobody would carry out a
// maximise request; Wine sizes unmanaged windows itself. Only this test's own
// prefix is touched, before the program starts.
void LetWineSizeWindows() {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) == ERROR_SUCCESS) {
        RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"N"), 2 * sizeof(wchar_t));
        RegCloseKey(key);
    }
}

bool WaitClientWidth(HWND window, bool wider) {
    return gui::WaitUntil([&] {
        RECT rc;
        GetClientRect(window, &rc);
        return wider ? rc.right > 954 : rc.right == 954;
    });
}

void SetMaximised(HWND window, bool on) {
    // Works while a modal box has the window disabled, unlike the title-bar command.
    ShowWindowAsync(window, on ? SW_MAXIMIZE : SW_RESTORE);
    ASSERT_TRUE(WaitClientWidth(window, on));
    Sleep(500);  // the one repaint after the resize
}

RECT ClientRectOf(HWND control, HWND window) {
    RECT rc;
    GetWindowRect(control, &rc);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

}  // namespace

using Decoration = wizard::TWizardTest;

TEST_F(Decoration, PixelsAtNormalSizeAndMaximised) {
    const TImages images;
    ASSERT_EQ(images.Title.Pixel(0, 0) & 0xFFFFFF, 0xECECEBu);
    LetWineSizeWindows();
    ASSERT_NO_FATAL_FAILURE(Start());
    gui::TInstaller& app = *App;
    HWND window = app.MainWindow();
    Sleep(500);

    RECT rc;
    GetClientRect(window, &rc);
    EXPECT_EQ(rc.right, 954);
    EXPECT_EQ(rc.bottom, 579);
    CheckComposition(CaptureClient(window), images, "normal size");

    // Framed owner-drawn buttons keep their caption as window text.
    EXPECT_EQ(gui::WindowText(app.Control(IDC_BTNSTARTNEXT)), L"Далее");
    EXPECT_EQ(GetWindowLongW(app.Control(IDC_BTNSTARTNEXT), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    const RECT next = ClientRectOf(app.Control(IDC_BTNSTARTNEXT), window);
    const TShot normal = CaptureClient(window);
    EXPECT_EQ(normal.At(next.left, (next.top + next.bottom) / 2), 0x003C74u) << "button frame";
    EXPECT_EQ(normal.At(next.left + 4, next.top + 4), 0xF4F4F0u) << "button face";

    SetMaximised(window, true);
    const TShot max = CaptureClient(window);
    EXPECT_GT(max.W, 954);
    CheckComposition(max, images, "maximised");
    // The panels keep their places.
    const RECT pages = ClientRectOf(app.Control(IDC_INSATALLPAGES), window);
    const RECT info = ClientRectOf(app.Control(IDC_RICHEDIT1), window);
    EXPECT_EQ(pages.left, 320);
    EXPECT_EQ(pages.top, 110);
    EXPECT_EQ(pages.right - pages.left, 619);
    EXPECT_EQ(pages.bottom - pages.top, 441);
    EXPECT_EQ(info.left, 16);
    EXPECT_EQ(info.top, 110);

    SetMaximised(window, false);
    CheckComposition(CaptureClient(window), images, "restored");
}

TEST_F(Decoration, HotTrackingAndKeyboardFocusMark) {
    LetWineSizeWindows();
    ASSERT_NO_FATAL_FAILURE(Start());
    gui::TInstaller& app = *App;
    HWND window = app.MainWindow();
    HWND cancel = app.Control(IDC_BTNCANCEL);
    Sleep(500);
    const RECT rc = ClientRectOf(cancel, window);

    // Under the mouse the face lightens and the frame doubles.
    RECT screen;
    GetWindowRect(cancel, &screen);
    SetCursorPos(screen.left + 5, screen.top + 5);
    EXPECT_TRUE(gui::WaitUntil([&] {
        return CaptureClient(window).At(rc.left + 4, rc.top + 4) == 0xE4EEFAu;
    }, 5000)) << "hot face";
    EXPECT_EQ(CaptureClient(window).At(rc.left + 1, (rc.top + rc.bottom) / 2), 0x003C74u);
    SetCursorPos(5, 5);
    EXPECT_TRUE(gui::WaitUntil([&] {
        return CaptureClient(window).At(rc.left + 4, rc.top + 4) == 0xF4F4F0u;
    }, 5000)) << "face after the mouse left";

    // Tab puts the focus on a page button, which then carries a dotted mark
    // inside its frame; the other button has none.
    HWND next = app.Control(IDC_BTNSTARTNEXT);
    auto dotted = [&](HWND button) {
        const RECT r = ClientRectOf(button, window);
        const TShot s = CaptureClient(window);
        int marks = 0;
        for (int x = r.left + 6; x < r.right - 6; ++x)
            if (s.At(x, r.top + 3) != 0xF4F4F0u) ++marks;
        return marks > 5;
    };
    HWND focused = nullptr;
    EXPECT_TRUE(gui::WaitUntil([&] {
        PostMessageW(window, WM_KEYDOWN, VK_TAB, 0);
        PostMessageW(window, WM_KEYUP, VK_TAB, 0);
        Sleep(300);
        focused = app.FocusedControl();
        return focused == cancel || focused == next;
    }, 10000)) << "Tab reaches the page buttons";
    if (focused == cancel || focused == next) {
        EXPECT_TRUE(gui::WaitUntil([&] { return dotted(focused); }, 5000)) << "focus mark";
        EXPECT_FALSE(dotted(focused == cancel ? next : cancel));
    }

    // The path box: a flat frame that turns blue under the mouse.
    SetCursorPos(5, 5);
    app.Click(IDC_BTNSTARTNEXT);
    ASSERT_TRUE(app.WaitPage(IDC_TS_INPUTPATH));
    HWND path = app.Control(IDC_EPATH);
    const RECT box = ClientRectOf(path, window);
    const int midY = (box.top + box.bottom) / 2;
    EXPECT_TRUE(gui::WaitUntil([&] {
        return CaptureClient(window).At(box.left, midY) == ToRgb(GetSysColor(COLOR_BTNFACE));
    }, 5000)) << "path frame";
    GetWindowRect(path, &screen);
    SetCursorPos(screen.left + 40, screen.top + 8);
    EXPECT_TRUE(gui::WaitUntil([&] { return CaptureClient(window).At(box.left, midY) == 0x0080FFu; }, 5000))
        << "path frame under the mouse";
}
