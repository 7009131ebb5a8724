#pragma once
// Test images and switches shared by the processing and analysis tests.

#include "core/processing/PixelLoops.h"
#include "core/raster/Bitmap32.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace ivra::test {

// Random pixels, alpha included.
inline void FillRandom(TBitmap32& bmp, int width, int height, std::uint32_t seed) {
    bmp.SetSize(width, height);
    std::mt19937 rng(seed);
    for (std::size_t i = 0; i < bmp.PixelCount(); ++i) bmp.Bits()[i] = TColor32(rng());
}

// Random pixels with few distinct levels per channel, so that runs, ties and
// flat patches occur as in real pictures.
inline void FillBlocky(TBitmap32& bmp, int width, int height, std::uint32_t seed) {
    bmp.SetSize(width, height);
    std::mt19937 rng(seed);
    const std::uint8_t levels[] = {0, 1, 2, 127, 128, 200, 254, 255};
    for (std::size_t i = 0; i < bmp.PixelCount(); ++i) {
        if (i > 0 && rng() % 3 == 0) {
            bmp.Bits()[i] = bmp.Bits()[i - 1];
            continue;
        }
        bmp.Bits()[i] = Color32(levels[rng() % 8], levels[rng() % 8], levels[rng() % 8], levels[rng() % 8]);
    }
}

inline std::vector<TColor32> Pixels(const TBitmap32& bmp) {
    return std::vector<TColor32>(bmp.Bits(), bmp.Bits() + bmp.PixelCount());
}

inline void SetPixels(TBitmap32& bmp, int width, int height, const std::vector<TColor32>& px) {
    bmp.SetSize(width, height);
    for (std::size_t i = 0; i < px.size(); ++i) bmp.Bits()[i] = px[i];
}

// The loop variants a fast routine must agree on: AVX2 on or off, and one,
// two or three bands.
struct TLoopMode {
    bool avx2;
    int threads;
    std::string Name() const { return std::string(avx2 ? "avx2" : "portable") + "/" + std::to_string(threads); }
};

inline std::vector<TLoopMode> LoopModes() { return {{true, 1}, {true, 2}, {true, 3}, {false, 1}, {false, 2}}; }

// Sets a loop mode for the lifetime of the object.
class TLoopModeScope {
public:
    explicit TLoopModeScope(const TLoopMode& m) {
        SetAvx2Allowed(m.avx2);
        SetProcessingThreads(m.threads);
    }
    ~TLoopModeScope() {
        SetAvx2Allowed(true);
        SetProcessingThreads(0);
    }
};

} // namespace ivra::test
