#pragma once
// Spatial calibration: the factor from a measured pixel length and a typed
// real length, the texts the calibration dialog shows, and the calibration
// file (extension "cnv": one line with the factor and 5 decimals, CR LF).

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

// Writes the calibration file: CalibrationFactorText and CR LF, nothing else
// (safely: a temporary file renamed over the target).
void SaveCalibrationFile(const std::string& path, float factor, char decimalSeparator = '.');

// Reads the factor from the first line of a calibration file ("." or ","
// as decimal separator, surrounding blanks ignored). Throws Error naming the
// file when it cannot be read, is empty, or its first line is not a number
// that CheckCalibrationFactor accepts; the caller's factor then stays as it
// was.
float LoadCalibrationFile(const std::string& path);

} // namespace ivra
