// Layers at work: Flatten of an 8000 x 6000 image with three 2000 x 2000
// picture layers (blend mode, opacity 128) and a visible grid at spacing 50,
// the blend of one such layer beside a plain weighted sum of the same area
// (the arithmetic of OpenCV's addWeighted, our own loop), the repaint of a
// 1920 x 1080 viewport over a 12000 x 8000 image with ten picture layers, a
// magnifier and the grid at 100 % and 25 %, and the peak resident memory of
// cutting, copying and pasting a 6000 x 4000 selection.

#include "BenchImages.h"
#include "engine/GridLayer.h"
#include "engine/ImgView32.h"
#include "imagewin/ChildWin.h"
#include "imagewin/ImageCommands.h"
#include "imagewin/LayerCommands.h"
#include "imagewin/Magnifier.h"
#include "support/TestShell.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>

using namespace ivra;

namespace {

// A picture layer of a w x h photo-like bitmap at (x, y), blend, opacity 128.
std::unique_ptr<TBitmapLayer> PictureLayer(int w, int h, float x, float y, std::uint32_t seed) {
    auto l = std::make_unique<TBitmapLayer>();
    bench::MakePhotoLike(l->Bitmap(), w, h, seed);
    l->Bitmap().SetDrawMode(TDrawMode::dmBlend);
    l->Bitmap().SetMasterAlpha(128);
    l->SetLocation({x, y, x + float(w), y + float(h)});
    l->SetScaled(true);
    return l;
}

// ---- Flatten --------------------------------------------------------------------------

void BM_Flatten(benchmark::State& state) {
    TTestShell shell;
    TMDIChild w(shell);
    TBitmap32 photo;
    bench::MakePhotoLike(photo, 8000, 6000);
    TBitmap32 layers[3];
    for (int i = 0; i < 3; ++i) bench::MakePhotoLike(layers[i], 2000, 2000, 77u + std::uint32_t(i));
    for (auto _ : state) {
        state.PauseTiming();
        w.ImgView->Bitmap().Assign(photo);
        for (int i = 0; i < 3; ++i) {
            auto l = std::make_unique<TBitmapLayer>();
            l->Bitmap().Assign(layers[i]);
            l->Bitmap().SetDrawMode(TDrawMode::dmBlend);
            l->Bitmap().SetMasterAlpha(128);
            l->SetLocation({500.0f + 2200 * i, 1000.0f + 500 * i, 2500.0f + 2200 * i, 3000.0f + 500 * i});
            l->SetScaled(true);
            w.ImgView->Layers().Add(std::move(l));
        }
        w.GetGridLayer()->SetVisible(true);
        state.ResumeTiming();
        FlattenLayers(w);
        benchmark::DoNotOptimize(w.ImgView->Bitmap().Bits());
    }
    state.SetItemsProcessed(state.iterations() * 8000LL * 6000);
}

// One 2000 x 2000 layer blended at opacity 128 onto the same area of a
// larger image: the per-layer cost of Flatten.
void BM_LayerBlend(benchmark::State& state) {
    TBitmap32 image, layer;
    bench::MakePhotoLike(image, 8000, 6000);
    bench::MakePhotoLike(layer, 2000, 2000, 78);
    layer.SetDrawMode(TDrawMode::dmBlend);
    layer.SetMasterAlpha(128);
    for (auto _ : state) {
        layer.DrawTo(image, TRect{500, 1000, 2500, 3000});
        benchmark::DoNotOptimize(image.Bits());
    }
    state.SetItemsProcessed(state.iterations() * 2000LL * 2000);
}

// dst = saturate(a * 0.5 + b * 0.5 + 0) per 8-bit channel over the same
// 2000 x 2000 area of four-channel pixels, rounded to the nearest: what
// addWeighted computes, as a plain loop the compiler vectorises.
void BM_ReferenceWeightedSum(benchmark::State& state) {
    TBitmap32 image, layer;
    bench::MakePhotoLike(image, 8000, 6000);
    bench::MakePhotoLike(layer, 2000, 2000, 78);
    for (auto _ : state) {
        for (int y = 0; y < 2000; ++y) {
            auto* d = reinterpret_cast<std::uint8_t*>(image.ScanLine(1000 + y) + 500);
            const auto* s = reinterpret_cast<const std::uint8_t*>(layer.ScanLine(y));
            for (int i = 0; i < 2000 * 4; ++i) d[i] = std::uint8_t((unsigned(d[i]) + unsigned(s[i]) + 1) >> 1);
        }
        benchmark::DoNotOptimize(image.Bits());
    }
    state.SetItemsProcessed(state.iterations() * 2000LL * 2000);
}

// ---- View repaint ---------------------------------------------------------------------

constexpr int ViewW = 1920, ViewH = 1080;

void BM_RepaintWithLayers(benchmark::State& state) {
    static TBitmap32* image = [] {
        auto* b = new TBitmap32;
        bench::MakePhotoLike(*b, 12000, 8000);
        return b;
    }();
    TImgView32 v;
    v.SetScrollBarSize(-1);
    v.resize(ViewW, ViewH);
    v.show();
    QCoreApplication::processEvents();
    v.Bitmap().Assign(*image);
    v.SetScale(float(state.range(0)) / 100.0f);
    v.ScrollToCenter(6000, 4000);
    v.GetAnimLayer();
    v.GetMeasureLayer();
    // Ten 1000 x 800 picture layers around the centre, the grid, a magnifier.
    for (int i = 0; i < 10; ++i)
        v.Layers().Add(PictureLayer(1000, 800, 3500.0f + 450 * (i % 5), 2800.0f + 900 * (i / 5), 90u + unsigned(i)));
    auto* grid = v.Layers().Add<TGridLayer>();
    grid->SetGridSize(50);
    grid->SetScaled(true);
    auto* lens = v.Layers().Add<TPositionedLayer>();
    lens->SetLocation({5968, 3968, 6032, 4032});
    lens->SetScaled(true);
    lens->OnPaint = [](TCustomLayer* l, TBitmap32& buffer) {
        PaintMagnifier(buffer, static_cast<TPositionedLayer*>(l)->GetAdjustedLocation(), TMagnifierSettings{});
    };
    QCoreApplication::processEvents();
    if (v.GetViewportRect() != TRect{0, 0, ViewW, ViewH}) {
        state.SkipWithError("viewport is not 1920 x 1080");
        return;
    }
    for (auto _ : state) {
        v.Repaint();
        benchmark::DoNotOptimize(v.Buffer().Bits());
    }
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

// ---- Memory of the clipboard ------------------------------------------------------------

// Peak resident memory (VmHWM) in MB; reset to the current size.
double PeakMB() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}
void ResetPeak() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly)) f.write("5");
}

