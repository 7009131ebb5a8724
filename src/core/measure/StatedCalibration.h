#pragma once
// The spatial calibration an image file states through its resolution.

#include "core/codecs/ImageFiles.h"

#include <optional>
#include <string>

namespace ivra {

struct TStatedCalibration {
    double Factor = 0;  // units per pixel (across)
    std::string Unit;   // "µm", "mm" or "m"
};

// The calibration of a resolution in pixels per inch, centimetre or metre:
// the size of a pixel across in micrometres when that is below 1000 µm, in
// millimetres when it is below 1000 mm, else in metres. None for a
// resolution without a unit or without a positive value.
std::optional<TStatedCalibration> CalibrationFromResolution(const TStatedResolution& resolution);

// "20000 pixels per centimetre (0.5 µm per pixel)", "72 pixels per inch
// (352.8 µm per pixel)", "3076923 pixels per metre (...)", "300 pixels per
// unit (no unit)" or "none". Numbers with up to 4 decimals, trailing zeros
// cut, '.' as decimal separator.
std::string ResolutionText(const TStatedResolution& resolution);

} // namespace ivra
