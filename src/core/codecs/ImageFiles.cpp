// Choosing a decoder, error messages that name the file, the three writers
// and the PNG filter choice.

#include "core/codecs/ImageFiles.h"

#include "core/Error.h"
#include "core/codecs/CodecsInternal.h"
#include "core/io/FileIO.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <new>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ivra {

namespace {

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

void DecodeAs(TImageFormat f, const std::uint8_t* data, std::size_t size, TBitmap32& out,
              TImageFileDetails& details) {
    switch (f) {
    case TImageFormat::Jpeg: codecs::DecodeJpeg(data, size, out); break;
    case TImageFormat::Png: codecs::DecodePng(data, size, out, details); break;
    case TImageFormat::Bmp: codecs::DecodeBmp(data, size, out); break;
    case TImageFormat::Tiff: codecs::DecodeTiff(data, size, out, details); break;
    case TImageFormat::Unknown: throw Error("not a JPEG, PNG, BMP or TIFF image");
    }
}

} // namespace

const char* ImageFormatName(TImageFormat f) {
    switch (f) {
    case TImageFormat::Jpeg: return "JPEG";
    case TImageFormat::Png: return "PNG";
    case TImageFormat::Bmp: return "BMP";
    case TImageFormat::Tiff: return "TIFF";
    case TImageFormat::Unknown: break;
    }
    return "unknown";
}

TImageFormat FormatFromExtension(const std::string& extension) {
    const std::string e = Lower(extension);
    if (e == ".jpg" || e == ".jpeg" || e == ".jpe") return TImageFormat::Jpeg;
    if (e == ".png") return TImageFormat::Png;
    if (e == ".bmp" || e == ".dib") return TImageFormat::Bmp;
    if (e == ".tif" || e == ".tiff") return TImageFormat::Tiff;
    return TImageFormat::Unknown;
}

TImageFormat SaveFormatFromName(const std::string& path) {
    const std::string e = Lower(FileExtension(path));
    if (e == ".jpg" || e == ".jpeg") return TImageFormat::Jpeg;
    if (e == ".bmp") return TImageFormat::Bmp;
    if (e == ".png") return TImageFormat::Png;
    return TImageFormat::Unknown;
}

TImageFormat RequireSaveFormat(const std::string& path) {
    const TImageFormat f = SaveFormatFromName(path);
    if (f != TImageFormat::Unknown) return f;
    const std::string ext = FileExtension(path);
    throw Error("Cannot write \"" + path + "\": unsupported output format" +
                (ext.empty() ? std::string(" (no extension)") : " \"" + ext + "\"") +
                "; use .jpg, .jpeg, .bmp or .png");
}

TImageFormat FormatFromSignature(const std::uint8_t* data, std::size_t size) {
    static const std::uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 8 && std::memcmp(data, png, 8) == 0) return TImageFormat::Png;
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return TImageFormat::Jpeg;
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') return TImageFormat::Bmp;
    if (size >= 4 && ((data[0] == 'I' && data[1] == 'I' && data[2] == 42 && data[3] == 0) ||
                      (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && data[3] == 42)))
        return TImageFormat::Tiff;
    return TImageFormat::Unknown;
}

TImageFormat DecodeImage(const std::uint8_t* data, std::size_t size, const std::string& name, TBitmap32& bmp,
                         TImageFormat hint, TImageFileDetails* details) {
    try {
        if (size == 0) throw Error("the file is empty");
        // The content decides when its signature names a format; the hint
        // (the extension) only picks the decoder, and with it the message,
        // for content that announces nothing.
        const TImageFormat signature = FormatFromSignature(data, size);
        const TImageFormat format = signature != TImageFormat::Unknown ? signature : hint;
        TBitmap32 tmp;
        TImageFileDetails found;
        DecodeAs(format, data, size, tmp, found);
        bmp.SwapPixels(tmp);
        if (details) *details = std::move(found);
        return format;
    } catch (const Error& e) {
        throw Error(Quoted(name) + ": " + e.what());
    } catch (const std::bad_alloc&) {
        throw Error(Quoted(name) + ": out of memory");
    }
}

