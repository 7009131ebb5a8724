// Reading TIFF through libtiff: the first image of the file, 1- to 8-bit and
// 16-bit gray, RGB and RGBA with contiguous samples, and palette images, in
// strips or tiles, uncompressed or with any compression libtiff decodes.
// Other kinds libtiff can turn into 8-bit pixels itself (separate planes,
// CMYK, YCbCr) go through its RGBA reader; floating-point and 32-bit
// samples are refused with a message naming the kind.
//
// The file lies in memory and is handed to libtiff as a mapped file, so
// libtiff copies no strip. Before anything is allocated the image size is
// checked against MaxBitmapPixels, every strip or tile must lie inside the
// file, and the compressed data must be large enough to hold the stated
// image at the most its compression can expand (a few bytes claiming a huge
// image are refused at once). libtiff's own allocations are limited as well.

#include "core/codecs/CodecsInternal.h"

#include "core/Error.h"
#include "core/processing/GeometricOps.h"
#include "core/processing/PixelLoops.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <tiffio.h>
#include <unistd.h>

namespace ivra::codecs {

namespace {

// No single allocation of libtiff may exceed this (tag arrays, strip
// buffers of its RGBA reader, decoder state).
constexpr tmsize_t MaxTiffAllocation = tmsize_t(64) << 20;

// The file in memory (data), or an open file read piece by piece (fd).
struct TTiffSource {
    const std::uint8_t* data;
    std::uint64_t size;
    std::uint64_t pos = 0;
    int fd = -1;
    std::string error;     // libtiff's first error message
    std::string warnings;  // and its warnings
};

int OnTiffError(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
    auto* src = static_cast<TTiffSource*>(user);
    if (src->error.empty()) {
        char text[512];
        std::vsnprintf(text, sizeof text, fmt, ap);
        src->error = text;
    }
    return 1;
}

int OnTiffWarning(TIFF*, void* user, const char*, const char* fmt, va_list ap) {
    auto* src = static_cast<TTiffSource*>(user);
    if (src->warnings.size() < 4096) {
        char text[512];
        std::vsnprintf(text, sizeof text, fmt, ap);
        src->warnings += text;
        src->warnings += '\n';
    }
    return 1;
}

tmsize_t ReadProc(thandle_t h, void* buf, tmsize_t n) {
    auto* src = static_cast<TTiffSource*>(h);
    if (n <= 0 || src->pos >= src->size) return 0;
    const std::uint64_t count = std::min<std::uint64_t>(std::uint64_t(n), src->size - src->pos);
    if (src->fd >= 0) {
        auto* out = static_cast<std::uint8_t*>(buf);
        std::uint64_t got = 0;
        while (got < count) {
            const ssize_t r = ::pread(src->fd, out + got, count - got, off_t(src->pos + got));
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) break;
            got += std::uint64_t(r);
        }
        src->pos += got;
        return tmsize_t(got);
    }
    std::memcpy(buf, src->data + src->pos, count);
    src->pos += count;
    return tmsize_t(count);
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t) { return 0; }

toff_t SeekProc(thandle_t h, toff_t off, int whence) {
    auto* src = static_cast<TTiffSource*>(h);
    std::uint64_t base = 0;
    if (whence == SEEK_CUR) base = src->pos;
    if (whence == SEEK_END) base = src->size;
    src->pos = base + off;
    return src->pos;
}

int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t h) { return static_cast<TTiffSource*>(h)->size; }

int MapProc(thandle_t h, void** base, toff_t* size) {
    auto* src = static_cast<TTiffSource*>(h);
    if (src->fd >= 0) return 0;  // read, not mapped: a file cut short meanwhile gives an error, not a fault
    *base = const_cast<std::uint8_t*>(src->data);
    *size = src->size;
    return 1;
}

void UnmapProc(thandle_t, void*, toff_t) {}

