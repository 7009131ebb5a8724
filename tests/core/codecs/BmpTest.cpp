// The BMP reader on every layout it takes and on broken files; the 24-bit
// writer's bytes.

#include "CodecTestUtil.h"

#include "core/Error.h"
#include "core/codecs/ImageFiles.h"

#include <cstring>
#include <functional>

using namespace ivra;
using namespace ivra::test;

namespace {

// Palette entries 0..7 and the pixels they stand for.
const std::uint8_t Pal[8][3] = {{0, 0, 0},     {10, 20, 30},  {200, 100, 50}, {1, 2, 3},
                                {250, 0, 128}, {64, 64, 64},  {0, 255, 0},    {9, 99, 199}};
TColor32 PalColor(int i) { return Color32(Pal[i][0], Pal[i][1], Pal[i][2]); }

// Palette bytes in file order (blue, green, red[, reserved]).
Bytes Palette(int entries, int entryBytes = 4) {
    Bytes b;
    for (int i = 0; i < entries; ++i) {
        b.push_back(Pal[i % 8][2]);
        b.push_back(Pal[i % 8][1]);
        b.push_back(Pal[i % 8][0]);
        if (entryBytes == 4) b.push_back(0xEE);  // reserved byte, must not become alpha
    }
    return b;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Expected images are given top row first.
struct TBmpCase {
    const char* name;
    std::function<Bytes()> file;
    int width, height;
    std::vector<TColor32> pixels;
};

// 3 x 2 palette image: top row indices 1 2 3, bottom row 4 5 6.
const std::vector<TColor32> PalImage = {PalColor(1), PalColor(2), PalColor(3),
                                        PalColor(4), PalColor(5), PalColor(6)};
// 3 x 2 direct-colour image.
const std::vector<TColor32> DirectImage = {Color32(255, 0, 0), Color32(0, 255, 0),   Color32(0, 0, 255),
                                           Color32(16, 32, 48), Color32(255, 255, 255), Color32(0, 0, 0)};

// 24-bit rows of DirectImage, bottom row first, padded to 12 bytes.
Bytes Direct24(bool topDown) {
    Bytes top = {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0};
    Bytes bottom = {48, 32, 16, 255, 255, 255, 0, 0, 0, 0, 0, 0};
    return topDown ? Concat({top, bottom}) : Concat({bottom, top});
}

std::vector<TBmpCase> Cases() {
    std::vector<TBmpCase> c;
    c.push_back({"1 bit, 2 colours", [] {
                     // 5 x 2: top 0 1 1 0 1, bottom 1 0 0 1 0; MSB first, rows of 4 bytes.
                     Bytes px = {0b10010000, 0, 0, 0, 0b01101000, 0, 0, 0};
                     return MakeBmp(InfoHeader(40, 5, 2, 1, 0, 2), Palette(2), px);
                 },
                 5, 2,
                 {PalColor(0), PalColor(1), PalColor(1), PalColor(0), PalColor(1), PalColor(1), PalColor(0),
                  PalColor(0), PalColor(1), PalColor(0)}});
    c.push_back({"4 bit, 7 colours used", [] {
                     Bytes px = {0x45, 0x60, 0, 0, 0x12, 0x30, 0, 0};
                     return MakeBmp(InfoHeader(40, 3, 2, 4, 0, 7), Palette(7), px);
                 },
                 3, 2, PalImage});
    c.push_back({"8 bit, full palette", [] {
                     Bytes px = {4, 5, 6, 0, 1, 2, 3, 0};
                     return MakeBmp(InfoHeader(40, 3, 2, 8), Palette(256), px);
                 },
                 3, 2, PalImage});
    c.push_back({"8 bit, core header", [] {
                     Bytes px = {4, 5, 6, 0, 1, 2, 3, 0};
                     return MakeBmp(CoreHeader(3, 2, 8), Palette(256, 3), px);
                 },
                 3, 2, PalImage});
    c.push_back({"8 bit, OS/2 2.x header of 64 bytes", [] {
                     Bytes px = {4, 5, 6, 0, 1, 2, 3, 0};
                     Bytes h = InfoHeader(40, 3, 2, 8, 0, 7);
                     h[0] = 64;
                     h.resize(64, 0);
                     return MakeBmp(h, Palette(7), px);
                 },
                 3, 2, PalImage});
    c.push_back({"8 bit, table shorter than announced", [] {
                     // No colour count (256 implied) but the pixels start after 4 entries;
                     // index 5 and 6 then have no colour and read as black.
                     Bytes px = {4, 5, 6, 0, 1, 2, 3, 0};
                     return MakeBmp(InfoHeader(40, 3, 2, 8), Palette(4), px);
                 },
                 3, 2,
                 {PalColor(1), PalColor(2), PalColor(3), Color32(0, 0, 0), clBlack32, clBlack32}});
    c.push_back({"8 bit, index beyond the colours used", [] {
                     Bytes px = {4, 5, 6, 0, 1, 2, 3, 0};
                     return MakeBmp(InfoHeader(40, 3, 2, 8, 0, 5), Palette(5), px);
                 },
                 3, 2, {PalColor(1), PalColor(2), PalColor(3), PalColor(4), clBlack32, clBlack32}});
    c.push_back({"16 bit, default 5-5-5", [] {
                     // 31 -> 255, 16 -> 132 (16 * 255 / 31 rounded), 0 -> 0.
                     auto px555 = [](int r, int g, int b) { return std::uint32_t((r << 10) | (g << 5) | b); };
                     Bytes px;
                     for (std::uint32_t v : {px555(31, 16, 0), px555(0, 0, 31)}) PutLe16(px, v);
                     for (std::uint32_t v : {px555(1, 2, 3), px555(31, 31, 31)}) PutLe16(px, v);
                     return MakeBmp(InfoHeader(40, 2, -2, 16), {}, px);
                 },
                 2, 2,
                 {Color32(255, 132, 0), Color32(0, 0, 255), Color32(8, 16, 25), Color32(255, 255, 255)}});
    c.push_back({"16 bit, 5-6-5 bit fields after the header", [] {
                     Bytes masks;
                     for (std::uint32_t m : {0xF800u, 0x07E0u, 0x001Fu}) PutLe32(masks, m);
                     Bytes px;
                     PutLe16(px, (31u << 11) | (32u << 5) | 1u);
                     PutLe16(px, 0);  // padding to 4 bytes
                     return MakeBmp(InfoHeader(40, 1, 1, 16, 3), masks, px);
                 },
                 1, 1, {Color32(255, 130, 8)}});
    c.push_back({"16 bit, 4-4-4-4 with alpha in a V3 header", [] {
                     Bytes px;
                     PutLe16(px, 0x8F3Cu);  // a 8, r F, g 3, b C
                     PutLe16(px, 0);
                     return MakeBmp(InfoHeader(56, 1, 1, 16, 3, 0, {0x0F00, 0x00F0, 0x000F, 0xF000}), {}, px);
                 },
                 1, 1, {Color32(255, 51, 204, 136)}});
    c.push_back({"24 bit, bottom-up", [] { return MakeBmp(InfoHeader(40, 3, 2, 24), {}, Direct24(false)); }, 3, 2,
                 DirectImage});
    c.push_back({"24 bit, top-down", [] { return MakeBmp(InfoHeader(40, 3, -2, 24), {}, Direct24(true)); }, 3, 2,
                 DirectImage});
    c.push_back({"24 bit, OS/2 2.x header of 16 bytes", [] {
                     Bytes h = InfoHeader(40, 3, 2, 24);
                     h[0] = 16;
                     h.resize(16);
                     return MakeBmp(h, {}, Direct24(false));
                 },
                 3, 2, DirectImage});
    c.push_back({"32 bit, reserved byte is not alpha", [] {
                     Bytes px = {48, 32, 16, 0, 255, 255, 255, 7, 0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 9};
                     return MakeBmp(InfoHeader(40, 3, 2, 32), {}, px);
                 },
                 3, 2, DirectImage});
    c.push_back({"32 bit, V5 bit fields with alpha", [] {
                     Bytes px = {30, 20, 10, 128, 3, 2, 1, 0};
                     return MakeBmp(InfoHeader(124, 2, 1, 32, 3, 0, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}), {}, px);
                 },
                 2, 1, {Color32(10, 20, 30, 128), Color32(1, 2, 3, 0)}});
    c.push_back({"32 bit, V4 bit fields in RGBA byte order", [] {
                     Bytes px = {10, 20, 30, 255};
                     return MakeBmp(InfoHeader(108, 1, 1, 32, 3, 0, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}), {}, px);
                 },
                 1, 1, {Color32(10, 20, 30, 255)}});
    c.push_back({"32 bit, alpha bit fields after a 40-byte header", [] {
                     Bytes masks;
                     for (std::uint32_t m : {0xFF000000u, 0xFF0000u, 0xFF00u, 0xFFu}) PutLe32(masks, m);
                     Bytes px = {40, 30, 20, 10};  // 0x0A141E28: r 0A, g 14, b 1E, a 28
                     return MakeBmp(InfoHeader(40, 1, 1, 32, 6), masks, px);
                 },
                 1, 1, {Color32(0x0A, 0x14, 0x1E, 0x28)}});
    c.push_back({"32 bit, 10-bit fields", [] {
                     Bytes masks, px;
                     for (std::uint32_t m : {0x3FF00000u, 0x000FFC00u, 0x000003FFu}) PutLe32(masks, m);
                     PutLe32(px, (1023u << 20) | (512u << 10) | 0u);  // 512 of 1023 -> 128
                     return MakeBmp(InfoHeader(40, 1, 1, 32, 3), masks, px);
                 },
                 1, 1, {Color32(255, 128, 0)}});
    c.push_back({"RLE8: runs, literal with padding, move, end of line and of bitmap", [] {
                     Bytes rle = {2, 1, 0, 3, 2, 3, 4, 0, 0, 0,  // bottom row: 1 1 | 2 3 4 (+pad) | EOL
                                  0, 2, 2, 0, 2, 5, 0, 0,        // middle row: move 2 right, 5 5, EOL
                                  7, 6, 0, 1};                   // top row: seven 6s clipped to 5, EOB
                     Bytes h = InfoHeader(40, 5, 3, 8, 1, 8);
                     return MakeBmp(h, Palette(8), rle);
                 },
                 5, 3,
                 {PalColor(6), PalColor(6), PalColor(6), PalColor(6), PalColor(6), PalColor(0), PalColor(0),
                  PalColor(5), PalColor(5), PalColor(0), PalColor(1), PalColor(1), PalColor(2), PalColor(3),
                  PalColor(4)}});
    c.push_back({"RLE8: move up, rows left out keep colour 0", [] {
                     Bytes rle = {0, 2, 1, 2, 1, 3, 0, 1};
                     return MakeBmp(InfoHeader(40, 3, 3, 8, 1, 4), Palette(4), rle);
                 },
                 3, 3,
                 {PalColor(0), PalColor(3), PalColor(0), PalColor(0), PalColor(0), PalColor(0), PalColor(0),
                  PalColor(0), PalColor(0)}});
    c.push_back({"RLE4: alternating run, odd literal with padding", [] {
                     Bytes rle = {5, 0x12, 0, 0,                  // bottom: 1 2 1 2 1, EOL
                                  0, 5, 0x34, 0x56, 0x70, 0x00,   // top: 3 4 5 6 7 (3 bytes + pad)
                                  0, 1};
                     return MakeBmp(InfoHeader(40, 5, 2, 4, 2, 8), Palette(8), rle);
                 },
                 5, 2,
                 {PalColor(3), PalColor(4), PalColor(5), PalColor(6), PalColor(7), PalColor(1), PalColor(2),
                  PalColor(1), PalColor(2), PalColor(1)}});
    return c;
}

} // namespace

