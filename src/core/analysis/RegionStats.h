#pragma once
// The analysis of a region of an image: the pixels inside a polygon,
// rectangle or ellipse that the user measured. A pixel belongs to the
// region when its centre (x + 0.5, y + 0.5) lies inside the shape, with the
// shape in image pixel coordinates (pixel (x, y) covers x .. x + 1); a
// centre on a left or upper boundary counts, one on a right or lower
// boundary does not, so shapes that tile the plane share no pixel. A
// rectangle from (x1, y1) to (x2, y2) thus holds exactly |x2 - x1| x
// |y2 - y1| pixels.
//
// Polygons and rectangles are computed exactly for every vertex of the
// 32-bit range (crossings in 128-bit integers). Ellipses are computed in
// double precision, with rows and columns bounded before they become
// integers, so any centre and radius of that range gives the right pixels
// away from the boundary's last 1e-6 pixel.

#include "core/analysis/ImageAnalysis.h"
#include "core/raster/FixedPoint.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ivra {

struct TRegionShape {
    enum class TKind { Polygon, Rectangle, Ellipse, Circle };
    TKind Kind = TKind::Polygon;
    // Polygon: its vertices (closed; inside by the nonzero winding rule).
    // Rectangle: two opposite corners. Ellipse and circle: the centre.
    std::vector<TPoint> Points;
    double RadiusX = 0, RadiusY = 0;  // ellipse and circle
    friend bool operator==(const TRegionShape&, const TRegionShape&) = default;
};

// "polygon", "rectangle", "ellipse", "circle".
const char* RegionShapeName(TRegionShape::TKind kind);

// The data label of a region's rows: the image name, a space and the
// shape's name in brackets ("micrograph.png [polygon]").
std::string RegionLabel(const std::string& imageName, TRegionShape::TKind kind);

// Calls span(y, x0, x1) for every row y of a width x height image with the
// pixels x0 <= x < x1 of the region in it (rows from the top; x0 < x1;
// spans of a row in increasing x, never overlapping).
void ForEachRegionSpan(const TRegionShape& shape, int width, int height,
                       const std::function<void(int y, int x0, int x1)>& span);

// The number of pixels of the region inside a width x height image.
std::int64_t RegionPixelCount(const TRegionShape& shape, int width, int height);

// AnalyseImage over the pixels of the region only: the seven histograms of
// those pixels, PixelCount = their number, ImageName = name.
void AnalyseRegion(const TBitmap32& bitmap, const TRegionShape& shape, const std::string& name,
                   TChannelHistograms& histograms);

} // namespace ivra
