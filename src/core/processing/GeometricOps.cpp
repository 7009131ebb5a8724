#include "core/processing/GeometricOps.h"

#include "core/Error.h"

#include "core/processing/PixelLoops.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#ifdef __linux__
#include <sys/mman.h>
#endif

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace ivra {

namespace {

// Reverses n pixels in place.
IVRA_AVX2_CLONES void ReverseRun(TColor32* p, std::size_t n) {
    for (std::size_t i = 0, j = n - 1; i < n / 2; ++i, --j) {
        const TColor32 t = p[i];
        p[i] = p[j];
        p[j] = t;
    }
}

// Swaps n pixels of a with n pixels of b taken from the end backwards:
// a[i] <-> b[-i] (b points at the last pixel of its run).
IVRA_AVX2_CLONES void SwapReversed(TColor32* __restrict a, TColor32* __restrict bEnd, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        const TColor32 t = a[i];
        a[i] = *(bEnd - i);
        *(bEnd - i) = t;
    }
}

IVRA_AVX2_CLONES void SwapRuns(TColor32* __restrict a, TColor32* __restrict b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        const TColor32 t = a[i];
        a[i] = b[i];
        b[i] = t;
    }
}

// Quarter turn of src (w x h) into dst (h x w) for the destination rows
// [x0, x1) (source columns), pixel by pixel, in square tiles that keep both
// sides in the cache. clockwise: dst(h - 1 - y, x) = src(x, y); otherwise
// dst(y, w - 1 - x) = src(x, y).
void TurnRowsScalar(const TColor32* src, TColor32* dst, int w, int h, bool clockwise, int x0, int x1, int y0,
                    int y1) {
    constexpr int Tile = 32;
    for (int ty = y0; ty < y1; ty += Tile) {
        const int ty1 = std::min(y1, ty + Tile);
        for (int tx = x0; tx < x1; tx += Tile) {
            const int tx1 = std::min(x1, tx + Tile);
            for (int x = tx; x < tx1; ++x) {
                const TColor32* in = src + std::size_t(ty) * std::size_t(w) + std::size_t(x);
                if (clockwise) {
                    TColor32* out = dst + std::size_t(x) * std::size_t(h) + std::size_t(h - 1);
                    for (int y = ty; y < ty1; ++y, in += w) *(out - y) = *in;
                } else {
                    TColor32* out = dst + std::size_t(w - 1 - x) * std::size_t(h);
                    for (int y = ty; y < ty1; ++y, in += w) out[y] = *in;
                }
            }
        }
    }
}

#if defined(__x86_64__) || defined(__i386__)
// Blocks of 8 x 8 pixels: eight source rows are loaded, transposed in
// registers and stored as eight destination runs (reversed for the
// clockwise turn). Returns the number of source rows done (a multiple of 8);
// the columns from x0 + a multiple of 8 up to x1 are left to the caller too.
__attribute__((target("avx2"))) void TurnBlocksAvx2(const TColor32* src, TColor32* dst, int w, int h,
                                                    bool clockwise, int x0, int xEnd, int yEnd) {
    constexpr int Tile = 64;
    const __m256i reverse = _mm256_set_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    for (int ty = 0; ty < yEnd; ty += Tile) {
        const int ty1 = std::min(yEnd, ty + Tile);
        for (int tx = x0; tx < xEnd; tx += Tile) {
            const int tx1 = std::min(xEnd, tx + Tile);
            for (int y = ty; y < ty1; y += 8) {
                for (int x = tx; x < tx1; x += 8) {
                    const TColor32* in = src + std::size_t(y) * std::size_t(w) + std::size_t(x);
                    __m256i r[8];
                    for (int k = 0; k < 8; ++k)
                        r[k] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + std::size_t(k) * std::size_t(w)));
                    // Transpose: t[k] becomes column x + k of the eight rows.
                    const __m256i a0 = _mm256_unpacklo_epi32(r[0], r[1]), a1 = _mm256_unpackhi_epi32(r[0], r[1]);
                    const __m256i a2 = _mm256_unpacklo_epi32(r[2], r[3]), a3 = _mm256_unpackhi_epi32(r[2], r[3]);
                    const __m256i a4 = _mm256_unpacklo_epi32(r[4], r[5]), a5 = _mm256_unpackhi_epi32(r[4], r[5]);
                    const __m256i a6 = _mm256_unpacklo_epi32(r[6], r[7]), a7 = _mm256_unpackhi_epi32(r[6], r[7]);
                    const __m256i b0 = _mm256_unpacklo_epi64(a0, a2), b1 = _mm256_unpackhi_epi64(a0, a2);
                    const __m256i b2 = _mm256_unpacklo_epi64(a1, a3), b3 = _mm256_unpackhi_epi64(a1, a3);
                    const __m256i b4 = _mm256_unpacklo_epi64(a4, a6), b5 = _mm256_unpackhi_epi64(a4, a6);
                    const __m256i b6 = _mm256_unpacklo_epi64(a5, a7), b7 = _mm256_unpackhi_epi64(a5, a7);
                    __m256i t[8] = {_mm256_permute2x128_si256(b0, b4, 0x20), _mm256_permute2x128_si256(b1, b5, 0x20),
                                    _mm256_permute2x128_si256(b2, b6, 0x20), _mm256_permute2x128_si256(b3, b7, 0x20),
                                    _mm256_permute2x128_si256(b0, b4, 0x31), _mm256_permute2x128_si256(b1, b5, 0x31),
                                    _mm256_permute2x128_si256(b2, b6, 0x31), _mm256_permute2x128_si256(b3, b7, 0x31)};
                    for (int k = 0; k < 8; ++k) {
                        if (clockwise) {
                            TColor32* out = dst + std::size_t(x + k) * std::size_t(h) + std::size_t(h - 8 - y);
                            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_permutevar8x32_epi32(t[k], reverse));
                        } else {
                            TColor32* out = dst + std::size_t(w - 1 - x - k) * std::size_t(h) + std::size_t(y);
                            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), t[k]);
                        }
                    }
                }
            }
        }
    }
}
#define IVRA_TURN_AVX2 1
#endif

