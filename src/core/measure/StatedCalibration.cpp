#include "core/measure/StatedCalibration.h"

#include <cmath>
#include <cstdio>

namespace ivra {

namespace {

double MicrometresPerUnit(TResolutionUnit unit) {
    switch (unit) {
    case TResolutionUnit::Inch: return 25400.0;
    case TResolutionUnit::Centimetre: return 10000.0;
    case TResolutionUnit::Metre: return 1e6;
    case TResolutionUnit::None: break;
    }
    return 0;
}

// Up to 4 decimals, trailing zeros and a trailing point cut; always '.'.
std::string Number(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", v);
    std::string s = text;
    for (char& c : s)
        if (c == ',') c = '.';
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s;
}

} // namespace

std::optional<TStatedCalibration> CalibrationFromResolution(const TStatedResolution& r) {
    const double perUnit = MicrometresPerUnit(r.Unit);
    if (perUnit == 0 || !(r.X > 0) || !std::isfinite(r.X)) return std::nullopt;
    const double um = perUnit / r.X;
    if (um < 1000) return TStatedCalibration{um, "\xC2\xB5m"};
    if (um < 1e6) return TStatedCalibration{um / 1000, "mm"};
    return TStatedCalibration{um / 1e6, "m"};
}

std::string ResolutionText(const TStatedResolution& r) {
    if (!r.Present()) return "none";
    const char* unit = r.Unit == TResolutionUnit::Inch         ? "inch"
                       : r.Unit == TResolutionUnit::Centimetre ? "centimetre"
                       : r.Unit == TResolutionUnit::Metre      ? "metre"
                                                               : "unit (no unit)";
    std::string text = Number(r.X) + " pixels per " + unit;
    if (r.Y != r.X) text += " across, " + Number(r.Y) + " down";
    if (const auto c = CalibrationFromResolution(r)) text += " (" + Number(c->Factor) + " " + c->Unit + " per pixel)";
    return text;
}

} // namespace ivra
