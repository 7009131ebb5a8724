// The layered view: mapping between view and bitmap pixels, paint stages,
// layers (order, hit test, overlay slots, rubber band), scale, scroll bars
// and the mouse events it reports.

#include "engine/ImgView32.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <cmath>
#include <memory>
#include <vector>

using namespace ivra;

Q_DECLARE_METATYPE(ivra::TPoint)

namespace {

constexpr TColor32 CheckerA = 0xFFFFFFFFu;
constexpr TColor32 CheckerB = 0xFFB0B0B0u;

// The image window's background: 8 x 8 squares, grey at the top-left.
void Checkerboard(TImgView32*, TBitmap32& buffer, int) {
    for (int y = 0; y < buffer.Height(); ++y) {
        TColor32* row = buffer.ScanLine(y);
        const bool odd = (y & 8) != 0;
        for (int x = 0; x < buffer.Width(); ++x) {
            const bool xs = (x & 8) != 0;
            row[x] = odd ? (xs ? CheckerB : CheckerA) : (xs ? CheckerA : CheckerB);
        }
    }
}

// A bitmap whose every pixel tells its own position.
void FillPositions(TBitmap32& bmp) {
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x) bmp.SetPixel(x, y, 0xFF000000u | TColor32(x & 0xFFF) << 12 | TColor32(y & 0xFFF));
}

std::unique_ptr<TImgView32> MakeView(int w, int h, int bw, int bh) {
    auto v = std::make_unique<TImgView32>();
    v->resize(w, h);
    v->Bitmap().SetSize(bw, bh);
    v->Bitmap().Clear(clWhite32);
    v->show();
    QCoreApplication::processEvents();
    return v;
}

void SendMouse(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers mods = {}) {
    QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), button, buttons, mods);
    QCoreApplication::sendEvent(w, &e);
}

} // namespace

class TestEngineView : public QObject {
    Q_OBJECT
private slots:
    void mapping_data();
    void mapping();
    void mappingRoundsHalvesToEven();
    void fixedPointMapping();
    void bitmapRectFollowsScrollAndCentring();
    void scrollToCenter();
    void scaleClamping();
    void scaleKeepsCentre();
    void imageStageMatchesPointSampling_data();
    void imageStageMatchesPointSampling();
    void checkerboardStage();
    void layersDrawnInOrderAndHitTopDown();
    void hitTestSkipsHiddenAndDeaf();
    void overlaySlots();
    void overlaySlotsForgetDeletedLayers();
    void paintToRendersImageAndLayers();
    void croppedLayer();
    void layerIndexClamping();
    void scrollBarThickness();
    void resizeHandlerRuns();
    void growingToTheImageSizeDropsTheBars();
    void mouseEventsReportLayer();
    void rubberBandMovesAndResizesChild();
    void rubberBandMinimumSizeAndHandler();
    void wheelNotches();
};

void TestEngineView::mapping_data() {
    QTest::addColumn<float>("scale");
    QTest::addColumn<int>("scrollX");
    QTest::addColumn<int>("scrollY");
    QTest::addColumn<TPoint>("view");
    QTest::addColumn<TPoint>("bitmap");
    QTest::addColumn<TPoint>("back");
    // 100 %: identity.
    QTest::newRow("100% origin") << 1.0f << 0 << 0 << TPoint{0, 0} << TPoint{0, 0} << TPoint{0, 0};
    QTest::newRow("100% inner") << 1.0f << 0 << 0 << TPoint{123, 77} << TPoint{123, 77} << TPoint{123, 77};
    // 200 %: 101 / 2 = 50.5 -> 50 (even), 103 / 2 = 51.5 -> 52 (even).
    QTest::newRow("200% 101") << 2.0f << 0 << 0 << TPoint{101, 101} << TPoint{50, 50} << TPoint{100, 100};
    QTest::newRow("200% 103") << 2.0f << 0 << 0 << TPoint{103, 103} << TPoint{52, 52} << TPoint{104, 104};
    // 25 %: one view pixel is four bitmap pixels.
    QTest::newRow("25%") << 0.25f << 0 << 0 << TPoint{10, 3} << TPoint{40, 12} << TPoint{10, 3};
    // Scrolled at 200 %: the bitmap rectangle starts at (-300, -200).
    QTest::newRow("200% scrolled") << 2.0f << 300 << 200 << TPoint{100, 100} << TPoint{200, 150}
                                   << TPoint{100, 100};
    // Scrolled at 100 %.
    QTest::newRow("100% scrolled") << 1.0f << 50 << 20 << TPoint{0, 0} << TPoint{50, 20} << TPoint{0, 0};
}

