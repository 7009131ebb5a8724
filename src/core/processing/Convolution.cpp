#include "core/processing/Convolution.h"

#include "core/Error.h"
#include "core/processing/PixelLoops.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define IVRA_HAVE_X86 1
#endif

namespace ivra {

void MatchSize(TBitmap32* destination, const TBitmap32* source) {
    if (!source) throw Error("The source is nil");
    if (!destination) throw Error("Destination is nil");
    if (destination != source) destination->SetSize(source->Width(), source->Height());
}

namespace {

// One neighbour of the kernel: its column offset and its row in the window
// of 2r + 1 source rows.
struct TTap {
    int dx;
    int row;
};

// Taps sharing one weight: their levels are summed first and multiplied
// once. Each group sum stays below 25 x 255, which fits 16 bits.
struct TGroup {
    std::int32_t weight;
    int first;
    int count;
    std::int32_t high = 0, low = 0; // weight = multiplier x high + low (Split16)
};

// The vector loops keep every sum in 16 bits:
// - Simd16: the whole sum fits 16 bits;
// - Split16: each weight is split as multiplier x high + low so that the
//   sums of the high and of the low parts fit 16 bits; one multiply-add
//   then gives the exact 32-bit sum multiplier x H + L.
// Kernels that allow neither run the portable loop.
enum class TLoop { Scalar, Simd16, Split16 };

// A kernel prepared for the row loops.
struct TPlan {
    int radius = 1;
    std::vector<TTap> taps;
    std::vector<TGroup> groups;
    std::uint32_t divisor = 1;
    std::int32_t bias = 0;
    TLoop loop = TLoop::Scalar;
    std::int32_t multiplier = 1; // Split16
    // A separable kernel (weight(i, j) = column[j] x row[i]) is run by the
    // vector loop as a vertical sum of the rows with the column weights
    // followed by the one-row kernel horizontal[0] on that sum.
    std::vector<std::int32_t> column;
    std::vector<TPlan> horizontal;
    // Division of a 16-bit magnitude a <= 32767 by the divisor:
    // ((a * magic) >> 16) >> shift, checked for every a at set-up.
    std::uint16_t magic = 0;
    int shift = 0;
    // Division of a 32-bit sum |s| < 2^24 in single precision: when
    // reciprocalExact, trunc(s x reciprocal + nudge x sign(s)) equals
    // s / divisor for every sum the kernel can give (checked at set-up);
    // otherwise the quotient is taken with a true division.
    bool reciprocalExact = false;
    float reciprocal = 1;
    float nudge = 0;
    // Split16 without bias: a sum below 0 gives 0 and one of 256 x divisor
    // or more gives 255, so the sums are saturated to 0 .. clampLimit in 16
    // bits and divided there with clampMagic and clampShift (checked for
    // every value up to clampLimit).
    bool clampDivide = false;
    std::uint16_t clampLimit = 255;
    std::uint16_t clampMagic = 0;
    int clampShift = 0;
};

bool FindMagic(std::uint32_t divisor, std::int64_t maxAbs, std::uint16_t& magic, int& shift) {
    for (int sh = 0; sh < 16; ++sh) {
        const std::uint64_t m = ((std::uint64_t(1) << (16 + sh)) + divisor - 1) / divisor;
        if (m > 0xFFFF) break;
        bool exact = true;
        for (std::uint32_t a = 0; a <= std::uint32_t(maxAbs); ++a) {
            if (((a * m) >> (16 + sh)) != a / divisor) {
                exact = false;
                break;
            }
        }
        if (exact) {
            magic = std::uint16_t(m);
            shift = sh;
            return true;
        }
    }
    return false;
}

// Single-precision products near an integer quotient may fall just short
// of it; a nudge of 2^-12 toward larger magnitudes lifts them over, while
// staying below the gap of 1 / divisor that separates other quotients from
// the next integer. Checked for every sum up to maxAbs, both signs.
bool FindReciprocal(std::uint32_t divisor, std::int64_t maxAbs, float& reciprocal, float& nudge) {
    reciprocal = 1.0f / float(divisor);
    nudge = 1.0f / 4096.0f;
    for (std::int64_t a = 0; a <= maxAbs; ++a) {
        const float q = float(a) * reciprocal + nudge; // what the loop computes, sign aside
        if (std::int64_t(q) != a / std::int64_t(divisor)) return false;
    }
    return true;
}

// The smallest multiplier m >= 2 for which every weight splits into
// m x high + low (high the weight divided by m, rounded) with both the high
// and the low sums within 16 bits.
bool FindSplit(TPlan& p) {
    for (std::int32_t m = 2; m <= 32767; ++m) {
        std::int64_t highs = 0, lows = 0;
        for (const TGroup& g : p.groups) {
            const std::int64_t h = std::llround(double(g.weight) / m);
            highs += g.count * std::llabs(h);
            lows += g.count * std::llabs(g.weight - m * h);
        }
        if (255 * highs > 32767 || 255 * lows > 32767) continue;
        p.multiplier = m;
        for (TGroup& g : p.groups) {
            g.high = std::int32_t(std::llround(double(g.weight) / m));
            g.low = g.weight - m * g.high;
        }
        return true;
    }
    return false;
}

TPlan MakePlan(const std::int32_t* weights, int size, std::uint32_t divisor, std::int32_t bias,
               bool separate = true);

// The column and row factors of a kernel of rank one with integer factors
// (the row reduced by the gcd of its weights); false for any other kernel.
bool SplitSeparable(const std::int32_t* k, int size, std::vector<std::int32_t>& column,
                    std::vector<std::int32_t>& row) {
    int j0 = -1;
    for (int j = 0; j < size && j0 < 0; ++j)
        for (int i = 0; i < size; ++i)
            if (k[j * size + i] != 0) j0 = j;
    if (j0 < 0) return false;
    std::int64_t g = 0;
    for (int i = 0; i < size; ++i) g = std::gcd(g, std::int64_t(k[j0 * size + i]));
    row.assign(std::size_t(size), 0);
    int i0 = -1;
    for (int i = 0; i < size; ++i) {
        row[std::size_t(i)] = std::int32_t(k[j0 * size + i] / g);
        if (i0 < 0 && row[std::size_t(i)] != 0) i0 = i;
    }
    column.assign(std::size_t(size), 0);
    for (int j = 0; j < size; ++j) {
        if (k[j * size + i0] % row[std::size_t(i0)] != 0) return false;
        column[std::size_t(j)] = k[j * size + i0] / row[std::size_t(i0)];
        for (int i = 0; i < size; ++i)
            if (std::int64_t(k[j * size + i]) != std::int64_t(column[std::size_t(j)]) * row[std::size_t(i)]) return false;
    }
    return true;
}

TPlan MakePlan(const std::int32_t* weights, int size, std::uint32_t divisor, std::int32_t bias, bool separate) {
    TPlan p;
    p.radius = size / 2;
    p.divisor = divisor;
    p.bias = bias;
    // Group the non-zero weights by value, in order of first appearance.
    std::vector<std::int32_t> values;
    for (int k = 0; k < size * size; ++k)
        if (weights[k] != 0 && std::find(values.begin(), values.end(), weights[k]) == values.end())
            values.push_back(weights[k]);
    std::int64_t sumAbs = 0;
    for (std::int32_t w : values) {
        TGroup g{w, int(p.taps.size()), 0};
        for (int k = 0; k < size * size; ++k) {
            if (weights[k] != w) continue;
            p.taps.push_back({k % size - p.radius, k / size});
            ++g.count;
            sumAbs += std::llabs(std::int64_t(w));
        }
        p.groups.push_back(g);
    }
    const std::int64_t maxAbs = 255 * sumAbs;
    if (maxAbs <= 32767 && (divisor == 1 || FindMagic(divisor, maxAbs, p.magic, p.shift)))
        p.loop = TLoop::Simd16;
    else if (maxAbs < (std::int64_t(1) << 24) && FindSplit(p)) {
        p.loop = TLoop::Split16; // float division of such sums truncates exactly
        p.reciprocalExact = divisor != 1 && FindReciprocal(divisor, maxAbs, p.reciprocal, p.nudge);
        // Every sum from 256 x divisor up gives 255, so the range to divide
        // must fit 16 bits: divisors up to 256.
        const std::int64_t limit = 256 * std::int64_t(divisor) - 1;
        if (bias == 0 && limit <= 65535) {
            p.clampLimit = std::uint16_t(limit);
            p.clampDivide = divisor == 1 || FindMagic(divisor, limit, p.clampMagic, p.clampShift);
        }
    } else {
        p.loop = TLoop::Scalar;
    }
    // Separable 16-bit kernels: the vertical sum fits 16 bits as well, since
    // its bound times that of the row is the bound of the whole kernel.
    std::vector<std::int32_t> column, row;
    auto nonZero = [](const std::vector<std::int32_t>& v) {
        return int(std::count_if(v.begin(), v.end(), [](std::int32_t c) { return c != 0; }));
    };
    // The vertical pass costs about as much as four taps (it writes a row and
    // the horizontal pass reads it again): worth it only when it saves more,
    // as for Soften (5x5); not for the 3x3 Gaussian, Sobel and Prewit.
    if (separate && p.loop == TLoop::Simd16 && SplitSeparable(weights, size, column, row) && nonZero(column) > 1 &&
        nonZero(column) + nonZero(row) + 4 < int(p.taps.size())) {
        std::vector<std::int32_t> rowKernel(std::size_t(size) * std::size_t(size), 0);
        std::copy(row.begin(), row.end(), rowKernel.begin() + std::ptrdiff_t(size / 2) * size);
        TPlan h = MakePlan(rowKernel.data(), size, divisor, bias, false);
        if (h.loop == TLoop::Simd16) {
            for (TTap& t : h.taps) t.row = 0; // the taps read the vertical sum
            // Its sums are those of the whole kernel: divide as checked for them.
            h.magic = p.magic;
            h.shift = p.shift;
            p.column = column;
            p.horizontal.push_back(std::move(h));
        }
    }
    return p;
}

inline std::uint32_t ClampLevel(std::int64_t v) { return std::uint32_t(v < 0 ? 0 : (v > 255 ? 255 : v)); }

// The source rows of the row loops come in one of two forms:
// - TPixelRows: copies of the 32-bit pixels (the portable loop);
// - TWideRows: every channel widened to 16 bits, blue, green, red, alpha
//   per pixel (the AVX2 loop, whose taps are then plain loads and adds).
struct TPixelRows {
    using Element = TColor32;
    static constexpr int PerPixel = 1;
    static void Convert(const TColor32* src, Element* dst, int w) {
        std::memcpy(dst, src, std::size_t(w) * sizeof(TColor32));
    }
    // Channel 0 blue, 1 green, 2 red.
    static std::int64_t Level(const Element* row, int x, int channel) { return (row[x] >> (8 * channel)) & 0xFF; }
};

struct TWideRows {
    using Element = std::int16_t;
    static constexpr int PerPixel = 4;
    static void Convert(const TColor32* src, Element* dst, int w);
    static std::int64_t Level(const Element* row, int x, int channel) { return row[4 * x + channel]; }
};

// Output pixels x0 .. x1 - 1 of one row; rows[k] is source row y - r + k.
template <class Rows>
void ConvolveRowScalar(const TPlan& p, const typename Rows::Element* const* rows, TColor32* out, int x0, int x1) {
    const std::int64_t div = p.divisor;
    for (int x = x0; x < x1; ++x) {
        std::int64_t sum[3] = {0, 0, 0};
        for (const TGroup& g : p.groups) {
            std::int64_t gs[3] = {0, 0, 0};
            for (int k = g.first; k < g.first + g.count; ++k) {
                const TTap& t = p.taps[std::size_t(k)];
                for (int c = 0; c < 3; ++c) gs[c] += Rows::Level(rows[t.row], x + t.dx, c);
            }
            for (int c = 0; c < 3; ++c) sum[c] += g.weight * gs[c];
        }
        // Integer division truncates toward zero; the bias comes after it.
        out[x] = 0xFF000000u | (ClampLevel(sum[2] / div + p.bias) << 16) | (ClampLevel(sum[1] / div + p.bias) << 8) |
                 ClampLevel(sum[0] / div + p.bias);
    }
}

#ifdef IVRA_HAVE_X86

__attribute__((target("avx2"))) void WidenAvx2(const TColor32* src, std::int16_t* dst, int w) {
    int x = 0;
    for (; x + 4 <= w; x += 4)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 4 * x),
                            _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x))));
    for (; x < w; ++x)
        for (int c = 0; c < 4; ++c) dst[4 * x + c] = std::int16_t((src[x] >> (8 * c)) & 0xFF);
}

