// ivra-cli over many files and folders: info, colors, stats and freq with
// folders, --recursive, -j, --csv, bad files, --fail-fast and the progress
// line, run as the real program.

#include "core/codecs/ImageFiles.h"
#include "core/io/FileIO.h"

#include "CliRunner.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace ivra;
using ivra::testing::RunCli;
using ivra::testing::RunResult;

namespace {

class CliBatch : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/ivra-clibatch-XXXXXX";
        dir_ = ::mkdtemp(tmpl);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    // An image of w x h whose colours depend on seed, in the format of the
    // name's extension.
    std::string Image(const std::string& name, int w, int h, int seed) const {
        TBitmap32 bmp(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                bmp.SetPixel(x, y, Color32(std::uint8_t(x * seed), std::uint8_t(y + seed), std::uint8_t(x ^ y)));
        std::filesystem::create_directories(std::filesystem::path(Path(name)).parent_path());
        std::uint8_t filter = 0;
        SaveImageFile(bmp, Path(name), filter);
        return Path(name);
    }
    void Text(const std::string& name, const std::string& text) const { WriteFileAtomically(Path(name), text); }

    std::string dir_;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        pos = end + 1;
    }
    return lines;
}

// Runs ivra-cli with standard error on a terminal (standard output in a
// file) and returns what the terminal received.
std::string RunCliOnTerminal(const std::vector<std::string>& args, const std::string& outPath) {
    int master = -1;
    const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, 1);
        std::vector<std::string> all = {IVRA_CLI_PATH};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(IVRA_CLI_PATH, argv.data());
        ::_exit(127);
    }
    std::string seen;
    char buf[4096];
    for (ssize_t n; (n = ::read(master, buf, sizeof buf)) > 0;) seen.append(buf, std::size_t(n));
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(master);
    return seen;
}

} // namespace

