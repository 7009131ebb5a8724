// Decoding and encoding a 6000 x 4000 photo-like image in each format, the
// PNG save against libpng's own, and the libdeflate level of the PNG writer.
//
//   bench_codecs                                   everything
//   bench_codecs --benchmark_filter='SavePng|LibpngSave' --benchmark_repetitions=5
//                                                  the save and its peer
//   bench_codecs --benchmark_filter='PngLevel|PngZlib6' --benchmark_counters_tabular=true
//                                                  the table of bench/png_levels.md
//   bench_codecs --write-image NAME FILE.bmp       one of the images (photograph,
//                                                  micrograph, screenshot, flat, smooth) as a
//                                                  24-bit BMP, e.g. for ivra-cli convert
//
// SavePng is the program's save from the call to the closed file: the five
// filter trials on parallel threads and the winner written (through the
// safe writer, which also flushes the file to disk). LibpngSave is libpng's
// default save of the same pixels (adaptive filters chosen per row, zlib
// level 6) to a file closed with fclose. PngLevel runs the five trials at one
// libdeflate level; PngZlib6 deflates the same filtered rows with zlib at
// level 6, the reference for the level's sizes.

#include "BenchImages.h"

#include "core/codecs/ImageFiles.h"
#include "core/io/FileIO.h"

#include <benchmark/benchmark.h>

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

using namespace ivra;

namespace {

constexpr int BenchWidth = 6000, BenchHeight = 4000;
// The other images of the level table.
constexpr int SmallWidth = 2000, SmallHeight = 1500;

const TBitmap32& Photo() {
    static TBitmap32 bmp;
    if (bmp.Empty()) bench::MakePhotoLike(bmp, BenchWidth, BenchHeight);
    return bmp;
}

struct TLcg {
    std::uint32_t state;
    std::uint32_t Next() { return state = state * 1664525u + 1013904223u; }
    int Below(int n) { return int((Next() >> 8) % std::uint32_t(n)); }
};

std::uint8_t Clamp8(double v) { return std::uint8_t(v < 0 ? 0 : v > 255 ? 255 : v + 0.5); }

// Stained round cells on a pale ground, with the sensor's noise.
void MakeMicrograph(TBitmap32& bmp, int w, int h) {
    std::vector<float> stain(std::size_t(w) * std::size_t(h), 0.0f), nucleus(stain.size(), 0.0f);
    TLcg rnd{777};
    for (int cell = 0; cell < w * h / 9000; ++cell) {
        const int cx = rnd.Below(w), cy = rnd.Below(h), r = 12 + rnd.Below(30);
        for (int y = std::max(0, cy - r - 2); y < std::min(h, cy + r + 3); ++y)
            for (int x = std::max(0, cx - r - 2); x < std::min(w, cx + r + 3); ++x) {
                const double d = std::hypot(x - cx, y - cy) / r;
                const std::size_t i = std::size_t(y) * std::size_t(w) + std::size_t(x);
                stain[i] = std::max(stain[i], float(std::clamp((1.05 - d) * 8.0, 0.0, 1.0)));
                nucleus[i] = std::max(nucleus[i], float(std::clamp((0.4 - d) * 10.0, 0.0, 1.0)));
            }
    }
    bmp.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::size_t i = std::size_t(y) * std::size_t(w) + std::size_t(x);
            const double s = stain[i], n = nucleus[i], noise = rnd.Below(9) - 4;
            bmp.SetPixel(x, y, Color32(Clamp8(228 - 40 * s - 90 * n + noise), Clamp8(222 - 110 * s - 60 * n + noise),
                                       Clamp8(214 - 30 * s - 20 * n + noise)));
        }
}

