#pragma once
// The pixel profile: samples of a bitmap at evenly spaced points along a
// straight line between two pixels, with the colour quantities shown in the
// profile window's table and chart.

#include "core/raster/Bitmap32.h"
#include "core/raster/Samples16.h"
#include "core/text/TextGrid.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ivra {

// A point with a coordinate of -12 counts as absent.
constexpr TPoint AbsentProfilePoint{-12, -12};
constexpr bool ProfilePointPresent(TPoint p) { return p.X != -12 && p.Y != -12; }

// sqrt((x2 - x1)^2 + (y2 - y1)^2).
double ProfileDistance(TPoint start, TPoint end);

// L: the distance plus 0.5, truncated (rounded half up); 0 when a point is
// absent. A profile has L + 1 samples and exists only for L > 1.
int ProfileLength(TPoint start, TPoint end);

// The label increment of the distance axis: 1 up to L = 10, 5 up to 50, 10
// up to 125, 25 up to 250, otherwise 50.
int ProfileLabelIncrement(int length);

// The integer quantities of a sample (divisions truncate):
// I = (R + G + B) div 3; V = max; S = (V - min) x 255 div V (0 when V = 0);
// H = 0 when S = 0, else by the largest component, red first, then green:
// (G - B) x 60 div d, (B - R) x 60 div d + 120, (R - G) x 60 div d + 240,
// with d = V - min and 360 added to a negative result.
struct TProfileQuantities {
    int I = 0, H = 0, S = 0, V = 0;
    friend bool operator==(const TProfileQuantities&, const TProfileQuantities&) = default;
};
TProfileQuantities ProfileQuantities(std::uint8_t r, std::uint8_t g, std::uint8_t b);

struct TProfileSample {
    int Index = 0;         // k = 0 .. L
    double X = 0, Y = 0;   // the point on the line through the pixel centres
    int PixelX = 0, PixelY = 0; // trunc(X), trunc(Y): the sampled pixel
    std::uint8_t R = 0, G = 0, B = 0;
    TProfileQuantities Q;
    // The pixel's 16-bit samples, when the profile was taken with them
    // (gray samples give the same value three times).
    bool Deep = false;
    std::uint16_t R16 = 0, G16 = 0, B16 = 0;
};

// True when both points are present and lie inside the bitmap.
bool ProfilePointsInside(const TBitmap32& bitmap, TPoint start, TPoint end);

// The L + 1 samples of the line: for k = 0 .. L, f = k / L,
// x = (1 - f)(x1 + 0.5) + f (x2 + 0.5), the same for y, and the pixel at
// (trunc x, trunc y) (nearest pixel, no interpolation; alpha ignored).
// Empty when L <= 1 or when a point is absent or lies outside the bitmap
// (a kept line on a smaller, refreshed copy is then not profiled).
// With samples of the bitmap's size, each sample also carries the pixel's
// 16-bit values (Deep).
std::vector<TProfileSample> ComputeProfile(const TBitmap32& bitmap, TPoint start, TPoint end,
                                           const TSamples16* samples = nullptr);

// The Data grid: the header row "#", "X", "Y", "Red", "Green", "Blue",
// "Intensity", "Hue", "Saturation", "Value", then one row per sample:
// k, x and y with one decimal, R, G, B, I, H, S, V. For a Deep sample R,
// G, B and I = (R + G + B) div 3 are its 16-bit values; H, S and V stay
// those of the 8-bit pixel.
std::vector<std::string> ProfileHeaderCells();
std::vector<std::string> ProfileRowCells(const TProfileSample& sample, char decimalSeparator);
TTextGrid ProfileGrid(const std::vector<TProfileSample>& samples, char decimalSeparator);

// "Points = (x1, y1)   (x2, y2)     Distance = 5.0" (distance with one
// decimal); empty when a point is absent.
std::string ProfilePointsText(TPoint start, TPoint end, char decimalSeparator);

// "Pixel Profile:   NAME   from (x1, y1) to (x2, y2)".
std::string ProfileChartTitle(const std::string& fileLabel, TPoint start, TPoint end);

} // namespace ivra
