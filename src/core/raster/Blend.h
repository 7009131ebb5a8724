#pragma once
// The row loops behind TBitmap32::DrawTo: a row of source pixels written
// over a row of destination pixels by a draw mode. The blend is BlendPixel
// for every pixel, computed on whole vectors of pixels (SSE2, or AVX2 when
// the processor has it and UseAvx2() allows it); the results are the same
// bit for bit on every path.

#include "core/raster/Bitmap32.h"

#include <cstdint>

namespace ivra {

// dst[i] = BlendPixel(src[i], dst[i], master) for i in [0, count).
void BlendRow(const TColor32* src, TColor32* dst, int count, std::uint32_t master);

// Opaque copies the row; blend and custom blend it by the master alpha.
void CombineRow(const TColor32* src, TColor32* dst, int count, TDrawMode mode, std::uint32_t master);

} // namespace ivra
