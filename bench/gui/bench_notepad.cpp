// The notepad's side of reading and writing a 5 MB Rich Text Format document
// (bench/BenchNotes.h): the conversion to and from the editor's
// QTextDocument, with the RTF reader and writer around it, the layout of the
// whole document in the editor, and one keystroke typed into it.
//
//   bench_notepad
//   bench_notepad --benchmark_filter=Open --benchmark_repetitions=5

#include "BenchNotes.h"

#include "core/notes/Rtf.h"
#include "notepad/NoteTextDocument.h"
#include "notepad/RichEdit.h"

#include <benchmark/benchmark.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QKeyEvent>
#include <QTextCursor>
#include <QTextDocument>

namespace {

using namespace ivra;

const std::string& NotesRtf() {
    static const std::string rtf = WriteRtf(bench::MakeNotes());
    return rtf;
}

void Label(benchmark::State& state) {
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(NotesRtf().size()));
    state.SetLabel(std::to_string(NotesRtf().size() / 1024) + " KiB RTF");
}

// RTF bytes to a QTextDocument: the reader and the conversion.
void BM_OpenRtfToTextDocument(benchmark::State& state) {
    for (auto _ : state) {
        QTextDocument doc;
        NoteToTextDocument(ReadRtf(NotesRtf()), doc);
        benchmark::DoNotOptimize(doc.blockCount());
    }
    Label(state);
}

// A QTextDocument to RTF bytes: the conversion and the writer.
void BM_SaveTextDocumentToRtf(benchmark::State& state) {
    QTextDocument doc;
    NoteToTextDocument(ReadRtf(NotesRtf()), doc);
    for (auto _ : state) {
        std::string rtf = WriteRtf(NoteFromTextDocument(doc));
        benchmark::DoNotOptimize(rtf.data());
    }
    Label(state);
}

// The document loaded into the notepad's editor and laid out completely.
void BM_OpenInEditorWithLayout(benchmark::State& state) {
    const TNoteDocument note = ReadRtf(NotesRtf());
    TfrmEdit form;
    form.resize(625, 400);
    for (auto _ : state) {
        NoteToTextDocument(note, *form.Editor->document());
        benchmark::DoNotOptimize(form.Editor->document()->documentLayout()->documentSize());
    }
    Label(state);
}

// One character typed in the middle of the laid-out document, with the
// window's handlers (caret position, toolbar, ruler, modified mark).
void BM_KeystrokeInLargeDocument(benchmark::State& state) {
    TfrmEdit form;
    form.resize(625, 400);
    NoteToTextDocument(ReadRtf(NotesRtf()), *form.Editor->document());
    (void)form.Editor->document()->documentLayout()->documentSize();
    QTextCursor c(form.Editor->document());
    c.setPosition(form.Editor->document()->characterCount() / 2);
    form.Editor->setTextCursor(c);
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QCoreApplication::sendEvent(form.Editor, &press);
        QCoreApplication::sendEvent(form.Editor, &release);
        // The layout of the changed paragraph, as a paint would ask for it.
        benchmark::DoNotOptimize(form.Editor->document()->documentLayout()->documentSize());
    }
}

} // namespace

BENCHMARK(BM_OpenRtfToTextDocument)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_SaveTextDocumentToRtf)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_OpenInEditorWithLayout)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_KeystrokeInLargeDocument)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    (void)NotesRtf(); // made once, before any timing
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