// A desktop: windows with title bars, flat panels, lines of text drawn from
// a small set of glyphs, icons.
void MakeScreenshot(TBitmap32& bmp, int w, int h) {
    bmp.SetSize(w, h);
    bmp.Clear(Color32(58, 110, 165));
    TLcg rnd{4242};
    auto fill = [&](int x0, int y0, int x1, int y1, TColor32 c) {
        for (int y = std::max(0, y0); y < std::min(h, y1); ++y)
            for (int x = std::max(0, x0); x < std::min(w, x1); ++x) bmp.SetPixel(x, y, c);
    };
    for (int win = 0; win < 6; ++win) {
        const int x0 = rnd.Below(w * 2 / 3), y0 = rnd.Below(h * 2 / 3);
        const int x1 = x0 + 400 + rnd.Below(w / 3), y1 = y0 + 300 + rnd.Below(h / 3);
        fill(x0 - 1, y0 - 1, x1 + 1, y1 + 1, Color32(100, 100, 100));
        for (int y = y0; y < y0 + 24; ++y)  // title bar, a gradient
            for (int x = x0; x < std::min(w, x1); ++x)
                if (y < h) bmp.SetPixel(x, y, Color32(0, std::uint8_t(40 + 80 * (x - x0) / (x1 - x0)), 128));
        fill(x0, y0 + 24, x1, y0 + 52, Color32(240, 240, 240));  // toolbar
        for (int icon = 0; icon < 8; ++icon)
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    if (((x * 7 + y * 3 + icon * 5) % 11) < 5 && x0 + 8 + icon * 24 + x < w && y0 + 30 + y < h)
                        bmp.SetPixel(x0 + 8 + icon * 24 + x, y0 + 30 + y, Color32(std::uint8_t(icon * 30), 90, std::uint8_t(200 - icon * 20)));
        fill(x0, y0 + 52, x1, y1, clWhite32);
        for (int line = y0 + 60; line + 12 < y1; line += 16)  // text: 7 x 11 glyphs
            for (int x = x0 + 6, len = 20 + rnd.Below(60); len > 0 && x + 7 < x1; x += 8, --len) {
                const int glyph = rnd.Below(40);
                if (glyph < 6) continue;  // a space
                for (int gy = 0; gy < 11; ++gy)
                    for (int gx = 0; gx < 7; ++gx)
                        if (((glyph * 2654435761u) >> ((gx * 11 + gy) % 29)) & 1)
                            if (x + gx < w && line + gy < h) bmp.SetPixel(x + gx, line + gy, Color32(20, 20, 20));
            }
    }
}

// A smooth photograph: the sample picture images/micrograph.png enlarged
// to w x h with bilinear interpolation, as a camera picture scaled up or a
// soft-focus photo looks (no noise left between neighbouring pixels).
void MakeSmoothPhoto(TBitmap32& bmp, int w, int h) {
    TBitmap32 sample;
    LoadImageFile(std::string(IVRA_IMAGES_DIR) + "/micrograph.png", sample);
    const int sw = sample.Width(), sh = sample.Height();
    bmp.SetSize(w, h);
    for (int y = 0; y < h; ++y) {
        const double fy = std::clamp((y + 0.5) * sh / h - 0.5, 0.0, sh - 1.0);
        const int y0 = int(fy), y1 = std::min(y0 + 1, sh - 1);
        const double ty = fy - y0;
        for (int x = 0; x < w; ++x) {
            const double fx = std::clamp((x + 0.5) * sw / w - 0.5, 0.0, sw - 1.0);
            const int x0 = int(fx), x1 = std::min(x0 + 1, sw - 1);
            const double tx = fx - x0;
            auto mix = [&](int shift) {
                auto c = [&](int px, int py) { return double((sample.Pixel(px, py) >> shift) & 255); };
                return (c(x0, y0) * (1 - tx) + c(x1, y0) * tx) * (1 - ty) + (c(x0, y1) * (1 - tx) + c(x1, y1) * tx) * ty;
            };
            bmp.SetPixel(x, y, Color32(Clamp8(mix(16)), Clamp8(mix(8)), Clamp8(mix(0))));
        }
    }
}

// The level table's images: 0 photograph (6000 x 4000), 1 micrograph,
// 2 screenshot, 3 one flat colour (2000 x 1500 each), 4 the smooth
// photograph (6000 x 4000).
const TBitmap32& Image(int which) {
    static TBitmap32 images[5];
    TBitmap32& bmp = images[which];
    if (which == 0) return Photo();
    if (bmp.Empty()) {
        if (which == 4) MakeSmoothPhoto(bmp, BenchWidth, BenchHeight);
        else if (which == 1) MakeMicrograph(bmp, SmallWidth, SmallHeight);
        else if (which == 2) MakeScreenshot(bmp, SmallWidth, SmallHeight);
        else {
            bmp.SetSize(SmallWidth, SmallHeight);
            bmp.Clear(Color32(200, 180, 160));
        }
    }
    return bmp;
}
const char* const ImageNames[] = {"photograph", "micrograph", "screenshot", "flat", "smooth"};

std::string TempName(const char* ext) {
    return "/tmp/ivra-bench-codecs-" + std::to_string(::getpid()) + ext;
}

