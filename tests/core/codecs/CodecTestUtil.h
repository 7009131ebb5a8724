#pragma once
// Helpers of the codec tests: temporary folders, byte builders for BMP and
// PNG files (written independently of the codecs under test), and bitmap
// comparisons.

#include "core/raster/Bitmap32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include <zlib.h>

namespace ivra::test {

using Bytes = std::vector<std::uint8_t>;

struct TempDir {
    std::filesystem::path path;
    TempDir() {
        char tmpl[] = "/tmp/ivra-codecs-XXXXXX";
        path = ::mkdtemp(tmpl);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    int FileCount() const {
        int n = 0;
        for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(path)) ++n;
        return n;
    }
};

inline Bytes Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void Spit(const std::string& path, const Bytes& data) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
}

inline std::string DataDir() { return std::string(IVRA_TEST_DATA_DIR) + "/codecs"; }

inline void PutLe16(Bytes& b, std::uint32_t v) {
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}
inline void PutLe32(Bytes& b, std::uint32_t v) {
    PutLe16(b, v);
    PutLe16(b, v >> 16);
}
inline void PutBe32(Bytes& b, std::uint32_t v) {
    b.push_back(std::uint8_t(v >> 24));
    b.push_back(std::uint8_t(v >> 16));
    b.push_back(std::uint8_t(v >> 8));
    b.push_back(std::uint8_t(v));
}
inline std::uint32_t GetLe32(const Bytes& b, std::size_t at) {
    return std::uint32_t(b[at]) | (std::uint32_t(b[at + 1]) << 8) | (std::uint32_t(b[at + 2]) << 16) |
           (std::uint32_t(b[at + 3]) << 24);
}
inline std::uint32_t GetBe32(const Bytes& b, std::size_t at) {
    return (std::uint32_t(b[at]) << 24) | (std::uint32_t(b[at + 1]) << 16) | (std::uint32_t(b[at + 2]) << 8) |
           std::uint32_t(b[at + 3]);
}