void TWideRows::Convert(const TColor32* src, Element* dst, int w) { WidenAvx2(src, dst, w); }

// The results of pixels x .. x + 3 (lo) and x + 4 .. x + 7 (hi) back to
// bytes: clamped to 0..255, alpha 255.
__attribute__((target("avx2"))) inline void StoreResult(TColor32* out, __m256i lo16, __m256i hi16, std::int32_t bias) {
    if (bias != 0) {
        const __m256i b = _mm256_set1_epi16(std::int16_t(bias));
        lo16 = _mm256_adds_epi16(lo16, b);
        hi16 = _mm256_adds_epi16(hi16, b);
    }
    // The in-lane pack leaves the pixels in the order 0 1 4 5 2 3 6 7.
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(lo16, hi16), 0xD8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_or_si256(packed, _mm256_set1_epi32(int(0xFF000000u))));
}

// Sixteen 16-bit levels (four pixels) at p.
__attribute__((target("avx2"))) inline __m256i Load16(const std::int16_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// |sum| <= 32767 divided by the divisor: the magnitude by the magic
// multiplier, then the sign given back (truncation toward zero).
__attribute__((target("avx2"))) inline __m256i Divide16(__m256i v, __m256i magic, __m128i shift) {
    return _mm256_sign_epi16(_mm256_srl_epi16(_mm256_mulhi_epu16(_mm256_abs_epi16(v), magic), shift), v);
}

// From widened rows: each tap is a load of sixteen 16-bit levels and an
// add. The taps' row pointers (shifted by their column offsets) are set up
// once per row.
__attribute__((target("avx2"))) void ConvolveRowAvx2(const TPlan& p, const std::int16_t* const* rows, TColor32* out,
                                                     int x0, int x1) {
    const __m256i zero = _mm256_setzero_si256();
    const int groupCount = int(p.groups.size());
    const std::int16_t* tap[25];
    for (std::size_t k = 0; k < p.taps.size(); ++k) tap[k] = rows[p.taps[k].row] + 4 * p.taps[k].dx;
    const __m256i magic = _mm256_set1_epi16(std::int16_t(p.magic));
    const __m128i shift = _mm_cvtsi32_si128(p.shift);
    const bool split = p.loop == TLoop::Split16;
    const __m256i multiplier = _mm256_set1_epi32(int(std::uint32_t(1) | (std::uint32_t(p.multiplier) << 16)));
    const __m256 rcp = _mm256_set1_ps(p.reciprocal), nudge = _mm256_set1_ps(p.nudge);
    const __m256 divisor = _mm256_set1_ps(float(p.divisor)), signBit = _mm256_set1_ps(-0.0f);
    const __m256i clampLimit = _mm256_set1_epi16(std::int16_t(p.clampLimit));
    const __m256i clampMagic = _mm256_set1_epi16(std::int16_t(p.clampMagic));
    const __m128i clampShift = _mm_cvtsi32_si128(p.clampShift);
    int x = x0;
    // Sixteen pixels at a time: sums[j] holds the 16-bit sums of pixels
    // x + 4j .. x + 4j + 3, four channels each. A block's neighbourhood
    // reaches its last pixel + r, which must stay below width = x1 + r.
    for (; x + 16 <= x1; x += 16) {
        __m256i tot[4] = {zero, zero, zero, zero}; // Simd16: the sums; Split16: H
        __m256i low[4] = {zero, zero, zero, zero}; // Split16: L
        for (int gi = 0; gi < groupCount; ++gi) {
            const TGroup& g = p.groups[std::size_t(gi)];
            __m256i a[4] = {zero, zero, zero, zero};
            for (int k = g.first; k < g.first + g.count; ++k) {
                const std::int16_t* src = tap[k] + 4 * x;
                for (int j = 0; j < 4; ++j) a[j] = _mm256_add_epi16(a[j], Load16(src + 16 * j));
            }
            const std::int32_t w = split ? g.high : g.weight;
            if (w == 1) {
                for (int j = 0; j < 4; ++j) tot[j] = _mm256_add_epi16(tot[j], a[j]);
            } else if (w == -1) {
                for (int j = 0; j < 4; ++j) tot[j] = _mm256_sub_epi16(tot[j], a[j]);
            } else if (w != 0) {
                const __m256i wv = _mm256_set1_epi16(std::int16_t(w));
                for (int j = 0; j < 4; ++j) tot[j] = _mm256_add_epi16(tot[j], _mm256_mullo_epi16(a[j], wv));
            }
            if (split && g.low != 0) {
                const __m256i lv = _mm256_set1_epi16(std::int16_t(g.low));
                for (int j = 0; j < 4; ++j) low[j] = _mm256_add_epi16(low[j], _mm256_mullo_epi16(a[j], lv));
            }
        }
        if (split) {
            for (int j = 0; j < 4; ++j) {
                // L + multiplier x H in 32 bits, divided, and back to 16 bits
                // in the same order (saturating, which keeps the clamping right).
                __m256i s32[2] = {_mm256_madd_epi16(_mm256_unpacklo_epi16(low[j], tot[j]), multiplier),
                                  _mm256_madd_epi16(_mm256_unpackhi_epi16(low[j], tot[j]), multiplier)};
                if (p.clampDivide) {
                    const __m256i u = _mm256_min_epu16(_mm256_packus_epi32(s32[0], s32[1]), clampLimit);
                    tot[j] = p.divisor == 1 ? u : _mm256_srl_epi16(_mm256_mulhi_epu16(u, clampMagic), clampShift);
                    continue;
                }
                for (auto& v : s32) {
                    if (p.reciprocalExact) {
                        // |sum| < 2^24; see FindReciprocal.
                        const __m256 f = _mm256_cvtepi32_ps(v);
                        const __m256 n = _mm256_or_ps(nudge, _mm256_and_ps(f, signBit)); // the nudge with the sum's sign
                        v = _mm256_cvttps_epi32(_mm256_add_ps(_mm256_mul_ps(f, rcp), n));
                    } else if (p.divisor != 1) {
                        // |sum| < 2^24: the quotient rounded to single
                        // precision never crosses an integer, so truncating
                        // it is exact.
                        v = _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(v), divisor));
                    }
                }
                tot[j] = _mm256_packs_epi32(s32[0], s32[1]);
            }
        } else if (p.divisor != 1) {
            for (auto& v : tot) v = Divide16(v, magic, shift);
        }
        StoreResult(out + x, tot[0], tot[1], p.bias);
        StoreResult(out + x + 8, tot[2], tot[3], p.bias);
    }
    if (x < x1) ConvolveRowScalar<TWideRows>(p, rows, out, x, x1);
}

