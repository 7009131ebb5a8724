#include "core/Error.h"
#include "core/processing/Levels.h"

#include "TestImages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

using namespace ivra;
using namespace ivra::test;

TEST(Brightness, Examples) {
    struct Case { int change; TColor32 in; TColor32 out; };
    const Case cases[] = {
        {10, Color32(250, 100, 0, 255), Color32(255, 110, 10)},
        {-10, Color32(250, 100, 0, 255), Color32(240, 90, 0)},
        {0, Color32(250, 100, 0, 17), Color32(250, 100, 0)}, // only alpha changes
        {255, Color32(0, 1, 2, 0), Color32(255, 255, 255)},
        {-255, Color32(255, 254, 3), Color32(0, 0, 0)},
        {1000, Color32(0, 0, 0), Color32(255, 255, 255)}, // beyond the range: saturates
        {-2147483647 - 1, Color32(255, 255, 255), Color32(0, 0, 0)},
    };
    for (const Case& c : cases) {
        TBitmap32 bmp(2, 1);
        bmp.Clear(c.in);
        AdjustBrightness(bmp, c.change);
        EXPECT_EQ(bmp.Pixel(1, 0), c.out) << c.change;
    }
}

TEST(Stretch, GainAndLevelsFromFiftyToTwoHundred) {
    EXPECT_EQ(StretchGain(50, 200), 1.7f);
    struct Case { int in; int out; };
    const Case cases[] = {{50, 0}, {125, 128}, {200, 255}, {30, 0}, {230, 255}, {51, 2}};
    TBitmap32 bmp(6, 1);
    for (int i = 0; i < 6; ++i) bmp.SetPixel(i, 0, Gray32(std::uint8_t(cases[i].in), 3));
    StretchLevels(bmp, 50, 200);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(bmp.Pixel(i, 0), Gray32(std::uint8_t(cases[i].out))) << cases[i].in;
}

TEST(Levels, HalvesRoundToEven) {
    // factor 0.5: 1 -> 0.5 -> 0, 3 -> 1.5 -> 2, 5 -> 2.5 -> 2, 7 -> 3.5 -> 4.
    EXPECT_EQ(MapLevel(1, 0, 0.5f), 0);
    EXPECT_EQ(MapLevel(3, 0, 0.5f), 2);
    EXPECT_EQ(MapLevel(5, 0, 0.5f), 2);
    EXPECT_EQ(MapLevel(7, 0, 0.5f), 4);
    EXPECT_EQ(MapLevel(10, 20, 3.0f), 0);
    EXPECT_EQ(MapLevel(255, -100, 1.0f), 255);
}

TEST(Levels, WholeImageMatchesTheLevelMapping) {
    const std::pair<std::int32_t, float> args[] = {{0, 1.0f}, {-37, 1.0f}, {50, 1.7f}, {3, 0.3333f}, {128, -2.0f}};
    for (const auto& [offset, factor] : args) {
        TBitmap32 src;
        FillRandom(src, 800, 700, 6);
        std::vector<TColor32> expected = Pixels(src);
        for (auto& c : expected)
            c = Color32(MapLevel(RedComponent(c), offset, factor), MapLevel(GreenComponent(c), offset, factor),
                        MapLevel(BlueComponent(c), offset, factor), 255);
        for (const TLoopMode& m : LoopModes()) {
            TLoopModeScope scope(m);
            TBitmap32 bmp;
            bmp.Assign(src);
            AdjustLevels(offset, bmp, factor);
            ASSERT_EQ(Pixels(bmp), expected) << offset << " " << factor << " " << m.Name();
        }
    }
}

TEST(Levels, RefusesWhatHasNoMapping) {
    TBitmap32 bmp(3, 3);
    bmp.Clear(Color32(10, 20, 30, 40));
    EXPECT_THROW(StretchLevels(bmp, 100, 100), Error); // one gray level: no gain
    EXPECT_THROW(StretchLevels(bmp, 120, 100), Error);
    EXPECT_THROW(AdjustLevels(0, bmp, std::numeric_limits<float>::infinity()), Error);
    EXPECT_THROW(AdjustLevels(0, bmp, std::numeric_limits<float>::quiet_NaN()), Error);
    EXPECT_EQ(bmp.Pixel(1, 1), Color32(10, 20, 30, 40));
}

// The source-to-destination forms give the in-place result and leave the
// source as it was.
TEST(Levels, WrittenApartEqualsInPlace) {
    TBitmap32 src;
    FillRandom(src, 37, 23, 7);
    const auto original = Pixels(src);
    const std::function<void(TBitmap32&)> inPlace[] = {[](TBitmap32& b) { AdjustBrightness(b, 40); },
                                                       [](TBitmap32& b) { StretchLevels(b, 30, 220); }};
    const std::function<void(const TBitmap32&, TBitmap32&)> apart[] = {
        [](const TBitmap32& s, TBitmap32& d) { AdjustBrightness(s, d, 40); },
        [](const TBitmap32& s, TBitmap32& d) { StretchLevels(s, d, 30, 220); }};
    for (int i = 0; i < 2; ++i) {
        TBitmap32 expected, result;
        expected.Assign(src);
        inPlace[i](expected);
        apart[i](src, result);
        EXPECT_EQ(Pixels(result), Pixels(expected)) << i;
        EXPECT_EQ(Pixels(src), original) << i;
    }
}
