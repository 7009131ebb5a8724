#pragma once
// Lengths, areas and angles of the measuring tools, the shape formulas with
// the calibration factor, and FitRect (an image rectangle fitted into a page).
//
// Points are image pixels (TPoint) or 16.16 fixed point (TFixedPoint, the
// vertices of a tool polygon). Results are single precision where the tools
// store them; products are formed in extended precision first, as the
// readouts expect.

#include "core/raster/FixedPoint.h"

#include <optional>
#include <vector>

namespace ivra {

// pi in extended precision, as the area formulas use it.
constexpr long double Pi = 3.1415926535897932385L;
// The circle's perimeter constant (deliberately not 2 pi).
constexpr long double PerimeterConstant = 6.28318L;

// The length from P to Q in image pixels. The squares are summed in 128-bit
// integers, so any two 32-bit points give the right length.
float Distance(TPoint p, TPoint q);

// The sum of the open segment lengths of a vertex list (no closing segment);
// fewer than two vertices give 0.
float PolylineLength(const std::vector<TFixedPoint>& vertices);

// The area enclosed by the closed vertex list (shoelace formula, exact in
// 128-bit integers, absolute value). Fewer than three vertices give 0.
float PolygonArea(const std::vector<TFixedPoint>& vertices);

// The same for vertices in whole image pixels, computed on the integers, so
// that coordinates anywhere in the 32-bit range give the right result (the
// measuring tools keep their vertices this way).
float PolylineLength(const std::vector<TPoint>& vertices);
float PolygonArea(const std::vector<TPoint>& vertices);

// The angle at V between the arms V->A and V->B in degrees, 0 to 180.
// Throws Error when A or B coincides with V (the angle is undefined).
float AngleAtVertex(TPoint a, TPoint v, TPoint b);

// Rectangle with corners at the two presses: the sides a*f and b*f and the
// area f^2*a*b.
struct TRectMeasure {
    double A = 0, B = 0, Area = 0;
};
TRectMeasure RectangleMeasure(TPoint corner1, TPoint corner2, float factor);

// Ellipse centred at the first press with the semi-axes a = |dx|, b = |dy|
// to the second: width 2a*f, height 2b*f, area f^2*pi*a*b (not yet stored as
// single: the live readout shows it unrounded, the finished tool as single).
struct TEllipseMeasure {
    double Width = 0, Height = 0, Area = 0;
};
TEllipseMeasure EllipseMeasure(TPoint centre, TPoint point, float factor);

// Circle centred at the first press with the radius r = max(|dx|, |dy|):
// radius r*f, perimeter r*6.28318*f, area f^2*pi*r^2.
struct TCircleMeasure {
    double Radius = 0, Perimeter = 0, Area = 0;
};
TCircleMeasure CircleMeasure(TPoint centre, TPoint point, float factor);

// The target rectangle of source rectangle s fitted into the area a without
// distortion, centred along the axis with room to spare. Integer products,
// floating-point quotients, rounding halves to even, centring offsets
// truncated toward zero. Empty when s has no width or no height.
std::optional<TRect> FitRect(const TRect& s, const TRect& a);

} // namespace ivra