// The vertical sum of a separable kernel: sum[i] = sum of column[j] x
// rows[j][i] over the window rows, for every 16-bit element of a row.
__attribute__((target("avx2"))) void VerticalSumAvx2(const std::vector<std::int32_t>& column,
                                                     const std::int16_t* const* rows, std::int16_t* sum,
                                                     int elements) {
    int i = 0;
    for (; i + 16 <= elements; i += 16) {
        __m256i acc = _mm256_setzero_si256();
        for (std::size_t j = 0; j < column.size(); ++j) {
            const std::int32_t c = column[j];
            if (c == 0) continue;
            const __m256i v = Load16(rows[j] + i);
            if (c == 1)
                acc = _mm256_add_epi16(acc, v);
            else if (c == -1)
                acc = _mm256_sub_epi16(acc, v);
            else
                acc = _mm256_add_epi16(acc, _mm256_mullo_epi16(v, _mm256_set1_epi16(std::int16_t(c))));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(sum + i), acc);
    }
    for (; i < elements; ++i) {
        std::int32_t acc = 0;
        for (std::size_t j = 0; j < column.size(); ++j) acc += column[j] * rows[j][i];
        sum[i] = std::int16_t(acc);
    }
}

// One output row with the vector loop; a separable kernel goes through the
// vertical sum in scratch (one widened row).
void ConvolveRowVector(const TPlan& p, const std::int16_t* const* rows, TColor32* out, int x0, int x1,
                       std::int16_t* scratch, int width) {
    if (p.horizontal.empty()) {
        ConvolveRowAvx2(p, rows, out, x0, x1);
        return;
    }
    VerticalSumAvx2(p.column, rows, scratch, 4 * width);
    const std::int16_t* sumRow[1] = {scratch};
    ConvolveRowAvx2(p.horizontal[0], sumRow, out, x0, x1);
}