void TurnRows(const TColor32* src, TColor32* dst, int w, int h, bool clockwise, int x0, int x1) {
#ifdef IVRA_TURN_AVX2
    if (UseAvx2()) {
        const int xEnd = x0 + (x1 - x0) / 8 * 8, yEnd = h / 8 * 8;
        TurnBlocksAvx2(src, dst, w, h, clockwise, x0, xEnd, yEnd);
        TurnRowsScalar(src, dst, w, h, clockwise, xEnd, x1, 0, h);    // the last columns
        TurnRowsScalar(src, dst, w, h, clockwise, x0, xEnd, yEnd, h); // the last rows
        return;
    }
#endif
    TurnRowsScalar(src, dst, w, h, clockwise, x0, x1, 0, h);
}

// Asks the system to back fresh, untouched pixel memory with huge pages:
// the first writes to a large new bitmap then fault in 2 MB at a time
// instead of 4 KB, which costs about as much as the turn itself otherwise.
// Only a hint; nothing changes when the system declines.
void PreferHugePages(TColor32* bits, std::size_t pixels) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t Huge = std::uintptr_t(2) << 20;
    const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(bits) + Huge - 1) & ~(Huge - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(bits + pixels)) & ~(Huge - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)bits;
    (void)pixels;
#endif
}

void QuarterTurnInto(const TBitmap32& source, TBitmap32& turned, bool clockwise) {
    if (&source == &turned) throw Error("A quarter turn cannot write over its source");
    const int w = source.Width(), h = source.Height();
    turned.SetSize(h, w);
    if (source.Empty()) return;
    PreferHugePages(turned.Bits(), turned.PixelCount());
    const TColor32* src = source.Bits();
    TColor32* dst = turned.Bits();
    ParallelBands(std::size_t(w), std::max<std::size_t>(32, (std::size_t(1) << 18) / std::size_t(h)),
                  [&](int, std::size_t b, std::size_t e) { TurnRows(src, dst, w, h, clockwise, int(b), int(e)); });
}

void QuarterTurn(TBitmap32& bitmap, bool clockwise) {
    if (bitmap.Empty()) {
        // An empty bitmap still swaps its (zero) dimensions.
        if (bitmap.Width() != bitmap.Height()) bitmap.SetSize(bitmap.Height(), bitmap.Width());
        bitmap.Changed();
        return;
    }
    TBitmap32 turned;
    QuarterTurnInto(bitmap, turned, clockwise);
    // Only size and pixels change hands; the drawing properties stay.
    bitmap.SwapPixels(turned);
}

} // namespace

void FlipHorz(TBitmap32& bitmap) {
    if (!bitmap.Empty()) {
        const std::size_t w = std::size_t(bitmap.Width());
        ParallelRows(bitmap.Width(), bitmap.Height(), [&](int y0, int y1) {
            for (int y = y0; y < y1; ++y) ReverseRun(bitmap.ScanLine(y), w);
        });
    }
    bitmap.Changed();
}

void FlipVert(TBitmap32& bitmap) {
    if (!bitmap.Empty()) {
        const int h = bitmap.Height();
        const std::size_t w = std::size_t(bitmap.Width());
        // Row i swaps with row h - 1 - i for i < h / 2; the bands split i.
        ParallelBands(std::size_t(h / 2), std::max<std::size_t>(1, (std::size_t(1) << 17) / w),
                      [&](int, std::size_t b, std::size_t e) {
                          for (std::size_t i = b; i < e; ++i)
                              SwapRuns(bitmap.ScanLine(int(i)), bitmap.ScanLine(h - 1 - int(i)), w);
                      });
    }
    bitmap.Changed();
}

void Rotate180(TBitmap32& bitmap) {
    if (!bitmap.Empty()) {
        TColor32* p = bitmap.Bits();
        const std::size_t n = bitmap.PixelCount();
        // Element j swaps with n - 1 - j for j < n / 2; the bands split j.
        ParallelBands(n / 2, std::size_t(1) << 17, [&](int, std::size_t b, std::size_t e) {
            SwapReversed(p + b, p + (n - 1 - b), e - b);
        });
    }
    bitmap.Changed();
}

void Rotate90(TBitmap32& bitmap) { QuarterTurn(bitmap, true); }

void Rotate270(TBitmap32& bitmap) { QuarterTurn(bitmap, false); }

void Rotate90(const TBitmap32& source, TBitmap32& destination) {
    QuarterTurnInto(source, destination, true);
    destination.Changed();
}

void Rotate270(const TBitmap32& source, TBitmap32& destination) {
    QuarterTurnInto(source, destination, false);
    destination.Changed();
}

} // namespace ivra
