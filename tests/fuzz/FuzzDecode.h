#pragma once
// The body shared by the decoder fuzz harnesses: the fuzzer's bytes go
// through DecodeImage with a format hint, as a file of that extension would.
// Every outcome other than a decoded bitmap must be an ivra::Error, and a
// decoded bitmap must be a real one within the pixel limit.

#include "core/Error.h"
#include "core/codecs/ImageFiles.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// The pixel count a file's header claims (0 when it cannot be told): the
// PNG header, the BMP info header, the first TIFF directory, the first JPEG
// frame header.
inline std::uint64_t ClaimedPixels(const std::uint8_t* d, std::size_t size) {
    auto be16 = [&](std::size_t i) { return std::uint32_t(d[i] << 8 | d[i + 1]); };
    auto le16 = [&](std::size_t i) { return std::uint32_t(d[i] | d[i + 1] << 8); };
    auto le32 = [&](std::size_t i) { return le16(i) | le16(i + 2) << 16; };
    if (size >= 24 && d[0] == 0x89 && d[1] == 'P')
        return std::uint64_t(be16(16) << 16 | be16(18)) * (be16(20) << 16 | be16(22));
    if (size >= 26 && d[0] == 'B' && d[1] == 'M') {
        if (le32(14) == 12) return std::uint64_t(le16(18)) * le16(20);
        const std::int64_t h = std::int32_t(le32(22));
        return std::uint64_t(std::int32_t(le32(18)) < 0 ? 0 : le32(18)) * std::uint64_t(h < 0 ? -h : h);
    }
    if (size >= 8 && ((d[0] == 'I' && d[1] == 'I') || (d[0] == 'M' && d[1] == 'M'))) {
        // The first TIFF directory's ImageWidth and ImageLength.
        const bool le = d[0] == 'I';
        auto u16 = [&](std::size_t i) { return le ? le16(i) : be16(i); };
        auto u32 = [&](std::size_t i) { return le ? le32(i) : be16(i) << 16 | be16(i + 2); };
        const std::size_t ifd = u32(4);
        if (ifd > size - 2) return 0;
        std::uint64_t w = 0, h = 0;
        for (std::size_t e = 0, n = u16(ifd); e < n && ifd + 2 + e * 12 + 12 <= size; ++e) {
            const std::size_t at = ifd + 2 + e * 12;
            const std::uint32_t v = u16(at + 2) == 3 ? u16(at + 8) : u32(at + 8);
            if (u16(at) == 256) w = v;
            if (u16(at) == 257) h = v;
        }
        return w * h;
    }
    for (std::size_t i = 2; i + 9 <= size; ++i)
        if (d[i] == 0xFF && d[i + 1] >= 0xC0 && d[i + 1] <= 0xCF && d[i + 1] != 0xC4 && d[i + 1] != 0xC8 &&
            d[i + 1] != 0xCC)
            return std::uint64_t(be16(i + 5)) * be16(i + 7);
    return 0;
}

// Images above this are skipped: a few bytes of RLE or progressive JPEG may
// validly describe a bitmap of the full pixel limit (1 GiB), and filling it
// would make the fuzzer crawl. The unit tests cover the hostile headers that
// claim such sizes.
constexpr std::uint64_t FuzzPixelBudget = std::uint64_t(1) << 20;

inline int FuzzDecode(const std::uint8_t* data, std::size_t size, const char* name, ivra::TImageFormat hint) {
    if (ClaimedPixels(data, size) > FuzzPixelBudget) return 0;
    ivra::TBitmap32 bmp;
    try {
        (void)ivra::DecodeImage(data, size, name, bmp, hint);
    } catch (const ivra::Error&) {
        return 0;
    }
    if (bmp.Empty() || bmp.PixelCount() > ivra::MaxBitmapPixels) std::abort();
    // Both ends of the pixel memory must be there.
    volatile ivra::TColor32 first = bmp.Bits()[0], last = bmp.Bits()[bmp.PixelCount() - 1];
    (void)first;
    (void)last;
    return 0;
}
