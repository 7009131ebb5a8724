#include "engine/Drawing.h"
#include "core/raster/UpdateScope.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace ivra {

QImage BitmapImage(TBitmap32& bmp) {
    if (bmp.Empty()) return {};
    return QImage(reinterpret_cast<uchar*>(bmp.Bits()), bmp.Width(), bmp.Height(),
                  qsizetype(bmp.Width()) * 4, QImage::Format_ARGB32);
}

QImage BitmapImage(const TBitmap32& bmp) {
    if (bmp.Empty()) return {};
    // The const-data constructor: Qt copies on any attempt to write.
    return QImage(reinterpret_cast<const uchar*>(bmp.Bits()), bmp.Width(), bmp.Height(),
                  qsizetype(bmp.Width()) * 4, QImage::Format_ARGB32);
}

void AssignFromImage(TBitmap32& bmp, const QImage& img) {
    if (img.isNull()) {
        bmp.SetSize(0, 0);
        return;
    }
    const QImage src = img.format() == QImage::Format_ARGB32 ? img : img.convertToFormat(QImage::Format_ARGB32);
    {
        TUpdateScope update(bmp);
        bmp.SetSize(src.width(), src.height());
        for (int y = 0; y < src.height(); ++y)
            std::memcpy(bmp.ScanLine(y), src.constScanLine(y), std::size_t(src.width()) * 4);
    }
    bmp.Changed();
}

QImage ToImage(const TBitmap32& bmp) { return BitmapImage(bmp).copy(); }

namespace {

// The pixels of a part of the bitmap as an opaque image (alpha set to 255).
QImage OpaqueCopy(const TBitmap32& bmp, const TRect& r) {
    QImage img(r.Width(), r.Height(), QImage::Format_RGB32);
    for (int y = 0; y < r.Height(); ++y) {
        const TColor32* s = bmp.ScanLine(r.Top + y) + r.Left;
        auto* d = reinterpret_cast<TColor32*>(img.scanLine(y));
        for (int x = 0; x < r.Width(); ++x) d[x] = s[x] | 0xFF000000u;
    }
    return img;
}

} // namespace

void DrawToPainter(QPainter& painter, int x, int y, const TBitmap32& bmp) {
    if (bmp.Empty()) return;
    painter.drawImage(QPoint(x, y), OpaqueCopy(bmp, bmp.BoundsRect()));
}

void DrawToPainter(QPainter& painter, const TRect& dstRect, const TBitmap32& bmp, const TRect& srcRect) {
    if (bmp.Empty() || dstRect.IsEmpty()) return;
    const TRect s{std::max(srcRect.Left, 0), std::max(srcRect.Top, 0), std::min(srcRect.Right, bmp.Width()),
                  std::min(srcRect.Bottom, bmp.Height())};
    if (s.IsEmpty()) return;
    // The part of the destination that the clipped source covers.
    const double fx = double(dstRect.Width()) / srcRect.Width(), fy = double(dstRect.Height()) / srcRect.Height();
    const QRectF target(dstRect.Left + (s.Left - srcRect.Left) * fx, dstRect.Top + (s.Top - srcRect.Top) * fy,
                        s.Width() * fx, s.Height() * fy);
    painter.drawImage(target, OpaqueCopy(bmp, s));
}

// ---- Pen position ----------------------------------------------------------

void MoveTo(TBitmap32& bmp, int x, int y) {
    bmp.PenPos = {x, y};
    bmp.PenPosF = FixedPoint(x, y);
}

void MoveToF(TBitmap32& bmp, float x, float y) {
    bmp.PenPosF = FixedPoint(x, y);
    bmp.PenPos = {int(std::lrint(x)), int(std::lrint(y))};
}

