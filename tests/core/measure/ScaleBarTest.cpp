#include "core/measure/ScaleBar.h"

#include "core/Error.h"

#include <gtest/gtest.h>

using namespace ivra;

namespace {

TEST(ScaleBar, ProposesARoundLengthNearAFifthOfTheWidth) {
    struct {
        int width;
        float factor;
        double proposal;
    } cases[] = {
        {1000, 1.0f, 200},      // exactly a fifth
        {1000, 0.25f, 50},
        {640, 0.1f, 10},        // 12.8: 10 is nearer by ratio than 20
        {500, 3.5f, 500},       // 350: 500 is nearer by ratio than 200
        {1000, 0.0035f, 0.5},   // 0.7: 0.5 beats 1
        {100, 0.001f, 0.02},
        {10000, 1e6f, 2e9},
        {1000, 0.0316227766f, 5}, // 6.32: between 5 and 10, 5 nearer by ratio
        {0, 1.0f, 0},
        {100, 0.0f, 0},
    };
    for (auto& c : cases) EXPECT_DOUBLE_EQ(ProposeScaleBarLength(c.width, c.factor), c.proposal) << c.width << " " << c.factor;
}

TEST(ScaleBar, LengthInPixelsAtSeveralFactors) {
    struct {
        double length;
        float factor;
        int pixels;  // 0: refused
    } cases[] = {
        {100, 0.5f, 200}, {50, 0.25f, 200}, {1, 1.0f / 3, 3}, {2.5, 1.0f, 2},  // halves to even
        {3.5, 1.0f, 4},   {960, 1.0f, 960},  // the widest that fits within the 20-pixel margins
        {961, 1.0f, 0},   {0, 1.0f, 0},      {-5, 1.0f, 0}, {0.4, 1.0f, 0},  // shorter than a pixel
        {1e300, 1e-18f, 0},
    };
    for (auto& c : cases) {
        if (c.pixels) {
            EXPECT_EQ(ScaleBarPixels(c.length, c.factor, 1000, 1000), c.pixels) << c.length;
        } else {
            EXPECT_THROW(ScaleBarPixels(c.length, c.factor, 1000, 1000), Error) << c.length;
        }
    }
}

TEST(ScaleBar, PlacementAtEachCorner) {
    // 1000 x 500: the margin is 2 % of 500 = 10 pixels.
    struct {
        TScaleBarCorner corner;
        TRect bar, label;
    } cases[] = {
        {TScaleBarCorner::LowerRight, {790, 485, 990, 490}, {870, 461, 910, 481}},
        {TScaleBarCorner::LowerLeft, {10, 485, 210, 490}, {90, 461, 130, 481}},
        {TScaleBarCorner::UpperRight, {790, 10, 990, 15}, {870, 19, 910, 39}},
        {TScaleBarCorner::UpperLeft, {10, 10, 210, 15}, {90, 19, 130, 39}},
    };
    for (auto& c : cases) {
        TScaleBarGeometry g{200, 5, c.corner, 40, 20, false};
        const TScaleBarLayout l = PlaceScaleBar(1000, 500, g);
        EXPECT_EQ(l.Bar, c.bar) << int(c.corner);
        EXPECT_EQ(l.Label, c.label) << int(c.corner);
        EXPECT_TRUE(l.Box.IsEmpty());
        // The bar stays where it is without a label.
        g.LabelWidth = g.LabelHeight = 0;
        EXPECT_EQ(PlaceScaleBar(1000, 500, g).Bar, c.bar);
        EXPECT_EQ(PlaceScaleBar(1000, 500, g).Bounds, c.bar);
    }
}

TEST(ScaleBar, BoxWideLabelAndHeightLimits) {
    // A label wider than the bar stays within the image; the box pads both
    // by half the margin and is cut at the image's edge.
    TScaleBarGeometry g{200, 5, TScaleBarCorner::LowerRight, 300, 20, true};
    const TScaleBarLayout l = PlaceScaleBar(1000, 500, g);
    EXPECT_EQ(l.Label, (TRect{700, 461, 1000, 481}));
    EXPECT_EQ(l.Box, (TRect{695, 456, 1000, 495}));
    EXPECT_EQ(l.Bounds, l.Box);
    for (int height : {0, 481}) {
        g.BarHeight = height;
        EXPECT_THROW(PlaceScaleBar(1000, 500, g), Error) << height;
    }
    g.BarHeight = 480;
    EXPECT_NO_THROW(PlaceScaleBar(1000, 500, g));
}

TEST(ScaleBar, DrawsTheBarInExactlyItsColour) {
    TBitmap32 image(100, 50);
    image.Clear(0xFF102030u);
    TScaleBarGeometry g{40, 3, TScaleBarCorner::LowerLeft, 4, 2, true};
    const TScaleBarLayout l = PlaceScaleBar(100, 50, g);
    TLabelMask label{4, 2, {0, 255, 128, 0, 0, 0, 0, 255}};
    DrawScaleBar(image, {0, 0}, l, 0x00FF8000u, 0x00000000u, &label);
    int bar = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool inBar = x >= l.Bar.Left && x < l.Bar.Right && y >= l.Bar.Top && y < l.Bar.Bottom;
            const bool inBox = x >= l.Box.Left && x < l.Box.Right && y >= l.Box.Top && y < l.Box.Bottom;
            if (inBar) {
                bar += image.Pixel(x, y) == 0xFFFF8000u;
            } else if (!inBox) {
                EXPECT_EQ(image.Pixel(x, y), 0xFF102030u) << x << "," << y;
            }
        }
    EXPECT_EQ(bar, 40 * 3);
    EXPECT_EQ(image.Pixel(l.Label.Left + 1, l.Label.Top), 0xFFFF8000u);
    EXPECT_EQ(image.Pixel(l.Label.Left, l.Label.Top), 0xFF000000u);  // the box below the label
    EXPECT_EQ(image.Pixel(l.Label.Left + 2, l.Label.Top), 0xFF804000u);
    // Onto a transparent layer: the bar is opaque, the label keeps its coverage.
    TBitmap32 layer(l.Bounds.Width(), l.Bounds.Height());
    g.Box = false;
    const TScaleBarLayout bare = PlaceScaleBar(100, 50, g);
    DrawScaleBar(layer, {bare.Bounds.Left, bare.Bounds.Top}, bare, 0x00FF8000u, 0, &label);
    EXPECT_EQ(layer.Pixel(bare.Bar.Left - bare.Bounds.Left, bare.Bar.Top - bare.Bounds.Top), 0xFFFF8000u);
    EXPECT_EQ(layer.Pixel(bare.Label.Left - bare.Bounds.Left + 2, bare.Label.Top - bare.Bounds.Top), 0x80FF8000u);
}

TEST(ScaleBar, LabelAndCornerNames) {
    EXPECT_EQ(ScaleBarLabel(100, "\xC2\xB5m"), "100 \xC2\xB5m");
    EXPECT_EQ(ScaleBarLabel(0.5, "mm", ','), "0,5 mm");
    EXPECT_EQ(ScaleBarLabel(200, ""), "200");
    TScaleBarCorner c{};
    EXPECT_TRUE(ScaleBarCornerFromName("upper-left", c));
    EXPECT_EQ(c, TScaleBarCorner::UpperLeft);
    EXPECT_FALSE(ScaleBarCornerFromName("upper", c));
}

} // namespace
