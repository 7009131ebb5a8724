#pragma once
// Drawing on a TBitmap32: lines (plain, blended, antialiased, stippled),
// text, raised and sunken frames, and the zero-copy QImage over the bitmap's
// pixels through which QPainter draws.
//
// Naming of the line routines: S = clipped to the bitmap ("safe"),
// T = blended by the colour's alpha ("transparent"), F = float coordinates,
// A = antialiased, FS = float and stippled. Every routine marks the bitmap
// changed when it is done (suppressed inside BeginUpdate/EndUpdate).

#include "core/raster/Bitmap32.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>

#include <vector>

namespace ivra {

// A QImage (Format_ARGB32) over the bitmap's memory, no copy. Valid while the
// bitmap keeps its size; a null image for an empty bitmap.
QImage BitmapImage(TBitmap32& bmp);
QImage BitmapImage(const TBitmap32& bmp);
// Copies a picture of any format into the bitmap as 32-bit ARGB (the bitmap
// takes the picture's size). A null picture empties the bitmap.
void AssignFromImage(TBitmap32& bmp, const QImage& img);
// A deep copy of the bitmap as a QImage (Format_ARGB32).
QImage ToImage(const TBitmap32& bmp);
// Draws the bitmap's pixels onto a Qt paint device (a printer, a widget) as a
// plain copy of red, green and blue (alpha ignored): 1:1 with the top-left
// corner at (x, y), or srcRect stretched into dstRect.
void DrawToPainter(QPainter& painter, int x, int y, const TBitmap32& bmp);
void DrawToPainter(QPainter& painter, const TRect& dstRect, const TBitmap32& bmp, const TRect& srcRect);

// ---- Pen position ----------------------------------------------------------
void MoveTo(TBitmap32& bmp, int x, int y);
void MoveToF(TBitmap32& bmp, float x, float y);

// ---- Plain and blended lines ----------------------------------------------
// Integer end points; the last pixel is drawn only when drawLast is true, so
// that joined segments touch each pixel once.
void LineS(TBitmap32& bmp, int x1, int y1, int x2, int y2, TColor32 c, bool drawLast = false);
void LineTS(TBitmap32& bmp, int x1, int y1, int x2, int y2, TColor32 c, bool drawLast = false);
// Float end points rounded to the pixel grid; otherwise as LineS / LineTS.
void LineF(TBitmap32& bmp, float x1, float y1, float x2, float y2, TColor32 c, bool drawLast = false);
void LineFT(TBitmap32& bmp, float x1, float y1, float x2, float y2, TColor32 c, bool drawLast = false);
// Antialiased 1-pixel line (QPainter), blended; it always reaches the end
// point (drawLast has no effect).
void LineAS(TBitmap32& bmp, float x1, float y1, float x2, float y2, TColor32 c, bool drawLast = false);
// From the pen position to (x, y); the pen moves to (x, y).
void LineToS(TBitmap32& bmp, int x, int y, TColor32 c);
void LineToF(TBitmap32& bmp, float x, float y, TColor32 c);
void LineToAS(TBitmap32& bmp, float x, float y, TColor32 c);

// ---- Stippled lines -------------------------------------------------------
// The bitmap's StipplePattern, StippleCounter and StippleStep: each drawn
// pixel takes the pattern colour at the counter (interpolated between two
// entries for a fractional counter), blended by its alpha, and the counter
// advances by the step, wrapping at the pattern's length. An empty pattern
// draws nothing.
void SetStipple(TBitmap32& bmp, const std::vector<TColor32>& colors);
void ResetStippleCounter(TBitmap32& bmp, float value = 0.0f);
TColor32 GetStippleColor(const TBitmap32& bmp);
void AdvanceStippleCounter(TBitmap32& bmp, float pixels);
// Float end points; the last pixel is drawn only when drawLast is true.
void LineFS(TBitmap32& bmp, float x1, float y1, float x2, float y2, bool drawLast = false);
// From the float pen position to (x, y); the pen moves to (x, y).
void LineToFS(TBitmap32& bmp, float x, float y);
// Horizontal line from x1 to x2 inclusive at row y, vertical line from y1 to
// y2 inclusive at column x: stippled, blended, clipped to the bitmap. The
// counter advances for clipped pixels too, so the pattern stays in phase.
void HorzLineTSP(TBitmap32& bmp, int x1, int y, int x2);
void VertLineTSP(TBitmap32& bmp, int x, int y1, int y2);
// Plain and blended horizontal / vertical lines, inclusive, clipped.
void HorzLineS(TBitmap32& bmp, int x1, int y, int x2, TColor32 c);
void VertLineS(TBitmap32& bmp, int x, int y1, int y2, TColor32 c);
void HorzLineTS(TBitmap32& bmp, int x1, int y, int x2, TColor32 c);
void VertLineTS(TBitmap32& bmp, int x, int y1, int y2, TColor32 c);

// ---- Rectangles -------------------------------------------------------------
// Fills [x1, x2) x [y1, y2) (clipped): plain copy or blended.
void FillRectS(TBitmap32& bmp, int x1, int y1, int x2, int y2, TColor32 c);
void FillRectTS(TBitmap32& bmp, int x1, int y1, int x2, int y2, TColor32 c);
// 1-pixel outline of [x1, x2) x [y1, y2), blended, clipped.
void FrameRectTS(TBitmap32& bmp, int x1, int y1, int x2, int y2, TColor32 c);
// Raised (contrast > 0) or sunken (contrast < 0) frame of [x1, x2) x [y1, y2);
// nothing for 0. With c = |contrast|: the top row (x1 .. x2-2) and the left
// column (y1+1 .. y2-2) in the light colour, alpha min(255, c*512/100); the
// bottom row (x1 .. x2-1) and the right column (y1 .. y2-2) in the dark
// colour, alpha min(255, c*255/100). Raised: light is white, dark is black;
// sunken swaps them. Blended and clipped.
void RaiseRectTS(TBitmap32& bmp, int x1, int y1, int x2, int y2, int contrast);

// ---- Text ----------------------------------------------------------------
// Size of a string in a font (the program measures "Fj" for the line height).
int TextWidth(const QFont& font, const QString& text);
int TextHeight(const QFont& font, const QString& text);
// Renders text with its top-left corner at (x, y) in a colour, blended.
// Antialiasing level 0 to 4 (clamped): 0 is aliased, 1 and above smooth.
void RenderText(TBitmap32& bmp, int x, int y, const QString& text, int aaLevel, TColor32 c,
                const QFont& font);
// Aliased text of the colour, blended (as RenderText with level 0).
void Textout(TBitmap32& bmp, int x, int y, const QString& text, TColor32 c, const QFont& font);

} // namespace ivra