namespace {

// Coordinates are limited to +-2^28 so that the line arithmetic below stays
// inside 64 bits; such lines lie far outside any bitmap anyway.
constexpr std::int64_t CoordLimit = std::int64_t(1) << 28;

std::int64_t ClampCoord(std::int64_t v) { return std::clamp(v, -CoordLimit, CoordLimit); }

std::int64_t RoundCoord(float v) {
    if (!std::isfinite(v)) return v > 0 ? CoordLimit : -CoordLimit;
    return ClampCoord(std::int64_t(std::llrint(double(v))));
}

// Walks the pixels of the line from (x1, y1) to (x2, y2): n = max(|dx|, |dy|)
// steps along the major axis, the minor coordinate rounded to the nearest
// (halves away from the start). The end pixel is step n, visited only when
// drawLast is set. For each step the visitor gets (x, y, inside) where inside
// tells whether the pixel lies in [0, w) x [0, h); steps far outside are
// skipped in one go and reported through skip(count), so that a stipple
// keeps its phase.
template <class Visit, class Skip>
void WalkLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, bool drawLast, int w,
              int h, Visit&& visit, Skip&& skip) {
    const std::int64_t dx = x2 - x1, dy = y2 - y1;
    const std::int64_t n = std::max(std::llabs(dx), std::llabs(dy));
    const std::int64_t last = drawLast ? n : n - 1;
    if (last < 0) return;
    if (n == 0) {
        visit(x1, y1, x1 >= 0 && y1 >= 0 && x1 < w && y1 < h);
        return;
    }
    // Visible step range from the continuous line with a margin of 2 steps;
    // every pixel in it is still checked exactly.
    double t0 = 0.0, t1 = double(last);
    auto clipAxis = [&](double p0, double d, double lo, double hi) {
        // p0 + d * t / n within [lo, hi]
        if (d == 0.0) {
            if (p0 < lo || p0 > hi) t0 = 1.0, t1 = 0.0;
            return;
        }
        double a = (lo - p0) * double(n) / d, b = (hi - p0) * double(n) / d;
        if (a > b) std::swap(a, b);
        t0 = std::max(t0, a);
        t1 = std::min(t1, b);
    };
    clipAxis(double(x1), double(dx), -2.0, double(w) + 1.0);
    clipAxis(double(y1), double(dy), -2.0, double(h) + 1.0);
    if (t0 > t1) {
        skip(last + 1);
        return;
    }
    std::int64_t s0 = std::max<std::int64_t>(0, std::int64_t(std::floor(t0)) - 2);
    std::int64_t s1 = std::min<std::int64_t>(last, std::int64_t(std::ceil(t1)) + 2);
    if (s0 > 0) skip(s0);
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const std::int64_t major0 = xMajor ? x1 : y1, minor0 = xMajor ? y1 : x1;
    const std::int64_t dMajor = xMajor ? dx : dy, dMinor = xMajor ? dy : dx;
    const std::int64_t sMajor = dMajor < 0 ? -1 : 1;
    const std::int64_t aMinor = std::llabs(dMinor), sMinor = dMinor < 0 ? -1 : 1;
    for (std::int64_t i = s0; i <= s1; ++i) {
        const std::int64_t ma = major0 + sMajor * i;
        const std::int64_t mi = minor0 + sMinor * ((2 * i * aMinor + n) / (2 * n));
        const std::int64_t x = xMajor ? ma : mi, y = xMajor ? mi : ma;
        visit(x, y, x >= 0 && y >= 0 && x < w && y < h);
    }
    if (s1 < last) skip(last - s1);
}

QColor ToQColor(TColor32 c) { return QColor::fromRgba(c); }

void PlainLine(TBitmap32& bmp, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, TColor32 c,
               bool drawLast, bool blend) {
    if (bmp.Empty()) return;
    WalkLine(
        x1, y1, x2, y2, drawLast, bmp.Width(), bmp.Height(),
        [&](std::int64_t x, std::int64_t y, bool inside) {
            if (!inside) return;
            TColor32& p = bmp.ScanLine(int(y))[x];
            p = blend ? BlendPixel(c, p, 255) : c;
        },
        [](std::int64_t) {});
    bmp.Changed();
}

TColor32 LerpColor(TColor32 a, TColor32 b, std::uint32_t w) {
    // w from 0 to 255: the weight of b.
    auto ch = [&](int shift) {
        const std::uint32_t ca = (a >> shift) & 255u, cb = (b >> shift) & 255u;
        return Div255Round(ca * (255u - w) + cb * w) << shift;
    };
    return ch(24) | ch(16) | ch(8) | ch(0);
}

} // namespace

void LineS(TBitmap32& bmp, int x1, int y1, int x2, int y2, TColor32 c, bool drawLast) {
    PlainLine(bmp, x1, y1, x2, y2, c, drawLast, false);
}

