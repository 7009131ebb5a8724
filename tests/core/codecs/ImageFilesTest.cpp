// Choosing the decoder, messages that name the file, and writers that never
// destroy the old file.

#include "CodecTestUtil.h"

#include "core/Error.h"
#include "core/codecs/ImageFiles.h"

#include <csignal>
#include <functional>
#include <sys/resource.h>

using namespace ivra;
using namespace ivra::test;

TEST(ImageFiles, FormatByExtensionAndSignature) {
    const std::pair<const char*, TImageFormat> exts[] = {
        {".jpg", TImageFormat::Jpeg}, {".JPEG", TImageFormat::Jpeg}, {".Jpe", TImageFormat::Jpeg},
        {".png", TImageFormat::Png},  {".PNG", TImageFormat::Png},   {".bmp", TImageFormat::Bmp},
        {".DIB", TImageFormat::Bmp},  {".gif", TImageFormat::Unknown}, {"", TImageFormat::Unknown},
        {".jpgx", TImageFormat::Unknown},
    };
    for (auto [e, f] : exts) EXPECT_EQ(FormatFromExtension(e), f) << e;

    const Bytes png = PngSignature();
    EXPECT_EQ(FormatFromSignature(png.data(), 8), TImageFormat::Png);
    EXPECT_EQ(FormatFromSignature(png.data(), 7), TImageFormat::Unknown);
    const std::uint8_t jpg[] = {0xFF, 0xD8, 0xFF, 0xE0}, bmp[] = {'B', 'M'}, other[] = {'G', 'I', 'F'};
    EXPECT_EQ(FormatFromSignature(jpg, 4), TImageFormat::Jpeg);
    EXPECT_EQ(FormatFromSignature(jpg, 2), TImageFormat::Unknown);
    EXPECT_EQ(FormatFromSignature(bmp, 2), TImageFormat::Bmp);
    EXPECT_EQ(FormatFromSignature(other, 3), TImageFormat::Unknown);
    EXPECT_STREQ(ImageFormatName(TImageFormat::Png), "PNG");
    EXPECT_STREQ(ImageFormatName(TImageFormat::Jpeg), "JPEG");
    EXPECT_STREQ(ImageFormatName(TImageFormat::Bmp), "BMP");
}

TEST(ImageFiles, SaveFormatFollowsTheNameAndRefusesOthers) {
    const std::pair<const char*, TImageFormat> names[] = {
        {"/a/b.jpg", TImageFormat::Jpeg}, {"b.JPEG", TImageFormat::Jpeg}, {"b.Bmp", TImageFormat::Bmp},
        {"b.PNG", TImageFormat::Png},     {"b.jpe", TImageFormat::Unknown}, {"b.tif", TImageFormat::Unknown},
        {"/a.png/b", TImageFormat::Unknown},
    };
    for (auto [n, f] : names) EXPECT_EQ(SaveFormatFromName(n), f) << n;
    try {
        RequireSaveFormat("/x/out.gif");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("/x/out.gif"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find(".gif"), std::string::npos);
    }

    // SaveImageFile writes the format of the name, read back by content.
    TempDir dir;
    TBitmap32 img(3, 2);
    img.Clear(0xFF336699u);
    std::uint8_t filter = 0;
    for (const char* name : {"s.bmp", "s.png", "s.jpg"}) {
        const std::string path = (dir.path / name).string();
        EXPECT_EQ(SaveImageFile(img, path, filter), path);
        TBitmap32 back;
        EXPECT_EQ(LoadImageFile(path, back), SaveFormatFromName(path)) << name;
        EXPECT_EQ(back.Width(), 3);
    }
    EXPECT_THROW(SaveImageFile(img, (dir.path / "s.tif").string(), filter), Error);
    EXPECT_FALSE(std::filesystem::exists(dir.path / "s.tif"));
}

TEST(ImageFiles, ContentDecidesWhenTheExtensionLies) {
    TempDir dir;
    TBitmap32 img;
    MakeTestImage(img, 9, 4, false);
    SaveToBmp(img, dir / "src.bmp");
    std::uint8_t filter = 0;
    SaveToPng(img, dir / "src.png", filter);
    SaveToJPG(img, dir / "src.jpg");
    const Bytes bmpBytes = Slurp(dir / "src.bmp"), pngBytes = Slurp(dir / "src.png"), jpgBytes = Slurp(dir / "src.jpg");
    struct TCase {
        const char* name;
        const Bytes* bytes;
        TImageFormat read;
    };
    const TCase cases[] = {
        {"bmp-inside.png", &bmpBytes, TImageFormat::Bmp},   {"png-inside.jpg", &pngBytes, TImageFormat::Png},
        {"jpeg-inside.bmp", &jpgBytes, TImageFormat::Jpeg}, {"png-inside.dat", &pngBytes, TImageFormat::Png},
        {"noextension", &bmpBytes, TImageFormat::Bmp},      {"UPPER.PNG", &pngBytes, TImageFormat::Png},
        {"photo.JPEG", &jpgBytes, TImageFormat::Jpeg},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        Spit(dir / c.name, *c.bytes);
        TBitmap32 out;
        EXPECT_EQ(LoadImageFile(dir / c.name, out), c.read);
        EXPECT_EQ(out.Width(), 9);
        EXPECT_EQ(out.Height(), 4);
        if (c.read != TImageFormat::Jpeg) {
            EXPECT_TRUE(SameBitmaps(out, img));
        }
    }
}