// A BMP file: the 14-byte file header, the given info header bytes (whose
// first four bytes are its size), then extra bytes (masks, palette) and the
// pixel data. The data offset points after the extra bytes unless given.
inline Bytes MakeBmp(const Bytes& infoHeader, const Bytes& extra, const Bytes& pixels,
                     std::int64_t dataOffset = -1) {
    Bytes b = {'B', 'M'};
    const std::size_t offset = 14 + infoHeader.size() + extra.size();
    PutLe32(b, std::uint32_t(offset + pixels.size()));
    PutLe32(b, 0);
    PutLe32(b, std::uint32_t(dataOffset >= 0 ? std::uint64_t(dataOffset) : offset));
    b.insert(b.end(), infoHeader.begin(), infoHeader.end());
    b.insert(b.end(), extra.begin(), extra.end());
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

// A Windows info header of 40, 52, 56, 108 or 124 bytes. Masks are written
// when the header has room for them.
inline Bytes InfoHeader(std::uint32_t size, std::int32_t width, std::int32_t height, int bits,
                        std::uint32_t compression = 0, std::uint32_t colorsUsed = 0,
                        std::array<std::uint32_t, 4> masks = {0, 0, 0, 0}) {
    Bytes h;
    PutLe32(h, size);
    PutLe32(h, std::uint32_t(width));
    PutLe32(h, std::uint32_t(height));
    PutLe16(h, 1);
    PutLe16(h, std::uint32_t(bits));
    PutLe32(h, compression);
    PutLe32(h, 0);  // image size
    PutLe32(h, 2835);
    PutLe32(h, 2835);
    PutLe32(h, colorsUsed);
    PutLe32(h, 0);
    for (std::size_t i = 0; i < 4 && h.size() + 4 <= size; ++i) PutLe32(h, masks[i]);
    while (h.size() < size) h.push_back(0);
    return h;
}

// The core (OS/2 1.x) header: 16-bit sizes.
inline Bytes CoreHeader(int width, int height, int bits) {
    Bytes h;
    PutLe32(h, 12);
    PutLe16(h, std::uint32_t(width));
    PutLe16(h, std::uint32_t(height));
    PutLe16(h, 1);
    PutLe16(h, std::uint32_t(bits));
    return h;
}

// A PNG chunk with its CRC.
inline void PutChunk(Bytes& png, const char* type, const Bytes& data) {
    PutBe32(png, std::uint32_t(data.size()));
    Bytes body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    png.insert(png.end(), body.begin(), body.end());
    PutBe32(png, std::uint32_t(crc32(0, body.data(), uInt(body.size()))));
}

inline Bytes Deflate(const Bytes& raw) {
    uLongf size = compressBound(uLong(raw.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, raw.data(), uLong(raw.size()), 9) != Z_OK) ADD_FAILURE() << "compress2";
    out.resize(size);
    return out;
}

inline Bytes Inflate(const Bytes& data) {
    z_stream z{};
    inflateInit(&z);
    Bytes out;
    std::uint8_t buf[65536];
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = uInt(data.size());
    int rc;
    do {
        z.next_out = buf;
        z.avail_out = sizeof buf;
        rc = inflate(&z, Z_NO_FLUSH);
        out.insert(out.end(), buf, buf + (sizeof buf - z.avail_out));
    } while (rc == Z_OK);
    inflateEnd(&z);
    EXPECT_EQ(rc, Z_STREAM_END);
    return out;
}

inline const Bytes& PngSignature() {
    static const Bytes sig = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return sig;
}

inline Bytes IhdrData(std::uint32_t w, std::uint32_t h, int depth, int colorType, int interlace) {
    Bytes d;
    PutBe32(d, w);
    PutBe32(d, h);
    d.push_back(std::uint8_t(depth));
    d.push_back(std::uint8_t(colorType));
    d.push_back(0);
    d.push_back(0);
    d.push_back(std::uint8_t(interlace));
    return d;
}

// A PNG from samples: sample(x, y, c) gives channel c of pixel (x, y) at the
// file's bit depth. Rows are written unfiltered; interlaced files hold the
// seven Adam7 passes.
template <class Sample>
Bytes MakePng(int w, int h, int depth, int colorType, bool interlace, Sample sample, const Bytes& plte = {},
              const Bytes& trns = {}) {
    const int channels = colorType == 0 ? 1 : colorType == 2 ? 3 : colorType == 3 ? 1 : colorType == 4 ? 2 : 4;
    Bytes raw;
    auto putRows = [&](int x0, int y0, int dx, int dy) {
        for (int y = y0; y < h; y += dy) {
            if (x0 >= w) break;
            raw.push_back(0);
            std::uint32_t acc = 0;
            int bits = 0;
            for (int x = x0; x < w; x += dx)
                for (int c = 0; c < channels; ++c) {
                    const std::uint32_t v = std::uint32_t(sample(x, y, c));
                    if (depth == 16) {
                        raw.push_back(std::uint8_t(v >> 8));
                        raw.push_back(std::uint8_t(v));
                    } else {
                        acc = (acc << depth) | (v & ((1u << depth) - 1));
                        bits += depth;
                        if (bits == 8) {
                            raw.push_back(std::uint8_t(acc));
                            acc = 0;
                            bits = 0;
                        }
                    }
                }
            if (bits > 0) raw.push_back(std::uint8_t(acc << (8 - bits)));
        }
    };
    if (interlace) {
        const int px[7] = {0, 4, 0, 2, 0, 1, 0}, py[7] = {0, 0, 4, 0, 2, 0, 1};
        const int dx[7] = {8, 8, 4, 4, 2, 2, 1}, dy[7] = {8, 8, 8, 4, 4, 2, 2};
        for (int p = 0; p < 7; ++p) putRows(px[p], py[p], dx[p], dy[p]);
    } else {
        putRows(0, 0, 1, 1);
    }
    Bytes png = PngSignature();
    PutChunk(png, "IHDR", IhdrData(std::uint32_t(w), std::uint32_t(h), depth, colorType, interlace ? 1 : 0));
    if (!plte.empty()) PutChunk(png, "PLTE", plte);
    if (!trns.empty()) PutChunk(png, "tRNS", trns);
    PutChunk(png, "IDAT", Deflate(raw));
    PutChunk(png, "IEND", {});
    return png;
}

// The IHDR fields and the inflated image data of a PNG file.
struct TPngParts {
    std::uint32_t width = 0, height = 0;
    int depth = 0, colorType = 0, interlace = 0;
    Bytes raw;
    int idatChunks = 0;
};
inline TPngParts SplitPng(const Bytes& png) {
    TPngParts p;
    Bytes idat;
    std::size_t pos = 8;
    while (pos + 12 <= png.size()) {
        const std::uint32_t len = GetBe32(png, pos);
        const std::string type(png.begin() + long(pos) + 4, png.begin() + long(pos) + 8);
        const std::size_t data = pos + 8;
        if (type == "IHDR") {
            p.width = GetBe32(png, data);
            p.height = GetBe32(png, data + 4);
            p.depth = png[data + 8];
            p.colorType = png[data + 9];
            p.interlace = png[data + 12];
        } else if (type == "IDAT") {
            idat.insert(idat.end(), png.begin() + long(data), png.begin() + long(data + len));
            ++p.idatChunks;
        }
        pos = data + len + 4;
    }
    p.raw = Inflate(idat);
    return p;
}

inline ::testing::AssertionResult SameBitmaps(const TBitmap32& a, const TBitmap32& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return ::testing::AssertionFailure() << "size " << a.Width() << "x" << a.Height() << " vs " << b.Width()
                                             << "x" << b.Height();
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y))
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << "): " << std::hex
                                                     << a.Pixel(x, y) << " vs " << b.Pixel(x, y);
    return ::testing::AssertionSuccess();
}

// A test image with every channel varying: gradients, a checker and a
// pseudo-random part, alpha optional.
inline void MakeTestImage(TBitmap32& bmp, int w, int h, bool withAlpha, std::uint32_t seed = 1) {
    bmp.SetSize(w, h);
    std::uint32_t s = seed;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            s = s * 1664525u + 1013904223u;
            const std::uint8_t r = std::uint8_t(x * 255 / std::max(1, w - 1));
            const std::uint8_t g = std::uint8_t(((x / 3 + y / 3) & 1) ? 200 : 30);
            const std::uint8_t b = std::uint8_t(s >> 24);
            const std::uint8_t a = withAlpha ? std::uint8_t((s >> 16) & 0xFF) : 255;
            bmp.SetPixel(x, y, Color32(r, g, b, a));
        }
}

} // namespace ivra::test
