#include "core/Error.h"
#include "core/processing/Channels.h"
#include "core/processing/ColorOps.h"

#include "TestImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace ivra;
using namespace ivra::test;

namespace {

std::string ErrorText(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    return std::string();
}

TColor32 SlowGray(TColor32 c) {
    const int v = (61 * RedComponent(c) + 174 * GreenComponent(c) + 21 * BlueComponent(c)) / 256;
    return Color32(std::uint8_t(v), std::uint8_t(v), std::uint8_t(v), 255);
}

} // namespace

TEST(GrayscaleBitmap, MatchesTheDefinitionInPlaceAndIntoAnotherBitmap) {
    for (const TLoopMode& m : LoopModes()) {
        TLoopModeScope scope(m);
        for (int kind = 0; kind < 2; ++kind) {
            TBitmap32 src;
            FillRandom(src, 700, 800 + kind, 11 + std::uint32_t(kind));
            std::vector<TColor32> expected = Pixels(src);
            for (auto& c : expected) c = SlowGray(c);
            TBitmap32 dst(3, 3);
            GrayscaleBitmap(&dst, &src);
            EXPECT_EQ(Pixels(dst), expected) << m.Name();
            GrayscaleBitmap(&src, &src);
            EXPECT_EQ(Pixels(src), expected) << m.Name();
        }
    }
}

TEST(GrayscaleBitmap, GrayStaysGrayAndWhiteStaysWhite) {
    TBitmap32 bmp(256, 1);
    for (int v = 0; v < 256; ++v) bmp.SetPixel(v, 0, Color32(std::uint8_t(v), std::uint8_t(v), std::uint8_t(v), 9));
    GrayscaleBitmap(&bmp, &bmp);
    for (int v = 0; v < 256; ++v) EXPECT_EQ(bmp.Pixel(v, 0), Gray32(std::uint8_t(v)));
    EXPECT_EQ(ErrorText([&] { GrayscaleBitmap(&bmp, nullptr); }), "The source is nil");
    EXPECT_EQ(ErrorText([&] { GrayscaleBitmap(nullptr, &bmp); }), "Destination is nil");
}

TEST(InvertBitmap, KeepsAlphaAndTwiceRestores) {
    TBitmap32 src;
    FillRandom(src, 640, 500, 4);
    const auto original = Pixels(src);
    TBitmap32 dst;
    InvertBitmap(&dst, &src);
    for (std::size_t i = 0; i < original.size(); ++i) {
        const TColor32 c = original[i];
        ASSERT_EQ(dst.Bits()[i], Color32(std::uint8_t(255 - RedComponent(c)), std::uint8_t(255 - GreenComponent(c)),
                                         std::uint8_t(255 - BlueComponent(c)), AlphaComponent(c)));
    }
    InvertBitmap(&src, &src);
    EXPECT_EQ(Pixels(src), Pixels(dst));
    InvertBitmap(&src, &src);
    EXPECT_EQ(Pixels(src), original);
    EXPECT_EQ(ErrorText([&] { InvertBitmap(nullptr, nullptr); }), "The source is nil");
}

TEST(IntensityToAlpha, AlphaFromIntensityColoursStay) {
    TBitmap32 dst, src;
    FillRandom(dst, 600, 450, 1);
    FillRandom(src, 600, 450, 2);
    const auto before = Pixels(dst);
    IntensityToAlpha(&dst, &src);
    for (std::size_t i = 0; i < before.size(); ++i)
        ASSERT_EQ(dst.Bits()[i], (before[i] & 0x00FFFFFFu) | (TColor32(Intensity(src.Bits()[i])) << 24));
    // In place: the alpha of each pixel becomes its own intensity.
    FillRandom(src, 5, 5, 3);
    const auto colours = Pixels(src);
    IntensityToAlpha(&src, &src);
    for (std::size_t i = 0; i < colours.size(); ++i)
        EXPECT_EQ(src.Bits()[i], (colours[i] & 0x00FFFFFFu) | (TColor32(Intensity(colours[i])) << 24));
}

TEST(IntensityToAlpha, RefusesMissingOrDifferentlySizedBitmaps) {
    TBitmap32 a(4, 4), b(4, 5);
    a.Clear(Color32(1, 2, 3, 4));
    EXPECT_EQ(ErrorText([&] { IntensityToAlpha(&a, nullptr); }), "The source is nil");
    EXPECT_EQ(ErrorText([&] { IntensityToAlpha(nullptr, &a); }), "Destination is nil");
    EXPECT_THROW(IntensityToAlpha(&a, &b), Error);
    EXPECT_EQ(a.Width(), 4);
    EXPECT_EQ(a.Pixel(0, 0), Color32(1, 2, 3, 4));
}

