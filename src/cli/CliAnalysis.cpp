// ivra-cli commands that analyse images: histogram, statistics, frequency
// table and pixel profile. Numbers use "." as decimal separator; grids are
// written as the tab-separated grid writer writes them (--html: the HTML
// table writer).

#include "cli/CliBatch.h"
#include "cli/CliCommand.h"
#include "core/Error.h"
#include "core/analysis/ChannelStats.h"
#include "core/analysis/DeepAnalysis.h"
#include "core/analysis/FrequencyTable.h"
#include "core/analysis/ImageAnalysis.h"
#include "core/analysis/PixelProfile.h"
#include "core/analysis/RegionStats.h"
#include "core/codecs/ImageFiles.h"
#include "core/text/NumberText.h"
#include "core/text/TextGrid.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <optional>

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

// "--depth 8" measures the 8-bit bitmap of a 16-bit file; "--depth 16" (the
// default) its samples. Returns true for 16.
bool DepthOption(std::vector<std::string>& args) {
    const std::string text = TakeOption(args, "--depth", "16");
    if (text != "8" && text != "16") throw TCliUsageError("--depth must be 8 or 16, not \"" + text + "\"");
    return text == "16";
}

// An image with its 16-bit samples when it has them and they are wanted.
struct TLoaded {
    TBitmap32 bmp;
    TSamples16 samples;  // empty: measure the bitmap
};

