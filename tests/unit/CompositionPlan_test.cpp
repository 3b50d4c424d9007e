// Background composition plan: where the seven images land for a paint area.
#include "app/CompositionPlan.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/AppError.h"

namespace {

// The delivered images, in TDecorImage order.
const TDecorSizes kSizes = {TSize{128, 128}, TSize{958, 472}, TSize{72, 70}, TSize{22, 100},
                            TSize{22, 100}, TSize{1, 100}, TSize{500, 66}};

std::vector<TBlit> Of(const TCompositionPlan& plan, TDecorImage image) {
    std::vector<TBlit> out;
    for (const TBlit& b : plan.Blits)
        if (b.Image == image) out.push_back(b);
    return out;
}

size_t IndexOf(const TCompositionPlan& plan, TDecorImage image) {
    for (size_t i = 0; i < plan.Blits.size(); ++i)
        if (plan.Blits[i].Image == image) return i;
    return plan.Blits.size();
}

}  // namespace

TEST(CompositionPlan, DeliveredWindow) {
    const TCompositionPlan plan = PlanComposition(954, 579, kSizes);

    // Tiles start at 0..896 (8 columns) and 0..512 (5 rows).
    auto tiles = Of(plan, TDecorImage::Background);
    ASSERT_EQ(tiles.size(), 40u);
    EXPECT_EQ(tiles.back().X, 896);
    EXPECT_EQ(tiles.back().Y, 512);

    auto left = Of(plan, TDecorImage::TitlePnlL), right = Of(plan, TDecorImage::TitlePnlR);
    ASSERT_EQ(left.size(), 1u);
    ASSERT_EQ(right.size(), 1u);
    EXPECT_EQ(left[0].X, 0);
    EXPECT_EQ(right[0].X, 932);
    EXPECT_EQ(right[0].Y, 0);

    auto logo = Of(plan, TDecorImage::Logo), title = Of(plan, TDecorImage::Title),
         panels = Of(plan, TDecorImage::Panels);
    ASSERT_EQ(logo.size(), 1u);
    EXPECT_EQ(logo[0].X, 17);
    EXPECT_EQ(logo[0].Y, 15);
    ASSERT_EQ(title.size(), 1u);
    EXPECT_EQ(title[0].X, 227);
    EXPECT_EQ(title[0].Y, 20);
    ASSERT_EQ(panels.size(), 1u);
    EXPECT_EQ(panels[0].X, -3);
    EXPECT_EQ(panels[0].Y, 95);

    // Steps in order: texture, band ends, band middle, logo, title, panels.
    EXPECT_LT(IndexOf(plan, TDecorImage::Background), IndexOf(plan, TDecorImage::TitlePnlL));
    EXPECT_LT(IndexOf(plan, TDecorImage::TitlePnlL), IndexOf(plan, TDecorImage::TitlePnlR));
    EXPECT_LT(IndexOf(plan, TDecorImage::TitlePnlR), IndexOf(plan, TDecorImage::TitlePnlM));
    EXPECT_LT(IndexOf(plan, TDecorImage::TitlePnlM), IndexOf(plan, TDecorImage::Logo));
    EXPECT_LT(IndexOf(plan, TDecorImage::Logo), IndexOf(plan, TDecorImage::Title));
    EXPECT_LT(IndexOf(plan, TDecorImage::Title), IndexOf(plan, TDecorImage::Panels));
    EXPECT_EQ(plan.Blits.back().Image, TDecorImage::Panels);

    EXPECT_EQ(plan.RichEdit1, (TPlanRect{16, 110, 282, 441}));
    EXPECT_EQ(plan.InsatallPages, (TPlanRect{320, 110, 619, 441}));
}

TEST(CompositionPlan, MiddleBandIsContinuousAndStopsBeforeRightEnd) {
    for (int W : {954, 1280, 1920, 45, 1000}) {
        const TCompositionPlan plan = PlanComposition(W, 600, kSizes);
        auto middle = Of(plan, TDecorImage::TitlePnlM);
        ASSERT_EQ(int(middle.size()), W - 44) << W;
        for (size_t i = 0; i < middle.size(); ++i) {
            EXPECT_EQ(middle[i].X, 22 + int(i)) << W;
            EXPECT_EQ(middle[i].Y, 0);
        }
        EXPECT_EQ(middle.back().X, W - 23) << W;
        // Drawn after the right end, so it must never reach it.
        EXPECT_LE(middle.back().X + 1, Of(plan, TDecorImage::TitlePnlR)[0].X) << W;
    }
}

