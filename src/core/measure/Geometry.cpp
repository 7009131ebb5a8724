#include "core/measure/Geometry.h"

#include "core/Error.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace ivra {

namespace {

std::uint64_t AbsDiff(std::int32_t a, std::int32_t b) {
    const std::int64_t d = std::int64_t(a) - std::int64_t(b);
    return std::uint64_t(d < 0 ? -d : d);
}

// The length of (dx, dy) given as exact integers.
long double Hypot(std::uint64_t dx, std::uint64_t dy) {
    const unsigned __int128 s = (unsigned __int128)dx * dx + (unsigned __int128)dy * dy;
    return std::sqrt((long double)s);
}

} // namespace

float Distance(TPoint p, TPoint q) {
    return float(Hypot(AbsDiff(p.X, q.X), AbsDiff(p.Y, q.Y)));
}

float PolylineLength(const std::vector<TFixedPoint>& v) {
    float sum = 0;
    for (std::size_t i = 0; i + 1 < v.size(); ++i) {
        // Differences on the fixed-point integers, scaled afterwards.
        const long double dx = (long double)(std::int64_t(v[i + 1].X) - v[i].X) / 65536.0L;
        const long double dy = (long double)(std::int64_t(v[i + 1].Y) - v[i].Y) / 65536.0L;
        sum = float(sum + std::sqrt(dx * dx + dy * dy));
    }
    return sum;
}

float PolygonArea(const std::vector<TFixedPoint>& v) {
    const std::size_t n = v.size();
    if (n < 3) return 0;
    // Twice the signed area in units of 2^-32 square pixels; each product is
    // below 2^63 and the sum of any realistic count of them fits in 128 bits.
    __int128 twice = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const TFixedPoint& p = v[i];
        const TFixedPoint& q = v[(i + 1) % n];
        twice += (__int128)p.X * q.Y - (__int128)q.X * p.Y;
    }
    if (twice < 0) twice = -twice;
    return float((long double)twice / 2.0L / 4294967296.0L);
}

float PolylineLength(const std::vector<TPoint>& v) {
    float sum = 0;
    for (std::size_t i = 0; i + 1 < v.size(); ++i)
        sum = float(sum + Hypot(AbsDiff(v[i + 1].X, v[i].X), AbsDiff(v[i + 1].Y, v[i].Y)));
    return sum;
}

float PolygonArea(const std::vector<TPoint>& v) {
    const std::size_t n = v.size();
    if (n < 3) return 0;
    // Each product of two 32-bit coordinates fits 64 bits; the sum, 128.
    __int128 twice = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const TPoint& p = v[i];
        const TPoint& q = v[(i + 1) % n];
        twice += (__int128)std::int64_t(p.X) * q.Y - (__int128)std::int64_t(q.X) * p.Y;
    }
    if (twice < 0) twice = -twice;
    return float((long double)twice / 2.0L);
}

float AngleAtVertex(TPoint a, TPoint v, TPoint b) {
    const float ux = float(std::int64_t(a.X) - v.X), uy = float(std::int64_t(a.Y) - v.Y);
    const float wx = float(std::int64_t(b.X) - v.X), wy = float(std::int64_t(b.Y) - v.Y);
    const float lu = float(std::sqrt((long double)ux * ux + (long double)uy * uy));
    const float lw = float(std::sqrt((long double)wx * wx + (long double)wy * wy));
    if (lu == 0 || lw == 0) throw Error("Angle is undefined: two of its points coincide.");
    long double c = ((long double)ux * wx + (long double)uy * wy) / ((long double)lu * lw);
    // The arm lengths are stored as singles, so arms in the same or in the
    // opposite direction can give |c| a hair above 1; that is 0 or 180
    // degrees, not an undefined root.
    c = std::clamp(c, -1.0L, 1.0L);
    const long double angle = std::atan2(std::sqrt(1.0L - c * c), c);
    return float(angle / 6.283185307179586L * 360.0L);
}

TRectMeasure RectangleMeasure(TPoint p1, TPoint p2, float factor) {
    const long double a = (long double)AbsDiff(p2.X, p1.X);
    const long double b = (long double)AbsDiff(p2.Y, p1.Y);
    const long double f = factor;
    return {double(a * f), double(b * f), double(f * f * a * b)};
}

TEllipseMeasure EllipseMeasure(TPoint centre, TPoint point, float factor) {
    const long double a = (long double)AbsDiff(point.X, centre.X);
    const long double b = (long double)AbsDiff(point.Y, centre.Y);
    const long double f = factor;
    return {double(2 * a * f), double(2 * b * f), double(f * f * Pi * a * b)};
}

TCircleMeasure CircleMeasure(TPoint centre, TPoint point, float factor) {
    const long double r = (long double)std::max(AbsDiff(point.X, centre.X), AbsDiff(point.Y, centre.Y));
    const long double f = factor;
    return {double(r * f), double(r * PerimeterConstant * f), double(f * f * Pi * r * r)};
}

std::optional<TRect> FitRect(const TRect& s, const TRect& a) {
    const std::int64_t sw = std::int64_t(s.Right) - s.Left, sh = std::int64_t(s.Bottom) - s.Top;
    const std::int64_t aw = std::int64_t(a.Right) - a.Left, ah = std::int64_t(a.Bottom) - a.Top;
    if (sw == 0 || sh == 0) return std::nullopt;
    // Products of 32-bit sizes are exact in long double's 64-bit mantissa.
    TRect t;
    if (double(aw) / double(ah) >= double(sw) / double(sh)) {
        // The area is as wide as the source or wider: the height fills it.
        const std::int64_t nw = std::llrint((long double)sw * ah / sh);
        t.Left = std::int32_t(a.Left + (aw - nw) / 2);
        t.Top = a.Top;
        t.Right = std::int32_t(t.Left + nw);
        t.Bottom = a.Bottom;
    } else {
        // The area is relatively taller: the width fills it.
        const std::int64_t nh = std::llrint((long double)sh * aw / sw);
        t.Left = a.Left;
        t.Top = std::int32_t(a.Top + (ah - nh) / 2);
        t.Right = a.Right;
        t.Bottom = std::int32_t(t.Top + nh);
    }
    return t;
}

} // namespace ivra