void TestEngineView::mapping() {
    QFETCH(float, scale);
    QFETCH(int, scrollX);
    QFETCH(int, scrollY);
    QFETCH(TPoint, view);
    QFETCH(TPoint, bitmap);
    QFETCH(TPoint, back);
    auto v = MakeView(400, 300, 1000, 800);
    v->SetCentered(false);
    v->SetScale(scale);
    v->SetScrollPosition(scrollX, scrollY);
    QCOMPARE(v->ScrollPosition(), (TPoint{scrollX, scrollY}));
    QCOMPARE(v->ControlToBitmap(view), bitmap);
    QCOMPARE(v->BitmapToControl(bitmap), back);
}

void TestEngineView::mappingRoundsHalvesToEven() {
    TViewMapping m;
    m.Scale = 2.0f;
    // Quotients 0.5, 1.5, 2.5, -0.5, -1.5 round to 0, 2, 2, 0, -2; the
    // truncating form gives 0, 1, 2, 0, 0.
    const int xs[] = {1, 3, 5, -1, -3};
    const int rounded[] = {0, 2, 2, 0, -2};
    const int truncated[] = {0, 1, 2, 0, -1};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(m.ControlToBitmap(TPoint{xs[i], 0}).X, rounded[i]);
        QCOMPARE(m.ControlToBitmapTrunc(TPoint{xs[i], 0}).X, truncated[i]);
    }
    // BitmapToControl: 5 * 1.5 = 7.5 -> 8, 3 * 1.5 = 4.5 -> 4.
    m.Scale = 1.5f;
    m.OffsetX = 10;
    QCOMPARE(m.BitmapToControl(TPoint{5, 3}), (TPoint{18, 4}));
}

void TestEngineView::fixedPointMapping() {
    TViewMapping m;
    m.Scale = 1.5f;
    m.OffsetX = 7;
    m.OffsetY = -2;
    // Fractions dropped first: (10.75, 3.5) maps as (10, 3): 15 + 7, 4.5 -> 4, - 2.
    const TFixedPoint r = m.BitmapToControlFP(FixedPoint(10.75f, 3.5f));
    QCOMPARE(r.X, Fixed(22));
    QCOMPARE(r.Y, Fixed(2));
    QCOMPARE(r.X & 0xFFFF, 0);
}

void TestEngineView::bitmapRectFollowsScrollAndCentring() {
    auto v = MakeView(400, 300, 100, 60);
    // Centred: (400 - 100) / 2, (300 - 60) / 2.
    QCOMPARE(v->GetViewportRect(), (TRect{0, 0, 400, 300}));
    QCOMPARE(v->GetBitmapRect(), (TRect{150, 120, 250, 180}));
    v->SetScale(0.25f);  // 25 x 15
    QCOMPARE(v->GetBitmapRect(), (TRect{187, 142, 212, 157}));
    QCOMPARE(v->BitmapToControl(TPoint{0, 0}), (TPoint{187, 142}));
    QCOMPARE(v->ControlToBitmap(TPoint{188, 143}), (TPoint{4, 4}));
    v->SetCentered(false);
    QCOMPARE(v->GetBitmapRect(), (TRect{0, 0, 25, 15}));
    // Larger than the view: the scroll position moves the rectangle.
    v->SetScale(10.0f);
    const TRect vp = v->GetViewportRect();
    QVERIFY(vp.Width() < 400 && vp.Height() < 300);  // both bars shown
    v->SetScrollPosition(30, 40);
    QCOMPARE(v->GetBitmapRect(), (TRect{-30, -40, 970, 560}));
    // Scrolling is limited to the range.
    v->SetScrollPosition(100000, 100000);
    QCOMPARE(v->GetBitmapRect().Right, vp.Right);
    QCOMPARE(v->GetBitmapRect().Bottom, vp.Bottom);
    // An empty bitmap has an empty rectangle.
    v->Bitmap().SetSize(0, 0);
    QVERIFY(v->GetBitmapRect().IsEmpty());
}