// Cut a 6000 x 4000 selection out of the image, copy it, paste it: the rise
// of the peak resident memory at each step, against one copy of the pixels.
void BM_ClipboardMemory(benchmark::State& state) {
    for (auto _ : state) {
        TTestShell shell;
        TMDIChild w(shell);
        w.ImgView->Bitmap().SetSize(6000, 4000);
        w.ImgView->Bitmap().Clear(0xFF336699u);
        QGuiApplication::clipboard()->clear();
        auto step = [](auto&& fn) {
            ResetPeak();
            const double before = PeakMB();
            fn();
            return PeakMB() - before;
        };
        state.counters["one_copy_MB"] = 6000.0 * 4000 * 4 / (1024 * 1024);
        state.counters["select_MB"] = step([&] { w.CreateNewSelection({0, 0}, {6000, 4000}); });
        state.counters["copy_MB"] = step([&] { CopySelection(w); });
        state.counters["paste_MB"] = step([&] { PasteAsLayer(w); });
        QGuiApplication::clipboard()->clear();
    }
}

BENCHMARK(BM_Flatten)->Unit(benchmark::kMillisecond)->Iterations(8);
BENCHMARK(BM_LayerBlend)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReferenceWeightedSum)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintWithLayers)->ArgName("scale%")->Arg(100)->Arg(25)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClipboardMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
