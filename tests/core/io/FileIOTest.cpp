#include "core/Error.h"
#include "core/io/FileIO.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace ivra;
namespace fs = std::filesystem;

namespace {
struct TempDir {
    fs::path path;
    TempDir() {
        char tmpl[] = "/tmp/ivra-io-XXXXXX";
        path = ::mkdtemp(tmpl);
    }
    ~TempDir() { fs::remove_all(path); }
};
std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
} // namespace

TEST(FileIO, WritesAndReplacesWithoutLeavingTemporaries) {
    TempDir dir;
    const std::string target = (dir.path / "a.txt").string();
    WriteFileAtomically(target, "first");
    WriteFileAtomically(target, "second");
    EXPECT_EQ(Slurp(target), "second");
    int files = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir.path)) ++files;
    EXPECT_EQ(files, 1);
    auto bytes = ReadWholeFile(target);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "second");
}

TEST(FileIO, UncommittedWriterLeavesTheOldFile) {
    TempDir dir;
    const std::string target = (dir.path / "keep.bin").string();
    WriteFileAtomically(target, "old");
    {
        TAtomicFileWriter w(target);
        w.Write("new data");
        // destroyed without Commit, as when an encoder throws half-way
    }
    EXPECT_EQ(Slurp(target), "old");
    int files = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir.path)) ++files;
    EXPECT_EQ(files, 1);
}

TEST(FileIO, ErrorsNameTheFileAndTheReason) {
    try {
        WriteFileAtomically("/nonexistent-folder/x.png", "x");
        FAIL();
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent-folder/x.png"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("No such file"), std::string::npos);
    }
    try {
        ReadWholeFile("/nonexistent-file.bmp");
        FAIL();
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent-file.bmp"), std::string::npos);
    }
    TempDir dir;
    EXPECT_THROW(ReadWholeFile(dir.path.string()), Error); // a folder
    const std::string big = (dir.path / "big").string();
    WriteFileAtomically(big, std::string(100, 'x'));
    EXPECT_THROW(ReadWholeFile(big, 10), Error);
}

TEST(FileIO, WritesAFileWhoseNameIsNearTheLimit) {
    TempDir dir;
    const std::string target = (dir.path / (std::string(250, 'n') + ".png")).string();
    WriteFileAtomically(target, "long");
    EXPECT_EQ(Slurp(target), "long");
}

TEST(FileIO, KeepsPermissionsOfAReplacedFile) {
    TempDir dir;
    const std::string target = (dir.path / "p.txt").string();
    WriteFileAtomically(target, "a");
    ::chmod(target.c_str(), 0640);
    WriteFileAtomically(target, "b");
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(FileIO, FileNameParts) {
    EXPECT_EQ(FileNamePart("/a/b/photo.jpg"), "photo.jpg");
    EXPECT_EQ(FileNamePart("photo.jpg"), "photo.jpg");
    EXPECT_EQ(FileExtension("/a.b/photo.JPG"), ".JPG");
    EXPECT_EQ(FileExtension("/a.b/photo"), "");
}
