#pragma once
// The two polygons that the measuring tools share among all image windows.
// They live until the program ends; creating an image window resets them.

#include "engine/Polygon32.h"

namespace ivra {

// Vertices of the poly-line or polygon being measured (image pixels).
TPolygon32& ToolPolygon();
// Scratch copy of ToolPolygon in view pixels for the rubber outline.
TPolygon32& ShapePolygon();

// Empties both; ToolPolygon antialiased and open, ShapePolygon not
// antialiased and open.
void ResetSharedPolygons();

} // namespace ivra
