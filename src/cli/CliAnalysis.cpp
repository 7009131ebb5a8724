// ivra-cli commands that analyse images: histogram, statistics, frequency
// table and pixel profile. Numbers use "." as decimal separator; grids are
// written as the tab-separated grid writer writes them (--html: the HTML
// table writer).

#include "cli/CliCommand.h"
#include "core/Error.h"
#include "core/analysis/ChannelStats.h"
#include "core/analysis/FrequencyTable.h"
#include "core/analysis/ImageAnalysis.h"
#include "core/analysis/PixelProfile.h"
#include "core/codecs/ImageFiles.h"
#include "core/text/NumberText.h"
#include "core/text/TextGrid.h"

#include <iostream>

namespace ivra::cli {

namespace {

TAnalysisChannel ChannelOption(std::vector<std::string>& args) {
    const std::string name = TakeOption(args, "--channel");
    const std::pair<const char*, TAnalysisChannel> channels[] = {
        {"red", TAnalysisChannel::Red},   {"green", TAnalysisChannel::Green},
        {"blue", TAnalysisChannel::Blue}, {"gray", TAnalysisChannel::Gray},
        {"hue", TAnalysisChannel::Hue},   {"saturation", TAnalysisChannel::Saturation},
        {"value", TAnalysisChannel::Value}};
    if (name.empty()) throw TCliUsageError("--channel is required");
    for (const auto& [n, ch] : channels)
        if (name == n) return ch;
    throw TCliUsageError("unknown channel \"" + name + "\": red, green, blue, gray, hue, saturation or value");
}

int DecimalsOption(std::vector<std::string>& args) {
    const std::string text = TakeOption(args, "--decimals", "2");
    const int d = ParseInt(text, "--decimals");
    if (d < 0 || d > 8) throw TCliUsageError("--decimals must be from 0 to 8: " + text);
    return d;
}

void AppendRow(TTextGrid& grid, const std::vector<std::string>& cells) {
    const int r = grid.RowCount();
    grid.SetSize(std::max(grid.ColCount(), int(cells.size())), r + 1);
    for (std::size_t c = 0; c < cells.size(); ++c) grid.SetCell(int(c), r, cells[c]);
}

void PrintGrid(const TTextGrid& grid, bool html) {
    std::cout << (html ? GridToHTMLString(grid) : GridToTextString(grid));
}

TChannelHistograms Analyse(TCliTiming& timing, const std::string& path) {
    TBitmap32 bmp;
    timing.Read([&] { return LoadImageFile(path, bmp); });
    TChannelHistograms h;
    timing.Process([&] { AnalyseImage(bmp, path, h); });
    return h;
}

int Histogram(TCliContext& ctx) {
    const TAnalysisChannel channel = ChannelOption(ctx.args);
    ExpectArgs(ctx.args, 1);
    TCliTiming timing(ctx.timing);
    const TChannelHistograms h = Analyse(timing, ctx.args[0]);
    timing.Write([&] {
        std::string out;
        const auto counts = ChannelCounts(h, channel);
        for (std::size_t i = 0; i < counts.size(); ++i)
            out += std::to_string(i) + "\t" + std::to_string(counts[i]) + "\n";
        std::cout << out;
    });
    return 0;
}

int Stats(TCliContext& ctx) {
    const std::string set = TakeOption(ctx.args, "--channels", "rgb");
    const int decimals = DecimalsOption(ctx.args);
    const bool html = TakeFlag(ctx.args, "--html");
    TChannelSet channels;
    if (set == "rgb")
        channels = TChannelSet::RGB;
    else if (set == "hsv")
        channels = TChannelSet::HSV;
    else if (set == "gray")
        channels = TChannelSet::Gray;
    else
        throw TCliUsageError("--channels must be rgb, hsv or gray, not \"" + set + "\"");
    for (const auto& a : ctx.args)
        if (a.size() > 2 && a.rfind("--", 0) == 0) throw TCliUsageError("unknown option " + a);
    if (ctx.args.empty()) throw TCliUsageError("no image given");
    TCliTiming timing(ctx.timing);
    TTextGrid grid;
    AppendRow(grid, StatsHeaderCells());
    for (const std::string& path : ctx.args) {
        const TChannelHistograms h = Analyse(timing, path);
        timing.Process([&] {
            for (const auto& row : StatsRows(h, channels, decimals, '.')) AppendRow(grid, row);
        });
    }
    timing.Write([&] { PrintGrid(grid, html); });
    return 0;
}

int Freq(TCliContext& ctx) {
    const TAnalysisChannel channel = ChannelOption(ctx.args);
    const std::string binText = TakeOption(ctx.args, "--bin", "20");
    const int bin = ParseInt(binText, "--bin");
    if (bin < 1) throw TCliUsageError("--bin must be 1 or more: " + binText);
    const int decimals = DecimalsOption(ctx.args);
    const bool html = TakeFlag(ctx.args, "--html");
    ExpectArgs(ctx.args, 1);
    TCliTiming timing(ctx.timing);
    const TChannelHistograms h = Analyse(timing, ctx.args[0]);
    TTextGrid grid;
    AppendRow(grid, FrequencyHeaderCells());
    timing.Process([&] {
        for (const auto& row : FrequencyRows(h, channel, bin, decimals, '.')) AppendRow(grid, row);
    });
    timing.Write([&] { PrintGrid(grid, html); });
    return 0;
}

int Profile(TCliContext& ctx) {
    const bool html = TakeFlag(ctx.args, "--html");
    ExpectArgs(ctx.args, 5);
    const TPoint start{ParseInt(ctx.args[0], "X1"), ParseInt(ctx.args[1], "Y1")};
    const TPoint end{ParseInt(ctx.args[2], "X2"), ParseInt(ctx.args[3], "Y2")};
    const std::string& path = ctx.args[4];
    TCliTiming timing(ctx.timing);
    TBitmap32 bmp;
    timing.Read([&] { return LoadImageFile(path, bmp); });
    if (!ProfilePointsInside(bmp, start, end))
        throw Error(path + ": the profile line from (" + ctx.args[0] + ", " + ctx.args[1] + ") to (" + ctx.args[2] +
                    ", " + ctx.args[3] + ") does not lie inside the image (" + std::to_string(bmp.Width()) + " x " +
                    std::to_string(bmp.Height()) + " pixels)");
    const auto samples = timing.Process([&] { return ComputeProfile(bmp, start, end); });
    if (samples.empty())
        std::cerr << "The profile line is shorter than 1.5 pixels: no samples\n";
    timing.Write([&] { PrintGrid(ProfileGrid(samples, '.'), html); });
    return 0;
}

const TCliRegistrar histogramCommand("histogram", "histogram --channel red|green|blue|gray|hue|saturation|value IMAGE",
                                     "prints the count of every level of one channel: level, a tab, count",
                                     Histogram, 400);
const TCliRegistrar statsCommand(
    "stats", "stats [--channels rgb|hsv|gray] [--decimals N] [--html] IMAGE...",
    "prints the statistics grid: the header row, then the rows of every image (default rgb, 2 decimals)", Stats, 401);
const TCliRegistrar freqCommand(
    "freq", "freq --channel red|green|blue|gray|hue|saturation|value [--bin N] [--decimals N] [--html] IMAGE",
    "prints the frequency table of one channel in intervals of N levels (default 20)", Freq, 402);
const TCliRegistrar profileCommand("profile", "profile [--html] X1 Y1 X2 Y2 IMAGE",
                                   "prints the pixel profile's Data grid of the line between two pixels", Profile,
                                   403);

} // namespace

} // namespace ivra::cli
