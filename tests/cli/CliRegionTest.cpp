// ivra-cli stats --region: the statistics rows of the pixels inside a
// polygon, rectangle or ellipse.

#include "core/codecs/ImageFiles.h"

#include "CliRunner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

using namespace ivra;
using ivra::testing::RunCli;
using ivra::testing::RunResult;

namespace {

std::string TempPath(const std::string& name) { return ivra::testing::CliTempPath("cliregion", name); }

// The cells of the second line (the first data row).
std::vector<std::string> FirstRow(const std::string& out) {
    std::istringstream lines(out);
    std::string line;
    std::getline(lines, line);
    std::getline(lines, line);
    std::vector<std::string> cells;
    std::istringstream cellText(line);
    for (std::string c; std::getline(cellText, c, '\t');) cells.push_back(c);
    return cells;
}

class CliRegion : public ::testing::Test {
protected:
    // 40 x 30, red = 200 inside the square (10,10)-(20,20), 0 outside.
    static void SetUpTestSuite() {
        TBitmap32 bmp(40, 30);
        bmp.Clear(Color32(0, 50, 0));
        for (int y = 10; y < 20; ++y)
            for (int x = 10; x < 20; ++x) bmp.SetPixel(x, y, Color32(200, 50, 0));
        std::uint8_t filter = 0;
        SaveToPng(bmp, TempPath("square.png"), filter);
    }
    static void TearDownTestSuite() { std::filesystem::remove(TempPath("square.png")); }
};

} // namespace

TEST_F(CliRegion, RowsCountThePixelsInside) {
    const std::string img = TempPath("square.png");
    struct TCase {
        std::string Region, Label, N, Mean, Min, Max;
    } cases[] = {
        // A rectangle's n is its area in pixels.
        {"rect 10 10 20 20", "[rectangle]", "100", "200.00", "200", "200"},
        {"rect 20 20 10 10", "[rectangle]", "100", "200.00", "200", "200"},
        {"rect 5 10 15 20", "[rectangle]", "100", "100.00", "0", "200"},
        {"polygon 10 10 20 10 20 20 10 20", "[polygon]", "100", "200.00", "200", "200"},
        // Triangle: rows of 9, 8, ... 0 pixels inside the red square.
        {"polygon 10 10 20 10 10 20", "[polygon]", "45", "200.00", "200", "200"},
        {"rect -5 -5 45 35", "[rectangle]", "1200", "16.67", "0", "200"},
        {"ellipse 15 15 2 2", "[ellipse]", "12", "200.00", "200", "200"},
    };
    for (const TCase& c : cases) {
        RunResult r = RunCli("stats --region " + c.Region + " " + img);
        ASSERT_EQ(r.exitCode, 0) << c.Region << ": " << r.err;
        const auto row = FirstRow(r.out);
        ASSERT_GE(row.size(), 7u) << r.out;
        EXPECT_EQ(row[0], img + " " + c.Label) << c.Region;
        EXPECT_EQ(row[1], "Red") << c.Region;
        EXPECT_EQ(row[2], c.N) << c.Region;
        EXPECT_EQ(row[3], c.Mean) << c.Region;
        EXPECT_EQ(row[5], c.Min) << c.Region;
        EXPECT_EQ(row[6], c.Max) << c.Region;
    }
}

TEST_F(CliRegion, OptionsCombineWithTheOthers) {
    const std::string img = TempPath("square.png");
    RunResult r = RunCli("stats --channels gray --region rect 10 10 20 20 --decimals 1 " + img);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto row = FirstRow(r.out);
    EXPECT_EQ(row[1], "Gray");
    EXPECT_EQ(row[2], "100");
    EXPECT_EQ(row[3], "81.0");  // (61 x 200 + 174 x 50) >> 8
}

TEST_F(CliRegion, BadRegionsAreRefused) {
    const std::string img = TempPath("square.png");
    for (const std::string region : {"polygon 1 2 3 4", "polygon 1 2 3 4 5", "rect 1 2 3", "circle 1 2 3 4", ""}) {
        RunResult r = RunCli("stats --region " + region + " " + img);
        EXPECT_NE(r.exitCode, 0) << region;
        EXPECT_NE(r.err.find("--region"), std::string::npos) << region << ": " << r.err;
    }
    // Numbers that are no coordinates are named with their reason.
    const std::pair<const char*, const char*> named[] = {
        {"polygon 0 0 1e300 0 0 50", "1e300 is not a whole number"},
        {"polygon 0 0 10 0 10 10 nan nan", "\"nan\" is not a coordinate"},
        {"rect 0 0 2.5 10", "2.5 is not a whole number"},
        {"ellipse 5 5 inf 2", "\"inf\" is not a coordinate"},
    };
    for (const auto& [region, message] : named) {
        RunResult r = RunCli(std::string("stats --region ") + region + " " + img);
        EXPECT_EQ(r.exitCode, 2) << region;
        EXPECT_NE(r.err.find(message), std::string::npos) << region << ": " << r.err;
    }
    // A region beside the image holds no pixel: an error naming the file.
    RunResult r = RunCli("stats --region rect 100 100 120 120 " + img);
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find(img), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("no pixel"), std::string::npos) << r.err;
}
