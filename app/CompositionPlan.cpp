#include "app/CompositionPlan.h"

#include <algorithm>

#include "platform/AppError.h"

namespace {
TSize SizeOf(const TDecorSizes& sizes, TDecorImage image) {
    return sizes[static_cast<int>(image)];
}
}  // namespace

TCompositionPlan PlanComposition(int W, int H, const TDecorSizes& sizes) {
    for (const TSize& s : sizes)
        if (s.Width <= 0 || s.Height <= 0) throw EAppError(L"Пустое изображение оформления окна.");

    TCompositionPlan plan;
    auto add = [&](TDecorImage image, int x, int y) { plan.Blits.push_back(TBlit{image, x, y}); };

    // 1. Texture: a tile starts at every multiple of the tile size up to and
    // including W and H, so there is always at least one.
    const TSize tile = SizeOf(sizes, TDecorImage::Background);
    for (int y = 0; y <= std::max(H, 0); y += tile.Height)
        for (int x = 0; x <= std::max(W, 0); x += tile.Width) add(TDecorImage::Background, x, y);

    // 2-4. Header band: both ends, then the middle column between them.
    const int leftW = SizeOf(sizes, TDecorImage::TitlePnlL).Width;
    const int rightW = SizeOf(sizes, TDecorImage::TitlePnlR).Width;
    add(TDecorImage::TitlePnlL, 0, 0);
    add(TDecorImage::TitlePnlR, W - rightW, 0);
    const int middleW = SizeOf(sizes, TDecorImage::TitlePnlM).Width;
    for (int x = leftW; x <= W - rightW - 1; x += middleW) add(TDecorImage::TitlePnlM, x, 0);

    // 5-7. Logo, centred title, panel outlines.
    add(TDecorImage::Logo, leftW - 5, 15);
    add(TDecorImage::Title, (W - SizeOf(sizes, TDecorImage::Title).Width) / 2, 20);
    add(TDecorImage::Panels, -3, 95);

    plan.RichEdit1 = RichEdit1Place;
    plan.InsatallPages = InsatallPagesPlace;
    return plan;
}

TPlanRect ClipBlit(const TBlit& blit, const TDecorSizes& sizes, int W, int H) {
    const TSize s = SizeOf(sizes, blit.Image);
    const int left = std::max(blit.X, 0), top = std::max(blit.Y, 0);
    const int right = std::min(blit.X + s.Width, W), bottom = std::min(blit.Y + s.Height, H);
    if (right <= left || bottom <= top) return {left, top, 0, 0};
    return {left, top, right - left, bottom - top};
}
