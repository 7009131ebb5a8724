#pragma once
// TGridLayer: the measuring grid over an image, a transformation layer whose
// native size is the image's. It draws dotted lines (one coloured pixel, one
// untouched) every GridSize layer units, never closer than 8 view pixels,
// plus the right and bottom edges of the image. It never takes the mouse.

#include "engine/Layers.h"

#include <cstdint>

namespace ivra {

// Parts of the grid that are drawn.
constexpr std::uint32_t geMainGrid = 1;

class TGridLayer : public TTransformationLayer {
public:
    std::int32_t GridSize() const { return gridSize_; }
    void SetGridSize(std::int32_t size);
    std::uint32_t GridElements() const { return gridElements_; }
    void SetGridElements(std::uint32_t elements);
    // Colour of the lines; alpha 0 draws nothing.
    TColor32 GridColor = 0xFFFFFFFFu;

    // The image's size when the owner is an image view, else (1, 1).
    TFloatPoint NativeSize() const override;
    bool HitTest(int, int) const override { return false; }
    void Paint(TBitmap32& buffer) override;

private:
    std::int32_t gridSize_ = 0;
    std::uint32_t gridElements_ = geMainGrid;
};

// The grid's lines in a buffer: bounds in buffer pixels (reals) and the
// spacing in buffer pixels (before the doubling that keeps lines at least 8
// pixels apart). A row line covers the rounded bounds' columns inclusive, a
// column line its rows; every other pixel from the line's start is blended
// with the colour.
void PaintGridLines(TBitmap32& buffer, const TFloatRect& bounds, double spacing, TColor32 color);

} // namespace ivra
