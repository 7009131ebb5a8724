#pragma once
// Spatial calibration: the factor from a measured pixel length and a typed
// real length, the texts the calibration dialog shows, the unit of the
// calibrated lengths, and the calibration file (extension "cnv": one line
// with the factor and 5 decimals, CR LF, and, when a unit was named, a second
// line "unit=NAME" in UTF-8).

#include <cstddef>
#include <optional>
#include <string>

namespace ivra {

// The caption of the pixel-length label before any line was measured.
constexpr const char* PixelLabelUnmeasured = "????";

// Whether a key typed into the length box is kept: the digits, backspace
// (character 8) and the decimal separator. Every other key is discarded.
bool AcceptLengthKey(char32_t key, char decimalSeparator);

// The factor for the current texts of the dialog, or nothing when no line
// was measured yet (the pixel label contains "?") or the pixel length is not
// above 0. The factor is lengthText / pixelLabel, stored as a single.
// Throws Error when lengthText is not a number (for example empty or a lone
// separator); "." and "," are both accepted as decimal separator.
std::optional<float> ComputeCalibrationFactor(const std::string& pixelLabel, const std::string& lengthText);

// The range of factors the measuring tools can use: every length and area
// they compute from 32-bit pixel coordinates (areas up to about 1.2e20
// square pixels) times the factor, or its square, stays a finite, non-zero
// single.
constexpr double MinCalibrationFactor = 1e-18;
constexpr double MaxCalibrationFactor = 1e9;

// Returns the factor as the single the program keeps, or throws Error with
// the reason when it is not a finite number from MinCalibrationFactor to
// MaxCalibrationFactor (zero and negative factors included).
float CheckCalibrationFactor(double factor);

// The factor as the dialog and the calibration file show it: 5 decimals.
std::string CalibrationFactorText(float factor, char decimalSeparator = '.');

// The longest unit name, in characters.
constexpr std::size_t MaxCalibrationUnitLength = 16;

// Returns the unit name with surrounding blanks removed, or throws Error with
// the reason when it is longer than MaxCalibrationUnitLength characters, is
// not UTF-8 or holds a control character (a line break would end the
// calibration file's unit line). An empty name means "no unit".
std::string CheckCalibrationUnit(const std::string& unit);

// The unit as it follows a length and an area in a readout: " µm" and
// " µm²"; nothing at all without a unit, so that the texts stay bare.
std::string LengthUnitSuffix(const std::string& unit);
std::string AreaUnitSuffix(const std::string& unit);

// Writes the calibration file: CalibrationFactorText and CR LF and, when a
// unit is named, "unit=" with it and CR LF (safely: a temporary file renamed
// over the target). A unit CheckCalibrationUnit refuses throws first.
void SaveCalibrationFile(const std::string& path, float factor, char decimalSeparator = '.',
                         const std::string& unit = std::string());

// What a calibration file holds; Unit is empty for a one-line file.
struct TCalibration {
    float Factor = 1.0f;
    std::string Unit;
};

// Reads factor and unit. The first line as LoadCalibrationFile reads it; a
// second line must be "unit=NAME" with a name CheckCalibrationUnit accepts
// (blank lines after it are ignored, anything else is refused). Throws Error
// naming the file; nothing is returned then.
TCalibration ReadCalibrationFile(const std::string& path);

// Reads the factor from the first line of a calibration file ("." or ","
// as decimal separator, surrounding blanks ignored). Throws Error naming the
// file when it cannot be read, is empty, or its first line is not a number
// that CheckCalibrationFactor accepts; the caller's factor then stays as it
// was. Only the first line is looked at.
float LoadCalibrationFile(const std::string& path);

} // namespace ivra
