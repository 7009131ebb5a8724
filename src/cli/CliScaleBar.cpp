// ivra-cli scalebar: burns a scale bar into a copy of an image, as the
// image window's "Scale Bar..." command makes one and Flatten burns it in.

#include "cli/CliCommand.h"
#include "cli/CliLabelFont.h"
#include "core/Error.h"
#include "core/codecs/ImageFiles.h"
#include "core/measure/Calibration.h"
#include "core/measure/ScaleBar.h"

#include <iostream>

namespace ivra::cli {

namespace {

TColor32 ParseColor(const std::string& text) {
    TColor32 c = 0;
    if (text.size() != 6) throw TCliUsageError("--color takes six hexadecimal digits RRGGBB: " + text);
    for (char ch : text) {
        const int d = ch >= '0' && ch <= '9' ? ch - '0'
                      : ch >= 'a' && ch <= 'f' ? ch - 'a' + 10
                      : ch >= 'A' && ch <= 'F' ? ch - 'A' + 10
                                               : -1;
        if (d < 0) throw TCliUsageError("--color takes six hexadecimal digits RRGGBB: " + text);
        c = (c << 4) | TColor32(d);
    }
    return 0xFF000000u | c;
}

template <class F>
auto AsUsage(const char* option, F&& f) {
    try {
        return f();
    } catch (const Error& e) {
        throw TCliUsageError(std::string(option) + ": " + e.what());
    }
}

int ScaleBarCommand(TCliContext& ctx) {
    auto& args = ctx.args;
    const std::string factorText = TakeOption(args, "--factor");
    const std::string unitText = TakeOption(args, "--unit");
    const std::string lengthText = TakeOption(args, "--length");
    const std::string cornerText = TakeOption(args, "--corner", "lower-right");
    const std::string heightText = TakeOption(args, "--height");
    const std::string colorText = TakeOption(args, "--color", "FFFFFF");
    const bool label = !TakeFlag(args, "--no-label");
    ExpectArgs(args, 2);
    if (factorText.empty() || lengthText.empty()) throw TCliUsageError("--factor and --length are needed");
    const float factor = AsUsage("--factor", [&] { return CheckCalibrationFactor(ParseDouble(factorText, "--factor")); });
    const std::string unit = AsUsage("--unit", [&] { return CheckCalibrationUnit(unitText); });
    const double length = ParseDouble(lengthText, "--length");
    TScaleBarCorner corner{};
    if (!ScaleBarCornerFromName(cornerText, corner)) throw TCliUsageError("unknown corner \"" + cornerText + "\"");
    const TColor32 color = ParseColor(colorText);
    RequireSaveFormat(args[1]);

    TBitmap32 image;
    LoadImageFile(args[0], image);
    const int w = image.Width(), h = image.Height();
    TScaleBarGeometry g;
    g.Corner = corner;
    g.BarPixels = ScaleBarPixels(length, factor, w, h);
    g.BarHeight = heightText.empty() ? DefaultScaleBarHeight(w, h) : ParseInt(heightText, "--height");
    std::optional<TLabelMask> mask;
    if (label) {
        mask = RenderLabel(ScaleBarLabel(length, unit), DefaultScaleBarLabelSize(w, h));
        if (!mask) std::cerr << "ivra-cli: no font found on this system; the bar has no label\n";
    }
    if (mask) {
        g.LabelWidth = mask->Width;
        g.LabelHeight = mask->Height;
    }
    const TScaleBarLayout layout = PlaceScaleBar(w, h, g);
    DrawScaleBar(image, {0, 0}, layout, color, 0, mask ? &*mask : nullptr);
    std::uint8_t filter = PngFilterNone;
    SaveImageFile(image, args[1], filter);
    std::cout << "bar " << g.BarPixels << " px at " << layout.Bar.Left << "," << layout.Bar.Top << "\n";
    return 0;
}

const TCliRegistrar scaleBarRegistrar(
    "scalebar",
    "scalebar --factor F --unit U --length L [--corner lower-right|lower-left|upper-right|upper-left]\n"
    "      [--height H] [--color RRGGBB] [--no-label] IN OUT",
    "burns a scale bar of L units (round(L / F) pixels long, H pixels high, white unless RRGGBB\n"
    "      is given, labelled \"L U\") into a copy of IN, 2 % of the shorter side from the corner,\n"
    "      and prints \"bar W px at X,Y\" (the bar's left-top pixel)",
    ScaleBarCommand, 62);

} // namespace

} // namespace ivra::cli
