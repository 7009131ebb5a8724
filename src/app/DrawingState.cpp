#include "app/DrawingState.h"

namespace ivra {

std::uint32_t CurrentTool = toolNone;
std::int32_t ToolState = 0;
std::int32_t PenWidth = 3;
TColor ForeColor = 0x00FFFFFF;
TColor BackColor = 0x00000000;
float CalibrationFactor = 1.0f;

void ResetDrawingState() {
    CurrentTool = toolNone;
    ToolState = 0;
    PenWidth = 3;
    ForeColor = 0x00FFFFFF;
    BackColor = 0x00000000;
    CalibrationFactor = 1.0f;
}

} // namespace ivra
