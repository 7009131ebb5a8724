#include "measure/Overlays.h"
#include "core/raster/UpdateScope.h"

#include "engine/Drawing.h"

#include <cmath>

namespace ivra {

namespace {

void StartRubber(TBitmap32& bmp) {
    bmp.StipplePattern = RubberStipple();
    bmp.StippleCounter = 0.0f;
    bmp.StippleStep = 1.0f;
}

// The single-precision loop bound of the rubber ellipse (a little more than
// one turn) and of the finished one (one turn).
constexpr float RubberEllipseEnd = 6.59734457235f;
constexpr float ShapeEllipseEnd = 6.283185307f;

} // namespace

const std::vector<TColor32>& RubberStipple() {
    static const std::vector<TColor32> pattern{clWhite32, clWhite32, clWhite32, clWhite32, clWhite32,
                                               clWhite32, clBlack32, clBlack32, clBlack32, clBlack32};
    return pattern;
}

void DrawRubberLine(TBitmap32& bmp, TPoint p1, TPoint p2) {
    StartRubber(bmp);
    MoveToF(bmp, float(p1.X), float(p1.Y));
    LineToFS(bmp, float(p2.X), float(p2.Y));
}

void DrawRubberRect(TBitmap32& bmp, int x1, int y1, int x2, int y2) {
    StartRubber(bmp);
    MoveToF(bmp, float(x1), float(y1));
    LineToFS(bmp, float(x2), float(y1));
    LineToFS(bmp, float(x2), float(y2));
    LineToFS(bmp, float(x1), float(y2));
    LineToFS(bmp, float(x1), float(y1));
}

int RubberEllipseSegments() {
    int n = 0;
    for (float t = 0.0f; t < RubberEllipseEnd; t = float(t + 0.1)) ++n;
    return n;
}

void DrawRubberEllipse(TBitmap32& bmp, float cx, float cy, float rx, float ry) {
    StartRubber(bmp);
    MoveToF(bmp, cx + rx, cy);
    for (float t = 0.0f; t < RubberEllipseEnd; t = float(t + 0.1))
        LineToFS(bmp, float(cx + std::cos(double(t)) * rx), float(cy + std::sin(double(t)) * ry));
}

void DrawPoly(TBitmap32& bmp, const TPolygon32& polygon) {
    {
        TUpdateScope update(bmp);
        TPolygon32 edge = polygon;
        edge.Antialiased = false;
        edge.DrawEdge(bmp, clBlack32);
    }
    bmp.Changed();
}

void StrokePolygon(TBitmap32& bmp, const TPolygon32& polygon, TColor32 color, int width) {
    if (width >= 2) {
        TPolygon32 stroke = polygon.Outline();
        stroke.Grow(Fixed(float(width) / 2.0f), 0.5f);
        stroke.Antialiased = true;
        stroke.FillMode = TPolyFillMode::pfWinding;
        stroke.DrawFill(bmp, color);
    } else {
        TPolygon32 edge = polygon;
        edge.Antialiased = false;
        edge.DrawEdge(bmp, color);
    }
}

void DrawShapeLine(TBitmap32& bmp, TPoint p1, TPoint p2, TColor32 color, int width) {
    TPolygon32 p;
    p.Closed = false;
    p.Add(FixedPoint(p1.X, p1.Y));
    p.Add(FixedPoint(p2.X, p2.Y));
    StrokePolygon(bmp, p, color, width);
}

void DrawShapeRect(TBitmap32& bmp, TPoint p1, TPoint p2, TColor32 color, int width) {
    TPolygon32 p;
    p.Closed = true;
    p.Add(FixedPoint(p1.X, p1.Y));
    p.Add(FixedPoint(p1.X, p2.Y));
    p.Add(FixedPoint(p2.X, p2.Y));
    p.Add(FixedPoint(p2.X, p1.Y));
    StrokePolygon(bmp, p, color, width);
}

std::vector<TFixedPoint> ShapeEllipseVertices(float cx, float cy, float rx, float ry) {
    std::vector<TFixedPoint> v;
    v.reserve(126);
    for (float t = 0.0f; t < ShapeEllipseEnd; t = float(t + 0.05))
        v.push_back({Fixed(double(cx) + std::cos(double(t)) * double(rx)),
                     Fixed(double(cy) + std::sin(double(t)) * double(ry))});
    return v;
}

void DrawShapeEllipse(TBitmap32& bmp, TPoint centre, TColor32 color, float rx, float ry, int width) {
    TPolygon32 p;
    p.Closed = true;
    for (const TFixedPoint& v : ShapeEllipseVertices(float(centre.X), float(centre.Y), rx, ry)) p.Add(v);
    StrokePolygon(bmp, p, color, width);
}

} // namespace ivra