TEST(ImageFiles, BadFilesNameTheFileAndLeaveTheBitmap) {
    TempDir dir;
    struct TCase {
        const char* name;
        Bytes content;
        const char* reason;  // after "PATH": ; empty for a system message
    };
    const TCase cases[] = {
        {"empty.png", {}, "the file is empty"},
        {"text.png", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'},
         "Invalid Portable Graphics Network image, it has an invalid file header."},
        {"text.txt", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'}, "not a JPEG, PNG, BMP or TIFF image"},
        {"cut.png", Bytes(PngSignature().begin(), PngSignature().end()), "truncated image data"},
        {"cut.bmp", {'B', 'M', 1, 2, 3}, "truncated image data"},
        {"cut.jpg", {0xFF, 0xD8, 0xFF, 0xE0, 0, 16}, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir / c.name;
        Spit(path, c.content);
        TBitmap32 bmp(3, 2);
        bmp.Clear(0xFF445566u);
        try {
            LoadImageFile(path, bmp);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            const std::string msg = e.what();
            EXPECT_EQ(msg.rfind("\"" + path + "\": " + c.reason, 0), 0u) << msg;
        }
        EXPECT_EQ(bmp.Width(), 3);
        EXPECT_EQ(bmp.Height(), 2);
        EXPECT_EQ(bmp.Pixel(2, 1), 0xFF445566u);
    }
    TBitmap32 bmp;
    try {
        LoadImageFile(dir / "missing.png", bmp);
        FAIL();
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find(dir / "missing.png"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("No such file"), std::string::npos) << e.what();
    }
    EXPECT_THROW(LoadImageFile(dir.path.string(), bmp), Error);  // a folder
}

namespace {

// Lets the process write at most limit bytes into any file while it lives,
// so that a save fails half-way as on a full disk.
struct TFileSizeLimit {
    rlimit old{};
    void (*oldHandler)(int);
    explicit TFileSizeLimit(rlim_t limit) {
        oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit now = old;
        now.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &now);
    }
    ~TFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
    }
};

} // namespace

TEST(ImageFiles, FailedWriteKeepsTheOldFile) {
    TempDir dir;
    TBitmap32 bmp;
    MakeTestImage(bmp, 200, 150, false);
    struct TWriter {
        const char* name;
        std::function<void(const std::string&)> save;
    };
    const TWriter writers[] = {
        {"old.bmp", [&](const std::string& p) { SaveToBmp(bmp, p); }},
        {"old.jpg", [&](const std::string& p) { SaveToJPG(bmp, p); }},
        {"old.png", [&](const std::string& p) {
             std::uint8_t f = 0;
             SaveToPng(bmp, p, f);
         }},
    };
    for (const TWriter& w : writers) {
        SCOPED_TRACE(w.name);
        const std::string path = dir / w.name;
        Spit(path, {'o', 'l', 'd'});
        std::string msg;
        {
            TFileSizeLimit limit(1000);
            try {
                w.save(path);
            } catch (const Error& e) {
                msg = e.what();
            }
        }
        EXPECT_NE(msg.find("\"" + path + "\": "), std::string::npos) << msg;
        EXPECT_NE(msg.find("File too large"), std::string::npos) << msg;
        EXPECT_EQ(Slurp(path), (Bytes{'o', 'l', 'd'}));
    }
    EXPECT_EQ(dir.FileCount(), 3) << "no temporary file is left behind";

    // A folder that does not exist.
    try {
        SaveToBmp(bmp, dir / "no/such/folder/x.bmp");
        FAIL();
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find(dir / "no/such/folder/x.bmp"), std::string::npos) << e.what();
    }
}

TEST(ImageFiles, EmptyBitmapIsNotSaved) {
    TempDir dir;
    TBitmap32 empty;
    const std::pair<const char*, std::function<void(const std::string&)>> writers[] = {
        {"e.bmp", [&](const std::string& p) { SaveToBmp(empty, p); }},
        {"e.jpg", [&](const std::string& p) { SaveToJPG(empty, p); }},
        {"e.png", [&](const std::string& p) {
             std::uint8_t f = 0;
             SaveToPng(empty, p, f);
         }},
    };
    for (const auto& [name, save] : writers) {
        try {
            save(dir / name);
            ADD_FAILURE() << name;
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot save \"" + (dir / name) + "\": the image is empty");
        }
    }
    EXPECT_EQ(dir.FileCount(), 0);
    EXPECT_THROW(ComputePNGSize(empty), Error);
}
