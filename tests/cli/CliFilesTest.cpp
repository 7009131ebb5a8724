// ivra-cli info and convert, run as the real program.

#include "core/codecs/ImageFiles.h"
#include "core/io/FileIO.h"

#include "CliRunner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

using namespace ivra;

namespace {

using TCliRun = ivra::testing::RunResult;

class CliFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/ivra-clifiles-XXXXXX";
        dir_ = ::mkdtemp(tmpl);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    static std::string ReadText(const std::string& path) { return ivra::testing::ReadText(path); }

    TCliRun Run(const std::vector<std::string>& args) const { return ivra::testing::RunCli(args); }

    // 23 x 11 with every channel varying and some transparency.
    static void MakeImage(TBitmap32& bmp) {
        bmp.SetSize(23, 11);
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 23; ++x)
                bmp.SetPixel(x, y, Color32(std::uint8_t(x * 11), std::uint8_t(y * 23), std::uint8_t((x * y * 7) & 255),
                                           std::uint8_t(x == 5 ? 128 : 255)));
    }

    std::string dir_;
};

bool SamePixels(const TBitmap32& a, const TBitmap32& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (std::size_t i = 0; i < a.PixelCount(); ++i)
        if (a.Bits()[i] != b.Bits()[i]) return false;
    return true;
}

} // namespace

TEST_F(CliFiles, InfoPrintsSizeAndFormatReadAs) {
    TBitmap32 bmp;
    MakeImage(bmp);
    std::uint8_t filter = 0;
    SaveToPng(bmp, Path("a.png"), filter);
    SaveToBmp(bmp, Path("a.bmp"));
    SaveToJPG(bmp, Path("a.jpg"));
    std::filesystem::copy_file(Path("a.png"), Path("png-really.jpg"));
    const std::pair<std::string, std::string> cases[] = {
        {Path("a.png"), "23x11 PNG\n"},
        {Path("a.bmp"), "23x11 BMP\n"},
        {Path("a.jpg"), "23x11 JPEG\n"},
        {Path("png-really.jpg"), "23x11 PNG\n"},
        {std::string(IVRA_TEST_DATA_DIR) + "/codecs/cmyk_adobe.jpg", "16x16 JPEG\n"},
    };
    for (const auto& [file, expected] : cases) {
        const TCliRun r = Run({"info", file});
        EXPECT_EQ(r.exitCode, 0) << file << r.err;
        EXPECT_EQ(r.out, expected) << file;
        EXPECT_EQ(r.err, "") << file;
    }
}

TEST_F(CliFiles, InfoErrorsNameTheFile) {
    WriteFileAtomically(Path("bad.png"), "this is not a picture");
    TCliRun r = Run({"info", Path("bad.png")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "\"" + Path("bad.png") + "\": Invalid Portable Graphics Network image, it has an invalid file header.\n");

    r = Run({"info", Path("missing.bmp")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(Path("missing.bmp")), std::string::npos) << r.err;
}

TEST_F(CliFiles, WrongCommandLinesPrintTheUsage) {
    const std::vector<std::vector<std::string>> wrong = {
        {"info"}, {"info", "-j", "0", "a.png"}, {"info", "--bogus", "a.png"}, {"convert", "a.png"},
        {"convert", "a.png", "b.png", "c.png"}, {"convert", "--png-trials", "a.png", "b.bmp"},
    };
    for (const auto& args : wrong) {
        const TCliRun r = Run(args);
        EXPECT_EQ(r.exitCode, 2) << args.size() << " " << r.err;
        EXPECT_NE(r.err.find("Usage: ivra-cli " + args[0]), std::string::npos) << r.err;
    }
}

TEST_F(CliFiles, ConvertWritesEachFormatAsSaveDoes) {
    TBitmap32 bmp;
    MakeImage(bmp);
    SaveToBmp(bmp, Path("in.bmp"));
    TBitmap32 opaque;
    opaque.Assign(bmp);
    opaque.ResetAlpha();

    TCliRun r = Run({"convert", Path("in.bmp"), Path("out.bmp")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadText(Path("out.bmp")), ReadText(Path("in.bmp")));

    for (const char* name : {"out.jpg", "out.JPEG"}) {
        r = Run({"convert", Path("in.bmp"), Path(name)});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        TBitmap32 back;
        EXPECT_EQ(LoadImageFile(Path(name), back), TImageFormat::Jpeg) << name;
        EXPECT_EQ(back.Width(), 23);
    }

    r = Run({"convert", Path("in.bmp"), Path("out.png")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const TPngChoice choice = ChoosePngFilter(opaque);
    EXPECT_EQ(r.out, std::string(PngFilterName(choice.filterSet)) + "\n");
    const auto written = ReadWholeFile(Path("out.png"));
    EXPECT_EQ(written, choice.bytes);
    TBitmap32 back;
    LoadImageFile(Path("out.png"), back);
    EXPECT_TRUE(SamePixels(back, opaque));
}

TEST_F(CliFiles, ConvertWithPngTrialsPrintsTheFiveSizesFirst) {
    TBitmap32 bmp;
    MakeImage(bmp);
    std::uint8_t filter = 0;
    SaveToPng(bmp, Path("in.png"), filter);
    const TCliRun r = Run({"convert", "--png-trials", Path("in.png"), Path("out.png")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const TPngChoice choice = ChoosePngFilter(bmp);
    std::string expected;
    const char* names[] = {"None", "Sub", "Up", "Average", "Paeth"};
    for (int i = 0; i < 5; ++i) expected += std::string(names[i]) + " " + std::to_string(choice.sizes[std::size_t(i)]) + "\n";
    expected += std::string(PngFilterName(choice.filterSet)) + "\n";
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(ReadWholeFile(Path("out.png")).size(), choice.sizes[std::size_t(choice.index)]);

    // One flat colour: every trial the same size, None kept.
    TBitmap32 flat(40, 30);
    flat.Clear(Color32(1, 2, 3));
    SaveToBmp(flat, Path("flat.bmp"));
    const TCliRun f = Run({"convert", "--png-trials", Path("flat.bmp"), Path("flat.png")});
    ASSERT_EQ(f.exitCode, 0) << f.err;
    const std::string size = std::to_string(ReadWholeFile(Path("flat.png")).size());
    EXPECT_EQ(f.out, "None " + size + "\nSub " + size + "\nUp " + size + "\nAverage " + size + "\nPaeth " + size + "\nNone\n");
}

TEST_F(CliFiles, ConvertErrorsNameTheFileAndExitWithOne) {
    TBitmap32 bmp;
    MakeImage(bmp);
    SaveToBmp(bmp, Path("in.bmp"));

    TCliRun r = Run({"convert", Path("in.bmp"), Path("out.gif")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("\"" + Path("out.gif") + "\""), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("unsupported output format"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(Path("out.gif")));

    r = Run({"convert", Path("in.bmp"), Path("noextension")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("unsupported output format"), std::string::npos) << r.err;

    r = Run({"convert", Path("missing.png"), Path("out.png")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(Path("missing.png")), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(Path("out.png")));

    r = Run({"convert", Path("in.bmp"), Path("no/such/folder/out.png")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(Path("no/such/folder/out.png")), std::string::npos) << r.err;
}

TEST_F(CliFiles, TimingGoesToStandardError) {
    TBitmap32 bmp;
    MakeImage(bmp);
    SaveToBmp(bmp, Path("in.bmp"));
    const TCliRun r = Run({"convert", "--timing", Path("in.bmp"), Path("out.bmp")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("read: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("write: "), std::string::npos) << r.err;
}
