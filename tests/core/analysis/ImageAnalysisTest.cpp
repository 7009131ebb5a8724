#include "core/analysis/ImageAnalysis.h"

#include "../processing/TestImages.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace ivra;
using namespace ivra::test;

namespace {

// The definition: one RGBToHSL per pixel, every table incremented directly.
TChannelHistograms SlowAnalysis(const TBitmap32& bmp) {
    TChannelHistograms h;
    h.PixelCount = std::int32_t(bmp.PixelCount());
    auto level = [](float v) { return std::size_t(std::nearbyint(double(v) * 100.0)); };
    for (std::size_t i = 0; i < bmp.PixelCount(); ++i) {
        const TColor32 c = bmp.Bits()[i];
        ++h.Red[RedComponent(c)];
        ++h.Green[GreenComponent(c)];
        ++h.Blue[BlueComponent(c)];
        ++h.Gray[(61u * RedComponent(c) + 174u * GreenComponent(c) + 21u * BlueComponent(c)) >> 8];
        float hh, s, l;
        RGBToHSL(c, hh, s, l);
        ++h.Hue.at(level(hh));
        ++h.Saturation.at(level(s));
        ++h.Value.at(level(l));
    }
    return h;
}

void ExpectSame(const TChannelHistograms& a, const TChannelHistograms& b, const std::string& what) {
    EXPECT_EQ(a.PixelCount, b.PixelCount) << what;
    EXPECT_EQ(a.Red, b.Red) << what;
    EXPECT_EQ(a.Green, b.Green) << what;
    EXPECT_EQ(a.Blue, b.Blue) << what;
    EXPECT_EQ(a.Gray, b.Gray) << what;
    EXPECT_EQ(a.Hue, b.Hue) << what;
    EXPECT_EQ(a.Saturation, b.Saturation) << what;
    EXPECT_EQ(a.Value, b.Value) << what;
}

} // namespace

TEST(AnalyseImage, MatchesTheDefinitionInEveryLoopMode) {
    for (int kind = 0; kind < 2; ++kind) {
        TBitmap32 bmp;
        if (kind == 0)
            FillRandom(bmp, 1003, 1100, 17);
        else
            FillBlocky(bmp, 999, 1201, 18);
        const TChannelHistograms expected = SlowAnalysis(bmp);
        for (const TLoopMode& m : LoopModes()) {
            TLoopModeScope scope(m);
            TChannelHistograms h;
            AnalyseImage(bmp, "pic.png", h);
            ExpectSame(h, expected, m.Name());
            EXPECT_EQ(h.ImageName, "pic.png");
        }
    }
}

// The vector hue must agree with RGBToHSL on every colour there is.
TEST(AnalyseImage, EveryColourCountsAtTheLevelsOfRGBToHSL) {
    TBitmap32 bmp(4096, 256);
    for (std::uint32_t part = 0; part < 16; ++part) {
        for (std::uint32_t i = 0; i < bmp.PixelCount(); ++i) bmp.Bits()[i] = 0xFF000000u | (part << 20) | i;
        TChannelHistograms h;
        AnalyseImage(bmp, "", h);
        ExpectSame(h, SlowAnalysis(bmp), "part " + std::to_string(part));
    }
}

TEST(AnalyseImage, PrimaryColoursAndGrays) {
    struct Case { TColor32 c; std::size_t hue, sat, val, gray; };
    const Case cases[] = {
        {Color32(255, 0, 0), 0, 100, 50, 60},   {Color32(0, 255, 0), 33, 100, 50, 173},
        {Color32(0, 0, 255), 67, 100, 50, 20},  {Color32(128, 128, 128, 0), 0, 0, 50, 128},
        {Color32(255, 255, 255), 0, 0, 100, 255}, {Color32(0, 0, 0), 0, 0, 0, 0},
    };
    for (const Case& k : cases) {
        TBitmap32 bmp(3, 2);
        bmp.Clear(k.c);
        TChannelHistograms h;
        AnalyseImage(bmp, "x", h);
        EXPECT_EQ(h.PixelCount, 6);
        EXPECT_EQ(h.Hue[k.hue], 6u) << std::hex << k.c;
        EXPECT_EQ(h.Saturation[k.sat], 6u) << std::hex << k.c;
        EXPECT_EQ(h.Value[k.val], 6u) << std::hex << k.c;
        EXPECT_EQ(h.Gray[k.gray], 6u) << std::hex << k.c;
        EXPECT_EQ(h.Red[RedComponent(k.c)], 6u);
    }
}

TEST(AnalyseImage, ReplacesTheEarlierCountsAndHandlesEmptyImages) {
    TBitmap32 bmp(4, 4);
    bmp.Clear(Color32(1, 2, 3));
    TChannelHistograms h;
    AnalyseImage(bmp, "a", h);
    TBitmap32 empty;
    AnalyseImage(empty, "b", h);
    EXPECT_EQ(h.PixelCount, 0);
    EXPECT_EQ(h.Red[1], 0u);
    EXPECT_EQ(h.ImageName, "b");
    EXPECT_EQ(ChannelCounts(h, TAnalysisChannel::Value).size(), 101u);
    EXPECT_EQ(ChannelCounts(h, TAnalysisChannel::Gray).size(), 256u);
    EXPECT_EQ(ChannelLevelCount(TAnalysisChannel::Hue), 101);
}