void TestEngineView::scrollToCenter() {
    auto v = MakeView(400, 300, 1000, 1000);
    v->SetScale(2.0f);
    const TRect vp = v->GetViewportRect();
    v->ScrollToCenter(500, 300);
    QCOMPARE(v->ScrollPosition().X, int(std::lround(1000 - vp.Width() / 2.0)));
    QCOMPARE(v->ScrollPosition().Y, int(std::lround(600 - vp.Height() / 2.0)));
    // The point now lies at the centre of the viewport.
    const TPoint c = v->BitmapToControl(TPoint{500, 300});
    QVERIFY(std::abs(c.X - vp.Width() / 2) <= 1);
    QVERIFY(std::abs(c.Y - vp.Height() / 2) <= 1);
    // Near the corner the position stops at 0.
    v->ScrollToCenter(10, 10);
    QCOMPARE(v->ScrollPosition(), (TPoint{0, 0}));
}

void TestEngineView::scaleClamping() {
    auto v = MakeView(200, 200, 50, 50);
    int resizes = 0;
    v->OnResize = [&](TImgView32*) { ++resizes; };
    v->SetScale(0.0001f);
    QCOMPARE(v->Scale(), 0.001f);
    QCOMPARE(resizes, 1);
    v->SetScale(-3.0f);
    QCOMPARE(v->Scale(), 0.001f);
    QCOMPARE(resizes, 1);  // same value: nothing happens
    v->SetScale(std::nanf(""));
    QCOMPARE(v->Scale(), 0.001f);
    v->SetScale(1.0f);
    QCOMPARE(resizes, 2);
    v->SetScale(1.0f);
    QCOMPARE(resizes, 2);
    // Huge zooms stay inside the coordinate range and still paint.
    v->SetScale(1e9f);
    QCOMPARE(v->GetBitmapRect().Width(), TViewMapping::MaxScaledLength);
    v->ScrollToCenter(25, 25);
    v->PaintBuffer();
    QCOMPARE(v->Buffer().Pixel(0, 0), clWhite32);
}

void TestEngineView::scaleKeepsCentre() {
    auto v = MakeView(400, 300, 2000, 2000);
    v->SetScrollPosition(500, 700);
    const TRect vp = v->GetViewportRect();
    const TPoint before = v->ControlToBitmap(TPoint{vp.Width() / 2, vp.Height() / 2});
    v->SetScale(3.0f);
    const TRect vp2 = v->GetViewportRect();
    const TPoint after = v->ControlToBitmap(TPoint{vp2.Width() / 2, vp2.Height() / 2});
    QVERIFY(std::abs(after.X - before.X) <= 1);
    QVERIFY(std::abs(after.Y - before.Y) <= 1);
}

void TestEngineView::imageStageMatchesPointSampling_data() {
    QTest::addColumn<float>("scale");
    QTest::addColumn<int>("scrollX");
    QTest::addColumn<int>("scrollY");
    QTest::newRow("100%") << 1.0f << 37 << 11;
    QTest::newRow("200%") << 2.0f << 301 << 17;
    QTest::newRow("400%") << 4.0f << 1203 << 999;
    QTest::newRow("25%") << 0.25f << 5 << 3;
    QTest::newRow("50%") << 0.5f << 0 << 0;
}

void TestEngineView::imageStageMatchesPointSampling() {
    QFETCH(float, scale);
    QFETCH(int, scrollX);
    QFETCH(int, scrollY);
    auto v = MakeView(240, 160, 1200, 800);
    FillPositions(v->Bitmap());
    v->SetCentered(false);
    v->SetScale(scale);
    v->SetScrollPosition(scrollX, scrollY);
    v->PaintBuffer();
    const TBitmap32& buf = v->Buffer();
    const TRect br = v->GetBitmapRect();
    // Slow reference: each view pixel shows the bitmap pixel under its centre.
    int checked = 0;
    for (int y = 0; y < buf.Height(); ++y)
        for (int x = 0; x < buf.Width(); ++x) {
            if (x < br.Left || x >= br.Right || y < br.Top || y >= br.Bottom) continue;
            const int bx = int(std::floor((x - br.Left + 0.5) / double(scale)));
            const int by = int(std::floor((y - br.Top + 0.5) / double(scale)));
            if (buf.Pixel(x, y) != v->Bitmap().Pixel(bx, by))
                QFAIL(qPrintable(QStringLiteral("view pixel %1,%2").arg(x).arg(y)));
            ++checked;
        }
    QVERIFY(checked > 0);
}

