// libFuzzer harness of the BMP decoder: the fuzzer's bytes go through
// DecodeImage with the BMP hint, as a file named *.bmp would. Every outcome
// other than a decoded bitmap must be an ivra::Error, and a decoded bitmap
// must be a real one within the pixel limit.

#include "core/Error.h"
#include "core/codecs/ImageFiles.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ivra::TBitmap32 bmp;
    try {
        (void)ivra::DecodeImage(data, size, "fuzz.bmp", bmp, ivra::TImageFormat::Bmp);
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
