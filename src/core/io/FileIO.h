#pragma once
// Whole-file reading and safe writing.
//
// Every writer of the program goes through WriteFileAtomically or
// TAtomicFileWriter: the data goes into a temporary file in the target's
// folder, which is flushed to disk and then renamed over the target. A failed
// or interrupted save therefore never destroys the old file. Errors name the
// file and carry the system's reason.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ivra {

// Reads the whole file. Throws Error naming the file when it cannot be
// opened or read, or when it is larger than maxBytes.
std::vector<std::uint8_t> ReadWholeFile(const std::string& path,
                                        std::size_t maxBytes = std::size_t(1) << 31);

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
    std::string path_;
    std::string tempPath_;
    int fd_ = -1;
    bool committed_ = false;
};

// The text of errno err, for messages.
std::string SystemErrorText(int err);

// The file-name part of a path (after the last '/').
std::string FileNamePart(const std::string& path);

// The extension of the file-name part, from its last '.', dot included; empty
// when there is none.
std::string FileExtension(const std::string& path);

} // namespace ivra