void TestEngineView::checkerboardStage() {
    auto v = MakeView(64, 48, 8, 8);
    QCOMPARE(v->PaintStages().front().Stage, PST_CLEAR_BACKGND);
    v->PaintStages().front().Stage = PST_CUSTOM;
    int calls = 0, stageSeen = -1;
    v->OnPaintStage = [&](TImgView32* s, TBitmap32& b, int stage) {
        ++calls;
        stageSeen = stage;
        Checkerboard(s, b, stage);
    };
    v->Bitmap().Clear(0xFF102030u);
    v->PaintBuffer();
    QCOMPARE(calls, 1);
    QCOMPARE(stageSeen, 0);
    const TBitmap32& b = v->Buffer();
    // The top-left square is grey, the one to its right white, the one below white.
    QCOMPARE(b.Pixel(0, 0), CheckerB);
    QCOMPARE(b.Pixel(7, 7), CheckerB);
    QCOMPARE(b.Pixel(8, 0), CheckerA);
    QCOMPARE(b.Pixel(0, 8), CheckerA);
    QCOMPARE(b.Pixel(8, 8), CheckerB);
    // The 8 x 8 image lies centred over it: (64 - 8) / 2 = 28, (48 - 8) / 2 = 20.
    QCOMPARE(b.Pixel(28, 20), 0xFF102030u);
    QCOMPARE(b.Pixel(35, 27), 0xFF102030u);
    // Left of the image: column 27 has bit 3 set, row 20 has it clear: white.
    QCOMPARE(b.Pixel(27, 20), CheckerA);
}

void TestEngineView::layersDrawnInOrderAndHitTopDown() {
    auto v = MakeView(100, 100, 100, 100);
    v->Bitmap().Clear(clBlack32);
    auto* a = v->Layers().Add<TBitmapLayer>();
    auto* b = v->Layers().Add<TBitmapLayer>();
    a->Bitmap().SetSize(4, 4);
    a->Bitmap().Clear(0xFFFF0000u);
    b->Bitmap().SetSize(4, 4);
    b->Bitmap().Clear(0xFF00FF00u);
    a->SetLocation({10, 10, 30, 30});
    b->SetLocation({20, 20, 40, 40});
    v->PaintBuffer();
    QCOMPARE(v->Buffer().Pixel(15, 15), 0xFFFF0000u);
    QCOMPARE(v->Buffer().Pixel(25, 25), 0xFF00FF00u);  // b above a
    QCOMPARE(v->Buffer().Pixel(35, 35), 0xFF00FF00u);
    QCOMPARE(v->Buffer().Pixel(5, 5), clBlack32);
    QCOMPARE(v->Layers().FindLayerAtPos(25, 25), b);
    QCOMPARE(v->Layers().FindLayerAtPos(15, 15), a);
    QCOMPARE(v->Layers().FindLayerAtPos(5, 5), nullptr);
    // Reordering changes both the drawing and the hit test.
    b->SendToBack();
    QCOMPARE(v->Layers().IndexOf(b), 0);
    v->PaintBuffer();
    QCOMPARE(v->Buffer().Pixel(25, 25), 0xFFFF0000u);
    QCOMPARE(v->Layers().FindLayerAtPos(25, 25), a);
    // Scaled: the location is in bitmap pixels and zooms with the image.
    a->SetScaled(true);
    v->SetCentered(false);
    v->SetScale(2.0f);
    v->SetScrollPosition(0, 0);
    QCOMPARE(a->GetAdjustedLocation(), (TFloatRect{20, 20, 60, 60}));
    QCOMPARE(v->Layers().FindLayerAtPos(55, 55), a);
}

void TestEngineView::hitTestSkipsHiddenAndDeaf() {
    auto v = MakeView(100, 100, 100, 100);
    auto* low = v->Layers().Add<TPositionedLayer>();
    auto* high = v->Layers().Add<TPositionedLayer>();
    low->SetLocation({0, 0, 50, 50});
    high->SetLocation({0, 0, 50, 50});
    QCOMPARE(v->Layers().FindLayerAtPos(10, 10), high);
    high->SetVisible(false);
    QCOMPARE(v->Layers().FindLayerAtPos(10, 10), low);
    high->SetVisible(true);
    high->SetMouseEvents(false);
    QCOMPARE(v->Layers().FindLayerAtPos(10, 10), low);
    QCOMPARE(high->LayerOptions(), LOB_VISIBLE);
    high->SetLayerOptions(LOB_VISIBLE | LOB_MOUSE_EVENTS);
    QCOMPARE(v->Layers().FindLayerAtPos(10, 10), high);
    // Right and bottom edges are outside.
    QCOMPARE(v->Layers().FindLayerAtPos(50, 10), nullptr);
    QCOMPARE(v->Layers().FindLayerAtPos(49, 49), high);
}