#endif

// Filters the interior of bmp in place. Output rows r .. H - r - 1 are split
// into bands. Every output row is computed from a ring of 2r + 1 source
// rows in the loop's own form, each converted once when it enters the
// window, so the output can overwrite the bitmap at once. The r source rows
// on each side of a band boundary are copied before any band starts,
// because the neighbouring band overwrites them.
template <class Rows, class RowLoop>
void RunConvolution(const TPlan& p, const TBitmap32& src, TBitmap32& dst, RowLoop rowLoop) {
    const bool inPlace = &src == &dst;
    const int w = src.Width(), h = src.Height(), r = p.radius;
    const int outRows = h - 2 * r;
    const std::size_t minRows = std::max<std::size_t>(1, (std::size_t(1) << 17) / std::size_t(w));
    const int bands = BandCount(std::size_t(outRows), minRows);
    auto bandStart = [&](int b) { return r + int(std::int64_t(outRows) * b / bands); };
    const std::size_t rowPixels = std::size_t(w);

    // In place, boundary b (1 .. bands - 1) keeps rows [start(b) - r,
    // start(b) + r); written apart, the source stays as it is.
    std::vector<TColor32> halo(inPlace ? std::size_t(bands - 1) * 2 * std::size_t(r) * rowPixels : 0);
    auto haloRow = [&](int b, int k) { return halo.data() + ((std::size_t(b - 1) * 2 * r) + std::size_t(k)) * rowPixels; };
    if (inPlace)
        for (int b = 1; b < bands; ++b)
            for (int k = 0; k < 2 * r; ++k)
                std::memcpy(haloRow(b, k), src.ScanLine(bandStart(b) - r + k), rowPixels * sizeof(TColor32));

    RunBands(bands, [&](int b, int) {
        const int y0 = bandStart(b), y1 = bandStart(b + 1);
        // The source row yy as it was before any band wrote to the bitmap.
        auto original = [&](int yy) -> const TColor32* {
            if (inPlace && yy < y0 && b > 0) return haloRow(b, yy - (y0 - r));
            if (inPlace && yy >= y1 && b < bands - 1) return haloRow(b + 1, r + (yy - y1));
            return src.ScanLine(yy); // in this band and not yet written, a border row, or apart
        };
        const int slots = 2 * r + 1;
        const std::size_t slotSize = rowPixels * Rows::PerPixel;
        std::vector<typename Rows::Element> ring(std::size_t(slots) * slotSize);
        auto slot = [&](int yy) { return ring.data() + std::size_t((yy - (y0 - r)) % slots) * slotSize; };
        for (int yy = y0 - r; yy < y0 + r; ++yy) Rows::Convert(original(yy), slot(yy), w);
        std::vector<typename Rows::Element> scratch(slotSize);
        const typename Rows::Element* window[5];
        for (int y = y0; y < y1; ++y) {
            Rows::Convert(original(y + r), slot(y + r), w);
            for (int k = 0; k <= 2 * r; ++k) window[k] = slot(y - r + k);
            TColor32* out = dst.ScanLine(y);
            if (!inPlace) {
                // The border columns keep their pixels.
                std::memcpy(out, src.ScanLine(y), std::size_t(r) * sizeof(TColor32));
                std::memcpy(out + (w - r), src.ScanLine(y) + (w - r), std::size_t(r) * sizeof(TColor32));
            }
            rowLoop(p, window, out, r, w - r, scratch.data(), w);
        }
    });
}

