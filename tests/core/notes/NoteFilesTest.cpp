#include "core/notes/NoteFiles.h"

#include "core/Error.h"
#include "core/io/FileIO.h"
#include "core/notes/Rtf.h"

#include "NoteTestUtil.h"
#include "../codecs/HostileFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace ivra;

namespace {

class NoteFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/ivra-notes-XXXXXX";
        dir_ = ::mkdtemp(tmpl);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    static std::string ReadText(const std::string& path) {
        auto b = ReadWholeFile(path);
        return std::string(b.begin(), b.end());
    }
    std::string dir_;
};

std::string Lines(const TNoteDocument& doc) {
    std::string s;
    for (const auto& p : doc.paragraphs) {
        s += '[';
        s += p.Text();
        s += ']';
    }
    return s;
}

TEST(NotePlainText, ReadsLinesInEveryEncoding) {
    const struct {
        const char* name;
        std::string data;
        const char* lines;
    } cases[] = {
        {"empty", "", ""},
        {"one line without end", "abc", "[abc]"},
        {"final LF makes no empty line", "a\nb\n", "[a][b]"},
        {"empty lines kept", "a\n\n\nb", "[a][][][b]"},
        {"CR LF and CR", "a\r\nb\rc\r\n\r\n", "[a][b][c][]"},
        {"UTF-8 with BOM", "\xEF\xBB\xBFGr\xC3\xB6\xC3\x9F" "e", "[Gr\xC3\xB6\xC3\x9F" "e]"},
        {"Windows-1252 when not UTF-8", "caf\xE9 \x80", "[caf\xC3\xA9 \xE2\x82\xAC]"},
        {"UTF-16 LE", std::string("\xFF\xFE" "a\0\xE9\0\n\0" "=\xD8\0\xDE", 12), "[a\xC3\xA9][\xF0\x9F\x98\x80]"},
        {"UTF-16 BE", std::string("\xFE\xFF\0a\0\r\0\n\0b", 10), "[a][b]"},
        {"control characters dropped, tab kept", "a\x01\tb\x7F", "[a\tb]"},
    };
    for (const auto& c : cases) EXPECT_EQ(Lines(ReadNotePlainText(c.data)), c.lines) << c.name;
}

TEST(NotePlainText, RefusesBinaryAndTooManyLines) {
    EXPECT_THROW(ReadNotePlainText(std::string("\x89PNG\r\n\x1a\n\0\0", 10)), Error);
    EXPECT_EQ(ReadNotePlainText("a\nb\nc", 3).paragraphs.size(), 3u);
    EXPECT_THROW(ReadNotePlainText("a\nb\nc", 2), Error);
}

TEST(NotePlainText, OneLinePerParagraphWithoutTrailingEmptyOnes) {
    TNoteDocument doc;
    EXPECT_EQ(NotePlainText(doc), "");
    doc.paragraphs.resize(5);
    doc.paragraphs[1].bullet = true;
    doc.paragraphs[1].Append("item", {});
    doc.paragraphs[2].Append(std::string("one") + std::string(NoteLineBreak) + "two", {});
    EXPECT_EQ(NotePlainText(doc), "\nitem\none\ntwo\n");
    // Plain text read back gives the same text.
    EXPECT_EQ(NotePlainText(ReadNotePlainText("x\n\ny\n")), "x\n\ny\n");
}

