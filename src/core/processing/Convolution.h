#pragma once
// Convolution of the red, green and blue channels of a bitmap with a square
// kernel of integer weights (3x3 or 5x5), and the helpers shared by the pixel
// operations: ClampToByte and MatchSize.
//
// The weights are applied as a correlation: weight 3j + i (5j + i) multiplies
// the source pixel at (x - 1 + i, y - 1 + j) ((x - 2 + i, y - 2 + j)). For
// each channel the sum of weight x level is divided by the divisor with the
// division truncating toward zero, the bias is added and the result is
// clamped to 0..255. Every output pixel is computed from unfiltered input;
// the border of one (two) pixels keeps its colour and alpha, every interior
// pixel gets alpha 255. An image too small to have an interior is unchanged.
//
// The filters work in place and keep only a few source rows aside (no copy of
// the whole bitmap). Large images are filtered in bands on several threads;
// the result does not depend on the number of bands.

#include "core/raster/Bitmap32.h"

#include <array>
#include <cstdint>

namespace ivra {

// 255 if v > 254, 0 if v < 1, else v.
constexpr int ClampToByte(int v) { return v > 254 ? 255 : (v < 1 ? 0 : v); }

// Gives destination the width and height of source (its pixels are then
// undefined unless the size was already right). Throws "The source is nil"
// when source is missing and "Destination is nil" when destination is
// missing, testing the source first.
void MatchSize(TBitmap32* destination, const TBitmap32* source);

using TKernel3x3 = std::array<std::int32_t, 9>;
using TKernel5x5 = std::array<std::int32_t, 25>;

// Filters bitmap in place; ends with its change notification when anything
// was filtered. A divisor of 0 is refused with an Error before anything
// changes. Sums are exact (64-bit where a kernel could overflow 32 bits).
void Convolve3x3(const TKernel3x3& kernel, std::uint16_t divisor, std::uint8_t bias, TBitmap32& bitmap);
void Convolve5x5(const TKernel5x5& kernel, std::uint16_t divisor, TBitmap32& bitmap);
// The same written into destination (which takes the source's size; its
// border rows and columns become the source's), leaving the source as it is.
void Convolve3x3(const TKernel3x3& kernel, std::uint16_t divisor, std::uint8_t bias, const TBitmap32& source,
                 TBitmap32& destination);
void Convolve5x5(const TKernel5x5& kernel, std::uint16_t divisor, const TBitmap32& source, TBitmap32& destination);

} // namespace ivra
