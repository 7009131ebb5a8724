#pragma once
// Helpers shared by the GUI tests of the main window and the image windows.

#include "app/MainForm.h"
#include "services/Shell.h"
#include "core/raster/Bitmap32.h"
#include "imagewin/ChildWin.h"
#include "support/Named.h"

#include <QPoint>
#include <QString>

#include <memory>

namespace ivra::test {

// A fresh main window (program state as at start), shown, with its idle
// handler run once.
std::unique_ptr<TMainForm> MakeMainForm();

// A w x h picture whose pixel (x, y) is opaque (r = x, g = y, b = 100), all
// channels taken modulo 256.
void FillTestPattern(TBitmap32& bmp, int w, int h);
// Writes the test pattern to path in the format of its extension: .png,
// .bmp and .jpg through the core, anything else through Qt. Returns path.
QString WriteTestPicture(const QString& path, int w, int h);

// Mouse input to an image window's view, in view pixels.
void PressView(TMDIChild& w, QPoint p, Qt::MouseButton button);
void MoveView(TMDIChild& w, QPoint p);
// One wheel notch: away from the user (up) or towards (down).
void WheelView(TMDIChild& w, bool up);

// The drawing state of the shell in force.
TDrawingState& Drawing();

// Lets queued events run (paints, layouts, deferred deletes).
void Settle();

} // namespace ivra::test
