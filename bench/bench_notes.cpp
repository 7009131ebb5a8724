// Reading and writing a 5 MB Rich Text Format document of the notepad: about
// 700,000 words in 7,000 paragraphs with mixed formatting (fonts, sizes,
// bold, italic, underline, colours, alignment, indents, bullets and some
// text beyond ASCII).
//
//   bench_notes                                   everything
//   bench_notes --benchmark_filter=Rtf --benchmark_repetitions=5
//
// ReadRtf and WriteRtf work in memory; LoadNoteFile and SaveNoteFile add the
// file (the save goes through the safe writer, which flushes to disk).

#include "BenchNotes.h"

#include "core/io/FileIO.h"
#include "core/notes/NoteFiles.h"
#include "core/notes/Rtf.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using namespace ivra;
using ivra::bench::MakeNotes;

const TNoteDocument& Notes() {
    static const TNoteDocument doc = MakeNotes();
    return doc;
}

const std::string& NotesRtf() {
    static const std::string rtf = WriteRtf(Notes());
    return rtf;
}

void Label(benchmark::State& state) {
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(NotesRtf().size()));
    state.SetLabel(std::to_string(NotesRtf().size() / 1024) + " KiB RTF");
}

void BM_ReadRtf(benchmark::State& state) {
    const std::string& rtf = NotesRtf();
    for (auto _ : state) {
        TNoteDocument doc = ReadRtf(rtf);
        benchmark::DoNotOptimize(doc.paragraphs.data());
    }
    Label(state);
}

void BM_WriteRtf(benchmark::State& state) {
    const TNoteDocument& doc = Notes();
    for (auto _ : state) {
        std::string rtf = WriteRtf(doc);
        benchmark::DoNotOptimize(rtf.data());
    }
    Label(state);
}

std::string BenchPath() {
    return (std::filesystem::temp_directory_path() / ("ivra_bench_notes_" + std::to_string(::getpid()) + ".rtf"))
        .string();
}

void BM_LoadNoteFile(benchmark::State& state) {
    const std::string path = BenchPath();
    WriteFileAtomically(path, NotesRtf());
    for (auto _ : state) {
        TNoteDocument doc = LoadNoteFile(path, TNoteFileType::Rtf);
        benchmark::DoNotOptimize(doc.paragraphs.data());
    }
    std::filesystem::remove(path);
    Label(state);
}

void BM_SaveNoteFile(benchmark::State& state) {
    const std::string path = BenchPath();
    for (auto _ : state) SaveNoteFile(path, Notes(), TNoteFileType::Rtf);
    std::filesystem::remove(path);
    Label(state);
}

void BM_PlainText(benchmark::State& state) {
    for (auto _ : state) {
        std::string text = NotePlainText(Notes());
        benchmark::DoNotOptimize(text.data());
    }
    Label(state);
}

} // namespace

BENCHMARK(BM_ReadRtf)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_WriteRtf)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_LoadNoteFile)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_SaveNoteFile)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_PlainText)->Unit(benchmark::kMillisecond)->MinTime(1.0);

BENCHMARK_MAIN();
