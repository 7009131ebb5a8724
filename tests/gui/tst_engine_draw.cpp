// Drawing on bitmaps: lines, stipple, polygons (fill, outline, grow,
// outline of a poly-line), frames, text, the affine transformation and the
// gauge bar.

#include "engine/Drawing.h"
#include "engine/GaugeBar.h"
#include "engine/Layers.h"
#include "engine/Polygon32.h"
#include "engine/Transforms.h"

#include "core/Error.h"

#include <QApplication>
#include <QTest>

#include <cmath>
#include <cstdlib>
#include <vector>

using namespace ivra;

namespace {

constexpr TColor32 W = clWhite32;
constexpr TColor32 B = clBlack32;
constexpr TColor32 Red = 0xFFFF0000u;

std::vector<TColor32> RubberPattern() { return {W, W, W, W, W, W, B, B, B, B}; }

// Pixels of the bitmap that are not the background colour.
int CountNot(const TBitmap32& bmp, TColor32 background) {
    int n = 0;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x) n += bmp.Pixel(x, y) != background;
    return n;
}

// Even-odd point-in-polygon test at a point (slow and obvious).
bool InsideEvenOdd(const std::vector<std::pair<double, double>>& poly, double px, double py) {
    bool in = false;
    for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const auto [xi, yi] = poly[i];
        const auto [xj, yj] = poly[j];
        if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi) in = !in;
    }
    return in;
}

} // namespace

class TestEngineDraw : public QObject {
    Q_OBJECT
private slots:
    void lineEndsAndConnectivity_data();
    void lineEndsAndConnectivity();
    void lineFarOutsideIsCheapAndClipped();
    void stippleRubberPattern();
    void stippleContinuesAcrossSegments();
    void stippleKeepsPhaseWhenClipped();
    void stippleTransparentEntryLeavesPixels();
    void stippleFractionalCounterInterpolates();
    void horzVertStippleInclusive();
    void changeNotificationsNest();
    void polygonFillMatchesCentreSampling_data();
    void polygonFillMatchesCentreSampling();
    void polygonFillRules();
    void polygonEdgeEachPixelOnce();
    void polygonOpenEdgeDrawsLastPixel();
    void antialiasedFillHasPartialCoverage();
    void growSquare();
    void growCollapsesSmallHole();
    void outlineOfPolyline();
    void strokeOfPolylineCoversBand();
    void raiseRect();
    void text();
    void affineRotate90();
    void affineComposeAndInvert();
    void affineBlendAndSourceRect();
    void affineLinearIsSmooth();
    void transformationLayerBounds();
    void gaugeClamping();
    void drawToPainterCopiesPlainPixels();
};

void TestEngineDraw::lineEndsAndConnectivity_data() {
    QTest::addColumn<int>("x1");
    QTest::addColumn<int>("y1");
    QTest::addColumn<int>("x2");
    QTest::addColumn<int>("y2");
    QTest::newRow("horizontal") << 2 << 5 << 17 << 5;
    QTest::newRow("vertical up") << 4 << 18 << 4 << 1;
    QTest::newRow("diagonal") << 0 << 0 << 19 << 19;
    QTest::newRow("shallow") << 1 << 3 << 18 << 9;
    QTest::newRow("steep back") << 15 << 19 << 11 << 0;
    QTest::newRow("single") << 7 << 7 << 7 << 7;
}