class TTiffFile {
public:
    explicit TTiffFile(TTiffSource& src) : src_(src) {
        TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
        if (!options) throw Error("out of memory");
        TIFFOpenOptionsSetMaxSingleMemAlloc(options, MaxTiffAllocation);
        TIFFOpenOptionsSetErrorHandlerExtR(options, OnTiffError, &src);
        TIFFOpenOptionsSetWarningHandlerExtR(options, OnTiffWarning, &src);
        tif_ = TIFFClientOpenExt("tiff", "r", &src, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc, MapProc,
                                 UnmapProc, options);
        TIFFOpenOptionsFree(options);
        if (!tif_) Fail("not a readable TIFF image");
    }
    ~TTiffFile() {
        if (tif_) TIFFClose(tif_);
    }
    TTiffFile(const TTiffFile&) = delete;
    TTiffFile& operator=(const TTiffFile&) = delete;

    TIFF* operator->() const { return tif_; }
    operator TIFF*() const { return tif_; }

    // Throws Error with libtiff's message, or with fallback when it gave none.
    [[noreturn]] void Fail(const std::string& fallback) const {
        if (src_.error.find("Not enough data") != std::string::npos ||
            src_.error.find("Read error") != std::string::npos)
            throw Error("the image data is shorter than the image it states (" + src_.error + ")");
        if (src_.error.find("llocat") != std::string::npos || src_.error.find("memory") != std::string::npos)
            throw Error("the image needs more memory than a TIFF image may take (" + src_.error + ")");
        throw Error(src_.error.empty() ? fallback : fallback + " (" + src_.error + ")");
    }

private:
    TTiffSource& src_;
    TIFF* tif_ = nullptr;
};

template <class T> T Field(TIFF* tif, ttag_t tag, T fallback) {
    T v = fallback;
    if (!TIFFGetFieldDefaulted(tif, tag, &v)) return fallback;
    return v;
}

// The most bytes one compressed byte can stand for: PackBits 128 from 2,
// Deflate 1032 (two one-bit codes for a 258-byte match), LZW 4096 from one
// 12-bit code once its table is full. Other compressions (fax, JPEG) get a
// bound no real image comes near.
std::uint64_t MaxExpansion(std::uint16_t compression) {
    switch (compression) {
    case COMPRESSION_NONE: return 1;
    case COMPRESSION_PACKBITS: return 64;
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE: return 1032;
    case COMPRESSION_LZW: return 2731;
    default: return 65536;
    }
}

std::string KindName(std::uint16_t format, std::uint16_t bits, std::uint16_t photometric, std::uint16_t planar) {
    if (format == SAMPLEFORMAT_IEEEFP) return std::to_string(bits) + "-bit floating-point";
    if (format == SAMPLEFORMAT_INT) return std::to_string(bits) + "-bit signed";
    if (format == SAMPLEFORMAT_COMPLEXINT || format == SAMPLEFORMAT_COMPLEXIEEEFP) return "complex";
    std::string kind = std::to_string(bits) + "-bit";
    if (planar == PLANARCONFIG_SEPARATE) kind += " planar separate";
    kind += " photometric " + std::to_string(photometric);
    return kind;
}

// Checks that every strip or tile lies inside the file and that the data
// can hold the decoded bytes at the compression's largest expansion.
void CheckChunks(const TTiffFile& tif, std::uint64_t fileSize, std::uint64_t decodedBytes) {
    const bool tiled = TIFFIsTiled(tif) != 0;
    const std::uint32_t chunks = tiled ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
    std::uint64_t stored = 0;
    for (std::uint32_t i = 0; i < chunks; ++i) {
        const std::uint64_t offset = TIFFGetStrileOffset(tif, i);
        const std::uint64_t count = TIFFGetStrileByteCount(tif, i);
        if (offset > fileSize || count > fileSize - offset)
            throw Error(std::string(tiled ? "tile " : "strip ") + std::to_string(i) +
                        " lies beyond the end of the file");
        stored += count;
    }
    const std::uint64_t ratio = MaxExpansion(Field<std::uint16_t>(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE));
    if (stored * ratio < decodedBytes)
        throw Error("the image data is shorter than the image it states (" + std::to_string(stored) +
                    " bytes for " + std::to_string(decodedBytes) + ")");
}

