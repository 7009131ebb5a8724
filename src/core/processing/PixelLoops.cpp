#include "core/processing/PixelLoops.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>
#include <vector>

namespace ivra {

namespace {
std::atomic<int> requestedThreads{0};
std::atomic<bool> avx2Allowed{true};

bool CpuHasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
#else
    return false;
#endif
}
} // namespace

int ProcessingThreads() {
    const int requested = requestedThreads.load(std::memory_order_relaxed);
    if (requested > 0) return requested;
    const unsigned hw = std::thread::hardware_concurrency();
    return int(std::clamp(hw, 1u, 8u));
}

void SetProcessingThreads(int threads) {
    requestedThreads.store(threads < 0 ? 0 : threads, std::memory_order_relaxed);
}

bool UseAvx2() { return avx2Allowed.load(std::memory_order_relaxed) && CpuHasAvx2(); }

void SetAvx2Allowed(bool allowed) { avx2Allowed.store(allowed, std::memory_order_relaxed); }

int BandCount(std::size_t count, std::size_t minPerBand) {
    const int threads = ProcessingThreads();
    if (count == 0 || threads <= 1) return 1;
    if (minPerBand == 0) minPerBand = 1;
    const std::size_t byWork = std::max<std::size_t>(1, count / minPerBand);
    return int(std::min<std::size_t>(byWork, std::size_t(threads) * 4));
}

int WorkerCount(int bands) { return std::max(1, std::min(bands, ProcessingThreads())); }

void RunBands(int bands, const std::function<void(int, int)>& fn) {
    if (bands <= 0) return;
    const int workers = WorkerCount(bands);
    if (workers == 1) {
        for (int b = 0; b < bands; ++b) fn(b, 0);
        return;
    }
    std::atomic<int> next{0};
    std::atomic<bool> failed{false};
    std::vector<std::exception_ptr> errors(static_cast<std::size_t>(bands));
    auto work = [&](int worker) {
        for (int b = next.fetch_add(1); b < bands && !failed.load(); b = next.fetch_add(1)) {
            try {
                fn(b, worker);
            } catch (...) {
                errors[std::size_t(b)] = std::current_exception();
                failed.store(true);
            }
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(std::size_t(workers) - 1);
    for (int w = 1; w < workers; ++w) {
        try {
            threads.emplace_back(work, w);
        } catch (...) {
            break; // no more threads to be had: the others take all bands
        }
    }
    work(0);
    for (auto& t : threads) t.join();
    for (auto& e : errors)
        if (e) std::rethrow_exception(e);
}

void ParallelBands(std::size_t count, std::size_t minPerBand,
                   const std::function<void(int, std::size_t, std::size_t)>& fn) {
    if (count == 0) return;
    const int bands = BandCount(count, minPerBand);
    RunBands(bands, [&](int b, int) {
        fn(b, count * std::size_t(b) / std::size_t(bands), count * std::size_t(b + 1) / std::size_t(bands));
    });
}

void ParallelRows(int width, int height, const std::function<void(int, int)>& fn) {
    if (width <= 0 || height <= 0) return;
    const std::size_t minRows = std::max<std::size_t>(1, (std::size_t(1) << 18) / std::size_t(width));
    ParallelBands(std::size_t(height), minRows,
                  [&](int, std::size_t y0, std::size_t y1) { fn(int(y0), int(y1)); });
}

} // namespace ivra
