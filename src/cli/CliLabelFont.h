#pragma once
// The batch tool's text: a label rendered with a sans-serif font of the
// system (found through fontconfig, drawn by FreeType) into a coverage mask.

#include "core/measure/ScaleBar.h"

#include <optional>
#include <string>

namespace ivra::cli {

// The UTF-8 text at a height of `pixelSize` pixels, one line, as coverage.
// Nothing when the system has no usable font; the caller goes on without a
// label then.
std::optional<TLabelMask> RenderLabel(const std::string& text, int pixelSize);

} // namespace ivra::cli
