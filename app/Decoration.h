// The painted look of the main window: the seven images from the program's
// resources, the background composed from them, the information panel, the
// panel colour and the drawing of buttons and control frames.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>

#include "app/CompositionPlan.h"

class TFMain;

// A 32-bit top-down DIB section (blue, green, red, alpha per pixel).
class TBitmap32 {
public:
    TBitmap32() = default;
    ~TBitmap32();
    TBitmap32(const TBitmap32&) = delete;
    TBitmap32& operator=(const TBitmap32&) = delete;

    // Discards the old pixels; raises EAppError when the system refuses.
    void SetSize(int width, int height);
    HBITMAP Handle() const { return FBitmap; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    uint32_t* Bits() { return FBits; }
    const uint32_t* Bits() const { return FBits; }
    // Pixel as 0xAARRGGBB; (x, y) must be inside.
    uint32_t Pixel(int x, int y) const { return FBits[static_cast<size_t>(y) * FWidth + x]; }

private:
    HBITMAP FBitmap = nullptr;
    uint32_t* FBits = nullptr;
    int FWidth = 0, FHeight = 0;
};

// Fills the bitmap from the PNG resource (RT_RCDATA) of that name in `module`
// (nullptr: the program's own): sized to the image, composed onto opaque white,
// every pixel opaque. A missing or broken resource raises EAppError.
void LoadPngResource(TBitmap32& bitmap, const wchar_t* name, HMODULE module = nullptr);

// Resource name of each image, in TDecorImage order (the order of loading).
extern const std::array<const wchar_t*, kDecorImageCount> kDecorResourceNames;

class TMainDecoration {
public:
    TMainDecoration() = default;
    ~TMainDecoration();
    TMainDecoration(const TMainDecoration&) = delete;
    TMainDecoration& operator=(const TMainDecoration&) = delete;

    // Loads the seven images; a missing one raises EAppError.
    void LoadAll(HMODULE module);
    const TBitmap32& Image(TDecorImage image) const { return FImages[static_cast<int>(image)]; }

    // Top-left pixel of the title image, without its alpha.
    COLORREF PanelColor() const;

    // Composes the background for a W x H paint area into the off-screen
    // buffer and returns the plan (with the panels' places).
    const TCompositionPlan& Compose(int W, int H);
    const TBitmap32& Buffer() const { return FBuffer; }
    // Copies the composed buffer; what lies outside it is left alone.
    void Paint(HDC dc) const;

    // The rich-edit information panel: msftedit's control, else riched20's;
    // read-only, no border, 4 px inner margin, MS Sans Serif 13 px Cyrillic.
    // Runs inside window creation, so it reports failure as nullptr, never by raising.
    static HWND CreateInfoPanel(HWND parent, int id, HINSTANCE instance);
    // Streams the RTF resource "INFO" into the panel; raises EAppError when the
    // resource or the panel is missing.
    static void LoadInfo(HWND richEdit, HMODULE module);
    // Inner margins; again after every size change of the panel.
    static void SetInfoMargins(HWND richEdit);

    // Applies the look to the form's controls: owner-drawn page-bar buttons with
    // hot tracking, flat frames of ePath and LogList, the rounded path strip,
    // the panel colour of the information panel.
    void Attach(TFMain& form);
    // WM_DRAWITEM of an owner-drawn button; false when it is not one of ours.
    bool DrawItem(const DRAWITEMSTRUCT& item) const;

private:
    std::array<TBitmap32, kDecorImageCount> FImages;
    TBitmap32 FBuffer;
    TCompositionPlan FPlan;
    HWND FSelectPath = nullptr;
};
