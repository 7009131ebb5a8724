// JPEG: round trips at quality 80, the colour spaces the reader takes, and
// broken files.

#include "CodecTestUtil.h"

#include "core/Error.h"
#include "core/codecs/ImageFiles.h"

#include <cmath>
#include <cstdlib>

using namespace ivra;
using namespace ivra::test;

namespace {

void MakeSmooth(TBitmap32& bmp, int w, int h) {
    bmp.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bmp.SetPixel(x, y, Color32(std::uint8_t(40 + x * 150 / std::max(1, w)), std::uint8_t(60 + y * 120 / std::max(1, h)),
                                       std::uint8_t(128 + 60 * std::sin((x + y) * 0.2)), std::uint8_t(x * 5)));
}

struct TDiff {
    int max = 0;
    double mean = 0;
};
TDiff Compare(const TBitmap32& a, const TBitmap32& b) {
    TDiff d;
    long sum = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            for (int shift : {0, 8, 16}) {
                const int e = std::abs(int((a.Pixel(x, y) >> shift) & 255) - int((b.Pixel(x, y) >> shift) & 255));
                d.max = std::max(d.max, e);
                sum += e;
            }
    d.mean = double(sum) / (3.0 * double(a.PixelCount()));
    return d;
}

std::string DecodeError(const Bytes& data) {
    TBitmap32 bmp(1, 1);
    bmp.Clear(0xFF0A0B0Cu);
    try {
        DecodeImage(data.data(), data.size(), "/x/bad.jpg", bmp, TImageFormat::Jpeg);
    } catch (const Error& e) {
        EXPECT_EQ(bmp.Pixel(0, 0), 0xFF0A0B0Cu) << "the bitmap changed";
        return e.what();
    }
    ADD_FAILURE() << "no error";
    return {};
}

Bytes EncodedJpeg(int w, int h) {
    TempDir dir;
    TBitmap32 bmp;
    MakeSmooth(bmp, w, h);
    SaveToJPG(bmp, dir / "e.jpg");
    return Slurp(dir / "e.jpg");
}

// Offset of the first byte after marker FF m, or 0.
std::size_t FindMarker(const Bytes& b, std::uint8_t m) {
    for (std::size_t i = 2; i + 1 < b.size(); ++i)
        if (b[i] == 0xFF && b[i + 1] == m) return i + 2;
    return 0;
}

} // namespace

