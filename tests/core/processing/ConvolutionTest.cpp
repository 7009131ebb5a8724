#include "core/Error.h"
#include "core/processing/Convolution.h"
#include "core/processing/Filters.h"

#include "TestImages.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

using namespace ivra;
using namespace ivra::test;

namespace {

// The definition, pixel by pixel, from a full copy of the source.
std::vector<TColor32> SlowConvolve(const TBitmap32& src, const std::vector<std::int32_t>& k, int size,
                                   std::uint32_t divisor, int bias) {
    const int w = src.Width(), h = src.Height(), r = size / 2;
    std::vector<TColor32> out = Pixels(src);
    for (int y = r; y < h - r; ++y) {
        for (int x = r; x < w - r; ++x) {
            int level[3];
            for (int ch = 0; ch < 3; ++ch) {
                const int shift = 16 - 8 * ch;
                std::int64_t sum = 0;
                for (int j = 0; j < size; ++j)
                    for (int i = 0; i < size; ++i)
                        sum += std::int64_t(k[std::size_t(j * size + i)]) *
                               ((src.Pixel(x - r + i, y - r + j) >> shift) & 0xFF);
                std::int64_t v = sum / std::int64_t(divisor) + bias; // truncation toward zero
                level[ch] = v > 254 ? 255 : (v < 1 ? 0 : int(v));
            }
            out[std::size_t(y) * std::size_t(w) + std::size_t(x)] =
                Color32(std::uint8_t(level[0]), std::uint8_t(level[1]), std::uint8_t(level[2]), 255);
        }
    }
    return out;
}

std::vector<std::int32_t> KernelOf(const TFilterInfo& f) {
    return std::vector<std::int32_t>(f.kernel.begin(), f.kernel.begin() + f.size * f.size);
}

void RunKernel(const std::vector<std::int32_t>& k, int size, std::uint16_t divisor, std::uint8_t bias,
               TBitmap32& bmp) {
    if (size == 3) {
        TKernel3x3 k3;
        std::copy(k.begin(), k.end(), k3.begin());
        Convolve3x3(k3, divisor, bias, bmp);
    } else {
        TKernel5x5 k5;
        std::copy(k.begin(), k.end(), k5.begin());
        Convolve5x5(k5, divisor, bmp);
    }
}

} // namespace

TEST(Filters, TableHasTheTwentyMenuItemsWithTheirNames) {
    const auto table = FilterTable();
    ASSERT_EQ(table.size(), 20u);
    const char* names[] = {"sharpen", "unsharp-mask", "soften", "soften-5x5", "blur", "gaussian-blur",
                           "laplace-origin", "edge-enhance", "find-edges-up-down", "find-edges-down-up",
                           "laplace", "sobel-horizontal", "sobel-vertical", "prewit-horizontal",
                           "prewit-vertical", "hi-pass", "emboss", "color-emboss", "lap1", "hp3"};
    std::set<int> tags;
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_STREQ(table[i].name, names[i]);
        EXPECT_EQ(FilterCommandName(table[i].caption), table[i].name);
        EXPECT_EQ(FindFilterByName(table[i].name), &table[i]);
        EXPECT_EQ(FindFilterByTag(table[i].tag), &table[i]);
        tags.insert(table[i].tag);
        // A kernel whose weights sum to more than 1 has that sum as divisor.
        std::int64_t sum = 0;
        for (int j = 0; j < table[i].size * table[i].size; ++j) sum += table[i].kernel[std::size_t(j)];
        EXPECT_EQ(table[i].divisor, sum > 1 ? sum : 1) << table[i].caption;
        EXPECT_EQ(table[i].size == 5, table[i].tag == 20 || table[i].tag == 21);
    }
    EXPECT_EQ(tags.size(), 20u);
    EXPECT_EQ(FindFilterByTag(9), nullptr); // "LAP4" is hidden and has no kernel
    EXPECT_EQ(FindFilterByName("lap4"), nullptr);
    EXPECT_EQ(FilterCommandName("  Find Edges (down-up )"), "find-edges-down-up");
}

// Every filter, every loop variant, against the definition: random pixels
// and blocky ones, widths that are and are not multiples of the vector
// width, and sizes large enough to be split into bands.
TEST(Convolution, EveryFilterMatchesTheDefinition) {
    struct Size { int w, h; };
    const Size sizes[] = {{3, 3}, {5, 5}, {6, 7}, {13, 9}, {17, 40}, {64, 4500}};
    for (const TFilterInfo& f : FilterTable()) {
        for (const Size& s : sizes) {
            for (int kind = 0; kind < 2; ++kind) {
                TBitmap32 src;
                if (kind == 0)
                    FillRandom(src, s.w, s.h, std::uint32_t(f.tag * 1000 + s.w));
                else
                    FillBlocky(src, s.w, s.h, std::uint32_t(f.tag * 1000 + s.w));
                const auto expected = SlowConvolve(src, KernelOf(f), f.size, f.divisor, f.bias);
                for (const TLoopMode& m : LoopModes()) {
                    TLoopModeScope scope(m);
                    TBitmap32 bmp;
                    bmp.Assign(src);
                    ApplyFilter(f, bmp);
                    ASSERT_EQ(Pixels(bmp), expected) << f.caption << " " << s.w << "x" << s.h << " " << m.Name();
                    // Written apart into a bitmap of stale pixels: the same
                    // result, the source untouched.
                    TBitmap32 apart(s.w, s.h);
                    apart.Clear(0xDEADBEEFu);
                    ApplyFilter(f, src, apart);
                    ASSERT_EQ(Pixels(apart), expected) << f.caption << " apart " << s.w << "x" << s.h << " " << m.Name();
                }
            }
        }
    }
}

