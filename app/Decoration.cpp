#include "app/Decoration.h"

#include <algorithm>
#include <cstring>
#include <future>
#include <optional>

#include "app/PngImage.h"
#include "platform/AppError.h"
#include "platform/Resources.h"

const std::array<const wchar_t*, kDecorImageCount> kDecorResourceNames = {
    L"BACKGROUND", L"MAIN", L"LOGO", L"TITLE_PNL_L", L"TITLE_PNL_R", L"TITLE_PNL_M", L"TITLE2"};

// ---- bitmaps -------------------------------------------------------------------

TBitmap32::~TBitmap32() = default;

void TBitmap32::SetSize(int width, int height) {
    FBitmap.Close();
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
    FBitmap.Reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!FBitmap || !bits) {
        FBitmap.Close();
        throw EAppError(L"Не удалось создать растровое изображение " + std::to_wstring(width) + L" x " +
                        std::to_wstring(height) + L".");
    }
    FBits = static_cast<uint32_t*>(bits);
    FWidth = width;
    FHeight = height;
}

namespace {

// Pure work, safe on any thread: the resource's bytes are read-only.
TPngImage DecodePngResource(const wchar_t* name, HMODULE module) {
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
    return image;
}

void FillBitmap(TBitmap32& bitmap, const TPngImage& image) {
    bitmap.SetSize(static_cast<int>(image.Width), static_cast<int>(image.Height));
    std::memcpy(bitmap.Bits(), image.Bgra.data(), image.Bgra.size());
}

using TDecodedImages = std::array<TPngImage, kDecorImageCount>;

// In loading order, so the first broken image is the one reported, as when
// the window loads them itself.
TDecodedImages DecodeAll(HMODULE module) {
    TDecodedImages images;
    for (int i = 0; i < kDecorImageCount; ++i) images[i] = DecodePngResource(kDecorResourceNames[i], module);
    return images;
}

struct TPreload {
    HMODULE Module = nullptr;
    std::future<TDecodedImages> Images;
};
std::optional<TPreload> Preloaded;

}  // namespace

void LoadPngResource(TBitmap32& bitmap, const wchar_t* name, HMODULE module) {
    FillBitmap(bitmap, DecodePngResource(name, module));
}

void PreloadDecorImages(HMODULE module) {
    try {
        Preloaded = TPreload{module, std::async(std::launch::async, DecodeAll, module)};
    } catch (const std::system_error&) {
        Preloaded.reset();  // no thread to be had: LoadAll decodes them itself
    }
}

// ---- composition ---------------------------------------------------------------

TMainDecoration::~TMainDecoration() = default;

void TMainDecoration::LoadAll(HMODULE module) {
    if (Preloaded && Preloaded->Module == module) {
        std::future<TDecodedImages> pending = std::move(Preloaded->Images);
        Preloaded.reset();
        const TDecodedImages images = pending.get();
        for (int i = 0; i < kDecorImageCount; ++i) FillBitmap(FImages[i], images[i]);
        return;
    }
    for (int i = 0; i < kDecorImageCount; ++i) LoadPngResource(FImages[i], kDecorResourceNames[i], module);
}

COLORREF TMainDecoration::PanelColor() const {
    const TBitmap32& title = Image(TDecorImage::Title);
    if (!title.Bits()) return GetSysColor(COLOR_BTNFACE);
    const uint32_t p = title.Pixel(0, 0);
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

const TCompositionPlan& TMainDecoration::Compose(int W, int H) {
    // The window's first show sends the size it was made with, composed already.
    if (FBuffer.Handle() && FComposedFor.Width == W && FComposedFor.Height == H) return FPlan;
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
    FComposedFor = {W, H};
    return FPlan;
}

void TMainDecoration::Paint(HDC dc) const {
    if (!FBuffer.Handle()) return;
    const TMemoryDC mem(dc);
    const TSelectObject useBuffer(mem.Get(), FBuffer.Handle());
    BitBlt(dc, 0, 0, FBuffer.Width(), FBuffer.Height(), mem.Get(), 0, 0, SRCCOPY);
}
