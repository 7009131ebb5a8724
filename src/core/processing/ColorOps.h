#pragma once
// Colour operations on whole bitmaps: grayscale, inversion, intensity to
// alpha, and counting the distinct colours.
//
// The operations from a source into a destination take pointers because
// either may be missing: a missing source raises "The source is nil", a
// missing destination "Destination is nil" (the source is tested first).
// Source and destination may be the same bitmap. Each ends with the
// destination's change notification.

#include "core/raster/Bitmap32.h"

#include <cstdint>
#include <string>

namespace ivra {

// MatchSize, then every destination pixel = the gray value of the source
// pixel's intensity (61 R + 174 G + 21 B) >> 8, alpha 255.
void GrayscaleBitmap(TBitmap32* destination, const TBitmap32* source);

// MatchSize, then every destination pixel = source pixel XOR 0x00FFFFFF:
// red, green and blue become 255 minus themselves, alpha stays.
void InvertBitmap(TBitmap32* destination, const TBitmap32* source);

// Destination alpha := the intensity of the source pixel at the same
// position; destination red, green and blue stay. The two must be of the
// same size: different sizes are refused with an Error and nothing changes
// (resizing the destination would lose the colours that should stay).
void IntensityToAlpha(TBitmap32* destination, const TBitmap32* source);

// The number of distinct 24-bit colours (alpha ignored). Uses a 2 MB bit
// set, one bit per colour; 0 for an empty bitmap.
std::uint32_t CountColors(const TBitmap32& bitmap);

// "The number of unique colors in this image is " and the count.
std::string CountColorsMessage(std::uint32_t count);

} // namespace ivra
