// The drawing routines of the measuring tools: the stippled rubber figures
// and the stroked finished shapes, checked pixel by pixel on plain bitmaps.

#include "engine/Polygon32.h"
#include "measure/CursorConfine.h"
#include "measure/MeasureController.h"
#include "measure/Overlays.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

#include <cmath>

using namespace ivra;

namespace {

void Blank(TBitmap32& b, int w, int h) {
    b.SetSize(w, h);
    b.Clear(0);
    b.SetDrawMode(TDrawMode::dmBlend);
}

int Alpha(const TBitmap32& b, int x, int y) { return int(b.Pixel(x, y) >> 24); }

int PaintedCount(const TBitmap32& b) {
    int n = 0;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) n += Alpha(b, x, y) != 0;
    return n;
}

} // namespace

class TestMeasureOverlays : public QObject {
    Q_OBJECT
private slots:
    void rubberLineStipple() {
        TBitmap32 b;
        Blank(b, 40, 10);
        DrawRubberLine(b, {0, 5}, {30, 5});
        // Six white pixels, four black, again and again; the end pixel is
        // left for the next segment.
        for (int x = 0; x < 30; ++x) {
            const TColor32 want = (x % 10) < 6 ? clWhite32 : clBlack32;
            QCOMPARE(b.Pixel(x, 5), want);
        }
        QCOMPARE(b.Pixel(30, 5), TColor32(0));
        QCOMPARE(PaintedCount(b), 30);
        // Every rubber figure starts its pattern afresh.
        DrawRubberLine(b, {0, 7}, {3, 7});
        QCOMPARE(b.Pixel(0, 7), clWhite32);
    }

    void rubberRectRunsRoundTheCorners() {
        TBitmap32 b;
        Blank(b, 30, 30);
        DrawRubberRect(b, 2, 3, 12, 13);
        // The outline is 4 x 10 pixels long; the pattern runs on over the
        // corners (pixel 10 of the walk is the top-right corner, white).
        QCOMPARE(PaintedCount(b), 40);
        QCOMPARE(b.Pixel(2, 3), clWhite32);
        QCOMPARE(b.Pixel(8, 3), clBlack32);
        QCOMPARE(b.Pixel(12, 3), clWhite32);
        QCOMPARE(b.Pixel(12, 9), clBlack32);
        QCOMPARE(b.Pixel(7, 8), TColor32(0));
    }

    void rubberEllipseCloses() {
        QCOMPARE(RubberEllipseSegments(), 66);
        TBitmap32 b;
        Blank(b, 100, 100);
        DrawRubberEllipse(b, 50, 50, 30, 20);
        // On the outline at the four extremes, nothing at the centre.
        QVERIFY(Alpha(b, 80, 50) || Alpha(b, 79, 50));
        QVERIFY(Alpha(b, 50, 70) || Alpha(b, 50, 69));
        QVERIFY(Alpha(b, 20, 50) || Alpha(b, 21, 50));
        QVERIFY(Alpha(b, 50, 30) || Alpha(b, 50, 31));
        QCOMPARE(Alpha(b, 50, 50), 0);
        // Closed: the stretch just above the start point is drawn too.
        QVERIFY(Alpha(b, 80, 48) || Alpha(b, 79, 48));
    }

    void shapeEllipseHas126Vertices() {
        const auto v = ShapeEllipseVertices(10.0f, 20.0f, 5.0f, 3.0f);
        QCOMPARE(int(v.size()), 126);
        QCOMPARE(v.front(), FixedPoint(15, 20));
        for (const TFixedPoint& p : v) {
            const double dx = (FixedToFloat(p.X) - 10.0) / 5.0, dy = (FixedToFloat(p.Y) - 20.0) / 3.0;
            QVERIFY(std::fabs(dx * dx + dy * dy - 1.0) < 1e-4);
        }
    }

