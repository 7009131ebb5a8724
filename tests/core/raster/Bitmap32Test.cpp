#include "core/Error.h"
#include "core/raster/Bitmap32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

using namespace ivra;

TEST(Bitmap32, SizeAndEmptiness) {
    TBitmap32 b;
    EXPECT_TRUE(b.Empty());
    b.SetSize(-3, 5);
    EXPECT_EQ(b.Width(), 0);
    EXPECT_EQ(b.Height(), 5);
    EXPECT_TRUE(b.Empty());
    b.SetSize(3, 2);
    EXPECT_FALSE(b.Empty());
    EXPECT_EQ(b.ScanLine(1), b.Bits() + 3); // rows top-down, contiguous
    b.Clear(0xFF102030u);
    EXPECT_EQ(b.Pixel(2, 1), 0xFF102030u);
}

TEST(Bitmap32, RefusesGiantSizesWithTheAllocationMessage) {
    TBitmap32 b(2, 2);
    try {
        b.SetSize(1 << 20, 1 << 20);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Can't allocate the DIB handle");
    }
    EXPECT_EQ(b.Width(), 2); // unchanged
}

TEST(Bitmap32, ChecksBoundsOnSafeAccess) {
    TBitmap32 b(2, 2);
    b.Clear(clWhite32);
    b.SetOuterColor(0x12345678u);
    EXPECT_EQ(b.PixelS(-1, 0), 0x12345678u);
    EXPECT_EQ(b.PixelS(0, 2), 0x12345678u);
    EXPECT_EQ(b.PixelS(1, 1), clWhite32);
    b.SetPixelS(5, 5, 0); // ignored
    b.SetPixelS(1, 0, 0);
    EXPECT_EQ(b.Pixel(1, 0), 0u);
}

TEST(Bitmap32, ResetAlphaKeepsColour) {
    TBitmap32 b(1, 1);
    b.SetPixel(0, 0, 0x00ABCDEFu);
    b.ResetAlpha();
    EXPECT_EQ(b.Pixel(0, 0), 0xFFABCDEFu);
}

TEST(Bitmap32, NotificationsNestAndUnpairedEndIsAnError) {
    TBitmap32 b(1, 1);
    int changes = 0, resizes = 0;
    b.OnChange = [&] { ++changes; };
    b.OnResize = [&] { ++resizes; };
    b.BeginUpdate();
    b.BeginUpdate();
    b.Clear();
    b.EndUpdate();
    b.Clear();
    EXPECT_EQ(changes, 0);
    b.EndUpdate();
    b.Clear();
    EXPECT_EQ(changes, 1);
    b.SetSize(1, 1); // same size: nothing
    EXPECT_EQ(resizes, 0);
    b.SetSize(2, 1);
    EXPECT_EQ(resizes, 1);
    EXPECT_EQ(changes, 2);
    try {
        b.EndUpdate();
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Unpaired TThreadPersistent.EndUpdate");
    }
}

TEST(Bitmap32, AssignCopiesPixelsAndProperties) {
    TBitmap32 a(3, 2), b;
    a.Clear(0xFF010203u);
    a.SetDrawMode(TDrawMode::dmBlend);
    a.SetMasterAlpha(300); // clamped
    a.SetStretchFilter(TStretchFilter::sfLinear);
    b.Assign(a);
    EXPECT_EQ(b.Width(), 3);
    EXPECT_EQ(b.Pixel(2, 1), 0xFF010203u);
    EXPECT_EQ(b.DrawMode(), TDrawMode::dmBlend);
    EXPECT_EQ(b.MasterAlpha(), 255);
    EXPECT_EQ(b.StretchFilter(), TStretchFilter::sfLinear);
}

