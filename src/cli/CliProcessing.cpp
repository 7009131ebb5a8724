// ivra-cli commands that process images: the filters, the colour and
// geometric operations, brightness, histogram stretch, channel images and
// colour counting.

#include "cli/CliBatch.h"
#include "cli/CliCommand.h"
#include "core/Error.h"
#include "core/analysis/HistogramStretch.h"
#include "core/analysis/ImageAnalysis.h"
#include "core/codecs/ImageFiles.h"
#include "core/io/FileIO.h"
#include "core/processing/Channels.h"
#include "core/processing/ColorOps.h"
#include "core/processing/Filters.h"
#include "core/processing/GeometricOps.h"
#include "core/processing/Levels.h"

#include <functional>
#include <iostream>

namespace ivra::cli {

namespace {

void SaveImage(const TBitmap32& bmp, const std::string& path) {
    std::uint8_t filter = PngFilterNone;
    SaveImageFile(bmp, path, filter);
}

// Runs an operation on an image file: read IN, process, write OUT. Errors
// of the operation itself are reported with the input's name.
int ProcessFile(const TCliContext& ctx, const std::string& input, const std::string& output,
                const std::function<void(TBitmap32&)>& op) {
    RequireSaveFormat(output); // refuse a bad output name before any work
    TCliTiming timing(ctx.timing);
    TBitmap32 bmp;
    timing.Read([&] { return LoadImageFile(input, bmp); });
    timing.Process([&] {
        try {
            op(bmp);
        } catch (const Error& e) {
            throw Error(input + ": " + e.what());
        }
    });
    timing.Write([&] { SaveImage(bmp, output); });
    return 0;
}

int Filters(TCliContext& ctx) {
    ExpectArgs(ctx.args, 0);
    for (const TFilterInfo& f : FilterTable()) std::cout << f.name << "\n";
    return 0;
}

int Filter(TCliContext& ctx) {
    ExpectArgs(ctx.args, 3);
    const TFilterInfo* filter = FindFilterByName(ctx.args[0]);
    if (!filter) throw TCliUsageError("unknown filter \"" + ctx.args[0] + "\" (ivra-cli filters lists them)");
    return ProcessFile(ctx, ctx.args[1], ctx.args[2], [filter](TBitmap32& b) { ApplyFilter(*filter, b); });
}

// A command IN OUT that runs one operation.
TCliHandler Simple(std::function<void(TBitmap32&)> op) {
    return [op](TCliContext& ctx) {
        ExpectArgs(ctx.args, 2);
        return ProcessFile(ctx, ctx.args[0], ctx.args[1], op);
    };
}

int Brightness(TCliContext& ctx) {
    ExpectArgs(ctx.args, 3);
    const int change = ParseInt(ctx.args[0], "CHANGE");
    return ProcessFile(ctx, ctx.args[1], ctx.args[2], [change](TBitmap32& b) { AdjustBrightness(b, change); });
}

int Level(const std::string& text, const char* what) {
    const int v = ParseInt(text, what);
    if (v < 0 || v > 255) throw TCliUsageError(std::string(what) + " must be a level from 0 to 255: " + text);
    return v;
}

int Stretch(TCliContext& ctx) {
    for (const auto& a : ctx.args)
        if (a.size() > 2 && a.rfind("--", 0) == 0) throw TCliUsageError("unknown option " + a);
    if (ctx.args.size() == 4) {
        const int low = Level(ctx.args[0], "LOW"), high = Level(ctx.args[1], "HIGH");
        if (low >= high) throw TCliUsageError("LOW must be below HIGH");
        return ProcessFile(ctx, ctx.args[2], ctx.args[3], [low, high](TBitmap32& b) { StretchLevels(b, low, high); });
    }
    ExpectArgs(ctx.args, 2);
    // The proposal of the stretch dialog: 2 % and 98 % of the gray levels.
    return ProcessFile(ctx, ctx.args[0], ctx.args[1], [](TBitmap32& b) {
        TChannelHistograms h;
        AnalyseImage(b, "", h);
        const TStretchCutoffs c = ProposeStretchCutoffs(h);
        std::cout << "Low cutoff\t" << c.Low << "\nHigh cutoff\t" << c.High << "\n";
        StretchLevels(b, c.Low, c.High);
    });
}

int Channels(TCliContext& ctx) {
    ExpectArgs(ctx.args, 3);
    const std::string& set = ctx.args[0];
    std::vector<TColorChannel> channels;
    if (set == "rgb")
        channels = {TColorChannel::Red, TColorChannel::Green, TColorChannel::Blue};
    else if (set == "hsv")
        channels = {TColorChannel::Hue, TColorChannel::Saturation, TColorChannel::Value};
    else
        throw TCliUsageError("the channel set must be rgb or hsv, not \"" + set + "\"");
    TCliTiming timing(ctx.timing);
    TBitmap32 bmp, channel;
    timing.Read([&] { return LoadImageFile(ctx.args[1], bmp); });
    for (TColorChannel ch : channels) {
        timing.Process([&] { ChannelImage(&channel, &bmp, ch); });
        std::string name = ColorChannelName(ch);
        for (char& c : name) c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        const std::string path = ctx.args[2] + "-" + name + ".png";
        std::uint8_t filter = PngFilterNone;
        timing.Write([&] { return SaveToPng(channel, path, filter); });
    }
    return 0;
}

int Colors(TCliContext& ctx) {
    const TBatchOptions batch = TakeBatchOptions(ctx.args);
    TBatchCommand command;
    command.header = {"Colors"};
    command.fileColumn = true;
    command.measure = [](const std::string& path, TCliTiming& timing) {
        TBitmap32 bmp;
        timing.Read([&] { return LoadImageFile(path, bmp); });
        const std::uint32_t n = timing.Process([&] { return CountColors(bmp); });
        return TBatchRows{{{std::to_string(n)}}, CountColorsMessage(n)};
    };
    return RunBatch(ctx, batch, command);
}

const TCliRegistrar filtersCommand("filters", "filters", "lists the names of the twenty filters", Filters, 300);
const TCliRegistrar filterCommand("filter", "filter NAME IN OUT",
                                  "applies the filter NAME (see filters) to the whole image", Filter, 301);
const TCliRegistrar grayscaleCommand("grayscale", "grayscale IN OUT",
                                     "converts to gray: (61 R + 174 G + 21 B) / 256, alpha 255",
                                     Simple([](TBitmap32& b) { GrayscaleBitmap(&b, &b); }), 302);
const TCliRegistrar invertCommand("invert", "invert IN OUT", "inverts red, green and blue",
                                  Simple([](TBitmap32& b) { InvertBitmap(&b, &b); }), 303);
const TCliRegistrar flipCommand("flip", "flip IN OUT", "mirrors the image top to bottom",
                                Simple([](TBitmap32& b) { FlipVert(b); }), 304);
const TCliRegistrar mirrorCommand("mirror", "mirror IN OUT", "mirrors the image left to right",
                                  Simple([](TBitmap32& b) { FlipHorz(b); }), 305);
const TCliRegistrar rotateRightCommand("rotate-right", "rotate-right IN OUT", "turns the image 90 degrees clockwise",
                                       Simple([](TBitmap32& b) { Rotate90(b); }), 306);
const TCliRegistrar rotate180Command("rotate-180", "rotate-180 IN OUT", "turns the image 180 degrees",
                                     Simple([](TBitmap32& b) { Rotate180(b); }), 307);
const TCliRegistrar rotateLeftCommand("rotate-left", "rotate-left IN OUT",
                                      "turns the image 90 degrees counter-clockwise",
                                      Simple([](TBitmap32& b) { Rotate270(b); }), 308);
const TCliRegistrar brightnessCommand("brightness", "brightness CHANGE IN OUT",
                                      "adds CHANGE to red, green and blue, limited to 0..255", Brightness, 309);
const TCliRegistrar stretchCommand("stretch", "stretch [LOW HIGH] IN OUT",
                                   "stretches the levels LOW..HIGH to 0..255; without them uses the cut-offs at 2 % "
                                   "and 98 % of the gray histogram and prints them",
                                   Stretch, 310);
const TCliRegistrar channelsCommand("channels", "channels rgb|hsv IN PREFIX",
                                    "writes PREFIX-red.png, -green.png, -blue.png or PREFIX-hue.png, "
                                    "-saturation.png, -value.png",
                                    Channels, 311);
const TCliRegistrar colorsCommand("colors", "colors [BATCH OPTIONS] IMAGE|FOLDER...", "counts the distinct colours",
                                   Colors, 312);

} // namespace

} // namespace ivra::cli
