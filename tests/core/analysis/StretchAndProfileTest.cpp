#include "core/analysis/HistogramStretch.h"
#include "core/analysis/PixelProfile.h"

#include <gtest/gtest.h>

using namespace ivra;

TEST(StretchProposal, EvenDistributionAndSingleLevel) {
    TChannelHistograms h;
    h.PixelCount = 256 * 4;
    h.Gray.fill(4);
    EXPECT_EQ(ProposeStretchCutoffs(h), (TStretchCutoffs{5, 250}));
    h.Gray.fill(0);
    h.Gray[77] = 1024;
    EXPECT_EQ(ProposeStretchCutoffs(h), (TStretchCutoffs{77, 77}));
    // Exactly 2 % at level 3 (1 of 50 pixels) counts as reached.
    h.PixelCount = 50;
    h.Gray.fill(0);
    h.Gray[3] = 1;
    h.Gray[200] = 48;
    h.Gray[201] = 1;
    EXPECT_EQ(ProposeStretchCutoffs(h), (TStretchCutoffs{3, 200}));
    EXPECT_EQ(ProposeStretchCutoffs(TChannelHistograms{}), (TStretchCutoffs{0, 0}));
}

TEST(StretchChart, PositionsAndDragging) {
    // Axis from x = 40, 255 pixels long: one pixel per level.
    EXPECT_EQ(CutoffToPixel(0, 40, 255), 40);
    EXPECT_EQ(CutoffToPixel(255, 40, 255), 295);
    EXPECT_EQ(CutoffToPixel(1, 0, 510), 2);
    EXPECT_EQ(CutoffToPixel(1, 0, 127), 0);  // 0.498
    EXPECT_EQ(CutoffToPixel(3, 0, 170), 2);  // 2.0
    EXPECT_EQ(PixelToCutoff(295, 40, 255), 255);
    EXPECT_EQ(PixelToCutoff(1, 0, 510), 0);  // 0.5 rounds to even
    EXPECT_EQ(PixelToCutoff(3, 0, 510), 2);  // 1.5 rounds to even
    EXPECT_EQ(PixelToCutoff(5, 0, 0), 0);
    const TStretchCutoffs start{50, 200};
    EXPECT_EQ(DragCutoffs(start, 60, 40, 255), (TStretchCutoffs{20, 200}));   // nearer the low line
    EXPECT_EQ(DragCutoffs(start, 200, 40, 255), (TStretchCutoffs{50, 160}));  // nearer the high line
    EXPECT_EQ(DragCutoffs(start, 30, 40, 255), start);                       // outside the axis
    // Lines at 90 and 98: the low line may come no nearer than 6 pixels.
    EXPECT_EQ(DragCutoffs({50, 58}, 92, 40, 255), (TStretchCutoffs{52, 58}));
    EXPECT_EQ(DragCutoffs({50, 58}, 93, 40, 255), (TStretchCutoffs{50, 58}));
    EXPECT_EQ(DragCutoffs({50, 58}, 95, 40, 255), (TStretchCutoffs{50, 58})); // high line, too near the low one
    EXPECT_EQ(DragCutoffs({50, 70}, 100, 40, 255), (TStretchCutoffs{50, 60})); // equal distance: the high line
}

TEST(Profile, LengthsAndLabelIncrements) {
    EXPECT_EQ(ProfileLength({10, 5}, {13, 5}), 3);
    EXPECT_EQ(ProfileLength({0, 0}, {3, 4}), 5);
    EXPECT_EQ(ProfileLength({0, 0}, {1, 1}), 1);   // 1.414: too short
    EXPECT_EQ(ProfileLength({0, 0}, {1, 2}), 2);   // 2.236
    EXPECT_EQ(ProfileLength({0, 0}, {0, 0}), 0);
    EXPECT_EQ(ProfileLength(AbsentProfilePoint, {3, 4}), 0);
    EXPECT_EQ(ProfileLength({-12, 4}, {3, 4}), 0);
    const std::pair<int, int> increments[] = {{10, 1}, {11, 5}, {50, 5}, {51, 10}, {125, 10}, {126, 25}, {250, 25}, {251, 50}};
    for (const auto& [length, inc] : increments) EXPECT_EQ(ProfileLabelIncrement(length), inc) << length;
}

