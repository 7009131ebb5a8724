// libFuzzer harness of the TIFF decoder.

#include "FuzzDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return FuzzDecode(data, size, "fuzz.tif", ivra::TImageFormat::Tiff);
}