void TestEngineView::overlaySlots() {
    auto v = MakeView(300, 200, 120, 80);
    QCOMPARE(v->AnimLayer(), nullptr);
    auto* user = v->Layers().Add<TBitmapLayer>();
    TBitmapLayer* anim = v->GetAnimLayer();
    QCOMPARE(v->GetAnimLayer(), anim);  // made once
    QCOMPARE(anim->Index(), 0);
    QVERIFY(anim->Scaled());
    QCOMPARE(anim->Bitmap().Width(), 120);
    QCOMPARE(anim->Bitmap().Height(), 80);
    QCOMPARE(anim->Bitmap().DrawMode(), TDrawMode::dmBlend);
    QCOMPARE(anim->Location(), (TFloatRect{0, 0, 120, 80}));
    QCOMPARE(anim->Bitmap().Pixel(5, 5), 0u);
    anim->Bitmap().SetPixel(5, 5, 0xFFFF0000u);

    TBitmapLayer* measure = v->GetMeasureLayer();
    const QSize screen = TImgView32::ScreenSize();
    QCOMPARE(measure->Index(), 0);  // inserted below the others
    QCOMPARE(anim->Index(), 1);
    QVERIFY(!measure->Scaled());
    QCOMPARE(measure->Bitmap().Width(), screen.width());
    QCOMPARE(measure->Location(), (TFloatRect{0, 0, float(screen.width()), float(screen.height())}));
    QVERIFY(measure->Visible() && measure->MouseEvents());

    // Removing and asking again gives a fresh, empty layer at the bottom,
    // below the user's layer.
    v->RemoveAnimLayer();
    QCOMPARE(v->AnimLayer(), nullptr);
    QCOMPARE(v->Layers().Count(), 2);
    TBitmapLayer* anim2 = v->GetAnimLayer();
    QCOMPARE(anim2->Index(), 0);
    QVERIFY(anim2->Index() < user->Index());
    QCOMPARE(anim2->Bitmap().Pixel(5, 5), 0u);
    v->RemoveMeasureLayer();
    QCOMPARE(v->MeasureLayer(), nullptr);
    QVERIFY(v->GetMeasureLayer() != nullptr);
    QCOMPARE(v->MeasureLayer()->Index(), 0);
}

void TestEngineView::overlaySlotsForgetDeletedLayers() {
    auto v = MakeView(100, 100, 10, 10);
    v->GetAnimLayer();
    v->GetMeasureLayer();
    std::vector<TCustomLayer*> reported;
    v->OnLayerDeleting = [&](TCustomLayer* l) { reported.push_back(l); };
    TBitmapLayer* anim = v->AnimLayer();
    delete anim;  // a layer may be freed directly
    QCOMPARE(v->AnimLayer(), nullptr);
    QCOMPARE(reported.size(), std::size_t(1));
    v->Layers().Clear();
    QCOMPARE(v->MeasureLayer(), nullptr);
    QCOMPARE(v->Layers().Count(), 0);
    QCOMPARE(reported.size(), std::size_t(2));
}

void TestEngineView::paintToRendersImageAndLayers() {
    auto v = MakeView(200, 200, 40, 30);
    v->Bitmap().Clear(0xFF0000FFu);
    v->SetScale(4.0f);
    v->SetScrollPosition(20, 20);
    auto* l = v->Layers().Add<TBitmapLayer>();
    l->Bitmap().SetSize(2, 2);
    l->Bitmap().Clear(0x80FF0000u);  // half-transparent red
    l->Bitmap().SetDrawMode(TDrawMode::dmBlend);
    l->SetScaled(true);
    l->SetLocation({10, 10, 20, 20});
    auto* hidden = v->Layers().Add<TBitmapLayer>();
    hidden->Bitmap().SetSize(1, 1);
    hidden->Bitmap().Clear(0xFF00FF00u);
    hidden->SetScaled(true);
    hidden->SetLocation({0, 0, 40, 30});
    hidden->SetVisible(false);
    TBitmap32 flat(40, 30);
    flat.Clear(0);
    v->PaintTo(flat, {0, 0, 40, 30});
    QCOMPARE(flat.Pixel(0, 0), 0xFF0000FFu);
    QCOMPARE(flat.Pixel(9, 9), 0xFF0000FFu);
    QCOMPARE(flat.Pixel(10, 10), BlendPixel(0x80FF0000u, 0xFF0000FFu, 255));
    QCOMPARE(flat.Pixel(19, 19), BlendPixel(0x80FF0000u, 0xFF0000FFu, 255));
    QCOMPARE(flat.Pixel(20, 20), 0xFF0000FFu);
    // The screen mapping is back in force afterwards.
    QCOMPARE(v->Layers().Mapping(), v->Mapping());
}

