// Windows and OS/2 bitmap files: our own reader and the 24-bit writer.
//
// The reader takes 1, 4, 8, 16, 24 and 32 bits per pixel, bottom-up and
// top-down rows, uncompressed, RLE8, RLE4 and bit-field masks, with the
// OS/2 1.x / Windows core header (12 bytes), the OS/2 2.x header (16 or 64
// bytes) and the Windows info, V2, V3, V4 and V5 headers. Every size, offset
// and count of the file is checked with 64-bit arithmetic before anything is
// allocated; data that ends early is an error, never a partial image.

#include "core/codecs/CodecsInternal.h"

#include "core/Error.h"

#include <array>
#include <bit>
#include <cstring>
#include <string>

namespace ivra::codecs {

namespace {

constexpr std::uint32_t BiRgb = 0, BiRle8 = 1, BiRle4 = 2, BiBitfields = 3, BiAlphaBitfields = 6;
constexpr std::uint64_t FileHeaderBytes = 14;

std::uint16_t Le16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
void PutLe16(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}
void PutLe32(std::uint8_t* p, std::uint32_t v) {
    PutLe16(p, v);
    PutLe16(p + 2, v >> 16);
}

[[noreturn]] void Fail(const std::string& reason) { throw Error(reason); }

// One colour channel given by a bit mask: its position, and how a value of
// its width scales to 0..255 (rounded to the nearest).
struct TChannel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;  // largest value of the field, 0 for an empty mask
    std::uint8_t Get(std::uint32_t pixel) const {
        if (max == 0) return 0;
        const std::uint64_t v = (pixel & mask) >> shift;
        return std::uint8_t((v * 255 + max / 2) / max);
    }
};

TChannel MakeChannel(std::uint32_t mask) {
    TChannel c;
    c.mask = mask;
    if (mask == 0) return c;
    c.shift = std::countr_zero(mask);
    const std::uint32_t field = mask >> c.shift;
    if ((field & (field + 1)) != 0) Fail("invalid BMP bit-field masks");  // not one run of bits
    c.max = field;
    return c;
}

struct TBmpInfo {
    std::uint32_t headerSize = 0;
    std::int64_t width = 0, height = 0;
    bool topDown = false;
    std::uint32_t bitCount = 0, compression = 0, colorsUsed = 0;
    std::uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
    bool masksGiven = false;
    std::uint64_t tableStart = 0;  // masks after a 40-byte header, then the palette
    std::uint32_t paletteEntryBytes = 4;
    bool os2 = false;
};

// A field of the info header, or 0 when the (shortened) header ends before it.
std::uint32_t HeaderField32(const std::uint8_t* header, std::uint32_t headerSize, std::uint32_t offset) {
    return offset + 4 <= headerSize ? Le32(header + offset) : 0;
}

TBmpInfo ReadBmpInfo(const std::uint8_t* data, std::size_t size) {
    TBmpInfo info;
    if (size < FileHeaderBytes + 4) Fail(TruncatedReason);
    info.headerSize = Le32(data + FileHeaderBytes);
    const std::uint32_t hs = info.headerSize;
    const bool known = hs == 12 || hs == 16 || hs == 40 || hs == 52 || hs == 56 || hs == 64 || hs == 108 ||
                       hs == 124;
    if (!known) Fail("unsupported BMP header size " + std::to_string(hs));
    if (FileHeaderBytes + hs > size) Fail(TruncatedReason);
    const std::uint8_t* h = data + FileHeaderBytes;
    if (hs == 12) {
        // Core header: unsigned 16-bit sizes, rows always bottom-up, palette
        // entries of three bytes.
        info.width = Le16(h + 4);
        info.height = Le16(h + 6);
        info.bitCount = Le16(h + 10);
        info.paletteEntryBytes = 3;
    } else {
        info.os2 = hs == 16 || hs == 64;
        info.width = std::int32_t(Le32(h + 4));
        info.height = std::int32_t(Le32(h + 8));
        info.bitCount = Le16(h + 14);
        info.compression = HeaderField32(h, hs, 16);
        info.colorsUsed = HeaderField32(h, hs, 32);
        if (!info.os2 && hs >= 52) {
            info.masks[0] = Le32(h + 40);
            info.masks[1] = Le32(h + 44);
            info.masks[2] = Le32(h + 48);
            info.masks[3] = HeaderField32(h, hs, 52);
            info.masksGiven = true;
        }
    }
    info.tableStart = FileHeaderBytes + hs;
    if (info.height < 0) {
        info.topDown = true;
        info.height = -info.height;
    }
    if (info.width <= 0 || info.height <= 0)
        Fail("invalid BMP image size " + std::to_string(info.width) + " x " + std::to_string(info.height));

    switch (info.bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: Fail("unsupported BMP bit depth " + std::to_string(info.bitCount));
    }
    const std::uint32_t c = info.compression;
    const bool bitfields = (c == BiBitfields || c == BiAlphaBitfields) && !info.os2;
    if (c == BiRle8 && info.bitCount != 8) Fail("invalid BMP: RLE8 data needs 8 bits per pixel");
    if (c == BiRle4 && info.bitCount != 4) Fail("invalid BMP: RLE4 data needs 4 bits per pixel");
    if (bitfields && info.bitCount != 16 && info.bitCount != 32)
        Fail("invalid BMP: bit-field masks need 16 or 32 bits per pixel");
    if (c != BiRgb && c != BiRle8 && c != BiRle4 && !bitfields)
        Fail("unsupported BMP compression " + std::to_string(c));
    if ((c == BiRle8 || c == BiRle4) && info.topDown) Fail("invalid BMP: compressed rows cannot be top-down");

    if (bitfields) {
        if (!info.masksGiven) {
            // A 40-byte header is followed by three masks, or four.
            const std::uint32_t count = c == BiAlphaBitfields ? 4 : 3;
            if (info.tableStart + 4 * count > size) Fail(TruncatedReason);
            for (std::uint32_t i = 0; i < count; ++i) info.masks[i] = Le32(data + info.tableStart + 4 * i);
            info.tableStart += 4 * count;
        }
    } else if (info.bitCount == 16) {
        info.masks[0] = 0x7C00;
        info.masks[1] = 0x03E0;
        info.masks[2] = 0x001F;
        info.masks[3] = 0;
    } else if (info.bitCount == 32) {
        // The fourth byte of an uncompressed 32-bit pixel is reserved.
        info.masks[0] = 0x00FF0000;
        info.masks[1] = 0x0000FF00;
        info.masks[2] = 0x000000FF;
        info.masks[3] = 0;
    }
    if (info.bitCount == 16 || info.bitCount == 32) {
        const std::uint32_t all = info.masks[0] | info.masks[1] | info.masks[2] | info.masks[3];
        const std::uint32_t sum = std::popcount(info.masks[0]) + std::popcount(info.masks[1]) +
                                  std::popcount(info.masks[2]) + std::popcount(info.masks[3]);
        if (std::uint32_t(std::popcount(all)) != sum) Fail("invalid BMP bit-field masks");  // overlap
        if (info.bitCount == 16 && (all >> 16) != 0) Fail("invalid BMP bit-field masks");
        for (std::uint32_t m : info.masks) MakeChannel(m);  // each one run of bits
    }
    return info;
}

// Expands the palette into a table of all 2^bits indices: entries the file
// does not hold are opaque black.
std::array<TColor32, 256> ReadPalette(const std::uint8_t* data, std::size_t size, const TBmpInfo& info,
                                      std::uint64_t dataOffset) {
    std::array<TColor32, 256> lut;
    lut.fill(clBlack32);
    const std::uint64_t limit = std::uint64_t(1) << info.bitCount;
    std::uint64_t entries = info.colorsUsed != 0 ? info.colorsUsed : limit;
    if (entries > limit) Fail("invalid BMP palette size " + std::to_string(info.colorsUsed));
    // Some writers store a shorter table than they announce; the pixel data
    // starts where the table must end.
    const std::uint64_t room = (dataOffset - info.tableStart) / info.paletteEntryBytes;
    entries = std::min(entries, room);
    if (info.tableStart + entries * info.paletteEntryBytes > size) Fail(TruncatedReason);
    const std::uint8_t* p = data + info.tableStart;
    for (std::uint64_t i = 0; i < entries; ++i, p += info.paletteEntryBytes) lut[i] = Color32(p[2], p[1], p[0]);
    return lut;
}

// Walks an RLE8 or RLE4 stream from pos. With out == nullptr it only
// follows the codes, in time proportional to the file, and throws when the
// stream ends before its end-of-bitmap code (or before its last row is
// ended); with a bitmap it also draws the pixels.
void WalkRle(const std::uint8_t* data, std::size_t size, std::uint64_t pos, const TBmpInfo& info,
             const std::array<TColor32, 256>& lut, TBitmap32* out) {
    const bool rle4 = info.compression == BiRle4;
    const std::uint64_t width = std::uint64_t(info.width), height = std::uint64_t(info.height);
    // Pixels the data skips (delta moves, rows ended early) keep index 0.
    if (out) out->Clear(lut[0]);
    std::uint64_t x = 0, row = 0;  // row counts from the bottom of the image
    auto put = [&](std::uint32_t index) {
        if (x < width && row < height) out->ScanLine(int(height - 1 - row))[x] = lut[index];
        ++x;
    };
    while (row < height) {
        if (pos + 2 > size) Fail(TruncatedReason);
        const std::uint32_t a = data[pos], b = data[pos + 1];
        pos += 2;
        if (a > 0) {
            // A run of a pixels; RLE4 alternates the two nibbles of b.
            if (!out || x >= width) {
                x += a;
                continue;
            }
            for (std::uint32_t i = 0; i < a; ++i) put(rle4 ? ((i & 1) ? (b & 15) : (b >> 4)) : b);
            continue;
        }
        if (b == 0) {  // end of line
            x = 0;
            ++row;
        } else if (b == 1) {  // end of bitmap
            return;
        } else if (b == 2) {  // move right and up
            if (pos + 2 > size) Fail(TruncatedReason);
            x += data[pos];
            row += data[pos + 1];
            pos += 2;
        } else {  // b literal pixels, padded to a 16-bit boundary
            const std::uint64_t bytes = rle4 ? (b + 1) / 2 : b;
            const std::uint64_t padded = bytes + (bytes & 1);
            if (pos + padded > size) Fail(TruncatedReason);
            const std::uint8_t* p = data + pos;
            if (out)
                for (std::uint32_t i = 0; i < b; ++i) put(rle4 ? ((i & 1) ? (p[i / 2] & 15) : (p[i / 2] >> 4)) : p[i]);
            else
                x += b;
            pos += padded;
        }
    }
}

void DecodeRows(const std::uint8_t* data, std::uint64_t dataOffset, std::uint64_t stride, const TBmpInfo& info,
                const std::array<TColor32, 256>& lut, TBitmap32& out) {
    const int width = int(info.width), height = int(info.height);
    const TChannel red = MakeChannel(info.masks[0]), green = MakeChannel(info.masks[1]),
                   blue = MakeChannel(info.masks[2]), alpha = MakeChannel(info.masks[3]);
    const bool plain32 = info.bitCount == 32 && info.masks[0] == 0x00FF0000 && info.masks[1] == 0x0000FF00 &&
                         info.masks[2] == 0x000000FF && info.masks[3] == 0;
    for (int r = 0; r < height; ++r) {
        const std::uint8_t* src = data + dataOffset + std::uint64_t(r) * stride;
        TColor32* dst = out.ScanLine(info.topDown ? r : height - 1 - r);
        switch (info.bitCount) {
        case 1:
            for (int x = 0; x < width; ++x) dst[x] = lut[(src[x >> 3] >> (7 - (x & 7))) & 1];
            break;
        case 4:
            for (int x = 0; x < width; ++x) dst[x] = lut[(x & 1) ? (src[x >> 1] & 15) : (src[x >> 1] >> 4)];
            break;
        case 8:
            for (int x = 0; x < width; ++x) dst[x] = lut[src[x]];
            break;
        case 24:
            for (int x = 0; x < width; ++x, src += 3) dst[x] = Color32(src[2], src[1], src[0]);
            break;
        default:
            if (plain32) {
                for (int x = 0; x < width; ++x, src += 4) dst[x] = Color32(src[2], src[1], src[0]);
                break;
            }
            for (int x = 0; x < width; ++x) {
                std::uint32_t v;
                if (info.bitCount == 16) {
                    v = Le16(src);
                    src += 2;
                } else {
                    v = Le32(src);
                    src += 4;
                }
                const std::uint8_t a = alpha.max ? alpha.Get(v) : 255;
                dst[x] = Color32(red.Get(v), green.Get(v), blue.Get(v), a);
            }
            break;
        }
    }
}

} // namespace

