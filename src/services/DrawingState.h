#pragma once
// The program-wide drawing state: the tool in force and its step, the pen
// width, the foreground and background colours and the calibration factor.
// One object, owned by the main window and handed to the windows and tools
// that read it (TShell::Drawing).

#include "core/raster/Color32.h"

#include <cstdint>
#include <string>

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

struct TDrawingState {
    // The tool in force; changed only through the shell's SetMode.
    std::uint32_t CurrentTool = toolNone;
    // The step the current tool has reached; 0 = no measurement started.
    std::int32_t ToolState = 0;
    // Pen width in pixels for the drawing tools.
    std::int32_t PenWidth = 3;
    // Platform colours (00BBGGRR), always those of the pen panel's colour panels.
    TColor ForeColor = 0x00FFFFFF;
    TColor BackColor = 0x00000000;
    // Real length per image pixel.
    float CalibrationFactor = 1.0f;
    // The name of the real unit (UTF-8, at most 16 characters), empty when
    // none was named: readouts then carry bare numbers.
    std::string CalibrationUnit;

    // The state of a fresh start: no tool, step 0, pen 3, white on black, factor 1, no unit.
    void Reset() { *this = TDrawingState{}; }
};

} // namespace ivra
