// Speed of the image processing and analysis core on a 6000 x 4000
// photo-like image (96 MB of pixels).
//
// Each case has two arguments: threads (0 = the automatic choice, 1 = one
// thread) and avx2 (1 = the AVX2 loops where the processor has them, 0 = the
// portable loops). Cases that change the image run on a fresh copy each
// iteration; the copying is not timed.
//
//   bench_processing --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//   bench_processing --write-photo-like FILE [WIDTH HEIGHT]
//       writes the benchmark image as raw 32-bit pixels (bytes blue, green,
//       red, alpha per pixel, rows from the top) for the peer comparison.

#include "BenchImages.h"

#include "core/analysis/ImageAnalysis.h"
#include "core/processing/Channels.h"
#include "core/processing/ColorOps.h"
#include "core/processing/Filters.h"
#include "core/processing/GeometricOps.h"
#include "core/processing/Levels.h"
#include "core/processing/PixelLoops.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace ivra;

namespace {

constexpr int BenchWidth = 6000, BenchHeight = 4000;

const TBitmap32& PhotoLike() {
    static TBitmap32 bmp;
    if (bmp.Empty()) bench::MakePhotoLike(bmp, BenchWidth, BenchHeight);
    return bmp;
}

// Sets the loop mode of a case from its two arguments.
struct TMode {
    explicit TMode(const benchmark::State& state) {
        SetProcessingThreads(int(state.range(0)));
        SetAvx2Allowed(state.range(1) != 0);
    }
    ~TMode() {
        SetProcessingThreads(0);
        SetAvx2Allowed(true);
    }
};

void Pixels(benchmark::State& state) {
    state.SetItemsProcessed(std::int64_t(state.iterations()) * BenchWidth * BenchHeight);
}

// An operation that rewrites the bitmap: timed on a fresh copy each time.
void OnCopy(benchmark::State& state, const std::function<void(TBitmap32&)>& op) {
    TMode mode(state);
    TBitmap32 work;
    for (auto _ : state) {
        state.PauseTiming();
        work.Assign(PhotoLike());
        state.ResumeTiming();
        op(work);
        benchmark::DoNotOptimize(work.Bits());
    }
    Pixels(state);
}

// An operation that may run again on its own result (same cost each time).
void InPlace(benchmark::State& state, const std::function<void(TBitmap32&)>& op) {
    TMode mode(state);
    TBitmap32 work;
    work.Assign(PhotoLike());
    for (auto _ : state) {
        op(work);
        benchmark::DoNotOptimize(work.Bits());
    }
    Pixels(state);
}

void Register(const std::string& name, const std::function<void(benchmark::State&)>& fn) {
    benchmark::RegisterBenchmark(name.c_str(), fn)
        ->ArgNames({"threads", "avx2"})
        ->Args({0, 1})
        ->Args({1, 1})
        ->Args({1, 0})
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MinTime(0.5)
        // The fastest run, besides mean and median: on a busy machine it is
        // the one least disturbed by other work.
        ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
}

void RegisterAll() {
    for (const TFilterInfo& f : FilterTable()) {
        const TFilterInfo* filter = &f;
        Register(std::string("Filter/") + f.name,
                 [filter](benchmark::State& s) { OnCopy(s, [filter](TBitmap32& b) { ApplyFilter(*filter, b); }); });
    }
    Register("Grayscale", [](benchmark::State& s) { OnCopy(s, [](TBitmap32& b) { GrayscaleBitmap(&b, &b); }); });
    Register("Invert", [](benchmark::State& s) { InPlace(s, [](TBitmap32& b) { InvertBitmap(&b, &b); }); });
    Register("FlipHorz", [](benchmark::State& s) { InPlace(s, [](TBitmap32& b) { FlipHorz(b); }); });
    Register("FlipVert", [](benchmark::State& s) { InPlace(s, [](TBitmap32& b) { FlipVert(b); }); });
    Register("Rotate180", [](benchmark::State& s) { InPlace(s, [](TBitmap32& b) { Rotate180(b); }); });
    Register("Rotate90", [](benchmark::State& s) { OnCopy(s, [](TBitmap32& b) { Rotate90(b); }); });
    Register("Rotate270", [](benchmark::State& s) { OnCopy(s, [](TBitmap32& b) { Rotate270(b); }); });
    Register("CountColors", [](benchmark::State& s) {
        TMode mode(s);
        for (auto _ : s) benchmark::DoNotOptimize(CountColors(PhotoLike()));
        Pixels(s);
    });
    Register("AdjustLevels", [](benchmark::State& s) { OnCopy(s, [](TBitmap32& b) { AdjustBrightness(b, 10); }); });
    Register("StretchLevels", [](benchmark::State& s) { OnCopy(s, [](TBitmap32& b) { StretchLevels(b, 50, 200); }); });
    Register("AnalyseImage", [](benchmark::State& s) {
        TMode mode(s);
        TChannelHistograms h;
        for (auto _ : s) {
            AnalyseImage(PhotoLike(), "bench", h);
            benchmark::DoNotOptimize(h.Hue.data());
        }
        Pixels(s);
    });
    for (TColorChannel ch : {TColorChannel::Red, TColorChannel::Hue, TColorChannel::Saturation, TColorChannel::Value}) {
        Register(std::string("ChannelImage/") + ColorChannelName(ch), [ch](benchmark::State& s) {
            TMode mode(s);
            TBitmap32 out;
            for (auto _ : s) {
                ChannelImage(&out, &PhotoLike(), ch);
                benchmark::DoNotOptimize(out.Bits());
            }
            Pixels(s);
        });
    }
}

int WritePhotoLike(int argc, char** argv) {
    const int w = argc > 3 ? std::atoi(argv[3]) : BenchWidth;
    const int h = argc > 4 ? std::atoi(argv[4]) : BenchHeight;
    TBitmap32 bmp;
    bench::MakePhotoLike(bmp, w, h);
    std::FILE* f = std::fopen(argv[2], "wb");
    if (!f) {
        std::perror(argv[2]);
        return 1;
    }
    // TColor32 is stored little-endian: blue, green, red, alpha.
    const std::size_t n = bmp.PixelCount();
    const bool ok = std::fwrite(bmp.Bits(), sizeof(TColor32), n, f) == n;
    return (std::fclose(f) == 0 && ok) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--write-photo-like") == 0) return WritePhotoLike(argc, argv);
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    PhotoLike(); // made once, before anything is timed
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
