#include "core/processing/ColorOps.h"

#include "core/Error.h"
#include "core/processing/Convolution.h"
#include "core/processing/PixelLoops.h"

#include <bit>
#include <memory>
#include <vector>

namespace ivra {

namespace {

inline TColor32 GrayOf(TColor32 c) {
    const std::uint32_t v = (61u * ((c >> 16) & 0xFF) + 174u * ((c >> 8) & 0xFF) + 21u * (c & 0xFF)) >> 8;
    return 0xFF000000u | (v * 0x010101u);
}

inline TColor32 AlphaFromIntensity(TColor32 d, TColor32 c) {
    const std::uint32_t v = (61u * ((c >> 16) & 0xFF) + 174u * ((c >> 8) & 0xFF) + 21u * (c & 0xFF)) >> 8;
    return (d & 0x00FFFFFFu) | (v << 24);
}

// Separate loops for the in-place case, so that the compiler vectorises
// them without having to prove that source and destination do not overlap.
IVRA_AVX2_CLONES void GrayRun(const TColor32* __restrict src, TColor32* __restrict dst, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) dst[i] = GrayOf(src[i]);
}
IVRA_AVX2_CLONES void GrayRunInPlace(TColor32* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) p[i] = GrayOf(p[i]);
}
IVRA_AVX2_CLONES void InvertRun(const TColor32* __restrict src, TColor32* __restrict dst, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) dst[i] = src[i] ^ 0x00FFFFFFu;
}
IVRA_AVX2_CLONES void InvertRunInPlace(TColor32* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) p[i] ^= 0x00FFFFFFu;
}
IVRA_AVX2_CLONES void AlphaRun(const TColor32* __restrict src, TColor32* __restrict dst, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) dst[i] = AlphaFromIntensity(dst[i], src[i]);
}
IVRA_AVX2_CLONES void AlphaRunInPlace(TColor32* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) p[i] = AlphaFromIntensity(p[i], p[i]);
}

// Runs the loop over the pixels of src and dst (of the same size) in bands;
// the pixels of a bitmap are one contiguous array.
void PixelBands(const TBitmap32& src, TBitmap32& dst, void (*run)(const TColor32*, TColor32*, std::size_t),
                void (*runInPlace)(TColor32*, std::size_t)) {
    if (src.Empty()) return;
    const TColor32* s = src.Bits();
    TColor32* d = dst.Bits();
    ParallelBands(src.PixelCount(), std::size_t(1) << 18, [&](int, std::size_t b, std::size_t e) {
        if (s == d)
            runInPlace(d + b, e - b);
        else
            run(s + b, d + b, e - b);
    });
}

} // namespace

void GrayscaleBitmap(TBitmap32* destination, const TBitmap32* source) {
    MatchSize(destination, source);
    PixelBands(*source, *destination, GrayRun, GrayRunInPlace);
    destination->Changed();
}

void InvertBitmap(TBitmap32* destination, const TBitmap32* source) {
    MatchSize(destination, source);
    PixelBands(*source, *destination, InvertRun, InvertRunInPlace);
    destination->Changed();
}

void IntensityToAlpha(TBitmap32* destination, const TBitmap32* source) {
    if (!source) throw Error("The source is nil");
    if (!destination) throw Error("Destination is nil");
    if (destination->Width() != source->Width() || destination->Height() != source->Height())
        throw Error("The source and the destination differ in size");
    PixelBands(*source, *destination, AlphaRun, AlphaRunInPlace);
    destination->Changed();
}

std::uint32_t CountColors(const TBitmap32& bitmap) {
    if (bitmap.Empty()) return 0;
    constexpr std::size_t Words = (std::size_t(1) << 24) / 64;
    std::unique_ptr<std::uint64_t[]> bits(new std::uint64_t[Words]());
    std::uint64_t* set = bits.get();
    const TColor32* p = bitmap.Bits();
    const std::size_t n = bitmap.PixelCount();
    TColor32 last = ~p[0] & 0x00FFFFFFu; // differs from the first pixel
    for (std::size_t i = 0; i < n; ++i) {
        const TColor32 c = p[i] & 0x00FFFFFFu;
        if (c == last) continue; // runs of one colour touch the set once
        last = c;
        set[c >> 6] |= std::uint64_t(1) << (c & 63);
    }
    std::uint32_t count = 0;
    for (std::size_t w = 0; w < Words; ++w) count += std::uint32_t(std::popcount(set[w]));
    return count;
}

std::string CountColorsMessage(std::uint32_t count) {
    return "The number of unique colors in this image is " + std::to_string(count);
}

} // namespace ivra
