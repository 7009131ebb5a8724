#include "core/raster/FixedPoint.h"

#include <gtest/gtest.h>

using namespace ivra;

TEST(FixedPoint, Conversions) {
    EXPECT_EQ(Fixed(1), 65536);
    EXPECT_EQ(Fixed(-3), -3 * 65536);
    EXPECT_EQ(Fixed(0.5f), 32768);
    EXPECT_EQ(Fixed(-0.25), -16384);
    // Halves of the last bit go to even.
    EXPECT_EQ(Fixed(0.5 / 65536.0), 0);
    EXPECT_EQ(Fixed(1.5 / 65536.0), 2);
    EXPECT_DOUBLE_EQ(FixedToFloat(Fixed(7)), 7.0);
}

TEST(FixedPoint, FloatRectangleRoundings) {
    const TFloatRect r{0.5f, 1.5f, 2.4f, 3.6f};
    EXPECT_EQ(MakeRect(r, TRectRounding::rrClosest), (TRect{0, 2, 2, 4}));
    EXPECT_EQ(MakeRect(r, TRectRounding::rrOutside), (TRect{0, 1, 3, 4}));
    EXPECT_EQ(MakeRect(r, TRectRounding::rrInside), (TRect{1, 2, 2, 3}));
    const TFloatRect n{-1.5f, -0.5f, -0.2f, 0.0f};
    EXPECT_EQ(MakeRect(n, TRectRounding::rrOutside), (TRect{-2, -1, 0, 0}));
    EXPECT_EQ(MakeRect(n, TRectRounding::rrInside), (TRect{-1, 0, -1, 0}));
}
