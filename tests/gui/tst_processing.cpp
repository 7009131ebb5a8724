// The image processing commands in the windows: filters, colours, channels,
// geometry, the brightness and histogram stretch dialogs, and the one
// routine for long work. The pixel arithmetic itself is tested in the core;
// here each command must reach the right bitmap, keep the undo snapshot as
// it should and leave the image whole when it fails.

#include "analysis/StretchHisto.h"
#include "core/analysis/HistogramStretch.h"
#include "core/processing/Channels.h"
#include "core/processing/ColorOps.h"
#include "core/processing/Filters.h"
#include "core/processing/GeometricOps.h"
#include "core/processing/Levels.h"
#include "core/Error.h"
#include "processing/Brightness.h"
#include "processing/ImageCommand.h"
#include "processing/ProcessingCommands.h"
#include "services/CommandGuard.h"
#include "support/AppFixture.h"
#include "support/ScriptedPrompts.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <thread>

using namespace ivra;
using namespace ivra::test;

namespace {

using TOp = std::function<void(TBitmap32&)>;

bool Same(const TBitmap32& a, const TBitmap32& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() &&
           std::equal(a.Bits(), a.Bits() + a.PixelCount(), b.Bits());
}

// The expected result: op on a copy.
void Expect(TBitmap32& out, const TBitmap32& in, const TOp& op) {
    out.Assign(in);
    op(out);
}

struct TApp {
    std::unique_ptr<TMainForm> Main = MakeMainForm();
    TApp() {
        InstallProcessing(*Main);
        InstallStretchHisto(*Main);
        Settle();
        Main->AppOnIdle();
    }
    // A new image window showing the test pattern.
    TMDIChild* Window(const QString& name = QStringLiteral("pic.png"), int w = 40, int h = 30) {
        TMDIChild* c = Main->NewImageWindow(name);
        FillTestPattern(c->ImgView->Bitmap(), w, h);
        c->SetImageName(name);
        Main->AppOnIdle();
        return c;
    }
    void Run(const char* id) {
        QAction* a = Main->Command(QLatin1String(id));
        QVERIFY2(a, id);
        Main->AppOnIdle();
        QVERIFY2(a->isEnabled(), id);
        a->trigger();
    }
};

TBitmapLayer* AddPictureLayer(TMDIChild& w) {
    auto* layer = w.Document().Layers().Add<TBitmapLayer>();
    FillTestPattern(layer->Bitmap(), 12, 10);
    w.Document().SetSelection(layer);
    return layer;
}

QStringList Captions(QMenu* menu) {
    QStringList list;
    for (QAction* a : menu->actions())
        if (a->isVisible()) list << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return list;
}

} // namespace

class TestProcessing : public QObject {
    Q_OBJECT
private slots:
    void imageMenuIsBuiltInOrder();
    void commandsRewriteTheImageWithUndo_data();
    void commandsRewriteTheImageWithUndo();
    void filterWithAnotherLayerSelectedFiltersTheImage();
    void filterOfASelectedLayerUndoesTheImageOnly();
    void channelWindows_data();
    void channelWindows();
    void countColorsMessage();
    void brightnessKeepsItsValue();
    void brightnessRefusesNonIntegers();
    void stretchProposesDragsAndStretches();
    void stretchRefusesEqualCutoffs();
    void stretchChartShowsEveryLevel_data();
    void stretchChartShowsEveryLevel();
    void failedChangeLeavesTheImage();
    void longWorkShowsProgress();
};

void TestProcessing::imageMenuIsBuiltInOrder() {
    TApp app;
    app.Window();
    QCOMPARE(Captions(app.Main->Menu(QStringLiteral("Image"))),
             QStringList({"Flip", "Mirror", "Rotate", "-", "Channels", "Colors", "Stretch Histogram",
                          "Adjust Brightness"}));
    QCOMPARE(Captions(app.Main->Menu(QStringLiteral("ImageColors"))),
             QStringList({"Grayscale", "Invert RGB", "-", "Count colors used"}));
}

void TestProcessing::commandsRewriteTheImageWithUndo_data() {
    QTest::addColumn<QString>("id");
    QTest::addColumn<TOp>("op");
    QTest::newRow("Sharpen") << "Sharpen2" << TOp([](TBitmap32& b) { ApplyFilter(*FindFilterByTag(3), b); });
    QTest::newRow("Soften 5x5") << "Soft1" << TOp([](TBitmap32& b) { ApplyFilter(*FindFilterByTag(20), b); });
    QTest::newRow("Grayscale") << "Grayscale2" << TOp([](TBitmap32& b) { GrayscaleBitmap(&b, &b); });
    // Invert RGB takes the undo snapshot too.
    QTest::newRow("Invert RGB") << "InvertRGB1" << TOp([](TBitmap32& b) { InvertBitmap(&b, &b); });
    QTest::newRow("Mirror") << "Mirror1" << TOp(FlipHorz);
    QTest::newRow("90 right") << "N90Right1" << TOp([](TBitmap32& b) { Rotate90(b); });
    QTest::newRow("90 left") << "N90Left1" << TOp([](TBitmap32& b) { Rotate270(b); });
}

