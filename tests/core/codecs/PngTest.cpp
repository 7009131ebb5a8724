// PNG: every colour type and bit depth read into ARGB, broken files, the
// writer's layout and filters, and the filter choice. Every file the writer
// makes is read back twice: by libpng and by a reader of this file that
// shares no code with it (zlib's inflate and our own row unfiltering).

#include "CodecTestUtil.h"

#include "core/Error.h"
#include "core/codecs/ImageFiles.h"

#include <cstdlib>
#include <functional>
#include <set>
#include <thread>

using namespace ivra;
using namespace ivra::test;

namespace {

void Decode(const Bytes& png, TBitmap32& bmp) {
    EXPECT_EQ(DecodeImage(png.data(), png.size(), "t.png", bmp, TImageFormat::Png), TImageFormat::Png);
}

std::string DecodeError(const Bytes& data, const std::string& name = "/x/bad.png") {
    TBitmap32 bmp(1, 1);
    bmp.Clear(0xFF010203u);
    try {
        DecodeImage(data.data(), data.size(), name, bmp, TImageFormat::Png);
    } catch (const Error& e) {
        EXPECT_EQ(bmp.Width(), 1);
        EXPECT_EQ(bmp.Pixel(0, 0), 0xFF010203u) << "the bitmap changed";
        return e.what();
    }
    ADD_FAILURE() << "no error";
    return {};
}

using Sample = std::function<std::uint32_t(int x, int y, int c)>;
using Expect = std::function<TColor32(int x, int y)>;

struct TPngCase {
    const char* name;
    int depth, colorType;
    Sample sample;
    Expect expect;
    Bytes plte = {}, trns = {};
};

std::uint32_t Pattern(int x, int y, int c, int depth) {
    const std::uint32_t max = (1u << depth) - 1;
    return std::uint32_t(x * 7 + y * 13 + c * 29 + (x * y) % 5) % (max + 1);
}

// A 16-bit sample (taken modulo 2^16, as the file stores it) as 8 bits:
// v x 255 / 65535 rounded to the nearest, in floating point.
std::uint8_t To8(std::uint32_t v) { return std::uint8_t(std::lround((v & 0xFFFF) * 255.0 / 65535.0)); }

std::vector<TPngCase> Cases() {
    std::vector<TPngCase> v;
    for (int depth : {1, 2, 4, 8}) {
        const int scale = 255 / ((1 << depth) - 1);
        v.push_back({"gray", depth, 0, [depth](int x, int y, int c) { return Pattern(x, y, c, depth); },
                     [depth, scale](int x, int y) { return Gray32(std::uint8_t(Pattern(x, y, 0, depth) * scale)); }});
        v.push_back({"palette", depth, 3, [depth](int x, int y, int c) { return Pattern(x, y, c, depth); },
                     [depth](int x, int y) {
                         const std::uint32_t i = Pattern(x, y, 0, depth);
                         // Entries 0 and 1 carry alpha 0 and 100; the rest are opaque.
                         const std::uint8_t a = i == 0 ? 0 : i == 1 ? 100 : 255;
                         return Color32(std::uint8_t(i * 3), std::uint8_t(255 - i), std::uint8_t(i * 7 % 256), a);
                     },
                     [depth] {
                         Bytes p;
                         for (int i = 0; i < (1 << depth); ++i) {
                             p.push_back(std::uint8_t(i * 3));
                             p.push_back(std::uint8_t(255 - i));
                             p.push_back(std::uint8_t(i * 7 % 256));
                         }
                         return p;
                     }(),
                     {0, 100}});
    }
    v.push_back({"gray 16 bit rounded to 8", 16, 0, [](int x, int y, int) { return std::uint32_t(x * 4099 + y * 777); },
                 [](int x, int y) { return Gray32(To8(std::uint32_t(x * 4099 + y * 777))); }});
    v.push_back({"gray with a transparent value", 8, 0, [](int x, int y, int) { return std::uint32_t((x + y) % 3 * 100); },
                 [](int x, int y) {
                     const std::uint8_t g = std::uint8_t((x + y) % 3 * 100);
                     return Gray32(g, g == 100 ? 0 : 255);
                 },
                 {}, {0, 100}});
    v.push_back({"gray and alpha", 8, 4, [](int x, int y, int c) { return Pattern(x, y, c, 8); },
                 [](int x, int y) { return Gray32(std::uint8_t(Pattern(x, y, 0, 8)), std::uint8_t(Pattern(x, y, 1, 8))); }});
    v.push_back({"gray and alpha 16 bit", 16, 4, [](int x, int y, int c) { return Pattern(x, y, c, 16) * 3; },
                 [](int x, int y) {
                     return Gray32(To8(Pattern(x, y, 0, 16) * 3), To8(Pattern(x, y, 1, 16) * 3));
                 }});
    v.push_back({"RGB", 8, 2, [](int x, int y, int c) { return Pattern(x, y, c, 8); },
                 [](int x, int y) {
                     return Color32(std::uint8_t(Pattern(x, y, 0, 8)), std::uint8_t(Pattern(x, y, 1, 8)),
                                    std::uint8_t(Pattern(x, y, 2, 8)));
                 }});
    v.push_back({"RGB with a transparent colour", 8, 2, [](int x, int, int c) { return std::uint32_t(x % 2 * (c + 1)); },
                 [](int x, int) { return x % 2 ? Color32(1, 2, 3, 0) : Color32(0, 0, 0); }, {}, {0, 1, 0, 2, 0, 3}});
    v.push_back({"RGB 16 bit", 16, 2, [](int x, int y, int c) { return std::uint32_t(x * 1000 + y * 300 + c * 20000) & 0xFFFF; },
                 [](int x, int y) {
                     auto ch = [&](int c) { return To8(std::uint32_t(x * 1000 + y * 300 + c * 20000)); };
                     return Color32(ch(0), ch(1), ch(2));
                 }});
    v.push_back({"RGBA", 8, 6, [](int x, int y, int c) { return Pattern(x, y, c, 8); },
                 [](int x, int y) {
                     return Color32(std::uint8_t(Pattern(x, y, 0, 8)), std::uint8_t(Pattern(x, y, 1, 8)),
                                    std::uint8_t(Pattern(x, y, 2, 8)), std::uint8_t(Pattern(x, y, 3, 8)));
                 }});
    v.push_back({"RGBA 16 bit", 16, 6, [](int x, int y, int c) { return Pattern(x, y, c, 16) * 5; },
                 [](int x, int y) {
                     auto ch = [&](int c) { return To8(Pattern(x, y, c, 16) * 5); };
                     return Color32(ch(0), ch(1), ch(2), ch(3));
                 }});
    return v;
}

// The prediction of PNG filter type t (0 None ... 4 Paeth) from the bytes
// to the left (a), above (b) and above left (c).
int Predict(int t, int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    const int paeth = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
    const int predictions[] = {0, a, b, (a + b) / 2, paeth};
    return predictions[t];
}

// The second reader: checks the chunks (IHDR first, then IDAT chunks of at
// most 256 KB, IEND last, every CRC), inflates the image data with zlib,
// undoes the filters and compares the pixels with want.
::testing::AssertionResult ReadsBackIndependently(const Bytes& png, const TBitmap32& want) {
    if (png.size() < 8 || !std::equal(PngSignature().begin(), PngSignature().end(), png.begin()))
        return ::testing::AssertionFailure() << "no PNG signature";
    std::vector<std::string> order;  // runs of IDAT chunks count once
    for (std::size_t pos = 8; pos < png.size();) {
        if (pos + 12 > png.size()) return ::testing::AssertionFailure() << "a chunk is cut at " << pos;
        const std::uint32_t len = GetBe32(png, pos);
        const std::string type(png.begin() + long(pos) + 4, png.begin() + long(pos) + 8);
        if (pos + 12 + len > png.size()) return ::testing::AssertionFailure() << type << " runs past the end";
        if (crc32(0, &png[pos + 4], len + 4) != GetBe32(png, pos + 8 + len))
            return ::testing::AssertionFailure() << type << " at " << pos << ": CRC error";
        if (type == "IDAT" && len > 256 * 1024) return ::testing::AssertionFailure() << "IDAT of " << len << " bytes";
        if (type != "IDAT" || order.empty() || order.back() != "IDAT") order.push_back(type);
        pos += 12 + len;
    }
    if (order != std::vector<std::string>{"IHDR", "IDAT", "IEND"}) return ::testing::AssertionFailure() << "chunks out of order";
    TPngParts parts = SplitPng(png);
    const std::size_t bpp = parts.colorType == 6 ? 4 : 3, w = parts.width, n = w * bpp;
    if (parts.width != std::uint32_t(want.Width()) || parts.height != std::uint32_t(want.Height()) ||
        parts.depth != 8 || (parts.colorType != 2 && parts.colorType != 6) || parts.raw.size() != (n + 1) * parts.height)
        return ::testing::AssertionFailure() << "unexpected header or data size";
    Bytes& raw = parts.raw;
    for (std::size_t y = 0; y < parts.height; ++y) {
        std::uint8_t* row = &raw[y * (n + 1) + 1];
        const std::uint8_t* up = y > 0 ? row - (n + 1) : nullptr;
        if (row[-1] > 4) return ::testing::AssertionFailure() << "filter type " << int(row[-1]) << " in row " << y;
        for (std::size_t i = 0; i < n; ++i)
            row[i] = std::uint8_t(row[i] + Predict(row[-1], i >= bpp ? row[i - bpp] : 0, up ? up[i] : 0,
                                                   up && i >= bpp ? up[i - bpp] : 0));
        for (std::size_t x = 0; x < w; ++x) {
            const std::uint8_t* p = row + x * bpp;
            const TColor32 got = Color32(p[0], p[1], p[2], bpp == 4 ? p[3] : 255);
            if (got != want.Pixel(int(x), int(y)))
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << "): " << std::hex << got;
        }
    }
    return ::testing::AssertionSuccess();
}

// An opaque image that filter type t (1 to 4) suits best: beyond the top row
// and the left column, which are noise, every byte is the filter's
// prediction plus a constant of its row, so that the rows filtered with t
// are each one repeated byte. For t = 0 the bytes are random 0s and 1s,
// which every filter only makes noisier.
void MakeImageForFilter(TBitmap32& bmp, int t) {
    const int w = 100, h = 60, n = w * 3;
    std::vector<std::uint8_t> v(std::size_t(n * h));
    std::uint32_t s = std::uint32_t(t) + 11;
    auto random = [&s] { return int((s = s * 1664525u + 1013904223u) >> 24); };
    for (int y = 0; y < h; ++y) {
        const int delta = 21 + 2 * (random() % 21);
        for (int i = 0; i < n; ++i) {
            auto at = [&](int yy, int ii) { return yy >= 0 && ii >= 0 ? int(v[std::size_t(yy * n + ii)]) : 0; };
            const int noise = random();
            v[std::size_t(y * n + i)] = std::uint8_t(t == 0 ? noise & 1
                                                     : y == 0 || i < 3
                                                         ? noise
                                                         : Predict(t, at(y, i - 3), at(y - 1, i), at(y - 1, i - 3)) + delta);
        }
    }
    bmp.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = &v[std::size_t(y * n + x * 3)];
            bmp.SetPixel(x, y, Color32(p[0], p[1], p[2]));
        }
}

} // namespace