void CheckImageSize(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0)
        throw Error("invalid image size " + std::to_string(width) + " x " + std::to_string(height));
    if (width > 0x7FFFFFFF || height > 0x7FFFFFFF ||
        std::uint64_t(width) * std::uint64_t(height) > MaxBitmapPixels)
        throw Error("the image is too large (" + std::to_string(width) + " x " + std::to_string(height) +
                    " pixels; the limit is " + std::to_string(MaxBitmapPixels) + " pixels)");
}

void DecodeBmp(const std::uint8_t* data, std::size_t size, TBitmap32& out) {
    if (size < 2 || data[0] != 'B' || data[1] != 'M') throw Error("not a BMP file (no \"BM\" signature)");
    const TBmpInfo info = ReadBmpInfo(data, size);
    CheckImageSize(info.width, info.height);
    const std::uint64_t dataOffset = Le32(data + 10);
    if (dataOffset < info.tableStart) throw Error("invalid BMP pixel data offset " + std::to_string(dataOffset));
    if (dataOffset >= size) throw Error(TruncatedReason);
    std::array<TColor32, 256> lut{};
    if (info.bitCount <= 8) lut = ReadPalette(data, size, info, dataOffset);
    if (info.compression == BiRle8 || info.compression == BiRle4) {
        // A few bytes of RLE may claim a huge image: the stream must be
        // complete before the bitmap is allocated and cleared.
        WalkRle(data, size, dataOffset, info, lut, nullptr);
        out.SetSize(int(info.width), int(info.height));
        WalkRle(data, size, dataOffset, info, lut, &out);
        return;
    }
    const std::uint64_t stride = (std::uint64_t(info.width) * info.bitCount + 31) / 32 * 4;
    if (stride * std::uint64_t(info.height) > size - dataOffset) throw Error(TruncatedReason);
    out.SetSize(int(info.width), int(info.height));
    DecodeRows(data, dataOffset, stride, info, lut, out);
}

