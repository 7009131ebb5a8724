#include "core/analysis/ImageAnalysis.h"

#include "core/processing/HslKernels.h"
#include "core/processing/PixelLoops.h"

#include <memory>
#include <vector>

namespace ivra {

const char* AnalysisChannelName(TAnalysisChannel channel) {
    switch (channel) {
    case TAnalysisChannel::Red: return "Red";
    case TAnalysisChannel::Green: return "Green";
    case TAnalysisChannel::Blue: return "Blue";
    case TAnalysisChannel::Gray: return "Gray";
    case TAnalysisChannel::Hue: return "Hue";
    case TAnalysisChannel::Saturation: return "Saturation";
    case TAnalysisChannel::Value: return "Value";
    }
    return "";
}

int ChannelLevelCount(TAnalysisChannel channel) {
    switch (channel) {
    case TAnalysisChannel::Hue:
    case TAnalysisChannel::Saturation:
    case TAnalysisChannel::Value: return 101;
    default: return 256;
    }
}

std::span<const std::uint32_t> ChannelCounts(const TChannelHistograms& h, TAnalysisChannel channel) {
    switch (channel) {
    case TAnalysisChannel::Red: return h.Red;
    case TAnalysisChannel::Green: return h.Green;
    case TAnalysisChannel::Blue: return h.Blue;
    case TAnalysisChannel::Gray: return h.Gray;
    case TAnalysisChannel::Hue: return h.Hue;
    case TAnalysisChannel::Saturation: return h.Saturation;
    case TAnalysisChannel::Value: return h.Value;
    }
    return {};
}

namespace {

// The counts of one worker, four increments per pixel: red and green
// together in a table of their 65536 pairs, blue alone, gray and hue
// together (256 x 101), and the (max, min) pairs, on which saturation and
// lightness depend. The tables are folded into the seven histograms at the
// end.
//
// The padding keeps the tables from lying a multiple of 4 KB apart: the
// processor would otherwise take an increment of one table for a
// dependency on an increment of another at the same offset (4K aliasing),
// which made the pass several times slower.
struct TWorkerCounts {
    std::uint32_t redGreen[65536] = {};
    std::uint32_t pad1[16];
    std::uint32_t blue[256] = {};
    std::uint32_t pad2[48];
    std::uint32_t grayHue[256 * 101] = {};
    std::uint32_t pad3[80];
    std::uint32_t maxMin[65536] = {};
};

inline void CountPixel(TWorkerCounts& t, TColor32 c, std::uint32_t gray, std::uint32_t hue, std::uint32_t maxMin) {
    ++t.redGreen[(c >> 8) & 0xFFFF];
    ++t.blue[c & 0xFF];
    ++t.grayHue[gray * 101 + hue];
    ++t.maxMin[maxMin];
}

void CountScalar(const TColor32* p, std::size_t n, TWorkerCounts& t) {
    for (std::size_t i = 0; i < n; ++i) {
        const TColor32 c = p[i];
        float h, s, l;
        RGBToHSL(c, h, s, l);
        CountPixel(t, c, Intensity(c), std::uint32_t(hsl::Level(h, 100.0)), hsl::MaxMinIndex(c));
    }
}

#ifdef IVRA_HSL_AVX2
// Eight pixels at a time: gray, (max, min) and the hue level in vectors,
// then the table increments one by one. Returns how many pixels were done.
__attribute__((target("avx2"))) std::size_t CountAvx2(const TColor32* p, std::size_t n, TWorkerCounts& t) {
    alignas(32) std::uint32_t gray[8], hue[8], maxMin[8];
    const __m256i byte = _mm256_set1_epi32(0xFF);
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i px = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
        const __m256i r = _mm256_and_si256(_mm256_srli_epi32(px, 16), byte);
        const __m256i g = _mm256_and_si256(_mm256_srli_epi32(px, 8), byte);
        const __m256i b = _mm256_and_si256(px, byte);
        const __m256i sum = _mm256_add_epi32(
            _mm256_add_epi32(_mm256_mullo_epi32(r, _mm256_set1_epi32(61)), _mm256_mullo_epi32(g, _mm256_set1_epi32(174))),
            _mm256_mullo_epi32(b, _mm256_set1_epi32(21)));
        _mm256_store_si256(reinterpret_cast<__m256i*>(gray), _mm256_srli_epi32(sum, 8));
        const __m256i mx = _mm256_max_epu32(_mm256_max_epu32(r, g), b);
        const __m256i mn = _mm256_min_epu32(_mm256_min_epu32(r, g), b);
        _mm256_store_si256(reinterpret_cast<__m256i*>(maxMin), _mm256_or_si256(_mm256_slli_epi32(mx, 8), mn));
        _mm256_store_si256(reinterpret_cast<__m256i*>(hue), hsl::LevelOf8(hsl::HueOf8(px), 100.0));
        for (int k = 0; k < 8; ++k) CountPixel(t, p[i + std::size_t(k)], gray[k], hue[k], maxMin[k]);
    }
    return i;
}
#endif

} // namespace

void AnalyseImage(const TBitmap32& bitmap, const std::string& imageName, TChannelHistograms& histograms) {
    TChannelHistograms result;
    result.ImageName = imageName;
    result.PixelCount = std::int32_t(bitmap.PixelCount());
    const std::size_t n = bitmap.PixelCount();
    if (n > 0) {
        const hsl::TMaxMinTables& tables = hsl::MaxMinTables();
        const int bands = BandCount(n, std::size_t(1) << 19);
        // One set of tables per worker; each band adds to its worker's.
        std::vector<std::unique_ptr<TWorkerCounts>> counts(static_cast<std::size_t>(WorkerCount(bands)));
        for (auto& c : counts) c = std::make_unique<TWorkerCounts>();
        const TColor32* p = bitmap.Bits();
        const bool simd = UseAvx2();
        RunBands(bands, [&](int band, int worker) {
            const std::size_t b = n * std::size_t(band) / std::size_t(bands);
            const std::size_t e = n * std::size_t(band + 1) / std::size_t(bands);
            TWorkerCounts& t = *counts[std::size_t(worker)];
            std::size_t done = 0;
#ifdef IVRA_HSL_AVX2
            if (simd) done = CountAvx2(p + b, e - b, t);
#else
            (void)simd;
#endif
            CountScalar(p + b + done, e - b - done, t);
        });
        for (const auto& c : counts) {
            for (std::size_t i = 0; i < 65536; ++i) {
                if (const std::uint32_t k = c->redGreen[i]) {
                    result.Red[i >> 8] += k;
                    result.Green[i & 0xFF] += k;
                }
                if (const std::uint32_t k = c->maxMin[i]) {
                    result.Saturation[tables.saturation100[i]] += k;
                    result.Value[tables.lightness100[i]] += k;
                }
            }
            for (std::size_t i = 0; i < 256; ++i) result.Blue[i] += c->blue[i];
            for (std::size_t g = 0; g < 256; ++g)
                for (std::size_t h = 0; h < 101; ++h) {
                    const std::uint32_t k = c->grayHue[g * 101 + h];
                    result.Gray[g] += k;
                    result.Hue[h] += k;
                }
        }
    }
    histograms = std::move(result);
}

} // namespace ivra