void TestProcessing::commandsRewriteTheImageWithUndo() {
    QFETCH(QString, id);
    QFETCH(TOp, op);
    TApp app;
    TMDIChild* w = app.Window();
    TBitmap32 before, expected;
    before.Assign(w->ImgView->Bitmap());
    Expect(expected, before, op);
    // The caption states the size the image has now.
    auto sizeInCaption = [w](const TBitmap32& b) {
        return w->windowTitle().endsWith(QStringLiteral("  [%1x%2 pixels]").arg(b.Width()).arg(b.Height()));
    };
    app.Run(id.toLatin1());
    QVERIFY(Same(w->ImgView->Bitmap(), expected));
    QVERIFY(sizeInCaption(expected));
    QVERIFY(w->Document().Modified());
    app.Run("Undo1");
    // The old width and height come back with the pixels.
    QVERIFY(Same(w->ImgView->Bitmap(), before));
    QVERIFY(sizeInCaption(before));
    QVERIFY(!w->Document().CanUndo());
}

void TestProcessing::filterWithAnotherLayerSelectedFiltersTheImage() {
    TApp app;
    TMDIChild* w = app.Window();
    w->Document().SetSelection(w->Document().Layers().Add<TPositionedLayer>());
    TBitmap32 expected;
    Expect(expected, w->ImgView->Bitmap(), [](TBitmap32& b) { ApplyFilter(*FindFilterByTag(20), b); });
    app.Run("Soft1");
    QVERIFY(Same(w->ImgView->Bitmap(), expected));
}

void TestProcessing::filterOfASelectedLayerUndoesTheImageOnly() {
    TApp app;
    TMDIChild* w = app.Window();
    TBitmapLayer* layer = AddPictureLayer(*w);
    TBitmap32 image, expected;
    image.Assign(w->ImgView->Bitmap());
    Expect(expected, layer->Bitmap(), [](TBitmap32& b) { ApplyFilter(*FindFilterByTag(21), b); });
    app.Run("UnsharpMask1");
    QVERIFY(Same(layer->Bitmap(), expected));
    QVERIFY(Same(w->ImgView->Bitmap(), image));
    app.Run("Undo1");
    QVERIFY(Same(layer->Bitmap(), expected));
    QVERIFY(Same(w->ImgView->Bitmap(), image));
}

void TestProcessing::channelWindows_data() {
    QTest::addColumn<QString>("id");
    QTest::addColumn<QList<int>>("channels");
    QTest::newRow("RGB") << "RGBChannels1"
                         << QList<int>{int(TColorChannel::Red), int(TColorChannel::Green), int(TColorChannel::Blue)};
    QTest::newRow("HSV") << "HSVChannels1"
                         << QList<int>{int(TColorChannel::Hue), int(TColorChannel::Saturation),
                                       int(TColorChannel::Value)};
}

void TestProcessing::channelWindows() {
    QFETCH(QString, id);
    QFETCH(QList<int>, channels);
    TApp app;
    TMDIChild* w = app.Window(QStringLiteral("/data/cells.png"));
    TBitmap32 before;
    before.Assign(w->ImgView->Bitmap());
    app.Run(id.toLatin1());
    const QList<TMDIChild*> windows = app.Main->ImageWindows();
    QCOMPARE(windows.size(), 4);
    for (int i = 0; i < 3; ++i) {
        const auto channel = TColorChannel(channels[i]);
        TMDIChild* c = windows[i + 1];
        QCOMPARE(c->windowTitle(), QStringLiteral("/data/cells.png ") + QLatin1String(ColorChannelName(channel)));
        QCOMPARE(c->ImageName(), QString());
        TBitmap32 expected;
        ChannelImage(&expected, &before, channel);
        QVERIFY(Same(c->ImgView->Bitmap(), expected));
    }
    // The image itself is not changed and no snapshot is taken.
    QVERIFY(Same(w->ImgView->Bitmap(), before));
    QVERIFY(!w->Document().CanUndo());
    QCOMPARE(app.Main->ActiveImageWindow(), windows.last());
}

void TestProcessing::countColorsMessage() {
    TApp app;
    TMDIChild* w = app.Window();
    // Two colours that differ only in alpha count as one.
    TBitmap32& b = w->ImgView->Bitmap();
    b.Clear(0xFF102030);
    b.SetPixel(0, 0, 0x00102030);
    b.SetPixel(1, 0, 0xFF405060);
    TScriptedPrompts prompts;
    prompts.ExpectMessage(QStringLiteral("The number of unique colors in this image is 2"));
    app.Run("Countcolorsused1");
    VERIFY_PROMPTS(prompts);
    QVERIFY(!w->Document().CanUndo());
}