void TestEngineDraw::lineEndsAndConnectivity() {
    QFETCH(int, x1);
    QFETCH(int, y1);
    QFETCH(int, x2);
    QFETCH(int, y2);
    TBitmap32 bmp(20, 20);
    bmp.Clear(0);
    LineS(bmp, x1, y1, x2, y2, Red, true);
    const int n = std::max(std::abs(x2 - x1), std::abs(y2 - y1)) + 1;
    QCOMPARE(CountNot(bmp, 0), n);
    QCOMPARE(bmp.Pixel(x1, y1), Red);
    QCOMPARE(bmp.Pixel(x2, y2), Red);
    // Every drawn pixel but the ends has a drawn 8-neighbour on each side,
    // and each row (or column) of the major axis holds exactly one pixel.
    const bool xMajor = std::abs(x2 - x1) >= std::abs(y2 - y1);
    for (int i = 0; i < 20; ++i) {
        int inLine = 0;
        for (int j = 0; j < 20; ++j) inLine += (xMajor ? bmp.Pixel(i, j) : bmp.Pixel(j, i)) == Red;
        const int lo = xMajor ? std::min(x1, x2) : std::min(y1, y2);
        const int hi = xMajor ? std::max(x1, x2) : std::max(y1, y2);
        QCOMPARE(inLine, (i >= lo && i <= hi) ? 1 : 0);
    }
    // Without the last pixel.
    bmp.Clear(0);
    LineS(bmp, x1, y1, x2, y2, Red, false);
    QCOMPARE(CountNot(bmp, 0), n - 1);
    if (n > 1) QCOMPARE(bmp.Pixel(x2, y2), 0u);
}

void TestEngineDraw::lineFarOutsideIsCheapAndClipped() {
    TBitmap32 bmp(10, 10);
    bmp.Clear(0);
    // A line billions of pixels long crosses the bitmap: only the crossing
    // is walked, and the result equals the short line through the same points.
    LineF(bmp, -3.0e9f, 5.0f, 3.0e9f, 5.0f, Red, true);
    QCOMPARE(CountNot(bmp, 0), 10);
    bmp.Clear(0);
    LineF(bmp, 1e30f, 1e30f, 2e30f, 3e30f, Red, true);
    LineF(bmp, std::nanf(""), 0.0f, 5.0f, 5.0f, Red, true);
    QCOMPARE(bmp.Pixel(0, 0) == Red || CountNot(bmp, 0) <= 10, true);
}

void TestEngineDraw::stippleRubberPattern() {
    TBitmap32 bmp(30, 3);
    bmp.Clear(Red);
    SetStipple(bmp, RubberPattern());
    bmp.StippleStep = 1.0f;
    MoveToF(bmp, 0.0f, 1.0f);
    LineToFS(bmp, 20.0f, 1.0f);
    for (int x = 0; x < 20; ++x) QCOMPARE(bmp.Pixel(x, 1), (x % 10) < 6 ? W : B);
    QCOMPARE(bmp.Pixel(20, 1), Red);  // the end point is the next segment's start
    QCOMPARE(bmp.StippleCounter, 0.0f);
    QCOMPARE(bmp.PenPosF, FixedPoint(20.0f, 1.0f));
    QCOMPARE(CountNot(bmp, Red), 20);
}

void TestEngineDraw::stippleContinuesAcrossSegments() {
    // A rectangle drawn as four segments keeps one dash rhythm around it.
    TBitmap32 bmp(20, 20);
    bmp.Clear(Red);
    SetStipple(bmp, RubberPattern());
    MoveToF(bmp, 2, 2);
    LineToFS(bmp, 9, 2);
    LineToFS(bmp, 9, 6);
    LineToFS(bmp, 2, 6);
    LineToFS(bmp, 2, 2);
    // Walk the same path pixel by pixel and compare with the pattern.
    std::vector<std::pair<int, int>> path;
    for (int x = 2; x < 9; ++x) path.push_back({x, 2});
    for (int y = 2; y < 6; ++y) path.push_back({9, y});
    for (int x = 9; x > 2; --x) path.push_back({x, 6});
    for (int y = 6; y > 2; --y) path.push_back({2, y});
    for (std::size_t i = 0; i < path.size(); ++i)
        QCOMPARE(bmp.Pixel(path[i].first, path[i].second), (i % 10) < 6 ? W : B);
    QCOMPARE(CountNot(bmp, Red), int(path.size()));
}

