// ivra-cli scalebar, run as the real program.

#include "core/codecs/ImageFiles.h"
#include "core/raster/Bitmap32.h"

#include "CliRunner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using ivra::testing::RunCli;
using ivra::testing::RunResult;

std::string TempPath(const std::string& name) { return ivra::testing::CliTempPath("cliscalebar", name); }

constexpr ivra::TColor32 Ground = 0xFF204060u;

std::string GreyImage(int w, int h) {
    ivra::TBitmap32 bmp(w, h);
    bmp.Clear(Ground);
    const std::string path = TempPath("in.bmp");
    std::uint8_t filter = ivra::PngFilterNone;
    ivra::SaveImageFile(bmp, path, filter);
    return path;
}

TEST(CliScaleBar, BurnsAnExactBarAtTheCorner) {
    const std::string in = GreyImage(400, 300), out = TempPath("out.bmp");
    // 300 x 400: margin 6; 50 units at 0.25 per pixel are 200 pixels.
    struct {
        const char* corner;
        const char* line;
        int x, y;
    } cases[] = {{"lower-right", "bar 200 px at 194,290\n", 194, 290},
                 {"upper-left", "bar 200 px at 6,6\n", 6, 6}};
    for (auto& c : cases) {
        RunResult r = RunCli("scalebar --factor 0.25 --unit mm --length 50 --height 4 --color FF8000 --no-label "
                             "--corner " + std::string(c.corner) + " " + in + " " + out);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.line);
        ivra::TBitmap32 result;
        ivra::LoadImageFile(out, result);
        int bar = 0, other = 0;
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 400; ++x) {
                const bool inBar = x >= c.x && x < c.x + 200 && y >= c.y && y < c.y + 4;
                if (inBar) bar += (result.Pixel(x, y) | 0xFF000000u) == 0xFFFF8000u;
                else other += (result.Pixel(x, y) | 0xFF000000u) != Ground;
            }
        EXPECT_EQ(bar, 200 * 4) << c.corner;
        EXPECT_EQ(other, 0) << c.corner;
    }
    // With its label the bar stays where it was; the label adds pixels.
    RunResult labelled = RunCli("scalebar --factor 0.25 --unit mm --length 50 " + in + " " + out);
    EXPECT_EQ(labelled.exitCode, 0) << labelled.err;
    EXPECT_EQ(labelled.out, "bar 200 px at 194,291\n");  // default height 3
    std::filesystem::remove(in);
    std::filesystem::remove(out);
}

TEST(CliScaleBar, RefusesAndWritesNothing) {
    const std::string in = GreyImage(400, 300), out = TempPath("never.bmp");
    struct {
        const char* args;
        int exitCode;
    } cases[] = {
        {"--factor 0.25 --unit mm --length 0", 1},
        {"--factor 0.25 --unit mm --length -3", 1},
        {"--factor 1 --unit px --length 389", 1},  // longer than 400 less two margins of 6
        {"--factor 0 --unit mm --length 5", 2},
        {"--factor 1 --unit abcdefghijklmnopq --length 5", 2},
        {"--factor 1 --unit mm --length 5 --corner middle", 2},
        {"--factor 1 --unit mm --length 5 --color 12345", 2},
        {"--factor 1 --unit mm --length 5 --height 0", 1},
        {"--unit mm --length 5", 2},
    };
    for (auto& c : cases) {
        RunResult r = RunCli("scalebar " + std::string(c.args) + " " + in + " " + out);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args << ": " << r.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.args;
    }
    std::filesystem::remove(in);
}

} // namespace
