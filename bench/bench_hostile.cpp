// Hostile input: what refusing (or reading) it costs in time and memory.
//
//   bench_hostile --benchmark_counters_tabular=true
//
// SheetLoad64MiB loads a 64 MiB spreadsheet file at the cell limit (416,000
// lines of eight 19-byte cells) from disk; SheetEmptyLines the 0.8 MB file
// of 419,000 empty lines; SheetWideLine 20,000 tabs and a 60 MiB cell.
// RleBomb8/RleBomb4 decode a 1 KB RLE bitmap claiming 16000 x 16000 that
// ends without its end code; PngTextBomb a 1 x 1 PNG with 300 compressed
// text chunks of 15 MiB each (4.6 MB on disk); JpegProgressiveBomb the start
// of a 16000 x 16000 progressive colour JPEG; TiffDeflateBomb a TIFF
// claiming 16000 x 16000 whose Deflate strip holds 128 MiB of zeros;
// TiffLzwGarbage the same claim with 200 KB of invalid LZW data. The counter peak_MiB is how
// far the resident size of a child process doing one such call rose above
// what it inherited; memory the parent kept from an earlier case hides part
// of it, so run a case alone (--benchmark_filter=NAME) for its own peak.

#include "../tests/core/codecs/HostileFiles.h"

#include "core/Error.h"
#include "core/codecs/ImageFiles.h"
#include "core/io/FileIO.h"
#include "core/measure/SheetModel.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <string>
#include <unistd.h>

using namespace ivra;

namespace {

void Run(benchmark::State& state, const std::function<void()>& work) {
    state.counters["peak_MiB"] = double(hostile::ChildPeakGrowthKiB(work)) / 1024.0;
    for (auto _ : state) work();
}

void Decode(const hostile::TBytes& bytes) {
    TBitmap32 bmp;
    try {
        DecodeImage(bytes.data(), bytes.size(), "hostile", bmp);
    } catch (const Error&) {
    }
    benchmark::DoNotOptimize(bmp.Bits());
}

std::string SheetFile(const std::string& name, const std::function<void(TAtomicFileWriter&)>& fill) {
    const std::string path = "/tmp/ivra_bench_hostile_" + std::to_string(::getpid()) + "_" + name;
    TAtomicFileWriter w(path);
    fill(w);
    w.Commit();
    return path;
}

void LoadSheet(benchmark::State& state, const std::string& path) {
    Run(state, [&] {
        TSheetModel sheet;
        try {
            sheet.LoadFromFile(path);
        } catch (const Error&) {
        }
        benchmark::DoNotOptimize(sheet.RowCount());
    });
    state.counters["file_MiB"] = double(ReadWholeFile(path).size()) / (1 << 20);
    std::remove(path.c_str());
}

void SheetLoad64MiB(benchmark::State& state) {
    const std::string path = SheetFile("64.txt", [](TAtomicFileWriter& w) {
        std::string line;
        for (int i = 0; i < 8; ++i) line += "1234567.12345678901\t";
        line.back() = '\r';
        line += '\n';
        std::string block;
        for (int i = 0; i < 1000; ++i) block += line;
        for (int i = 0; i < 416; ++i) w.Write(block);
    });
    LoadSheet(state, path);
}

void SheetEmptyLines(benchmark::State& state) {
    LoadSheet(state, SheetFile("empty.txt", [](TAtomicFileWriter& w) {
        for (int i = 0; i < 419000; ++i) w.Write("\r\n");
    }));
}

void SheetWideLine(benchmark::State& state) {
    LoadSheet(state, SheetFile("wide.txt", [](TAtomicFileWriter& w) {
        w.Write(std::string(20000, '\t'));
        w.Write(std::string(std::size_t(60) << 20, 'x'));
    }));
}

void RleBomb8(benchmark::State& state) {
    const auto bytes = hostile::RleBomb(false, 16000, 16000, 1024);
    Run(state, [&] { Decode(bytes); });
}

void RleBomb4(benchmark::State& state) {
    const auto bytes = hostile::RleBomb(true, 16000, 16000, 1024);
    Run(state, [&] { Decode(bytes); });
}

void PngTextBomb(benchmark::State& state) {
    const auto bytes = hostile::PngTextBomb(300, 15u << 20);
    state.counters["file_MiB"] = double(bytes.size()) / (1 << 20);
    Run(state, [&] { Decode(bytes); });
}

void JpegProgressiveBomb(benchmark::State& state) {
    const auto bytes = hostile::ProgressiveJpegStub(16000, 16000, 3);
    Run(state, [&] { Decode(bytes); });
}

void TiffDeflateBomb(benchmark::State& state) {
    const auto bytes = hostile::GrayTiff(16000, 16000, 8, hostile::DeflatedZeros(std::size_t(128) << 20));
    state.counters["file_MiB"] = double(bytes.size()) / (1 << 20);
    Run(state, [&] { Decode(bytes); });
}

void TiffLzwGarbage(benchmark::State& state) {
    const auto bytes = hostile::GrayTiff(16000, 16000, 5, hostile::TBytes(200000, 0));
    Run(state, [&] { Decode(bytes); });
}

} // namespace

BENCHMARK(SheetLoad64MiB)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(SheetEmptyLines)->Unit(benchmark::kMillisecond);
BENCHMARK(SheetWideLine)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(RleBomb8)->Unit(benchmark::kMicrosecond);
BENCHMARK(RleBomb4)->Unit(benchmark::kMicrosecond);
BENCHMARK(PngTextBomb)->Unit(benchmark::kMillisecond);
BENCHMARK(JpegProgressiveBomb)->Unit(benchmark::kMicrosecond);
BENCHMARK(TiffDeflateBomb)->Unit(benchmark::kMicrosecond);
BENCHMARK(TiffLzwGarbage)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