void TestEngineDraw::stippleKeepsPhaseWhenClipped() {
    TBitmap32 bmp(10, 1);
    bmp.Clear(Red);
    SetStipple(bmp, RubberPattern());
    // Starts 5 pixels left of the bitmap: pixel 0 is pattern entry 5.
    LineFS(bmp, -5.0f, 0.0f, 10.0f, 0.0f);
    const TColor32 expected[10] = {W, B, B, B, B, W, W, W, W, W};
    for (int x = 0; x < 10; ++x) QCOMPARE(bmp.Pixel(x, 0), expected[x]);
    QCOMPARE(bmp.StippleCounter, 5.0f);  // 15 pixels walked
    // A long line far off the bitmap still moves the counter by its length.
    bmp.StippleCounter = 0.0f;
    LineFS(bmp, 0.0f, 50.0f, 1000003.0f, 50.0f);
    QCOMPARE(bmp.StippleCounter, 3.0f);
}

void TestEngineDraw::stippleTransparentEntryLeavesPixels() {
    // The grid's stipple: the colour, then fully transparent.
    TBitmap32 bmp(8, 8);
    bmp.Clear(B);
    SetStipple(bmp, {W, 0x00000000u});
    HorzLineTSP(bmp, 0, 3, 7);
    for (int x = 0; x < 8; ++x) QCOMPARE(bmp.Pixel(x, 3), x % 2 == 0 ? W : B);
    ResetStippleCounter(bmp);
    VertLineTSP(bmp, 5, 0, 7);
    for (int y = 0; y < 8; ++y)
        if (y != 3) QCOMPARE(bmp.Pixel(5, y), y % 2 == 0 ? W : B);
}

void TestEngineDraw::stippleFractionalCounterInterpolates() {
    TBitmap32 bmp(4, 1);
    bmp.Clear(0);
    SetStipple(bmp, {B, W});
    bmp.StippleStep = 0.5f;
    LineFS(bmp, 0, 0, 4, 0);
    QCOMPARE(bmp.Pixel(0, 0), B);
    const TColor32 mid = bmp.Pixel(1, 0);
    QVERIFY(RedComponent(mid) >= 127 && RedComponent(mid) <= 128);
    QCOMPARE(bmp.Pixel(2, 0), W);
    QCOMPARE(bmp.StippleCounter, 0.0f);  // 4 * 0.5 = 2, wrapped
    // An empty pattern draws nothing.
    bmp.Clear(0);
    SetStipple(bmp, {});
    LineFS(bmp, 0, 0, 4, 0);
    HorzLineTSP(bmp, 0, 0, 3);
    QCOMPARE(CountNot(bmp, 0), 0);
}

void TestEngineDraw::horzVertStippleInclusive() {
    TBitmap32 bmp(12, 12);
    bmp.Clear(Red);
    SetStipple(bmp, {W});
    HorzLineTSP(bmp, 9, 2, 3);  // right to left, both ends
    QCOMPARE(CountNot(bmp, Red), 7);
    VertLineTSP(bmp, 0, -5, 20);  // clipped to the column
    QCOMPARE(CountNot(bmp, Red), 7 + 12);
    HorzLineTSP(bmp, 0, 40, 11);  // outside: nothing
    QCOMPARE(CountNot(bmp, Red), 19);
}

void TestEngineDraw::changeNotificationsNest() {
    TBitmap32 bmp(10, 10);
    int changes = 0;
    bmp.OnChange = [&] { ++changes; };
    SetStipple(bmp, RubberPattern());
    LineFS(bmp, 0, 0, 9, 9);
    QCOMPARE(changes, 1);
    TPolygon32 p;
    p.Add(FixedPoint(1, 1));
    p.Add(FixedPoint(8, 1));
    p.Add(FixedPoint(8, 8));
    bmp.BeginUpdate();
    p.DrawEdge(bmp, B);
    p.DrawFill(bmp, B);
    QCOMPARE(changes, 1);
    bmp.EndUpdate();
    bmp.Changed();
    QCOMPARE(changes, 2);
}

void TestEngineDraw::polygonFillMatchesCentreSampling_data() {
    QTest::addColumn<QList<QPointF>>("points");
    QTest::newRow("rectangle") << QList<QPointF>{{2, 2}, {8, 2}, {8, 6}, {2, 6}};
    QTest::newRow("triangle") << QList<QPointF>{{1.25, 1.25}, {18.75, 4.25}, {6.25, 17.75}};
    QTest::newRow("concave") << QList<QPointF>{{1.25, 1.25}, {18.25, 1.25}, {10.25, 9.75}, {18.25, 18.25}, {1.25, 18.25}};
    QTest::newRow("star") << QList<QPointF>{{10.2, 0.3}, {13.2, 18.6}, {0.3, 6.8}, {19.6, 6.8}, {6.9, 18.6}};
}