void LineTS(TBitmap32& bmp, int x1, int y1, int x2, int y2, TColor32 c, bool drawLast) {
    PlainLine(bmp, x1, y1, x2, y2, c, drawLast, true);
}

void LineF(TBitmap32& bmp, float x1, float y1, float x2, float y2, TColor32 c, bool drawLast) {
    PlainLine(bmp, RoundCoord(x1), RoundCoord(y1), RoundCoord(x2), RoundCoord(y2), c, drawLast, false);
}

void LineFT(TBitmap32& bmp, float x1, float y1, float x2, float y2, TColor32 c, bool drawLast) {
    PlainLine(bmp, RoundCoord(x1), RoundCoord(y1), RoundCoord(x2), RoundCoord(y2), c, drawLast, true);
}

void LineAS(TBitmap32& bmp, float x1, float y1, float x2, float y2, TColor32 c, bool) {
    if (bmp.Empty()) return;
    QImage img = BitmapImage(bmp);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, true);
        QPen pen(ToQColor(c));
        pen.setWidthF(1.0);
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        // Integer coordinates name pixels; their centres are at +0.5.
        p.drawLine(QPointF(x1 + 0.5, y1 + 0.5), QPointF(x2 + 0.5, y2 + 0.5));
    }
    bmp.Changed();
}

void LineToS(TBitmap32& bmp, int x, int y, TColor32 c) {
    LineS(bmp, bmp.PenPos.X, bmp.PenPos.Y, x, y, c);
    MoveTo(bmp, x, y);
}

void LineToF(TBitmap32& bmp, float x, float y, TColor32 c) {
    LineF(bmp, float(FixedToFloat(bmp.PenPosF.X)), float(FixedToFloat(bmp.PenPosF.Y)), x, y, c);
    MoveToF(bmp, x, y);
}

void LineToAS(TBitmap32& bmp, float x, float y, TColor32 c) {
    LineAS(bmp, float(FixedToFloat(bmp.PenPosF.X)), float(FixedToFloat(bmp.PenPosF.Y)), x, y, c);
    MoveToF(bmp, x, y);
}

// ---- Stipple ---------------------------------------------------------------

void SetStipple(TBitmap32& bmp, const std::vector<TColor32>& colors) { bmp.SetStipple(colors); }

void ResetStippleCounter(TBitmap32& bmp, float value) {
    bmp.StippleCounter = value;
    AdvanceStippleCounter(bmp, 0.0f);
}

TColor32 GetStippleColor(const TBitmap32& bmp) {
    const std::size_t n = bmp.StipplePattern.size();
    if (n == 0) return 0;
    float c = bmp.StippleCounter;
    if (!(c >= 0.0f && c < float(n))) c = 0.0f;
    const std::size_t i = std::min(std::size_t(c), n - 1);
    const float frac = c - float(i);
    const TColor32 a = bmp.StipplePattern[i];
    if (frac <= 0.0f) return a;
    const TColor32 b = bmp.StipplePattern[(i + 1) % n];
    return LerpColor(a, b, std::uint32_t(std::lrint(frac * 255.0f)));
}

namespace {

// Moves the counter on by an amount of pattern entries, wrapping at the
// pattern's length (worked in double so that long skips stay exact).
void AddToStippleCounter(TBitmap32& bmp, double amount) {
    const std::size_t n = bmp.StipplePattern.size();
    if (n == 0) {
        bmp.StippleCounter = 0.0f;
        return;
    }
    double c = double(bmp.StippleCounter) + amount;
    if (!std::isfinite(c)) c = 0.0;
    c = std::fmod(c, double(n));
    if (c < 0.0) c += double(n);
    float f = float(c);
    if (!(f >= 0.0f && f < float(n))) f = 0.0f;
    bmp.StippleCounter = f;
}

} // namespace

void AdvanceStippleCounter(TBitmap32& bmp, float pixels) {
    AddToStippleCounter(bmp, double(pixels) * double(bmp.StippleStep));
}