void TestProcessing::brightnessKeepsItsValue() {
    TApp app;
    TMDIChild* w = app.Window();
    TBitmap32 before, expected;
    before.Assign(w->ImgView->Bitmap());
    // A value beyond the arrows' range is accepted; the levels saturate.
    Expect(expected, before, [](TBitmap32& b) { AdjustBrightness(b, 300); });
    TScriptedPrompts prompts;
    prompts.ExpectDialog(QStringLiteral("frmBrightness"), [](QDialog& d) {
        auto& dlg = static_cast<TfrmBrightness&>(d);
        dlg.leBrightness->setText(QStringLiteral("300"));
        dlg.btnOK->click();
        return d.result();
    });
    app.Run("Brightness1");
    VERIFY_PROMPTS(prompts);
    QVERIFY(Same(w->ImgView->Bitmap(), expected));
    app.Run("Undo1");
    QVERIFY(Same(w->ImgView->Bitmap(), before));
    // Shown again, the dialog has the last value.
    QCOMPARE(BrightnessDialog(*app.Main)->leBrightness->text(), QStringLiteral("300"));
}

void TestProcessing::brightnessRefusesNonIntegers() {
    TApp app;
    TMDIChild* w = app.Window();
    app.Run("Mirror1");
    TBitmap32 mirrored;
    mirrored.Assign(w->ImgView->Bitmap());
    TfrmBrightness* dlg = BrightnessDialog(*app.Main);
    QVERIFY(dlg);
    TScriptedPrompts prompts;
    prompts.ExpectError(QStringLiteral("'12a' is not a valid integer value"));
    dlg->leBrightness->setText(QStringLiteral("12a"));
    dlg->btnOK->click();
    VERIFY_PROMPTS(prompts);
    QCOMPARE(dlg->result(), int(QDialog::Rejected));
    // Nothing changed, not even the undo snapshot of the mirror.
    QVERIFY(Same(w->ImgView->Bitmap(), mirrored));
    app.Run("Undo1");
    FlipHorz(mirrored);
    QVERIFY(Same(w->ImgView->Bitmap(), mirrored));
}

void TestProcessing::stretchProposesDragsAndStretches() {
    TApp app;
    TMDIChild* w = app.Window(QStringLiteral("ramp.png"), 256, 4);
    TBitmap32& b = w->ImgView->Bitmap();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 256; ++x) b.SetPixel(x, y, Color32(std::uint8_t(x), std::uint8_t(x), std::uint8_t(x), 128));
    TBitmap32 before;
    before.Assign(b);
    TfrmStretchHisto* dlg = StretchHistoDialog(*app.Main);
    QVERIFY(dlg);
    TStretchCutoffs dragged;
    TScriptedPrompts prompts;
    prompts.ExpectDialog(QStringLiteral("frmStretchHisto"), [&](QDialog& d) {
        auto& s = static_cast<TfrmStretchHisto&>(d);
        // Evenly spread levels: the proposal is 5 and 250.
        if (s.Cutoffs() != TStretchCutoffs{5, 250}) return int(QDialog::Rejected);
        // Drag the low line to a third of the axis with the left button held.
        THistogramChart* chart = s.Chart1;
        chart->resize(337, 250);
        const int x = chart->AxisStart() + chart->AxisLength() / 3;
        dragged = DragCutoffs({5, 250}, x, chart->AxisStart(), chart->AxisLength());
        // The chart's pixels are those of its viewport, where the mouse goes.
        QWidget* view = chart->viewport();
        QMouseEvent move(QEvent::MouseMove, QPointF(x, 100), view->mapToGlobal(QPointF(x, 100)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &move);
        // Without the button nothing moves.
        QMouseEvent hover(QEvent::MouseMove, QPointF(x + 40, 100), view->mapToGlobal(QPointF(x + 40, 100)),
                          Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &hover);
        s.btnOK->click();
        return d.result();
    });
    app.Run("StretchHistogram1");
    VERIFY_PROMPTS(prompts);
    QVERIFY(dragged.Low > 70 && dragged.High == 250);
    QCOMPARE(dlg->leLoCut->text(), QString::number(dragged.Low));
    QCOMPARE(dlg->Chart1->Cutoffs(), dragged);
    TBitmap32 expected;
    Expect(expected, before, [&](TBitmap32& e) { StretchLevels(e, dragged.Low, dragged.High); });
    QVERIFY(Same(b, expected));
    app.Run("Undo1");
    QVERIFY(Same(b, before));
}