// Rounding, not truncation: the mean of a 16-bit image read as 8 bits
// matches the mean of its samples scaled in floating point (truncation
// made it about half a level low).
TEST(PngRead, SixteenBitMeanMatchesAFloatReference) {
    const int w = 64, h = 64;
    auto sample = [](int x, int y, int) { return std::uint32_t((x * 7919 + y * 104729) % 65536); };
    TBitmap32 bmp;
    Decode(MakePng(w, h, 16, 0, false, sample), bmp);
    double mean = 0, reference = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            mean += RedComponent(bmp.Pixel(x, y));
            reference += sample(x, y, 0) * 255.0 / 65535.0;
        }
    EXPECT_NEAR(mean / (w * h), reference / (w * h), 0.02);
}

TEST(PngRead, EveryColourTypeAndDepthPlainAndInterlaced) {
    // Odd sizes leave some Adam7 passes empty and some rows partial.
    const std::pair<int, int> sizes[] = {{1, 1}, {3, 1}, {9, 7}, {17, 11}};
    for (const TPngCase& c : Cases())
        for (bool interlace : {false, true})
            for (auto [w, h] : sizes) {
                SCOPED_TRACE(std::string(c.name) + " depth " + std::to_string(c.depth) + (interlace ? " interlaced " : " ") +
                             std::to_string(w) + "x" + std::to_string(h));
                const Bytes png = MakePng(w, h, c.depth, c.colorType, interlace, c.sample, c.plte, c.trns);
                TBitmap32 bmp;
                Decode(png, bmp);
                TBitmap32 want(w, h);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) want.SetPixel(x, y, c.expect(x, y));
                EXPECT_TRUE(SameBitmaps(bmp, want));
            }
}