std::string Times(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// A document of one text repeated in paragraphs.
TNoteDocument Repeated(const std::string& paragraph, std::size_t count) {
    TNoteDocument doc;
    doc.paragraphs.resize(count);
    for (auto& p : doc.paragraphs) p.Append(paragraph, {});
    return doc;
}

// Whatever the writer writes, the reader reads: a document whose file would
// be larger than the limit is refused before anything is written.
TEST(NoteWriter, WritesOnlyWhatCanBeReadAgain) {
    const std::string cyrillic = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 ";  // 3.3 times as RTF
    const struct {
        const char* name;
        TNoteDocument doc;
        bool fits;  // within 64 KiB as RTF
    } cases[] = {
        {"cyrillic that fits", Repeated(cyrillic, 300), true},
        {"cyrillic that does not", Repeated(cyrillic, 2000), false},
        {"blank lines that fit", Repeated("", 12000), true},
        {"blank lines that do not", Repeated("", 14000), false},
    };
    constexpr std::size_t limit = 64 << 10;
    for (const auto& c : cases) {
        if (!c.fits) {
            EXPECT_THROW(WriteRtf(c.doc, limit), Error) << c.name;
            continue;
        }
        const std::string rtf = WriteRtf(c.doc, limit);
        EXPECT_LE(rtf.size(), limit) << c.name;
        EXPECT_EQ(ReadRtf(rtf).paragraphs.size(), c.doc.paragraphs.size()) << c.name;
    }
}

// A megabyte of line ends becomes a million paragraphs and back to RTF
// within 64 MiB.
TEST(NoteWriter, ManyEmptyLinesConvertInBoundedMemory) {
    const std::string newlines(1 << 20, '\n');
    const long peak = hostile::ChildPeakGrowthKiB([&] {
        const std::string rtf = WriteRtf(ReadNotePlainText(newlines));
        if (rtf.size() < newlines.size()) ::_exit(1);
    });
    ASSERT_GE(peak, 0);
#ifndef __SANITIZE_ADDRESS__  // AddressSanitizer adds to every allocation
    EXPECT_LT(peak, 64 << 10);
#endif
}

TEST_F(NoteFiles, TypeFollowsTheExtension) {
    EXPECT_EQ(NoteFileTypeOfPath("a/b.rtf"), TNoteFileType::Rtf);
    EXPECT_EQ(NoteFileTypeOfPath("B.RTF"), TNoteFileType::Rtf);
    EXPECT_EQ(NoteFileTypeOfPath("c.Txt"), TNoteFileType::PlainText);
    EXPECT_EQ(NoteFileTypeOfPath("d.doc"), std::nullopt);
    EXPECT_EQ(NoteFileTypeOfPath("rtf"), std::nullopt);
}

TEST_F(NoteFiles, SaveAndLoadBothTypes) {
    TNoteDocument doc;
    doc.fonts = {"Arial"};
    TNoteCharFormat bold;
    bold.bold = true;
    bold.halfPoints = 28;
    doc.paragraphs.emplace_back().Append("{bold} \xE2\x82\xAC", bold);
    TNoteCharFormat plain;
    plain.halfPoints = 24;
    doc.paragraphs.emplace_back().Append("second", plain);

    SaveNoteFile(Path("n.rtf"), doc, TNoteFileType::Rtf);
    EXPECT_EQ(LoadNoteFile(Path("n.rtf"), TNoteFileType::Rtf).paragraphs, doc.paragraphs);
    // With the plain-text switch an RTF file shows its codes.
    const TNoteDocument codes = LoadNoteFile(Path("n.rtf"), TNoteFileType::PlainText);
    EXPECT_EQ(codes.paragraphs[0].Text().rfind("{\\rtf1", 0), 0u);

    SaveNoteFile(Path("n.txt"), doc, TNoteFileType::PlainText);
    EXPECT_EQ(ReadText(Path("n.txt")), "{bold} \xE2\x82\xAC\nsecond\n");
    // A text file opened as rich text reads as text, as a rich-text editor shows it.
    EXPECT_EQ(NotePlainText(LoadNoteFile(Path("n.txt"), TNoteFileType::Rtf)), "{bold} \xE2\x82\xAC\nsecond\n");
}

TEST_F(NoteFiles, ErrorsNameTheFileAndLeaveItAlone) {
    const std::string missing = Path("missing.rtf");
    try {
        LoadNoteFile(missing, TNoteFileType::Rtf);
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
    }
    WriteFileAtomically(Path("bin.rtf"), std::string("\0\1\2", 3));
    try {
        LoadNoteFile(Path("bin.rtf"), TNoteFileType::Rtf);
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot read \"" + Path("bin.rtf") + "\": not a text file");
    }
    // A file beyond the limit is refused before it is read (a sparse 100 MB file).
    {
        std::ofstream big(Path("big.rtf"));
        big << "{\\rtf1 ";
    }
    std::filesystem::resize_file(Path("big.rtf"), 100u << 20);
    EXPECT_THROW(LoadNoteFile(Path("big.rtf"), TNoteFileType::Rtf), Error);
    // A document too large to be read again as RTF (11 MB of Cyrillic text)
    // is refused, and the old file stays.
    WriteFileAtomically(Path("old.rtf"), std::string("{\\rtf1 old}"));
    try {
        SaveNoteFile(Path("old.rtf"), Repeated(Times("\xD0\x9F", 50), 110000), TNoteFileType::Rtf);
        ADD_FAILURE() << "written";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("MiB"), std::string::npos) << e.what();
    }
    EXPECT_EQ(ReadText(Path("old.rtf")), "{\\rtf1 old}");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 3) << "a temporary file stayed";
    // A save that cannot be done is an error.
    std::filesystem::create_directory(Path("dir.txt"));
    EXPECT_THROW(SaveNoteFile(Path("dir.txt"), TNoteDocument{}, TNoteFileType::PlainText), Error);
}

} // namespace
