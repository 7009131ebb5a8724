#pragma once
// Whole-file reading and safe writing.
//
// Every writer of the program goes through WriteFileAtomically or
// TAtomicFileWriter: the data goes into a temporary file in the target's
// folder, which is flushed to disk and then renamed over the target. A failed
// or interrupted save therefore never destroys the old file. Errors name the
// file and carry the system's reason.
//
// The writer replaces only what an in-place write could: a symbolic link is
// followed and the file it names is replaced (the link stays); a target that
// is not a regular file (a folder, device, FIFO or socket) or that the user
// may not write is refused before anything is written.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ivra {

// Reads the whole file. Throws Error naming the file when it cannot be
// opened or read, when it is larger than maxBytes (the message states the
// limit), or when it is not a regular file: folders, devices, FIFOs and
// sockets are refused before anything is read, and a FIFO without a writer
// never blocks.
std::vector<std::uint8_t> ReadWholeFile(const std::string& path,
                                        std::size_t maxBytes = std::size_t(1) << 31);

// Throws the same Error as ReadWholeFile for a path that does not exist or
// is not a regular file, before anything opens it (for readers that open
// files themselves).
void RequireRegularInput(const std::string& path);

// Writes data to path through a temporary file and a rename.
void WriteFileAtomically(const std::string& path, const void* data, std::size_t size);
inline void WriteFileAtomically(const std::string& path, std::string_view text) {
    WriteFileAtomically(path, text.data(), text.size());
}

// Streaming variant: Write() any number of times, then Commit(). Destroying
// the writer without Commit() removes the temporary file and leaves the
// target untouched.
class TAtomicFileWriter {
public:
    explicit TAtomicFileWriter(std::string path);
    ~TAtomicFileWriter();
    TAtomicFileWriter(const TAtomicFileWriter&) = delete;
    TAtomicFileWriter& operator=(const TAtomicFileWriter&) = delete;

    void Write(const void* data, std::size_t size);
    void Write(std::string_view text) { Write(text.data(), text.size()); }
    void Commit();

    const std::string& Path() const { return path_; }

private:
    [[noreturn]] void Fail(const char* what, int err);
    void DropTemporary();
    std::string path_;
    std::string targetPath_;  // path_ with its symbolic links followed
    std::string tempPath_;
    int pendingSlot_ = -1;
    int fd_ = -1;
    bool committed_ = false;
};

// Removes the temporary files of every writer that has not committed yet.
// Async-signal-safe (it only reads a fixed table and calls unlink), so a
// SIGINT or SIGTERM handler may call it before the program dies; the
// program's orderly exit paths call it too. A writer whose file was removed
// fails on Commit and leaves the target untouched.
void RemovePendingTemporaryFiles() noexcept;

// The text of errno err, for messages.
std::string SystemErrorText(int err);

// The file-name part of a path (after the last '/').
std::string FileNamePart(const std::string& path);

// The extension of the file-name part, from its last '.', dot included; empty
// when there is none.
std::string FileExtension(const std::string& path);

} // namespace ivra