TEST(PngRead, BrokenFilesGetTheirMessage) {
    auto rgb = [](int x, int y, int c) { return Pattern(x, y, c, 8); };
    const Bytes good = MakePng(40, 30, 8, 2, false, rgb);
    const std::string prefix = "\"/x/bad.png\": ";

    EXPECT_EQ(DecodeError(Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}),
              prefix + "Invalid Portable Graphics Network image, it has an invalid file header.");
    EXPECT_EQ(DecodeError(Bytes{0x89, 'P', 'N', 'G'}),
              prefix + "Invalid Portable Graphics Network image, it has an invalid file header.");
    EXPECT_EQ(DecodeError(Bytes{}), prefix + "the file is empty");

    struct TCut {
        const char* what;
        std::size_t keep;
    };
    for (const TCut cut : {TCut{"after the signature", 8}, TCut{"inside IHDR", 20}, TCut{"inside IDAT", good.size() / 2},
                           TCut{"before IEND", good.size() - 20}}) {
        SCOPED_TRACE(cut.what);
        EXPECT_EQ(DecodeError(Bytes(good.begin(), good.begin() + long(cut.keep))), prefix + "truncated image data");
    }

    Bytes badCrc = good;
    badCrc[8 + 8 + 13] ^= 1;  // IHDR's CRC
    EXPECT_EQ(DecodeError(badCrc), prefix + "invalid PNG data: IHDR: CRC error");

    auto withIhdr = [](std::uint32_t w, std::uint32_t h, int depth, int colorType, const Bytes& idat) {
        Bytes png = PngSignature();
        PutChunk(png, "IHDR", IhdrData(w, h, depth, colorType, 0));
        PutChunk(png, "IDAT", idat);
        PutChunk(png, "IEND", {});
        return png;
    };
    const Bytes someRows = Deflate(Bytes(4 * 31, 0));
    EXPECT_EQ(DecodeError(withIhdr(70000, 70000, 8, 2, someRows)),
              prefix + "the image is too large (70000 x 70000 pixels; the limit is 268435456 pixels)");
    // Within the limit, but the data could never fill 2^28 pixels: refused
    // before the bitmap is allocated.
    EXPECT_EQ(DecodeError(withIhdr(16384, 16384, 8, 2, someRows)), prefix + "truncated image data");
    EXPECT_NE(DecodeError(withIhdr(0, 5, 8, 2, someRows)).find("invalid PNG data: "), std::string::npos);
    EXPECT_NE(DecodeError(withIhdr(5, 5, 4, 2, someRows)).find("invalid PNG data: "), std::string::npos);  // RGB at 4 bits
    EXPECT_NE(DecodeError(withIhdr(5, 5, 8, 2, Bytes(40, 0x55))).find("invalid PNG data: "), std::string::npos);
    // A complete zlib stream with too few rows.
    EXPECT_EQ(DecodeError(withIhdr(10, 10, 8, 2, Deflate(Bytes(31 * 3, 0)))), prefix + "invalid PNG data: Not enough image data");
    // A row with filter type 9.
    Bytes badFilter(31 * 10, 0);
    badFilter[31 * 4] = 9;
    EXPECT_NE(DecodeError(withIhdr(10, 10, 8, 2, Deflate(badFilter))).find("invalid PNG data: "), std::string::npos);
}