void Encode(benchmark::State& state, TImageFormat format, const TBitmap32& bmp, const std::string& label = {}) {
    const std::string path = TempName(format == TImageFormat::Jpeg ? ".jpg" : format == TImageFormat::Bmp ? ".bmp" : ".png");
    for (auto _ : state) {
        if (format == TImageFormat::Jpeg) SaveToJPG(bmp, path);
        else if (format == TImageFormat::Bmp) SaveToBmp(bmp, path);
        else {
            std::uint8_t filter = 0;
            SaveToPng(bmp, path, filter);
            state.SetLabel(label + PngFilterName(filter));
        }
    }
    state.counters["bytes"] = double(ReadWholeFile(path).size());
    std::remove(path.c_str());
}

void Decode(benchmark::State& state, TImageFormat format) {
    const TBitmap32& bmp = Photo();
    const std::string path = TempName(format == TImageFormat::Jpeg ? ".jpg" : format == TImageFormat::Bmp ? ".bmp" : ".png");
    if (format == TImageFormat::Jpeg) SaveToJPG(bmp, path);
    else if (format == TImageFormat::Bmp) SaveToBmp(bmp, path);
    else {
        const std::vector<std::uint8_t> png = EncodePng(bmp, PngFilterPaeth);
        WriteFileAtomically(path, png.data(), png.size());
    }
    const std::vector<std::uint8_t> data = ReadWholeFile(path);
    std::remove(path.c_str());
    TBitmap32 out;
    for (auto _ : state) {
        DecodeImage(data.data(), data.size(), path, out, format);
        benchmark::DoNotOptimize(out.Bits());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(data.size()));
}

void BM_SaveJpeg(benchmark::State& s) { Encode(s, TImageFormat::Jpeg, Photo()); }
void BM_SaveBmp(benchmark::State& s) { Encode(s, TImageFormat::Bmp, Photo()); }
// range(0): the image (0 the photograph, 4 the smooth photograph).
void BM_SavePng(benchmark::State& s) {
    Encode(s, TImageFormat::Png, Image(int(s.range(0))), std::string(ImageNames[s.range(0)]) + " ");
}
void BM_LoadJpeg(benchmark::State& s) { Decode(s, TImageFormat::Jpeg); }
void BM_LoadBmp(benchmark::State& s) { Decode(s, TImageFormat::Bmp); }
void BM_LoadPng(benchmark::State& s) { Decode(s, TImageFormat::Png); }

// libpng's default save of image range(0): 8-bit RGB, libpng's adaptive filter
// choice per row, zlib level 6, written with stdio and closed.
void BM_LibpngSave(benchmark::State& state) {
    const TBitmap32& bmp = Image(int(state.range(0)));
    state.SetLabel(ImageNames[state.range(0)]);
    const std::string path = TempName("-libpng.png");
    std::vector<png_byte> row(std::size_t(bmp.Width()) * 3);
    for (auto _ : state) {
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) throw std::runtime_error("cannot create " + path);
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        if (setjmp(png_jmpbuf(png))) {
            png_destroy_write_struct(&png, &info);
            std::fclose(f);
            throw std::runtime_error("libpng failed");
        }
        png_init_io(png, f);
        png_set_IHDR(png, info, png_uint_32(bmp.Width()), png_uint_32(bmp.Height()), 8, PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < bmp.Height(); ++y) {
            const TColor32* src = bmp.ScanLine(y);
            for (int x = 0; x < bmp.Width(); ++x) {
                row[std::size_t(x) * 3] = RedComponent(src[x]);
                row[std::size_t(x) * 3 + 1] = GreenComponent(src[x]);
                row[std::size_t(x) * 3 + 2] = BlueComponent(src[x]);
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, info);
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
    }
    state.counters["bytes"] = double(ReadWholeFile(path).size());
    std::remove(path.c_str());
}

void BM_ComputePNGSize(benchmark::State& state) {
    const TBitmap32& bmp = Photo();
    for (auto _ : state) benchmark::DoNotOptimize(ComputePNGSize(bmp));
}

void PutTrialCounters(benchmark::State& state, const std::array<std::size_t, 5>& sizes) {
    std::size_t best = 0;
    for (std::size_t i = 0; i < 5; ++i) {
        state.counters[PngFilterName(PngFilterOfIndex(int(i)))] = double(sizes[i]);
        if (sizes[i] < sizes[best]) best = i;
    }
    state.counters["file"] = double(sizes[best]);
    state.SetLabel(std::string(ImageNames[state.range(0)]) + " " + PngFilterName(PngFilterOfIndex(int(best))));
}

// The five trials on parallel threads at libdeflate level range(1) on image
// range(0): wall-clock and process CPU time, the trial sizes and the file's.
void BM_PngLevel(benchmark::State& state) {
    const TBitmap32& bmp = Image(int(state.range(0)));
    const TPngCompression c{int(state.range(1))};
    TPngChoice choice;
    for (auto _ : state) choice = ChoosePngFilter(bmp, {}, c);
    PutTrialCounters(state, choice.sizes);
}

