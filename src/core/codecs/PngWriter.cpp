// Writing PNG: 8-bit RGB or RGBA, no interlace, each row filtered with None
// or the one other filter of the set, the whole filtered image deflated at
// once with libdeflate.
//
// The chunks are written here rather than through libpng's writer because
// the row filter is our decision: libpng picks it by the smallest sum of
// absolute differences and gives the application no say per row. We use the
// same measure, except that a row of one colour is always left unfiltered:
// deflate stores such a row in a few bytes as it is, and filtering it only
// makes the rows of different filter sets differ. So on an image of one flat
// colour every filter set gives exactly the bytes of None alone.
//
// libdeflate compresses a whole buffer in one call, several times faster
// than zlib at the same level. It has no streaming interface, so the
// filtered rows are gathered first: one buffer of the image's raw PNG size,
// released before the file's bytes are assembled.

#include "core/codecs/CodecsInternal.h"
#include "core/codecs/ImageFiles.h"

#include "core/Error.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include <libdeflate.h>

namespace ivra {

namespace {

constexpr std::size_t IdatChunkBytes = 256 * 1024;

std::uint8_t* PutBe32(std::uint8_t* out, std::uint32_t v) {
    out[0] = std::uint8_t(v >> 24);
    out[1] = std::uint8_t(v >> 16);
    out[2] = std::uint8_t(v >> 8);
    out[3] = std::uint8_t(v);
    return out + 4;
}

// Writes the chunk (length, type, data, CRC) at out; returns the end.
std::uint8_t* PutChunk(std::uint8_t* out, const char* type, const std::uint8_t* data, std::size_t size) {
    out = PutBe32(out, std::uint32_t(size));
    std::memcpy(out, type, 4);
    if (size > 0) std::memcpy(out + 4, data, size);
    const std::uint32_t crc = libdeflate_crc32(0, out, size + 4);
    return PutBe32(out + 4 + size, crc);
}

void ToPngRow(const TColor32* src, std::uint8_t* dst, int width, bool alpha) {
    if (alpha) {
        for (int x = 0; x < width; ++x, dst += 4) {
            const TColor32 c = src[x];
            dst[0] = RedComponent(c);
            dst[1] = GreenComponent(c);
            dst[2] = BlueComponent(c);
            dst[3] = AlphaComponent(c);
        }
    } else {
        for (int x = 0; x < width; ++x, dst += 3) {
            const TColor32 c = src[x];
            dst[0] = RedComponent(c);
            dst[1] = GreenComponent(c);
            dst[2] = BlueComponent(c);
        }
    }
}

bool IsUniformRow(const TColor32* row, int width) {
    const TColor32 first = row[0];
    for (int x = 1; x < width; ++x)
        if (row[x] != first) return false;
    return true;
}

bool HasTransparency(const TBitmap32& bmp) {
    const TColor32* p = bmp.Bits();
    const std::size_t n = bmp.PixelCount();
    TColor32 all = 0xFF000000u;
    for (std::size_t i = 0; i < n; ++i) all &= p[i];
    return (all & 0xFF000000u) != 0xFF000000u;
}

// The Paeth predictor of left a, above b and upper-left c, written with
// selections instead of branches so that the compiler can vectorise it.
inline int PaethPredictor(int a, int b, int c) {
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    const int bc = pb <= pc ? b : c;
    return ((pa <= pb) & (pa <= pc)) ? a : bc;
}

// Filters row (n bytes, bpp bytes per pixel) against the previous row with
// PNG filter type 1 to 4 into out. The first pixel has no left neighbour
// (and no upper-left one): those count as 0. Kept out of line: inlined into
// the row loop its loops are no longer vectorised.
[[gnu::noinline]] void FilterRow(int type, const std::uint8_t* __restrict row, const std::uint8_t* __restrict prev,
               std::uint8_t* __restrict out, std::size_t n, std::size_t bpp) {
    switch (type) {
    case 1:
        for (std::size_t i = 0; i < bpp; ++i) out[i] = row[i];
        for (std::size_t i = bpp; i < n; ++i) out[i] = std::uint8_t(row[i] - row[i - bpp]);
        break;
    case 2:
        for (std::size_t i = 0; i < n; ++i) out[i] = std::uint8_t(row[i] - prev[i]);
        break;
    case 3:
        for (std::size_t i = 0; i < bpp; ++i) out[i] = std::uint8_t(row[i] - (prev[i] >> 1));
        for (std::size_t j = 0, m = n - bpp; j < m; ++j)
            out[j + bpp] = std::uint8_t(row[j + bpp] - ((unsigned(row[j]) + unsigned(prev[j + bpp])) >> 1));
        break;
    default:
        for (std::size_t i = 0; i < bpp; ++i) out[i] = std::uint8_t(row[i] - prev[i]);
        for (std::size_t j = 0, m = n - bpp; j < m; ++j)
            out[j + bpp] = std::uint8_t(row[j + bpp] - PaethPredictor(row[j], prev[j + bpp], prev[j]));
        break;
    }
}

// The usual estimate of how well a filtered row compresses: the sum of the
// bytes read as signed distances from zero. Summed in blocks small enough
// for 32-bit totals, which vectorise well.
[[gnu::noinline]] std::uint64_t AbsoluteSum(const std::uint8_t* __restrict p, std::size_t n) {
    std::uint64_t sum = 0;
    for (std::size_t start = 0; start < n; start += std::size_t(1) << 16) {
        const std::size_t end = std::min(n, start + (std::size_t(1) << 16));
        std::uint32_t block = 0;
        for (std::size_t i = start; i < end; ++i) block += p[i] < 128 ? p[i] : 256u - p[i];
        sum += block;
    }
    return sum;
}

// The zlib stream of the filtered rows, and its length.
struct TZlibStream {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size = 0;
};

TZlibStream Deflate(const std::uint8_t* data, std::size_t size, int level) {
    const std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> compressor(
        libdeflate_alloc_compressor(level), libdeflate_free_compressor);
    if (!compressor) throw std::bad_alloc();
    // Room for the worst case. The buffer is not cleared, so only the pages
    // the stream really fills take memory.
    const std::size_t room = libdeflate_zlib_compress_bound(compressor.get(), size);
    TZlibStream z{std::make_unique_for_overwrite<std::uint8_t[]>(room)};
    z.size = libdeflate_zlib_compress(compressor.get(), data, size, z.bytes.get(), room);
    if (z.size == 0) throw Error("PNG compression failed");
    return z;
}

} // namespace

// Files within about 1 % of zlib's level 6 on the benchmark images at half
// the time of level 7 on smooth photographs (bench/png_levels.md).
TPngCompression DefaultPngCompression() { return TPngCompression{6}; }

std::vector<std::uint8_t> EncodePng(const TBitmap32& bmp, std::uint8_t filterSet, const TPngCompression& compression) {
    if (bmp.Empty()) throw Error("the image is empty");
    const int level = compression.level;
    if (level < 0 || level > 12) throw Error("invalid PNG compression level " + std::to_string(level));
    const int width = bmp.Width(), height = bmp.Height();
    const bool alpha = HasTransparency(bmp);
    const std::size_t bpp = alpha ? 4 : 3;
    const std::size_t n = std::size_t(width) * bpp;
    // PNG filter types 1 Sub ... 4 Paeth in the set; None (0) is always in it.
    int types[4];
    int typeCount = 0;
    for (int t = 1; t <= 4; ++t)
        if (filterSet & (1 << t)) types[typeCount++] = t;

    // The image data: each row is its filter type byte and the filtered row.
    const std::size_t stride = n + 1;
    const std::size_t rawSize = stride * std::size_t(height);
    auto rows = std::make_unique_for_overwrite<std::uint8_t[]>(rawSize);
    // cur and prev are raw (None) rows; the row above the first one is all
    // zeros.
    std::vector<std::uint8_t> bufA(stride, 0), bufB(stride, 0), trial(stride), best(stride);
    std::uint8_t* cur = bufA.data();
    std::uint8_t* prev = bufB.data();
    for (int y = 0; y < height; ++y) {
        const TColor32* src = bmp.ScanLine(y);
        ToPngRow(src, cur + 1, width, alpha);
        const std::uint8_t* row = cur;
        if (typeCount > 0 && !IsUniformRow(src, width)) {
            // The smallest sum wins; ties keep the earlier filter, None first.
            std::uint64_t bestSum = AbsoluteSum(cur + 1, n);
            for (int i = 0; i < typeCount; ++i) {
                trial[0] = std::uint8_t(types[i]);
                FilterRow(types[i], cur + 1, prev + 1, trial.data() + 1, n, bpp);
                const std::uint64_t sum = AbsoluteSum(trial.data() + 1, n);
                if (sum < bestSum) {
                    bestSum = sum;
                    best.swap(trial);
                    row = best.data();
                }
            }
        }
        std::memcpy(rows.get() + std::size_t(y) * stride, row, stride);
        std::swap(cur, prev);
    }
    TZlibStream z = Deflate(rows.get(), rawSize, level);
    rows.reset();

    // Signature, IHDR, the IDAT chunks, IEND.
    const std::size_t idatChunks = (z.size + IdatChunkBytes - 1) / IdatChunkBytes;
    std::vector<std::uint8_t> out(8 + (12 + 13) + z.size + 12 * idatChunks + 12);
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::memcpy(out.data(), signature, 8);
    std::uint8_t ihdr[13] = {0};
    for (int i = 0; i < 4; ++i) {
        ihdr[i] = std::uint8_t(std::uint32_t(width) >> (24 - 8 * i));
        ihdr[4 + i] = std::uint8_t(std::uint32_t(height) >> (24 - 8 * i));
    }
    ihdr[8] = 8;              // bits per sample
    ihdr[9] = alpha ? 6 : 2;  // RGBA or RGB; compression, filter method and interlace stay 0
    std::uint8_t* p = PutChunk(out.data() + 8, "IHDR", ihdr, sizeof ihdr);
    for (std::size_t at = 0; at < z.size; at += IdatChunkBytes)
        p = PutChunk(p, "IDAT", z.bytes.get() + at, std::min(IdatChunkBytes, z.size - at));
    PutChunk(p, "IEND", nullptr, 0);
    return out;
}

} // namespace ivra
