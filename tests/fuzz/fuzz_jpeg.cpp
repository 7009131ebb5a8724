// libFuzzer harness of the JPEG decoder.

#include "FuzzDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return FuzzDecode(data, size, "fuzz.jpg", ivra::TImageFormat::Jpeg);
}
