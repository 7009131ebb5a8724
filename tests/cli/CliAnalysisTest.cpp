// ivra-cli analysis commands (histogram, stats, freq, profile), run as the
// real program on JPEG, PNG and BMP input.

#include "core/analysis/ChannelStats.h"
#include "core/analysis/DeepAnalysis.h"
#include "core/analysis/FrequencyTable.h"
#include "core/analysis/ImageAnalysis.h"
#include "core/codecs/ImageFiles.h"
#include "core/io/FileIO.h"
#include "core/text/TextGrid.h"

#include "CliRunner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace ivra;

namespace {

using ivra::testing::RunCli;
using ivra::testing::RunResult;
using ivra::testing::ReadText;

std::string TempPath(const std::string& name) { return ivra::testing::CliTempPath("cliana", name); }

class CliAnalysis : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::uint8_t filter = 0;
        TBitmap32 white(10, 10);
        white.Clear(clWhite32);
        SaveToPng(white, TempPath("white.png"), filter);
        // Columns x: red x * 10, green 5 * y, blue 0.
        TBitmap32 ramp(20, 10);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 20; ++x) ramp.SetPixel(x, y, Color32(std::uint8_t(x * 10), std::uint8_t(y * 5), 0));
        SaveToPng(ramp, TempPath("ramp.png"), filter);
        SaveToBmp(ramp, TempPath("ramp.bmp"));
        SaveToJPG(ramp, TempPath("ramp.jpg"));
    }
    static void TearDownTestSuite() {
        for (const char* n : {"white.png", "ramp.png", "ramp.bmp", "ramp.jpg"}) std::filesystem::remove(TempPath(n));
    }
};

TChannelHistograms Analysed(const std::string& path) {
    TBitmap32 bmp;
    LoadImageFile(path, bmp);
    TChannelHistograms h;
    AnalyseImage(bmp, path, h);
    return h;
}

std::string Grid(const std::vector<std::vector<std::string>>& rows, bool html = false) {
    TTextGrid grid(int(rows[0].size()), int(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c) grid.SetCell(int(c), int(r), rows[r][c]);
    return html ? GridToHTMLString(grid) : GridToTextString(grid);
}

} // namespace

