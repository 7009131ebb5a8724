#pragma once
// The drawing routines shared by the measuring tools: the stippled rubber
// figures of a measurement in progress (drawn on the view's MeasureLayer, in
// view pixels) and the stroked finished shapes (drawn on AnimLayer, in image
// pixels, while the Draw switch is on).

#include "core/raster/Bitmap32.h"
#include "core/raster/FixedPoint.h"
#include "engine/Polygon32.h"

#include <vector>

namespace ivra {

// Six opaque white pixels, then four opaque black ones.
const std::vector<TColor32>& RubberStipple();

// Stippled line P1 -> P2.
void DrawRubberLine(TBitmap32& bmp, TPoint p1, TPoint p2);
// Stippled outline (X1,Y1) -> (X2,Y1) -> (X2,Y2) -> (X1,Y2) -> (X1,Y1).
void DrawRubberRect(TBitmap32& bmp, int x1, int y1, int x2, int y2);
// Stippled ellipse outline of 66 segments (t = 0.1 .. 6.5, a little more than
// one turn, so that it closes) around (cx, cy) with semi-axes rx and ry.
void DrawRubberEllipse(TBitmap32& bmp, float cx, float cy, float rx, float ry);
// The number of segments DrawRubberEllipse draws.
int RubberEllipseSegments();

// The edge of a polygon (open or closed as set) in opaque black, 1 pixel,
// not antialiased, inside one begin/end update; then the bitmap is marked
// changed.
void DrawPoly(TBitmap32& bmp, const TPolygon32& polygon);

// Stroke of a polygon as it stands (open or closed): width 2 or more fills
// the outline grown by width / 2 (antialiased, non-zero winding), so that the
// stroke is centred on the figure; otherwise the aliased 1-pixel edge.
// The polygon's Antialiased flag is left as it was.
void StrokePolygon(TBitmap32& bmp, const TPolygon32& polygon, TColor32 color, int width);
// Stroked open line P1, P2.
void DrawShapeLine(TBitmap32& bmp, TPoint p1, TPoint p2, TColor32 color, int width);
// Stroked closed rectangle P1, (P1.x, P2.y), P2, (P2.x, P1.y).
void DrawShapeRect(TBitmap32& bmp, TPoint p1, TPoint p2, TColor32 color, int width);
// The 126 vertices of a finished ellipse: t = 0, 0.05, ... while t < 2 pi
// (t in single precision), (cx + cos t * rx, cy + sin t * ry) in 16.16 fixed
// point.
std::vector<TFixedPoint> ShapeEllipseVertices(float cx, float cy, float rx, float ry);
// Stroked closed polygon of ShapeEllipseVertices.
void DrawShapeEllipse(TBitmap32& bmp, TPoint centre, TColor32 color, float rx, float ry, int width);

} // namespace ivra