TEST(BmpRead, EveryLayout) {
    for (const TBmpCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        const Bytes file = c.file();
        TBitmap32 bmp;
        ASSERT_NO_THROW(EXPECT_EQ(DecodeImage(file.data(), file.size(), "v.bmp", bmp, TImageFormat::Bmp),
                                  TImageFormat::Bmp));
        TBitmap32 want(c.width, c.height);
        ASSERT_EQ(c.pixels.size(), want.PixelCount());
        std::copy(c.pixels.begin(), c.pixels.end(), want.Bits());
        EXPECT_TRUE(SameBitmaps(bmp, want));
    }
}

TEST(BmpRead, BrokenFilesGetTheirMessageAndLeaveTheBitmap) {
    const Bytes px24 = Direct24(false);
    struct TBad {
        const char* reason;
        Bytes file;
    };
    auto withOffset = [&](std::uint32_t offset) { return MakeBmp(InfoHeader(40, 3, 2, 24), {}, px24, offset); };
    Bytes shortHeader = MakeBmp(InfoHeader(40, 3, 2, 24), {}, {});
    shortHeader.resize(30);
    Bytes shortPixels = MakeBmp(InfoHeader(40, 3, 2, 24), {}, px24);
    shortPixels.pop_back();
    auto masks = [](std::uint32_t r, std::uint32_t g, std::uint32_t b) {
        Bytes m;
        PutLe32(m, r);
        PutLe32(m, g);
        PutLe32(m, b);
        return m;
    };
    const std::vector<TBad> bad = {
        {"truncated image data", {'B', 'M'}},
        {"truncated image data", shortHeader},
        {"truncated image data", shortPixels},
        {"truncated image data", withOffset(5000)},
        {"truncated image data", MakeBmp(InfoHeader(40, 16384, 16384, 24), {}, px24)},  // 2^28 pixels, no data
        {"truncated image data", MakeBmp(InfoHeader(40, 8, 4, 8), Palette(300), {})},
        {"truncated image data", MakeBmp(InfoHeader(40, 4, 4, 8, 1), Palette(256), {2, 1, 0, 0})},  // no EOB
        {"truncated image data", MakeBmp(InfoHeader(40, 4, 1, 8, 1), Palette(256), {0, 4, 1, 2})},  // short literal
        {"truncated image data", MakeBmp(InfoHeader(40, 4, 1, 8, 1), Palette(256), {0, 2, 1})},     // short move
        {"unsupported BMP header size 20", MakeBmp(InfoHeader(20, 3, 2, 24), {}, px24)},
        {"invalid BMP image size 0 x 2", MakeBmp(InfoHeader(40, 0, 2, 24), {}, px24)},
        {"invalid BMP image size -3 x 2", MakeBmp(InfoHeader(40, -3, 2, 24), {}, px24)},
        {"invalid BMP image size 3 x 0", MakeBmp(InfoHeader(40, 3, 0, 24), {}, px24)},
        {"the image is too large (70000 x 70000 pixels; the limit is 268435456 pixels)",
         MakeBmp(InfoHeader(40, 70000, 70000, 24), {}, px24)},
        {"the image is too large (3 x 2147483648 pixels",
         MakeBmp(InfoHeader(40, 3, std::int32_t(0x80000000u), 24), {}, px24)},
        {"unsupported BMP bit depth 7", MakeBmp(InfoHeader(40, 3, 2, 7), {}, px24)},
        {"unsupported BMP compression 4", MakeBmp(InfoHeader(40, 3, 2, 24, 4), {}, px24)},
        {"unsupported BMP compression 3", [&] {  // OS/2 2.x: 3 is Huffman coding
             Bytes h = InfoHeader(40, 3, 2, 24, 3);
             h[0] = 64;
             h.resize(64);
             return MakeBmp(h, {}, px24);
         }()},
        {"RLE8 data needs 8 bits per pixel", MakeBmp(InfoHeader(40, 3, 2, 4, 1), Palette(16), {0, 1})},
        {"RLE4 data needs 4 bits per pixel", MakeBmp(InfoHeader(40, 3, 2, 8, 2), Palette(16), {0, 1})},
        {"compressed rows cannot be top-down", MakeBmp(InfoHeader(40, 3, -2, 8, 1), Palette(16), {0, 1})},
        {"bit-field masks need 16 or 32 bits per pixel",
         MakeBmp(InfoHeader(40, 3, 2, 24, 3), masks(0xFF0000, 0xFF00, 0xFF), px24)},
        {"invalid BMP palette size 300", MakeBmp(InfoHeader(40, 3, 2, 8, 0, 300), Palette(300), px24)},
        {"invalid BMP pixel data offset 20", withOffset(20)},
        {"invalid BMP bit-field masks", MakeBmp(InfoHeader(40, 1, 1, 32, 3), masks(0xFF0000, 0xFFFF00, 0xFF),
                                                {0, 0, 0, 0})},  // overlap
        {"invalid BMP bit-field masks", MakeBmp(InfoHeader(40, 1, 1, 32, 3), masks(0xF0F000, 0xFF00, 0xFF),
                                                {0, 0, 0, 0})},  // not one run of bits
        {"invalid BMP bit-field masks", MakeBmp(InfoHeader(40, 1, 1, 16, 3), masks(0x1F0000, 0x7E0, 0x1F),
                                                {0, 0, 0, 0})},  // beyond 16 bits
        {"not a BMP file", Bytes{'B', 'X', 0, 0, 0, 0}},
    };
    for (const TBad& b : bad) {
        SCOPED_TRACE(b.reason);
        TBitmap32 bmp(2, 1);
        bmp.Clear(0xFF123456u);
        try {
            DecodeImage(b.file.data(), b.file.size(), "/x/bad.bmp", bmp, TImageFormat::Bmp);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            const std::string msg = e.what();
            EXPECT_EQ(msg.rfind("\"/x/bad.bmp\": ", 0), 0u) << msg;
            EXPECT_NE(msg.find(b.reason), std::string::npos) << msg;
        }
        EXPECT_EQ(bmp.Width(), 2);
        EXPECT_EQ(bmp.Pixel(1, 0), 0xFF123456u);
    }
}