void TestEngineView::croppedLayer() {
    auto v = MakeView(100, 100, 20, 20);  // image at (40, 40, 60, 60)
    v->Bitmap().Clear(clBlack32);
    v->PaintStages().front().Stage = PST_CLEAR_BUFFER;
    v->SetBackgroundColor(0xFF808080u);
    auto* l = v->Layers().Add<TBitmapLayer>();
    l->Bitmap().SetSize(1, 1);
    l->Bitmap().Clear(0xFFFF0000u);
    l->SetLocation({30, 30, 50, 50});  // view pixels, overlaps the image's corner
    v->PaintBuffer();
    QCOMPARE(v->Buffer().Pixel(35, 35), 0xFFFF0000u);
    l->SetCropped(true);
    v->PaintBuffer();
    QCOMPARE(v->Buffer().Pixel(35, 35), 0xFF808080u);  // outside the image: cut
    QCOMPARE(v->Buffer().Pixel(45, 45), 0xFFFF0000u);
    QCOMPARE(v->Buffer().Pixel(55, 55), clBlack32);
}

void TestEngineView::layerIndexClamping() {
    TLayerCollection c;
    auto* a = c.Add<TPositionedLayer>();
    auto* b = c.Add<TPositionedLayer>();
    auto* d = c.Insert<TPositionedLayer>(-5);  // clamped to 0
    QCOMPARE(c.IndexOf(d), 0);
    auto* e = c.Insert<TPositionedLayer>(99);  // clamped to count
    QCOMPARE(c.IndexOf(e), 3);
    a->SetIndex(42);
    QCOMPARE(a->Index(), 3);
    a->MoveLevel(-10);
    QCOMPARE(a->Index(), 0);
    b->BringToFront();
    QCOMPARE(b->Index(), 3);
    c.Delete(7);  // out of range: nothing
    QCOMPARE(c.Count(), 4);
    c.Delete(0);
    QCOMPARE(c.Count(), 3);
    QCOMPARE(c.IndexOf(a), -1);
    TRubberbandLayer rb;
    QCOMPARE(rb.Tag, 100);
    QVERIFY(rb.Visible() && rb.MouseEvents());
}

void TestEngineView::scrollBarThickness() {
    auto v = MakeView(300, 200, 1000, 1000);
    v->SetScrollBarSize(12);
    QCoreApplication::processEvents();
    QCOMPARE(v->horizontalScrollBar()->height(), 12);
    QCOMPARE(v->GetViewportRect(), (TRect{0, 0, 300 - 12, 200 - 12}));
    v->SetScrollBarSize(1);
    QCoreApplication::processEvents();
    QCOMPARE(v->verticalScrollBar()->width(), 1);
    QCOMPARE(v->GetViewportRect(), (TRect{0, 0, 299, 199}));
    v->SetScrollBarSize(-1);
    QCoreApplication::processEvents();
    QCOMPARE(v->GetViewportRect(), (TRect{0, 0, 300, 200}));
    // An image that fits needs no bars at all.
    v->SetScrollBarSize(12);
    v->Bitmap().SetSize(10, 10);
    QCoreApplication::processEvents();
    QCOMPARE(v->GetViewportRect(), (TRect{0, 0, 300, 200}));
}

void TestEngineView::resizeHandlerRuns() {
    // The image window's rule: 1 pixel when the scaled image fits, else 12.
    auto v = MakeView(300, 200, 10, 10);
    v->OnResize = [](TImgView32* s) {
        const bool fits = s->width() >= s->Bitmap().Width() * s->Scale() &&
                          s->height() >= s->Bitmap().Height() * s->Scale();
        s->SetScrollBarSize(fits ? 1 : 12);
    };
    v->RecomputeLayout();
    QCOMPARE(v->ScrollBarSize(), 1);
    v->SetScale(50.0f);
    QCOMPARE(v->ScrollBarSize(), 12);
    QCoreApplication::processEvents();
    QCOMPARE(v->GetViewportRect(), (TRect{0, 0, 288, 188}));
    v->resize(320, 220);
    QCoreApplication::processEvents();
    QCOMPARE(v->GetViewportRect(), (TRect{0, 0, 308, 208}));
    v->SetScale(1.0f);
    QCOMPARE(v->ScrollBarSize(), 1);
}