// A 16-bit level to 8 bits, by table.
const std::uint8_t* ScaleTable() {
    static const std::vector<std::uint8_t> table = [] {
        std::vector<std::uint8_t> t(65536);
        for (unsigned v = 0; v < 65536; ++v) t[v] = Scale16To8(std::uint16_t(v));
        return t;
    }();
    return table.data();
}

struct TLayout {
    std::uint32_t width, height;
    std::uint16_t bits, spp, photometric;
    int colours;           // 1 gray or palette, 3 RGB
    bool alpha;            // the sample after the colours is alpha
    bool minIsWhite;
    const std::uint16_t* map[3];  // palette
    int paletteShift;             // 8 for 16-bit maps, 0 for old 8-bit ones
};

// The rows of one strip the file states, at least 1 and at most the height.
std::uint32_t RowsPerStrip(TIFF* tif, std::uint32_t height) {
    const std::uint32_t rows = Field<std::uint32_t>(tif, TIFFTAG_ROWSPERSTRIP, height);
    return std::min(std::max<std::uint32_t>(rows, 1), height);
}

// Decodes the strips in order, each into the memory target(y0) gives for a
// strip starting at row y0, then calls done(y0, rows). A strip that does not
// decode to its full size fails the read.
template <class Target, class Done>
void ReadStrips(const TTiffFile& tif, std::uint32_t height, std::uint32_t rowsPerStrip, std::size_t rowBytes,
                Target target, Done done) {
    const tstrip_t strips = TIFFNumberOfStrips(tif);
    for (tstrip_t s = 0; s < strips; ++s) {
        const std::uint32_t y0 = s * rowsPerStrip;
        if (y0 >= height) break;
        const std::uint32_t rows = std::min(rowsPerStrip, height - y0);
        const tmsize_t want = tmsize_t(rows * rowBytes);
        if (TIFFReadEncodedStrip(tif, s, target(y0), want) != want)
            tif.Fail("cannot decode strip " + std::to_string(s));
        done(y0, rows);
    }
}

// Converts `rows` decoded rows of `cols` pixels (row stride `stride` bytes)
// to bitmap pixels at (x0, y0), and to 16-bit samples when samples is given.
void ConvertRows(const TLayout& l, const std::uint8_t* src, std::size_t stride, std::uint32_t rows,
                 std::uint32_t cols, std::uint32_t x0, std::uint32_t y0, TBitmap32& out, TSamples16* samples) {
    const std::uint8_t* scale = ScaleTable();
    for (std::uint32_t r = 0; r < rows; ++r) {
        const std::uint8_t* s = src + r * stride;
        TColor32* d = out.ScanLine(int(y0 + r)) + x0;
        if (l.bits == 16) {
            const auto* p = reinterpret_cast<const std::uint16_t*>(s);
            std::uint16_t* q = samples ? samples->Row(int(y0 + r)) + std::size_t(x0) * std::size_t(l.colours) : nullptr;
            for (std::uint32_t x = 0; x < cols; ++x, p += l.spp) {
                std::uint16_t c0 = p[0];
                if (l.minIsWhite) c0 = std::uint16_t(65535 - c0);
                const std::uint16_t c1 = l.colours == 3 ? p[1] : c0, c2 = l.colours == 3 ? p[2] : c0;
                const std::uint8_t a = l.alpha ? scale[p[l.colours]] : 255;
                d[x] = Color32(scale[c0], scale[c1], scale[c2], a);
                if (q) {
                    *q++ = c0;
                    if (l.colours == 3) {
                        *q++ = c1;
                        *q++ = c2;
                    }
                }
            }
        } else if (l.bits == 8 && l.photometric != PHOTOMETRIC_PALETTE) {
            const std::uint8_t* p = s;
            for (std::uint32_t x = 0; x < cols; ++x, p += l.spp) {
                std::uint8_t c0 = l.minIsWhite ? std::uint8_t(255 - p[0]) : p[0];
                const std::uint8_t c1 = l.colours == 3 ? p[1] : c0, c2 = l.colours == 3 ? p[2] : c0;
                d[x] = Color32(c0, c1, c2, l.alpha ? p[l.colours] : 255);
            }
        } else {
            // 1, 2, 4 or 8 bits of one sample per pixel: gray or a palette index.
            const unsigned maxLevel = (1u << l.bits) - 1;
            for (std::uint32_t x = 0; x < cols; ++x) {
                const std::size_t bit = std::size_t(x) * l.bits;
                const unsigned v = (s[bit / 8] >> (8 - l.bits - bit % 8)) & maxLevel;
                if (l.photometric == PHOTOMETRIC_PALETTE) {
                    d[x] = Color32(std::uint8_t(l.map[0][v] >> l.paletteShift),
                                   std::uint8_t(l.map[1][v] >> l.paletteShift),
                                   std::uint8_t(l.map[2][v] >> l.paletteShift), 255);
                } else {
                    unsigned g = v * 255 / maxLevel;
                    if (l.minIsWhite) g = 255 - g;
                    d[x] = Color32(std::uint8_t(g), std::uint8_t(g), std::uint8_t(g), 255);
                }
            }
        }
    }
}