void TestEngineDraw::polygonFillMatchesCentreSampling() {
    QFETCH(QList<QPointF>, points);
    TPolygon32 p;
    std::vector<std::pair<double, double>> ref;
    for (const QPointF& q : points) {
        p.Add(float(q.x()), float(q.y()));
        ref.push_back({FixedToFloat(Fixed(float(q.x()))), FixedToFloat(Fixed(float(q.y())))});
    }
    TBitmap32 bmp(20, 20);
    bmp.Clear(0);
    p.DrawFill(bmp, Red);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool in = InsideEvenOdd(ref, x + 0.5, y + 0.5);
            if ((bmp.Pixel(x, y) == Red) != in)
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 expected %3").arg(x).arg(y).arg(in)));
            QVERIFY(bmp.Pixel(x, y) == Red || bmp.Pixel(x, y) == 0);
        }
}

void TestEngineDraw::polygonFillRules() {
    // Two overlapping squares running the same way: even-odd leaves the
    // overlap empty, non-zero winding fills it.
    TPolygon32 p;
    for (auto [x, y] : {std::pair{0, 0}, {6, 0}, {6, 6}, {0, 6}}) p.Add(FixedPoint(x, y));
    p.NewLine();
    for (auto [x, y] : {std::pair{3, 3}, {9, 3}, {9, 9}, {3, 9}}) p.Add(FixedPoint(x, y));
    QCOMPARE(p.Points().size(), std::size_t(2));
    TBitmap32 bmp(10, 10);
    bmp.Clear(0);
    p.DrawFill(bmp, Red);
    QCOMPARE(bmp.Pixel(4, 4), 0u);
    QCOMPARE(bmp.Pixel(1, 1), Red);
    QCOMPARE(bmp.Pixel(8, 8), Red);
    p.FillMode = TPolyFillMode::pfWinding;
    bmp.Clear(0);
    p.DrawFill(bmp, Red);
    QCOMPARE(bmp.Pixel(4, 4), Red);
    QCOMPARE(CountNot(bmp, 0), 36 + 36 - 9);
}

void TestEngineDraw::polygonEdgeEachPixelOnce() {
    TPolygon32 p;
    for (auto [x, y] : {std::pair{1, 1}, {8, 1}, {8, 5}, {1, 5}}) p.Add(FixedPoint(x, y));
    TBitmap32 bmp(10, 8);
    bmp.Clear(0);
    const TColor32 half = 0x80FF0000u;  // a pixel drawn twice would differ
    p.DrawEdge(bmp, half);
    int drawn = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool onEdge = (x >= 1 && x <= 8 && (y == 1 || y == 5)) || (y >= 1 && y <= 5 && (x == 1 || x == 8));
            if (onEdge) {
                QCOMPARE(bmp.Pixel(x, y), BlendPixel(half, 0, 255));
                ++drawn;
            } else {
                QCOMPARE(bmp.Pixel(x, y), 0u);
            }
        }
    QCOMPARE(drawn, 2 * 8 + 2 * 3);
}

void TestEngineDraw::polygonOpenEdgeDrawsLastPixel() {
    TPolygon32 p;
    p.Closed = false;
    p.Add(FixedPoint(0, 0));
    p.Add(FixedPoint(5, 0));
    p.Add(FixedPoint(5, 4));
    TBitmap32 bmp(8, 8);
    bmp.Clear(0);
    p.DrawEdge(bmp, Red);
    QCOMPARE(bmp.Pixel(5, 4), Red);
    QCOMPARE(bmp.Pixel(2, 2), 0u);  // no closing diagonal
    QCOMPARE(CountNot(bmp, 0), 6 + 4);
}