void TestEngineView::growingToTheImageSizeDropsTheBars() {
    // Shown bars must not keep themselves: once the view is as large as the
    // image, the whole image is visible and no bar is left.
    auto v = MakeView(150, 100, 200, 120);
    v->SetScrollBarSize(12);
    QCoreApplication::processEvents();
    QVERIFY(v->GetViewportRect().Width() < 150);
    v->resize(200, 120);
    QCoreApplication::processEvents();
    QCOMPARE(v->GetViewportRect(), (TRect{0, 0, 200, 120}));
    QCOMPARE(v->horizontalScrollBar()->maximum(), 0);
    QCOMPARE(v->verticalScrollBar()->maximum(), 0);
    // One pixel too narrow: the horizontal bar comes, and with it the
    // vertical one, since the bar takes height the image needs.
    v->resize(199, 120);
    QCoreApplication::processEvents();
    QCOMPARE(v->GetViewportRect(), (TRect{0, 0, 199 - 12, 120 - 12}));
}

void TestEngineView::mouseEventsReportLayer() {
    auto v = MakeView(200, 200, 200, 200);
    auto* l = v->Layers().Add<TPositionedLayer>();
    l->SetLocation({50, 50, 100, 100});
    int layerDowns = 0;
    l->OnMouseDown = [&](TCustomLayer* s, TMouseButton b, TShiftState, int x, int y) {
        QCOMPARE(s, l);
        QCOMPARE(b, TMouseButton::mbRight);
        QCOMPARE(x, 60);
        QCOMPARE(y, 70);
        ++layerDowns;
    };
    std::vector<TCustomLayer*> downs, moves;
    TShiftState lastShift = 0;
    TMouseButton lastButton = TMouseButton::mbLeft;
    v->OnMouseDown = [&](TImgView32*, TMouseButton b, TShiftState s, int, int, TCustomLayer* layer) {
        downs.push_back(layer);
        lastShift = s;
        lastButton = b;
    };
    v->OnMouseMove = [&](TImgView32*, TShiftState s, int, int, TCustomLayer* layer) {
        moves.push_back(layer);
        lastShift = s;
    };
    SendMouse(v->viewport(), QEvent::MouseButtonPress, {60, 70}, Qt::RightButton, Qt::RightButton,
              Qt::ControlModifier);
    QCOMPARE(layerDowns, 1);
    QCOMPARE(downs.back(), l);
    QCOMPARE(lastButton, TMouseButton::mbRight);
    QCOMPARE(lastShift, TShiftState(ssCtrl | ssRight));
    SendMouse(v->viewport(), QEvent::MouseButtonRelease, {60, 70}, Qt::RightButton, Qt::NoButton);
    SendMouse(v->viewport(), QEvent::MouseMove, {10, 10}, Qt::NoButton, Qt::NoButton, Qt::ShiftModifier);
    QCOMPARE(moves.back(), nullptr);
    QCOMPARE(lastShift, ssShift);
    SendMouse(v->viewport(), QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(downs.back(), nullptr);
    QCOMPARE(layerDowns, 1);
}

void TestEngineView::rubberBandMovesAndResizesChild() {
    auto v = MakeView(300, 300, 300, 300);
    v->SetCentered(false);
    v->SetScale(2.0f);
    v->SetScrollPosition(0, 0);
    auto* child = v->Layers().Add<TBitmapLayer>();
    child->Bitmap().SetSize(10, 10);
    child->SetScaled(true);
    child->SetLocation({10, 10, 30, 30});  // view (20, 20, 60, 60)
    auto* rb = v->Layers().Add<TRubberbandLayer>();
    rb->SetChildLayer(child);
    QCOMPARE(rb->Location(), child->Location());
    QVERIFY(rb->Scaled());
    std::vector<TRBDragState> states;
    std::vector<TFloatRect> olds;
    rb->OnResizing = [&](TRubberbandLayer*, const TFloatRect& o, TFloatRect&, TRBDragState s, TShiftState) {
        states.push_back(s);
        olds.push_back(o);
    };
    TCustomLayer* pressed = nullptr;
    v->OnMouseDown = [&](TImgView32*, TMouseButton, TShiftState, int, int, TCustomLayer* l) { pressed = l; };
    // Drag the body by (10, 6) view pixels = (5, 3) bitmap pixels.
    QCOMPARE(rb->GetDragState(40, 40), TRBDragState::dsMove);
    SendMouse(v->viewport(), QEvent::MouseButtonPress, {40, 40}, Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(pressed, rb);
    QCOMPARE(pressed->Tag, 100);
    SendMouse(v->viewport(), QEvent::MouseMove, {50, 46}, Qt::NoButton, Qt::LeftButton);
    SendMouse(v->viewport(), QEvent::MouseButtonRelease, {50, 46}, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(child->Location(), (TFloatRect{15, 13, 35, 33}));
    QCOMPARE(rb->Location(), child->Location());
    QCOMPARE(states.size(), std::size_t(1));
    QCOMPARE(states[0], TRBDragState::dsMove);
    QCOMPARE(olds[0], (TFloatRect{10, 10, 30, 30}));
    // Drag the right edge handle (view x = 70) outward by 20 view pixels.
    const TRect r = MakeRect(rb->GetAdjustedLocation());
    QCOMPARE(r, (TRect{30, 26, 70, 66}));
    QCOMPARE(rb->GetDragState(70, 46), TRBDragState::dsSizeR);
    QCOMPARE(rb->GetDragState(30, 26), TRBDragState::dsSizeTL);
    SendMouse(v->viewport(), QEvent::MouseButtonPress, {70, 46}, Qt::LeftButton, Qt::LeftButton);
    SendMouse(v->viewport(), QEvent::MouseMove, {90, 46}, Qt::NoButton, Qt::LeftButton);
    SendMouse(v->viewport(), QEvent::MouseButtonRelease, {90, 46}, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(child->Location(), (TFloatRect{15, 13, 45, 33}));
    QCOMPARE(states.back(), TRBDragState::dsSizeR);
    // A deleted child is forgotten.
    delete child;
    QCOMPARE(rb->ChildLayer(), nullptr);
}

void TestEngineView::rubberBandMinimumSizeAndHandler() {
    auto v = MakeView(300, 300, 300, 300);
    v->SetCentered(false);
    auto* child = v->Layers().Add<TPositionedLayer>();
    child->SetScaled(true);
    child->SetLocation({100, 100, 140, 120});
    auto* rb = v->Layers().Add<TRubberbandLayer>();
    rb->SetChildLayer(child);
    // Dragging the left edge past the right one stops at the minimum width.
    SendMouse(v->viewport(), QEvent::MouseButtonPress, {100, 110}, Qt::LeftButton, Qt::LeftButton);
    SendMouse(v->viewport(), QEvent::MouseMove, {200, 110}, Qt::NoButton, Qt::LeftButton);
    SendMouse(v->viewport(), QEvent::MouseButtonRelease, {200, 110}, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(child->Location(), (TFloatRect{130, 100, 140, 120}));
    // The handler may change the new location: symmetric resize with Ctrl.
    rb->MinWidth = 1.0f;
    rb->OnResizing = [](TRubberbandLayer*, const TFloatRect& o, TFloatRect& n, TRBDragState s, TShiftState sh) {
        if (s == TRBDragState::dsMove || !(sh & ssCtrl)) return;
        const float cx = (o.Left + o.Right) / 2, w = std::max(n.Right - cx, 2.0f);
        n.Left = cx - w;
        n.Right = cx + w;
    };
    SendMouse(v->viewport(), QEvent::MouseButtonPress, {140, 110}, Qt::LeftButton, Qt::LeftButton,
              Qt::ControlModifier);
    SendMouse(v->viewport(), QEvent::MouseMove, {150, 110}, Qt::NoButton, Qt::LeftButton, Qt::ControlModifier);
    SendMouse(v->viewport(), QEvent::MouseButtonRelease, {150, 110}, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(child->Location(), (TFloatRect{120, 100, 150, 120}));
}

void TestEngineView::wheelNotches() {
    auto v = MakeView(200, 200, 2000, 2000);
    int ups = 0, downs = 0;
    v->OnMouseWheelUp = [&](TImgView32*, TShiftState, TPoint, bool&) { ++ups; };
    v->OnMouseWheelDown = [&](TImgView32*, TShiftState, TPoint, bool&) { ++downs; };
    auto wheel = [&](int dy) {
        QWheelEvent e(QPointF(50, 50), v->viewport()->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, dy),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(v->viewport(), &e);
    };
    wheel(120);
    QCOMPARE(ups, 1);
    wheel(-240);
    QCOMPARE(downs, 2);
    wheel(60);
    QCOMPARE(ups, 1);  // half a notch
    wheel(60);
    QCOMPARE(ups, 2);
    QCOMPARE(v->ScrollPosition(), (TPoint{0, 0}));  // handled: no scrolling
}

QTEST_MAIN(TestEngineView)
#include "tst_engine_view.moc"
