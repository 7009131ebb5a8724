#include "core/measure/Calibration.h"

#include "core/Error.h"
#include "core/io/FileIO.h"
#include "core/text/NumberText.h"

#include <cmath>

namespace ivra {

bool AcceptLengthKey(char32_t key, char decimalSeparator) {
    return (key >= U'0' && key <= U'9') || key == U'\b' || key == char32_t(static_cast<unsigned char>(decimalSeparator));
}

std::optional<float> ComputeCalibrationFactor(const std::string& pixelLabel, const std::string& lengthText) {
    if (pixelLabel.find('?') != std::string::npos) return std::nullopt;
    double p = 0;
    if (!TextToFloat(pixelLabel, p) || !(float(p) > 0)) return std::nullopt;
    double length = 0;
    if (!TextToFloat(lengthText, length)) throw Error("\"" + lengthText + "\" is not a valid number.");
    return float(length / p);
}

float CheckCalibrationFactor(double factor) {
    auto text = [](double v) { return CLocaleText(v, std::chars_format::general, 6); };
    if (!std::isfinite(factor)) throw Error("The calibration factor " + text(factor) + " is not a finite number.");
    if (!(factor > 0))
        throw Error("The calibration factor " + text(factor) + " is not positive; it must be greater than 0.");
    if (factor < MinCalibrationFactor)
        throw Error("The calibration factor " + text(factor) + " is too small to use; the smallest is " +
                    text(MinCalibrationFactor) + ".");
    if (factor > MaxCalibrationFactor)
        throw Error("The calibration factor " + text(factor) + " is too large; the largest is " +
                    text(MaxCalibrationFactor) + ", beyond which areas overflow.");
    return float(factor);
}

std::string CalibrationFactorText(float factor, char decimalSeparator) {
    return FloatToText(factor, 5, decimalSeparator);
}

void SaveCalibrationFile(const std::string& path, float factor, char decimalSeparator) {
    WriteFileAtomically(path, CalibrationFactorText(factor, decimalSeparator) + "\r\n");
}

float LoadCalibrationFile(const std::string& path) {
    // A calibration file is one short line; anything large is not one.
    const auto bytes = ReadWholeFile(path, std::size_t(1) << 20);
    std::string line(bytes.begin(), bytes.end());
    const auto end = line.find_first_of("\r\n");
    if (end != std::string::npos) line.resize(end);
    double v = 0;
    if (!TextToFloat(line, v))
        throw Error("\"" + path + "\" is not a calibration file: its first line is not a number.");
    try {
        return CheckCalibrationFactor(v);
    } catch (const Error& e) {
        throw Error("\"" + path + "\" cannot be used: " + e.what());
    }
}

} // namespace ivra
