// The layered view repainting a 1920 x 1080 viewport over a 12000 x 8000
// image: the whole repaint (paint stages into the back buffer and the blit
// to the window) and the stages alone, at 100 % and 25 % zoom with nearest
// and linear sampling, and with the two overlay layers that every image
// window carries after the first mouse move. The fps counter is repaints
// per second.

#include "BenchImages.h"
#include "engine/ImgView32.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>

using namespace ivra;

namespace {

constexpr int ViewW = 1920, ViewH = 1080;
constexpr int ImageW = 12000, ImageH = 8000;

const TBitmap32& Image() {
    static TBitmap32* image = [] {
        auto* b = new TBitmap32;
        bench::MakePhotoLike(*b, ImageW, ImageH);
        return b;
    }();
    return *image;
}

// A view of exactly ViewW x ViewH viewport pixels over the image, scrolled
// to the image's centre.
std::unique_ptr<TImgView32> MakeView(float scale, TStretchFilter filter, bool overlays) {
    auto v = std::make_unique<TImgView32>();
    v->SetScrollBarSize(-1);  // bars take no room: the viewport is the widget
    v->resize(ViewW, ViewH);
    v->show();
    QCoreApplication::processEvents();
    v->Bitmap().Assign(Image());
    v->Bitmap().SetStretchFilter(filter);
    v->SetScale(scale);
    v->ScrollToCenter(ImageW / 2, ImageH / 2);
    if (overlays) {
        v->GetAnimLayer();
        v->GetMeasureLayer();
    }
    QCoreApplication::processEvents();
    return v;
}

void Report(benchmark::State& state) {
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.SetItemsProcessed(state.iterations() * std::int64_t(ViewW) * ViewH);
}

// args: scale in percent, linear (0/1), overlays (0/1)
void BM_ViewRepaint(benchmark::State& state) {
    auto v = MakeView(float(state.range(0)) / 100.0f,
                      state.range(1) ? TStretchFilter::sfLinear : TStretchFilter::sfNearest, state.range(2) != 0);
    if (v->GetViewportRect() != TRect{0, 0, ViewW, ViewH}) {
        state.SkipWithError("viewport is not 1920 x 1080");
        return;
    }
    for (auto _ : state) {
        v->Repaint();
        benchmark::DoNotOptimize(v->Buffer().Bits());
    }
    Report(state);
}

void BM_ViewPaintStages(benchmark::State& state) {
    auto v = MakeView(float(state.range(0)) / 100.0f,
                      state.range(1) ? TStretchFilter::sfLinear : TStretchFilter::sfNearest, state.range(2) != 0);
    for (auto _ : state) {
        v->PaintBuffer();
        benchmark::DoNotOptimize(v->Buffer().Bits());
    }
    Report(state);
}

// Panning: each repaint at a new scroll position.
void BM_ViewPan(benchmark::State& state) {
    auto v = MakeView(float(state.range(0)) / 100.0f, TStretchFilter::sfNearest, false);
    int step = 0;
    for (auto _ : state) {
        v->Scroll((step & 1) ? -37 : 37, (step & 2) ? -23 : 23);
        ++step;
        v->Repaint();
        benchmark::DoNotOptimize(v->Buffer().Bits());
    }
    Report(state);
}

void ZoomArgs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"scale%", "linear", "overlays"});
    for (int scale : {100, 25})
        for (int linear : {0, 1}) b->Args({scale, linear, 0});
    b->Args({100, 0, 1});
    b->Args({25, 0, 1});
    b->Args({300, 0, 0});
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_ViewRepaint)->Apply(ZoomArgs);
BENCHMARK(BM_ViewPaintStages)->Apply(ZoomArgs);
BENCHMARK(BM_ViewPan)->ArgName("scale%")->Arg(100)->Arg(25)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Image();  // made once, before any timing
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
