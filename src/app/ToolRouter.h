#pragma once
// The routing of mouse input in the image windows to the tool in force.
//
// Every press and move over an image window's view reaches the main window's
// tool router after the window converted the position to image pixels. The
// default router knows the zoom tool; the measuring tools install a router of
// their own (TMainForm::SetToolRouter) that handles every tool number.

#include "engine/Layers.h"
#include "engine/ViewMapping.h"

namespace ivra {

class TMDIChild;

class TToolRouter {
public:
    virtual ~TToolRouter() = default;

    // A press: the button, the shift state, the position in view and image
    // pixels and the layer the layer stack reports under the pointer (none
    // when no layer lies there).
    virtual void MouseDown(TMDIChild& window, TMouseButton button, TShiftState shift, TPoint viewPos,
                           TPoint bitmapPos, TCustomLayer* layer);
    // A move (the window has recorded it in LastMousePos, LastShift and
    // LastBitmapPos). The window then shows the position in status panel 0.
    virtual void MouseMove(TMDIChild& window, TShiftState shift, TPoint bitmapPos);
};

} // namespace ivra
