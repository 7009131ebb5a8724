// Decoding and encoding a 6000 x 4000 photo-like image in each format, and
// the PNG filter choice.
//
//   bench_codecs                                   everything
//   bench_codecs --benchmark_filter=PngLevel       the table of bench/png_levels.md
//
// The PngLevel cases encode one filter trial at zlib level 1 to 9 and report
// the size in bytes as a counter; SavePng runs the whole save (five trials on
// parallel threads, the winner written to a file).

#include "BenchImages.h"

#include "core/codecs/ImageFiles.h"
#include "core/io/FileIO.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>

using namespace ivra;

namespace {

constexpr int BenchWidth = 6000, BenchHeight = 4000;

const TBitmap32& Photo() {
    static TBitmap32 bmp;
    if (bmp.Empty()) bench::MakePhotoLike(bmp, BenchWidth, BenchHeight);
    return bmp;
}

std::string TempName(const char* ext) {
    return "/tmp/ivra-bench-codecs-" + std::to_string(::getpid()) + ext;
}

void Encode(benchmark::State& state, TImageFormat format) {
    const TBitmap32& bmp = Photo();
    const std::string path = TempName(format == TImageFormat::Jpeg ? ".jpg" : format == TImageFormat::Bmp ? ".bmp" : ".png");
    for (auto _ : state) {
        if (format == TImageFormat::Jpeg) SaveToJPG(bmp, path);
        else if (format == TImageFormat::Bmp) SaveToBmp(bmp, path);
        else {
            std::uint8_t filter = 0;
            SaveToPng(bmp, path, filter);
            state.counters["filter"] = filter;
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

void BM_SaveJpeg(benchmark::State& s) { Encode(s, TImageFormat::Jpeg); }
void BM_SaveBmp(benchmark::State& s) { Encode(s, TImageFormat::Bmp); }
void BM_SavePng(benchmark::State& s) { Encode(s, TImageFormat::Png); }
void BM_LoadJpeg(benchmark::State& s) { Decode(s, TImageFormat::Jpeg); }
void BM_LoadBmp(benchmark::State& s) { Decode(s, TImageFormat::Bmp); }
void BM_LoadPng(benchmark::State& s) { Decode(s, TImageFormat::Png); }

void BM_ComputePNGSize(benchmark::State& state) {
    const TBitmap32& bmp = Photo();
    for (auto _ : state) benchmark::DoNotOptimize(ComputePNGSize(bmp));
}

// One trial: filter index range(0), zlib level range(1), window bits
// range(2), strategy range(3) (-1 libpng's choice: Z_FILTERED with a filter,
// the default strategy for None alone; 2 Huffman only; 3 RLE).
void BM_PngLevel(benchmark::State& state) {
    const TBitmap32& bmp = Photo();
    const int strategy = int(state.range(3));
    const TPngCompression c{int(state.range(1)), 8, strategy, strategy, int(state.range(2))};
    std::size_t size = 0;
    for (auto _ : state) size = EncodePng(bmp, PngFilterOfIndex(int(state.range(0))), c).size();
    state.counters["bytes"] = double(size);
    state.SetLabel(PngFilterName(PngFilterOfIndex(int(state.range(0)))));
}

// The whole filter choice at one setting (level range(0), window bits
// range(1)): five trials on parallel threads, wall-clock time.
void BM_PngChoice(benchmark::State& state) {
    const TBitmap32& bmp = Photo();
    const TPngCompression c{int(state.range(0)), 8, -1, -1, int(state.range(1))};
    TPngChoice choice;
    for (auto _ : state) choice = ChoosePngFilter(bmp, {}, c);
    state.counters["bytes"] = double(choice.bytes.size());
    state.SetLabel(PngFilterName(choice.filterSet));
}

} // namespace

BENCHMARK(BM_LoadJpeg)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_SaveJpeg)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_LoadBmp)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_SaveBmp)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_LoadPng)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_SavePng)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ComputePNGSize)->Unit(benchmark::kMillisecond)->Iterations(1);
// The table of bench/png_levels.md: every level with zlib's full window,
// then the levels around the default with smaller windows.
BENCHMARK(BM_PngLevel)
    ->ArgNames({"filter", "level", "window", "strategy"})
    ->ArgsProduct({{0, 1, 2, 3, 4}, {1, 2, 3, 4, 5, 6, 7, 8, 9}, {15}, {-1}})
    ->ArgsProduct({{0, 1, 2, 3, 4}, {4, 5, 6}, {11, 12, 13}, {-1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
// zlib's special strategies (level and window do not matter to them).
BENCHMARK(BM_PngLevel)
    ->Name("BM_PngStrategy")
    ->ArgNames({"filter", "level", "window", "strategy"})
    ->ArgsProduct({{0, 1, 2, 3, 4}, {6}, {15}, {2, 3}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_PngChoice)
    ->ArgNames({"level", "window"})
    ->Args({6, 15})
    ->Args({1, 15})
    ->Args({3, 15})
    ->Args({6, 12})
    ->Args({6, 13})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

BENCHMARK_MAIN();
