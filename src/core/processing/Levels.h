#pragma once
// The level mapping shared by the brightness adjustment and the histogram
// stretch: c' = ClampToByte(Round(factor x (c - offset))) for the red, green
// and blue components of every pixel; alpha becomes 255.

#include "core/raster/Bitmap32.h"

#include <cstdint>

namespace ivra {

// Rewrites every pixel of bitmap in place and ends with its change
// notification. factor x (c - offset) is computed from the integer
// difference in extended precision and rounded to the nearest integer,
// halves to even. The mapping goes through a table of the 256 levels, so
// each level costs one lookup. A factor that is not a finite number is
// refused with an Error before anything changes.
void AdjustLevels(std::int32_t offset, TBitmap32& bitmap, float factor);

// The mapping of one level (what AdjustLevels does to each component).
std::uint8_t MapLevel(int level, std::int64_t offset, float factor);

// "Adjust Brightness": adds change to every component, limited to 0..255
// (AdjustLevels with offset -change and factor 1).
void AdjustBrightness(TBitmap32& bitmap, std::int32_t change);
// The same written into destination (which takes the source's size), for
// callers that keep the source as it is.
void AdjustBrightness(const TBitmap32& source, TBitmap32& destination, std::int32_t change);

// The stretch gain 255 / (high - low), stored in single precision.
float StretchGain(int low, int high);

// Stretches the levels so that low becomes 0 and high 255 (AdjustLevels
// with offset low and the stretch gain). low must be below high: equal
// cut-offs (as proposed for an image of one gray level) have no gain, and
// are refused with an Error before anything changes.
void StretchLevels(TBitmap32& bitmap, int low, int high);
void StretchLevels(const TBitmap32& source, TBitmap32& destination, int low, int high);

} // namespace ivra
