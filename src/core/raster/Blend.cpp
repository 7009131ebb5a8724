#include "core/raster/Blend.h"

#include "core/processing/PixelLoops.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define IVRA_BLEND_X86 1
#endif

namespace ivra {

// The vector loops rest on two facts about BlendPixel, with a = the scaled
// alpha Div255Round(alpha * master) and na = 255 - a:
//  - each colour channel is Div255Round(f * a + b * na), and the alpha is
//    a + Div255Round(B * na) = Div255Round(255 * a + B * na), because
//    Div255Round rounds x / 255 to the nearest exactly (no ties: 255 is
//    odd). So every channel, alpha included, is Div255Round(f' * a + b * na)
//    where f' is the source pixel with its alpha set to 255;
//  - the early returns for a = 0 and a = 255 give what that formula gives.
// Every sum is at most 255 * 255 + 128 + 255 < 2^16, so the arithmetic runs
// in unsigned 16-bit lanes without loss.

namespace {

#ifdef IVRA_BLEND_X86

// Div255Round in every 16-bit lane.
inline __m128i Div255Round16(__m128i x) {
    x = _mm_add_epi16(x, _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), 8);
}

// Four pixels at a time; returns the number of pixels done.
int BlendRowSse2(const TColor32* src, TColor32* dst, int count, std::uint32_t master) {
    const __m128i alphaMask = _mm_set1_epi32(int(0xFF000000u));
    const __m128i zero = _mm_setzero_si128();
    const __m128i m = _mm_set1_epi32(int(master));
    const __m128i full = _mm_set1_epi16(255);
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        // Overlays are mostly transparent: clear pixels leave dst as it is.
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(s, alphaMask), zero)) == 0xFFFF) continue;
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        // a per pixel in the low half of its 32-bit lane, then in all four
        // 16-bit lanes of the pixel.
        __m128i a = Div255Round16(_mm_mullo_epi16(_mm_srli_epi32(s, 24), m));
        a = _mm_or_si128(a, _mm_slli_epi32(a, 16));
        const __m128i aLo = _mm_unpacklo_epi32(a, a), aHi = _mm_unpackhi_epi32(a, a);
        const __m128i f = _mm_or_si128(s, alphaMask);
        const __m128i lo = Div255Round16(
            _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(f, zero), aLo),
                          _mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), _mm_sub_epi16(full, aLo))));
        const __m128i hi = Div255Round16(
            _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(f, zero), aHi),
                          _mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), _mm_sub_epi16(full, aHi))));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(lo, hi));
    }
    return i;
}

__attribute__((target("avx2"))) inline __m256i Div255Round16Avx2(__m256i x) {
    x = _mm256_add_epi16(x, _mm256_set1_epi16(128));
    return _mm256_srli_epi16(_mm256_add_epi16(x, _mm256_srli_epi16(x, 8)), 8);
}

// Eight pixels at a time, the same steps as the SSE2 loop (the unpacks and
// the pack work within each 128-bit half, so the pixel order is kept).
__attribute__((target("avx2"))) int BlendRowAvx2(const TColor32* src, TColor32* dst, int count,
                                                 std::uint32_t master) {
    const __m256i alphaMask = _mm256_set1_epi32(int(0xFF000000u));
    const __m256i zero = _mm256_setzero_si256();
    const __m256i m = _mm256_set1_epi32(int(master));
    const __m256i full = _mm256_set1_epi16(255);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
        if (_mm256_testz_si256(s, alphaMask)) continue;
        // Opaque pixels at full master alpha replace dst (BlendPixel's a = 255).
        if (master == 255 && _mm256_testc_si256(s, alphaMask)) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), s);
            continue;
        }
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
        __m256i a = Div255Round16Avx2(_mm256_mullo_epi16(_mm256_srli_epi32(s, 24), m));
        a = _mm256_or_si256(a, _mm256_slli_epi32(a, 16));
        const __m256i aLo = _mm256_unpacklo_epi32(a, a), aHi = _mm256_unpackhi_epi32(a, a);
        const __m256i f = _mm256_or_si256(s, alphaMask);
        const __m256i lo = Div255Round16Avx2(
            _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(f, zero), aLo),
                             _mm256_mullo_epi16(_mm256_unpacklo_epi8(d, zero), _mm256_sub_epi16(full, aLo))));
        const __m256i hi = Div255Round16Avx2(
            _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(f, zero), aHi),
                             _mm256_mullo_epi16(_mm256_unpackhi_epi8(d, zero), _mm256_sub_epi16(full, aHi))));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_packus_epi16(lo, hi));
    }
    return i;
}

#endif

} // namespace

void BlendRow(const TColor32* src, TColor32* dst, int count, std::uint32_t master) {
    int i = 0;
#ifdef IVRA_BLEND_X86
    i = UseAvx2() ? BlendRowAvx2(src, dst, count, master) : 0;
    i += BlendRowSse2(src + i, dst + i, count - i, master);
#endif
    for (; i < count; ++i) dst[i] = BlendPixel(src[i], dst[i], master);
}

void CombineRow(const TColor32* src, TColor32* dst, int count, TDrawMode mode, std::uint32_t master) {
    if (count <= 0) return;
    if (mode == TDrawMode::dmOpaque) {
        std::memcpy(dst, src, std::size_t(count) * sizeof(TColor32));
        return;
    }
    BlendRow(src, dst, count, master);
}

} // namespace ivra
