#include "core/notes/NoteRuler.h"

#include <gtest/gtest.h>

using namespace ivra;

namespace {

TEST(NoteRuler, IndentsInPointsAndTwips) {
    const struct {
        int fi, li, ri; // twips
        TRulerIndents points;
    } cases[] = {
        {0, 0, 0, {0, 0, 0}},
        {-360, 720, 180, {18, 18, 9}},   // a hanging bullet
        {283, 0, 0, {14, -14, 0}},       // first line further in
        {-283, 709, 0, {21, 14, 0}},     // truncated, not rounded
        {0, 1440, 1439, {72, 0, 71}},
    };
    for (const auto& c : cases) {
        TNoteParagraph p;
        p.firstIndent = c.fi;
        p.leftIndent = c.li;
        p.rightIndent = c.ri;
        EXPECT_EQ(RulerIndentsOf(p), c.points) << c.fi << " " << c.li;
        // Whole points go back to twips exactly.
        TNoteParagraph q;
        SetRulerIndents(q, c.points);
        EXPECT_EQ(RulerIndentsOf(q), c.points);
        EXPECT_EQ(q.leftIndent + q.firstIndent, c.points.first * 20);
    }
}

TEST(NoteRuler, PixelsAndPointsTruncateTowardZero) {
    const int pairs[][3] = {{0, 0, 0}, {3, 4, 3}, {15, 20, 15}, {1, 1, 0}, {-3, -4, -3}, {-1, -1, 0}, {72, 96, 72}};
    for (const auto& p : pairs) {
        EXPECT_EQ(RulerPixels(p[0]), p[1]) << p[0];
        EXPECT_EQ(RulerPoints(p[1]), p[2]) << p[1];
    }
}

TEST(NoteRuler, MarkersAndDrags) {
    // All indents 0 on a ruler 600 wide.
    EXPECT_EQ(RulerMarkerLefts({}, 600), (TRulerMarkers{2, 2, 586}));
    EXPECT_EQ(RulerMarkerLefts({18, 18, 9}, 600), (TRulerMarkers{26, 50, 574}));
    // LeftInd pressed at its centre and released 20 pixels further right:
    // trunc((22 + 5 - 6) / (4/3)) = 15 points.
    EXPECT_EQ(RulerLeftIndentAt(22, 5, 0), 15);
    EXPECT_EQ(RulerLeftIndentAt(22, 5, 10), 5);
    // Releasing the first-line and left markers where they stand keeps the indents.
    for (const TRulerIndents& in : {TRulerIndents{}, TRulerIndents{30, 12, 0}, TRulerIndents{1, 2, 0},
                                    TRulerIndents{20, -20, 0}}) {
        const TRulerMarkers m = RulerMarkerLefts(in, 500);
        EXPECT_EQ(RulerFirstIndentAt(m.first, 5), in.first);
        EXPECT_EQ(RulerLeftIndentAt(m.left, 5, in.first), in.left);
    }
    EXPECT_EQ(RulerFirstIndentAt(42, 5), 30);
    EXPECT_EQ(RulerRightIndentAt(586, 4, 600), 0);
    EXPECT_EQ(RulerRightIndentAt(586 - 20, 4, 600), 15); // trunc(36 * 3/4) - 12
    EXPECT_EQ(RulerRightIndentAt(RulerMarkerLefts({0, 0, 3}, 600).right, 4, 600), 3);
}

} // namespace