TEST(BmpWrite, RowsAreBottomUpAndPaddedToFourBytes) {
    TempDir dir;
    for (int w = 1; w <= 6; ++w) {
        SCOPED_TRACE(w);
        const int h = 3;
        TBitmap32 bmp;
        MakeTestImage(bmp, w, h, true);
        const std::string path = dir / "pad.bmp";
        SaveToBmp(bmp, path);
        const Bytes f = Slurp(path);
        const std::size_t stride = (std::size_t(w) * 3 + 3) / 4 * 4;
        ASSERT_EQ(f.size(), 54 + stride * h);
        EXPECT_EQ(f[0], 'B');
        EXPECT_EQ(f[1], 'M');
        EXPECT_EQ(GetLe32(f, 2), f.size());
        EXPECT_EQ(GetLe32(f, 10), 54u);
        EXPECT_EQ(GetLe32(f, 14), 40u);
        EXPECT_EQ(GetLe32(f, 18), std::uint32_t(w));
        EXPECT_EQ(GetLe32(f, 22), std::uint32_t(h));  // positive: bottom-up
        EXPECT_EQ(f[28] | (f[29] << 8), 24);
        EXPECT_EQ(GetLe32(f, 30), 0u);
        EXPECT_EQ(GetLe32(f, 34), stride * h);
        for (int r = 0; r < h; ++r) {
            const std::size_t row = 54 + std::size_t(r) * stride;
            const int y = h - 1 - r;
            for (int x = 0; x < w; ++x) {
                const TColor32 c = bmp.Pixel(x, y);
                EXPECT_EQ(f[row + 3 * x], BlueComponent(c));
                EXPECT_EQ(f[row + 3 * x + 1], GreenComponent(c));
                EXPECT_EQ(f[row + 3 * x + 2], RedComponent(c));
            }
            for (std::size_t p = std::size_t(w) * 3; p < stride; ++p) EXPECT_EQ(f[row + p], 0) << "padding";
        }
    }
}

TEST(BmpWrite, RoundTripKeepsPixelsAndDropsAlpha) {
    TempDir dir;
    for (int w : {1, 2, 3, 5, 8, 33})
        for (int h : {1, 2, 7}) {
            SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
            TBitmap32 bmp, back;
            MakeTestImage(bmp, w, h, true, std::uint32_t(w * 31 + h));
            SaveToBmp(bmp, dir / "rt.bmp");
            EXPECT_EQ(LoadImageFile(dir / "rt.bmp", back), TImageFormat::Bmp);
            bmp.ResetAlpha();
            EXPECT_TRUE(SameBitmaps(back, bmp));
        }
}
