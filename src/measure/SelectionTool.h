#pragma once
// The selection tool's press (tool 15): the first left press fixes a corner,
// the second the opposite corner, and the image window cuts the rectangle
// between them into its selection layer. Its moves are the rectangle tool's
// rubber frame and "Rectangle a=" read-out.

#include "services/Tools.h"

namespace ivra {

class TShell;

void SelectionToolDown(TShell& shell, const TToolEvent& e);

} // namespace ivra
