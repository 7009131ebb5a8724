#include "core/processing/Channels.h"

#include "core/processing/Convolution.h"
#include "core/processing/HslKernels.h"
#include "core/processing/PixelLoops.h"

#include <cstring>
#include <vector>

namespace ivra {

namespace {

inline TColor32 GrayPixel(std::uint32_t v) { return 0xFF000000u | (v * 0x010101u); }

// HSLToRGB (h, 1, 0.5) through a small cache keyed by the bits of h: the
// same h always gives the same colour, and neighbouring pixels often share
// their hue.
class THueColors {
public:
    THueColors() : keys_(Size, 0xFFFFFFFFu), values_(Size) {} // no hue has the bits of that NaN
    TColor32 operator()(float h) {
        std::uint32_t bits;
        std::memcpy(&bits, &h, sizeof bits);
        const std::size_t slot = (bits ^ (bits >> 13)) & (Size - 1);
        if (keys_[slot] != bits) {
            keys_[slot] = bits;
            values_[slot] = HSLToRGB(h, 1.0f, 0.5f);
        }
        return values_[slot];
    }

private:
    static constexpr std::size_t Size = 4096;
    std::vector<std::uint32_t> keys_;
    std::vector<TColor32> values_;
};

#ifdef IVRA_HSL_AVX2
// Whole blocks of eight pixels; returns how many pixels were done.
__attribute__((target("avx2"))) std::size_t HueBlocksAvx2(const TColor32* s, TColor32* d, std::size_t n,
                                                          THueColors& colors) {
    alignas(32) float h[8];
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        _mm256_store_ps(h, hsl::HueOf8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i))));
        for (int k = 0; k < 8; ++k) d[i + std::size_t(k)] = colors(h[k]);
    }
    return i;
}
#endif

void HueRun(const TColor32* s, TColor32* d, std::size_t n, bool simd) {
    THueColors colors;
    std::size_t i = 0;
#ifdef IVRA_HSL_AVX2
    if (simd) i = HueBlocksAvx2(s, d, n, colors);
#else
    (void)simd;
#endif
    for (; i < n; ++i) {
        float h, sat, l;
        RGBToHSL(s[i], h, sat, l);
        d[i] = colors(h);
    }
}

void ChannelRun(const TColor32* s, TColor32* d, std::size_t n, TColorChannel channel, bool simd) {
    switch (channel) {
    case TColorChannel::Red:
        for (std::size_t i = 0; i < n; ++i) d[i] = GrayPixel((s[i] >> 16) & 0xFF);
        break;
    case TColorChannel::Green:
        for (std::size_t i = 0; i < n; ++i) d[i] = GrayPixel((s[i] >> 8) & 0xFF);
        break;
    case TColorChannel::Blue:
        for (std::size_t i = 0; i < n; ++i) d[i] = GrayPixel(s[i] & 0xFF);
        break;
    case TColorChannel::Hue:
        HueRun(s, d, n, simd);
        break;
    case TColorChannel::Saturation: {
        const std::uint8_t* table = hsl::MaxMinTables().saturation255;
        for (std::size_t i = 0; i < n; ++i) d[i] = GrayPixel(table[hsl::MaxMinIndex(s[i])]);
        break;
    }
    case TColorChannel::Value:
        for (std::size_t i = 0; i < n; ++i) d[i] = GrayPixel(hsl::MaxMinIndex(s[i]) >> 8);
        break;
    }
}

} // namespace

const char* ColorChannelName(TColorChannel channel) {
    switch (channel) {
    case TColorChannel::Red: return "Red";
    case TColorChannel::Green: return "Green";
    case TColorChannel::Blue: return "Blue";
    case TColorChannel::Hue: return "Hue";
    case TColorChannel::Saturation: return "Saturation";
    case TColorChannel::Value: return "Value";
    }
    return "";
}

void ChannelImage(TBitmap32* destination, const TBitmap32* source, TColorChannel channel) {
    MatchSize(destination, source);
    if (!source->Empty()) {
        if (channel == TColorChannel::Saturation) hsl::MaxMinTables(); // built once, before the threads
        const TColor32* s = source->Bits();
        TColor32* d = destination->Bits();
        const bool simd = UseAvx2();
        ParallelBands(source->PixelCount(), std::size_t(1) << 18,
                      [&](int, std::size_t b, std::size_t e) { ChannelRun(s + b, d + b, e - b, channel, simd); });
    }
    destination->Changed();
}

} // namespace ivra
