#include "core/io/FileIO.h"

#include "core/Error.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ivra {

std::string SystemErrorText(int err) {
    return std::strerror(err);
}

std::string FileNamePart(const std::string& path) {
    auto pos = path.find_last_of('/');
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string FileExtension(const std::string& path) {
    std::string name = FileNamePart(path);
    auto pos = name.find_last_of('.');
    return pos == std::string::npos ? std::string() : name.substr(pos);
}

namespace {

// What a path names when it is not a regular file, for messages.
const char* FileKindText(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISFIFO(mode)) return "a FIFO (named pipe)";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

[[noreturn]] void FailNotRegular(const char* what, const std::string& path, mode_t mode) {
    throw Error(std::string(what) + " \"" + path + "\": it is not a regular file but " + FileKindText(mode));
}

// A byte count as the limits are usually written: "64 MiB", "2 GiB".
std::string ByteLimitText(std::size_t bytes) {
    static const char* const units[] = {"bytes", "KiB", "MiB", "GiB", "TiB"};
    int unit = 0;
    while (unit < 4 && bytes >= 1024 && bytes % 1024 == 0) {
        bytes /= 1024;
        ++unit;
    }
    return std::to_string(bytes) + " " + units[unit];
}

[[noreturn]] void FailTooLarge(const std::string& path, std::size_t maxBytes) {
    throw Error("Cannot read \"" + path + "\": the file is too large (the limit is " + ByteLimitText(maxBytes) +
                ")");
}

// The temporary files of the writers that have not committed, in a fixed
// table that a signal handler can walk without allocating or locking.
// A slot is free, being filled or emptied, holding a file to remove, or
// holding a file that was already removed (only its writer frees it then).
enum : int { SlotFree = 0, SlotBusy = 1, SlotPending = 2, SlotRemoved = 3 };
constexpr int PendingSlots = 64;
constexpr std::size_t PendingPathBytes = 4096;
struct TPendingTemporary {
    std::atomic<int> state{SlotFree};
    char path[PendingPathBytes];
};
static_assert(std::atomic<int>::is_always_lock_free);
TPendingTemporary pendingTemporaries[PendingSlots];

// The slot now holding path, or -1 when the table is full (the file then is
// only removed by its writer).
int RegisterTemporary(const std::string& path) {
    if (path.size() >= PendingPathBytes) return -1;
    for (int i = 0; i < PendingSlots; ++i) {
        TPendingTemporary& slot = pendingTemporaries[i];
        int expected = SlotFree;
        if (slot.state.compare_exchange_strong(expected, SlotBusy, std::memory_order_acquire)) {
            std::memcpy(slot.path, path.c_str(), path.size() + 1);
            slot.state.store(SlotPending, std::memory_order_release);
            return i;
        }
    }
    return -1;
}

void ReleaseTemporary(int index) {
    if (index < 0) return;
    TPendingTemporary& slot = pendingTemporaries[index];
    // Another thread may be removing the file right now; wait for it.
    while (slot.state.load(std::memory_order_acquire) == SlotBusy) {
    }
    slot.state.store(SlotFree, std::memory_order_release);
}

// The file a path names once its symbolic links are followed, as open()
// would follow them; the last link may point at a file that does not exist
// yet. Throws Error (naming path) for a loop of links.
std::string FollowSymbolicLinks(const std::string& path) {
    std::string target = path;
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return target;
        if (hops >= 40) throw Error("Cannot write \"" + path + "\": " + SystemErrorText(ELOOP));
        std::vector<char> buf(std::size_t(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = ::readlink(target.c_str(), buf.data(), buf.size());
        if (n < 0) {
            const int err = errno;
            throw Error("Cannot write \"" + path + "\": " + SystemErrorText(err));
        }
        if (std::size_t(n) >= buf.size()) continue;  // the link changed meanwhile: read it again
        const std::string link(buf.data(), std::size_t(n));
        const auto slash = target.find_last_of('/');
        target = link.front() == '/' || slash == std::string::npos ? link : target.substr(0, slash + 1) + link;
    }
}

} // namespace

void RequireRegularInput(const std::string& path) {
    // A device could deliver endless data and a FIFO without a writer would
    // block: they are refused before anything opens them.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        int err = errno;
        throw Error("Cannot open \"" + path + "\": " + SystemErrorText(err));
    }
    if (!S_ISREG(st.st_mode)) FailNotRegular("Cannot read", path, st.st_mode);
}

namespace {

// One read(2) of up to size bytes, again after a signal; 0 at the end of
// the file. A failure closes fd and throws the reason.
std::size_t ReadSome(int fd, std::uint8_t* into, std::size_t size, const std::string& path) {
    for (;;) {
        const ssize_t n = ::read(fd, into, size);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno == EINTR) continue;
        int err = errno;
        ::close(fd);
        throw Error("Cannot read \"" + path + "\": " + SystemErrorText(err));
    }
}

} // namespace

