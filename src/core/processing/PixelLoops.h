#pragma once
// Shared machinery of the pixel loops: splitting rows into bands that run on
// several threads, and the switch between the AVX2 loops and the portable
// ones.
//
// Threads are used only where every output value is computed from the
// input alone, so the result is the same for any number of bands.

#include <cstddef>
#include <functional>

// Marks a plain loop function for an AVX2 copy chosen at run time (the
// compiler vectorises both copies; the results are the same).
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__clang__) ? __clang_major__ >= 14 : defined(__GNUC__))
#define IVRA_AVX2_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define IVRA_AVX2_CLONES
#endif

namespace ivra {

// The number of threads a pixel loop may use: the machine's hardware threads
// (at most 8) unless SetProcessingThreads chose a number; 0 restores the
// automatic choice.
int ProcessingThreads();
void SetProcessingThreads(int threads);

// True when the AVX2 loops run: the processor has AVX2 and they were not
// switched off. Tests and benchmarks switch them off to check and measure
// the portable loops.
bool UseAvx2();
void SetAvx2Allowed(bool allowed);

// How many bands a loop over count items should be split into when each
// band should have at least minPerBand of them: 1 with one thread or for
// small jobs, otherwise up to four bands per thread, so that a thread slowed
// down by other work on the machine simply takes fewer bands.
int BandCount(std::size_t count, std::size_t minPerBand);

// The number of workers RunBands uses for that many bands.
int WorkerCount(int bands);

// Runs fn(band, worker) for band = 0 .. bands - 1 on WorkerCount(bands)
// workers, worker 0 being the calling thread; each worker takes the next
// band not yet taken until none is left. Returns when all are done. An
// exception from any band is rethrown (the first one, by band order) after
// all workers have ended; the bands not yet taken then are skipped.
void RunBands(int bands, const std::function<void(int band, int worker)>& fn);

// Runs fn(band, begin, end) over [0, count) split into BandCount(...)
// contiguous bands.
void ParallelBands(std::size_t count, std::size_t minPerBand,
                   const std::function<void(int band, std::size_t begin, std::size_t end)>& fn);

// Bands of whole rows for a loop over an image of the given width and
// height: at least about 256 K pixels per band.
void ParallelRows(int width, int height, const std::function<void(int y0, int y1)>& fn);

} // namespace ivra
