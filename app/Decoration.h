// The main window's background: the seven images from the program's
// resources, the background composed from them, and the panel colour taken
// from the title image. The information panel, the drawn buttons and the
// control frames live in InfoPanel, DrawnButtons and ControlFrames.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>

#include "app/CompositionPlan.h"
#include "platform/Gdi.h"


// A 32-bit top-down DIB section (blue, green, red, alpha per pixel).
class TBitmap32 {
public:
    TBitmap32() = default;
    ~TBitmap32();
    TBitmap32(const TBitmap32&) = delete;
    TBitmap32& operator=(const TBitmap32&) = delete;

    // Discards the old pixels; raises EAppError when the system refuses.
    void SetSize(int width, int height);
    HBITMAP Handle() const { return FBitmap.Get(); }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    uint32_t* Bits() { return FBits; }
    const uint32_t* Bits() const { return FBits; }
    // Pixel as 0xAARRGGBB; (x, y) must be inside.
    uint32_t Pixel(int x, int y) const { return FBits[static_cast<size_t>(y) * FWidth + x]; }

private:
    TBitmapHandle FBitmap;
    uint32_t* FBits = nullptr;
    int FWidth = 0, FHeight = 0;
};

// Fills the bitmap from the PNG resource (RT_RCDATA) of that name in `module`
// (nullptr: the program's own): sized to the image, composed onto opaque white,
// every pixel opaque. A missing or broken resource raises EAppError.
void LoadPngResource(TBitmap32& bitmap, const wchar_t* name, HMODULE module = nullptr);

// Resource name of each image, in TDecorImage order (the order of loading).
extern const std::array<const wchar_t*, kDecorImageCount> kDecorResourceNames;

// Starts decoding the seven images of `module` on a thread of their own, so
// that the decoding overlaps the creation of the windows; the next LoadAll of
// the same module takes the result (and its error, if any).
void PreloadDecorImages(HMODULE module);

class TMainDecoration {
public:
    TMainDecoration() = default;
    ~TMainDecoration();
    TMainDecoration(const TMainDecoration&) = delete;
    TMainDecoration& operator=(const TMainDecoration&) = delete;

    // Loads the seven images, in their order; a missing or broken one raises
    // EAppError. Waits for PreloadDecorImages when it was started for `module`.
    void LoadAll(HMODULE module);
    const TBitmap32& Image(TDecorImage image) const { return FImages[static_cast<int>(image)]; }

    // Top-left pixel of the title image, without its alpha.
    COLORREF PanelColor() const;

    // Composes the background for a W x H paint area into the off-screen
    // buffer and returns the plan (with the panels' places); for the size it
    // was last composed for, only returns the plan (the images do not change).
    const TCompositionPlan& Compose(int W, int H);
    const TBitmap32& Buffer() const { return FBuffer; }
    // Copies the composed buffer; what lies outside it is left alone.
    void Paint(HDC dc) const;

private:
    std::array<TBitmap32, kDecorImageCount> FImages;
    TBitmap32 FBuffer;
    TCompositionPlan FPlan;
    TSize FComposedFor{0, 0};
};
