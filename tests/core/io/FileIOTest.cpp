#include "core/Error.h"
#include "core/io/FileIO.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
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

// ---- odd targets and odd inputs

namespace {

std::string Kind(const fs::path& p) {
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0) return "missing";
    return S_ISLNK(st.st_mode) ? "link" : S_ISREG(st.st_mode) ? "file" : "other";
}

// A socket file at path (its descriptor is closed again; the name stays).
bool MakeSocketFile(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (fd < 0 || path.size() >= sizeof addr.sun_path) return false;
    std::strcpy(addr.sun_path, path.c_str());
    const bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace

TEST(FileIO, WritesThroughSymbolicLinks) {
    TempDir dir;
    fs::create_directory(dir.path / "real");
    const fs::path real = dir.path / "real" / "data.txt";
    WriteFileAtomically(real.string(), "old");
    ::chmod(real.c_str(), 0640);
    struct {
        const char* link;
        const char* pointsTo;
    } cases[] = {
        {"abs.txt", nullptr},            // absolute link to real
        {"rel.txt", "real/data.txt"},    // relative to the link's folder
        {"chain.txt", "rel.txt"},        // a link to a link
    };
    for (auto& c : cases) {
        const fs::path link = dir.path / c.link;
        fs::create_symlink(c.pointsTo ? fs::path(c.pointsTo) : real, link);
        WriteFileAtomically(link.string(), std::string("via ") + c.link);
        EXPECT_EQ(Kind(link), "link") << c.link;
        EXPECT_EQ(Slurp(real), std::string("via ") + c.link);
        struct stat st {};
        ASSERT_EQ(::stat(real.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0640u) << c.link;
    }
    // A link to a file not there yet creates that file; the link stays.
    const fs::path dangling = dir.path / "dangling.txt";
    fs::create_symlink("real/new.txt", dangling);
    WriteFileAtomically(dangling.string(), "new");
    EXPECT_EQ(Kind(dangling), "link");
    EXPECT_EQ(Slurp(dir.path / "real" / "new.txt"), "new");
    // The temporary files went beside the real files and are gone.
    int files = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir.path / "real")) ++files;
    EXPECT_EQ(files, 2);
    // A loop of links is refused.
    fs::create_symlink("loop2", dir.path / "loop1");
    fs::create_symlink("loop1", dir.path / "loop2");
    EXPECT_NE(ErrorOf([&] { WriteFileAtomically((dir.path / "loop1").string(), "x"); }).find("loop1"),
              std::string::npos);
}

TEST(FileIO, RefusesTargetsThatAreNotRegularFiles) {
    TempDir dir;
    const std::string fifo = (dir.path / "fifo").string(), sock = (dir.path / "sock").string(),
                      folder = (dir.path / "folder").string(), dev = (dir.path / "null").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    ASSERT_TRUE(MakeSocketFile(sock));
    fs::create_directory(folder);
    // A device node of our own, where the system lets us make one.
    const bool haveDevice = ::mknod(dev.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    const fs::path viaLink = dir.path / "link-to-fifo";
    fs::create_symlink(fifo, viaLink);
    struct {
        std::string path;
        const char* kind;
    } cases[] = {{fifo, "FIFO"}, {sock, "socket"}, {folder, "folder"}, {viaLink.string(), "FIFO"},
                 {dev, "character device"}};
    for (auto& c : cases) {
        if (c.path == dev && !haveDevice) continue;
        const std::string message = ErrorOf([&] { WriteFileAtomically(c.path, "x"); });
        EXPECT_NE(message.find(c.path), std::string::npos) << message;
        EXPECT_NE(message.find(c.kind), std::string::npos) << message;
        EXPECT_NE(Kind(c.path), "file") << c.path;  // not replaced
    }
    EXPECT_EQ(Kind(viaLink), "link");
    int entries = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir.path)) ++entries;
    EXPECT_EQ(entries, haveDevice ? 5 : 4);  // no temporary file left
}

TEST(FileIO, RefusesAFileTheUserMayNotWrite) {
    TempDir dir;
    ::chmod(dir.path.c_str(), 0777);  // the folder is writable: only the file's mode forbids it
    const std::string target = (dir.path / "ro.txt").string();
    WriteFileAtomically(target, "keep");
    ::chmod(target.c_str(), 0444);
    // The superuser may write anything: the attempt is made as an ordinary
    // user in a child process.
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        const std::string message = ErrorOf([&] { WriteFileAtomically(target, "changed"); });
        ::_exit(message.find("Permission denied") != std::string::npos && message.find(target) != std::string::npos
                    ? 0
                    : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Slurp(target), "keep");
    int files = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir.path)) ++files;
    EXPECT_EQ(files, 1);
}

TEST(FileIO, RemovesPendingTemporaryFilesOnRequest) {
    TempDir dir;
    const std::string target = (dir.path / "big.bin").string();
    WriteFileAtomically(target, "old");
    TAtomicFileWriter a(target), b((dir.path / "other.bin").string());
    a.Write("half");
    b.Write("half");
    RemovePendingTemporaryFiles();  // as a signal handler or an exit path does
    int files = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir.path)) ++files;
    EXPECT_EQ(files, 1);
    EXPECT_THROW(a.Commit(), Error);
    EXPECT_EQ(Slurp(target), "old");
    // The table is free again: later writers work and are removed too.
    WriteFileAtomically(target, "new");
    EXPECT_EQ(Slurp(target), "new");
}

TEST(FileIO, ReadRefusesWhatIsNotARegularFileAtOnce) {
    TempDir dir;
    const std::string fifo = (dir.path / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);  // no writer: opening it for reading would block
    struct {
        std::string path;
        const char* kind;
    } cases[] = {{"/dev/zero", "character device"}, {"/dev/null", "character device"}, {fifo, "FIFO"},
                 {dir.path.string(), "folder"}};
    for (auto& c : cases) {
        const std::string message = ErrorOf([&] { ReadWholeFile(c.path); });
        EXPECT_NE(message.find(c.path), std::string::npos) << message;
        EXPECT_NE(message.find(c.kind), std::string::npos) << message;
    }
    // A link to a regular file is read; the size limit is stated.
    const std::string file = (dir.path / "f.txt").string();
    WriteFileAtomically(file, std::string(3000, 'x'));
    fs::create_symlink(file, dir.path / "link");
    EXPECT_EQ(ReadWholeFile((dir.path / "link").string()).size(), 3000u);
    EXPECT_NE(ErrorOf([&] { ReadWholeFile(file, 2048); }).find("the limit is 2 KiB"), std::string::npos);
    EXPECT_NE(ErrorOf([&] { ReadWholeFile(file, 1000); }).find("the limit is 1000 bytes"), std::string::npos);
}
