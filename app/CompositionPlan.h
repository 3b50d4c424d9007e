// Where the main window's seven images go for a paint area of W x H pixels,
// and where the two panels sit over them. Pure arithmetic, no drawing.
#pragma once
#include <array>
#include <vector>

// The images in the order they are loaded at window creation.
enum class TDecorImage {
    Background,  // "BACKGROUND", texture tile
    Panels,      // "MAIN", outlines of the two panels
    Logo,        // "LOGO"
    TitlePnlL,   // "TITLE_PNL_L", left end of the header band
    TitlePnlR,   // "TITLE_PNL_R", right end of the header band
    TitlePnlM,   // "TITLE_PNL_M", one column repeated as the band's middle
    Title,       // "TITLE2", title lettering
};
inline constexpr int kDecorImageCount = 7;

struct TSize {
    int Width = 0;
    int Height = 0;
};

struct TPlanRect {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool operator==(const TPlanRect&) const = default;
};

// One whole-image copy with its top-left corner at (X, Y); later copies cover
// earlier ones, and everything is clipped to the paint area.
struct TBlit {
    TDecorImage Image;
    int X = 0;
    int Y = 0;
};

// Where the information panel and the page area sit, whatever the paint
// area's size: the framing image is drawn around these places.
inline constexpr TPlanRect RichEdit1Place = {16, 110, 282, 441};
inline constexpr TPlanRect InsatallPagesPlace = {320, 110, 619, 441};
// The main window's client size, which the layout is made for; the window opens at it.
inline constexpr TSize MainClientSize = {954, 579};

struct TCompositionPlan {
    std::vector<TBlit> Blits;
    TPlanRect RichEdit1;
    TPlanRect InsatallPages;
};

using TDecorSizes = std::array<TSize, kDecorImageCount>;

// Builds the plan from the actual image sizes. Raises EAppError when an image
// has no pixels (the tile could not cover anything).
TCompositionPlan PlanComposition(int W, int H, const TDecorSizes& sizes);

// The part of a copy that lands inside the W x H area (empty when none does).
TPlanRect ClipBlit(const TBlit& blit, const TDecorSizes& sizes, int W, int H);