void Convolve(const TPlan& p, const TBitmap32& src, TBitmap32& dst) {
    const bool inPlace = &src == &dst;
    const bool tooSmall = src.Empty() || src.Width() < 2 * p.radius + 1 || src.Height() < 2 * p.radius + 1;
    if (!inPlace) {
        dst.SetSize(src.Width(), src.Height());
        // Apart, the border rows (or all of a bitmap too small to filter)
        // keep their pixels.
        const int rows = tooSmall ? src.Height() : p.radius;
        const std::size_t rowBytes = std::size_t(src.Width()) * sizeof(TColor32);
        for (int y = 0; y < rows; ++y) std::memcpy(dst.ScanLine(y), src.ScanLine(y), rowBytes);
        if (!tooSmall)
            for (int y = src.Height() - p.radius; y < src.Height(); ++y)
                std::memcpy(dst.ScanLine(y), src.ScanLine(y), rowBytes);
    }
    if (tooSmall) {
        if (!inPlace) dst.Changed();
        return;
    }
#ifdef IVRA_HAVE_X86
    if (p.loop != TLoop::Scalar && UseAvx2())
        RunConvolution<TWideRows>(p, src, dst, ConvolveRowVector);
    else
#endif
        RunConvolution<TPixelRows>(p, src, dst, [](const TPlan& plan, const TColor32* const* rows, TColor32* out,
                                                   int x0, int x1, TColor32*, int) {
            ConvolveRowScalar<TPixelRows>(plan, rows, out, x0, x1);
        });
    dst.Changed();
}

} // namespace

void Convolve3x3(const TKernel3x3& kernel, std::uint16_t divisor, std::uint8_t bias, TBitmap32& bitmap) {
    Convolve3x3(kernel, divisor, bias, bitmap, bitmap);
}

void Convolve3x3(const TKernel3x3& kernel, std::uint16_t divisor, std::uint8_t bias, const TBitmap32& source,
                 TBitmap32& destination) {
    if (divisor == 0) throw Error("The divisor of a filter kernel cannot be 0");
    Convolve(MakePlan(kernel.data(), 3, divisor, bias), source, destination);
}

void Convolve5x5(const TKernel5x5& kernel, std::uint16_t divisor, TBitmap32& bitmap) {
    Convolve5x5(kernel, divisor, bitmap, bitmap);
}

void Convolve5x5(const TKernel5x5& kernel, std::uint16_t divisor, const TBitmap32& source, TBitmap32& destination) {
    if (divisor == 0) throw Error("The divisor of a filter kernel cannot be 0");
    Convolve(MakePlan(kernel.data(), 5, divisor, 0), source, destination);
}

} // namespace ivra
