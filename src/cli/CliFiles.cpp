// ivra-cli commands on image files: info and convert.

#include "cli/CliBatch.h"
#include "cli/CliCommand.h"
#include "core/Error.h"
#include "core/codecs/ImageFiles.h"
#include "core/io/FileIO.h"
#include "core/measure/StatedCalibration.h"

#include <array>
#include <iostream>

namespace ivra::cli {

namespace {

int Info(TCliContext& ctx) {
    const TBatchOptions batch = TakeBatchOptions(ctx.args);
    TBatchCommand command;
    command.header = {"Width", "Height", "Format", "Bits", "Pages", "Resolution"};
    command.fileColumn = true;
    command.measure = [](const std::string& path, TCliTiming& timing) {
        TBitmap32 bmp;
        TImageFileDetails details;
        const TImageFormat format = timing.Read([&] { return LoadImageFile(path, bmp, &details); });
        const std::string w = std::to_string(bmp.Width()), h = std::to_string(bmp.Height());
        const std::string resolution = details.Resolution.Present() ? ResolutionText(details.Resolution) : "";
        // "23x11 PNG", then what the file holds beyond 8-bit samples on one
        // page: "512x512 TIFF 16-bit 3 pages, resolution 20000 pixels per
        // centimetre (0.5 µm per pixel)".
        std::string line = w + "x" + h + " " + ImageFormatName(format);
        if (details.BitsPerSample != 8) line += " " + std::to_string(details.BitsPerSample) + "-bit";
        if (details.Pages > 1) line += " " + std::to_string(details.Pages) + " pages";
        if (!resolution.empty()) line += ", resolution " + resolution;
        return TBatchRows{{{w, h, ImageFormatName(format), std::to_string(details.BitsPerSample),
                            std::to_string(details.Pages), resolution}},
                          line};
    };
    return RunBatch(ctx, batch, command);
}

int Convert(TCliContext& ctx) {
    const bool showTrials = TakeFlag(ctx.args, "--png-trials");
    ExpectArgs(ctx.args, 2);
    const std::string& input = ctx.args[0];
    const std::string& output = ctx.args[1];
    const TImageFormat format = RequireSaveFormat(output);
    if (showTrials && format != TImageFormat::Png) throw TCliUsageError("--png-trials needs a .png output");
    TCliTiming timing(ctx.timing);
    TBitmap32 bmp;
    timing.Read([&] { return LoadImageFile(input, bmp); });
    switch (format) {
    case TImageFormat::Jpeg:
        timing.Write([&] { SaveToJPG(bmp, output); });
        break;
    case TImageFormat::Bmp:
        timing.Write([&] { SaveToBmp(bmp, output); });
        break;
    default: {
        std::uint8_t filter = PngFilterNone;
        std::array<std::size_t, 5> sizes{};
        timing.Write([&] { return SaveToPng(bmp, output, filter, {}, &sizes); });
        if (showTrials)
            for (int i = 0; i < 5; ++i) std::cout << PngFilterName(PngFilterOfIndex(i)) << " " << sizes[std::size_t(i)] << "\n";
        std::cout << PngFilterName(filter) << "\n";
        break;
    }
    }
    return 0;
}

const TCliRegistrar infoCommand("info", "info [BATCH OPTIONS] IMAGE|FOLDER...",
                                "prints the size and the format a JPEG, PNG or BMP image was read as, e.g. 640x480 PNG",
                                Info, 10);
const TCliRegistrar convertCommand(
    "convert", "convert [--png-trials] IN OUT",
    "writes IN as OUT the way Save does: .jpg/.jpeg JPEG quality 80, .bmp 24-bit, .png with the smallest "
    "single filter (prints its name; --png-trials first prints the five trial sizes)",
    Convert, 20);

} // namespace

} // namespace ivra::cli