namespace {

// A TIFF file is read from the file itself: libtiff asks for the parts it
// needs, so the file is never held whole beside the image. False when the
// file does not start as a TIFF file (the caller reads it whole).
bool LoadTiffFile(const std::string& path, TBitmap32& bmp, TImageFileDetails* details) {
    RequireRegularInput(path);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;  // ReadWholeFile gives the message
    struct TClose {
        int fd;
        ~TClose() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    std::uint8_t head[4];
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::pread(fd, head, 4, 0) != 4 ||
        FormatFromSignature(head, 4) != TImageFormat::Tiff)
        return false;
    try {
        TBitmap32 tmp;
        TImageFileDetails found;
        codecs::DecodeTiffFile(fd, std::uint64_t(st.st_size), tmp, found);
        bmp.SwapPixels(tmp);
        if (details) *details = std::move(found);
        return true;
    } catch (const Error& e) {
        throw Error(Quoted(path) + ": " + e.what());
    } catch (const std::bad_alloc&) {
        throw Error(Quoted(path) + ": out of memory");
    }
}

} // namespace

TImageFormat LoadImageFile(const std::string& path, TBitmap32& bmp, TImageFileDetails* details) {
    if (FormatFromExtension(FileExtension(path)) == TImageFormat::Tiff && LoadTiffFile(path, bmp, details))
        return TImageFormat::Tiff;
    const std::vector<std::uint8_t> data = ReadWholeFile(path);
    return DecodeImage(data.data(), data.size(), path, bmp, FormatFromExtension(FileExtension(path)), details);
}

namespace {

// Runs an encoder; its errors become "Cannot save "path": reason".
template <class F> auto Encoding(const std::string& path, F&& encode) {
    try {
        return encode();
    } catch (const std::bad_alloc&) {
        throw Error("Cannot save " + Quoted(path) + ": out of memory");
    } catch (const Error& e) {
        const std::string what = e.what();
        // Errors of the file writer already name the file.
        if (what.find(Quoted(path)) != std::string::npos) throw;
        throw Error("Cannot save " + Quoted(path) + ": " + what);
    }
}

} // namespace

void SaveToJPG(const TBitmap32& bmp, const std::string& path) {
    const std::vector<std::uint8_t> bytes = Encoding(path, [&] { return codecs::EncodeJpeg(bmp, 80); });
    WriteFileAtomically(path, bytes.data(), bytes.size());
}

void SaveToBmp(const TBitmap32& bmp, const std::string& path) {
    if (bmp.Empty()) throw Error("Cannot save " + Quoted(path) + ": the image is empty");
    Encoding(path, [&] {
        TAtomicFileWriter writer(path);
        codecs::EncodeBmp(bmp, [&writer](const std::uint8_t* p, std::size_t n) { writer.Write(p, n); });
        writer.Commit();
    });
}

std::uint8_t PngFilterOfIndex(int index) {
    switch (index) {
    case 1: return PngFilterSub;
    case 2: return PngFilterUp;
    case 3: return PngFilterAverage;
    case 4: return PngFilterPaeth;
    default: return PngFilterNone;
    }
}

const char* PngFilterName(std::uint8_t filterSet) {
    if (filterSet & PngFilterPaeth) return "Paeth";
    if (filterSet & PngFilterAverage) return "Average";
    if (filterSet & PngFilterUp) return "Up";
    if (filterSet & PngFilterSub) return "Sub";
    return "None";
}

std::size_t PNGFilterSize(int index, const TBitmap32& bmp) {
    return EncodePng(bmp, PngFilterOfIndex(index)).size();
}