// Kernels of other weights: negative sums with divisors (truncation before
// the bias), sums beyond 16 bits, and weights so large that only 64-bit
// sums hold them.
TEST(Convolution, RandomKernelsMatchTheDefinition) {
    std::mt19937 rng(99);
    TBitmap32 src;
    FillRandom(src, 45, 21, 5);
    for (int trial = 0; trial < 120; ++trial) {
        const int size = trial % 2 ? 5 : 3;
        const int range = trial < 40 ? 3 : (trial < 80 ? 400 : 200000);
        std::vector<std::int32_t> k(std::size_t(size * size));
        for (auto& w : k) w = std::int32_t(rng() % std::uint32_t(2 * range + 1)) - range;
        const std::uint16_t divisor = std::uint16_t(1 + rng() % (trial % 3 == 0 ? 7 : 300));
        const std::uint8_t bias = size == 3 ? std::uint8_t(rng() % 256) : 0;
        const auto expected = SlowConvolve(src, k, size, divisor, bias);
        for (const TLoopMode& m : LoopModes()) {
            TLoopModeScope scope(m);
            TBitmap32 bmp;
            bmp.Assign(src);
            RunKernel(k, size, divisor, bias, bmp);
            ASSERT_EQ(Pixels(bmp), expected) << "trial " << trial << " " << m.Name();
        }
    }
}

// Very wide, short images are cut into bands of one or two rows, whose
// source rows come from the copies kept around several band boundaries.
TEST(Convolution, BandsOfSingleRowsOnWideImages) {
    TBitmap32 src;
    FillRandom(src, 70000, 9, 12);
    for (const char* name : {"laplace", "soften-5x5", "unsharp-mask"}) {
        const TFilterInfo& f = *FindFilterByName(name);
        const auto expected = SlowConvolve(src, KernelOf(f), f.size, f.divisor, f.bias);
        for (int threads : {2, 3, 8}) {
            TLoopModeScope scope({true, threads});
            TBitmap32 bmp;
            bmp.Assign(src);
            ApplyFilter(f, bmp);
            ASSERT_EQ(Pixels(bmp), expected) << name << " " << threads;
        }
    }
}

// Kernels of the two shapes the vector loops treat apart: separable ones
// (column x row, run as a vertical sum and a one-row kernel) and ones whose
// weights lie near multiples of one number (run as two 16-bit sums).
TEST(Convolution, SeparableAndSplitKernelsMatchTheDefinition) {
    std::mt19937 rng(7);
    TBitmap32 src;
    FillRandom(src, 150, 31, 8);
    for (int trial = 0; trial < 80; ++trial) {
        const int size = trial % 2 ? 5 : 3;
        std::vector<std::int32_t> k(std::size_t(size * size));
        if (trial < 40) {
            std::vector<std::int32_t> col(static_cast<std::size_t>(size)), row(static_cast<std::size_t>(size));
            for (auto& c : col) c = std::int32_t(rng() % 5) - 2;
            for (auto& r : row) r = std::int32_t(rng() % 5) - 2;
            for (int j = 0; j < size; ++j)
                for (int i = 0; i < size; ++i) k[std::size_t(j * size + i)] = col[std::size_t(j)] * row[std::size_t(i)];
        } else {
            const int m = 50 + int(rng() % 500);
            for (auto& w : k) w = m * (std::int32_t(rng() % 3) - 1) + std::int32_t(rng() % 5) - 2;
        }
        const std::uint16_t divisor = std::uint16_t(1 + rng() % 400);
        const std::uint8_t bias = size == 3 ? std::uint8_t(rng() % 256) : 0;
        const auto expected = SlowConvolve(src, k, size, divisor, bias);
        for (const TLoopMode& m : LoopModes()) {
            TLoopModeScope scope(m);
            TBitmap32 bmp;
            bmp.Assign(src);
            RunKernel(k, size, divisor, bias, bmp);
            ASSERT_EQ(Pixels(bmp), expected) << "trial " << trial << " " << m.Name();
        }
    }
}

TEST(Convolution, DivisionTruncatesTowardZeroBeforeTheBias) {
    // One red pixel of 7 under a centre weight of -1: -7 / 2 is -3 (not -4),
    // plus a bias of 5 gives 2.
    TBitmap32 bmp(3, 3);
    bmp.Clear(Color32(0, 0, 0));
    bmp.SetPixel(1, 1, Color32(7, 0, 0));
    Convolve3x3({0, 0, 0, 0, -1, 0, 0, 0, 0}, 2, 5, bmp);
    EXPECT_EQ(bmp.Pixel(1, 1), Color32(2, 5, 5));
    // Without a bias the -3 clamps to 0.
    bmp.SetPixel(1, 1, Color32(7, 0, 0));
    Convolve3x3({0, 0, 0, 0, -1, 0, 0, 0, 0}, 2, 0, bmp);
    EXPECT_EQ(bmp.Pixel(1, 1), Color32(0, 0, 0));
}