TEST(CountColors, MatchesASortedCount) {
    for (int kind = 0; kind < 3; ++kind) {
        TBitmap32 bmp;
        if (kind == 0) FillRandom(bmp, 1000, 700, 8);
        if (kind == 1) FillBlocky(bmp, 333, 77, 9);
        if (kind == 2) {
            // Every red and green level with one blue: 65536 colours, each twice.
            bmp.SetSize(512, 256);
            for (int y = 0; y < 256; ++y)
                for (int x = 0; x < 512; ++x) bmp.SetPixel(x, y, Color32(std::uint8_t(y), std::uint8_t(x / 2), 7));
        }
        std::vector<TColor32> px = Pixels(bmp);
        for (auto& c : px) c &= 0x00FFFFFFu;
        std::sort(px.begin(), px.end());
        const auto distinct = std::uint32_t(std::unique(px.begin(), px.end()) - px.begin());
        EXPECT_EQ(CountColors(bmp), distinct) << kind;
    }
    TBitmap32 empty;
    EXPECT_EQ(CountColors(empty), 0u);
}

TEST(CountColors, OneColourAndAlphaIgnored) {
    TBitmap32 bmp(10, 10);
    bmp.Clear(Color32(5, 6, 7));
    EXPECT_EQ(CountColors(bmp), 1u);
    bmp.SetPixel(3, 3, Color32(5, 6, 7, 0)); // differs only in alpha
    EXPECT_EQ(CountColors(bmp), 1u);
    bmp.SetPixel(9, 9, Color32(5, 6, 8));
    EXPECT_EQ(CountColors(bmp), 2u);
    EXPECT_EQ(CountColorsMessage(2), "The number of unique colors in this image is 2");
}

TEST(ChannelImage, MatchesTheDefinition) {
    TBitmap32 src;
    FillRandom(src, 900, 400, 21);
    for (TColorChannel ch : {TColorChannel::Red, TColorChannel::Green, TColorChannel::Blue, TColorChannel::Hue,
                             TColorChannel::Saturation, TColorChannel::Value}) {
        std::vector<TColor32> expected = Pixels(src);
        for (auto& c : expected) {
            float h, s, l;
            RGBToHSL(c, h, s, l);
            const std::uint8_t r = RedComponent(c), g = GreenComponent(c), b = BlueComponent(c);
            switch (ch) {
            case TColorChannel::Red: c = Gray32(r); break;
            case TColorChannel::Green: c = Gray32(g); break;
            case TColorChannel::Blue: c = Gray32(b); break;
            case TColorChannel::Hue: c = HSLToRGB(h, 1.0f, 0.5f); break;
            case TColorChannel::Saturation: c = Gray32(std::uint8_t(std::nearbyint(double(s) * 255.0))); break;
            case TColorChannel::Value: c = Gray32(std::max({r, g, b})); break;
            }
        }
        for (const TLoopMode& m : LoopModes()) {
            TLoopModeScope scope(m);
            TBitmap32 dst;
            ChannelImage(&dst, &src, ch);
            ASSERT_EQ(Pixels(dst), expected) << ColorChannelName(ch) << " " << m.Name();
        }
    }
}

TEST(ChannelImage, HsvOfGraysAndSaturationExamples) {
    TBitmap32 gray(4, 1);
    for (int x = 0; x < 4; ++x) gray.SetPixel(x, 0, Gray32(std::uint8_t(x * 80), 30));
    TBitmap32 hue, sat, val;
    ChannelImage(&hue, &gray, TColorChannel::Hue);
    ChannelImage(&sat, &gray, TColorChannel::Saturation);
    ChannelImage(&val, &gray, TColorChannel::Value);
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(hue.Pixel(x, 0), Color32(255, 0, 0));
        EXPECT_EQ(sat.Pixel(x, 0), Gray32(0));
        EXPECT_EQ(val.Pixel(x, 0), Gray32(std::uint8_t(x * 80)));
    }
    TBitmap32 colours(3, 1);
    colours.SetPixel(0, 0, Color32(255, 255, 255));
    colours.SetPixel(1, 0, Color32(255, 0, 0));
    colours.SetPixel(2, 0, Color32(128, 0, 0));
    ChannelImage(&sat, &colours, TColorChannel::Saturation);
    EXPECT_EQ(sat.Pixel(0, 0), Gray32(0));
    EXPECT_EQ(sat.Pixel(1, 0), Gray32(255));
    EXPECT_EQ(sat.Pixel(2, 0), Gray32(255)); // saturation is lightness-based
    ChannelImage(&colours, &colours, TColorChannel::Hue);
    EXPECT_EQ(colours.Pixel(2, 0), Color32(255, 0, 0));
    EXPECT_STREQ(ColorChannelName(TColorChannel::Saturation), "Saturation");
}
