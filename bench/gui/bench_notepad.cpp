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
#include <QDir>
#include <QFile>
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

// The document put into the notepad's editor and laid out completely.
void BM_OpenInEditorWithLayout(benchmark::State& state) {
    const TNoteDocument note = ReadRtf(NotesRtf());
    TfrmEdit form;
    form.resize(625, 400);
    for (auto _ : state) {
        form.ShowNote(note);
        benchmark::DoNotOptimize(form.Editor->document()->documentLayout()->documentSize());
    }
    Label(state);
}

// Puts the caret in the middle of the editor's laid-out document.
void CaretToMiddle(TfrmEdit& form) {
    (void)form.Editor->document()->documentLayout()->documentSize();
    QTextCursor c(form.Editor->document());
    c.setPosition(form.Editor->document()->characterCount() / 2);
    form.Editor->setTextCursor(c);
}

// One "x" typed into the editor, press and release.
void TypeX(TfrmEdit& form) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QCoreApplication::sendEvent(form.Editor, &press);
    QCoreApplication::sendEvent(form.Editor, &release);
}

// One character typed in the middle of the laid-out document, with the
// window's handlers (caret position, toolbar, ruler, modified mark).
void BM_KeystrokeInLargeDocument(benchmark::State& state) {
    TfrmEdit form;
    form.resize(625, 400);
    NoteToTextDocument(ReadRtf(NotesRtf()), *form.Editor->document());
    CaretToMiddle(form);
    for (auto _ : state) {
        TypeX(form);
        // The layout of the changed paragraph, as a paint would ask for it.
        benchmark::DoNotOptimize(form.Editor->document()->documentLayout()->documentSize());
    }
}

// The whole open of the 5 MB RTF file as the user sees it: the file read,
// converted, put into the shown window, laid out as far as the window shows
// and painted.
void BM_OpenFileToPaintedWindow(benchmark::State& state) {
    const QString path = QDir::temp().filePath(QStringLiteral("ivra-bench-notepad.rtf"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(NotesRtf().data(), qint64(NotesRtf().size())) < 0) {
            state.SkipWithError("cannot write the file");
            return;
        }
    }
    TfrmEdit form;
    form.resize(625, 400);
    form.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        form.LoadDocument(path);
        QCoreApplication::processEvents();
        form.repaint();
        state.PauseTiming();
        form.FileNew();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    QFile::remove(path);
    Label(state);
}

// The shapes that cost the editor's layout most, each at the largest size
// the notepad opens (NoteLayoutLimits) and at a quarter of it: put into the
// shown editor, painted and laid out completely.
enum class TShape { ManyLines, RunsInOneWord, LongLine, LongWord };

TNoteDocument ShapeDocument(TShape shape, std::size_t size) {
    TNoteDocument doc;
    TNoteCharFormat plain, bold;
    bold.bold = true;
    switch (shape) {
    case TShape::ManyLines: // short lines of text
        doc.paragraphs.resize(size);
        for (std::size_t i = 0; i < size; ++i) doc.paragraphs[i].Append("line " + std::to_string(i), plain);
        break;
    case TShape::RunsInOneWord: { // bold changes inside one unbroken word
        auto& p = doc.paragraphs.emplace_back();
        for (std::size_t i = 0; i < size; ++i) p.Append("ab", i % 2 ? bold : plain);
        break;
    }
    case TShape::LongLine: { // one paragraph of words
        auto& p = doc.paragraphs.emplace_back();
        std::string text;
        while (text.size() < size) text += "word ";
        text.resize(size);
        p.Append(text, plain);
        break;
    }
    case TShape::LongWord: // one word without a space
        doc.paragraphs.emplace_back().Append(std::string(size, 'x'), plain);
        break;
    }
    return doc;
}

// The notepad's limit on the size of a shape.
std::size_t LimitOf(TShape shape) {
    const TNoteLayoutLimits& limits = NoteLayoutLimits;
    return shape == TShape::ManyLines       ? limits.Paragraphs
           : shape == TShape::RunsInOneWord ? limits.RunsPerParagraph
           : shape == TShape::LongLine      ? limits.ParagraphBytes
                                            : limits.WordChars;
}

void BM_WorstShape(benchmark::State& state) {
    const auto shape = TShape(state.range(0));
    const std::size_t size = LimitOf(shape) / std::size_t(state.range(1));
    const TNoteDocument note = ShapeDocument(shape, size);
    TfrmEdit form;
    form.resize(625, 400);
    form.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        form.ShowNote(note);
        form.repaint();
        benchmark::DoNotOptimize(form.Editor->document()->documentLayout()->documentSize());
    }
    static const char* const names[] = {"lines", "runs in one word", "bytes in one line", "characters in one word"};
    state.SetLabel(std::to_string(size) + " " + names[state.range(0)]);
}

// One character typed into the middle of the largest paragraph of each
// worst shape at its limit, after the whole document is laid out.
void BM_KeystrokeInWorstShape(benchmark::State& state) {
    const auto shape = TShape(state.range(0));
    const std::size_t size = LimitOf(shape);
    TfrmEdit form;
    form.resize(625, 400);
    form.show();
    form.ShowNote(ShapeDocument(shape, size));
    CaretToMiddle(form);
    for (auto _ : state) {
        TypeX(form);
        form.Editor->viewport()->repaint();
    }
    static const char* const names[] = {"lines", "runs in one word", "bytes in one line", "characters in one word"};
    state.SetLabel(std::to_string(size) + " " + names[state.range(0)]);
}

} // namespace

BENCHMARK(BM_KeystrokeInWorstShape)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_OpenFileToPaintedWindow)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_WorstShape)
    ->ArgsProduct({{int(TShape::ManyLines), int(TShape::RunsInOneWord), int(TShape::LongLine), int(TShape::LongWord)},
                   {1, 4}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
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