TEST(CompositionPlan, WiderMiddleColumnStepsByItsWidth) {
    TDecorSizes sizes = kSizes;
    sizes[int(TDecorImage::TitlePnlM)] = TSize{4, 100};
    const TCompositionPlan plan = PlanComposition(100, 200, sizes);
    auto middle = Of(plan, TDecorImage::TitlePnlM);
    ASSERT_EQ(middle.size(), 14u);  // 22, 26, ..., 74 (the last start <= 77)
    EXPECT_EQ(middle.back().X, 74);
}

TEST(CompositionPlan, NarrowAreaHasNoMiddleBand) {
    for (int W : {44, 30, 0}) {
        const TCompositionPlan plan = PlanComposition(W, 100, kSizes);
        EXPECT_TRUE(Of(plan, TDecorImage::TitlePnlM).empty()) << W;
        EXPECT_EQ(Of(plan, TDecorImage::TitlePnlR)[0].X, W - 22);
    }
    // An empty area still starts one tile.
    EXPECT_EQ(Of(PlanComposition(0, 0, kSizes), TDecorImage::Background).size(), 1u);
}

TEST(CompositionPlan, WidthMultipleOfTileStartsAClippedColumn) {
    const TCompositionPlan plan = PlanComposition(1024, 768, kSizes);
    auto tiles = Of(plan, TDecorImage::Background);
    EXPECT_EQ(tiles.size(), 9u * 7u);  // x 0..1024, y 0..768
    int atEdge = 0;
    for (const TBlit& t : tiles) {
        TPlanRect r = ClipBlit(t, kSizes, 1024, 768);
        if (t.X == 1024 || t.Y == 768) {
            ++atEdge;
            EXPECT_EQ(r.Width * r.Height, 0);
        } else {
            EXPECT_EQ(r.Width, 128);
            EXPECT_EQ(r.Height, 128);
        }
    }
    EXPECT_EQ(atEdge, 9 + 7 - 1);
}

TEST(CompositionPlan, MaximisedKeepsPanelsAndCentresTitle) {
    const TCompositionPlan normal = PlanComposition(954, 579, kSizes);
    const TCompositionPlan max = PlanComposition(1280, 971, kSizes);
    EXPECT_EQ(Of(max, TDecorImage::Title)[0].X, 390);
    EXPECT_EQ(Of(max, TDecorImage::TitlePnlR)[0].X, 1258);
    EXPECT_EQ(Of(max, TDecorImage::Panels)[0].X, Of(normal, TDecorImage::Panels)[0].X);
    EXPECT_EQ(Of(max, TDecorImage::Logo)[0].X, 17);
    EXPECT_EQ(max.RichEdit1, normal.RichEdit1);
    EXPECT_EQ(max.InsatallPages, normal.InsatallPages);

    // The tiles cover every pixel of the area.
    auto tiles = Of(max, TDecorImage::Background);
    int right = 0, bottom = 0;
    for (const TBlit& t : tiles) {
        right = std::max(right, t.X + 128);
        bottom = std::max(bottom, t.Y + 128);
    }
    EXPECT_GE(right, 1280);
    EXPECT_GE(bottom, 971);

    // Odd spare width rounds the centring down; a title wider than the area
    // starts left of it.
    EXPECT_EQ(Of(PlanComposition(955, 579, kSizes), TDecorImage::Title)[0].X, 227);
    EXPECT_EQ(Of(PlanComposition(301, 579, kSizes), TDecorImage::Title)[0].X, -99);
}

TEST(CompositionPlan, ClipsToTheArea) {
    TBlit panels{TDecorImage::Panels, -3, 95};
    EXPECT_EQ(ClipBlit(panels, kSizes, 954, 579), (TPlanRect{0, 95, 954, 472}));
    EXPECT_EQ(ClipBlit(panels, kSizes, 954, 500), (TPlanRect{0, 95, 954, 405}));
    EXPECT_EQ(ClipBlit(panels, kSizes, 2000, 1000), (TPlanRect{0, 95, 955, 472}));
    TBlit title{TDecorImage::Title, -99, 20};
    EXPECT_EQ(ClipBlit(title, kSizes, 301, 579), (TPlanRect{0, 20, 301, 66}));
}

TEST(CompositionPlan, ImageWithoutPixelsIsAnError) {
    TDecorSizes sizes = kSizes;
    sizes[int(TDecorImage::Background)] = TSize{0, 128};
    EXPECT_THROW(PlanComposition(954, 579, sizes), EAppError);
    sizes = kSizes;
    sizes[int(TDecorImage::TitlePnlM)] = TSize{1, 0};
    EXPECT_THROW(PlanComposition(954, 579, sizes), EAppError);
}
