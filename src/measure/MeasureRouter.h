#pragma once
// The measuring tools as handlers of the shell's tool registry: presses and
// moves over an image window's view reach the press and move handlers of the
// tool in force (TMeasureController). The selection tool shares the
// rectangle's rubber frame while it moves; the text and selection tools
// put their results into layers.

#include <cstdint>

namespace ivra {

class TShell;

// Registers the line, polygon, angle, ellipse, poly-line, rectangle, tag and
// colour-picker tools, the text tool and the selection tool.
void RegisterMeasuringTools(TShell& shell);

// Tools whose presses and moves the measuring controller handles.
bool IsMeasuringTool(std::uint32_t tool);

} // namespace ivra