// The size of a PNG file whose image data is the zlib stream of size bytes,
// cut into IDAT chunks as the writer cuts them (256 KB).
std::size_t PngFileSize(std::size_t zlibBytes) {
    const std::size_t chunk = 256 * 1024;
    return 8 + 25 + zlibBytes + 12 * ((zlibBytes + chunk - 1) / chunk) + 12;
}

// The rows of our PNG data (filter byte and filtered row), taken back out of
// a file written at level 0.
std::vector<std::uint8_t> FilteredRows(const std::vector<std::uint8_t>& png) {
    std::vector<std::uint8_t> idat;
    for (std::size_t pos = 8; pos + 12 <= png.size();) {
        const std::size_t len = (std::size_t(png[pos]) << 24) | (std::size_t(png[pos + 1]) << 16) |
                                (std::size_t(png[pos + 2]) << 8) | png[pos + 3];
        if (std::memcmp(&png[pos + 4], "IDAT", 4) == 0)
            idat.insert(idat.end(), png.begin() + long(pos + 8), png.begin() + long(pos + 8 + len));
        pos += len + 12;
    }
    z_stream z{};
    inflateInit(&z);
    std::vector<std::uint8_t> rows(idat.size());  // stored blocks: a little larger than the rows
    z.next_in = idat.data();
    z.avail_in = uInt(idat.size());
    z.next_out = rows.data();
    z.avail_out = uInt(rows.size());
    if (inflate(&z, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("inflate failed");
    rows.resize(z.total_out);
    inflateEnd(&z);
    return rows;
}

// The same filtered rows deflated with zlib at level 6 as libpng does it
// (Z_FILTERED for filtered rows, the default strategy for None alone, a
// 32 KB window): the reference sizes of the level table.
void BM_PngZlib6(benchmark::State& state) {
    const TBitmap32& bmp = Image(int(state.range(0)));
    std::array<std::size_t, 5> sizes{};
    for (auto _ : state)
        for (int i = 0; i < 5; ++i) {
            state.PauseTiming();
            const std::vector<std::uint8_t> rows = FilteredRows(EncodePng(bmp, PngFilterOfIndex(i), TPngCompression{0}));
            state.ResumeTiming();
            z_stream z{};
            deflateInit2(&z, 6, Z_DEFLATED, 15, 8, i == 0 ? Z_DEFAULT_STRATEGY : Z_FILTERED);
            std::vector<std::uint8_t> out(deflateBound(&z, uLong(rows.size())));
            z.next_in = const_cast<Bytef*>(rows.data());
            z.avail_in = uInt(rows.size());
            z.next_out = out.data();
            z.avail_out = uInt(out.size());
            if (deflate(&z, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate failed");
            sizes[std::size_t(i)] = PngFileSize(z.total_out);
            deflateEnd(&z);
        }
    PutTrialCounters(state, sizes);
}

int WriteImage(const char* name, const char* path) {
    for (int i = 0; i < 5; ++i)
        if (std::strcmp(name, ImageNames[i]) == 0) {
            SaveToBmp(Image(i), path);
            return 0;
        }
    std::fprintf(stderr, "unknown image %s\n", name);
    return 1;
}

} // namespace

BENCHMARK(BM_LoadJpeg)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_SaveJpeg)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_LoadBmp)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_SaveBmp)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_LoadPng)->Unit(benchmark::kMillisecond)->MinTime(1.0);
// The save and its peer, one after the other in the same run; the fastest
// repetition is the one least disturbed by other work on a shared machine.
BENCHMARK(BM_SavePng)
    ->ArgNames({"image"})
    ->Arg(0)
    ->Arg(4)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
BENCHMARK(BM_LibpngSave)
    ->ArgNames({"image"})
    ->Arg(0)
    ->Arg(4)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
BENCHMARK(BM_ComputePNGSize)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
// The table of bench/png_levels.md: every libdeflate level on each image,
// and zlib level 6 on the same filtered rows.
BENCHMARK(BM_PngLevel)
    ->ArgNames({"image", "level"})
    ->ArgsProduct({{0, 1, 2, 3, 4}, benchmark::CreateDenseRange(1, 12, 1)})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1);
BENCHMARK(BM_PngZlib6)
    ->ArgNames({"image"})
    ->DenseRange(0, 4)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->Iterations(1);

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--write-image") == 0) return WriteImage(argv[2], argv[3]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