namespace {

// One stippled pixel: the pattern colour blended onto the pixel (when
// inside), then the counter moves on by the step.
inline void StipplePixel(TBitmap32& bmp, std::int64_t x, std::int64_t y, bool inside) {
    if (inside) {
        TColor32& p = bmp.ScanLine(int(y))[x];
        p = BlendPixel(GetStippleColor(bmp), p, 255);
    }
    AdvanceStippleCounter(bmp, 1.0f);
}

void StippleLine(TBitmap32& bmp, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                 bool drawLast) {
    if (bmp.StipplePattern.empty()) return;
    const int w = bmp.Empty() ? 0 : bmp.Width(), h = bmp.Empty() ? 0 : bmp.Height();
    WalkLine(
        x1, y1, x2, y2, drawLast, w, h,
        [&](std::int64_t x, std::int64_t y, bool inside) { StipplePixel(bmp, x, y, inside); },
        [&](std::int64_t count) { AddToStippleCounter(bmp, double(count) * double(bmp.StippleStep)); });
    bmp.Changed();
}

} // namespace

void LineFS(TBitmap32& bmp, float x1, float y1, float x2, float y2, bool drawLast) {
    StippleLine(bmp, RoundCoord(x1), RoundCoord(y1), RoundCoord(x2), RoundCoord(y2), drawLast);
}

void LineToFS(TBitmap32& bmp, float x, float y) {
    LineFS(bmp, float(FixedToFloat(bmp.PenPosF.X)), float(FixedToFloat(bmp.PenPosF.Y)), x, y);
    MoveToF(bmp, x, y);
}

void HorzLineTSP(TBitmap32& bmp, int x1, int y, int x2) {
    if (bmp.StipplePattern.empty()) return;
    const int step = x2 >= x1 ? 1 : -1;
    const std::int64_t count = std::int64_t(x2 - x1) * step + 1;
    const bool rowInside = !bmp.Empty() && y >= 0 && y < bmp.Height();
    if (!rowInside) {
        AddToStippleCounter(bmp, double(count) * double(bmp.StippleStep));
        return;
    }
    std::int64_t x = x1;
    for (std::int64_t i = 0; i < count; ++i, x += step) StipplePixel(bmp, x, y, x >= 0 && x < bmp.Width());
    bmp.Changed();
}

void VertLineTSP(TBitmap32& bmp, int x, int y1, int y2) {
    if (bmp.StipplePattern.empty()) return;
    const int step = y2 >= y1 ? 1 : -1;
    const std::int64_t count = std::int64_t(y2 - y1) * step + 1;
    const bool colInside = !bmp.Empty() && x >= 0 && x < bmp.Width();
    if (!colInside) {
        AddToStippleCounter(bmp, double(count) * double(bmp.StippleStep));
        return;
    }
    std::int64_t y = y1;
    for (std::int64_t i = 0; i < count; ++i, y += step) StipplePixel(bmp, x, y, y >= 0 && y < bmp.Height());
    bmp.Changed();
}

namespace {

void SpanH(TBitmap32& bmp, int x1, int y, int x2, TColor32 c, bool blend) {
    if (bmp.Empty() || y < 0 || y >= bmp.Height()) return;
    if (x1 > x2) std::swap(x1, x2);
    x1 = std::max(x1, 0);
    x2 = std::min(x2, bmp.Width() - 1);
    TColor32* row = bmp.ScanLine(y);
    for (int x = x1; x <= x2; ++x) row[x] = blend ? BlendPixel(c, row[x], 255) : c;
}

void SpanV(TBitmap32& bmp, int x, int y1, int y2, TColor32 c, bool blend) {
    if (bmp.Empty() || x < 0 || x >= bmp.Width()) return;
    if (y1 > y2) std::swap(y1, y2);
    y1 = std::max(y1, 0);
    y2 = std::min(y2, bmp.Height() - 1);
    for (int y = y1; y <= y2; ++y) {
        TColor32& p = bmp.ScanLine(y)[x];
        p = blend ? BlendPixel(c, p, 255) : c;
    }
}

} // namespace

void HorzLineS(TBitmap32& bmp, int x1, int y, int x2, TColor32 c) {
    SpanH(bmp, x1, y, x2, c, false);
    bmp.Changed();
}

void VertLineS(TBitmap32& bmp, int x, int y1, int y2, TColor32 c) {
    SpanV(bmp, x, y1, y2, c, false);
    bmp.Changed();
}

void HorzLineTS(TBitmap32& bmp, int x1, int y, int x2, TColor32 c) {
    SpanH(bmp, x1, y, x2, c, true);
    bmp.Changed();
}

void VertLineTS(TBitmap32& bmp, int x, int y1, int y2, TColor32 c) {
    SpanV(bmp, x, y1, y2, c, true);
    bmp.Changed();
}

