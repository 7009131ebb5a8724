#include "engine/GridLayer.h"

#include "engine/ImgView32.h"

#include <algorithm>
#include <cmath>

namespace ivra {

void TGridLayer::SetGridSize(std::int32_t size) {
    if (size == gridSize_) return;
    gridSize_ = size;
    PropertyChanged();
}

void TGridLayer::SetGridElements(std::uint32_t elements) {
    if (elements == gridElements_) return;
    gridElements_ = elements;
    PropertyChanged();
}

TFloatPoint TGridLayer::NativeSize() const {
    const TLayerCollection* owner = LayerCollection();
    if (!owner || !owner->View() || owner->ImageWidth() <= 0 || owner->ImageHeight() <= 0) return {1.0f, 1.0f};
    return {float(owner->ImageWidth()), float(owner->ImageHeight())};
}

void TGridLayer::Paint(TBitmap32& buffer) {
    if ((gridElements_ & geMainGrid) == 0) return;
    double s = double(gridSize_);
    if (Scaled()) s *= double(Mapping().Scale);
    PaintGridLines(buffer, GetAdjustedBounds(), s, GridColor);
}

namespace {

// One dotted line along a row or column: pixel `from + i` is blended for
// even i, clipped to [0, limit). Equal to a stippled line with the pattern
// (colour, transparent), step 1, counter reset at the line's start.
template <class PixelAt>
void DottedLine(std::int64_t from, std::int64_t to, std::int64_t limit, TColor32 color, PixelAt&& at) {
    std::int64_t first = std::max<std::int64_t>(from, 0);
    if ((first - from) & 1) ++first;
    const std::int64_t last = std::min<std::int64_t>(to, limit - 1);
    if (AlphaComponent(color) == 255) {
        for (std::int64_t p = first; p <= last; p += 2) at(p) = color;
    } else {
        for (std::int64_t p = first; p <= last; p += 2) at(p) = BlendPixel(color, at(p), 255);
    }
}

} // namespace

void PaintGridLines(TBitmap32& buffer, const TFloatRect& b, double s, TColor32 color) {
    if (buffer.Empty() || !(s > 0.0) || AlphaComponent(color) == 0) return;
    while (s < 8.0) s *= 2.0;
    const TRect r = MakeRect(b, TRectRounding::rrClosest);
    const int w = buffer.Width(), h = buffer.Height();
    auto row = [&](std::int64_t y) {
        if (y < 0 || y >= h) return;
        TColor32* line = buffer.ScanLine(int(y));
        DottedLine(r.Left, r.Right, w, color, [line](std::int64_t x) -> TColor32& { return line[x]; });
    };
    auto column = [&](std::int64_t x) {
        if (x < 0 || x >= w) return;
        DottedLine(r.Top, r.Bottom, h, color, [&](std::int64_t y) -> TColor32& { return buffer.ScanLine(int(y))[x]; });
    };
    // Lines at bounds.top + k * s while within the bounds; those before the
    // buffer's first row or column are skipped in one step.
    auto lines = [](double origin, double end, double step, int size, auto&& draw) {
        std::int64_t k = 0;
        if (origin < -1.0) k = std::int64_t(std::floor((-1.0 - origin) / step));
        for (;; ++k) {
            const double v = origin + double(k) * step;
            if (!(v <= double(end)) || v > double(size) + 1.0) break;
            draw(std::int64_t(RoundHalfEven(v)));
        }
    };
    lines(double(b.Top), double(b.Bottom), s, h, row);
    row(r.Bottom);
    lines(double(b.Left), double(b.Right), s, w, column);
    column(r.Right);
    buffer.Changed();
}

} // namespace ivra