TEST(Convolution, FlatAreas) {
    struct Case { const char* name; std::uint8_t in; std::uint8_t out; };
    const Case cases[] = {
        {"emboss", 90, 128},  {"emboss", 250, 128}, {"laplace", 77, 0},   {"hi-pass", 77, 77},
        {"blur", 201, 201},   {"soften", 13, 13},   {"gaussian-blur", 255, 255}, {"soften-5x5", 99, 99},
        {"unsharp-mask", 140, 140}, {"sharpen", 30, 30}, {"laplace-origin", 100, 0}, {"lap1", 100, 0},
    };
    for (const Case& c : cases) {
        TBitmap32 bmp(12, 10);
        bmp.Clear(Color32(c.in, c.in, c.in, 100));
        ApplyFilter(*FindFilterByName(c.name), bmp);
        const int r = FindFilterByName(c.name)->size / 2;
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 12; ++x) {
                const bool border = x < r || y < r || x >= 12 - r || y >= 10 - r;
                ASSERT_EQ(bmp.Pixel(x, y), border ? Color32(c.in, c.in, c.in, 100) : Color32(c.out, c.out, c.out, 255))
                    << c.name << " at " << x << "," << y;
            }
    }
}

TEST(Convolution, TooSmallImagesAndBordersStayAsTheyWere) {
    struct Case { int w, h; bool changes3; bool changes5; };
    const Case cases[] = {{1, 1, false, false}, {2, 2, false, false}, {2, 9, false, false}, {9, 2, false, false},
                          {3, 3, true, false},  {4, 4, true, false},  {4, 9, true, false},  {5, 5, true, true}};
    for (const Case& c : cases) {
        for (const char* name : {"laplace", "soften-5x5"}) {
            TBitmap32 src;
            FillRandom(src, c.w, c.h, 7);
            TBitmap32 bmp;
            bmp.Assign(src);
            ApplyFilter(*FindFilterByName(name), bmp);
            const bool five = std::string(name) == "soften-5x5";
            const int r = five ? 2 : 1;
            const bool changes = five ? c.changes5 : c.changes3;
            EXPECT_EQ(Pixels(bmp) != Pixels(src), changes) << name << " " << c.w << "x" << c.h;
            for (int y = 0; y < c.h; ++y)
                for (int x = 0; x < c.w; ++x) {
                    if (x < r || y < r || x >= c.w - r || y >= c.h - r)
                        EXPECT_EQ(bmp.Pixel(x, y), src.Pixel(x, y)) << name;
                    else
                        EXPECT_EQ(AlphaComponent(bmp.Pixel(x, y)), 255) << name;
                }
        }
    }
}

TEST(Convolution, ZeroDivisorIsRefusedAndChangesNothing) {
    TBitmap32 bmp;
    FillRandom(bmp, 6, 6, 3);
    const auto before = Pixels(bmp);
    EXPECT_THROW(Convolve3x3({0, 0, 0, 0, 1, 0, 0, 0, 0}, 0, 0, bmp), Error);
    EXPECT_THROW(Convolve5x5(TKernel5x5{}, 0, bmp), Error);
    EXPECT_EQ(Pixels(bmp), before);
}

TEST(Convolution, NotifiesAChangeAndKeepsTheProperties) {
    TBitmap32 bmp(8, 8);
    bmp.SetMasterAlpha(77);
    bmp.SetDrawMode(TDrawMode::dmBlend);
    int changes = 0;
    bmp.OnChange = [&] { ++changes; };
    ApplyFilter(*FindFilterByName("blur"), bmp);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(bmp.MasterAlpha(), 77);
    EXPECT_EQ(bmp.DrawMode(), TDrawMode::dmBlend);
}

TEST(MatchSize, NamesTheMissingBitmapSourceFirst) {
    TBitmap32 a(3, 2), b;
    MatchSize(&b, &a);
    EXPECT_EQ(b.Width(), 3);
    EXPECT_EQ(b.Height(), 2);
    auto message = [](auto f) {
        try {
            f();
        } catch (const Error& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_EQ(message([&] { MatchSize(&b, nullptr); }), "The source is nil");
    EXPECT_EQ(message([&] { MatchSize(nullptr, &a); }), "Destination is nil");
    EXPECT_EQ(message([&] { MatchSize(nullptr, nullptr); }), "The source is nil");
}

TEST(ClampToByte, LimitsToByteRange) {
    EXPECT_EQ(ClampToByte(-5), 0);
    EXPECT_EQ(ClampToByte(0), 0);
    EXPECT_EQ(ClampToByte(1), 1);
    EXPECT_EQ(ClampToByte(254), 254);
    EXPECT_EQ(ClampToByte(255), 255);
    EXPECT_EQ(ClampToByte(100000), 255);
}