// A level alone in the image shows as a gray stair at its place on the
// axis, the ends included.
void TestProcessing::stretchChartShowsEveryLevel_data() {
    QTest::addColumn<int>("level");
    QTest::newRow("0") << 0;
    QTest::newRow("128") << 128;
    QTest::newRow("255") << 255;
}

void TestProcessing::stretchChartShowsEveryLevel() {
    QFETCH(int, level);
    THistogramChart chart;
    chart.resize(337, 250);
    std::array<std::uint32_t, 256> counts{};
    counts[std::size_t(level)] = 1000;
    chart.SetCounts(counts);
    chart.SetCutoffs({level == 0 ? 100 : 0, level == 0 ? 101 : 1});
    const QImage shot = chart.grab().toImage();
    const int x = CutoffToPixel(level, chart.AxisStart(), chart.AxisLength());
    int gray = 0;
    for (int dx = -1; dx <= 1; ++dx) gray += shot.pixel(x + dx, chart.PlotBottom() - 2) == qRgb(128, 128, 128);
    QVERIFY(gray > 0);
}

void TestProcessing::stretchRefusesEqualCutoffs() {
    TApp app;
    TMDIChild* w = app.Window();
    w->ImgView->Bitmap().Clear(0xFF808080);
    TScriptedPrompts prompts;
    prompts.ExpectDialog(QStringLiteral("frmStretchHisto"), [](QDialog& d) {
        static_cast<TfrmStretchHisto&>(d).btnOK->click();
        return d.result();
    });
    prompts.ExpectErrorContaining(QStringLiteral("must be below the high cutoff"));
    app.Run("StretchHistogram1");
    VERIFY_PROMPTS(prompts);
    QCOMPARE(StretchHistoDialog(*app.Main)->Cutoffs(), (TStretchCutoffs{128, 128}));
    QCOMPARE(w->ImgView->Bitmap().Pixel(3, 3), 0xFF808080u);
    QVERIFY(!w->Document().CanUndo());
}

void TestProcessing::failedChangeLeavesTheImage() {
    TApp app;
    TMDIChild* w = app.Window();
    app.Run("N90Right1");
    TBitmap32 turned;
    turned.Assign(w->ImgView->Bitmap());
    TScriptedPrompts prompts;
    prompts.ExpectError(QStringLiteral("Out of memory halfway"));
    // A change that fails halfway (as memory running out would).
    RunGuarded([&] {
        RunImageChange(*app.Main, *w, QStringLiteral("Filter"), TImageChange::Edit([](TBitmap32& image) {
                           image.Clear(0xFFFF0000);
                           throw Error("Out of memory halfway");
                       }));
    });
    VERIFY_PROMPTS(prompts);
    QVERIFY(Same(w->ImgView->Bitmap(), turned));
    // The snapshot's memory took the failed work: no Undo offers a
    // half-written picture.
    QVERIFY(!w->Document().CanUndo());
    app.Main->AppOnIdle();
    QVERIFY(!app.Main->Command(QStringLiteral("Undo1"))->isEnabled());
    // A picture layer is kept whole the same way.
    TBitmapLayer* layer = AddPictureLayer(*w);
    TBitmap32 layerBefore;
    layerBefore.Assign(layer->Bitmap());
    QVERIFY_THROWS_EXCEPTION(Error, RunLayerChange(*app.Main, *w, *layer, QStringLiteral("Filter"),
                                                   [](TBitmap32& b) {
                                                       b.Clear(0);
                                                       throw Error("halfway");
                                                   }));
    QVERIFY(Same(layer->Bitmap(), layerBefore));
}

void TestProcessing::longWorkShowsProgress() {
    TApp app;
    TMDIChild* w = app.Window();
    // This main window's timing only: the next test makes a new one.
    app.Main->RunObjects().Get<TProgressTiming>() = {100, 20};
    QString seen;
    bool paintedMeanwhile = false;
    QTimer probe;
    probe.setInterval(10);
    connect(&probe, &QTimer::timeout, [&] {
        paintedMeanwhile = true;
        if (auto* label = app.Main->statusBar()->findChild<QLabel*>(QStringLiteral("lbProgress")))
            seen = label->text();
    });
    probe.start();
    RunImageChange(*app.Main, *w, QStringLiteral("Sharpen"), TImageChange::Edit([](TBitmap32&) {
                       std::this_thread::sleep_for(std::chrono::milliseconds(400));
                   }));
    probe.stop();
    QVERIFY(paintedMeanwhile);
    QCOMPARE(seen, QStringLiteral("Sharpen... 0 s"));
    // Gone when the work is done.
    Settle();
    QVERIFY(!app.Main->statusBar()->findChild<QWidget*>(QStringLiteral("pnlProgress")));
}

QTEST_MAIN(TestProcessing)
#include "tst_processing.moc"
