#include "core/analysis/HistogramStretch.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace ivra {

TStretchCutoffs ProposeStretchCutoffs(const TChannelHistograms& h) {
    const long double n = h.PixelCount;
    const long double lowShare = n * 0.02L, highShare = n * 0.98L;
    int low = -1, high = -1;
    std::uint64_t running = 0;
    for (int i = 0; i < 256; ++i) {
        running += h.Gray[std::size_t(i)];
        if (low == -1 && (long double)(running) >= lowShare) low = i;
        if (high == -1 && (long double)(running) >= highShare) high = i;
    }
    if (high == -1) high = 255;
    if (low == -1) low = 0; // counts that hold fewer pixels than PixelCount
    return {low, high};
}

int CutoffToPixel(int level, int s, int w) {
    return int(std::nearbyintl((long double)(w) / 255.0L * (long double)(level) + (long double)(s)));
}

int PixelToCutoff(int x, int s, int w) {
    if (w == 0) return 0;
    return int(std::nearbyintl((long double)(std::int64_t(x - s) * 255) / (long double)(w)));
}

TStretchCutoffs DragCutoffs(TStretchCutoffs current, int x, int s, int w) {
    int pLow = CutoffToPixel(current.Low, s, w);
    int pHigh = CutoffToPixel(current.High, s, w);
    const bool inside = s < x && x < s + w;
    if (std::abs(x - pLow) < std::abs(x - pHigh)) {
        if (inside && x < pHigh - 5) pLow = x;
    } else {
        if (inside && x > pLow + 5) pHigh = x;
    }
    return {PixelToCutoff(pLow, s, w), PixelToCutoff(pHigh, s, w)};
}

} // namespace ivra