void TestEngineDraw::antialiasedFillHasPartialCoverage() {
    TPolygon32 p;
    p.Antialiased = true;
    p.Add(2.5f, 2.0f);
    p.Add(8.5f, 2.0f);
    p.Add(8.5f, 6.0f);
    p.Add(2.5f, 6.0f);
    TBitmap32 bmp(12, 8);
    bmp.Clear(0);
    p.DrawFill(bmp, Red);
    QCOMPARE(bmp.Pixel(5, 4), Red);
    const int a = AlphaComponent(bmp.Pixel(2, 4));
    QVERIFY2(a > 96 && a < 160, qPrintable(QString::number(a)));  // half covered
    QCOMPARE(bmp.Pixel(0, 4), 0u);
}

void TestEngineDraw::growSquare() {
    // Clockwise on the screen: grows outward; the other way: shrinks.
    TPolygon32 p;
    for (auto [x, y] : {std::pair{0, 0}, {10, 0}, {10, 10}, {0, 10}}) p.Add(FixedPoint(x, y));
    TPolygon32 g = p;
    g.Grow(Fixed(2), 0.5f);
    QCOMPARE(g.GetBoundingRect(), (TFloatRect{-2, -2, 12, 12}));
    QCOMPARE(g.Points()[0].size(), std::size_t(4));  // square corners keep a miter
    TPolygon32 r;
    for (auto [x, y] : {std::pair{0, 0}, {0, 10}, {10, 10}, {10, 0}}) r.Add(FixedPoint(x, y));
    r.Grow(Fixed(2), 0.5f);
    QCOMPARE(r.GetBoundingRect(), (TFloatRect{2, 2, 8, 8}));
    // A sharp corner is bevelled unless the sharpness allows it.
    TPolygon32 t;
    for (auto [x, y] : {std::pair{0, 0}, {100, 5}, {0, 10}}) t.Add(FixedPoint(x, y));
    TPolygon32 t1 = t, t2 = t;
    t1.Grow(Fixed(1), 0.0f);
    t2.Grow(Fixed(1), 5.0f);  // clamped to 0.99
    QCOMPARE(t1.Points()[0].size(), std::size_t(6));
    QVERIFY(t2.Points()[0].size() < t1.Points()[0].size());
}

void TestEngineDraw::growCollapsesSmallHole() {
    // A ring of radius 1 stroked 4 wide: the inner contour would pass its
    // own centre; it is dropped, and the stroke is a solid dot.
    TPolygon32 ellipse;
    for (float t = 0.0f; t < 6.283185307f; t += 0.05f)
        ellipse.Add(FixedPoint(10.0f + std::cos(t), 10.0f + std::sin(t)));
    QCOMPARE(ellipse.PointCount(), std::size_t(126));
    TPolygon32 o = ellipse.Outline();
    QCOMPARE(o.Points().size(), std::size_t(2));
    o.Grow(Fixed(2.0f), 0.5f);
    QCOMPARE(o.Points().size(), std::size_t(1));
    o.Antialiased = true;
    o.FillMode = TPolyFillMode::pfWinding;
    TBitmap32 bmp(20, 20);
    bmp.Clear(0);
    o.DrawFill(bmp, Red);
    QCOMPARE(bmp.Pixel(10, 10), Red);
    QCOMPARE(bmp.Pixel(9, 9), Red);
    // Width 1.5: the hole (radius 0.25) stays, as a ring.
    TPolygon32 o2 = ellipse.Outline();
    o2.Grow(Fixed(0.75f), 0.5f);
    QCOMPARE(o2.Points().size(), std::size_t(2));
}

void TestEngineDraw::outlineOfPolyline() {
    TPolygon32 p;
    p.Closed = false;
    p.Add(FixedPoint(0, 0));
    p.Add(FixedPoint(5, 0));
    p.Add(FixedPoint(5, 5));
    const TPolygon32 o = p.Outline();
    QVERIFY(o.Closed);
    QCOMPARE(o.Points().size(), std::size_t(1));
    const std::vector<TFixedPoint> expected{FixedPoint(0, 0), FixedPoint(5, 0), FixedPoint(5, 5), FixedPoint(5, 0)};
    QVERIFY(o.Points()[0] == expected);
    p.Closed = true;
    const TPolygon32 c = p.Outline();
    QCOMPARE(c.Points().size(), std::size_t(2));
    QVERIFY(c.Points()[1].front() == FixedPoint(5, 5));
}

