// ivra-cli against odd inputs, odd targets, unusable numbers and signals,
// run as the real program.

#include "core/codecs/ImageFiles.h"
#include "core/io/FileIO.h"

#include "CliRunner.h"

#include <gtest/gtest.h>

#include "../TestNames.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using ivra::testing::ReadText;
using ivra::testing::RunCli;
using ivra::testing::RunResult;
namespace fs = std::filesystem;

struct TempDir {
    fs::path path;
    TempDir() {
        char tmpl[] = "/tmp/ivra-clihostile-XXXXXX";
        path = ::mkdtemp(tmpl);
    }
    ~TempDir() { fs::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (auto& e : fs::directory_iterator(path)) names.push_back(e.path().filename().string());
        return names;
    }
};

struct FactorCase {
    const char* factor;
    const char* error;  // part of the usage error; nullptr: accepted
};

class CliFactor : public ::testing::TestWithParam<FactorCase> {};

TEST_P(CliFactor, UnusableFactorsAreRefusedWithTheirReason) {
    const FactorCase& c = GetParam();
    RunResult r = RunCli({"measure", "--factor", c.factor, "rect", "0", "0", "40000", "40000"});
    if (!c.error) {
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out.find("INF"), std::string::npos) << r.out;
        return;
    }
    EXPECT_EQ(r.exitCode, 2) << c.factor;
    EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Factors, CliFactor,
    ::testing::Values(FactorCase{"1e-320", "too small to use"}, FactorCase{"1e-400", "too small to use"},
                      FactorCase{"1e-19", "too small to use"}, FactorCase{"0", "not positive"},
                      FactorCase{"-0.5", "not positive"}, FactorCase{"inf", "not a finite number"},
                      FactorCase{"nan", "not a finite number"}, FactorCase{"2e9", "too large"},
                      FactorCase{"1e400", "too large"}, FactorCase{"abc", "not a number"},
                      FactorCase{"1e9", nullptr}, FactorCase{"1e-18", nullptr}),
    ivra::test::NameFrom([](const FactorCase& c) { return std::string(c.factor); }));

TEST(CliHostile, NonRegularInputsAreRefusedAtOnce) {
    TempDir dir;
    const std::string fifo = dir / "fifo.png";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);  // nobody writes to it
    for (const std::string& path : {std::string("/dev/zero"), fifo, dir.path.string()}) {
        for (const char* command : {"info", "sheet-roundtrip"}) {
            std::vector<std::string> args = {command, path};
            if (std::string(command) == "sheet-roundtrip") args.push_back(dir / "out.txt");
            RunResult r = RunCli(args);
            EXPECT_EQ(r.exitCode, 1) << command << " " << path;
            EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;
            EXPECT_NE(r.err.find(path), std::string::npos) << r.err;
        }
    }
}

TEST(CliHostile, OddTargetsAreFollowedOrRefused) {
    TempDir dir;
    const std::string in = dir / "in.txt";
    ivra::WriteFileAtomically(in, std::string("1\t2\r\n"));
    // A link: the file it names gets the sheet, the link stays.
    fs::create_directory(dir.path / "real");
    ivra::WriteFileAtomically(dir / "real/out.txt", std::string("old"));
    fs::create_symlink("real/out.txt", dir.path / "link.txt");
    RunResult r = RunCli({"sheet-roundtrip", in, dir / "link.txt"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(dir.path / "link.txt"));
    EXPECT_EQ(ReadText(dir / "real/out.txt").substr(0, 4), "1\t2\t");
    // A FIFO stays a FIFO (and nothing blocks).
    const std::string fifo = dir / "fifo.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    RunResult f = RunCli({"sheet-roundtrip", in, fifo});
    EXPECT_EQ(f.exitCode, 1);
    EXPECT_NE(f.err.find("not a regular file"), std::string::npos) << f.err;
    EXPECT_TRUE(fs::is_fifo(fifo));
}

// notes-convert writes only what its reader takes again: an 11 MB Cyrillic
// text would be 36 MB of RTF and is refused, the old output staying; a
// megabyte of line ends converts and reads back.
TEST(CliHostile, NotesConvertWritesOnlyWhatItReadsAgain) {
    TempDir dir;
    const struct {
        const char* name;
        std::string text;
        bool refused;
    } cases[] = {
        {"cyrillic.txt", [] {
             std::string line;
             for (int i = 0; i < 50; ++i) line += "\xD0\x9F";
             std::string text;
             for (int i = 0; i < 110000; ++i) text += line + "\n";
             return text;
         }(), true},
        {"newlines.txt", std::string(1 << 20, '\n'), false},
    };
    for (const auto& c : cases) {
        const std::string in = dir / c.name, out = dir / "out.rtf";
        ivra::WriteFileAtomically(in, c.text);
        ivra::WriteFileAtomically(out, std::string("old"));
        RunResult r = RunCli({"notes-convert", in, out});
        EXPECT_EQ(r.exitCode, c.refused ? 1 : 0) << c.name << ": " << r.err;
        if (c.refused) {
            EXPECT_NE(r.err.find("MiB"), std::string::npos) << r.err;
            EXPECT_EQ(ReadText(out), "old");
            EXPECT_EQ(dir.Names().size(), 2u) << "a temporary file stayed";
        } else {
            EXPECT_EQ(RunCli({"notes-text", out}).exitCode, 0) << c.name;
        }
    }
}

// Interrupted while it writes, the batch tool removes its temporary file
// and dies of the signal; the old output stays as it was.
TEST(CliHostile, SignalsDuringAWriteLeaveNoTemporaryFile) {
    TempDir src, out;
    const std::string input = src / "big.bmp";
    ivra::TBitmap32 bmp;
    bmp.SetSize(4000, 3000);
    bmp.Clear(0xFF336699u);
    ivra::SaveToBmp(bmp, input);
    const std::string output = out / "out.bmp";
    ivra::WriteFileAtomically(output, std::string("old"));
    for (int sig : {SIGTERM, SIGINT}) {
        bool caught = false;
        for (int attempt = 0; attempt < 5 && !caught; ++attempt) {
            pid_t pid = 0;
            std::vector<std::string> all = {IVRA_CLI_PATH, "convert", input, output};
            std::vector<char*> argv;
            for (auto& a : all) argv.push_back(a.data());
            argv.push_back(nullptr);
            ASSERT_EQ(posix_spawn(&pid, IVRA_CLI_PATH, nullptr, nullptr, argv.data(), environ), 0);
            // Wait until the temporary file is there, then interrupt.
            bool seen = false;
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (!seen && std::chrono::steady_clock::now() < deadline) {
                seen = out.Names().size() > 1;
                if (!seen) {
                    int status = 0;
                    if (::waitpid(pid, &status, WNOHANG) == pid) break;  // finished first: try again
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
                }
            }
            if (!seen) {
                ivra::WriteFileAtomically(output, std::string("old"));
                continue;
            }
            ::kill(pid, sig);
            int status = 0;
            ASSERT_EQ(::waitpid(pid, &status, 0), pid);
            if (!WIFSIGNALED(status)) {  // it had just finished
                ivra::WriteFileAtomically(output, std::string("old"));
                continue;
            }
            caught = true;
            EXPECT_EQ(WTERMSIG(status), sig);
            EXPECT_EQ(out.Names(), std::vector<std::string>{"out.bmp"});
            EXPECT_EQ(ReadText(output), "old");
        }
        EXPECT_TRUE(caught) << "never interrupted during the write, signal " << sig;
    }
}

} // namespace
