#pragma once
// Shared pieces of the image codecs. The decoders throw Error with the reason
// only ("truncated image data"); DecodeImage puts the file name in front.

#include "core/codecs/ImageFiles.h"
#include "core/raster/Bitmap32.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ivra::codecs {

constexpr const char* TruncatedReason = "truncated image data";

// Throws Error when width x height is not a usable bitmap size: a zero or
// negative dimension, a dimension beyond what an int holds, or more than
// MaxBitmapPixels pixels.
void CheckImageSize(std::int64_t width, std::int64_t height);

// Each decoder fills out (sized by itself) or throws Error with the reason.
// PNG and TIFF also fill details (samples, page count, resolution).
void DecodeJpeg(const std::uint8_t* data, std::size_t size, TBitmap32& out);
void DecodePng(const std::uint8_t* data, std::size_t size, TBitmap32& out, TImageFileDetails& details);
void DecodeBmp(const std::uint8_t* data, std::size_t size, TBitmap32& out);
void DecodeTiff(const std::uint8_t* data, std::size_t size, TBitmap32& out, TImageFileDetails& details);
// The same from an open file of the given size, read piece by piece (the
// strips of an uncompressed file straight into the result).
void DecodeTiffFile(int fd, std::uint64_t size, TBitmap32& out, TImageFileDetails& details);

// JPEG with the given quality, libjpeg's defaults otherwise; alpha dropped.
// Throws Error with the reason.
std::vector<std::uint8_t> EncodeJpeg(const TBitmap32& bmp, int quality);

// The bytes of a 24-bit bottom-up BMP file, written in pieces through sink.
// Throws Error with the reason (an empty bitmap) before sink is called.
template <class Sink> void EncodeBmp(const TBitmap32& bmp, Sink&& sink);

// Sizes of the 24-bit BMP that EncodeBmp writes.
struct TBmpLayout {
    std::uint64_t rowBytes;  // padded to a multiple of 4
    std::uint64_t imageBytes;
    std::uint64_t fileBytes;
};
TBmpLayout BmpLayout24(int width, int height);
// The 54 header bytes of that file.
std::vector<std::uint8_t> BmpHeader24(int width, int height);

template <class Sink> void EncodeBmp(const TBitmap32& bmp, Sink&& sink) {
    const int w = bmp.Width(), h = bmp.Height();
    const TBmpLayout layout = BmpLayout24(w, h);
    const std::vector<std::uint8_t> header = BmpHeader24(w, h);
    sink(header.data(), header.size());
    // Rows go bottom-up; several rows are gathered into one buffer of about
    // a megabyte so that the sink is called rarely.
    const std::size_t rowBytes = std::size_t(layout.rowBytes);
    const std::size_t rowsPerChunk = std::max<std::size_t>(1, (std::size_t(1) << 20) / rowBytes);
    std::vector<std::uint8_t> buf(rowBytes * std::min<std::size_t>(rowsPerChunk, std::size_t(h)));
    std::size_t used = 0;
    for (int y = h - 1; y >= 0; --y) {
        const TColor32* src = bmp.ScanLine(y);
        std::uint8_t* p = buf.data() + used;
        for (int x = 0; x < w; ++x) {
            const TColor32 c = src[x];
            p[0] = BlueComponent(c);
            p[1] = GreenComponent(c);
            p[2] = RedComponent(c);
            p += 3;
        }
        for (std::size_t pad = std::size_t(w) * 3; pad < rowBytes; ++pad) *p++ = 0;
        used += rowBytes;
        if (used == buf.size() || y == 0) {
            sink(buf.data(), used);
            used = 0;
        }
    }
}

} // namespace ivra::codecs
