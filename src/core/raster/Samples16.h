#pragma once
// The 16-bit samples of an image file as it was read: one channel (gray) or
// three (red, green, blue), interleaved, row after row from the top. The
// program measures these instead of the 8-bit bitmap while the image is as
// it was opened.

#include "core/raster/LargeMemory.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ivra {

struct TSamples16 {
    int Width = 0, Height = 0;
    int Channels = 0;                 // 1 gray, 3 red, green, blue
    std::vector<std::uint16_t, TZeroedAllocator<std::uint16_t>> Values;  // Width x Height x Channels

    bool Empty() const { return Values.empty(); }
    std::size_t PixelCount() const { return std::size_t(Width) * std::size_t(Height); }
    const std::uint16_t* Row(int y) const {
        return Values.data() + std::size_t(y) * std::size_t(Width) * std::size_t(Channels);
    }
    std::uint16_t* Row(int y) { return Values.data() + std::size_t(y) * std::size_t(Width) * std::size_t(Channels); }
    // The sample of channel c (0 .. Channels - 1) of pixel (x, y).
    std::uint16_t At(int x, int y, int c) const { return Row(y)[std::size_t(x) * std::size_t(Channels) + std::size_t(c)]; }
    void Clear() {
        Width = Height = Channels = 0;
        decltype(Values)().swap(Values);
    }
};

// A 16-bit level scaled to 8 bits, to the nearest: v x 255 / 65535 = v / 257
// (never a tie, 257 being odd). (v x 255 + 32895) >> 16 is the same for
// every v and needs no division.
constexpr std::uint8_t Scale16To8(std::uint16_t v) { return std::uint8_t((unsigned(v) * 255u + 32895u) >> 16); }

} // namespace ivra
