#include "core/analysis/RegionStats.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

using namespace ivra;

namespace {

using TKind = TRegionShape::TKind;

TRegionShape Polygon(std::vector<TPoint> v) { return {TKind::Polygon, std::move(v)}; }
TRegionShape Rect(TPoint a, TPoint b) { return {TKind::Rectangle, {a, b}}; }
TRegionShape Ellipse(TPoint c, double a, double b) { return {TKind::Ellipse, {c}, a, b}; }

std::set<std::pair<int, int>> Pixels(const TRegionShape& s, int w = 100, int h = 100) {
    std::set<std::pair<int, int>> px;
    int lastY = -1, lastX1 = -1;
    ForEachRegionSpan(s, w, h, [&](int y, int x0, int x1) {
        EXPECT_LT(x0, x1);
        if (y == lastY) {
            EXPECT_LE(lastX1, x0) << "spans of a row overlap or run backwards";
        }
        lastY = y;
        lastX1 = x1;
        for (int x = x0; x < x1; ++x) px.insert({x, y});
    });
    return px;
}

void Fill(TBitmap32& bmp, int w, int h) {
    bmp.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) bmp.SetPixel(x, y, Color32(std::uint8_t(x * 7 + y), std::uint8_t(y * 3), std::uint8_t(x ^ y)));
}

void ExpectSameCounts(const TChannelHistograms& a, const TChannelHistograms& b) {
    EXPECT_EQ(a.PixelCount, b.PixelCount);
    EXPECT_EQ(a.Red, b.Red);
    EXPECT_EQ(a.Green, b.Green);
    EXPECT_EQ(a.Blue, b.Blue);
    EXPECT_EQ(a.Gray, b.Gray);
    EXPECT_EQ(a.Hue, b.Hue);
    EXPECT_EQ(a.Saturation, b.Saturation);
    EXPECT_EQ(a.Value, b.Value);
}

} // namespace

TEST(RegionSpans, PixelCountsOfShapes) {
    struct TCase {
        const char* Name;
        TRegionShape Shape;
        std::int64_t Pixels;
    } cases[] = {
        {"rectangle", Rect({2, 3}, {12, 8}), 50},
        {"rectangle from its lower right", Rect({12, 8}, {2, 3}), 50},
        {"rectangle of no width", Rect({5, 5}, {5, 20}), 0},
        {"rectangle beyond the image", Rect({-10, -10}, {5, 200}), 500},
        {"square polygon", Polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}}), 100},
        {"square polygon the other way round", Polygon({{0, 10}, {10, 10}, {10, 0}, {0, 0}}), 100},
        // Row j holds the centres x + 0.5 < 9.5 - j: 9 - j pixels.
        {"triangle", Polygon({{0, 0}, {10, 0}, {0, 10}}), 45},
        // The enclosed area, where the fan of triangles of the polygon tool gives 67.
        {"L shape", Polygon({{0, 0}, {10, 0}, {10, 1}, {1, 1}, {1, 10}, {0, 10}}), 19},
        {"two vertices", Polygon({{0, 0}, {10, 10}}), 0},
        {"polygon beyond the image", Polygon({{-50, -50}, {50, -50}, {50, 50}, {-50, 50}}), 2500},
        {"unit circle", Ellipse({5, 5}, 1, 1), 4},
        {"ellipse of no height", Ellipse({5, 5}, 4, 0), 0},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(RegionPixelCount(c.Shape, 100, 100), c.Pixels) << c.Name;
        EXPECT_EQ(std::int64_t(Pixels(c.Shape).size()), c.Pixels) << c.Name;
    }
}

// Every vertex, centre and radius of the 32-bit range gives the exact count
// over a 100 x 80 image.
TEST(RegionSpans, CoordinatesOfTheWholeRangeAreExact) {
    constexpr int Big = 2147483647;
    struct TCase {
        const char* Name;
        TRegionShape Shape;
        std::int64_t Pixels;
    } cases[] = {
        {"triangle of legs 1.6e9", Polygon({{0, 0}, {1600000000, 0}, {0, 1600000000}}), 8000},
        // Rows 0..39 hold x < 60 y / 40 + ..., the lower half mirrors them: 3160.
        {"fan from the far corners", Polygon({{-Big, -Big}, {60, 40}, {-Big, Big}}), 3160},
        {"square of the whole range", Polygon({{-Big, -Big}, {Big, -Big}, {Big, Big}, {-Big, Big}}), 8000},
        {"ellipse of radius 2147483600", Ellipse({50, 40}, 2147483600, 2147483600), 8000},
        {"ellipse centred far away", Ellipse({-Big, -Big}, Big, Big), 0},
        {"rectangle of the whole range", Rect({-Big, -Big}, {Big, Big}), 8000},
    };
    for (const TCase& c : cases) EXPECT_EQ(RegionPixelCount(c.Shape, 100, 80), c.Pixels) << c.Name;
}

