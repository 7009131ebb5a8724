#include "core/analysis/RegionStats.h"

#include "core/Error.h"

#include <algorithm>
#include <cmath>

namespace ivra {

const char* RegionShapeName(TRegionShape::TKind kind) {
    switch (kind) {
    case TRegionShape::TKind::Polygon: return "polygon";
    case TRegionShape::TKind::Rectangle: return "rectangle";
    case TRegionShape::TKind::Ellipse: return "ellipse";
    case TRegionShape::TKind::Circle: return "circle";
    }
    return "";
}

std::string RegionLabel(const std::string& imageName, TRegionShape::TKind kind) {
    return imageName + " [" + RegionShapeName(kind) + "]";
}

namespace {

// Products of two coordinates' differences need up to 66 bits: the
// crossings are computed in 128 bits, so every 32-bit vertex is exact.
using TWide = __int128;

// ceil(p / q) for q > 0.
TWide CeilDiv(TWide p, TWide q) { return p >= 0 ? (p + q - 1) / q : -((-p) / q); }

void ClippedSpan(int y, std::int64_t x0, std::int64_t x1, int width,
                 const std::function<void(int, int, int)>& span) {
    x0 = std::max<std::int64_t>(x0, 0);
    x1 = std::min<std::int64_t>(x1, width);
    if (x0 < x1) span(y, int(x0), int(x1));
}

// The row's crossings at the pixel centres' height y + 0.5: vertices are
// whole numbers, so no vertex lies on that line and every edge either
// crosses it once or not at all. The crossing x = N / D is kept exact; the
// first pixel whose centre is at or right of it is ceil((2N - D) / 2D).
void PolygonSpans(const std::vector<TPoint>& v, int width, int height,
                  const std::function<void(int, int, int)>& span) {
    const std::size_t n = v.size();
    if (n < 3) return;
    std::int64_t top = v[0].Y, bottom = v[0].Y;
    for (const TPoint& p : v) {
        top = std::min<std::int64_t>(top, p.Y);
        bottom = std::max<std::int64_t>(bottom, p.Y);
    }
    const int y0 = int(std::max<std::int64_t>(top, 0));
    const int y1 = int(std::min<std::int64_t>(bottom, height));
    struct TCrossing {
        std::int64_t X;  // first pixel at or right of the crossing
        int Winding;
    };
    std::vector<TCrossing> row;
    for (int y = y0; y < y1; ++y) {
        row.clear();
        const std::int64_t yc2 = 2 * std::int64_t(y) + 1;  // twice the centre line
        for (std::size_t i = 0; i < n; ++i) {
            const TPoint a = v[i], b = v[(i + 1) % n];
            const std::int64_t ay = a.Y, by = b.Y;
            if (ay == by) continue;
            if (!((2 * std::min(ay, by) < yc2) && (yc2 < 2 * std::max(ay, by)))) continue;
            const std::int64_t dy = by - ay, dx = std::int64_t(b.X) - a.X;
            // x = a.X + (yc - ay) dx / dy = N / D with D = 2 dy.
            TWide N = 2 * TWide(a.X) * dy + TWide(yc2 - 2 * ay) * dx;
            TWide D = 2 * TWide(dy);
            if (D < 0) {
                N = -N;
                D = -D;
            }
            // The crossing lies between the edge's ends, so it fits 64 bits.
            row.push_back({std::int64_t(CeilDiv(2 * N - D, 2 * D)), dy > 0 ? 1 : -1});
        }
        std::sort(row.begin(), row.end(), [](const TCrossing& p, const TCrossing& q) { return p.X < q.X; });
        int winding = 0;
        std::int64_t start = 0;
        for (const TCrossing& c : row) {
            const int before = winding;
            winding += c.Winding;
            if (before == 0 && winding != 0) start = c.X;
            if (before != 0 && winding == 0) ClippedSpan(y, start, c.X, width, span);
        }
    }
}

void EllipseSpans(TPoint centre, double a, double b, int width, int height,
                  const std::function<void(int, int, int)>& span) {
    if (!(a > 0) || !(b > 0)) return;
    // The rows are bounded in double before they become integers: a radius
    // near the 32-bit range reaches beyond it.
    const int y0 = int(std::clamp(std::floor(double(centre.Y) - b) - 1, 0.0, double(height)));
    const int y1 = int(std::clamp(std::ceil(double(centre.Y) + b) + 1, 0.0, double(height)));
    for (int y = y0; y < y1; ++y) {
        const double dy = (y + 0.5 - centre.Y) / b;
        const double t = 1.0 - dy * dy;
        if (t <= 0) continue;
        const double half = a * std::sqrt(t);
        // Centres strictly inside: cx - half < x + 0.5 < cx + half.
        const double lo = centre.X - half - 0.5, hi = centre.X + half - 0.5;
        const double limit = double(width) + 1;
        ClippedSpan(y, std::int64_t(std::clamp(std::floor(lo) + 1, -1.0, limit)),
                    std::int64_t(std::clamp(std::ceil(hi), -1.0, limit)), width, span);
    }
}

} // namespace

void ForEachRegionSpan(const TRegionShape& shape, int width, int height,
                       const std::function<void(int y, int x0, int x1)>& span) {
    if (width <= 0 || height <= 0) return;
    switch (shape.Kind) {
    case TRegionShape::TKind::Polygon:
        PolygonSpans(shape.Points, width, height, span);
        break;
    case TRegionShape::TKind::Rectangle: {
        if (shape.Points.size() < 2) return;
        const TPoint p = shape.Points[0], q = shape.Points[1];
        const int y0 = std::max(0, std::min(p.Y, q.Y)), y1 = std::min(height, std::max(p.Y, q.Y));
        for (int y = y0; y < y1; ++y) ClippedSpan(y, std::min(p.X, q.X), std::max(p.X, q.X), width, span);
        break;
    }
    case TRegionShape::TKind::Ellipse:
    case TRegionShape::TKind::Circle:
        if (shape.Points.empty()) return;
        EllipseSpans(shape.Points[0], shape.RadiusX, shape.RadiusY, width, height, span);
        break;
    }
}

std::int64_t RegionPixelCount(const TRegionShape& shape, int width, int height) {
    std::int64_t n = 0;
    ForEachRegionSpan(shape, width, height, [&](int, int x0, int x1) { n += x1 - x0; });
    return n;
}

namespace {

template <std::size_t N>
void AddTable(std::array<std::uint32_t, N>& to, const std::array<std::uint32_t, N>& from) {
    for (std::size_t i = 0; i < N; ++i) to[i] += from[i];
}

void AddCounts(TChannelHistograms& sum, const TChannelHistograms& part) {
    AddTable(sum.Red, part.Red);
    AddTable(sum.Green, part.Green);
    AddTable(sum.Blue, part.Blue);
    AddTable(sum.Gray, part.Gray);
    AddTable(sum.Hue, part.Hue);
    AddTable(sum.Saturation, part.Saturation);
    AddTable(sum.Value, part.Value);
    sum.PixelCount += part.PixelCount;
}

} // namespace

void AnalyseRegion(const TBitmap32& bitmap, const TRegionShape& shape, const std::string& name,
                   TChannelHistograms& histograms) {
    // The region's pixels are gathered into a strip in pieces of at most
    // ChunkPixels and each piece is counted by the whole-image analysis, so
    // a region is counted exactly as the same pixels of an image would be.
    constexpr std::size_t ChunkPixels = std::size_t(1) << 22;
    TChannelHistograms result;
    result.ImageName = name;
    TBitmap32 strip;
    std::vector<TColor32> pending;
    const auto flush = [&] {
        if (pending.empty()) return;
        strip.SetSize(int(pending.size()), 1);
        std::copy(pending.begin(), pending.end(), strip.Bits());
        TChannelHistograms part;
        AnalyseImage(strip, name, part);
        AddCounts(result, part);
        pending.clear();
    };
    ForEachRegionSpan(shape, bitmap.Width(), bitmap.Height(), [&](int y, int x0, int x1) {
        const TColor32* row = bitmap.ScanLine(y);
        while (x0 < x1) {
            const int take = int(std::min<std::size_t>(std::size_t(x1 - x0), ChunkPixels - pending.size()));
            pending.insert(pending.end(), row + x0, row + x0 + take);
            x0 += take;
            if (pending.size() == ChunkPixels) flush();
        }
    });
    flush();
    histograms = std::move(result);
}

} // namespace ivra
