// The image commands in the windows on a 6000 x 4000 image (IVRA_BENCH_SIZE
// picks another size, e.g. 16000x12000):
//
// - Command/NAME: from the command to the repainted view (the command's
//   action or dialog button, then a synchronous repaint of the view), with
//   the core operation alone timed on the same image in the same
//   iteration. Counters: core_ms (the core alone, mean), ratio (command to
//   repainted view divided by the core's time).
// - FilterPeakMemory: the process's peak resident memory while Sharpen runs
//   on an image that already has an undo snapshot, in MB above the program
//   idle without the image; the image alone for comparison.
// - RoutineWithoutWork, RepaintAlone: the parts of a command's time that
//   are not the core's.
// - PrintPdf: printing the image (with the render of its layers) to a PDF
//   file.

#include "BenchImages.h"
#include "analysis/StretchHisto.h"
#include "app/MainForm.h"
#include "app/Printing.h"
#include "core/processing/ColorOps.h"
#include "core/processing/Filters.h"
#include "core/processing/GeometricOps.h"
#include "core/processing/Levels.h"
#include "imagewin/ChildWin.h"
#include "processing/Brightness.h"
#include "processing/ImageCommand.h"
#include "processing/ProcessingCommands.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPrinter>

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

using namespace ivra;

namespace {

// 6000 x 4000 unless IVRA_BENCH_SIZE gives another size ("16000x12000").
int ImageW = 6000, ImageH = 4000;

void ReadImageSize() {
    const QStringList wh = qEnvironmentVariable("IVRA_BENCH_SIZE").split(QLatin1Char('x'));
    if (wh.size() == 2 && wh[0].toInt() > 0 && wh[1].toInt() > 0) {
        ImageW = wh[0].toInt();
        ImageH = wh[1].toInt();
    }
}

double StatusMB(const char* key);
double g_idleMB = 0;  // the program with its main window, before the image is made

struct TApp {
    std::unique_ptr<TMainForm> Main;
    TMDIChild* Window = nullptr;
};

TApp& App() {
    static TApp app = [] {
        TApp a;
        a.Main = std::make_unique<TMainForm>();
        a.Main->resize(1600, 1000);
        a.Main->show();
        InstallProcessing(*a.Main);
        InstallStretchHisto(*a.Main);
        QCoreApplication::processEvents();
        g_idleMB = StatusMB("VmRSS:");
        a.Window = a.Main->NewImageWindow(QStringLiteral("photo"));
        bench::MakePhotoLike(a.Window->ImgView->Bitmap(), ImageW, ImageH);
        a.Window->FitToImage(ImageW, ImageH);
        QCoreApplication::processEvents();
        a.Main->AppOnIdle();
        return a;
    }();
    return app;
}

using TClock = std::chrono::steady_clock;
double Ms(TClock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct TCase {
    const char* Name;
    // The core operation alone, in the form the command calls it: from the
    // image into a result bitmap.
    std::function<void(const TBitmap32&, TBitmap32&)> Core;
    std::function<void()> Command;         // the command as the user gives it
};

void Trigger(const char* id) { App().Main->Command(QLatin1String(id))->trigger(); }

std::vector<TCase> Cases() {
    return {
        {"Sharpen", [](const TBitmap32& s, TBitmap32& d) { ApplyFilter(*FindFilterByTag(3), s, d); },
         [] { Trigger("Sharpen2"); }},
        {"Soften5x5", [](const TBitmap32& s, TBitmap32& d) { ApplyFilter(*FindFilterByTag(20), s, d); },
         [] { Trigger("Soft1"); }},
        {"Grayscale", [](const TBitmap32& s, TBitmap32& d) { GrayscaleBitmap(&d, &s); }, [] { Trigger("Grayscale2"); }},
        {"Rotate90", [](const TBitmap32& s, TBitmap32& d) { Rotate90(s, d); }, [] { Trigger("N90Right1"); }},
        {"Brightness", [](const TBitmap32& s, TBitmap32& d) { AdjustBrightness(s, d, 10); },
         [] {
             TfrmBrightness* dlg = BrightnessDialog(*App().Main);
             dlg->leBrightness->setText(QStringLiteral("10"));
             dlg->Button1Click();
         }},
        {"Stretch", [](const TBitmap32& s, TBitmap32& d) { StretchLevels(s, d, 50, 200); },
         [] {
             TfrmStretchHisto* dlg = StretchHistoDialog(*App().Main);
             dlg->leLoCut->setText(QStringLiteral("50"));
             dlg->leHiCut->setText(QStringLiteral("200"));
             dlg->Button1Click();
         }},
    };
}

void BM_Command(benchmark::State& state, const TCase& c) {
    TApp& app = App();
    TBitmap32& image = app.Window->ImgView->Bitmap();
    // The core reads the image itself, which it does not change, and writes
    // into two result bitmaps in turn, as the commands do: each writes into
    // the undo snapshot's memory, which the command before the last one
    // wrote (the previous image). A result filled right before the timing
    // would hand the core memory just written, which a command never gets.
    TBitmap32 result, older;
    result.Assign(image);
    older.Assign(image);
    double core = 0, command = 0;
    bool coreFirst = true;  // the two take turns at going first
    auto timeCore = [&] {
        result.SwapPixels(older);
        const auto t0 = TClock::now();
        c.Core(image, result);
        core += Ms(TClock::now() - t0);
    };
    for (auto _ : state) {
        if (coreFirst) timeCore();
        const auto t0 = TClock::now();
        c.Command();
        app.Window->ImgView->Repaint();
        const double commandMs = Ms(TClock::now() - t0);
        if (!coreFirst) timeCore();
        coreFirst = !coreFirst;
        state.SetIterationTime(commandMs / 1000.0);
        command += commandMs;
    }
    state.counters["core_ms"] = core / double(state.iterations());
    state.counters["ratio"] = command / core;
}

// Where the time of a command goes besides the core: the document's routine
// with a change that does nothing (working copy, swap, snapshot, repaint),
// and the repaint alone.
void BM_RoutineWithoutWork(benchmark::State& state) {
    TApp& app = App();
    for (auto _ : state) {
        RunImageChange(*app.Main, *app.Window, QStringLiteral("Nothing"), TImageChange::Edit([](TBitmap32&) {}));
        app.Window->ImgView->Repaint();
    }
}

// The same for a change written apart from the image (no working copy).
void BM_TransformWithoutWork(benchmark::State& state) {
    TApp& app = App();
    for (auto _ : state) {
        RunImageChange(*app.Main, *app.Window, QStringLiteral("Nothing"),
                       TImageChange::Transform([](const TBitmap32& image, TBitmap32& result) {
                           result.SetSize(image.Width(), image.Height());
                       }));
        app.Window->ImgView->Repaint();
    }
}

void BM_RepaintAlone(benchmark::State& state) {
    TApp& app = App();
    for (auto _ : state) app.Window->ImgView->Repaint();
}

// Resident memory figures of this process in MB: the current size and the
// peak since the last reset.
double StatusMB(const char* key) {
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind(key, 0) == 0) return std::stod(line.substr(std::string(key).size())) / 1024.0;
    return -1;
}
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

void BM_FilterPeakMemory(benchmark::State& state) {
    TApp& app = App();
    Trigger("Sharpen2");  // from now on an undo snapshot exists
    const double withImage = StatusMB("VmRSS:");
    for (auto _ : state) {
        ResetPeak();
        Trigger("Sharpen2");
        state.counters["peak_above_idle_MB"] = StatusMB("VmHWM:") - g_idleMB;
    }
    state.counters["image_MB"] = double(ImageW) * ImageH * 4 / (1024.0 * 1024.0);
    state.counters["idle_with_image_and_undo_MB"] = withImage - g_idleMB;
    (void)app;
}

void BM_PrintPdf(benchmark::State& state) {
    TApp& app = App();
    const QString file = QDir::temp().filePath(QStringLiteral("ivra_bench_print.pdf"));
    QPrinter& printer = ImagePrinter(*app.Main);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    // The photo-like image as made, not as the commands before left it.
    bench::MakePhotoLike(app.Window->ImgView->Bitmap(), ImageW, ImageH);
    for (auto _ : state) mnPrintClick(*app.Window, printer);
    state.counters["pdf_MB"] = double(QFile(file).size()) / (1024.0 * 1024.0);
    QFile::remove(file);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    ReadImageSize();
    App();  // made once, before any timing
    static const std::vector<TCase> cases = Cases();
    for (const TCase& c : cases)
        benchmark::RegisterBenchmark((std::string("Command/") + c.Name).c_str(), BM_Command, c)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->MinTime(1.0);
    benchmark::RegisterBenchmark("RoutineWithoutWork", BM_RoutineWithoutWork)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("TransformWithoutWork", BM_TransformWithoutWork)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("RepaintAlone", BM_RepaintAlone)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("FilterPeakMemory", BM_FilterPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("PrintPdf", BM_PrintPdf)->Iterations(2)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