TEST(Bitmap32, OpaqueDrawClipsToTheDestination) {
    TBitmap32 src(2, 2), dst(3, 3);
    src.Clear(clWhite32);
    dst.Clear(clBlack32);
    src.DrawTo(dst, 2, -1);
    EXPECT_EQ(dst.Pixel(2, 0), clWhite32);
    EXPECT_EQ(dst.Pixel(1, 0), clBlack32);
    EXPECT_EQ(dst.Pixel(2, 1), clBlack32);
    TBitmap32 empty;
    empty.DrawTo(dst, 0, 0); // nothing, no crash
    src.DrawTo(empty, 0, 0);
}

TEST(Bitmap32, BlendUsesSourceAlphaTimesMasterAlpha) {
    TBitmap32 src(1, 1), dst(1, 1);
    src.SetDrawMode(TDrawMode::dmBlend);
    src.SetPixel(0, 0, Color32(255, 255, 255, 255));
    src.SetMasterAlpha(128);
    dst.Clear(clBlack32);
    src.DrawTo(dst, 0, 0);
    EXPECT_EQ(dst.Pixel(0, 0), Color32(128, 128, 128, 255));
    // Fully transparent source leaves the destination alone.
    src.SetPixel(0, 0, 0x00FFFFFFu);
    src.SetMasterAlpha(255);
    dst.Clear(0xFF336699u);
    src.DrawTo(dst, 0, 0);
    EXPECT_EQ(dst.Pixel(0, 0), 0xFF336699u);
}

TEST(Bitmap32, NearestStretchDoublesAndHalves) {
    TBitmap32 src(2, 1), dst(4, 2);
    src.SetPixel(0, 0, clBlack32);
    src.SetPixel(1, 0, clWhite32);
    src.DrawTo(dst, dst.BoundsRect());
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(dst.Pixel(0, y), clBlack32);
        EXPECT_EQ(dst.Pixel(1, y), clBlack32);
        EXPECT_EQ(dst.Pixel(2, y), clWhite32);
        EXPECT_EQ(dst.Pixel(3, y), clWhite32);
    }
    TBitmap32 small(1, 1);
    dst.DrawTo(small, small.BoundsRect(), TRect{2, 0, 4, 2});
    EXPECT_EQ(small.Pixel(0, 0), clWhite32);
}

TEST(Bitmap32, LinearStretchInterpolatesBetweenNeighbours) {
    TBitmap32 src(2, 1), dst(4, 1);
    src.SetStretchFilter(TStretchFilter::sfLinear);
    src.SetPixel(0, 0, Gray32(0));
    src.SetPixel(1, 0, Gray32(200));
    src.DrawTo(dst, dst.BoundsRect());
    EXPECT_EQ(dst.Pixel(0, 0), Gray32(0));   // clamped at the edge
    EXPECT_EQ(dst.Pixel(1, 0), Gray32(50));  // a quarter of the way
    EXPECT_EQ(dst.Pixel(2, 0), Gray32(150));
    EXPECT_EQ(dst.Pixel(3, 0), Gray32(200));
    // A flat source stays flat at any scale.
    TBitmap32 flat(3, 5), big(17, 11);
    flat.SetStretchFilter(TStretchFilter::sfLinear);
    flat.Clear(0xFF4080C0u);
    flat.DrawTo(big, big.BoundsRect());
    for (int y = 0; y < big.Height(); ++y)
        for (int x = 0; x < big.Width(); ++x) ASSERT_EQ(big.Pixel(x, y), 0xFF4080C0u);
}

// New pixel memory is always defined: all 0, even where freed memory that
// held other pixels is handed out again.
TEST(Bitmap32, NewPixelsAreZero) {
    for (int round = 0; round < 3; ++round) {
        TBitmap32 used(300, 200);
        used.Clear(0xFFFFFFFFu);
    }
    for (auto [w, h] : {std::pair{300, 200}, std::pair{1, 1}, std::pair{4096, 64}}) {
        TBitmap32 bmp;
        bmp.SetSize(w, h);
        const TColor32* p = bmp.Bits();
        EXPECT_TRUE(std::all_of(p, p + bmp.PixelCount(), [](TColor32 c) { return c == 0; })) << w << "x" << h;
    }
}
