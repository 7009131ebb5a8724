#pragma once
// Photo-like test images for the benchmarks: smooth gradients, soft blobs and
// a little noise, so that codecs and filters see realistic data.

#include "core/raster/Bitmap32.h"

#include <cmath>
#include <cstdint>

namespace ivra::bench {

inline void MakePhotoLike(TBitmap32& bmp, int width, int height, std::uint32_t seed = 12345) {
    bmp.SetSize(width, height);
    std::uint32_t state = seed;
    auto noise = [&state]() {
        state = state * 1664525u + 1013904223u;
        return int((state >> 24) & 7) - 4;
    };
    for (int y = 0; y < height; ++y) {
        TColor32* row = bmp.ScanLine(y);
        const double fy = double(y) / height;
        for (int x = 0; x < width; ++x) {
            const double fx = double(x) / width;
            const double blob = 0.5 + 0.5 * std::sin(fx * 17.0 + std::cos(fy * 11.0) * 3.0) *
                                          std::cos(fy * 13.0 - fx * 5.0);
            int r = int(40 + 180 * fx * blob) + noise();
            int g = int(60 + 150 * fy * (1.0 - blob)) + noise();
            int b = int(90 + 120 * blob) + noise();
            auto clamp = [](int v) { return std::uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v)); };
            row[x] = Color32(clamp(r), clamp(g), clamp(b));
        }
    }
}

} // namespace ivra::bench