TPngChoice ChoosePngFilter(const TBitmap32& bmp, const TPngTrialCallback& onTrial,
                           const TPngCompression& compression) {
    constexpr int Trials = 5;
    if (bmp.Empty()) throw Error("the image is empty");
    // With a callback the caller may run its event loop while the trials
    // work, so they read a private copy that nothing else can change.
    std::optional<TBitmap32> copy;
    if (onTrial) {
        copy.emplace();
        copy->Assign(bmp);
    }
    const TBitmap32& source = copy ? *copy : bmp;

    struct TResult {
        int index;
        std::vector<std::uint8_t> bytes;
    };
    std::mutex mutex;
    std::condition_variable done;
    std::deque<TResult> finished;  // results the calling thread has not looked at yet
    std::exception_ptr failure;
    // The dearer trials first (Paeth filters slowest, None alone is the
    // cheapest), so that two threads finish close together. The order of
    // work does not change the choice.
    static constexpr int order[Trials] = {4, 3, 2, 1, 0};
    int next = 0;  // position in order of the next trial a worker takes
    bool stop = false;

    auto worker = [&]() {
        for (;;) {
            int index;
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (stop || next >= Trials) return;
                index = order[next++];
            }
            try {
                std::vector<std::uint8_t> bytes = EncodePng(source, PngFilterOfIndex(index), compression);
                std::lock_guard<std::mutex> lock(mutex);
                finished.push_back({index, std::move(bytes)});
            } catch (...) {
                std::lock_guard<std::mutex> lock(mutex);
                if (!failure) failure = std::current_exception();
                stop = true;
            }
            done.notify_one();
        }
    };

    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const int threads = int(std::min<unsigned>(cores, Trials));
    std::vector<std::thread> pool;
    pool.reserve(std::size_t(threads));
    TPngChoice choice;
    bool haveBest = false;
    std::exception_ptr callbackFailure;
    try {
        for (int i = 0; i < threads; ++i) pool.emplace_back(worker);
        for (int received = 0; received < Trials;) {
            TResult r;
            {
                std::unique_lock<std::mutex> lock(mutex);
                done.wait(lock, [&] { return !finished.empty() || failure; });
                if (finished.empty()) break;  // a trial failed
                r = std::move(finished.front());
                finished.pop_front();
            }
            ++received;
            const std::size_t size = r.bytes.size();
            choice.sizes[std::size_t(r.index)] = size;
            // The smallest wins; between equal sizes the earlier trial, which
            // is what trying them one after another in index order gives.
            if (!haveBest || size < choice.bytes.size() || (size == choice.bytes.size() && r.index < choice.index)) {
                choice.index = r.index;
                choice.bytes = std::move(r.bytes);
                haveBest = true;
            }
            if (onTrial) onTrial(r.index, size);
        }
    } catch (...) {
        callbackFailure = std::current_exception();
        std::lock_guard<std::mutex> lock(mutex);
        stop = true;
    }
    for (auto& t : pool) t.join();
    if (callbackFailure) std::rethrow_exception(callbackFailure);
    if (failure) std::rethrow_exception(failure);
    choice.filterSet = PngFilterOfIndex(choice.index);
    return choice;
}

std::uint8_t ComputePNGSize(const TBitmap32& bmp, const TPngTrialCallback& onTrial) {
    return ChoosePngFilter(bmp, onTrial).filterSet;
}

std::string PngFileName(const std::string& path) {
    const std::string ext = FileExtension(path);
    if (Lower(ext) == ".png") return path;
    return path.substr(0, path.size() - ext.size()) + ".png";
}

std::string SaveToPng(const TBitmap32& bmp, const std::string& path, std::uint8_t& pngFilter,
                      const TPngTrialCallback& onTrial, std::array<std::size_t, 5>* trialSizes) {
    const std::string target = PngFileName(path);
    TPngChoice choice = Encoding(target, [&] { return ChoosePngFilter(bmp, onTrial); });
    pngFilter = choice.filterSet;
    if (trialSizes) *trialSizes = choice.sizes;
    WriteFileAtomically(target, choice.bytes.data(), choice.bytes.size());
    return target;
}

std::string SaveImageFile(const TBitmap32& bmp, const std::string& path, std::uint8_t& pngFilter) {
    switch (RequireSaveFormat(path)) {
    case TImageFormat::Jpeg:
        SaveToJPG(bmp, path);
        return path;
    case TImageFormat::Bmp:
        SaveToBmp(bmp, path);
        return path;
    default:
        return SaveToPng(bmp, path, pngFilter);
    }
}

} // namespace ivra
