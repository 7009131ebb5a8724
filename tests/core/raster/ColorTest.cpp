#include "core/raster/Color32.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace ivra;

TEST(Color32, BuildSplitAndIntensity) {
    const TColor32 c = Color32(0x12, 0x34, 0x56, 0x78);
    EXPECT_EQ(c, 0x78123456u);
    EXPECT_EQ(RedComponent(c), 0x12);
    EXPECT_EQ(GreenComponent(c), 0x34);
    EXPECT_EQ(BlueComponent(c), 0x56);
    EXPECT_EQ(AlphaComponent(c), 0x78);
    EXPECT_EQ(Gray32(200), 0xFFC8C8C8u);
    EXPECT_EQ(Gray32(7, 0), 0x00070707u);
    // The weights sum to 256, so white stays 255 and black 0.
    EXPECT_EQ(Intensity(clWhite32), 255);
    EXPECT_EQ(Intensity(clBlack32), 0);
    EXPECT_EQ(Intensity(Color32(255, 0, 0)), 60);  // 61*255 >> 8
    EXPECT_EQ(Intensity(Color32(0, 255, 0)), 173); // 174*255 >> 8
    EXPECT_EQ(Intensity(Color32(0, 0, 255)), 20);  // 21*255 >> 8
}

TEST(Color32, PlatformColoursSwapRedAndBlue) {
    EXPECT_EQ(Color32FromPlatform(0x00FF8040), Color32(0x40, 0x80, 0xFF, 255));
    EXPECT_EQ(PlatformColor(Color32(0x40, 0x80, 0xFF, 0x10)), 0x00FF8040);
    // A system colour index resolves to an opaque RGB value.
    const TColor32 window = Color32FromPlatform(TColor(0x80000005));
    EXPECT_EQ(AlphaComponent(window), 255);
    EXPECT_EQ(window, clWhite32);
}

TEST(HSL, GraysHaveNoHueOrSaturation) {
    float h, s, l;
    RGBToHSL(Gray32(128), h, s, l);
    EXPECT_EQ(h, 0.0f);
    EXPECT_EQ(s, 0.0f);
    EXPECT_FLOAT_EQ(l, 128.0f / 255.0f);
    EXPECT_EQ(HSLToRGB(0.0f, 0.0f, l), Gray32(128));
}

TEST(HSL, PrimaryAndSecondaryHues) {
    struct Case { TColor32 c; float h; };
    const Case cases[] = {
        {Color32(255, 0, 0), 0.0f},           {Color32(255, 255, 0), 1.0f / 6.0f},
        {Color32(0, 255, 0), 2.0f / 6.0f},    {Color32(0, 255, 255), 3.0f / 6.0f},
        {Color32(0, 0, 255), 4.0f / 6.0f},    {Color32(255, 0, 255), 5.0f / 6.0f},
    };
    for (const auto& k : cases) {
        float h, s, l;
        RGBToHSL(k.c, h, s, l);
        EXPECT_NEAR(h, k.h, 1e-6) << std::hex << k.c;
        EXPECT_FLOAT_EQ(s, 1.0f);
        EXPECT_FLOAT_EQ(l, 0.5f);
        EXPECT_EQ(HSLToRGB(h, s, l), k.c);
    }
}

TEST(HSL, NegativeHueWrapsAndMagentaSideIsBelowOne) {
    float h, s, l;
    RGBToHSL(Color32(255, 0, 128), h, s, l); // max = r, g < b: negative before the wrap
    EXPECT_GT(h, 0.9f);
    EXPECT_LT(h, 1.0f);
}

TEST(HSL, RoundTripOfEveryColourOnAGridIsExact) {
    // Single-precision HSL keeps enough bits that converting back gives the
    // same 8-bit channels.
    for (int r = 0; r < 256; r += 5)
        for (int g = 0; g < 256; g += 7)
            for (int b = 0; b < 256; b += 3) {
                float h, s, l;
                const TColor32 c = Color32(std::uint8_t(r), std::uint8_t(g), std::uint8_t(b));
                RGBToHSL(c, h, s, l);
                ASSERT_EQ(HSLToRGB(h, s, l), c) << r << "," << g << "," << b;
            }
}

TEST(HSL, RoundingOfHalvesGoesToEven) {
    // L = 0.5 / 255 * k gives exact halves when multiplied by 255 in floats
    // for small k; 0.5 -> 0, 1.5 -> 2, 2.5 -> 2.
    EXPECT_EQ(HSLToRGB(0.0f, 0.0f, 0.5f / 255.0f), Gray32(0));
    EXPECT_EQ(HSLToRGB(0.0f, 0.0f, 1.5f / 255.0f), Gray32(2));
    EXPECT_EQ(HSLToRGB(0.0f, 0.0f, 2.5f / 255.0f), Gray32(2));
}