std::vector<std::uint8_t> ReadWholeFile(const std::string& path, std::size_t maxBytes) {
    RequireRegularInput(path);
    struct stat st {};
    // O_NONBLOCK: should the name be swapped for a FIFO after the check, the
    // open still returns at once and the second check refuses it.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        int err = errno;
        throw Error("Cannot open \"" + path + "\": " + SystemErrorText(err));
    }
    if (::fstat(fd, &st) != 0) {
        int err = errno;
        ::close(fd);
        throw Error("Cannot read \"" + path + "\": " + SystemErrorText(err));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        FailNotRegular("Cannot read", path, st.st_mode);
    }
    std::vector<std::uint8_t> data;
    if (st.st_size > 0) {
        if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
            ::close(fd);
            FailTooLarge(path, maxBytes);
        }
        // The size the file states is read straight into the result; what a
        // growing file adds follows through the buffer below.
        data.resize(static_cast<std::size_t>(st.st_size));
        std::size_t got = 0;
        while (got < data.size()) {
            const std::size_t n = ReadSome(fd, data.data() + got, data.size() - got, path);
            if (n == 0) break;
            got += n;
        }
        data.resize(got);
    }
    std::uint8_t buf[1 << 16];
    for (;;) {
        const std::size_t n = ReadSome(fd, buf, sizeof buf, path);
        if (n == 0) break;
        if (data.size() + n > maxBytes) {
            ::close(fd);
            FailTooLarge(path, maxBytes);
        }
        data.insert(data.end(), buf, buf + n);
    }
    ::close(fd);
    return data;
}

void RemovePendingTemporaryFiles() noexcept {
    for (TPendingTemporary& slot : pendingTemporaries) {
        int expected = SlotPending;
        if (slot.state.compare_exchange_strong(expected, SlotBusy, std::memory_order_acquire)) {
            ::unlink(slot.path);
            slot.state.store(SlotRemoved, std::memory_order_release);
        }
    }
}

TAtomicFileWriter::TAtomicFileWriter(std::string path) : path_(std::move(path)) {
    // The data goes beside the file the name finally stands for, so that a
    // symbolic link stays a link and its target gets the new content.
    targetPath_ = FollowSymbolicLinks(path_);
    struct stat st {};
    const bool exists = ::stat(targetPath_.c_str(), &st) == 0;
    if (exists) {
        if (!S_ISREG(st.st_mode)) FailNotRegular("Cannot write", path_, st.st_mode);
        // The rename needs only the folder's permission; refuse what an
        // in-place write of the file itself would not be allowed to do.
        if (::faccessat(AT_FDCWD, targetPath_.c_str(), W_OK, AT_EACCESS) != 0) Fail("Cannot write", errno);
    }
    auto slash = targetPath_.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string(".")
                            : slash == 0                 ? std::string("/")
                                                         : targetPath_.substr(0, slash);
    std::string name = slash == std::string::npos ? targetPath_ : targetPath_.substr(slash + 1);
    // The temporary name must stay within the file-name limit also for a
    // target whose own name is near it.
    std::string pattern = dir + "/." + name.substr(0, 200) + ".XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    // Signals wait while the file is made and entered in the table, so that
    // a handler never misses a file that exists.
    sigset_t all, previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_BLOCK, &all, &previous);
    fd_ = ::mkstemp(buf.data());
    const int err = errno;
    if (fd_ >= 0) {
        tempPath_ = buf.data();
        pendingSlot_ = RegisterTemporary(tempPath_);
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (fd_ < 0) Fail("Cannot write", err);
    // Keep the permissions (and, where allowed, the owner) of a file that is
    // replaced; a new file gets the ordinary permissions (0666 less the
    // umask) instead of mkstemp's 0600.
    if (exists) {
        ::fchmod(fd_, st.st_mode & 07777);
        if ((st.st_uid != ::geteuid() || st.st_gid != ::getegid()) && ::fchown(fd_, st.st_uid, st.st_gid) != 0) {
            // Only the superuser may give a file away; others keep it as theirs.
        }
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd_, 0666 & ~mask);
    }
}

TAtomicFileWriter::~TAtomicFileWriter() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) DropTemporary();
}

void TAtomicFileWriter::DropTemporary() {
    // Unlinked before the slot is freed, so that a signal in between still
    // finds the file in the table.
    if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
    ReleaseTemporary(pendingSlot_);
    pendingSlot_ = -1;
    tempPath_.clear();
}

void TAtomicFileWriter::Fail(const char* what, int err) {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    DropTemporary();
    throw Error(std::string(what) + " \"" + path_ + "\": " + SystemErrorText(err));
}

void TAtomicFileWriter::Write(const void* data, std::size_t size) {
    if (fd_ < 0) throw Error("Cannot write \"" + path_ + "\": the file is closed");
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd_, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail("Cannot write", errno);
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
}

void TAtomicFileWriter::Commit() {
    if (fd_ < 0) throw Error("Cannot write \"" + path_ + "\": the file is closed");
    if (::fsync(fd_) != 0) Fail("Cannot write", errno);
    if (::close(fd_) != 0) {
        fd_ = -1;
        Fail("Cannot write", errno);
    }
    fd_ = -1;
    if (::rename(tempPath_.c_str(), targetPath_.c_str()) != 0) Fail("Cannot write", errno);
    committed_ = true;
    ReleaseTemporary(pendingSlot_);
    pendingSlot_ = -1;
}

void WriteFileAtomically(const std::string& path, const void* data, std::size_t size) {
    TAtomicFileWriter w(path);
    w.Write(data, size);
    w.Commit();
}

} // namespace ivra
