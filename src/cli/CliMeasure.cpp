// ivra-cli measure and sheet-roundtrip: the measuring tools and the
// spreadsheet file of the core, driven from the command line.

#include "cli/CliCommand.h"
#include "core/Error.h"
#include "core/measure/Calibration.h"
#include "core/measure/MeasureTools.h"
#include "core/measure/SheetModel.h"

#include <iostream>

namespace ivra::cli {

namespace {

std::vector<TPoint> ParsePoints(const std::vector<std::string>& args, std::size_t from) {
    if ((args.size() - from) % 2 != 0) throw TCliUsageError("coordinates come in X Y pairs");
    std::vector<TPoint> points;
    for (std::size_t i = from; i + 1 < args.size(); i += 2)
        points.push_back({ParseInt(args[i], "X"), ParseInt(args[i + 1], "Y")});
    return points;
}

// Feeds the presses to the tool exactly as the image window does and prints
// the lines the tool puts into the messages pane.
int MeasureCommand(TCliContext& ctx) {
    auto& args = ctx.args;
    const std::string factorText = TakeOption(args, "--factor", "1");
    float factor = 1;
    try {
        factor = CheckCalibrationFactor(ParseDouble(factorText, "--factor"));
    } catch (const Error& e) {
        throw TCliUsageError(std::string("--factor: ") + e.what());
    }
    std::string unit;
    try {
        unit = CheckCalibrationUnit(TakeOption(args, "--unit"));
    } catch (const Error& e) {
        throw TCliUsageError(std::string("--unit: ") + e.what());
    }
    for (const auto& a : args)
        if (a.size() > 2 && a.rfind("--", 0) == 0) throw TCliUsageError("unknown option " + a);
    if (args.empty()) throw TCliUsageError("which tool?");
    const std::string tool = args[0];
    const std::vector<TPoint> p = ParsePoints(args, 1);

    std::int32_t toolState = 0;
    TToolContext tc{toolState, factor, '.', unit};
    TMeasuringState state;
    std::vector<std::string> messages;
    auto collect = [&](const TToolOutput& out) {
        messages.insert(messages.end(), out.Messages.begin(), out.Messages.end());
    };
    auto expectPoints = [&](std::size_t n) {
        if (p.size() != n) throw TCliUsageError(tool + " takes " + std::to_string(n) + " points");
    };
    using B = TMouseButton;
    if (tool == "line") {
        expectPoints(2);
        collect(state.LineToolDown(tc, B::mbLeft, p[0]));
        collect(state.LineToolDown(tc, B::mbLeft, p[1]));
    } else if (tool == "polyline" || tool == "polygon") {
        if (p.empty()) throw TCliUsageError(tool + " takes at least one point");
        // Left presses, and the last point is the right press that ends it.
        const bool polygon = tool == "polygon";
        for (std::size_t i = 0; i < p.size(); ++i) {
            const B button = i + 1 == p.size() ? B::mbRight : B::mbLeft;
            collect(polygon ? state.PolygonToolDown(tc, button, p[i]) : state.PolylineToolDown(tc, button, p[i]));
        }
    } else if (tool == "angle") {
        expectPoints(3);
        for (const TPoint& q : p) collect(state.AngleToolDown(tc, B::mbLeft, q));
    } else if (tool == "rect") {
        expectPoints(2);
        collect(state.RectToolDown(tc, B::mbLeft, p[0]));
        collect(state.RectToolDown(tc, B::mbLeft, p[1]));
    } else if (tool == "ellipse" || tool == "circle") {
        expectPoints(2);
        const bool circle = tool == "circle";
        collect(state.EllipseToolDown(tc, B::mbLeft, p[0], circle));
        collect(state.EllipseToolDown(tc, B::mbLeft, p[1], circle));
    } else {
        throw TCliUsageError("unknown tool \"" + tool + "\"");
    }
    for (const auto& m : messages) std::cout << m << "\n";
    return 0;
}

int SheetRoundtripCommand(TCliContext& ctx) {
    ExpectArgs(ctx.args, 2);
    TSheetModel sheet;
    sheet.LoadFromFile(ctx.args[0]);
    sheet.SaveToFile(ctx.args[1]);
    return 0;
}

const TCliRegistrar measureRegistrar(
    "measure", "measure [--factor F] [--unit U] TOOL X Y ...",
    "prints the lines a measuring tool writes to the messages pane for these presses\n"
    "      (image pixels; F = calibration factor, default 1, from 1e-18 to 1e9; U = the unit the\n"
    "      lengths and areas are shown in, at most 16 characters, none by default). TOOL and its points:\n"
    "        line X1 Y1 X2 Y2          rect X1 Y1 X2 Y2\n"
    "        ellipse XC YC X2 Y2       circle XC YC X2 Y2\n"
    "        angle XA YA XV YV XB YB   (first point, vertex, end point)\n"
    "        polyline X Y ...          polygon X Y ...   (the last pair is the ending right press)",
    MeasureCommand, 60);

const TCliRegistrar sheetRegistrar("sheet-roundtrip", "sheet-roundtrip IN OUT",
                                   "loads a spreadsheet file (tab-separated text) and saves it again",
                                   SheetRoundtripCommand, 61);

} // namespace

} // namespace ivra::cli
