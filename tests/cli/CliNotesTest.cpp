// ivra-cli notes-text and notes-convert, run as the real program.

#include "core/io/FileIO.h"
#include "core/notes/NoteFiles.h"

#include "CliRunner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

using namespace ivra;
using ivra::testing::ReadText;
using ivra::testing::RunCli;
using ivra::testing::RunResult;

namespace {

class CliNotes : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/ivra-clinotes-XXXXXX";
        dir_ = ::mkdtemp(tmpl);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    static std::string Data(const std::string& name) { return std::string(IVRA_TEST_DATA_DIR) + "/rtf/" + name; }
    std::string dir_;
};

TEST_F(CliNotes, TextOfRtfAndTextFiles) {
    const std::string expected = ReadText(Data("notes.txt"));
    WriteFileAtomically(Path("crlf.txt"), "one\r\ntwo\r\n");
    WriteFileAtomically(Path("latin.txt"), "caf\xE9");
    const std::pair<std::string, std::string> cases[] = {
        {Data("writer-a-notes.rtf"), expected},
        {Data("writer-b-notes.rtf"), expected},
        {Data("notes.txt"), expected},
        {Path("crlf.txt"), "one\ntwo\n"},
        {Path("latin.txt"), "caf\xC3\xA9\n"},
    };
    for (const auto& [file, text] : cases) {
        const RunResult r = RunCli({"notes-text", file});
        EXPECT_EQ(r.exitCode, 0) << file << r.err;
        EXPECT_EQ(r.out, text) << file;
        EXPECT_EQ(r.err, "") << file;
    }
}

TEST_F(CliNotes, FilesItCannotReadExitWithTheReason) {
    WriteFileAtomically(Path("picture.png"), std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    const std::pair<std::string, std::string> cases[] = {
        {Path("missing.rtf"), "Cannot open \"" + Path("missing.rtf") + "\""},
        {Path("picture.png"), "Cannot read \"" + Path("picture.png") + "\": not a text file"},
        {dir_, "Cannot read \"" + dir_ + "\""},
    };
    for (const auto& [file, message] : cases) {
        const RunResult r = RunCli({"notes-text", file});
        EXPECT_EQ(r.exitCode, 1) << file;
        EXPECT_EQ(r.out, "") << file;
        EXPECT_EQ(r.err.rfind(message, 0), 0u) << r.err;
    }
    EXPECT_EQ(RunCli(std::string("notes-text")).exitCode, 2);
}

TEST_F(CliNotes, ConvertWritesTheTypeOfTheExtension) {
    // Other word processors' RTF -> our RTF -> text: the same text and formatting.
    RunResult r = RunCli({"notes-convert", Data("writer-b-notes.rtf"), Path("ours.RTF")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const std::string ours = ReadText(Path("ours.RTF"));
    EXPECT_EQ(ours.rfind("{\\rtf1", 0), 0u);
    EXPECT_EQ(LoadNoteFile(Path("ours.RTF"), TNoteFileType::Rtf).paragraphs,
              LoadNoteFile(Data("writer-b-notes.rtf"), TNoteFileType::Rtf).paragraphs);
    r = RunCli({"notes-convert", Path("ours.RTF"), Path("plain.txt")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadText(Path("plain.txt")), ReadText(Data("notes.txt")));
    // Text -> RTF keeps the lines.
    r = RunCli({"notes-convert", Path("plain.txt"), Path("again.rtf")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(RunCli({"notes-text", Path("again.rtf")}).out, ReadText(Data("notes.txt")));
}

TEST_F(CliNotes, ConvertRefusesOtherExtensionsAndKeepsTheOutputOnErrors) {
    RunResult r = RunCli({"notes-convert", Data("notes.txt"), Path("out.doc")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("OUT must end in .rtf or .txt"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(Path("out.doc")));
    WriteFileAtomically(Path("old.txt"), "old");
    r = RunCli({"notes-convert", Path("missing.rtf"), Path("old.txt")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(ReadText(Path("old.txt")), "old");
}

} // namespace