TEST(Profile, QuantitiesOfPrimariesAndGrays) {
    EXPECT_EQ(ProfileQuantities(255, 0, 0), (TProfileQuantities{85, 0, 255, 255}));
    EXPECT_EQ(ProfileQuantities(0, 255, 0).H, 120);
    EXPECT_EQ(ProfileQuantities(0, 0, 255).H, 240);
    EXPECT_EQ(ProfileQuantities(255, 0, 128).H, 330);
    EXPECT_EQ(ProfileQuantities(128, 128, 128), (TProfileQuantities{128, 0, 0, 128}));
    EXPECT_EQ(ProfileQuantities(0, 0, 0), (TProfileQuantities{0, 0, 0, 0}));
    EXPECT_EQ(ProfileQuantities(255, 255, 0).H, 60);  // red and green tie: red first
    EXPECT_EQ(ProfileQuantities(10, 20, 25).H, 200);  // (10-20)*60 div 15 + 240 = -40 + 240
    EXPECT_EQ(ProfileQuantities(100, 50, 60).H, 348); // (50-60)*60 div 50 = -12 -> 348
}

TEST(Profile, HorizontalLineSamplesFourPixels) {
    TBitmap32 bmp(20, 10);
    for (int x = 0; x < 20; ++x)
        for (int y = 0; y < 10; ++y) bmp.SetPixel(x, y, Color32(std::uint8_t(x), std::uint8_t(y), 0, 0));
    const auto samples = ComputeProfile(bmp, {10, 5}, {13, 5});
    ASSERT_EQ(samples.size(), 4u);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(samples[std::size_t(k)].X, 10.5 + k);
        EXPECT_EQ(samples[std::size_t(k)].Y, 5.5);
        EXPECT_EQ(samples[std::size_t(k)].R, 10 + k);
        EXPECT_EQ(samples[std::size_t(k)].G, 5);
    }
    const TTextGrid grid = ProfileGrid(samples, ',');
    ASSERT_EQ(grid.RowCount(), 5);
    EXPECT_EQ(grid.Row(0), ProfileHeaderCells());
    EXPECT_EQ(grid.Row(1), (std::vector<std::string>{"0", "10,5", "5,5", "10", "5", "0", "5", "30", "255", "10"}));
    EXPECT_EQ(grid.Row(4)[1], "13,5");
}

TEST(Profile, DiagonalAndReversedLines) {
    TBitmap32 bmp(8, 8);
    for (int i = 0; i < 64; ++i) bmp.Bits()[i] = Color32(std::uint8_t(i), 0, 0);
    auto samples = ComputeProfile(bmp, {0, 0}, {3, 4});
    ASSERT_EQ(samples.size(), 6u);
    EXPECT_EQ(ProfilePointsText({0, 0}, {3, 4}, '.'), "Points = (0, 0)   (3, 4)     Distance = 5.0");
    EXPECT_EQ(samples.front().PixelX, 0);
    EXPECT_EQ(samples.back().PixelX, 3);
    EXPECT_EQ(samples.back().PixelY, 4);
    EXPECT_DOUBLE_EQ(samples[1].X, 0.5 + 0.6);
    EXPECT_DOUBLE_EQ(samples[1].Y, 0.5 + 0.8);
    // From the other end the same pixels in the opposite order.
    auto back = ComputeProfile(bmp, {3, 4}, {0, 0});
    ASSERT_EQ(back.size(), 6u);
    for (std::size_t k = 0; k < 6; ++k) EXPECT_EQ(back[k].R, samples[5 - k].R);
    EXPECT_EQ(ProfileChartTitle("a.png", {0, 0}, {3, 4}), "Pixel Profile:   a.png   from (0, 0) to (3, 4)");
    EXPECT_EQ(ProfilePointsText({1, 2}, {3, 3}, ','), "Points = (1, 2)   (3, 3)     Distance = 2,2");
}

TEST(Profile, ShortAbsentAndOutsideLinesGiveNoSamples) {
    TBitmap32 bmp(8, 8);
    bmp.Clear(clWhite32);
    EXPECT_TRUE(ComputeProfile(bmp, {2, 2}, {2, 2}).empty());    // a click
    EXPECT_TRUE(ComputeProfile(bmp, {2, 2}, {3, 3}).empty());    // L = 1
    EXPECT_EQ(ComputeProfile(bmp, {2, 2}, {4, 2}).size(), 3u);   // L = 2
    EXPECT_TRUE(ComputeProfile(bmp, AbsentProfilePoint, {4, 2}).empty());
    EXPECT_TRUE(ComputeProfile(bmp, {2, 2}, {8, 2}).empty());    // end beyond the right edge
    EXPECT_TRUE(ComputeProfile(bmp, {-1, 2}, {5, 2}).empty());
    EXPECT_EQ(ComputeProfile(bmp, {0, 0}, {7, 7}).size(), 11u);  // corner to corner: 9.9 -> 10
    EXPECT_EQ(ProfilePointsText(AbsentProfilePoint, {1, 1}, '.'), "");
}
