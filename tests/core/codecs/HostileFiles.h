#pragma once
// Small hostile image files, built from a few bytes: headers that claim huge
// images and streams that would make a careless reader allocate, inflate or
// clear far more than the file holds. Shared by the codec tests and the
// benchmark of hostile input.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <zlib.h>

namespace ivra::hostile {

using TBytes = std::vector<std::uint8_t>;

inline void PutBe32(TBytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(v >> shift));
}
inline void PutBe16(TBytes& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v >> 8));
    out.push_back(std::uint8_t(v));
}
inline void PutLe16(TBytes& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}
inline void PutLe32(TBytes& out, std::uint32_t v) {
    PutLe16(out, v);
    PutLe16(out, v >> 16);
}

// One PNG chunk: length, type, data, CRC of type and data.
inline void PutPngChunk(TBytes& out, const char* type, const TBytes& data) {
    PutBe32(out, std::uint32_t(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBe32(out, std::uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
}

// A zlib stream of n zero bytes, deflated in pieces (nothing of size n is
// ever held).
inline TBytes DeflatedZeros(std::size_t n) {
    z_stream z{};
    deflateInit(&z, 9);
    const TBytes zeros(1 << 16, 0);
    TBytes out(1 << 16);
    TBytes result;
    int flush = Z_NO_FLUSH;
    do {
        if (z.avail_in == 0 && flush == Z_NO_FLUSH) {
            const std::size_t take = std::min(n, zeros.size());
            z.next_in = const_cast<Bytef*>(zeros.data());
            z.avail_in = uInt(take);
            n -= take;
            if (n == 0) flush = Z_FINISH;
        }
        z.next_out = out.data();
        z.avail_out = uInt(out.size());
        const int rc = deflate(&z, flush);
        result.insert(result.end(), out.data(), out.data() + (out.size() - z.avail_out));
        if (rc == Z_STREAM_END) break;
    } while (true);
    deflateEnd(&z);
    return result;
}

// A 1 x 1 RGBA PNG with `chunks` compressed text chunks, each of whose text
// inflates to textBytes bytes.
inline TBytes PngTextBomb(int chunks, std::size_t textBytes) {
    TBytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    TBytes ihdr;
    PutBe32(ihdr, 1);
    PutBe32(ihdr, 1);
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA, no interlace
    PutPngChunk(png, "IHDR", ihdr);
    TBytes ztxt = {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 0};
    const TBytes text = DeflatedZeros(textBytes);
    ztxt.insert(ztxt.end(), text.begin(), text.end());
    for (int i = 0; i < chunks; ++i) PutPngChunk(png, "zTXt", ztxt);
    const std::uint8_t row[5] = {0, 10, 20, 30, 255};  // filter byte, one pixel
    TBytes idat(compressBound(sizeof row));
    uLongf idatSize = uLongf(idat.size());
    compress(idat.data(), &idatSize, row, sizeof row);
    idat.resize(idatSize);
    PutPngChunk(png, "IDAT", idat);
    PutPngChunk(png, "IEND", {});
    return png;
}

// An RLE8 or RLE4 bitmap claiming width x height whose data is runBytes of
// runs (255 pixels each) without an end-of-bitmap code or enough line ends.
inline TBytes RleBomb(bool rle4, int width, int height, std::size_t runBytes, bool endCode = false) {
    const std::uint32_t paletteBytes = rle4 ? 16 * 4 : 256 * 4;
    const std::uint32_t offset = 14 + 40 + paletteBytes;
    TBytes bmp = {'B', 'M'};
    PutLe32(bmp, std::uint32_t(offset + runBytes + 2));
    PutLe32(bmp, 0);
    PutLe32(bmp, offset);
    PutLe32(bmp, 40);
    PutLe32(bmp, std::uint32_t(width));
    PutLe32(bmp, std::uint32_t(height));
    PutLe16(bmp, 1);
    PutLe16(bmp, rle4 ? 4 : 8);
    PutLe32(bmp, rle4 ? 2 : 1);  // compression
    for (int i = 0; i < 5; ++i) PutLe32(bmp, 0);
    for (std::uint32_t i = 0; i < paletteBytes / 4; ++i) PutLe32(bmp, i * 0x010101u);
    for (std::size_t i = 0; i + 1 < runBytes; i += 2) bmp.insert(bmp.end(), {0xFF, 0x11});
    if (endCode) bmp.insert(bmp.end(), {0x00, 0x01});
    return bmp;
}

// The start of a progressive JPEG claiming width x height with 1 (gray) or
// 3 (YCbCr 4:2:0) components: its tables and the first DC scan with a few
// bytes of data; the file then ends.
inline TBytes ProgressiveJpegStub(int width, int height, int components) {
    TBytes jpg = {0xFF, 0xD8};
    jpg.insert(jpg.end(), {0xFF, 0xDB, 0x00, 67, 0x00});  // one quantisation table of ones
    jpg.insert(jpg.end(), 64, 1);
    jpg.insert(jpg.end(), {0xFF, 0xC2});  // progressive frame
    PutBe16(jpg, std::uint32_t(8 + 3 * components));
    jpg.push_back(8);
    PutBe16(jpg, std::uint32_t(height));
    PutBe16(jpg, std::uint32_t(width));
    jpg.push_back(std::uint8_t(components));
    for (int c = 0; c < components; ++c)
        jpg.insert(jpg.end(), {std::uint8_t(c + 1), std::uint8_t(c == 0 && components == 3 ? 0x22 : 0x11), 0});
    // A DC table with the single one-bit code for "no change".
    jpg.insert(jpg.end(), {0xFF, 0xC4, 0x00, 20, 0x00, 1});
    jpg.insert(jpg.end(), 15, 0);
    jpg.push_back(0);
    jpg.insert(jpg.end(), {0xFF, 0xDA});  // first DC scan of all components
    PutBe16(jpg, std::uint32_t(6 + 2 * components));
    jpg.push_back(std::uint8_t(components));
    for (int c = 0; c < components; ++c) jpg.insert(jpg.end(), {std::uint8_t(c + 1), 0x00});
    jpg.insert(jpg.end(), {0, 0, 0});
    jpg.insert(jpg.end(), 16, 0x00);
    return jpg;
}

// A little-endian TIFF file: the header, `data` from offset 8, then one
// directory of the given tags (SHORT or LONG values; lists longer than fit
// in an entry follow the directory). With loop, the directory names itself
// as the next one.
struct TTiffTag {
    std::uint16_t tag;
    std::uint16_t type;  // 3 SHORT, 4 LONG
    std::vector<std::uint32_t> values;
};
inline TBytes TiffFile(const TBytes& data, std::vector<TTiffTag> tags, bool loop = false) {
    std::sort(tags.begin(), tags.end(), [](const TTiffTag& a, const TTiffTag& b) { return a.tag < b.tag; });
    TBytes out = {'I', 'I', 42, 0};
    const std::uint32_t ifd = std::uint32_t(8 + data.size() + (data.size() & 1));
    PutLe32(out, ifd);
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() & 1) out.push_back(0);
    std::uint32_t extra = ifd + 2 + std::uint32_t(tags.size()) * 12 + 4;
    TBytes lists;
    PutLe16(out, std::uint32_t(tags.size()));
    for (const TTiffTag& t : tags) {
        PutLe16(out, t.tag);
        PutLe16(out, t.type);
        PutLe32(out, std::uint32_t(t.values.size()));
        const std::size_t bytes = t.values.size() * (t.type == 3 ? 2 : 4);
        TBytes v;
        for (std::uint32_t x : t.values) t.type == 3 ? PutLe16(v, x) : PutLe32(v, x);
        if (bytes <= 4) {
            v.resize(4, 0);
            out.insert(out.end(), v.begin(), v.end());
        } else {
            PutLe32(out, extra + std::uint32_t(lists.size()));
            lists.insert(lists.end(), v.begin(), v.end());
        }
    }
    PutLe32(out, loop ? ifd : 0);
    out.insert(out.end(), lists.begin(), lists.end());
    return out;
}

// A one-strip 8-bit gray TIFF of width x height whose strip is `strip`
// (compression 1 none, 5 LZW, 8 Deflate), stored at stripOffset when it is
// not 0 (then the strip's bytes are not in the file).
inline TBytes GrayTiff(std::uint32_t width, std::uint32_t height, std::uint32_t compression, const TBytes& strip,
                       std::uint32_t stripOffset = 0, bool loop = false) {
    return TiffFile(stripOffset ? TBytes() : strip,
                    {{256, 4, {width}},
                     {257, 4, {height}},
                     {258, 3, {8}},
                     {259, 3, {compression}},
                     {262, 3, {1}},
                     {273, 4, {stripOffset ? stripOffset : 8}},
                     {277, 3, {1}},
                     {278, 4, {height}},
                     {279, 4, {std::uint32_t(strip.size())}}},
                    loop);
}

// Resident memory of this process now, in KiB.
inline long ResidentKiB() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// Runs work in a child process and returns how far its resident memory rose
// above what it inherited, in KiB; -1 when the child did not end normally.
inline long ChildPeakGrowthKiB(const std::function<void()>& work) {
    const long before = ResidentKiB();
    const pid_t pid = ::fork();
    if (pid == 0) {
        work();
        ::_exit(0);
    }
    int status = 0;
    struct rusage usage {};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return std::max(0L, usage.ru_maxrss - before);
}

} // namespace ivra::hostile