void Load(TCliTiming& timing, const std::string& path, bool fullDepth, TLoaded& image) {
    TImageFileDetails details;
    timing.Read([&] { return LoadImageFile(path, image.bmp, &details); });
    if (fullDepth) image.samples = std::move(details.Samples);
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

// True when the text is a whole number (a coordinate of --region).
bool IsInteger(const std::string& text) {
    std::size_t i = (text.size() > 1 && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    if (i >= text.size()) return false;
    for (; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}

// True when the text reads as a number of any kind ("12", "1e300", "nan",
// "-inf"): a polygon takes these, and each must then be a whole number.
bool IsNumberLike(const std::string& text) {
    if (text.empty()) return false;
    char* end = nullptr;
    std::strtod(text.c_str(), &end);
    return *end == '\0';
}

// A coordinate of --region: a whole number of the 32-bit range, which the
// region's pixels are computed for exactly.
int RegionCoordinate(const std::string& text) {
    if (!IsInteger(text)) {
        const double v = std::strtod(text.c_str(), nullptr);
        if (!IsNumberLike(text) || !std::isfinite(v))
            throw TCliUsageError("--region: \"" + text + "\" is not a coordinate");
        throw TCliUsageError("--region: " + text + " is not a whole number");
    }
    return ParseInt(text, "--region");
}

// Removes "--region polygon X Y X Y ...", "--region rect X1 Y1 X2 Y2" or
// "--region ellipse CX CY RX RY" from args; none when it is not there. The
// polygon takes every number after it, in pairs, leaving the last argument
// for the image; a number that is no whole number is refused by name.
std::optional<TRegionShape> TakeRegion(std::vector<std::string>& args) {
    const auto at = std::find(args.begin(), args.end(), std::string("--region"));
    if (at == args.end()) return std::nullopt;
    const std::size_t i = std::size_t(at - args.begin());
    if (i + 1 >= args.size()) throw TCliUsageError("--region needs polygon, rect or ellipse");
    const std::string kind = args[i + 1];
    std::size_t n = 0;
    TRegionShape shape;
    if (kind == "polygon") {
        shape.Kind = TRegionShape::TKind::Polygon;
        while (i + 2 + n + 1 < args.size() && IsNumberLike(args[i + 2 + n])) ++n;
        for (std::size_t k = 0; k < n; ++k) RegionCoordinate(args[i + 2 + k]);
        if (n % 2 != 0) throw TCliUsageError("--region polygon needs pairs of whole numbers X Y");
        if (n < 6) throw TCliUsageError("--region polygon needs at least three vertices");
    } else if (kind == "rect" || kind == "ellipse") {
        shape.Kind = kind == "rect" ? TRegionShape::TKind::Rectangle : TRegionShape::TKind::Ellipse;
        n = 4;
        if (i + 2 + n > args.size()) throw TCliUsageError("--region " + kind + " needs four whole numbers");
    } else {
        throw TCliUsageError("--region must be polygon, rect or ellipse, not \"" + kind + "\"");
    }
    std::vector<int> v;
    for (std::size_t k = 0; k < n; ++k) v.push_back(RegionCoordinate(args[i + 2 + k]));
    if (shape.Kind == TRegionShape::TKind::Ellipse) {
        if (v[2] < 0 || v[3] < 0) throw TCliUsageError("--region ellipse needs radii of 0 or more");
        shape.Points = {{v[0], v[1]}};
        shape.RadiusX = v[2];
        shape.RadiusY = v[3];
    } else {
        for (std::size_t k = 0; k + 1 < v.size(); k += 2) shape.Points.push_back({v[k], v[k + 1]});
    }
    args.erase(at, at + std::ptrdiff_t(2 + n));
    return shape;
}

int Stats(TCliContext& ctx) {
    const TBatchOptions batch = TakeBatchOptions(ctx.args);
    const std::optional<TRegionShape> region = TakeRegion(ctx.args);
    const std::string set = TakeOption(ctx.args, "--channels", "rgb");
    const int decimals = DecimalsOption(ctx.args);
    const bool fullDepth = DepthOption(ctx.args);
    TBatchCommand command;
    command.html = TakeFlag(ctx.args, "--html");
    TChannelSet channels;
    if (set == "rgb")
        channels = TChannelSet::RGB;
    else if (set == "hsv")
        channels = TChannelSet::HSV;
    else if (set == "gray")
        channels = TChannelSet::Gray;
    else
        throw TCliUsageError("--channels must be rgb, hsv or gray, not \"" + set + "\"");
    command.header = StatsHeaderCells();
    // Hue, saturation and value have no 16-bit form.
    const bool deepSet = channels != TChannelSet::HSV;
    command.measure = [&](const std::string& path, TCliTiming& timing) {
        TLoaded image;
        Load(timing, path, fullDepth && deepSet, image);
        const std::string label = region ? RegionLabel(path, region->Kind) : path;
        std::int64_t pixels = 0;
        TBatchRows rows;
        timing.Process([&] {
            if (!image.samples.Empty()) {
                TDeepHistograms h;
                if (region)
                    AnalyseSamplesRegion(image.samples, *region, label, h);
                else
                    AnalyseSamples(image.samples, label, h);
                pixels = h.PixelCount;
                rows.rows = DeepStatsRows(h, channels, decimals, '.');
            } else {
                TChannelHistograms h;
                if (region)
                    AnalyseRegion(image.bmp, *region, label, h);
                else
                    AnalyseImage(image.bmp, label, h);
                pixels = h.PixelCount;
                rows.rows = StatsRows(h, channels, decimals, '.');
            }
        });
        if (region && pixels == 0)
            throw Error(path + ": the region holds no pixel of the image (" + std::to_string(image.bmp.Width()) +
                        " x " + std::to_string(image.bmp.Height()) + " pixels)");
        return rows;
    };
    return RunBatch(ctx, batch, command);
}

int Freq(TCliContext& ctx) {
    const TBatchOptions batch = TakeBatchOptions(ctx.args);
    const TAnalysisChannel channel = ChannelOption(ctx.args);
    const std::string binText = TakeOption(ctx.args, "--bin", "");
    if (!binText.empty() && ParseInt(binText, "--bin") < 1) throw TCliUsageError("--bin must be 1 or more: " + binText);
    const int decimals = DecimalsOption(ctx.args);
    const bool fullDepth = DepthOption(ctx.args) && DeepChannel(channel);
    TBatchCommand command;
    command.html = TakeFlag(ctx.args, "--html");
    command.header = FrequencyHeaderCells();
    command.fileColumn = true;
    command.measure = [&](const std::string& path, TCliTiming& timing) {
        TLoaded image;
        Load(timing, path, fullDepth, image);
        const bool deep = !image.samples.Empty();
        // Bins of 20 levels over 0 .. 255, of 4096 over 0 .. 65535.
        const int bin = binText.empty() ? (deep ? DeepDefaultBinSize : 20) : ParseInt(binText, "--bin");
        TBatchRows rows;
        timing.Process([&] {
            if (deep) {
                TDeepHistograms h;
                AnalyseSamples(image.samples, path, h);
                rows.rows = DeepFrequencyRows(h, channel, bin, decimals, '.');
            } else {
                TChannelHistograms h;
                AnalyseImage(image.bmp, path, h);
                rows.rows = FrequencyRows(h, channel, bin, decimals, '.');
            }
        });
        return rows;
    };
    return RunBatch(ctx, batch, command);
}

int Profile(TCliContext& ctx) {
    const bool html = TakeFlag(ctx.args, "--html");
    const bool fullDepth = DepthOption(ctx.args);
    ExpectArgs(ctx.args, 5);
    const TPoint start{ParseInt(ctx.args[0], "X1"), ParseInt(ctx.args[1], "Y1")};
    const TPoint end{ParseInt(ctx.args[2], "X2"), ParseInt(ctx.args[3], "Y2")};
    const std::string& path = ctx.args[4];
    TCliTiming timing(ctx.timing);
    TLoaded image;
    Load(timing, path, fullDepth, image);
    const TBitmap32& bmp = image.bmp;
    if (!ProfilePointsInside(bmp, start, end))
        throw Error(path + ": the profile line from (" + ctx.args[0] + ", " + ctx.args[1] + ") to (" + ctx.args[2] +
                    ", " + ctx.args[3] + ") does not lie inside the image (" + std::to_string(bmp.Width()) + " x " +
                    std::to_string(bmp.Height()) + " pixels)");
    const auto samples = timing.Process(
        [&] { return ComputeProfile(bmp, start, end, image.samples.Empty() ? nullptr : &image.samples); });
    if (samples.empty())
        std::cerr << "The profile line is shorter than 1.5 pixels: no samples\n";
    timing.Write([&] { PrintGrid(ProfileGrid(samples, '.'), html); });
    return 0;
}

const TCliRegistrar histogramCommand("histogram", "histogram --channel red|green|blue|gray|hue|saturation|value IMAGE",
                                     "prints the count of every level of one channel: level, a tab, count",
                                     Histogram, 400);
const TCliRegistrar statsCommand(
    "stats",
    "stats [--channels rgb|hsv|gray] [--decimals N] [--depth 8|16] [--html] [--region polygon X Y X Y X Y ... | "
    "--region rect X1 Y1 X2 Y2 | --region ellipse CX CY RX RY] [BATCH OPTIONS] IMAGE|FOLDER...",
    "prints the statistics grid: the header row, then the rows of every image (default rgb, 2 decimals); with "
    "--region only of the pixels whose centre lies inside the shape. A 16-bit PNG or TIFF is measured on its "
    "16-bit values (Data \"NAME [16-bit]\"; hsv stays 8-bit) unless --depth 8", Stats, 401);
const TCliRegistrar freqCommand(
    "freq",
    "freq --channel red|green|blue|gray|hue|saturation|value [--bin N] [--decimals N] [--depth 8|16] [--html] "
    "[BATCH OPTIONS] IMAGE|FOLDER...",
    "prints the frequency table of one channel in intervals of N levels (default 20; for the 16-bit values of a "
    "16-bit file, levels 0 to 65535 in intervals of 4096)", Freq, 402);
const TCliRegistrar profileCommand("profile", "profile [--depth 8|16] [--html] X1 Y1 X2 Y2 IMAGE",
                                   "prints the pixel profile's Data grid of the line between two pixels (red, "
                                   "green, blue and intensity at 16 bits for a 16-bit file unless --depth 8)",
                                   Profile, 403);

} // namespace

} // namespace ivra::cli
