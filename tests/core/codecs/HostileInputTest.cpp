// Hostile image files, built here from a few bytes: each is refused (or, if
// harmless, read) without costing more than a small fraction of what its
// header claims. The memory a decode costs is the peak resident size of a
// child process that does nothing else.

#include "core/Error.h"
#include "core/codecs/ImageFiles.h"
#include "core/io/FileIO.h"

#include "HostileFiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace ivra;

namespace {

// No bad input under 1 MB may cost more than this before it is refused.
constexpr long MaxCostMiB = 64;

struct THostileCase {
    const char* name;
    std::function<hostile::TBytes()> build;
    TImageFormat hint;
    const char* reason;  // part of the refusal; nullptr: the file decodes
    int width = 0, height = 0;
};

class HostileImage : public ::testing::TestWithParam<THostileCase> {};

TEST_P(HostileImage, IsHandledCheaply) {
    const THostileCase& c = GetParam();
    const hostile::TBytes bytes = c.build();
    ASSERT_LT(bytes.size(), std::size_t(1) << 20) << "not a small file";
    TBitmap32 bmp;
    if (c.reason) {
        try {
            DecodeImage(bytes.data(), bytes.size(), "hostile", bmp, c.hint);
            FAIL() << "accepted";
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
        EXPECT_TRUE(bmp.Empty());
    } else {
        DecodeImage(bytes.data(), bytes.size(), "hostile", bmp, c.hint);
        EXPECT_EQ(bmp.Width(), c.width);
        EXPECT_EQ(bmp.Height(), c.height);
    }
    const long growth = hostile::ChildPeakGrowthKiB([&] {
        TBitmap32 b;
        try {
            DecodeImage(bytes.data(), bytes.size(), "hostile", b, c.hint);
        } catch (const Error&) {
        }
    });
    ASSERT_GE(growth, 0);
#ifndef __SANITIZE_ADDRESS__  // AddressSanitizer writes shadow memory for every allocation
    EXPECT_LE(growth / 1024, MaxCostMiB) << "MiB above the start";
#endif
}

INSTANTIATE_TEST_SUITE_P(
    Files, HostileImage,
    ::testing::Values(
        // 60 compressed text chunks of 15 MiB each in 1 MB: text is never inflated.
        THostileCase{"png_text_bomb", [] { return hostile::PngTextBomb(60, 15u << 20); }, TImageFormat::Png,
                     nullptr, 1, 1},
        // RLE data that ends without its end code: refused before the
        // 16000 x 16000 bitmap is allocated and cleared.
        THostileCase{"rle8_unfinished", [] { return hostile::RleBomb(false, 16000, 16000, 1024); },
                     TImageFormat::Bmp, "truncated"},
        THostileCase{"rle4_unfinished", [] { return hostile::RleBomb(true, 16000, 16000, 1024); },
                     TImageFormat::Bmp, "truncated"},
        // The same with its end code is a complete (mostly empty) picture.
        THostileCase{"rle8_finished", [] { return hostile::RleBomb(false, 600, 40, 1024, true); }, TImageFormat::Bmp,
                     nullptr, 600, 40},
        // A progressive colour image whose coefficients alone would take
        // 768 MiB: refused before anything is allocated.
        THostileCase{"jpeg_progressive_colour", [] { return hostile::ProgressiveJpegStub(16000, 16000, 3); },
                     TImageFormat::Jpeg, "too large to decode"},
        // A gray one within the working-memory limit that ends early.
        THostileCase{"jpeg_progressive_gray_truncated", [] { return hostile::ProgressiveJpegStub(16000, 16000, 1); },
                     TImageFormat::Jpeg, "truncated"},
        // TIFF: a few bytes claiming 16000 x 16000 (libtiff counts the
        // uncompressed strip's bytes from the image size); one beyond the
        // pixel limit.
        THostileCase{"tiff_huge_claim", [] { return hostile::GrayTiff(16000, 16000, 1, hostile::TBytes(4096)); },
                     TImageFormat::Tiff, "strip 0 lies beyond the end of the file"},
        THostileCase{"tiff_over_pixel_limit", [] { return hostile::GrayTiff(70000, 70000, 1, hostile::TBytes(64)); },
                     TImageFormat::Tiff, "too large"},
        // A Deflate bomb of 128 MB of zeros for a 256-megapixel image:
        // refused by its size before anything is inflated.
        THostileCase{"tiff_deflate_bomb",
                     [] { return hostile::GrayTiff(16000, 16000, 8, hostile::DeflatedZeros(std::size_t(128) << 20)); },
                     TImageFormat::Tiff, "shorter than the image it states"},
        // The same bomb as the strip of a 64 x 64 image: only the strip's
        // 4096 bytes are inflated.
        THostileCase{"tiff_deflate_bomb_small_image",
                     [] { return hostile::GrayTiff(64, 64, 8, hostile::DeflatedZeros(std::size_t(256) << 20)); },
                     TImageFormat::Tiff, nullptr, 64, 64},
        // 200 KB of LZW data for a 16000 x 16000 image, within LZW's largest
        // expansion, but no valid LZW: refused at its first codes, the strip
        // buffer and the bitmap taking memory only where written.
        THostileCase{"tiff_lzw_garbage",
                     [] { return hostile::GrayTiff(16000, 16000, 5, hostile::TBytes(200000, 0)); },
                     TImageFormat::Tiff, "cannot decode strip 0"},
        THostileCase{"tiff_strip_beyond_end",
                     [] { return hostile::GrayTiff(64, 64, 1, hostile::TBytes(4096), 1u << 20); },
                     TImageFormat::Tiff, "beyond the end of the file"},
        THostileCase{"tiff_directory_loop",
                     [] { return hostile::GrayTiff(64, 64, 1, hostile::TBytes(4096), 0, true); },
                     TImageFormat::Tiff, "loop"}),
    [](const ::testing::TestParamInfo<THostileCase>& info) { return std::string(info.param.name); });

} // namespace