TEST(PngWrite, RoundTripIsExactForEveryFilterSet) {
    for (bool alpha : {false, true})
        for (auto [w, h] : {std::pair{1, 1}, std::pair{7, 5}, std::pair{64, 33}})
            for (int i = 0; i < 5; ++i) {
                SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + (alpha ? " alpha " : " ") + PngFilterName(PngFilterOfIndex(i)));
                TBitmap32 bmp;
                MakeTestImage(bmp, w, h, alpha, std::uint32_t(w + h + i));
                const Bytes png = EncodePng(bmp, PngFilterOfIndex(i));
                TBitmap32 back;
                Decode(png, back);
                EXPECT_TRUE(SameBitmaps(back, bmp));
                EXPECT_TRUE(ReadsBackIndependently(png, bmp));
                const TPngParts parts = SplitPng(png);
                EXPECT_EQ(parts.width, std::uint32_t(w));
                EXPECT_EQ(parts.depth, 8);
                EXPECT_EQ(parts.colorType, alpha ? 6 : 2);  // RGB when every pixel is opaque
                EXPECT_EQ(parts.interlace, 0);
            }
}

TEST(PngWrite, EveryLevelReadsBackAndLongDataIsCutIntoChunks) {
    // 860 KB of rows, a third of them noise: more than one IDAT chunk at any level.
    for (bool alpha : {false, true}) {
        TBitmap32 bmp;
        MakeTestImage(bmp, 800, 360, alpha, 12);
        for (int level : {0, 1, DefaultPngCompression().level, 12}) {
            SCOPED_TRACE("level " + std::to_string(level) + (alpha ? " alpha" : ""));
            const Bytes png = EncodePng(bmp, PngFilterPaeth, TPngCompression{level});
            TBitmap32 back;
            Decode(png, back);
            EXPECT_TRUE(SameBitmaps(back, bmp));
            EXPECT_TRUE(ReadsBackIndependently(png, bmp));
            EXPECT_GE(SplitPng(png).idatChunks, 2);
        }
    }
    for (int level : {-1, 13}) EXPECT_THROW(EncodePng(TBitmap32(2, 2), PngFilterNone, TPngCompression{level}), Error);
}

