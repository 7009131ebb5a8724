#include "engine/Polygon32.h"

#include "engine/Drawing.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace ivra {

void TPolygon32::Clear() {
    points_.clear();
    points_.emplace_back();
}

void TPolygon32::NewLine() {
    if (!points_.back().empty()) points_.emplace_back();
}

std::size_t TPolygon32::PointCount() const {
    std::size_t n = 0;
    for (const TLine& l : points_) n += l.size();
    return n;
}

TPolygon32::TLine TPolygon32::AllPoints() const {
    TLine all;
    all.reserve(PointCount());
    for (const TLine& l : points_) all.insert(all.end(), l.begin(), l.end());
    return all;
}

void TPolygon32::Offset(TFixed dx, TFixed dy) {
    for (TLine& l : points_)
        for (TFixedPoint& p : l) {
            p.X += dx;
            p.Y += dy;
        }
}

TFloatRect TPolygon32::GetBoundingRect() const {
    bool any = false;
    double l = 0, t = 0, r = 0, b = 0;
    for (const TLine& line : points_)
        for (const TFixedPoint& p : line) {
            const double x = FixedToFloat(p.X), y = FixedToFloat(p.Y);
            if (!any) {
                l = r = x;
                t = b = y;
                any = true;
            } else {
                l = std::min(l, x), r = std::max(r, x);
                t = std::min(t, y), b = std::max(b, y);
            }
        }
    return {float(l), float(t), float(r), float(b)};
}

namespace {

QPainterPath PathOf(const std::vector<TPolygon32::TLine>& lines, bool closed, Qt::FillRule rule) {
    QPainterPath path;
    path.setFillRule(rule);
    for (const auto& line : lines) {
        if (line.empty()) continue;
        // Pixel centres lie at +0.5: a vertex at (x, y) names the pixel's
        // top-left corner for fills and the pixel itself for outlines.
        path.moveTo(FixedToFloat(line[0].X), FixedToFloat(line[0].Y));
        for (std::size_t i = 1; i < line.size(); ++i) path.lineTo(FixedToFloat(line[i].X), FixedToFloat(line[i].Y));
        if (closed) path.closeSubpath();
    }
    return path;
}

} // namespace

void TPolygon32::DrawEdge(TBitmap32& bmp, TColor32 color) const {
    if (bmp.Empty()) return;
    if (Antialiased) {
        QImage img = BitmapImage(bmp);
        {
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing, true);
            QPen pen(QColor::fromRgba(color));
            pen.setWidthF(1.0);
            pen.setJoinStyle(Qt::MiterJoin);
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            QPainterPath path = PathOf(points_, Closed, Qt::OddEvenFill);
            p.translate(0.5, 0.5);
            p.drawPath(path);
        }
        bmp.Changed();
        return;
    }
    // Aliased: the line walker of the plain lines, each pixel once.
    bmp.BeginUpdate();
    for (const TLine& line : points_) {
        if (line.empty()) continue;
        auto fx = [](TFixed v) { return float(FixedToFloat(v)); };
        if (line.size() == 1) {
            LineFT(bmp, fx(line[0].X), fx(line[0].Y), fx(line[0].X), fx(line[0].Y), color, true);
            continue;
        }
        for (std::size_t i = 0; i + 1 < line.size(); ++i)
            LineFT(bmp, fx(line[i].X), fx(line[i].Y), fx(line[i + 1].X), fx(line[i + 1].Y), color, false);
        const TFixedPoint& last = line.back();
        if (Closed)
            LineFT(bmp, fx(last.X), fx(last.Y), fx(line[0].X), fx(line[0].Y), color, false);
        else
            LineFT(bmp, fx(last.X), fx(last.Y), fx(last.X), fx(last.Y), color, true);
    }
    bmp.EndUpdate();
    bmp.Changed();
}

void TPolygon32::DrawFill(TBitmap32& bmp, TColor32 color) const {
    if (bmp.Empty() || PointCount() < 3) return;
    QImage img = BitmapImage(bmp);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, Antialiased);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor::fromRgba(color));
        p.drawPath(PathOf(points_, true, FillMode == TPolyFillMode::pfWinding ? Qt::WindingFill : Qt::OddEvenFill));
    }
    bmp.Changed();
}

void TPolygon32::Draw(TBitmap32& bmp, TColor32 outlineColor, TColor32 fillColor) const {
    bmp.BeginUpdate();
    DrawFill(bmp, fillColor);
    DrawEdge(bmp, outlineColor);
    bmp.EndUpdate();
    bmp.Changed();
}