void TestEngineDraw::strokeOfPolylineCoversBand() {
    // Outline, grow by half the width, fill non-zero: a 4-pixel band centred
    // on the line with butt ends.
    TPolygon32 p;
    p.Closed = false;
    p.Add(FixedPoint(4, 10));
    p.Add(FixedPoint(16, 10));
    TPolygon32 s = p.Outline();
    s.Grow(Fixed(2.0f), 0.5f);
    s.FillMode = TPolyFillMode::pfWinding;
    TBitmap32 bmp(20, 20);
    bmp.Clear(0);
    s.DrawFill(bmp, Red);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool in = x >= 4 && x < 16 && y >= 8 && y < 12;
            QCOMPARE(bmp.Pixel(x, y) == Red, in);
        }
}

void TestEngineDraw::raiseRect() {
    TBitmap32 bmp(10, 10);
    const TColor32 gray = 0xFF808080u;
    bmp.Clear(gray);
    RaiseRectTS(bmp, 2, 2, 8, 8, 35);
    const TColor32 light = BlendPixel(0xB3FFFFFFu, gray, 255);  // alpha 35 * 512 / 100 = 179
    const TColor32 dark = BlendPixel(0x59000000u, gray, 255);   // alpha 35 * 255 / 100 = 89
    QCOMPARE(bmp.Pixel(2, 2), light);
    QCOMPARE(bmp.Pixel(6, 2), light);
    QCOMPARE(bmp.Pixel(2, 6), light);
    QCOMPARE(bmp.Pixel(7, 2), dark);
    QCOMPARE(bmp.Pixel(2, 7), dark);
    QCOMPARE(bmp.Pixel(7, 7), dark);
    QCOMPARE(bmp.Pixel(4, 4), gray);
    QCOMPARE(CountNot(bmp, gray), 20);  // each frame pixel once
    // Sunken swaps the colours; 0 draws nothing; contrast over 50 saturates.
    bmp.Clear(gray);
    RaiseRectTS(bmp, 2, 2, 8, 8, -35);
    QCOMPARE(bmp.Pixel(2, 2), BlendPixel(0xB3000000u, gray, 255));
    QCOMPARE(bmp.Pixel(7, 7), BlendPixel(0x59FFFFFFu, gray, 255));
    bmp.Clear(gray);
    RaiseRectTS(bmp, 2, 2, 8, 8, 0);
    QCOMPARE(CountNot(bmp, gray), 0);
    RaiseRectTS(bmp, -5, -5, 30, 30, 80);  // clipped, saturated
    QCOMPARE(bmp.Pixel(0, 0), gray);
}

void TestEngineDraw::text() {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(16);
    const int h = TextHeight(f, QStringLiteral("Fj"));
    QVERIFY(h >= 16 && h <= 24);
    QVERIFY(TextWidth(f, QStringLiteral("WW")) > TextWidth(f, QStringLiteral("W")));
    QCOMPARE(TextWidth(f, QString()), 0);
    TBitmap32 bmp(64, 32);
    for (int level : {0, 1, 9}) {
        bmp.Clear(0);
        RenderText(bmp, 4, 4, QStringLiteral("Fj"), level, Red, f);
        int full = 0, partial = 0, outside = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 64; ++x) {
                const TColor32 c = bmp.Pixel(x, y);
                if (c == 0) continue;
                if (x < 4 || y < 4 || y >= 4 + h) ++outside;
                if (c == Red) ++full;
                else ++partial;
            }
        QVERIFY(full > 10);
        QCOMPARE(outside, 0);
        if (level == 0) QCOMPARE(partial, 0);
        else QVERIFY(partial > 0);  // level 9 counts as 4: smoothed
    }
}

