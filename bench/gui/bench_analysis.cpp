// The analysis windows on a 6000 x 4000 photo-like image:
// - AnalyseImage alone (the core pass), then the histogram and statistics
//   commands from the analysis to the painted chart or grid, in the same
//   run, so that their ratio shows what the windows add;
// - one frame of dragging a profile line across a 6000 x 4000 working copy
//   (labels, the NOT-XOR line, the repaint of the changed part; fps);
// - the profile of a 2000-pixel line with all seven series charted.

#include "BenchImages.h"
#include "analysis/Analysis.h"
#include "analysis/Histogram.h"
#include "analysis/PixelProfile.h"
#include "analysis/Stats.h"
#include "chart/Chart.h"
#include "imagewin/ChildWin.h"
#include "support/TestShell.h"

#include <QApplication>
#include <QCheckBox>
#include <QTabWidget>
#include <QTableView>

#include <benchmark/benchmark.h>

using namespace ivra;

namespace {

constexpr int ImageW = 6000, ImageH = 4000;

const TBitmap32& Image() {
    static TBitmap32* image = [] {
        auto* b = new TBitmap32;
        bench::MakePhotoLike(*b, ImageW, ImageH);
        return b;
    }();
    return *image;
}

TTestShell& Shell() {
    static TTestShell shell;
    return shell;
}

TMDIChild& Window() {
    static TMDIChild* w = [] {
        TTestShell& shell = Shell();
        auto* c = new TMDIChild(shell);
        c->ImgView->Bitmap().Assign(Image());
        CreateStatsForm(shell);
        CreateHistogramForm(shell)->show();
        StatsForm(shell)->show();
        CreatePixelForm(shell)->show();
        QCoreApplication::processEvents();
        return c;
    }();
    return *w;
}

void BM_AnalyseImageCore(benchmark::State& state) {
    TChannelHistograms h;
    for (auto _ : state) {
        AnalyseImage(Image(), "photo", h);
        benchmark::DoNotOptimize(h.Red[0]);
    }
}

// Histogram command: the analysis, the chart loaded and painted.
void BM_HistogramCommand(benchmark::State& state) {
    TMDIChild& w = Window();
    TfrmHistogram& h = *HistogramForm(Shell());
    for (auto _ : state) {
        AnalyseImage(&w, TChannelSet::None);
        h.cbChannelChange();
        h.Chart1->viewport()->repaint();
    }
}

// Channel statistics: the analysis, three rows, the grid painted.
void BM_StatisticsCommand(benchmark::State& state) {
    TMDIChild& w = Window();
    TfrmStats& s = *StatsForm(Shell());
    for (auto _ : state) {
        AnalyseImage(&w, TChannelSet::RGB);
        s.sgStat->viewport()->repaint();
        state.PauseTiming();
        s.StatGrid().ClearData();
        state.ResumeTiming();
    }
}

void PrepareProfile() {
    TfrmPixel& p = *PixelForm(Shell());
    if (p.HasCopy()) return;
    p.SetSource(&Window());
    p.Refresh();
    for (QCheckBox* c : p.Planes) c->setChecked(true);
    QCoreApplication::processEvents();
}

// One frame of a drag: a move of the line's end, painted at once.
void BM_ProfileDragFrame(benchmark::State& state) {
    PrepareProfile();
    TfrmPixel& p = *PixelForm(Shell());
    p.pcPages->setCurrentIndex(TfrmPixel::ImageTab);
    p.ImageMouseDown(Qt::LeftButton, QPoint(20, 20));
    int k = 0;
    for (auto _ : state) {
        p.ImageMouseMove(QPoint(600 + (k & 63), 400 - (k & 31)));
        p.Image1->repaint(p.Image1->visibleRegion().boundingRect());
        ++k;
    }
    p.ImageMouseUp(Qt::LeftButton, QPoint(21, 20));
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

// The profile of a 2000-pixel line, all seven series, the chart painted.
void BM_ProfileChart2000(benchmark::State& state) {
    PrepareProfile();
    TfrmPixel& p = *PixelForm(Shell());
    p.pcPages->setCurrentIndex(TfrmPixel::GraphsTab);
    int k = 0;
    for (auto _ : state) {
        p.StartPoint = {100, 100 + (k & 1)};
        p.EndPoint = {2100, 100 + (k & 1)};
        p.ComputeProfile();
        p.ChartPixelProfile->viewport()->repaint();
        ++k;
    }
}

BENCHMARK(BM_AnalyseImageCore)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistogramCommand)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatisticsCommand)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProfileDragFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProfileChart2000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Image();
    Window();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
