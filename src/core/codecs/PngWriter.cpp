// Writing PNG: 8-bit RGB or RGBA, no interlace, each row filtered with None
// or the one other filter of the set, deflated with zlib.
//
// The chunks are written here rather than through libpng's writer because
// the row filter is our decision: libpng picks it by the smallest sum of
// absolute differences and gives the application no say per row. We use the
// same measure, except that a row of one colour is always left unfiltered:
// deflate stores such a row in a few bytes as it is, and filtering it only
// makes the rows of different filter sets differ. So on an image of one flat
// colour every filter set gives exactly the bytes of None alone.

#include "core/codecs/CodecsInternal.h"
#include "core/codecs/ImageFiles.h"

#include "core/Error.h"

#include <cstdlib>
#include <cstring>
#include <utility>
#include <new>
#include <string>

#include <zlib.h>

namespace ivra {

namespace {

constexpr std::size_t IdatChunkBytes = 256 * 1024;

void PutBe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    const std::uint8_t b[4] = {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
    out.insert(out.end(), b, b + 4);
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type, const std::uint8_t* data, std::size_t size) {
    PutBe32(out, std::uint32_t(size));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    if (size > 0) out.insert(out.end(), data, data + size);
    PutBe32(out, std::uint32_t(crc32(0, out.data() + start, uInt(size + 4))));
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

// The deflate stream of the image data, cut into IDAT chunks.
class TIdatWriter {
public:
    TIdatWriter(std::vector<std::uint8_t>& out, const TPngCompression& c, int strategy) : out_(out), buf_(IdatChunkBytes) {
        const int rc = deflateInit2(&z_, c.level, Z_DEFLATED, c.windowBits, c.memLevel, strategy);
        if (rc == Z_MEM_ERROR) throw std::bad_alloc();
        if (rc != Z_OK) throw Error("invalid PNG compression settings");
        z_.next_out = buf_.data();
        z_.avail_out = uInt(buf_.size());
    }
    ~TIdatWriter() { deflateEnd(&z_); }
    TIdatWriter(const TIdatWriter&) = delete;
    TIdatWriter& operator=(const TIdatWriter&) = delete;

    void Write(const std::uint8_t* data, std::size_t size) { Run(data, size, Z_NO_FLUSH); }
    // Changes the strategy for the data still to come. zlib first
    // compresses what it holds with the old one; when that does not fit the
    // output buffer it asks for room and to be called again.
    void SetStrategy(int level, int strategy) {
        for (int tries = 0; tries < 1000; ++tries) {
            const int rc = deflateParams(&z_, level, strategy);
            if (rc == Z_OK) return;
            if (rc != Z_BUF_ERROR) break;
            Flush();
        }
        throw Error("PNG compression failed");
    }
    void Finish() {
        Run(nullptr, 0, Z_FINISH);
        Flush();
    }

private:
    void Run(const std::uint8_t* data, std::size_t size, int flush) {
        z_.next_in = const_cast<Bytef*>(data);
        z_.avail_in = uInt(size);
        for (;;) {
            const int rc = deflate(&z_, flush);
            if (rc == Z_STREAM_END) return;
            if (rc != Z_OK && rc != Z_BUF_ERROR) throw Error("PNG compression failed");
            // With room left and everything taken, only Z_FINISH can still
            // report no progress, which would mean a broken stream.
            if (rc == Z_BUF_ERROR && z_.avail_out != 0 && flush != Z_NO_FLUSH) throw Error("PNG compression failed");
            if (z_.avail_out == 0) {
                Flush();
                continue;
            }
            if (flush == Z_NO_FLUSH && z_.avail_in == 0) return;
        }
    }
    void Flush() {
        const std::size_t used = buf_.size() - z_.avail_out;
        if (used > 0) PutChunk(out_, "IDAT", buf_.data(), used);
        z_.next_out = buf_.data();
        z_.avail_out = uInt(buf_.size());
    }

    std::vector<std::uint8_t>& out_;
    std::vector<std::uint8_t> buf_;
    z_stream z_{};
};

} // namespace

TPngCompression DefaultPngCompression() { return TPngCompression{6, 8, -1, -1, 12}; }

std::vector<std::uint8_t> EncodePng(const TBitmap32& bmp, std::uint8_t filterSet, const TPngCompression& compression) {
    if (bmp.Empty()) throw Error("the image is empty");
    const int width = bmp.Width(), height = bmp.Height();
    const bool alpha = HasTransparency(bmp);
    const std::size_t bpp = alpha ? 4 : 3;
    const std::size_t n = std::size_t(width) * bpp;
    // PNG filter types 1 Sub ... 4 Paeth in the set; None (0) is always in it.
    int types[4];
    int typeCount = 0;
    for (int t = 1; t <= 4; ++t)
        if (filterSet & (1 << t)) types[typeCount++] = t;
    // Raw rows are deflated with the default strategy, filtered ones with
    // Z_FILTERED (as libpng does). The stream starts as for raw rows and
    // switches at the first row that is really filtered, so that a set whose
    // filter is never used gives exactly the bytes of None alone.
    const int rawStrategy = compression.noneStrategy >= 0 ? compression.noneStrategy : Z_DEFAULT_STRATEGY;
    const int filteredStrategy = compression.strategy >= 0 ? compression.strategy : Z_FILTERED;

    std::vector<std::uint8_t> out;
    // Room for a typical photograph at about half its raw size.
    out.reserve(std::min<std::size_t>(bmp.PixelCount() * 2 + 1024, std::size_t(256) << 20));
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    out.insert(out.end(), signature, signature + 8);
    std::uint8_t ihdr[13] = {0};
    for (int i = 0; i < 4; ++i) {
        ihdr[i] = std::uint8_t(std::uint32_t(width) >> (24 - 8 * i));
        ihdr[4 + i] = std::uint8_t(std::uint32_t(height) >> (24 - 8 * i));
    }
    ihdr[8] = 8;              // bits per sample
    ihdr[9] = alpha ? 6 : 2;  // RGBA or RGB; compression, filter method and interlace stay 0
    PutChunk(out, "IHDR", ihdr, sizeof ihdr);

    // Each buffer holds a filter type byte and a row. cur and prev are the
    // raw (None) rows; the row above the first one is all zeros.
    std::vector<std::uint8_t> bufA(n + 1, 0), bufB(n + 1, 0), trial(n + 1), best(n + 1);
    std::uint8_t* cur = bufA.data();
    std::uint8_t* prev = bufB.data();
    TIdatWriter idat(out, compression, rawStrategy);
    bool filteredYet = false;
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
        if (row != cur && !filteredYet) {
            filteredYet = true;
            if (filteredStrategy != rawStrategy) idat.SetStrategy(compression.level, filteredStrategy);
        }
        idat.Write(row, n + 1);
        std::swap(cur, prev);
    }
    idat.Finish();
    PutChunk(out, "IEND", nullptr, 0);
    return out;
}

} // namespace ivra
