#pragma once
// The scale bar of a calibrated image: a proposal for its length, its
// length in image pixels, its place in a corner of the image, and its
// drawing (bar, optional background box and a label whose glyphs the caller
// renders, since fonts belong to the platform).
//
// The bar hugs its corner: it stands a margin of 2 % of the image's shorter
// side from both edges of the corner, and its label lies on the side towards
// the image's middle (above the bar in the lower corners, below it in the
// upper ones), centred on the bar. So the bar's place never depends on the
// label's font.

#include "core/raster/Bitmap32.h"
#include "core/raster/FixedPoint.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ivra {

enum class TScaleBarCorner { LowerRight, LowerLeft, UpperRight, UpperLeft };

// "lower-right", "lower-left", "upper-right", "upper-left"; false for
// anything else.
bool ScaleBarCornerFromName(std::string_view name, TScaleBarCorner& corner);

// A round length (1, 2 or 5 times a power of ten, in the calibrated unit)
// whose bar is nearest, by ratio, to a fifth of the image's width; of two
// equally near the shorter. 0 when the width or the factor gives none.
double ProposeScaleBarLength(int imageWidth, float factor);

// The distance of the bar from the edges of its corner: 2 % of the shorter
// side, rounded to the nearest (halves to even).
int ScaleBarMargin(int imageWidth, int imageHeight);

// Sizes that suit an image when the user has not chosen any: the bar's
// height and the label's pixel size.
int DefaultScaleBarHeight(int imageWidth, int imageHeight);
int DefaultScaleBarLabelSize(int imageWidth, int imageHeight);

// The bar's length in image pixels: round(length / factor), halves to even.
// Throws Error when the length is not above 0, the bar would be shorter than
// one pixel, or it would not fit into the image's width within the margins.
int ScaleBarPixels(double length, float factor, int imageWidth, int imageHeight);

// The label: the length in the general format, then the unit (none without one).
std::string ScaleBarLabel(double length, const std::string& unit, char decimalSeparator = '.');

struct TScaleBarGeometry {
    int BarPixels = 0;   // from ScaleBarPixels
    int BarHeight = 1;   // image pixels
    TScaleBarCorner Corner = TScaleBarCorner::LowerRight;
    int LabelWidth = 0;  // the rendered label's size; 0 x 0 without a label
    int LabelHeight = 0;
    bool Box = false;    // a background box around bar and label
};

// Where everything goes, in image pixels. Label is empty without a label,
// Box without a box; Bounds encloses all that is drawn and lies within the
// image.
struct TScaleBarLayout {
    TRect Bar, Label, Box, Bounds;
};

// Throws Error when the bar's height is below 1 or does not fit into the
// image's height within the margins.
TScaleBarLayout PlaceScaleBar(int imageWidth, int imageHeight, const TScaleBarGeometry& g);

// A rendered label: one coverage byte (0 to 255) per pixel, rows top down.
struct TLabelMask {
    int Width = 0, Height = 0;
    std::vector<std::uint8_t> Coverage;
};

// Draws the scale bar into target, where the image pixel (x, y) of the
// layout is target pixel (x - origin.X, y - origin.Y): the box in boxColor
// (when the layout has one), the bar in exactly `color`, and the label's
// coverage in `color`, blended over what lies below. Pixels outside the
// target are skipped. Transparent target pixels take the colour with the
// coverage as alpha, so that a layer made this way blends like the label.
void DrawScaleBar(TBitmap32& target, TPoint origin, const TScaleBarLayout& layout, TColor32 color,
                  TColor32 boxColor, const TLabelMask* label);

} // namespace ivra