// Old writers store palettes with 8-bit entries; all values below 256 tell.
int PaletteShift(const TLayout& l) {
    const std::size_t n = std::size_t(1) << l.bits;
    for (int c = 0; c < 3; ++c)
        for (std::size_t i = 0; i < n; ++i)
            if (l.map[c][i] >= 256) return 8;
    return 0;
}

// The bitmap of gray or RGB samples without alpha, in bands on several
// threads.
void SamplesToBitmap(const TSamples16& samples, TBitmap32& out) {
    const int h = samples.Height, w = samples.Width;
    const int bands = BandCount(std::size_t(h) * std::size_t(w), std::size_t(1) << 18);
    RunBands(bands, [&](int band, int) {
        const int y0 = int(std::int64_t(h) * band / bands), y1 = int(std::int64_t(h) * (band + 1) / bands);
        for (int y = y0; y < y1; ++y) {
            const std::uint16_t* p = samples.Row(y);
            TColor32* d = out.ScanLine(y);
            if (samples.Channels == 3) {
                for (int x = 0; x < w; ++x, p += 3)
                    d[x] = Color32(Scale16To8(p[0]), Scale16To8(p[1]), Scale16To8(p[2]));
            } else {
                for (int x = 0; x < w; ++x) {
                    const std::uint8_t g = Scale16To8(p[x]);
                    d[x] = Color32(g, g, g);
                }
            }
        }
    });
}

// Reverses the samples' columns (across) or rows.
void MirrorSamples(TSamples16& s, bool across) {
    const std::size_t c = std::size_t(s.Channels), w = std::size_t(s.Width);
    if (across) {
        for (int y = 0; y < s.Height; ++y) {
            std::uint16_t* row = s.Row(y);
            for (std::size_t a = 0, b = w - 1; a < b; ++a, --b)
                std::swap_ranges(row + a * c, row + a * c + c, row + b * c);
        }
    } else {
        for (int a = 0, b = s.Height - 1; a < b; ++a, --b) std::swap_ranges(s.Row(a), s.Row(a) + w * c, s.Row(b));
    }
}

void ReadThroughRGBA(const TTiffFile& tif, std::uint32_t width, std::uint32_t height, TBitmap32& out) {
    out.SetSize(int(width), int(height));
    auto* raster = reinterpret_cast<std::uint32_t*>(out.Bits());
    if (!TIFFReadRGBAImageOriented(tif, width, height, raster, ORIENTATION_TOPLEFT, 1))
        tif.Fail("cannot decode the image data");
    // libtiff gives A B G R from the high byte down; the bitmap wants ARGB.
    const std::size_t n = std::size_t(width) * height;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t v = raster[i];
        raster[i] = Color32(std::uint8_t(TIFFGetR(v)), std::uint8_t(TIFFGetG(v)), std::uint8_t(TIFFGetB(v)),
                            std::uint8_t(TIFFGetA(v)));
    }
}

} // namespace