TEST_F(CliAnalysis, HistogramPrintsEveryLevel) {
    RunResult r = RunCli("histogram --channel red " + TempPath("ramp.png"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string expected;
    for (int i = 0; i < 256; ++i) expected += std::to_string(i) + "\t" + (i % 10 == 0 && i < 200 ? "10" : "0") + "\n";
    EXPECT_EQ(r.out, expected);
    r = RunCli("histogram " + TempPath("white.png") + " --channel value");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 101);
    EXPECT_NE(r.out.find("\n100\t100\n"), std::string::npos);
}

TEST_F(CliAnalysis, StatsOfAWhiteImage) {
    const std::string path = TempPath("white.png");
    RunResult r = RunCli("stats " + path);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string expected = "Data\tChannel\tn\tMean\tMedian\tMin\tMax\tRange\tVar\tStDev\tStErr\tCoefVar\tSkew\tKurtosis\t\r\n";
    for (const char* ch : {"Red", "Green", "Blue"})
        expected += path + "\t" + ch + "\t100\t255.00\t255\t255\t255\t0\t0.00\t0.00\t0.00\t0.00\t0.00\t0.00\t\r\n";
    EXPECT_EQ(r.out, expected);
}

TEST_F(CliAnalysis, StatsOfSeveralImagesInEveryFormat) {
    const std::string png = TempPath("ramp.png"), bmp = TempPath("ramp.bmp"), jpg = TempPath("ramp.jpg");
    for (const char* set : {"rgb", "hsv", "gray"}) {
        for (bool html : {false, true}) {
            RunResult r = RunCli(std::string("stats --decimals 4 --channels ") + set + (html ? " --html " : " ") + png +
                                 " " + bmp + " " + jpg);
            ASSERT_EQ(r.exitCode, 0) << r.err;
            const TChannelSet cs = std::string(set) == "rgb" ? TChannelSet::RGB
                                 : std::string(set) == "hsv" ? TChannelSet::HSV
                                                             : TChannelSet::Gray;
            std::vector<std::vector<std::string>> rows{StatsHeaderCells()};
            for (const std::string& p : {png, bmp, jpg})
                for (const auto& row : StatsRows(Analysed(p), cs, 4, '.')) rows.push_back(row);
            EXPECT_EQ(r.out, Grid(rows, html)) << set;
        }
    }
}

TEST_F(CliAnalysis, FrequencyTables) {
    const std::string path = TempPath("white.png");
    RunResult r = RunCli("freq --channel red " + path);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 14); // header and 13 intervals
    EXPECT_NE(r.out.find("\t240-255\t100\t100\t100.00\t100.00\t\r\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.rfind("Data\tInterval\tCount\tCumul.Count\tPercent\tCumul.Percent\t\r\n" + path + " - Red\t0-19\t", 0), 0u);
    for (const char* file : {"ramp.png", "ramp.bmp", "ramp.jpg"}) {
        const std::string p = TempPath(file);
        r = RunCli("freq --channel hue --bin 7 --decimals 3 --html " + p);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        std::vector<std::vector<std::string>> rows{FrequencyHeaderCells()};
        for (const auto& row : FrequencyRows(Analysed(p), TAnalysisChannel::Hue, 7, 3, '.')) rows.push_back(row);
        EXPECT_EQ(r.out, Grid(rows, true)) << file;
        EXPECT_NE(r.out.find("98-100"), std::string::npos);
    }
    r = RunCli("freq --channel gray --bin 255 " + path);
    EXPECT_NE(r.out.find(" - Grayscale\t0-254\t0\t0\t"), std::string::npos) << r.out;
}

TEST_F(CliAnalysis, ProfileDataGrid) {
    const std::string path = TempPath("ramp.bmp");
    RunResult r = RunCli("profile 10 5 13 5 " + path);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "#\tX\tY\tRed\tGreen\tBlue\tIntensity\tHue\tSaturation\tValue\t\r\n"
              "0\t10.5\t5.5\t100\t25\t0\t41\t15\t255\t100\t\r\n"
              "1\t11.5\t5.5\t110\t25\t0\t45\t13\t255\t110\t\r\n"
              "2\t12.5\t5.5\t120\t25\t0\t48\t12\t255\t120\t\r\n"
              "3\t13.5\t5.5\t130\t25\t0\t51\t11\t255\t130\t\r\n");
    r = RunCli("profile --html 0 0 3 4 " + TempPath("ramp.jpg"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("<TABLE", 0), 0u);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n') > 0, true);
    // A click without a line: only the header, and a note.
    r = RunCli("profile 3 3 4 4 " + path);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "#\tX\tY\tRed\tGreen\tBlue\tIntensity\tHue\tSaturation\tValue\t\r\n");
    EXPECT_NE(r.err.find("shorter"), std::string::npos);
}

TEST_F(CliAnalysis, ErrorsAndWrongCommandLines) {
    struct Case { std::string args; int exitCode; std::string inMessage; };
    const std::string in = TempPath("ramp.png");
    const Case cases[] = {
        {"stats " + TempPath("nothing.png"), 1, "nothing.png"},
        {"stats", 2, "no image"},
        {"stats --channels cmy " + in, 2, "--channels"},
        {"stats --decimals 9 " + in, 2, "--decimals"},
        {"histogram " + in, 2, "--channel is required"},
        {"histogram --channel alpha " + in, 2, "unknown channel"},
        {"freq --channel red --bin 0 " + in, 2, "--bin"},
        {"freq --channel red --bin -3 " + in, 2, "--bin"},
        {"profile 0 0 20 5 " + in, 1, "ramp.png"},
        {"profile 0 0 5 " + in, 2, "Usage"},
        {"profile 0 0 x 5 " + in, 2, "X2"},
    };
    for (const Case& c : cases) {
        RunResult r = RunCli(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args << "\n" << r.err;
        EXPECT_NE(r.err.find(c.inMessage), std::string::npos) << c.args << "\n" << r.err;
    }
}

TEST_F(CliAnalysis, Timing) {
    RunResult r = RunCli("stats --timing " + TempPath("white.png"));
    ASSERT_EQ(r.exitCode, 0);
    for (const char* phase : {"read: ", "process: ", "write: "}) EXPECT_NE(r.err.find(phase), std::string::npos);
}

namespace {

std::string TiffData(const std::string& name) { return std::string(IVRA_TEST_DATA_DIR) + "/tiff/" + name; }

TDeepHistograms DeepAnalysed(const std::string& path) {
    TBitmap32 bmp;
    TImageFileDetails details;
    LoadImageFile(path, bmp, &details);
    TDeepHistograms h;
    AnalyseSamples(details.Samples, path, h);
    return h;
}

} // namespace

TEST_F(CliAnalysis, SixteenBitFilesAreMeasuredAtFullDepth) {
    const std::string rgb = TiffData("vips-rgb16-deflate-tiles.tif"), gray = TiffData("magick-gray16-phys.png");
    // Stats: 16-bit rows unless --depth 8 or hsv.
    RunResult r = RunCli("stats --decimals 4 " + rgb + " " + gray);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::vector<std::string>> rows{StatsHeaderCells()};
    for (const std::string& p : {rgb, gray})
        for (const auto& row : DeepStatsRows(DeepAnalysed(p), TChannelSet::RGB, 4, '.')) rows.push_back(row);
    EXPECT_EQ(r.out, Grid(rows));
    for (const char* options : {"--depth 8 --channels gray", "--channels hsv"}) {
        r = RunCli(std::string("stats ") + options + " " + rgb);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const TChannelSet set = std::string(options).find("hsv") != std::string::npos ? TChannelSet::HSV
                                                                                      : TChannelSet::Gray;
        rows = {StatsHeaderCells()};
        for (const auto& row : StatsRows(Analysed(rgb), set, 2, '.')) rows.push_back(row);
        EXPECT_EQ(r.out, Grid(rows)) << options;
    }
    // A region at full depth.
    r = RunCli("stats --channels gray --region rect 0 0 10 10 " + gray);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find(gray + " [rectangle] [16-bit]\tGray\t100\t"), std::string::npos) << r.out;
    EXPECT_EQ(RunCli("stats --depth 12 " + gray).exitCode, 2);

    // Frequency: bins of 4096 over 0 .. 65535 by default.
    r = RunCli("freq --channel green " + rgb);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    rows = {FrequencyHeaderCells()};
    for (const auto& row : DeepFrequencyRows(DeepAnalysed(rgb), TAnalysisChannel::Green, 4096, 2, '.'))
        rows.push_back(row);
    EXPECT_EQ(r.out, Grid(rows));
    r = RunCli("freq --channel green --bin 20 --depth 8 " + rgb);
    EXPECT_NE(r.out.find("\t240-255\t"), std::string::npos) << r.out;

    // Profile: 16-bit red, green, blue and intensity.
    r = RunCli("profile 0 0 3 0 " + gray);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\r\n0\t0.5\t0.5\t4095\t4095\t4095\t4095\t"), std::string::npos) << r.out;
    r = RunCli("profile --depth 8 0 0 3 0 " + gray);
    EXPECT_NE(r.out.find("\r\n0\t0.5\t0.5\t16\t16\t16\t16\t"), std::string::npos) << r.out;
}

TEST_F(CliAnalysis, InfoNamesDepthPagesAndResolution) {
    const std::pair<const char*, const char*> cases[] = {
        {"magick-rgb8-lzw-3pages.tif", "256x192 TIFF 3 pages, resolution 1 pixels per unit (no unit)\n"},
        {"magick-gray8-packbits-res.tif",
         "256x192 TIFF, resolution 20000 pixels per centimetre (0.5 \xC2\xB5m per pixel)\n"},
        {"magick-gray16-phys.png",
         "256x192 PNG 16-bit, resolution 3076923 pixels per metre (0.325 \xC2\xB5m per pixel)\n"},
    };
    for (const auto& [file, expected] : cases) {
        const RunResult r = RunCli({"info", TiffData(file)});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, expected);
    }
}
