// ivra-cli over 1,000 PNG images of 640 x 480 (photo-like, each from its own
// seed), as a user runs it:
//
//   BatchStats/jobs:N      ivra-cli stats --csv -j N FOLDER > /dev/null, one process
//   SeparateProcesses      the same work as 1,000 processes ivra-cli stats FILE
//   ReadAndCompute         the same reading and computing in this process on
//                          one thread, without the batch layer or a process
//
// BatchStats/jobs:1 minus ReadAndCompute, divided by 1,000, is the batch
// layer's overhead per file (starting one process, expanding the folder,
// the thread, the ordered CSV output): in wall time, and in processor time
// (cpu_ms_per_file, the child's user and system time, against
// ReadAndCompute's CPU column), which a busy machine disturbs far less. The images are made once in
// $TMPDIR/ivra-bench-batch (440 MB of PNG files, kept for later runs).
//
//   bench_batch --benchmark_repetitions=3 --benchmark_report_aggregates_only=true

#include "BenchImages.h"

#include "core/analysis/ChannelStats.h"
#include "core/analysis/ImageAnalysis.h"
#include "core/codecs/ImageFiles.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace ivra;

namespace {

constexpr int kFiles = 1000;
constexpr int kWidth = 640;
constexpr int kHeight = 480;

std::string Folder() {
    return (std::filesystem::temp_directory_path() / "ivra-bench-batch").string();
}

std::string FileName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "/img%04d.png", i);
    return Folder() + name;
}

// Makes the images once; a complete folder from an earlier run is kept.
const std::vector<std::string>& Files() {
    static const std::vector<std::string> files = [] {
        std::filesystem::create_directories(Folder());
        std::vector<std::string> names;
        TBitmap32 bmp;
        for (int i = 0; i < kFiles; ++i) {
            names.push_back(FileName(i));
            if (std::filesystem::exists(names.back())) continue;
            bench::MakePhotoLike(bmp, kWidth, kHeight, std::uint32_t(1000 + i));
            std::uint8_t filter = 0;
            SaveToPng(bmp, names.back(), filter);
        }
        return names;
    }();
    return files;
}

// Files per second of wall time.
benchmark::Counter FilesPerSecond() { return benchmark::Counter(kFiles, benchmark::Counter::kIsIterationInvariantRate); }

// Runs ivra-cli with its standard output to /dev/null; returns the exit code
// and adds the child's processor time (user and system) to cpuMs.
int RunCli(std::vector<std::string> args, double& cpuMs) {
    args.insert(args.begin(), IVRA_CLI_PATH);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int status = -1;
    if (posix_spawn(&pid, IVRA_CLI_PATH, &actions, nullptr, argv.data(), environ) == 0) {
        struct rusage usage {};
        ::wait4(pid, &status, 0, &usage);
        cpuMs += (double(usage.ru_utime.tv_sec) + double(usage.ru_stime.tv_sec)) * 1000.0 +
                 (double(usage.ru_utime.tv_usec) + double(usage.ru_stime.tv_usec)) / 1000.0;
    }
    posix_spawn_file_actions_destroy(&actions);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The processor time per file, in milliseconds, of all iterations.
void CpuPerFile(benchmark::State& state, double cpuMs) {
    state.counters["cpu_ms_per_file"] = cpuMs / double(kFiles) / double(state.iterations());
}

void BatchStats(benchmark::State& state) {
    Files();
    const std::string jobs = std::to_string(state.range(0));
    double cpuMs = 0;
    for (auto _ : state)
        if (RunCli({"stats", "--csv", "-j", jobs, Folder()}, cpuMs) != 0) state.SkipWithError("ivra-cli failed");
    CpuPerFile(state, cpuMs);
    state.counters["files"] = FilesPerSecond();
}
BENCHMARK(BatchStats)->ArgName("jobs")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void SeparateProcesses(benchmark::State& state) {
    const auto& files = Files();
    double cpuMs = 0;
    for (auto _ : state)
        for (const auto& f : files)
            if (RunCli({"stats", f}, cpuMs) != 0) state.SkipWithError("ivra-cli failed");
    CpuPerFile(state, cpuMs);
    state.counters["files"] = FilesPerSecond();
}
BENCHMARK(SeparateProcesses)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void ReadAndCompute(benchmark::State& state) {
    const auto& files = Files();
    for (auto _ : state) {
        for (const auto& f : files) {
            TBitmap32 bmp;
            LoadImageFile(f, bmp);
            TChannelHistograms h;
            AnalyseImage(bmp, f, h);
            benchmark::DoNotOptimize(StatsRows(h, TChannelSet::RGB, 2, '.'));
        }
    }
    // This process's own processor time is the benchmark's CPU column.
    state.counters["files"] = FilesPerSecond();
}
BENCHMARK(ReadAndCompute)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

BENCHMARK_MAIN();
