#pragma once
// The channel images: one colour channel of a bitmap as a picture of its
// own ("RGB Channels" and "HSV Channels").

#include "core/raster/Bitmap32.h"

namespace ivra {

enum class TColorChannel { Red, Green, Blue, Hue, Saturation, Value };

// "Red", "Green", "Blue", "Hue", "Saturation", "Value": the new window's
// caption is the image name, a space and this name.
const char* ColorChannelName(TColorChannel channel);

// MatchSize (destination, source), then every destination pixel, alpha 255:
// - Red, Green, Blue: the gray value of that component;
// - Hue: HSLToRGB (H, 1.0, 0.5) with H the hue of RGBToHSL, the pure colour
//   of the pixel's hue (pure red for a gray pixel);
// - Saturation: the gray value Round (S x 255), S the lightness-based
//   saturation of RGBToHSL;
// - Value: the gray value max (red, green, blue).
// Source and destination may be the same bitmap. Ends with the
// destination's change notification. Errors as MatchSize.
void ChannelImage(TBitmap32* destination, const TBitmap32* source, TColorChannel channel);

} // namespace ivra
