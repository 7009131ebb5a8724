#pragma once
// The histogram stretch: the proposed cut-offs and the arithmetic of the
// cut-off lines on the chart. The stretch itself is StretchLevels
// (core/processing/Levels.h).

#include "core/analysis/ImageAnalysis.h"

namespace ivra {

struct TStretchCutoffs {
    int Low = 0;
    int High = 255;
    friend bool operator==(const TStretchCutoffs&, const TStretchCutoffs&) = default;
};

// The proposal from the gray histogram: Low is the first level at or below
// which at least 2 % of the pixels lie, High the first at or below which at
// least 98 % lie. The running sums are compared with PixelCount x 0.02 and
// x 0.98 in extended precision. Without any pixel both are 0. (High is 255
// and Low 0 when the counts never reach those shares.)
TStretchCutoffs ProposeStretchCutoffs(const TChannelHistograms& histograms);

// The chart position of a level: round(w / 255 x level + s), with s the
// horizontal axis's start and w its length in pixels (halves to even).
int CutoffToPixel(int level, int axisStart, int axisLength);

// The level of a chart position: round((x - s) x 255 / w), the product in
// integers and the division in floating point. 0 when w is 0.
int PixelToCutoff(int x, int axisStart, int axisLength);

// One drag step with the left button held at chart position x: the line
// nearer to x (the high one at equal distance) follows x when x lies
// strictly inside the axis and stays more than 5 pixels from the other
// line; then both levels are read back from the line positions.
TStretchCutoffs DragCutoffs(TStretchCutoffs current, int x, int axisStart, int axisLength);

} // namespace ivra