    void strokeWidths_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("firstRow");
        QTest::addColumn<int>("lastRow");
        QTest::addColumn<bool>("partial");
        // A horizontal line at y = 10: width 1 is the aliased pixel row;
        // wider strokes are centred on the line (the fill's pixel centres lie
        // at +0.5) and antialiased.
        QTest::newRow("1") << 1 << 10 << 10 << false;
        QTest::newRow("2") << 2 << 9 << 10 << false;
        QTest::newRow("4") << 4 << 8 << 11 << false;
        QTest::newRow("5") << 5 << 7 << 12 << true;
    }
    void strokeWidths() {
        QFETCH(int, width);
        QFETCH(int, firstRow);
        QFETCH(int, lastRow);
        QFETCH(bool, partial);
        TBitmap32 b;
        Blank(b, 40, 21);
        DrawShapeLine(b, {10, 10}, {30, 10}, 0xFFFF0000u, width);
        bool sawPartial = false;
        for (int y = 0; y < b.Height(); ++y) {
            const int a = Alpha(b, 20, y);
            if (y < firstRow || y > lastRow) {
                QCOMPARE(a, 0);
            } else {
                QVERIFY2(a > 0, qPrintable(QStringLiteral("row %1").arg(y)));
                sawPartial |= a < 255;
            }
        }
        QCOMPARE(sawPartial, partial);
        // Width 1 is exactly the pixels of the line, end pixel included.
        if (width == 1) {
            QCOMPARE(PaintedCount(b), 21);
            QCOMPARE(b.Pixel(30, 10), 0xFFFF0000u);
        }
    }

    void shapeRectAndEllipseAreClosed() {
        TBitmap32 b;
        Blank(b, 60, 60);
        DrawShapeRect(b, {10, 10}, {40, 30}, 0xFF00FF00u, 1);
        for (int x = 10; x <= 40; ++x) {
            QCOMPARE(b.Pixel(x, 10), 0xFF00FF00u);
            QCOMPARE(b.Pixel(x, 30), 0xFF00FF00u);
        }
        for (int y = 10; y <= 30; ++y) {
            QCOMPARE(b.Pixel(10, y), 0xFF00FF00u);
            QCOMPARE(b.Pixel(40, y), 0xFF00FF00u);
        }
        QCOMPARE(PaintedCount(b), 2 * 31 + 2 * 19);

        TBitmap32 e;
        Blank(e, 60, 60);
        DrawShapeEllipse(e, {30, 30}, 0xFF0000FFu, 20, 10, 3);
        QVERIFY(Alpha(e, 50, 30) > 0);
        QVERIFY(Alpha(e, 10, 30) > 0);
        QVERIFY(Alpha(e, 30, 40) > 0);
        QVERIFY(Alpha(e, 30, 20) > 0);
        QCOMPARE(Alpha(e, 30, 30), 0);
    }

    void tagMarkSizes() {
        // Pen width 1: a ring of radius 1; wider pens a round dot of about
        // 2 + width pixels across.
        TBitmap32 ring;
        Blank(ring, 20, 20);
        DrawShapeEllipse(ring, {10, 10}, clWhite32, 1.0f, 1.0f, 1);
        QVERIFY(PaintedCount(ring) >= 4 && PaintedCount(ring) <= 9);
        TBitmap32 dot;
        Blank(dot, 20, 20);
        DrawShapeEllipse(dot, {10, 10}, clWhite32, 1.0f, 1.0f, 3);
        int minX = 20, maxX = -1;
        for (int x = 0; x < 20; ++x)
            if (Alpha(dot, x, 10) > 127) minX = std::min(minX, x), maxX = std::max(maxX, x);
        QVERIFY2(maxX - minX + 1 >= 4 && maxX - minX + 1 <= 6, qPrintable(QString::number(maxX - minX + 1)));
        QVERIFY(Alpha(dot, 10, 10) > 0);
    }

    void polyEdgeIsBlackAndAliased() {
        TPolygon32 p;
        p.Closed = false;
        p.Antialiased = true;
        p.Add(FixedPoint(2, 2));
        p.Add(FixedPoint(12, 2));
        p.Add(FixedPoint(12, 8));
        TBitmap32 b;
        Blank(b, 20, 20);
        int changes = 0;
        b.OnChange = [&] { ++changes; };
        DrawPoly(b, p);
        QCOMPARE(changes, 1);
        QCOMPARE(b.Pixel(7, 2), clBlack32);
        QCOMPARE(b.Pixel(12, 5), clBlack32);
        QCOMPARE(PaintedCount(b), 17);
        // Open: no closing edge back to (2, 2).
        QCOMPARE(Alpha(b, 7, 5), 0);
        QVERIFY(p.Antialiased);
    }

    void pickerReadout() {
        QCOMPARE(TMeasureController::PickerReadout(0xFF0A141Eu), std::string("R:10 G:20 B:30"));
        QCOMPARE(TMeasureController::PickerReadout(0u), std::string("R:0 G:0 B:0"));
    }

    void clampToRect_data() {
        QTest::addColumn<QPoint>("p");
        QTest::addColumn<QPoint>("want");
        QTest::newRow("inside") << QPoint(15, 25) << QPoint(15, 25);
        QTest::newRow("left above") << QPoint(-5, 0) << QPoint(10, 20);
        QTest::newRow("right below") << QPoint(500, 500) << QPoint(109, 69);
        QTest::newRow("right edge") << QPoint(110, 30) << QPoint(109, 30);
    }
    void clampToRect() {
        QFETCH(QPoint, p);
        QFETCH(QPoint, want);
        QCOMPARE(ClampToRect(p, QRect(10, 20, 100, 50)), want);
    }

    void confineAndRelease() {
        QWidget w;
        w.setGeometry(100, 100, 200, 150);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        TCursorConfinement confinement;
        confinement.Confine(&w);
        const QRect r = confinement.Rect();
        QCOMPARE(r.size(), QSize(200, 150));
        QCOMPARE(r.topLeft(), w.mapToGlobal(QPoint(0, 0)));
        // A move that leaves the rectangle puts the pointer back on its edge.
        const QPoint outside = r.bottomRight() + QPoint(40, 40);
        QMouseEvent e(QEvent::MouseMove, QPointF(w.mapFromGlobal(outside)), QPointF(outside), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &e);
        QCOMPARE(QCursor::pos(), r.bottomRight());
        confinement.Release();
        QVERIFY(confinement.Rect().isEmpty());
        QCursor::setPos(outside);
        QCoreApplication::sendEvent(&w, &e);
        QCOMPARE(QCursor::pos(), outside);
    }
};

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestMeasureOverlays t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_measure_overlays.moc"
