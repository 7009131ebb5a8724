#pragma once
// The magnifier lens: what lies below a layer's rectangle in the view's back
// buffer, enlarged and turned about the rectangle's centre, drawn back over
// it with an opacity, framed by a five-ring bevel.

#include "core/raster/Bitmap32.h"
#include "imagewin/LayerPanels.h"

namespace ivra {

// Paints the lens over `located` (view pixels, reals) of the buffer with the
// panel's settings: magnification 10^(Magnification / 50), rotation
// -Rotation degrees, bilinear sampling when Interpolate, opacity as the
// master alpha.
void PaintMagnifier(TBitmap32& buffer, const TFloatRect& located, const TMagnifierSettings& settings);

} // namespace ivra
