#pragma once
// The mouse routing of the image windows to the measuring tools: presses and
// moves over an image window's view reach the press and move handlers of the
// tool in force (TMeasureController), with the overlay layers kept in their
// places. Installed in the main window with TMainForm::SetToolRouter.

#include "app/ToolRouter.h"

#include <cstdint>

namespace ivra {

class TMeasureRouter : public TToolRouter {
public:
    // Withholds presses when the active MDI child is no image window, when no
    // layer lies under the pointer or when it is the selection frame (tag
    // 100); otherwise the tool's press handler (tools of other subsystems and
    // the zoom tool through the base router), then ToolPolygon not
    // antialiased and a visible MeasureLayer.
    void MouseDown(TMDIChild& window, TMouseButton button, TShiftState shift, TPoint viewPos, TPoint bitmapPos,
                   TCustomLayer* layer) override;
    // The tool's move handler, then AnimLayer (made when absent) to the
    // bottom of the layer stack.
    void MouseMove(TMDIChild& window, TShiftState shift, TPoint bitmapPos) override;
};

// Tools whose presses and moves the measuring controller handles: line,
// polygon, angle, ellipse, poly-line, rectangle, tag and colour picker.
bool IsMeasuringTool(std::uint32_t tool);

// The tag of the selection frame's rubber-band layer.
constexpr int RubberBandLayerTag = 100;

} // namespace ivra