namespace {

void Decode(TTiffSource& src, TBitmap32& out, TImageFileDetails& details) {
    const std::uint64_t size = src.size;
    TTiffFile tif(src);

    std::uint32_t width = 0, height = 0;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height))
        tif.Fail("the image has no size");
    CheckImageSize(width, height);

    const auto bits = Field<std::uint16_t>(tif, TIFFTAG_BITSPERSAMPLE, 1);
    const auto spp = Field<std::uint16_t>(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    const auto format = Field<std::uint16_t>(tif, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_UINT);
    const auto planar = Field<std::uint16_t>(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    std::uint16_t photometric = 0;
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric))
        photometric = spp >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    if (format != SAMPLEFORMAT_UINT || bits > 16 || (bits > 8 && bits != 16))
        throw Error("unsupported TIFF image: " + KindName(format, bits, photometric, planar) + " samples");

    // Details: page count, resolution.
    const tdir_t pages = TIFFNumberOfDirectories(tif);
    // libtiff stops counting at a directory that leads back to an earlier
    // one; such a file is damaged, whatever its first image holds.
    if (src.error.find("loop") != std::string::npos || src.warnings.find("loop") != std::string::npos)
        throw Error("the chain of images in the file loops back on itself");
    src.error.clear();
    if (!TIFFSetDirectory(tif, 0)) tif.Fail("cannot return to the first image");
    details.Pages = std::max<int>(1, int(pages));
    details.BitsPerSample = bits;
    float xres = 0, yres = 0;
    if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres) && TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres) &&
        xres > 0 && yres > 0) {
        const auto unit = Field<std::uint16_t>(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        details.Resolution.X = xres;
        details.Resolution.Y = yres;
        details.Resolution.Unit = unit == RESUNIT_INCH        ? TResolutionUnit::Inch
                                  : unit == RESUNIT_CENTIMETER ? TResolutionUnit::Centimetre
                                                               : TResolutionUnit::None;
    }

    TLayout l{};
    l.width = width;
    l.height = height;
    l.bits = bits;
    l.spp = spp;
    l.photometric = photometric;
    l.minIsWhite = photometric == PHOTOMETRIC_MINISWHITE;
    const bool gray = photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE;
    const bool rgb = photometric == PHOTOMETRIC_RGB && spp >= 3;
    const bool palette = photometric == PHOTOMETRIC_PALETTE && spp == 1 && bits <= 8;
    const bool transposed = Field<std::uint16_t>(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) > ORIENTATION_BOTLEFT;
    const bool own = planar == PLANARCONFIG_CONTIG && !transposed &&
                     ((gray && spp <= 2 && (bits >= 8 || spp == 1)) || (rgb && bits >= 8) || palette);
    l.colours = rgb ? 3 : 1;
    if (own && spp > l.colours) {
        std::uint16_t extraCount = 0;
        std::uint16_t* extra = nullptr;
        if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extra) && extraCount > 0)
            l.alpha = extra[0] == EXTRASAMPLE_ASSOCALPHA || extra[0] == EXTRASAMPLE_UNASSALPHA;
    }
    if (palette) {
        std::uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
        if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b)) tif.Fail("the palette image has no palette");
        l.map[0] = r;
        l.map[1] = g;
        l.map[2] = b;
        l.paletteShift = PaletteShift(l);
    }

    const std::uint64_t decodedBytes = (std::uint64_t(width) * spp * bits + 7) / 8 * height;
    CheckChunks(tif, size, decodedBytes);

    if (!own) {
        char message[1024] = "";
        if (bits == 16 || !TIFFRGBAImageOK(tif, message))
            throw Error("unsupported TIFF image: " + KindName(format, bits, photometric, planar) +
                        (message[0] ? std::string(" (") + message + ")" : std::string()));
        ReadThroughRGBA(tif, width, height, out);
        details.BitsPerSample = 8;
        return;
    }

    TBitmap32 bmp;
    bmp.SetSize(int(width), int(height));
    TSamples16 samples;
    if (bits == 16) {
        samples.Width = int(width);
        samples.Height = int(height);
        samples.Channels = l.colours;
        samples.Values.resize(std::size_t(width) * height * std::size_t(l.colours));
    }
    TSamples16* keep = bits == 16 ? &samples : nullptr;

    if (TIFFIsTiled(tif)) {
        std::uint32_t tw = 0, th = 0;
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tw);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &th);
        if (tw == 0 || th == 0) tif.Fail("the tiles have no size");
        const tmsize_t tileBytes = TIFFTileSize(tif);
        const std::size_t tileStride = std::size_t(TIFFTileRowSize(tif));
        if (tileBytes <= 0 || tileBytes > MaxTiffAllocation) tif.Fail("the tiles are too large");
        std::vector<std::uint8_t> buf(static_cast<std::size_t>(tileBytes));
        for (std::uint32_t ty = 0; ty < height; ty += th)
            for (std::uint32_t tx = 0; tx < width; tx += tw) {
                const ttile_t t = TIFFComputeTile(tif, tx, ty, 0, 0);
                if (TIFFReadEncodedTile(tif, t, buf.data(), tileBytes) != tileBytes)
                    tif.Fail("cannot decode tile " + std::to_string(t));
                ConvertRows(l, buf.data(), tileStride, std::min(th, height - ty), std::min(tw, width - tx), tx, ty,
                            bmp, keep);
            }
    } else if (bits == 16 && !l.alpha && spp == l.colours && !l.minIsWhite &&
               std::size_t(TIFFScanlineSize64(tif)) == std::size_t(width) * spp * 2) {
        // 16-bit gray or RGB: the strips are decoded straight into the
        // samples, the bitmap made from them afterwards.
        ReadStrips(tif, height, RowsPerStrip(tif, height), std::size_t(width) * spp * 2,
                   [&](std::uint32_t y0) -> void* { return samples.Row(int(y0)); },
                   [](std::uint32_t, std::uint32_t) {});
        SamplesToBitmap(samples, bmp);
    } else {
        const std::uint32_t rowsPerStrip = RowsPerStrip(tif, height);
        const std::size_t rowBytes = std::size_t(TIFFScanlineSize64(tif));
        if (rowBytes == 0) tif.Fail("the rows have no size");
        // Strips are read whole; the buffer holds one (bounded by the pixel
        // limit, as the image is). Its memory is taken as the decoder writes
        // it, so a strip whose data ends early costs only what it held.
        std::vector<std::uint8_t, TZeroedAllocator<std::uint8_t>> buf(rowBytes * rowsPerStrip);
        ReadStrips(tif, height, rowsPerStrip, rowBytes, [&](std::uint32_t) -> void* { return buf.data(); },
                   [&](std::uint32_t y0, std::uint32_t rows) {
                       ConvertRows(l, buf.data(), rowBytes, rows, width, 0, y0, bmp, keep);
                   });
    }
    // Rows stored from the bottom or right to left: turned to the usual
    // order (transposed orientations go through libtiff's RGBA reader).
    const auto orientation = Field<std::uint16_t>(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    if (orientation == ORIENTATION_TOPRIGHT || orientation == ORIENTATION_BOTRIGHT) {
        FlipHorz(bmp);
        if (keep) MirrorSamples(samples, true);
    }
    if (orientation == ORIENTATION_BOTLEFT || orientation == ORIENTATION_BOTRIGHT) {
        FlipVert(bmp);
        if (keep) MirrorSamples(samples, false);
    }
    out.SwapPixels(bmp);
    details.Samples = std::move(samples);
}

} // namespace

void DecodeTiff(const std::uint8_t* data, std::size_t size, TBitmap32& out, TImageFileDetails& details) {
    TTiffSource src{data, size, 0, -1, {}, {}};
    Decode(src, out, details);
}

void DecodeTiffFile(int fd, std::uint64_t size, TBitmap32& out, TImageFileDetails& details) {
    TTiffSource src{nullptr, size, 0, fd, {}, {}};
    Decode(src, out, details);
}

} // namespace ivra::codecs
