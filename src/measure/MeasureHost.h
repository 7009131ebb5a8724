#pragma once
// What the measuring tools need from the image window they act on and from
// the main window: the overlay bitmaps, the coordinate mapping, the image,
// the read-out places and the drawing settings. The mouse routing implements
// it for a real image window; the tools' logic (MeasureController) sees only
// this interface.

#include "core/raster/Bitmap32.h"
#include "core/raster/FixedPoint.h"
#include "services/DrawingState.h"

#include <string>

namespace ivra {

class TShell;

class TMeasureHost {
public:
    virtual ~TMeasureHost() = default;

    // The view's rubber overlay (view pixels): made when absent.
    virtual TBitmap32& MeasureBitmap() = 0;
    // Removes the rubber overlay; the next MeasureBitmap makes a fresh one.
    virtual void ClearMeasureLayer() = 0;
    // The drawing overlay (image pixels): made when absent.
    virtual TBitmap32& AnimBitmap() = 0;
    // The image (read through its document).
    virtual const TBitmap32& Image() const = 0;
    // Image to view pixels.
    virtual TPoint BitmapToControl(TPoint q) const = 0;
    virtual TFixedPoint BitmapToControlFP(TFixedPoint q) const = 0;
    // Repaints the view at once.
    virtual void RepaintView() = 0;

    // Main window: status panel 1, the messages pane, the Draw switch, the
    // foreground colour panel.
    virtual void SetReadout(const std::string& text) = 0;
    virtual void AddMessage(const std::string& line) = 0;
    virtual bool DrawSwitchOn() const = 0;
    virtual void SetForeColor(TColor32 color) = 0;
    // The program-wide drawing state (tool step, pen, colours, factor).
    virtual TDrawingState& Drawing() = 0;
    // The shell (its tool windows: the spreadsheet, the calibration window).
    virtual TShell& Shell() = 0;
};

} // namespace ivra
