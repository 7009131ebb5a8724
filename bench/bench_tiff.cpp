// 16-bit TIFF: reading a 6000 x 4000 16-bit RGB file and measuring it at full
// depth, each beside its reference measured in the same run.
//
//   bench_tiff                                       everything
//   bench_tiff --benchmark_filter='Read'             the two reads
//
// ReadTiff is the program's read (LoadImageFile: the whole file read, the
// strips decoded, the 8-bit bitmap and the 16-bit samples filled);
// LibtiffStripLoop is libtiff's own TIFFOpen and TIFFReadEncodedStrip of
// every strip into one buffer. The file is uncompressed, in strips of 16
// rows (libtiff's usual 8 KB strips would be 1 row here).
//
// Stats is what `ivra-cli stats` computes once the file is read: the
// 65536-level counts of red, green, blue and gray and the rows of red, green
// and blue (threads: 0 the automatic choice, 1 one thread). NumpyStats is
// numpy's mean, std, min, max and median of every channel of the same array
// on one thread, OpenCVMeanStdDev OpenCV's meanStdDev (bench/peers/
// tiff_stats.py, run with Debian's python3; each reports the fastest of
// three runs as its time).

#include "core/analysis/DeepAnalysis.h"
#include "core/codecs/ImageFiles.h"
#include "core/processing/PixelLoops.h"

#include <benchmark/benchmark.h>

#include <tiffio.h>

#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

using namespace ivra;

namespace {

constexpr int W = 6000, H = 4000, RowsPerStrip = 16;

// A micrograph-like field of 12 to 16 significant bits per channel.
std::uint16_t Sample(int x, int y, int c) {
    const std::uint32_t v = std::uint32_t(x * 7 + y * 13 + c * 5000) ^ std::uint32_t((x * y) >> 5);
    return std::uint16_t((v * 2654435761u) >> (16 + c));
}

struct TBenchFiles {
    std::string tiff, raw;
    TBenchFiles() {
        const std::string base = "/tmp/ivra-bench-tiff-" + std::to_string(getpid());
        tiff = base + ".tif";
        raw = base + ".u16";
        TIFF* t = TIFFOpen(tiff.c_str(), "w");
        if (!t) throw std::runtime_error("cannot write " + tiff);
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, W);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, H);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 16);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, RowsPerStrip);
        std::FILE* f = std::fopen(raw.c_str(), "wb");
        std::vector<std::uint16_t> row(std::size_t(W) * 3);
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x)
                for (int c = 0; c < 3; ++c) row[std::size_t(x) * 3 + std::size_t(c)] = Sample(x, y, c);
            TIFFWriteScanline(t, row.data(), std::uint32_t(y), 0);
            std::fwrite(row.data(), 2, row.size(), f);
        }
        std::fclose(f);
        TIFFClose(t);
    }
    ~TBenchFiles() {
        std::remove(tiff.c_str());
        std::remove(raw.c_str());
    }
};

TBenchFiles& Files() {
    static TBenchFiles files;
    return files;
}

void ReadTiff(benchmark::State& state) {
    const std::string& path = Files().tiff;
    for (auto _ : state) {
        TBitmap32 bmp;
        TImageFileDetails details;
        LoadImageFile(path, bmp, &details);
        benchmark::DoNotOptimize(details.Samples.Values.data());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(W) * H * 6);
}

// libtiff's TIFFReadEncodedStrip of every strip of the file into image.
void ReadStrips(const std::string& path, std::uint8_t* image) {
    TIFF* t = TIFFOpen(path.c_str(), "r");
    const tstrip_t strips = TIFFNumberOfStrips(t);
    for (tstrip_t s = 0; s < strips; ++s) {
        const tmsize_t n = TIFFReadEncodedStrip(t, s, image, -1);
        if (n < 0) throw std::runtime_error("strip");
        image += n;
    }
    TIFFClose(t);
}

void LibtiffStripLoop(benchmark::State& state) {
    std::vector<std::uint8_t> image(std::size_t(W) * H * 6);
    for (auto _ : state) {
        ReadStrips(Files().tiff, image.data());
        benchmark::DoNotOptimize(image.data());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(W) * H * 6);
}

// The same loop into a buffer it owns anew on each read, as a reader that
// hands over a new image must: the pages are faulted in during the read.
void LibtiffStripLoopFresh(benchmark::State& state) {
    for (auto _ : state) {
        std::unique_ptr<std::uint8_t[]> image(new std::uint8_t[std::size_t(W) * H * 6]);
        ReadStrips(Files().tiff, image.get());
        benchmark::DoNotOptimize(image.get());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(W) * H * 6);
}

void Stats(benchmark::State& state) {
    TBitmap32 bmp;
    TImageFileDetails details;
    LoadImageFile(Files().tiff, bmp, &details);
    SetProcessingThreads(int(state.range(0)));
    for (auto _ : state) {
        TDeepHistograms h;
        AnalyseSamples(details.Samples, "bench.tif", h);
        benchmark::DoNotOptimize(DeepStatsRows(h, TChannelSet::RGB, 2, '.'));
    }
    SetProcessingThreads(0);
}

// The peers' times, measured once by bench/peers/tiff_stats.py.
const std::map<std::string, double>& PeerTimes() {
    static const std::map<std::string, double> times = [] {
        std::map<std::string, double> t;
        const std::string command = "OMP_NUM_THREADS=1 OPENBLAS_NUM_THREADS=1 /usr/bin/python3 " IVRA_BENCH_DIR
                                    "/peers/tiff_stats.py " +
                                    Files().raw + " " + std::to_string(W) + " " + std::to_string(H) + " 3";
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> p(popen(command.c_str(), "r"), pclose);
        char name[64];
        char value[64];
        while (p && std::fscanf(p.get(), "%63s %63s", name, value) == 2)
            if (std::string(value) != "unavailable") t[name] = std::stod(value);
        return t;
    }();
    return times;
}

void Peer(benchmark::State& state, const char* name) {
    const auto it = PeerTimes().find(name);
    if (it == PeerTimes().end()) {
        state.SkipWithError((std::string(name) + " is not available (python3-numpy, python3-opencv)").c_str());
        return;
    }
    for (auto _ : state) state.SetIterationTime(it->second);
}

} // namespace

BENCHMARK(ReadTiff)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LibtiffStripLoop)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LibtiffStripLoopFresh)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Stats)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Peer, NumpyStats, "numpy")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Peer, OpenCVMeanStdDev, "opencv_meanStdDev")
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
