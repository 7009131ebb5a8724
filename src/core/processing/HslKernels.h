#pragma once
// Internal to the core: pieces of RGBToHSL (core/raster/Color32.h) for the
// channel images and the image analysis, computed faster but to the same
// bits.
//
// - Saturation and lightness depend only on the largest and the smallest
//   component, so their levels come from tables over (max, min) that are
//   filled with RGBToHSL itself.
// - The hue is computed for eight pixels at once with AVX2, with the same
//   single-precision operations in the same order as RGBToHSL (IEEE
//   arithmetic gives the same bits lane by lane; no fused multiply-add).
// - A level round(v x scale) is taken from the exact product (a single times
//   100 or 255 is exact in double), rounded to the nearest, halves to even.

#include "core/raster/Color32.h"

#include <cmath>
#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define IVRA_HSL_AVX2 1
#endif

namespace ivra::hsl {

// round(v x scale), halves to even, from the exact product.
inline int Level(float v, double scale) { return int(std::nearbyint(double(v) * scale)); }

// Index of the (max, min) tables: max x 256 + min.
constexpr std::uint32_t MaxMinIndex(TColor32 c) {
    const std::uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    const std::uint32_t mx = r > g ? (r > b ? r : b) : (g > b ? g : b);
    const std::uint32_t mn = r < g ? (r < b ? r : b) : (g < b ? g : b);
    return (mx << 8) | mn;
}

struct TMaxMinTables {
    std::uint8_t saturation100[65536]; // round(S x 100)
    std::uint8_t lightness100[65536];  // round(L x 100)
    std::uint8_t saturation255[65536]; // round(S x 255)
};

// Filled once, on first use, by RGBToHSL of the pixel (max, min, min).
const TMaxMinTables& MaxMinTables();

#ifdef IVRA_HSL_AVX2

// The hue of RGBToHSL for eight pixels (0 to 1, 0 for grays).
__attribute__((target("avx2"))) inline __m256 HueOf8(__m256i px) {
    const __m256i byte = _mm256_set1_epi32(0xFF);
    const __m256 k255 = _mm256_set1_ps(255.0f);
    const __m256 r = _mm256_div_ps(_mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(px, 16), byte)), k255);
    const __m256 g = _mm256_div_ps(_mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(px, 8), byte)), k255);
    const __m256 b = _mm256_div_ps(_mm256_cvtepi32_ps(_mm256_and_si256(px, byte)), k255);
    const __m256 mx = _mm256_max_ps(_mm256_max_ps(r, g), b);
    const __m256 mn = _mm256_min_ps(_mm256_min_ps(r, g), b);
    const __m256 d = _mm256_sub_ps(mx, mn);
    const __m256 isR = _mm256_cmp_ps(mx, r, _CMP_EQ_OQ);
    const __m256 isG = _mm256_cmp_ps(mx, g, _CMP_EQ_OQ);
    // max = r: (g - b) / d; max = g: 2 + (b - r) / d; else 4 + (r - g) / d.
    const __m256 num = _mm256_blendv_ps(_mm256_blendv_ps(_mm256_sub_ps(r, g), _mm256_sub_ps(b, r), isG),
                                        _mm256_sub_ps(g, b), isR);
    const __m256 q = _mm256_div_ps(num, d);
    const __m256 off = _mm256_blendv_ps(_mm256_blendv_ps(_mm256_set1_ps(4.0f), _mm256_set1_ps(2.0f), isG),
                                        _mm256_setzero_ps(), isR);
    __m256 h = _mm256_blendv_ps(_mm256_add_ps(off, q), q, isR);
    h = _mm256_div_ps(h, _mm256_set1_ps(6.0f));
    h = _mm256_blendv_ps(h, _mm256_add_ps(h, _mm256_set1_ps(1.0f)),
                         _mm256_cmp_ps(h, _mm256_setzero_ps(), _CMP_LT_OQ));
    // Grays (max = min) have hue 0; this also drops the 0/0 of those lanes.
    return _mm256_andnot_ps(_mm256_cmp_ps(mx, mn, _CMP_EQ_OQ), h);
}

// round(v x scale) for eight values, halves to even, from the exact product.
__attribute__((target("avx2"))) inline __m256i LevelOf8(__m256 v, double scale) {
    const __m256d s = _mm256_set1_pd(scale);
    const __m256d lo = _mm256_round_pd(_mm256_mul_pd(_mm256_cvtps_pd(_mm256_castps256_ps128(v)), s),
                                       _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    const __m256d hi = _mm256_round_pd(_mm256_mul_pd(_mm256_cvtps_pd(_mm256_extractf128_ps(v, 1)), s),
                                       _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    return _mm256_set_m128i(_mm256_cvtpd_epi32(hi), _mm256_cvtpd_epi32(lo));
}

#endif

} // namespace ivra::hsl