void TestEngineDraw::affineRotate90() {
    TBitmap32 src(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) src.SetPixel(x, y, 0xFF000000u | TColor32(10 * y + x));
    TAffineTransformation t;
    t.SrcRect = {0, 0, 3, 2};
    t.Rotate(0, 0, 90);  // counter-clockwise: (x, y) -> (y, -x)
    t.Translate(0, 3);
    TBitmap32 dst(2, 3);
    dst.Clear(0);
    Transform(dst, src, t);
    // The right column of the source becomes the top row.
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 2; ++i) QCOMPARE(dst.Pixel(i, j), src.Pixel(2 - j, i));
    // About a centre: a 4 x 4 image turned in place four times is unchanged.
    TBitmap32 sq(4, 4), a(4, 4), b(4, 4);
    for (int i = 0; i < 16; ++i) sq.SetPixel(i % 4, i / 4, 0xFF000000u | TColor32(i * 977));
    TAffineTransformation q;
    q.SrcRect = {0, 0, 4, 4};
    q.Rotate(2, 2, -90);
    a.Assign(sq);
    for (int k = 0; k < 4; ++k) {
        Transform(b, a, q);
        a.Assign(b);
    }
    for (int i = 0; i < 16; ++i) QCOMPARE(a.Pixel(i % 4, i / 4), sq.Pixel(i % 4, i / 4));
    Transform(b, sq, q);  // clockwise: top-left goes to top-right
    QCOMPARE(b.Pixel(3, 0), sq.Pixel(0, 0));
}

void TestEngineDraw::affineComposeAndInvert() {
    TAffineTransformation t;
    t.Translate(-3, -4);
    t.Scale(2, 3);
    t.Rotate(0, 0, 30);
    t.Skew(0.25, 0);
    t.Translate(7, 1);
    double x, y, bx, by;
    t.Transform(5, 6, x, y);
    t.ReverseTransform(x, y, bx, by);
    QVERIFY(std::abs(bx - 5) < 1e-9 && std::abs(by - 6) < 1e-9);
    TAffineTransformation inv = t;
    inv.Invert();
    inv.Invert();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) QVERIFY(std::abs(inv.Matrix[i][j] - t.Matrix[i][j]) < 1e-9);
    // Order: the translation applied first is scaled by what follows.
    TAffineTransformation o;
    o.Translate(1, 0);
    o.Scale(10, 10);
    o.Transform(0, 0, x, y);
    QCOMPARE(x, 10.0);
    t.Clear();
    t.Transform(5, 6, x, y);
    QCOMPARE(x, 5.0);
    TAffineTransformation s;
    s.Scale(0, 1);
    QVERIFY_THROWS_EXCEPTION(ivra::Error, s.Invert());
}

void TestEngineDraw::affineBlendAndSourceRect() {
    TBitmap32 src(4, 4);
    src.Clear(0xFFFF0000u);
    src.SetDrawMode(TDrawMode::dmBlend);
    src.SetMasterAlpha(128);
    TBitmap32 dst(6, 6);
    dst.Clear(0xFF0000FFu);
    TAffineTransformation t;
    t.SrcRect = {1, 1, 3, 3};  // only the middle 2 x 2 is read
    t.Translate(1, 1);
    Transform(dst, src, t);
    QCOMPARE(dst.Pixel(2, 2), BlendPixel(0xFFFF0000u, 0xFF0000FFu, 128));
    QCOMPARE(dst.Pixel(3, 3), BlendPixel(0xFFFF0000u, 0xFF0000FFu, 128));
    QCOMPARE(dst.Pixel(1, 1), 0xFF0000FFu);
    QCOMPARE(dst.Pixel(4, 4), 0xFF0000FFu);
    QCOMPARE(CountNot(dst, 0xFF0000FFu), 4);
}

void TestEngineDraw::affineLinearIsSmooth() {
    TBitmap32 src(2, 1);
    src.SetPixel(0, 0, 0xFF000000u);
    src.SetPixel(1, 0, 0xFFFFFFFFu);
    src.SetStretchFilter(TStretchFilter::sfLinear);
    TAffineTransformation t;
    t.SrcRect = {0, 0, 2, 1};
    t.Scale(8, 1);
    TBitmap32 dst(16, 1);
    dst.Clear(0);
    Transform(dst, src, t);
    QCOMPARE(dst.Pixel(0, 0), 0xFF000000u);
    QCOMPARE(dst.Pixel(15, 0), 0xFFFFFFFFu);
    for (int x = 1; x < 16; ++x) QVERIFY(RedComponent(dst.Pixel(x, 0)) >= RedComponent(dst.Pixel(x - 1, 0)));
    QVERIFY(RedComponent(dst.Pixel(8, 0)) > 100 && RedComponent(dst.Pixel(7, 0)) < 155);
}

