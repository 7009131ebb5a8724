#include "core/processing/Levels.h"

#include "core/Error.h"
#include "core/processing/PixelLoops.h"
#include "core/text/NumberText.h"

#include <cmath>
#include <string>
#include <vector>

namespace ivra {

namespace {

// Green and blue are mapped together through a table of their 65536
// pairs, red through one of 256 levels: two lookups per pixel.
void MapRun(const TColor32* src, TColor32* dst, std::size_t n, const std::uint16_t* greenBlue,
            const std::uint32_t* red) {
    for (std::size_t i = 0; i < n; ++i) {
        const TColor32 c = src[i];
        dst[i] = red[(c >> 16) & 0xFF] | greenBlue[c & 0xFFFF];
    }
}

// The levels of source mapped into destination (which takes the source's
// size; the two may be the same bitmap).
void ApplyLevels(std::int64_t offset, const TBitmap32& source, TBitmap32& destination, float factor) {
    if (!std::isfinite(factor)) throw Error("The level factor " + CLocaleText(factor, std::chars_format::fixed, 6) + " is not a finite number");
    std::uint8_t level[256];
    for (int c = 0; c < 256; ++c) level[c] = MapLevel(c, offset, factor);
    if (&destination != &source) destination.SetSize(source.Width(), source.Height());
    if (!source.Empty()) {
        std::uint32_t red[256];
        for (int c = 0; c < 256; ++c) red[c] = 0xFF000000u | (std::uint32_t(level[c]) << 16);
        std::vector<std::uint16_t> greenBlue(65536);
        for (std::size_t gb = 0; gb < 65536; ++gb)
            greenBlue[gb] = std::uint16_t((level[gb >> 8] << 8) | level[gb & 0xFF]);
        const TColor32* src = source.Bits();
        TColor32* dst = destination.Bits();
        ParallelBands(source.PixelCount(), std::size_t(1) << 18, [&](int, std::size_t b, std::size_t e) {
            MapRun(src + b, dst + b, e - b, greenBlue.data(), red);
        });
    }
    destination.Changed();
}

} // namespace

std::uint8_t MapLevel(int level, std::int64_t offset, float factor) {
    // long double is the extended format on x86; the product of a single and
    // an integer difference below 2^40 is exact in it.
    const long double v = static_cast<long double>(factor) * static_cast<long double>(level - offset);
    if (!(v > 0.0L)) return 0;
    if (v >= 255.0L) return 255;
    return std::uint8_t(std::nearbyintl(v)); // the default rounding: halves to even
}

void AdjustLevels(std::int32_t offset, TBitmap32& bitmap, float factor) { ApplyLevels(offset, bitmap, bitmap, factor); }

void AdjustBrightness(TBitmap32& bitmap, std::int32_t change) { AdjustBrightness(bitmap, bitmap, change); }

void AdjustBrightness(const TBitmap32& source, TBitmap32& destination, std::int32_t change) {
    ApplyLevels(-std::int64_t(change), source, destination, 1.0f);
}

float StretchGain(int low, int high) { return float(255.0 / double(high - low)); }

void StretchLevels(TBitmap32& bitmap, int low, int high) { StretchLevels(bitmap, bitmap, low, high); }

void StretchLevels(const TBitmap32& source, TBitmap32& destination, int low, int high) {
    if (low >= high)
        throw Error("The low cutoff (" + std::to_string(low) + ") must be below the high cutoff (" +
                    std::to_string(high) + ")");
    ApplyLevels(low, source, destination, StretchGain(low, high));
}

} // namespace ivra
