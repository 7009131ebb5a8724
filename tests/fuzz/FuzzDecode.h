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

inline int FuzzDecode(const std::uint8_t* data, std::size_t size, const char* name, ivra::TImageFormat hint) {
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
