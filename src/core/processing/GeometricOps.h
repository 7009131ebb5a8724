#pragma once
// Mirroring and turning a bitmap in place. Pixels move exactly; the
// bitmap's draw mode, stretch filter, master alpha and outer colour stay;
// each operation ends with the bitmap's change notification (the quarter
// turns also with its resize notification when the size changes).

#include "core/raster/Bitmap32.h"

namespace ivra {

// new(x, y) = old(W - 1 - x, y): left to right ("Mirror").
void FlipHorz(TBitmap32& bitmap);
// new(x, y) = old(x, H - 1 - y): top to bottom ("Flip").
void FlipVert(TBitmap32& bitmap);
// new(x, y) = old(W - 1 - x, H - 1 - y).
void Rotate180(TBitmap32& bitmap);
// A quarter turn clockwise: H wide and W high, new(H - 1 - y, x) = old(x, y).
void Rotate90(TBitmap32& bitmap);
// The quarter turns of source written into destination (sized by them;
// destination must not be the source).
void Rotate90(const TBitmap32& source, TBitmap32& destination);
void Rotate270(const TBitmap32& source, TBitmap32& destination);
// A quarter turn counter-clockwise: H wide and W high,
// new(y, W - 1 - x) = old(x, y).
void Rotate270(TBitmap32& bitmap);

} // namespace ivra
