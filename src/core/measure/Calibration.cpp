#include "core/measure/Calibration.h"

#include "core/Error.h"
#include "core/io/FileIO.h"
#include "core/text/NumberText.h"

#include <cmath>
#include <vector>

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

namespace {

// The number of characters of a UTF-8 text, or nothing when it is not UTF-8
// (overlong forms, surrogates and values beyond U+10FFFF included) or holds
// a control character.
std::optional<std::size_t> PrintableUtf8Length(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        int more = 0;
        char32_t cp = 0;
        if (c < 0x80) cp = c;
        else if (c >= 0xC2 && c <= 0xDF) more = 1, cp = c & 0x1F;
        else if (c >= 0xE0 && c <= 0xEF) more = 2, cp = c & 0x0F;
        else if (c >= 0xF0 && c <= 0xF4) more = 3, cp = c & 0x07;
        else return std::nullopt;
        if (i + more >= text.size()) return std::nullopt;
        for (int k = 1; k <= more; ++k) {
            const unsigned char d = static_cast<unsigned char>(text[i + k]);
            if ((d & 0xC0) != 0x80) return std::nullopt;
            cp = (cp << 6) | (d & 0x3F);
        }
        if (more == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) return std::nullopt;
        if (more == 3 && (cp < 0x10000 || cp > 0x10FFFF)) return std::nullopt;
        if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) return std::nullopt;
        i += 1 + more;
    }
    return count;
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

std::string CheckCalibrationUnit(const std::string& unit) {
    const std::string u = Trimmed(unit);
    const std::optional<std::size_t> length = PrintableUtf8Length(u);
    if (!length) throw Error("The unit \"" + u + "\" holds a character that cannot be used in a unit name.");
    if (*length > MaxCalibrationUnitLength)
        throw Error("The unit \"" + u + "\" is too long: a unit has at most " +
                    std::to_string(MaxCalibrationUnitLength) + " characters.");
    return u;
}

std::string LengthUnitSuffix(const std::string& unit) { return unit.empty() ? std::string() : " " + unit; }

std::string AreaUnitSuffix(const std::string& unit) {
    return unit.empty() ? std::string() : " " + unit + "\u00B2";
}

void SaveCalibrationFile(const std::string& path, float factor, char decimalSeparator, const std::string& unit) {
    const std::string u = CheckCalibrationUnit(unit);
    std::string text = CalibrationFactorText(factor, decimalSeparator) + "\r\n";
    if (!u.empty()) text += "unit=" + u + "\r\n";
    WriteFileAtomically(path, text);
}

namespace {

// The lines of a file, split at CR LF, LF or a lone CR.
std::vector<std::string> FileLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

std::string ReadCalibrationText(const std::string& path) {
    // A calibration file is a few short lines; anything large is not one.
    const auto bytes = ReadWholeFile(path, std::size_t(1) << 20);
    return std::string(bytes.begin(), bytes.end());
}

float FactorFromFirstLine(const std::string& path, std::string line) {
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

} // namespace

float LoadCalibrationFile(const std::string& path) { return FactorFromFirstLine(path, ReadCalibrationText(path)); }

TCalibration ReadCalibrationFile(const std::string& path) {
    const std::string text = ReadCalibrationText(path);
    TCalibration c;
    c.Factor = FactorFromFirstLine(path, text);
    const std::vector<std::string> lines = FileLines(text);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (Trimmed(lines[i]).empty()) continue;
        if (i != 1 || lines[i].rfind("unit=", 0) != 0)
            throw Error("\"" + path + "\" is not a calibration file: after the factor only a line \"unit=\" may follow.");
        try {
            c.Unit = CheckCalibrationUnit(lines[i].substr(5));
        } catch (const Error& e) {
            throw Error("\"" + path + "\" cannot be used: " + e.what());
        }
    }
    return c;
}

} // namespace ivra
