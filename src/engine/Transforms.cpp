#include "engine/Transforms.h"

#include "core/Error.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ivra {

namespace {

// m := op * m, so that op acts after what m already does.
void PreMultiply(double (&m)[3][3], const double (&op)[3][3]) {
    double r[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r[i][j] = op[i][0] * m[0][j] + op[i][1] * m[1][j] + op[i][2] * m[2][j];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m[i][j] = r[i][j];
}

} // namespace

void TAffineTransformation::Clear() {
    const double id[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    std::copy(&id[0][0], &id[0][0] + 9, &Matrix[0][0]);
}

void TAffineTransformation::Translate(double dx, double dy) {
    const double op[3][3] = {{1, 0, dx}, {0, 1, dy}, {0, 0, 1}};
    PreMultiply(Matrix, op);
}

void TAffineTransformation::Scale(double sx, double sy) {
    const double op[3][3] = {{sx, 0, 0}, {0, sy, 0}, {0, 0, 1}};
    PreMultiply(Matrix, op);
}

void TAffineTransformation::Skew(double fx, double fy) {
    const double op[3][3] = {{1, fx, 0}, {fy, 1, 0}, {0, 0, 1}};
    PreMultiply(Matrix, op);
}

void TAffineTransformation::Rotate(double cx, double cy, double degrees) {
    // Exact values at the quarter turns, so that 90-degree rotations of
    // pixel grids stay exact.
    double a = std::fmod(degrees, 360.0);
    if (a < 0) a += 360.0;
    double s, c;
    if (a == 0.0) s = 0, c = 1;
    else if (a == 90.0) s = 1, c = 0;
    else if (a == 180.0) s = 0, c = -1;
    else if (a == 270.0) s = -1, c = 0;
    else {
        const double r = degrees * std::numbers::pi / 180.0;
        s = std::sin(r);
        c = std::cos(r);
    }
    // Counter-clockwise on a y-down screen.
    Translate(-cx, -cy);
    const double op[3][3] = {{c, s, 0}, {-s, c, 0}, {0, 0, 1}};
    PreMultiply(Matrix, op);
    Translate(cx, cy);
}

void TAffineTransformation::Invert() {
    const double a = Matrix[0][0], b = Matrix[0][1], c = Matrix[0][2];
    const double d = Matrix[1][0], e = Matrix[1][1], f = Matrix[1][2];
    const double det = a * e - b * d;
    if (det == 0.0 || !std::isfinite(det)) throw Error("The transformation cannot be inverted");
    const double ia = e / det, ib = -b / det, id = -d / det, ie = a / det;
    Matrix[0][0] = ia, Matrix[0][1] = ib, Matrix[0][2] = -(ia * c + ib * f);
    Matrix[1][0] = id, Matrix[1][1] = ie, Matrix[1][2] = -(id * c + ie * f);
    Matrix[2][0] = 0, Matrix[2][1] = 0, Matrix[2][2] = 1;
}

void TAffineTransformation::Transform(double x, double y, double& outX, double& outY) const {
    outX = Matrix[0][0] * x + Matrix[0][1] * y + Matrix[0][2];
    outY = Matrix[1][0] * x + Matrix[1][1] * y + Matrix[1][2];
}

void TAffineTransformation::ReverseTransform(double x, double y, double& outX, double& outY) const {
    TAffineTransformation inv = *this;
    inv.Invert();
    inv.Transform(x, y, outX, outY);
}

TFloatRect TAffineTransformation::GetTransformedBounds() const {
    const double xs[4] = {SrcRect.Left, SrcRect.Right, SrcRect.Right, SrcRect.Left};
    const double ys[4] = {SrcRect.Top, SrcRect.Top, SrcRect.Bottom, SrcRect.Bottom};
    double l = 0, t = 0, r = 0, b = 0;
    for (int i = 0; i < 4; ++i) {
        double x, y;
        Transform(xs[i], ys[i], x, y);
        if (i == 0) {
            l = r = x;
            t = b = y;
        } else {
            l = std::min(l, x), r = std::max(r, x);
            t = std::min(t, y), b = std::max(b, y);
        }
    }
    return {float(l), float(t), float(r), float(b)};
}

namespace {

inline TColor32 Lerp256(TColor32 a, TColor32 b, std::uint32_t w) {
    // w from 0 to 256: the weight of b.
    const std::uint32_t rb = ((a & 0x00FF00FFu) * (256 - w) + (b & 0x00FF00FFu) * w + 0x00800080u) >> 8;
    const std::uint32_t ag =
        (((a >> 8) & 0x00FF00FFu) * (256 - w) + ((b >> 8) & 0x00FF00FFu) * w + 0x00800080u) >> 8;
    return (rb & 0x00FF00FFu) | ((ag & 0x00FF00FFu) << 8);
}

} // namespace

void Transform(TBitmap32& dst, const TBitmap32& src, const TAffineTransformation& t) {
    if (dst.Empty() || src.Empty()) return;
    const TDrawMode mode = src.DrawMode();
    const std::uint32_t master = src.MasterAlpha();
    if (mode != TDrawMode::dmOpaque && master == 0) return;

    // The readable source area: SrcRect clipped to the bitmap.
    const double sl = std::max<double>(t.SrcRect.Left, 0.0), st = std::max<double>(t.SrcRect.Top, 0.0);
    const double sr = std::min<double>(t.SrcRect.Right, src.Width());
    const double sb = std::min<double>(t.SrcRect.Bottom, src.Height());
    if (!(sl < sr && st < sb)) return;

    TAffineTransformation inv = t;
    inv.Invert();

    // Destination pixels that can be reached: the forward bounds of the
    // clipped source area, widened by one pixel, clipped to dst.
    TAffineTransformation clipped = t;
    clipped.SrcRect = {float(sl), float(st), float(sr), float(sb)};
    const TFloatRect fb = clipped.GetTransformedBounds();
    const int x0 = std::max(0, int(std::floor(fb.Left)) - 1);
    const int y0 = std::max(0, int(std::floor(fb.Top)) - 1);
    const int x1 = std::min(dst.Width(), int(std::ceil(fb.Right)) + 1);
    const int y1 = std::min(dst.Height(), int(std::ceil(fb.Bottom)) + 1);
    if (x0 >= x1 || y0 >= y1) return;

    const bool linear = src.StretchFilter() != TStretchFilter::sfNearest;
    const int lastX = src.Width() - 1, lastY = src.Height() - 1;
    const double a = inv.Matrix[0][0], b = inv.Matrix[0][1], c = inv.Matrix[0][2];
    const double d = inv.Matrix[1][0], e = inv.Matrix[1][1], f = inv.Matrix[1][2];
    for (int y = y0; y < y1; ++y) {
        TColor32* row = dst.ScanLine(y);
        const double py = y + 0.5;
        for (int x = x0; x < x1; ++x) {
            const double px = x + 0.5;
            const double u = a * px + b * py + c;
            const double v = d * px + e * py + f;
            if (!(u >= sl && u < sr && v >= st && v < sb)) continue;
            TColor32 s;
            if (!linear) {
                s = src.Pixel(std::min(int(std::floor(u)), lastX), std::min(int(std::floor(v)), lastY));
            } else {
                // Bilinear between the four pixels around the point, weights
                // in 1/256, edges clamped.
                const double fu = u - 0.5, fv = v - 0.5;
                const double iu = std::floor(fu), iv = std::floor(fv);
                const std::uint32_t wu = std::uint32_t(std::lrint((fu - iu) * 256.0));
                const std::uint32_t wv = std::uint32_t(std::lrint((fv - iv) * 256.0));
                const int u0 = std::clamp(int(iu), 0, lastX), u1 = std::clamp(int(iu) + 1, 0, lastX);
                const int v0 = std::clamp(int(iv), 0, lastY), v1 = std::clamp(int(iv) + 1, 0, lastY);
                const TColor32 top = Lerp256(src.Pixel(u0, v0), src.Pixel(u1, v0), wu);
                const TColor32 bottom = Lerp256(src.Pixel(u0, v1), src.Pixel(u1, v1), wu);
                s = Lerp256(top, bottom, wv);
            }
            row[x] = mode == TDrawMode::dmOpaque ? s : BlendPixel(s, row[x], master);
        }
    }
    dst.Changed();
}

} // namespace ivra
