#pragma once
// TPolygon32: one or more lines (contours) of 16.16 fixed-point points,
// drawn as an outline or filled, aliased or antialiased, with the even-odd
// or the non-zero winding fill rule. Grow offsets the contours; Outline
// turns a poly-line into the closed shape that Grow thickens into a stroke.

#include "core/raster/Bitmap32.h"

#include <cstddef>
#include <vector>

namespace ivra {

enum class TPolyFillMode { pfAlternate, pfWinding };

class TPolygon32 {
public:
    using TLine = std::vector<TFixedPoint>;

    TPolygon32() { points_.emplace_back(); }

    bool Antialiased = false;
    bool Closed = true;
    TPolyFillMode FillMode = TPolyFillMode::pfAlternate;

    // Removes every point and line (one empty current line remains).
    void Clear();
    // Appends a point to the current (last) line.
    void Add(TFixedPoint p) { points_.back().push_back(p); }
    void Add(float x, float y) { Add(FixedPoint(x, y)); }
    // Starts a new line; nothing when the current line is still empty.
    void NewLine();
    // Lines, the current one last; a fresh polygon has one empty line.
    const std::vector<TLine>& Points() const { return points_; }
    std::vector<TLine>& Points() { return points_; }
    // Number of points of all lines.
    std::size_t PointCount() const;
    bool Empty() const { return PointCount() == 0; }
    // The points of all lines as one list (the measuring tools read this).
    TLine AllPoints() const;

    void Offset(TFixed dx, TFixed dy);
    // Bounds of all points in float coordinates ({} when empty).
    TFloatRect GetBoundingRect() const;

    // Outline of the lines in a colour: 1 pixel, aliased (pixel under each
    // integer point) or antialiased by the Antialiased flag; closing segment
    // when Closed. Blended by the colour's alpha.
    void DrawEdge(TBitmap32& bmp, TColor32 color) const;
    // Fills the area by FillMode, antialiased by the flag (aliased: a pixel is
    // filled when its centre is inside). Lines are always treated as closed.
    void DrawFill(TBitmap32& bmp, TColor32 color) const;
    // Fill, then outline.
    void Draw(TBitmap32& bmp, TColor32 outlineColor, TColor32 fillColor) const;

    // Offsets every line by delta (16.16) to the left of its direction of
    // travel: outward for a contour that runs clockwise on the screen (y down)
    // and the opposite way for one that runs counter-clockwise. Corners keep
    // a miter point while the turn is gentle enough for the edge sharpness
    // (clamped to 0..0.99; the miter is kept while the cosine between the two
    // edge normals is at least -sharpness), else they are bevelled with two
    // points. Repeated points are skipped; lines of fewer than 2 distinct
    // points are left as they are. Every line is treated as closed.
    void Grow(TFixed delta, float edgeSharpness = 0.0f);
    // The closed shape around the lines that Grow thickens into a stroke:
    // an open line becomes its points forward and back (one closed contour),
    // a closed line becomes itself plus its reverse (two contours, so that
    // growing gives a ring). The result is closed, with this polygon's flags
    // otherwise.
    TPolygon32 Outline() const;

private:
    std::vector<TLine> points_;
};

} // namespace ivra