TEST(PngWrite, RowsUseOnlyNoneAndTheGivenFilter) {
    TBitmap32 bmp;
    MakeTestImage(bmp, 50, 40, false, 9);
    // Rows of one colour here and there: they are written unfiltered.
    for (int y : {0, 7, 8, 39})
        for (int x = 0; x < 50; ++x) bmp.SetPixel(x, y, Color32(90, 80, 70));
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(PngFilterName(PngFilterOfIndex(i)));
        const TPngParts parts = SplitPng(EncodePng(bmp, PngFilterOfIndex(i)));
        const std::size_t stride = 1 + 50 * 3;
        ASSERT_EQ(parts.raw.size(), stride * 40);
        std::set<int> used;
        for (int y = 0; y < 40; ++y) {
            const int f = parts.raw[std::size_t(y) * stride];
            used.insert(f);
            if (y == 0 || y == 7 || y == 8 || y == 39) {
                EXPECT_EQ(f, 0) << "row " << y;
            }
        }
        EXPECT_TRUE(used.count(0));
        if (i == 0) {
            EXPECT_EQ(used, std::set<int>{0});
        } else {
            EXPECT_EQ(used, (std::set<int>{0, i})) << "the filter was never used or another one was";
        }
    }
}

TEST(PngFilterChoice, FlatImagesKeepNone) {
    const TColor32 colours[] = {Color32(200, 30, 90), Gray32(77), Color32(10, 20, 30, 128), clBlack32, 0};
    for (auto [w, h] : {std::pair{1, 1}, std::pair{37, 5}, std::pair{300, 200}})
        for (TColor32 c : colours) {
            SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " colour " + std::to_string(c));
            TBitmap32 bmp(w, h);
            bmp.Clear(c);
            const TPngChoice choice = ChoosePngFilter(bmp);
            for (std::size_t s : choice.sizes) EXPECT_EQ(s, choice.sizes[0]) << "every filter gives the same size";
            EXPECT_EQ(choice.filterSet, PngFilterNone);
            EXPECT_EQ(ComputePNGSize(bmp), PngFilterNone);
        }
}

