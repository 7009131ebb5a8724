#include "core/measure/Geometry.h"

#include "core/Error.h"

#include <gtest/gtest.h>

#include "../../TestNames.h"

#include <cmath>
#include <random>
#include <vector>

using namespace ivra;

namespace {

std::vector<TFixedPoint> Poly(std::initializer_list<std::pair<int, int>> pts) {
    std::vector<TFixedPoint> v;
    for (auto [x, y] : pts) v.push_back(FixedPoint(x, y));
    return v;
}

TEST(Distance, SmallAndHugeCoordinates) {
    EXPECT_FLOAT_EQ(Distance({10, 10}, {13, 14}), 5.0f);
    EXPECT_FLOAT_EQ(Distance({0, 0}, {0, 0}), 0.0f);
    EXPECT_FLOAT_EQ(Distance({-3, 0}, {0, 4}), 5.0f);
    // 32-bit squares would overflow beyond 46341 pixels apart.
    EXPECT_FLOAT_EQ(Distance({0, 0}, {60000, 80000}), 100000.0f);
    // Opposite ends of the 32-bit range: differences beyond 31 bits.
    const TPoint lo{INT32_MIN, INT32_MIN}, hi{INT32_MAX, INT32_MAX};
    const long double d = 4294967295.0L * std::sqrt(2.0L);
    EXPECT_FLOAT_EQ(Distance(lo, hi), float(d));
    EXPECT_FLOAT_EQ(Distance(hi, lo), float(d));
}

TEST(PolylineLength, Examples) {
    EXPECT_FLOAT_EQ(PolylineLength(Poly({{0, 0}, {3, 4}, {3, 10}})), 11.0f);
    EXPECT_FLOAT_EQ(PolylineLength(Poly({{5, 5}})), 0.0f);
    EXPECT_FLOAT_EQ(PolylineLength(std::vector<TFixedPoint>{}), 0.0f);
    // No closing segment.
    EXPECT_FLOAT_EQ(PolylineLength(Poly({{0, 0}, {10, 0}, {10, 10}, {0, 10}})), 30.0f);
    // Fractional fixed-point vertices.
    std::vector<TFixedPoint> half{{0, 0}, {FixedOne / 2, 0}};
    EXPECT_FLOAT_EQ(PolylineLength(half), 0.5f);
    // Far-apart fixed-point values whose 32-bit difference would overflow.
    std::vector<TFixedPoint> wide{FixedPoint(-30000, 0), FixedPoint(30000, 0)};
    EXPECT_FLOAT_EQ(PolylineLength(wide), 60000.0f);
}

struct AreaCase {
    const char* name;
    std::vector<TFixedPoint> vertices;
    float area;
};

class PolygonAreaTable : public ::testing::TestWithParam<AreaCase> {};

TEST_P(PolygonAreaTable, EnclosedArea) {
    const AreaCase& c = GetParam();
    EXPECT_FLOAT_EQ(PolygonArea(c.vertices), c.area) << c.name;
    // Orientation and starting vertex do not matter.
    std::vector<TFixedPoint> rev(c.vertices.rbegin(), c.vertices.rend());
    EXPECT_FLOAT_EQ(PolygonArea(rev), c.area) << c.name << " reversed";
    if (!c.vertices.empty()) {
        std::vector<TFixedPoint> rot(c.vertices.begin() + 1, c.vertices.end());
        rot.push_back(c.vertices.front());
        EXPECT_FLOAT_EQ(PolygonArea(rot), c.area) << c.name << " rotated";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, PolygonAreaTable,
    ::testing::Values(
        AreaCase{"square", Poly({{0, 0}, {10, 0}, {10, 10}, {0, 10}}), 100},
        AreaCase{"triangle", Poly({{0, 0}, {10, 0}, {0, 10}}), 50},
        // Its vertex mean lies outside it: a fan from the mean gives 67.
        AreaCase{"L shape", Poly({{0, 0}, {10, 0}, {10, 1}, {1, 1}, {1, 10}, {0, 10}}), 19},
        AreaCase{"four-point star", Poly({{0, 0}, {5, 2}, {10, 0}, {8, 5}, {10, 10}, {5, 8}, {0, 10}, {2, 5}}), 60},
        AreaCase{"U shape", Poly({{0, 0}, {9, 0}, {9, 9}, {6, 9}, {6, 3}, {3, 3}, {3, 9}, {0, 9}}), 63},
        AreaCase{"comb", Poly({{0, 0}, {10, 0}, {10, 5}, {8, 5}, {8, 1}, {6, 1}, {6, 5}, {4, 5}, {4, 1}, {2, 1}, {2, 5}, {0, 5}}), 34},
        AreaCase{"negative coordinates", Poly({{-10, -10}, {-5, -10}, {-5, -4}}), 15},
        AreaCase{"two vertices", Poly({{0, 0}, {10, 10}}), 0},
        AreaCase{"one vertex", Poly({{3, 3}}), 0},
        AreaCase{"none", {}, 0},
        AreaCase{"degenerate line", Poly({{0, 0}, {5, 5}, {10, 10}}), 0}),
    ivra::test::NameFrom([](const AreaCase& c) { return std::string(c.name); }));

// For convex polygons the fan of triangles from the vertex mean is right;
// compare with it, computed slowly in long double.
TEST(PolygonArea, MatchesFanForConvexPolygons) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> radius(5.0, 500.0);
    for (int trial = 0; trial < 200; ++trial) {
        const int n = 3 + trial % 20;
        const double r = radius(rng);
        std::vector<TFixedPoint> v;
        for (int i = 0; i < n; ++i) {
            const double t = 2 * M_PI * i / n;
            v.push_back(FixedPoint(int(std::lround(1000 + r * std::cos(t))), int(std::lround(1000 + r * std::sin(t)))));
        }
        long double cx = 0, cy = 0;
        for (auto& p : v) {
            cx += p.X / 65536.0L;
            cy += p.Y / 65536.0L;
        }
        cx /= n;
        cy /= n;
        long double fan = 0;
        for (int i = 0; i < n; ++i) {
            const auto& p = v[std::size_t(i)];
            const auto& q = v[std::size_t((i + 1) % n)];
            const long double xp = p.X / 65536.0L, yp = p.Y / 65536.0L, xq = q.X / 65536.0L, yq = q.Y / 65536.0L;
            fan += std::fabs((yp - yq) * cx + (yq - cy) * xp + (cy - yp) * xq) * 0.5L;
        }
        ASSERT_NEAR(PolygonArea(v), double(fan), double(fan) * 1e-6) << "n=" << n;
    }
}

TEST(AngleAtVertex, Examples) {
    EXPECT_EQ(AngleAtVertex({10, 0}, {0, 0}, {0, 10}), 90.0f);
    EXPECT_FLOAT_EQ(AngleAtVertex({10, 0}, {0, 0}, {-10, 0}), 180.0f);
    EXPECT_FLOAT_EQ(AngleAtVertex({10, 0}, {0, 0}, {10, 0}), 0.0f);
    EXPECT_FLOAT_EQ(AngleAtVertex({10, 0}, {0, 0}, {10, 10}), 45.0f);
    EXPECT_FLOAT_EQ(AngleAtVertex({0, 10}, {0, 0}, {10, 0}), 90.0f); // order of A and B
    EXPECT_NEAR(AngleAtVertex({5, 5}, {1, 1}, {1, 9}), 45.0f, 1e-5);
}

TEST(AngleAtVertex, CollinearArmsOfSingleLengthsStayDefined) {
    // The arm lengths are rounded to singles, so the cosine can come out a
    // hair beyond 1; the angle must still be 0 or 180, never NaN.
    for (int x = 1; x < 60; ++x) {
        for (int y = 1; y < 60; ++y) {
            const float same = AngleAtVertex({x, y}, {0, 0}, {3 * x, 3 * y});
            const float opposite = AngleAtVertex({x, y}, {0, 0}, {-2 * x, -2 * y});
            ASSERT_FALSE(std::isnan(same)) << x << "," << y;
            ASSERT_NEAR(same, 0.0f, 0.05f) << x << "," << y;
            ASSERT_NEAR(opposite, 180.0f, 0.05f) << x << "," << y;
        }
    }
}

TEST(AngleAtVertex, ZeroArmIsAnError) {
    for (auto [a, b] : {std::pair<TPoint, TPoint>{{0, 0}, {5, 5}}, {{5, 5}, {0, 0}}, {{0, 0}, {0, 0}}}) {
        try {
            AngleAtVertex(a, {0, 0}, b);
            FAIL() << "no error";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Angle is undefined: two of its points coincide.");
        }
    }
}

TEST(ShapeFormulas, RectangleEllipseCircle) {
    const TRectMeasure r = RectangleMeasure({0, 0}, {10, 20}, 0.5f);
    EXPECT_DOUBLE_EQ(r.A, 5.0);
    EXPECT_DOUBLE_EQ(r.B, 10.0);
    EXPECT_DOUBLE_EQ(r.Area, 50.0);
    const TRectMeasure back = RectangleMeasure({10, 20}, {0, 0}, 1.0f);
    EXPECT_DOUBLE_EQ(back.Area, 200.0);

    const TEllipseMeasure e = EllipseMeasure({100, 100}, {110, 105}, 1.0f);
    EXPECT_DOUBLE_EQ(e.Width, 20.0);
    EXPECT_DOUBLE_EQ(e.Height, 10.0);
    EXPECT_NEAR(e.Area, 157.0796327, 1e-6);

    const TCircleMeasure c = CircleMeasure({0, 0}, {3, -4}, 1.0f);
    EXPECT_DOUBLE_EQ(c.Radius, 4.0);
    EXPECT_NEAR(c.Perimeter, 25.13272, 1e-9); // 6.28318, not 2 pi
    EXPECT_NEAR(c.Area, 50.2654825, 1e-6);

    // Lengths scale with f, areas with f squared.
    const TCircleMeasure c2 = CircleMeasure({0, 0}, {10, 0}, 0.25f);
    EXPECT_DOUBLE_EQ(c2.Radius, 2.5);
    EXPECT_NEAR(c2.Area, M_PI * 6.25, 1e-9);

    // Sides from opposite ends of the 32-bit range do not overflow.
    const TRectMeasure huge = RectangleMeasure({INT32_MIN, 0}, {INT32_MAX, 1}, 1.0f);
    EXPECT_DOUBLE_EQ(huge.A, 4294967295.0);
}

struct FitCase {
    TRect s, a, expected;
};

class FitRectTable : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitRectTable, Fits) {
    const FitCase& c = GetParam();
    auto t = FitRect(c.s, c.a);
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(*t, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, FitRectTable,
    ::testing::Values(
        FitCase{{0, 0, 400, 200}, {0, 0, 4000, 6000}, {0, 2000, 4000, 4000}},
        FitCase{{0, 0, 200, 400}, {0, 0, 4000, 6000}, {500, 0, 3500, 6000}},
        FitCase{{0, 0, 300, 300}, {0, 0, 5000, 5000}, {0, 0, 5000, 5000}},
        // 7.5 rounds to 8 (even), offset (10 - 8) div 2.
        FitCase{{0, 0, 3, 2}, {0, 0, 10, 5}, {1, 0, 9, 5}},
        // 6.5 rounds to 6 (even).
        FitCase{{0, 0, 13, 2}, {0, 0, 100, 1}, {47, 0, 53, 1}},
        // Odd room: the offset is truncated.
        FitCase{{0, 0, 10, 3}, {0, 0, 10, 10}, {0, 3, 10, 6}},
        // An area that does not start at the origin.
        FitCase{{5, 5, 15, 10}, {100, 200, 140, 300}, {100, 240, 140, 260}},
        // Sizes whose products pass 32 bits.
        FitCase{{0, 0, 100000, 50000}, {0, 0, 60000, 60000}, {0, 15000, 60000, 45000}}),
    ivra::test::NameFrom([](const FitCase& c) {
        return std::to_string(c.s.Width()) + "x" + std::to_string(c.s.Height()) + " on " + std::to_string(c.a.Width()) +
               "x" + std::to_string(c.a.Height());
    }));

TEST(FitRect, EmptySourceGivesNothing) {
    EXPECT_FALSE(FitRect({0, 0, 0, 10}, {0, 0, 100, 100}).has_value());
    EXPECT_FALSE(FitRect({0, 0, 10, 0}, {0, 0, 100, 100}).has_value());
    // An empty area is no fault: the target is empty too.
    auto t = FitRect({0, 0, 10, 10}, {0, 0, 0, 0});
    ASSERT_TRUE(t.has_value());
    EXPECT_TRUE(t->IsEmpty());
}

} // namespace
