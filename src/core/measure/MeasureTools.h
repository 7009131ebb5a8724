#pragma once
// The measuring tools as pure logic: the shared measuring state of the
// program (first, end and vertex points, the last length, the free-hand
// position and the tool polygon) and, for every tool, the press handler and
// the move readout. A handler returns what the window has to do: the new
// status text, the lines for the messages pane, the number for the
// spreadsheet (TSheetModel::AddValue) and the finished figure to draw when
// the Draw switch is on. The window draws the rubber figures itself (they
// live in view pixels) from the points kept here.
//
// Tool steps: ToolState belongs to the program (the main window's drawing
// state); the handlers take it by reference and move it on. A right press
// always ends with ToolState = 0; the middle button does nothing.

#include "core/raster/FixedPoint.h"
#include "core/raster/MouseButton.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ivra {

// A finished figure in image pixels, for the Draw switch.
struct TToolFigure {
    enum class TKind {
        None,
        Line,    // Points[0] -> Points[1]
        Angle,   // Points[0] -> Points[1] and Points[1] -> Points[2]
        Rect,    // corners Points[0] and Points[1]
        Ellipse, // centre Points[0], radii RadiusX, RadiusY (a circle has equal radii)
        Polygon  // Polygon, open or Closed
    };
    TKind Kind = TKind::None;
    std::vector<TPoint> Points;
    float RadiusX = 0, RadiusY = 0;
    std::vector<TPoint> Polygon;
    bool Closed = false;
};

// What one press or move produced.
struct TToolOutput {
    std::optional<std::string> Status;  // new text of the live readout (status panel 1)
    std::vector<std::string> Messages;  // lines to append to the messages pane, in order
    std::optional<float> Value;         // number for the spreadsheet's AddValue
    std::optional<float> PixelLength;   // line tool: the length in image pixels, for the
                                        // calibration dialog's label while it is open
    TToolFigure Figure;                 // drawn only when the Draw switch is on
};

// The settings a handler reads: the calibration factor (real units per
// image pixel), the decimal separator of the number texts and the unit's
// name (UTF-8). With a unit, lengths in the texts end with " UNIT" and areas
// with " UNIT²"; without one the texts carry bare numbers. Angles never carry
// it, and the spreadsheet's values are always bare numbers.
struct TToolContext {
    std::int32_t& ToolState;
    float Factor = 1.0f;
    char DecimalSeparator = '.';
    std::string Unit;
};

class TMeasuringState {
public:
    TPoint FirstPoint;  // first point; for the poly tools the last vertex added
    TPoint EndPoint;    // end point; for the poly tools the latest press
    TPoint VertexPoint; // the angle's vertex
    float LastLength = 0;              // last length measured or rubber-banded, image pixels
    float FreehandPrevX = 0, FreehandPrevY = 0; // where the last free-hand vertex was laid
    std::vector<TPoint> ToolPolygon;            // vertices of the poly-line or polygon (image pixels)
    bool ToolPolygonClosed = false;

    // Tool 1, line length.
    TToolOutput LineToolDown(TToolContext& ctx, TMouseButton button, TPoint p);
    TToolOutput LineToolMove(TToolContext& ctx, TPoint p);
    // Tool 5, poly-line length: left presses add vertices, a right press ends.
    TToolOutput PolylineToolDown(TToolContext& ctx, TMouseButton button, TPoint p);
    // Tool 2, polygon area: left presses add vertices; a right press computes
    // the area of the vertices so far, then adds its own point to the drawn
    // outline only.
    TToolOutput PolygonToolDown(TToolContext& ctx, TMouseButton button, TPoint p);
    // Shared move of tools 2 and 5: the readout in step 1 and, while the left
    // button is held, a free-hand vertex at every new pointer position.
    TToolOutput PolyToolMove(TToolContext& ctx, TPoint p, bool leftButtonHeld);
    // Tool 3, angle: first point, vertex, end point. Throws Error for an arm
    // of zero length, after ToolState has gone back to 0.
    TToolOutput AngleToolDown(TToolContext& ctx, TMouseButton button, TPoint p);
    // Tool 6, rectangle (its move readout is also the selection tool's).
    TToolOutput RectToolDown(TToolContext& ctx, TMouseButton button, TPoint p);
    TToolOutput RectToolMove(TToolContext& ctx, TPoint p);
    // Tool 4, ellipse or, with Ctrl held, circle; centre first.
    TToolOutput EllipseToolDown(TToolContext& ctx, TMouseButton button, TPoint p, bool ctrl);
    TToolOutput EllipseToolMove(TToolContext& ctx, TPoint p, bool ctrl);

    // A new image window starts with no poly measurement in progress.
    void ClearToolPolygon() { ToolPolygon.clear(); }

private:
    void AddPolyVertex(TPoint p);
    // Left press of the poly tools: the first starts the outline, later ones
    // add a vertex (then it returns true).
    bool PolyLeftPress(TToolContext& ctx, TPoint p);
};

// The calibration dialog's pixel label for a measured length: the length
// rounded to a whole number (halves to even), in decimal. 12.5 gives "12".
std::string PixelLengthLabel(float length);

} // namespace ivra
