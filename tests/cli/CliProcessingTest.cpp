// ivra-cli processing commands, run as the real program on JPEG, PNG and BMP
// input; each result is compared with the core operation on the same
// decoded pixels.

#include "core/codecs/ImageFiles.h"
#include "core/io/FileIO.h"
#include "core/processing/Channels.h"
#include "core/processing/ColorOps.h"
#include "core/processing/Filters.h"
#include "core/processing/GeometricOps.h"
#include "core/processing/Levels.h"

#include "CliRunner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace ivra;

namespace {

using ivra::testing::RunCli;
using ivra::testing::RunResult;
using ivra::testing::ReadText;

std::string TempPath(const std::string& name) { return ivra::testing::CliTempPath("cliproc", name); }

// A 37 x 23 picture with gradients, an opaque and a half-transparent area.
void MakePicture(TBitmap32& bmp) {
    bmp.SetSize(37, 23);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x)
            bmp.SetPixel(x, y, Color32(std::uint8_t(x * 7), std::uint8_t(y * 11), std::uint8_t((x * y) % 256),
                                       x < 30 ? 255 : 128));
}

// The input files: the picture written as PNG (alpha kept), BMP and JPEG.
class CliProcessing : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        TBitmap32 bmp;
        MakePicture(bmp);
        std::uint8_t filter = 0;
        SaveToPng(bmp, TempPath("in.png"), filter);
        SaveToBmp(bmp, TempPath("in.bmp"));
        SaveToJPG(bmp, TempPath("in.jpg"));
    }
    static void TearDownTestSuite() {
        for (const char* n : {"in.png", "in.bmp", "in.jpg"}) std::filesystem::remove(TempPath(n));
    }
    void TearDown() override {
        for (const auto& f : written_) std::filesystem::remove(f);
    }
    std::string Out(const std::string& name) {
        written_.push_back(TempPath(name));
        return written_.back();
    }
    // Runs "COMMAND ARGS IN OUT.png" and compares the result with op applied
    // to the decoded input.
    void ExpectSameAsCore(const std::string& command, const std::string& input,
                          const std::function<void(TBitmap32&)>& op) {
        const std::string out = Out("out.png");
        RunResult r = RunCli(command + " " + TempPath(input) + " " + out);
        ASSERT_EQ(r.exitCode, 0) << command << " " << input << ": " << r.err;
        TBitmap32 expected, actual;
        LoadImageFile(TempPath(input), expected);
        op(expected);
        LoadImageFile(out, actual);
        ASSERT_EQ(actual.Width(), expected.Width()) << command;
        ASSERT_EQ(actual.Height(), expected.Height()) << command;
        EXPECT_EQ(std::vector<TColor32>(actual.Bits(), actual.Bits() + actual.PixelCount()),
                  std::vector<TColor32>(expected.Bits(), expected.Bits() + expected.PixelCount()))
            << command << " " << input;
    }

private:
    std::vector<std::string> written_;
};

const char* const Inputs[] = {"in.png", "in.bmp", "in.jpg"};

} // namespace

TEST_F(CliProcessing, FiltersListsTheTwentyNames) {
    RunResult r = RunCli("filters");
    ASSERT_EQ(r.exitCode, 0);
    std::string expected;
    for (const auto& f : FilterTable()) expected += std::string(f.name) + "\n";
    EXPECT_EQ(r.out, expected);
}

TEST_F(CliProcessing, EveryFilterOnEveryInputFormat) {
    for (const char* input : Inputs)
        for (const auto& f : FilterTable())
            ExpectSameAsCore(std::string("filter ") + f.name, input, [&](TBitmap32& b) { ApplyFilter(f, b); });
}

TEST_F(CliProcessing, ColourAndGeometricCommands) {
    struct Case { const char* command; std::function<void(TBitmap32&)> op; };
    const Case cases[] = {
        {"grayscale", [](TBitmap32& b) { GrayscaleBitmap(&b, &b); }},
        {"invert", [](TBitmap32& b) { InvertBitmap(&b, &b); }},
        {"flip", [](TBitmap32& b) { FlipVert(b); }},
        {"mirror", [](TBitmap32& b) { FlipHorz(b); }},
        {"rotate-right", [](TBitmap32& b) { Rotate90(b); }},
        {"rotate-180", [](TBitmap32& b) { Rotate180(b); }},
        {"rotate-left", [](TBitmap32& b) { Rotate270(b); }},
        {"brightness 10", [](TBitmap32& b) { AdjustBrightness(b, 10); }},
        {"brightness -300", [](TBitmap32& b) { AdjustBrightness(b, -300); }},
        {"stretch 50 200", [](TBitmap32& b) { StretchLevels(b, 50, 200); }},
    };
    for (const char* input : Inputs)
        for (const Case& c : cases) ExpectSameAsCore(c.command, input, c.op);
}