// ---- Rectangles -------------------------------------------------------------

void FillRectS(TBitmap32& bmp, int x1, int y1, int x2, int y2, TColor32 c) {
    if (bmp.Empty()) return;
    x1 = std::max(x1, 0), y1 = std::max(y1, 0);
    x2 = std::min(x2, bmp.Width()), y2 = std::min(y2, bmp.Height());
    if (x1 >= x2 || y1 >= y2) return;
    for (int y = y1; y < y2; ++y) std::fill(bmp.ScanLine(y) + x1, bmp.ScanLine(y) + x2, c);
    bmp.Changed();
}

void FillRectTS(TBitmap32& bmp, int x1, int y1, int x2, int y2, TColor32 c) {
    if (bmp.Empty()) return;
    x1 = std::max(x1, 0), y1 = std::max(y1, 0);
    x2 = std::min(x2, bmp.Width()), y2 = std::min(y2, bmp.Height());
    if (x1 >= x2 || y1 >= y2) return;
    for (int y = y1; y < y2; ++y) {
        TColor32* row = bmp.ScanLine(y);
        for (int x = x1; x < x2; ++x) row[x] = BlendPixel(c, row[x], 255);
    }
    bmp.Changed();
}

void FrameRectTS(TBitmap32& bmp, int x1, int y1, int x2, int y2, TColor32 c) {
    if (x2 <= x1 || y2 <= y1) return;
    SpanH(bmp, x1, y1, x2 - 1, c, true);
    if (y2 - 1 > y1) SpanH(bmp, x1, y2 - 1, x2 - 1, c, true);
    if (y2 - 2 >= y1 + 1) {
        SpanV(bmp, x1, y1 + 1, y2 - 2, c, true);
        if (x2 - 1 > x1) SpanV(bmp, x2 - 1, y1 + 1, y2 - 2, c, true);
    }
    bmp.Changed();
}

void RaiseRectTS(TBitmap32& bmp, int x1, int y1, int x2, int y2, int contrast) {
    if (contrast == 0 || x2 <= x1 || y2 <= y1) return;
    const int c = contrast < 0 ? -contrast : contrast;
    const std::uint32_t lightAlpha = std::uint32_t(std::min(255, c * 512 / 100));
    const std::uint32_t darkAlpha = std::uint32_t(std::min(255, c * 255 / 100));
    const TColor32 white = 0x00FFFFFFu, black = 0x00000000u;
    const TColor32 light = (contrast > 0 ? white : black) | (lightAlpha << 24);
    const TColor32 dark = (contrast > 0 ? black : white) | (darkAlpha << 24);
    if (x2 - 2 >= x1) SpanH(bmp, x1, y1, x2 - 2, light, true);
    if (y2 - 2 >= y1 + 1) SpanV(bmp, x1, y1 + 1, y2 - 2, light, true);
    SpanH(bmp, x1, y2 - 1, x2 - 1, dark, true);
    if (y2 - 2 >= y1) SpanV(bmp, x2 - 1, y1, y2 - 2, dark, true);
    bmp.Changed();
}

// ---- Text ----------------------------------------------------------------

int TextWidth(const QFont& font, const QString& text) {
    return QFontMetrics(font).horizontalAdvance(text);
}

int TextHeight(const QFont& font, const QString&) { return QFontMetrics(font).height(); }

void RenderText(TBitmap32& bmp, int x, int y, const QString& text, int aaLevel, TColor32 c,
                const QFont& font) {
    if (bmp.Empty() || text.isEmpty()) return;
    aaLevel = std::clamp(aaLevel, 0, 4);
    QFont f(font);
    f.setStyleStrategy(aaLevel == 0 ? QFont::NoAntialias : QFont::PreferAntialias);
    QImage img = BitmapImage(bmp);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::TextAntialiasing, aaLevel > 0);
        p.setRenderHint(QPainter::Antialiasing, aaLevel > 0);
        p.setFont(f);
        p.setPen(ToQColor(c));
        p.drawText(QPointF(x, y + QFontMetrics(f).ascent()), text);
    }
    bmp.Changed();
}

void Textout(TBitmap32& bmp, int x, int y, const QString& text, TColor32 c, const QFont& font) {
    RenderText(bmp, x, y, text, 0, c, font);
}

} // namespace ivra