namespace {

struct Vec {
    double x, y;
};

// Offsets one closed contour to the left of its direction of travel.
TPolygon32::TLine GrowContour(const TPolygon32::TLine& in, double d, double sharpness) {
    std::vector<Vec> pts;
    pts.reserve(in.size());
    for (const TFixedPoint& p : in) {
        const Vec v{FixedToFloat(p.X), FixedToFloat(p.Y)};
        if (pts.empty() || pts.back().x != v.x || pts.back().y != v.y) pts.push_back(v);
    }
    while (pts.size() > 1 && pts.back().x == pts.front().x && pts.back().y == pts.front().y) pts.pop_back();
    const std::size_t n = pts.size();
    if (n < 2) return in;

    // Unit normal of edge i (from point i to i+1), to the left of travel on a
    // y-down screen.
    std::vector<Vec> normals(n);
    for (std::size_t i = 0; i < n; ++i) {
        const Vec& a = pts[i];
        const Vec& b = pts[(i + 1) % n];
        const double ex = b.x - a.x, ey = b.y - a.y;
        const double len = std::hypot(ex, ey);
        normals[i] = {ey / len, -ex / len};
    }
    std::vector<Vec> out;
    out.reserve(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        const Vec& na = normals[(i + n - 1) % n];
        const Vec& nb = normals[i];
        const Vec& p = pts[i];
        const double c = na.x * nb.x + na.y * nb.y;
        if (c >= -sharpness) {
            const double f = d / (1.0 + c);
            out.push_back({p.x + (na.x + nb.x) * f, p.y + (na.y + nb.y) * f});
        } else {
            out.push_back({p.x + na.x * d, p.y + na.y * d});
            out.push_back({p.x + nb.x * d, p.y + nb.y * d});
        }
    }
    // A contour offset beyond its own size (a hole smaller than the offset)
    // turns inside out: its edges then run, in sum, against the original
    // ones. It has collapsed and is removed, so that the hole closes.
    if (d != 0.0) {
        // Compare the offset contour with the original through their signed
        // areas' edge directions: each original edge against the offset edge
        // between the points made for its two end vertices.
        double sum = 0.0;
        std::size_t k = 0;
        std::vector<std::size_t> firstOut(n), lastOut(n);
        for (std::size_t i = 0; i < n; ++i) {
            const Vec& na = normals[(i + n - 1) % n];
            const Vec& nb = normals[i];
            const double c = na.x * nb.x + na.y * nb.y;
            firstOut[i] = k;
            k += c >= -sharpness ? 1 : 2;
            lastOut[i] = k - 1;
        }
        for (std::size_t i = 0; i < n; ++i) {
            const Vec& a = pts[i];
            const Vec& b = pts[(i + 1) % n];
            const Vec& oa = out[lastOut[i]];
            const Vec& ob = out[firstOut[(i + 1) % n]];
            sum += (b.x - a.x) * (ob.x - oa.x) + (b.y - a.y) * (ob.y - oa.y);
        }
        if (sum < 0.0) return {};
    }
    TPolygon32::TLine result;
    result.reserve(out.size());
    for (const Vec& v : out) result.push_back({Fixed(v.x), Fixed(v.y)});
    return result;
}

} // namespace

void TPolygon32::Grow(TFixed delta, float edgeSharpness) {
    double s = double(edgeSharpness);
    if (!(s >= 0.0)) s = 0.0;
    if (s > 0.99) s = 0.99;
    const double d = FixedToFloat(delta);
    std::vector<TLine> grown;
    for (const TLine& line : points_) {
        if (line.empty()) continue;
        TLine g = GrowContour(line, d, s);
        if (!g.empty()) grown.push_back(std::move(g));
    }
    points_ = std::move(grown);
    if (points_.empty()) points_.emplace_back();
}

TPolygon32 TPolygon32::Outline() const {
    TPolygon32 result;
    result.Antialiased = Antialiased;
    result.FillMode = FillMode;
    result.Closed = true;
    result.points_.clear();
    for (const TLine& line : points_) {
        if (line.empty()) continue;
        if (Closed) {
            result.points_.push_back(line);
            result.points_.emplace_back(line.rbegin(), line.rend());
        } else {
            TLine there(line);
            for (std::size_t i = line.size() - 1; i-- > 1;) there.push_back(line[i]);
            result.points_.push_back(std::move(there));
        }
    }
    if (result.points_.empty()) result.points_.emplace_back();
    return result;
}

} // namespace ivra