TEST_F(CliProcessing, StretchWithoutLevelsPrintsTheProposal) {
    // An even spread of the 256 gray levels: cut-offs 5 and 250.
    TBitmap32 bmp(256, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 256; ++x) bmp.SetPixel(x, y, Gray32(std::uint8_t(x)));
    std::uint8_t filter = 0;
    const std::string in = Out("even.png"), out = Out("even-out.png");
    SaveToPng(bmp, in, filter);
    RunResult r = RunCli("stretch " + in + " " + out);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Low cutoff\t5\nHigh cutoff\t250\n");
    TBitmap32 result;
    LoadImageFile(out, result);
    StretchLevels(bmp, 5, 250);
    EXPECT_EQ(result.Pixel(100, 1), bmp.Pixel(100, 1));
    EXPECT_EQ(result.Pixel(4, 0), Gray32(0));
    EXPECT_EQ(result.Pixel(251, 0), Gray32(255));
}

TEST_F(CliProcessing, ChannelImagesAreWrittenWithThePrefix) {
    const std::string prefix = TempPath("ch");
    for (const char* set : {"rgb", "hsv"}) {
        RunResult r = RunCli(std::string("channels ") + set + " " + TempPath("in.png") + " " + prefix);
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }
    TBitmap32 src;
    LoadImageFile(TempPath("in.png"), src);
    const std::pair<const char*, TColorChannel> files[] = {
        {"red", TColorChannel::Red}, {"green", TColorChannel::Green}, {"blue", TColorChannel::Blue},
        {"hue", TColorChannel::Hue}, {"saturation", TColorChannel::Saturation}, {"value", TColorChannel::Value}};
    for (const auto& [name, ch] : files) {
        const std::string path = prefix + "-" + name + ".png";
        TBitmap32 actual, expected;
        LoadImageFile(path, actual);
        ChannelImage(&expected, &src, ch);
        EXPECT_EQ(std::vector<TColor32>(actual.Bits(), actual.Bits() + actual.PixelCount()),
                  std::vector<TColor32>(expected.Bits(), expected.Bits() + expected.PixelCount()))
            << name;
        std::filesystem::remove(path);
    }
}

TEST_F(CliProcessing, ColorsPrintsTheMessage) {
    for (const char* input : Inputs) {
        TBitmap32 bmp;
        LoadImageFile(TempPath(input), bmp);
        RunResult r = RunCli(std::string("colors ") + TempPath(input));
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, "The number of unique colors in this image is " + std::to_string(CountColors(bmp)) + "\n");
    }
}

TEST_F(CliProcessing, OutputFormatFollowsTheExtension) {
    for (const char* ext : {"bmp", "jpg", "JPEG"}) {
        const std::string out = Out(std::string("out.") + ext);
        RunResult r = RunCli("mirror " + TempPath("in.png") + " " + out);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        TBitmap32 bmp;
        LoadImageFile(out, bmp);
        EXPECT_EQ(bmp.Width(), 37);
        EXPECT_EQ(AlphaComponent(bmp.Pixel(36, 0)), 255); // these formats drop alpha
    }
}

TEST_F(CliProcessing, TimingGoesToStandardError) {
    RunResult r = RunCli("invert --timing " + TempPath("in.png") + " " + Out("t.png"));
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "");
    for (const char* phase : {"read: ", "process: ", "write: "}) EXPECT_NE(r.err.find(phase), std::string::npos) << r.err;
    r = RunCli("colors --timing " + TempPath("in.bmp"));
    EXPECT_NE(r.err.find("process: "), std::string::npos);
}

TEST_F(CliProcessing, ErrorsAndWrongCommandLines) {
    struct Case { std::string args; int exitCode; std::string inMessage; };
    const std::string in = TempPath("in.png"), out = Out("never.png");
    // One gray level: the proposal has no gain.
    TBitmap32 flat(4, 4);
    flat.Clear(Gray32(77));
    std::uint8_t filter = 0;
    const std::string flatPath = Out("flat.png");
    SaveToPng(flat, flatPath, filter);
    const Case cases[] = {
        {"invert " + TempPath("missing.png") + " " + out, 1, "missing.png"},
        {"filter blurry " + in + " " + out, 2, "unknown filter"},
        {"filter blur " + in, 2, "Usage"},
        {"mirror " + in + " " + TempPath("out.gif"), 1, "out.gif"},
        {"brightness ten " + in + " " + out, 2, "CHANGE"},
        {"stretch 100 100 " + in + " " + out, 2, "LOW must be below HIGH"},
        {"stretch 10 300 " + in + " " + out, 2, "HIGH"},
        {"stretch " + flatPath + " " + out, 1, "flat.png"},
        {"channels cmyk " + in + " " + out, 2, "rgb or hsv"},
        {"colors", 2, "Usage"},
        {"grayscale --fast " + in + " " + out, 2, "unknown option"},
    };
    for (const Case& c : cases) {
        RunResult r = RunCli(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args << "\n" << r.err;
        EXPECT_NE(r.err.find(c.inMessage), std::string::npos) << c.args << "\n" << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}