TEST(RegionSpans, HandCountedPolygon) {
    // A pentagon with a roof of slope 1 (area 9 + 12 = 21), counted by hand
    // on squared paper: the roof's edges cross the rows at half pixels, so
    // each row holds one centre on its left boundary (in) and one on its
    // right boundary (out).
    const auto px = Pixels(Polygon({{1, 4}, {4, 1}, {7, 4}, {7, 6}, {1, 6}}));
    const std::set<std::pair<int, int>> expected = {
        {3, 1},                                          // crossings 3.5 and 4.5
        {2, 2}, {3, 2}, {4, 2},                          // 2.5 and 5.5
        {1, 3}, {2, 3}, {3, 3}, {4, 3}, {5, 3},          // 1.5 and 6.5
        {1, 4}, {2, 4}, {3, 4}, {4, 4}, {5, 4}, {6, 4},  // the walls at 1 and 7
        {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5},
    };
    EXPECT_EQ(px, expected);
}

TEST(RegionSpans, ShapesThatTileShareNoPixel) {
    // Two triangles that make up a square, and four rectangles around a point.
    const auto a = Pixels(Polygon({{0, 0}, {10, 0}, {0, 10}}));
    const auto b = Pixels(Polygon({{10, 0}, {10, 10}, {0, 10}}));
    std::set<std::pair<int, int>> both = a;
    both.insert(b.begin(), b.end());
    EXPECT_EQ(a.size() + b.size(), 100u);
    EXPECT_EQ(both, Pixels(Rect({0, 0}, {10, 10})));
    std::size_t total = 0;
    for (TPoint corner : {TPoint{0, 0}, TPoint{20, 0}, TPoint{0, 20}, TPoint{20, 20}}) total += Pixels(Rect({10, 10}, corner)).size();
    EXPECT_EQ(total, 400u);
}

TEST(RegionSpans, EllipseIsSymmetricAndNearItsArea) {
    const auto px = Pixels(Ellipse({50, 40}, 30, 12));
    for (const auto& [x, y] : px) {
        EXPECT_TRUE(px.count({99 - x, y})) << "mirror of " << x;
        EXPECT_TRUE(px.count({x, 79 - y})) << "mirror of " << y;
    }
    EXPECT_NEAR(double(px.size()), 3.14159265 * 30 * 12, 0.02 * 3.14159265 * 30 * 12);
}

TEST(AnalyseRegion, RectangleCountsAsTheCroppedImage) {
    TBitmap32 image, crop;
    Fill(image, 60, 40);
    crop.SetSize(25, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 25; ++x) crop.SetPixel(x, y, image.Pixel(x + 30, y + 5));
    TChannelHistograms region, whole;
    AnalyseRegion(image, Rect({55, 15}, {30, 5}), RegionLabel("a/b.png", TKind::Rectangle), region);
    AnalyseImage(crop, "crop", whole);
    ExpectSameCounts(region, whole);
    EXPECT_EQ(region.ImageName, "a/b.png [rectangle]");
}

TEST(AnalyseRegion, LargeRegionsAreCountedInPiecesWithoutLoss) {
    // More pixels than one piece of the gathering strip.
    TBitmap32 image;
    Fill(image, 2100, 2100);
    TChannelHistograms region, whole;
    AnalyseRegion(image, Rect({0, 0}, {2100, 2100}), "x", region);
    AnalyseImage(image, "x", whole);
    ExpectSameCounts(region, whole);
}

TEST(AnalyseRegion, EmptyRegionHasNoPixels) {
    TBitmap32 image;
    Fill(image, 10, 10);
    TChannelHistograms h;
    h.Red[3] = 9;
    AnalyseRegion(image, Polygon({{20, 20}, {30, 20}, {30, 30}}), "x", h);
    EXPECT_EQ(h.PixelCount, 0);
    EXPECT_EQ(h.Red[3], 0u);
}
