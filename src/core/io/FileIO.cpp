#include "core/io/FileIO.h"

#include "core/Error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
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

std::vector<std::uint8_t> ReadWholeFile(const std::string& path, std::size_t maxBytes) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        int err = errno;
        throw Error("Cannot open \"" + path + "\": " + SystemErrorText(err));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        throw Error("Cannot read \"" + path + "\": " + SystemErrorText(err));
    }
    std::vector<std::uint8_t> data;
    if (st.st_size > 0) {
        if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
            ::close(fd);
            throw Error("Cannot read \"" + path + "\": the file is too large");
        }
        data.reserve(static_cast<std::size_t>(st.st_size));
    }
    std::uint8_t buf[1 << 16];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            throw Error("Cannot read \"" + path + "\": " + SystemErrorText(err));
        }
        if (n == 0) break;
        if (data.size() + static_cast<std::size_t>(n) > maxBytes) {
            ::close(fd);
            throw Error("Cannot read \"" + path + "\": the file is too large");
        }
        data.insert(data.end(), buf, buf + n);
    }
    ::close(fd);
    return data;
}

TAtomicFileWriter::TAtomicFileWriter(std::string path) : path_(std::move(path)) {
    auto slash = path_.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string(".")
                            : slash == 0                 ? std::string("/")
                                                         : path_.substr(0, slash);
    std::string name = slash == std::string::npos ? path_ : path_.substr(slash + 1);
    // The temporary name must stay within the file-name limit also for a
    // target whose own name is near it.
    std::string pattern = dir + "/." + name.substr(0, 200) + ".XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    fd_ = ::mkstemp(buf.data());
    if (fd_ < 0) Fail("Cannot write", errno);
    tempPath_ = buf.data();
    // Keep the permissions of a file that is replaced; a new file gets the
    // ordinary permissions (0666 less the umask) instead of mkstemp's 0600.
    struct stat st {};
    if (::stat(path_.c_str(), &st) == 0) {
        ::fchmod(fd_, st.st_mode & 07777);
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd_, 0666 & ~mask);
    }
}

TAtomicFileWriter::~TAtomicFileWriter() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !tempPath_.empty()) ::unlink(tempPath_.c_str());
}

void TAtomicFileWriter::Fail(const char* what, int err) {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
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
    if (::rename(tempPath_.c_str(), path_.c_str()) != 0) Fail("Cannot write", errno);
    committed_ = true;
}

void WriteFileAtomically(const std::string& path, const void* data, std::size_t size) {
    TAtomicFileWriter w(path);
    w.Write(data, size);
    w.Commit();
}

} // namespace ivra