TEST_F(CliBatch, FoldersStandForTheirImagesSortedByName) {
    Image("set/b.png", 4, 3, 1);
    Image("set/a.bmp", 5, 3, 2);
    Image("set/C.JPG", 6, 3, 3);
    Image("set/sub/d.png", 7, 3, 4);
    Text("set/notes.txt", "not an image");
    const std::string single = Image("z.png", 8, 3, 5);

    RunResult r = RunCli({"info", single, Path("set")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Lines(r.out), (std::vector<std::string>{"File\tWidth\tHeight\tFormat\tBits\tPages\tResolution\t",
                                                      single + "\t8\t3\tPNG\t8\t1\t\t",
                                                      Path("set/C.JPG") + "\t6\t3\tJPEG\t8\t1\t\t",
                                                      Path("set/a.bmp") + "\t5\t3\tBMP\t8\t1\t\t",
                                                      Path("set/b.png") + "\t4\t3\tPNG\t8\t1\t\t"}));
    EXPECT_EQ(r.err, ""); // no progress line when standard error is not a terminal

    r = RunCli({"info", "--recursive", "--csv", Path("set")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "File,Width,Height,Format,Bits,Pages,Resolution\r\n" + Path("set/C.JPG") + ",6,3,JPEG,8,1,\r\n" +
                         Path("set/a.bmp") + ",5,3,BMP,8,1,\r\n" + Path("set/b.png") + ",4,3,PNG,8,1,\r\n" +
                         Path("set/sub/d.png") + ",7,3,PNG,8,1,\r\n");

    // A link back up is not followed.
    std::filesystem::create_directory_symlink(Path("set"), Path("set/sub/up"));
    r = RunCli({"colors", "--recursive", Path("set")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Lines(r.out).size(), 5u) << r.out;

    // An empty folder alone is an error, not an empty table.
    std::filesystem::create_directories(Path("empty"));
    r = RunCli({"colors", Path("empty")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("no image files"), std::string::npos) << r.err;
}

TEST_F(CliBatch, OutputIsTheSameForAnyNumberOfThreads) {
    // Sizes that make the files take different times, so that a later one
    // often finishes first.
    std::vector<std::string> files;
    for (int i = 0; i < 16; ++i) files.push_back(Image("many/" + std::to_string(100 + i) + ".png", 8 + (15 - i) * 40, 30, i + 1));
    const std::vector<std::vector<std::string>> commands = {
        {"stats", "--csv", "--channels", "hsv"}, {"freq", "--channel", "gray", "--bin", "64"}, {"colors"}, {"info", "--csv"}};
    for (const auto& command : commands) {
        std::string first;
        for (const char* jobs : {"1", "2", "5", "16"}) {
            std::vector<std::string> args = command;
            args.insert(args.end(), {"-j", jobs, Path("many")});
            const RunResult r = RunCli(args);
            ASSERT_EQ(r.exitCode, 0) << command[0] << " -j " << jobs << ": " << r.err;
            if (first.empty()) first = r.out;
            EXPECT_EQ(r.out, first) << command[0] << " -j " << jobs;
        }
        // Every file in order, the first of each after the header.
        std::size_t at = 0;
        for (const auto& f : files) {
            const std::size_t found = first.find(f, at);
            ASSERT_NE(found, std::string::npos) << command[0] << " " << f;
            at = found;
        }
    }
    // -jN and the default give the same again.
    EXPECT_EQ(RunCli({"colors", "-j3", Path("many")}).out, RunCli({"colors", Path("many")}).out);
}

TEST_F(CliBatch, CsvQuotesFieldsWithCommasAndQuotes) {
    const std::string odd = Image("a,b \"c\".png", 3, 2, 7);
    const std::string plain = Image("plain.png", 3, 2, 7);
    RunResult r = RunCli({"stats", "--csv", "--channels", "gray", "--decimals", "3", odd, plain});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 3u) << r.out;
    EXPECT_EQ(lines[0], "Data,Channel,n,Mean,Median,Min,Max,Range,Var,StDev,StErr,CoefVar,Skew,Kurtosis");
    const std::string quoted = "\"" + dir_ + "/a,b \"\"c\"\".png\",Gray,6,";
    EXPECT_EQ(lines[1].substr(0, quoted.size()), quoted) << lines[1];
    // The same numbers for both files, with dots, and the plain name bare.
    EXPECT_EQ(lines[1].substr(quoted.size()), lines[2].substr(plain.size() + 8)) << r.out;
    EXPECT_NE(lines[2].find('.'), std::string::npos);
    EXPECT_EQ(lines[2].find(';'), std::string::npos);
    // Every record ends with CR LF.
    EXPECT_EQ(r.out.size(), lines[0].size() + lines[1].size() + lines[2].size() + 6);
}

TEST_F(CliBatch, ABadFileIsReportedAndTheOthersMeasured) {
    Image("set/1.png", 1, 2, 1);
    Text("set/2.png", "not a PNG at all");
    Image("set/3.png", 3, 2, 2);
    Text("set/4.bmp", "BM broken");
    Image("set/5.png", 5, 2, 3);
    struct Case {
        std::vector<std::string> options;
        std::vector<std::string> measured, failed;
    } cases[] = {
        {{}, {"1.png", "3.png", "5.png"}, {"2.png", "4.bmp"}},
        {{"-j", "1"}, {"1.png", "3.png", "5.png"}, {"2.png", "4.bmp"}},
        {{"--fail-fast"}, {"1.png"}, {"2.png"}},
        {{"--fail-fast", "-j", "4"}, {"1.png"}, {"2.png"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"info", "--csv"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(Path("set"));
        const RunResult r = RunCli(args);
        EXPECT_EQ(r.exitCode, 1) << r.err;
        std::vector<std::string> expected = {"File,Width,Height,Format,Bits,Pages,Resolution"};
        for (const auto& m : c.measured) expected.push_back(Path("set/" + m) + "," + m.substr(0, 1) + ",2,PNG,8,1,");
        EXPECT_EQ(Lines(r.out), expected) << r.out;
        const std::vector<std::string> errors = Lines(r.err);
        ASSERT_EQ(errors.size(), c.failed.size()) << r.err;
        for (std::size_t i = 0; i < errors.size(); ++i)
            EXPECT_NE(errors[i].find(Path("set/" + c.failed[i])), std::string::npos) << errors[i];
    }
    // A file that is missing counts as a bad file too.
    const RunResult r = RunCli({"colors", Path("set/1.png"), Path("gone.png")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find(Path("set/1.png") + "\t"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("gone.png"), std::string::npos) << r.err;
}

TEST_F(CliBatch, AFullDiskIsAFailure) {
    const std::string img = Image("set/1.png", 3, 2, 1);
    for (const std::string& args : {"info --csv " + Path("set"), "stats " + img, "colors " + img}) {
        const std::string command = std::string(IVRA_CLI_PATH) + " " + args + " >/dev/full 2>/dev/null";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 1) << args;
    }
}

TEST_F(CliBatch, WrongBatchCommandLinesAreUsageErrors) {
    const std::string img = Image("a.png", 2, 2, 1);
    const std::vector<std::vector<std::string>> wrong = {
        {"stats", "-j", "0", img},         {"stats", "-j", "many", img},     {"freq", "--channel", "red", "-j"},
        {"stats", "--csv", "--html", img}, {"colors", "--recursive"},         {"info", "--bogus", img, img},
    };
    for (const auto& args : wrong) {
        const RunResult r = RunCli(args);
        EXPECT_EQ(r.exitCode, 2) << args[1] << " " << r.err;
        EXPECT_NE(r.err.find("Usage: ivra-cli " + args[0]), std::string::npos) << r.err;
    }
}

TEST_F(CliBatch, ProgressShowsOnATerminalAndIsClearedAtTheEnd) {
    for (int i = 0; i < 6; ++i) Image("p/" + std::to_string(i) + ".png", 300, 200, i + 1);
    const std::string outPath = Path("out.csv");
    const std::string seen = RunCliOnTerminal({"stats", "--csv", "-j", "1", Path("p")}, outPath);
    EXPECT_NE(seen.find("6/6 files"), std::string::npos) << seen;
    EXPECT_NE(seen.find(" files/s, "), std::string::npos) << seen;
    EXPECT_NE(seen.find(" left"), std::string::npos) << seen;
    // The line is wiped at the end, and nothing of it reached the output.
    const std::string wipe = "\r\033[K";
    ASSERT_GE(seen.size(), wipe.size());
    EXPECT_EQ(seen.substr(seen.size() - wipe.size()), wipe);
    EXPECT_EQ(ivra::testing::ReadText(outPath), RunCli({"stats", "--csv", Path("p")}).out);
}

TEST(CliVersion, PrintsTheNameAndTheProjectVersion) {
    const RunResult r = RunCli(std::vector<std::string>{"--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "ivra-cli (Ivra Image Analyser) " IVRA_PROJECT_VERSION "\n");
}
