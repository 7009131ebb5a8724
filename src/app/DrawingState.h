#pragma once
// The program-wide drawing state that the main window owns and the tools of
// every image window read: the tool in force and its step, the pen width, the
// foreground and background colours and the calibration factor.

#include "core/raster/Color32.h"

#include <cstdint>

namespace ivra {

// Tool numbers (values of CurrentTool). 9, 10, 11 and 14 are not used.
enum TToolNumber : std::uint32_t {
    toolNone = 0,
    toolLine = 1,
    toolPolygon = 2,
    toolAngle = 3,
    toolEllipse = 4,
    toolPolyline = 5,
    toolRectangle = 6,
    toolText = 7,
    toolTag = 8,
    toolPicker = 12,
    toolZoom = 13,
    toolSelection = 15,
    toolMover = 16,
};

// The tool in force; changed only through TMainForm::SetMode.
extern std::uint32_t CurrentTool;
// The step the current tool has reached; 0 = no measurement started.
extern std::int32_t ToolState;
// Pen width in pixels for the drawing tools.
extern std::int32_t PenWidth;
// Platform colours (00BBGGRR), always those of the pen panel's colour panels.
extern TColor ForeColor;
extern TColor BackColor;
// Real length per image pixel.
extern float CalibrationFactor;

// The state of a fresh start: no tool, step 0, pen 3, white on black, factor 1.
void ResetDrawingState();

} // namespace ivra