TEST(PngFilterChoice, TheSmallestTrialWinsAndItsBytesAreKept) {
    struct TImage {
        const char* name;
        std::function<void(TBitmap32&)> make;
    };
    const TImage images[] = {
        {"noise", [](TBitmap32& b) { MakeTestImage(b, 61, 47, false, 3); }},
        {"noise with alpha", [](TBitmap32& b) { MakeTestImage(b, 33, 20, true, 4); }},
        {"horizontal ramp", [](TBitmap32& b) {
             b.SetSize(120, 40);
             for (int y = 0; y < 40; ++y)
                 for (int x = 0; x < 120; ++x) b.SetPixel(x, y, Gray32(std::uint8_t(x * 2)));
         }},
        {"vertical stripes", [](TBitmap32& b) {
             b.SetSize(90, 60);
             for (int y = 0; y < 60; ++y)
                 for (int x = 0; x < 90; ++x) b.SetPixel(x, y, Color32(std::uint8_t(x * 37), std::uint8_t(x * 11), 5));
         }},
        {"diagonal", [](TBitmap32& b) {
             b.SetSize(80, 80);
             for (int y = 0; y < 80; ++y)
                 for (int x = 0; x < 80; ++x) b.SetPixel(x, y, Color32(std::uint8_t(x + y), std::uint8_t(x * y), std::uint8_t(x ^ y)));
         }},
    };
    for (const TImage& img : images) {
        SCOPED_TRACE(img.name);
        TBitmap32 bmp;
        img.make(bmp);
        const TPngChoice choice = ChoosePngFilter(bmp);
        // The same sizes as one trial at a time, in index order.
        int best = 0;
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(choice.sizes[std::size_t(i)], PNGFilterSize(i, bmp)) << "trial " << i;
            if (choice.sizes[std::size_t(i)] < choice.sizes[std::size_t(best)]) best = i;
        }
        EXPECT_EQ(choice.index, best);
        EXPECT_EQ(choice.filterSet, PngFilterOfIndex(best));
        EXPECT_EQ(ComputePNGSize(bmp), PngFilterOfIndex(best));
        ASSERT_EQ(choice.bytes.size(), choice.sizes[std::size_t(best)]);
        EXPECT_EQ(choice.bytes, EncodePng(bmp, PngFilterOfIndex(best)));
        TBitmap32 back;
        Decode(choice.bytes, back);
        EXPECT_TRUE(SameBitmaps(back, bmp));
        EXPECT_TRUE(ReadsBackIndependently(choice.bytes, bmp));
    }
}

