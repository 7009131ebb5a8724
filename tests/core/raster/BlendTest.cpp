#include "core/processing/PixelLoops.h"
#include "core/raster/Blend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

using namespace ivra;

namespace {

// Random pixels with every alpha once per 256 pixels (so that a row of them,
// blended at each master alpha, meets every pair of alpha and master alpha),
// and runs of clear and of opaque pixels for the loops' shortcuts.
std::vector<TColor32> TestPixels(std::size_t n, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<TColor32> p(n);
    for (std::size_t i = 0; i < n; ++i) p[i] = (rng() & 0x00FFFFFFu) | (TColor32(i & 255) << 24);
    std::shuffle(p.begin(), p.end(), rng);
    for (std::size_t i = 40; i < 57 && i < n; ++i) p[i] &= 0x00FFFFFFu;   // clear
    for (std::size_t i = 80; i < 105 && i < n; ++i) p[i] |= 0xFF000000u;  // opaque
    return p;
}

struct PathCase {
    const char* name;
    bool avx2;
};
const PathCase paths[] = {{"portable", false}, {"avx2 when present", true}};

class BlendPaths : public ::testing::TestWithParam<PathCase> {
protected:
    void SetUp() override { SetAvx2Allowed(GetParam().avx2); }
    void TearDown() override { SetAvx2Allowed(true); }
};

} // namespace

// The vector rows give BlendPixel's result for every pixel, at every master
// alpha, at every row length and offset (vector bodies and scalar tails).
TEST_P(BlendPaths, RowEqualsScalarFormula) {
    const std::vector<TColor32> src = TestPixels(512 + 13, 1), dst = TestPixels(512 + 13, 2);
    for (std::uint32_t master = 0; master <= 255; ++master) {
        std::vector<TColor32> out(dst);
        BlendRow(src.data(), out.data(), int(src.size()), master);
        for (std::size_t i = 0; i < src.size(); ++i)
            ASSERT_EQ(out[i], BlendPixel(src[i], dst[i], master)) << "master " << master << " pixel " << i;
    }
    for (int offset = 0; offset < 9; ++offset)
        for (int count = 0; count < 40; ++count) {
            std::vector<TColor32> out(dst);
            BlendRow(src.data() + 100 + offset, out.data() + offset, count, 200);
            for (int i = 0; i < int(out.size()); ++i) {
                const bool inRow = i >= offset && i < offset + count;
                ASSERT_EQ(out[std::size_t(i)],
                          inRow ? BlendPixel(src[std::size_t(100 + i)], dst[std::size_t(i)], 200) : dst[std::size_t(i)])
                    << "offset " << offset << " count " << count << " pixel " << i;
            }
        }
}

// Every draw mode through every stretch path: the result is the source
// sampled opaquely (the same stretch in dmOpaque), combined pixel by pixel
// with the scalar formula.
TEST_P(BlendPaths, DrawToCombinesEveryStretchByTheScalarFormula) {
    struct Case {
        TDrawMode mode;
        TStretchFilter filter;
        int dstW, dstH; // the source is 37 x 23
    };
    const Case cases[] = {
        {TDrawMode::dmOpaque, TStretchFilter::sfNearest, 37, 23}, {TDrawMode::dmBlend, TStretchFilter::sfNearest, 37, 23},
        {TDrawMode::dmCustom, TStretchFilter::sfNearest, 37, 23}, {TDrawMode::dmBlend, TStretchFilter::sfNearest, 111, 70},
        {TDrawMode::dmBlend, TStretchFilter::sfNearest, 10, 6},   {TDrawMode::dmOpaque, TStretchFilter::sfNearest, 90, 9},
        {TDrawMode::dmBlend, TStretchFilter::sfLinear, 111, 70},  {TDrawMode::dmCustom, TStretchFilter::sfLinear, 10, 6},
    };
    const std::vector<TColor32> srcPixels = TestPixels(37 * 23, 3), dstPixels = TestPixels(120 * 80, 4);
    for (const Case& c : cases)
        for (std::uint32_t master : {0u, 1u, 128u, 254u, 255u}) {
            SCOPED_TRACE(::testing::Message() << "mode " << int(c.mode) << " filter " << int(c.filter) << " size "
                                              << c.dstW << "x" << c.dstH << " master " << master);
            TBitmap32 src(37, 23), dst(120, 80), sampled(120, 80);
            std::copy(srcPixels.begin(), srcPixels.end(), src.Bits());
            std::copy(dstPixels.begin(), dstPixels.end(), dst.Bits());
            src.SetStretchFilter(c.filter);
            const TRect at{-3, 5, c.dstW - 3, c.dstH + 5}; // clipped on the left
            src.DrawTo(sampled, at);
            src.SetDrawMode(c.mode);
            src.SetMasterAlpha(int(master));
            src.DrawTo(dst, at);
            for (int y = 0; y < dst.Height(); ++y)
                for (int x = 0; x < dst.Width(); ++x) {
                    const TColor32 before = dstPixels[std::size_t(y * 120 + x)];
                    TColor32 want = before;
                    if (x >= std::max(at.Left, 0) && x < at.Right && y >= at.Top && y < at.Bottom)
                        want = c.mode == TDrawMode::dmOpaque ? sampled.Pixel(x, y)
                                                             : BlendPixel(sampled.Pixel(x, y), before, master);
                    ASSERT_EQ(dst.Pixel(x, y), want) << "at " << x << "," << y;
                }
        }
}