TBmpLayout BmpLayout24(int width, int height) {
    if (width <= 0 || height <= 0) throw Error("the image is empty");
    TBmpLayout l;
    l.rowBytes = (std::uint64_t(width) * 3 + 3) / 4 * 4;
    l.imageBytes = l.rowBytes * std::uint64_t(height);
    l.fileBytes = FileHeaderBytes + 40 + l.imageBytes;
    if (l.fileBytes > 0xFFFFFFFFu) throw Error("the image is too large for a BMP file");
    return l;
}

std::vector<std::uint8_t> BmpHeader24(int width, int height) {
    const TBmpLayout l = BmpLayout24(width, height);
    std::vector<std::uint8_t> h(FileHeaderBytes + 40, 0);
    h[0] = 'B';
    h[1] = 'M';
    PutLe32(&h[2], std::uint32_t(l.fileBytes));
    PutLe32(&h[10], std::uint32_t(FileHeaderBytes + 40));
    PutLe32(&h[14], 40);
    PutLe32(&h[18], std::uint32_t(width));
    PutLe32(&h[22], std::uint32_t(height));  // positive: bottom-up rows
    PutLe16(&h[26], 1);                      // planes
    PutLe16(&h[28], 24);                     // bits per pixel
    PutLe32(&h[30], BiRgb);
    PutLe32(&h[34], std::uint32_t(l.imageBytes));
    // Resolution and colour counts stay 0.
    return h;
}

} // namespace ivra::codecs