TEST(PngFilterChoice, EachFilterWinsOnTheImageMadeForIt) {
    for (int t = 0; t < 5; ++t) {
        SCOPED_TRACE(PngFilterName(PngFilterOfIndex(t)));
        TBitmap32 bmp;
        MakeImageForFilter(bmp, t);
        const TPngChoice choice = ChoosePngFilter(bmp);
        EXPECT_EQ(choice.index, t);
        for (int i = 0; i < 5; ++i) {
            if (i == t) continue;
            EXPECT_LT(choice.sizes[std::size_t(t)], choice.sizes[std::size_t(i)]) << "trial " << i;
        }
        EXPECT_TRUE(ReadsBackIndependently(choice.bytes, bmp));
    }
}

TEST(PngFilterChoice, IndexesOutsideOneToFourMeanNone) {
    TBitmap32 bmp;
    MakeTestImage(bmp, 20, 10, false, 5);
    const std::size_t none = PNGFilterSize(0, bmp);
    for (int i : {-1, 5, 100}) EXPECT_EQ(PNGFilterSize(i, bmp), none);
    EXPECT_EQ(PngFilterOfIndex(7), PngFilterNone);
    EXPECT_STREQ(PngFilterName(PngFilterOfIndex(3)), "Average");
}

TEST(PngFilterChoice, CallbackRunsOnTheCallingThreadOncePerTrial) {
    TBitmap32 bmp;
    MakeTestImage(bmp, 200, 100, false, 6);
    const auto caller = std::this_thread::get_id();
    std::vector<int> seen;
    std::array<std::size_t, 5> sizes{};
    const TPngChoice choice = ChoosePngFilter(bmp, [&](int index, std::size_t size) {
        EXPECT_EQ(std::this_thread::get_id(), caller);
        seen.push_back(index);
        sizes[std::size_t(index)] = size;
    });
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(sizes, choice.sizes);
}

TEST(PngFilterChoice, ErrorInTheCallbackReachesTheCaller) {
    TBitmap32 bmp;
    MakeTestImage(bmp, 100, 50, false, 7);
    int calls = 0;
    EXPECT_THROW(ChoosePngFilter(bmp, [&](int, std::size_t) {
                     ++calls;
                     throw Error("stop");
                 }),
                 Error);
    EXPECT_EQ(calls, 1);
}

TEST(SaveToPng, NameGetsThePngExtension) {
    const std::pair<const char*, const char*> names[] = {
        {"a.jpg", "a.png"},       {"a", "a.png"},           {"a.b.c", "a.b.png"},      {"dir.x/a", "dir.x/a.png"},
        {"/p/photo.JPG", "/p/photo.png"}, {"a.png", "a.png"}, {"a.PNG", "a.PNG"}, {"dir/.x", "dir/.png"},
    };
    for (auto [in, out] : names) EXPECT_EQ(PngFileName(in), out) << in;
}

TEST(SaveToPng, WritesTheWinningTrialUnderThePngName) {
    TempDir dir;
    TBitmap32 bmp;
    MakeTestImage(bmp, 70, 30, true, 8);
    std::uint8_t filter = 0xFF;
    std::array<std::size_t, 5> sizes{};
    const std::string written = SaveToPng(bmp, dir / "pic.jpg", filter, {}, &sizes);
    EXPECT_EQ(written, dir / "pic.png");
    EXPECT_EQ(dir.FileCount(), 1);
    const TPngChoice choice = ChoosePngFilter(bmp);
    EXPECT_EQ(filter, choice.filterSet);
    EXPECT_EQ(sizes, choice.sizes);
    EXPECT_EQ(Slurp(written), choice.bytes);
    TBitmap32 back;
    EXPECT_EQ(LoadImageFile(written, back), TImageFormat::Png);
    EXPECT_TRUE(SameBitmaps(back, bmp));
    EXPECT_TRUE(ReadsBackIndependently(Slurp(written), bmp));
}