TEST(Jpeg, RoundTripIsCloseAndOpaque) {
    TempDir dir;
    for (auto [w, h] : {std::pair{1, 1}, std::pair{7, 5}, std::pair{17, 9}, std::pair{64, 48}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        TBitmap32 bmp, back;
        MakeSmooth(bmp, w, h);
        SaveToJPG(bmp, dir / "rt.jpg");
        EXPECT_EQ(LoadImageFile(dir / "rt.jpg", back), TImageFormat::Jpeg);
        ASSERT_EQ(back.Width(), w);
        ASSERT_EQ(back.Height(), h);
        for (std::size_t i = 0; i < back.PixelCount(); ++i) ASSERT_EQ(AlphaComponent(back.Bits()[i]), 255);
        const TDiff d = Compare(back, bmp);
        EXPECT_LE(d.max, 24);
        EXPECT_LE(d.mean, 4.0);
    }
}

TEST(Jpeg, WrittenAtQuality80) {
    // libjpeg scales the standard luminance table by 200 - 2 * 80 = 40 %:
    // its first entry 16 becomes 6 and its last 99 becomes 40.
    const Bytes f = EncodedJpeg(16, 16);
    const std::size_t dqt = FindMarker(f, 0xDB);
    ASSERT_NE(dqt, 0u);
    EXPECT_EQ(f[dqt + 2], 0x00);  // 8-bit table 0
    EXPECT_EQ(f[dqt + 3], 6);
    EXPECT_EQ(f[dqt + 3 + 63], 40);
}

TEST(Jpeg, ReadsGrayCmykYcckAndProgressiveFiles) {
    // The colour files hold four flat quadrants.
    const TColor32 quad[4] = {Color32(220, 30, 30), Color32(30, 200, 40), Color32(40, 50, 210), Color32(240, 240, 240)};
    for (const char* name : {"cmyk_adobe.jpg", "ycck_adobe.jpg", "progressive.jpg"}) {
        SCOPED_TRACE(name);
        TBitmap32 bmp;
        EXPECT_EQ(LoadImageFile(DataDir() + "/" + name, bmp), TImageFormat::Jpeg);
        ASSERT_EQ(bmp.Width(), 16);
        ASSERT_EQ(bmp.Height(), 16);
        TBitmap32 want(16, 16);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) want.SetPixel(x, y, quad[(y >= 8) * 2 + (x >= 8)]);
        // Chroma subsampling blurs the colour edges; away from them the
        // quadrants come back close to their colours.
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                if ((x >= 5 && x <= 10) || (y >= 5 && y <= 10)) continue;
                for (int shift : {0, 8, 16})
                    ASSERT_NEAR(int((bmp.Pixel(x, y) >> shift) & 255), int((want.Pixel(x, y) >> shift) & 255), 10)
                        << x << "," << y;
            }
        EXPECT_NEAR(RedComponent(bmp.Pixel(2, 2)), 220, 8);
        EXPECT_NEAR(GreenComponent(bmp.Pixel(13, 2)), 200, 8);
        EXPECT_NEAR(BlueComponent(bmp.Pixel(2, 13)), 210, 8);
    }
    TBitmap32 gray;
    EXPECT_EQ(LoadImageFile(DataDir() + "/gray.jpg", gray), TImageFormat::Jpeg);
    ASSERT_EQ(gray.Width(), 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const TColor32 c = gray.Pixel(x, y);
            EXPECT_EQ(RedComponent(c), GreenComponent(c));
            EXPECT_EQ(RedComponent(c), BlueComponent(c));
            EXPECT_EQ(AlphaComponent(c), 255);
            EXPECT_NEAR(RedComponent(c), x * 16, 6);
        }
}

TEST(Jpeg, BrokenFilesGetTheirMessage) {
    const Bytes good = EncodedJpeg(64, 64);
    const std::string prefix = "\"/x/bad.jpg\": ";

    // Cut in the middle of the pixel data: libjpeg would fill the rest grey.
    EXPECT_EQ(DecodeError(Bytes(good.begin(), good.begin() + long(good.size() * 2 / 3))), prefix + "truncated image data");
    // Cut inside the headers.
    EXPECT_NE(DecodeError(Bytes(good.begin(), good.begin() + 30)).find(prefix), std::string::npos);

    // A marker in the middle of the entropy-coded data.
    Bytes marker = good;
    const std::size_t sos = FindMarker(marker, 0xDA);
    ASSERT_NE(sos, 0u);
    const std::size_t at = sos + (marker.size() - sos) / 2;
    marker[at] = 0xFF;
    marker[at + 1] = 0xD3;
    const std::string corrupt = DecodeError(marker);
    EXPECT_EQ(corrupt.rfind(prefix + "Corrupt JPEG data", 0), 0u) << corrupt;

    // A header with a size beyond the pixel limit, patched into SOF0.
    Bytes huge = good;
    const std::size_t sof = FindMarker(huge, 0xC0);
    ASSERT_NE(sof, 0u);
    huge[sof + 3] = 0xFD;  // height 65000
    huge[sof + 4] = 0xE8;
    huge[sof + 5] = 0xFD;  // width 65000
    huge[sof + 6] = 0xE8;
    EXPECT_EQ(DecodeError(huge), prefix + "the image is too large (65000 x 65000 pixels; the limit is 268435456 pixels)");

    // Not a JPEG at all: libjpeg's own message.
    const std::string notJpeg = DecodeError(Bytes{'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(notJpeg.rfind(prefix + "JPEG error #", 0), 0u) << notJpeg;
    EXPECT_NE(notJpeg.find("Not a JPEG file"), std::string::npos) << notJpeg;
}