// The stretches sample each destination pixel as the pointwise definition
// says, however the rows are shared between destination rows: nearest takes
// the source pixel under the centre; linear weighs the four around it in
// 1/256 (horizontally first, then vertically), edges clamped.
TEST(Stretch, EqualsPointwiseSampling) {
    const int sw = 13, sh = 9;
    TBitmap32 src(sw, sh);
    const std::vector<TColor32> pixels = TestPixels(std::size_t(sw * sh), 5);
    std::copy(pixels.begin(), pixels.end(), src.Bits());
    auto lerp = [](TColor32 a, TColor32 b, std::uint32_t w) {
        TColor32 r = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const std::uint32_t ca = (a >> shift) & 255, cb = (b >> shift) & 255;
            r |= (((ca * (256 - w) + cb * w + 128) >> 8) & 255) << shift;
        }
        return r;
    };
    auto tap = [](std::int64_t d, std::int64_t dlen, std::int64_t slen, int& i0, int& i1, std::uint32_t& w) {
        std::int64_t pos = std::max<std::int64_t>(((2 * d + 1) * slen * 256) / (2 * dlen) - 128, 0);
        i0 = int(std::min<std::int64_t>(pos >> 8, slen - 1));
        w = (pos >> 8) >= slen - 1 ? 0 : std::uint32_t(pos & 255);
        i1 = std::min(i0 + 1, int(slen - 1));
    };
    const struct {
        int dw, dh;
    } sizes[] = {{40, 31}, {13, 9}, {6, 4}, {100, 7}, {5, 50}};
    for (const TStretchFilter filter : {TStretchFilter::sfNearest, TStretchFilter::sfLinear})
        for (const auto& size : sizes) {
            if (size.dw == sw && size.dh == sh) continue; // 1:1 copies
            src.SetStretchFilter(filter);
            TBitmap32 dst(size.dw, size.dh);
            src.DrawTo(dst, dst.BoundsRect());
            for (int y = 0; y < size.dh; ++y)
                for (int x = 0; x < size.dw; ++x) {
                    TColor32 want;
                    if (filter == TStretchFilter::sfNearest) {
                        want = src.Pixel(int((2 * x + 1) * sw / (2 * size.dw)), int((2 * y + 1) * sh / (2 * size.dh)));
                    } else {
                        int x0, x1, y0, y1;
                        std::uint32_t wx, wy;
                        tap(x, size.dw, sw, x0, x1, wx);
                        tap(y, size.dh, sh, y0, y1, wy);
                        want = lerp(lerp(src.Pixel(x0, y0), src.Pixel(x1, y0), wx),
                                    lerp(src.Pixel(x0, y1), src.Pixel(x1, y1), wx), wy);
                    }
                    ASSERT_EQ(dst.Pixel(x, y), want) << "filter " << int(filter) << " size " << size.dw << "x"
                                                     << size.dh << " at " << x << "," << y;
                }
        }
}

// A clipped draw writes the clip's pixels exactly as the whole draw does,
// and nothing else.
TEST(Stretch, ClipWritesTheSamePixelsAsTheWholeDraw) {
    const std::vector<TColor32> pixels = TestPixels(21 * 17, 6), back = TestPixels(60 * 50, 7);
    const TRect clips[] = {{10, 8, 30, 25}, {-5, -5, 12, 70}, {0, 0, 60, 50}, {40, 40, 45, 41}, {30, 30, 30, 40}};
    for (const TStretchFilter filter : {TStretchFilter::sfNearest, TStretchFilter::sfLinear})
        for (const TRect& at : {TRect{3, 2, 24, 19}, TRect{-4, 5, 51, 47}})
            for (const TRect& clip : clips) {
                TBitmap32 src(21, 17), whole(60, 50), clipped(60, 50);
                std::copy(pixels.begin(), pixels.end(), src.Bits());
                std::copy(back.begin(), back.end(), whole.Bits());
                std::copy(back.begin(), back.end(), clipped.Bits());
                src.SetStretchFilter(filter);
                src.SetDrawMode(TDrawMode::dmBlend);
                src.SetMasterAlpha(200);
                src.DrawTo(whole, at);
                src.DrawTo(clipped, at, src.BoundsRect(), clip);
                for (int y = 0; y < 50; ++y)
                    for (int x = 0; x < 60; ++x) {
                        const bool inside = x >= clip.Left && x < clip.Right && y >= clip.Top && y < clip.Bottom;
                        ASSERT_EQ(clipped.Pixel(x, y), inside ? whole.Pixel(x, y) : back[std::size_t(y * 60 + x)])
                            << "filter " << int(filter) << " at " << x << "," << y;
                    }
            }
}

INSTANTIATE_TEST_SUITE_P(Blend, BlendPaths, ::testing::ValuesIn(paths),
                         [](const auto& info) { return info.param.avx2 ? "Avx2" : "Portable"; });