void TestEngineDraw::transformationLayerBounds() {
    TLayerCollection c;
    TViewMapping m;
    m.Scale = 2.0f;
    m.OffsetX = 5;
    m.OffsetY = -3;
    c.SetMapping(m);
    auto* l = c.Add<TTransformationLayer>();
    int changes = 0;
    l->OnChange = [&] { ++changes; };
    l->SetPosition({1, 2});
    l->SetScaling({3, 4});
    QCOMPARE(changes, 2);
    l->SetScaling({3, 4});
    QCOMPARE(changes, 2);  // unchanged: nothing
    // (1, 2, (1 + 1) * 3, (1 + 2) * 4) in view pixels while not scaled.
    QCOMPARE(l->GetAdjustedBounds(), (TFloatRect{1, 2, 6, 12}));
    l->SetScaled(true);
    QCOMPARE(changes, 3);
    QCOMPARE(l->GetAdjustedBounds(), (TFloatRect{7, 1, 17, 21}));
}

void TestEngineDraw::gaugeClamping() {
    TGaugeBar g;
    g.SetRange(0, 255);
    int changes = 0;
    g.OnChange = [&](TGaugeBar*) { ++changes; };
    g.SetPosition(300);
    QCOMPARE(g.Position(), 255);
    QCOMPARE(changes, 1);
    g.SetPosition(255);
    QCOMPARE(changes, 1);
    g.SetPosition(999);  // clamps to the same value: no change
    QCOMPARE(changes, 1);
    g.SetPosition(-5);
    QCOMPARE(g.Position(), 0);
    QCOMPARE(changes, 2);
    g.SetRange(-180, 180);
    QCOMPARE(changes, 2);
    g.SetMin(10);  // moves the position up
    QCOMPARE(g.Position(), 10);
    QCOMPARE(changes, 3);
    g.SetMax(5);  // below the minimum: raised to it
    QCOMPARE(g.Max(), 10);
    QCOMPARE(g.Position(), 10);
}

void TestEngineDraw::drawToPainterCopiesPlainPixels() {
    TBitmap32 bmp(4, 2);
    for (int i = 0; i < 8; ++i) bmp.SetPixel(i % 4, i / 4, 0x10000000u | TColor32(i * 0x102030));
    bmp.SetPixel(0, 0, 0x00FF8040u);  // transparent: still copied as its colour
    QImage page(10, 10, QImage::Format_RGB32);
    page.fill(Qt::black);
    {
        QPainter p(&page);
        DrawToPainter(p, 1, 2, bmp);
    }
    QCOMPARE(page.pixel(1, 2), 0xFFFF8040u);
    QCOMPARE(page.pixel(4, 3), bmp.Pixel(3, 1) | 0xFF000000u);
    // Stretched: the source rectangle's right half doubled into 4 x 4.
    page.fill(Qt::black);
    {
        QPainter p(&page);
        DrawToPainter(p, TRect{0, 0, 4, 4}, bmp, TRect{2, 0, 4, 2});
    }
    QCOMPARE(page.pixel(0, 0), bmp.Pixel(2, 0) | 0xFF000000u);
    QCOMPARE(page.pixel(3, 3), bmp.Pixel(3, 1) | 0xFF000000u);
    QCOMPARE(page.pixel(4, 0), 0xFF000000u);
    // Round trip through a QImage.
    TBitmap32 back;
    AssignFromImage(back, ToImage(bmp));
    QCOMPARE(back.Width(), 4);
    for (int i = 0; i < 8; ++i) QCOMPARE(back.Pixel(i % 4, i / 4), bmp.Pixel(i % 4, i / 4));
    AssignFromImage(back, QImage());
    QVERIFY(back.Empty());
}

QTEST_MAIN(TestEngineDraw)
#include "tst_engine_draw.moc"
