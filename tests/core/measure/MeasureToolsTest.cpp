#include "core/measure/MeasureTools.h"

#include "core/Error.h"
#include "core/measure/Calibration.h"

#include <gtest/gtest.h>

using namespace ivra;

namespace {

using B = TMouseButton;

struct Tools {
    std::int32_t toolState = 0;
    TToolContext ctx{toolState, 1.0f, '.', {}};
    TMeasuringState state;
};

TEST(LineTool, FiveAndTheCalibratedChain) {
    Tools t;
    auto first = t.state.LineToolDown(t.ctx, B::mbLeft, {10, 10});
    EXPECT_EQ(t.toolState, 1);
    EXPECT_TRUE(first.Messages.empty());
    EXPECT_FALSE(first.Value.has_value());
    auto move = t.state.LineToolMove(t.ctx, {13, 10});
    EXPECT_EQ(move.Status, "Distance: 3.00");
    auto out = t.state.LineToolDown(t.ctx, B::mbLeft, {13, 14});
    EXPECT_EQ(t.toolState, 0);
    EXPECT_EQ(out.Status, "Distance: 5.00");
    ASSERT_EQ(out.Messages, std::vector<std::string>{"Distance: 5.00"});
    EXPECT_EQ(out.Value, 5.0f);
    EXPECT_EQ(out.PixelLength, 5.0f);
    EXPECT_EQ(out.Figure.Kind, TToolFigure::TKind::Line);
    EXPECT_EQ(out.Figure.Points, (std::vector<TPoint>{{10, 10}, {13, 14}}));
    // Idle: moves give no readout.
    EXPECT_FALSE(t.state.LineToolMove(t.ctx, {0, 0}).Status.has_value());

    // Calibrate: a 200-pixel line, the length 50 typed.
    t.state.LineToolDown(t.ctx, B::mbLeft, {0, 0});
    auto cal = t.state.LineToolDown(t.ctx, B::mbLeft, {200, 0});
    ASSERT_TRUE(cal.PixelLength.has_value());
    const std::string label = PixelLengthLabel(*cal.PixelLength);
    EXPECT_EQ(label, "200");
    auto f = ComputeCalibrationFactor(label, "50");
    ASSERT_TRUE(f.has_value());
    EXPECT_EQ(*f, 0.25f);
    EXPECT_EQ(CalibrationFactorText(*f), "0.25000");
    t.ctx.Factor = *f;
    t.state.LineToolDown(t.ctx, B::mbLeft, {0, 0});
    EXPECT_EQ(t.state.LineToolDown(t.ctx, B::mbLeft, {0, 40}).Messages[0], "Distance: 10.00");
    t.state.RectToolDown(t.ctx, B::mbLeft, {0, 0});
    auto rect = t.state.RectToolDown(t.ctx, B::mbLeft, {10, 10});
    EXPECT_EQ(rect.Messages[1], "Area= 6.25");
}

TEST(LineTool, RightPressCancels) {
    Tools t;
    t.state.LineToolDown(t.ctx, B::mbLeft, {1, 1});
    auto out = t.state.LineToolDown(t.ctx, B::mbRight, {5, 5});
    EXPECT_EQ(t.toolState, 0);
    EXPECT_TRUE(out.Messages.empty());
    t.state.LineToolDown(t.ctx, B::mbMiddle, {5, 5});
    EXPECT_EQ(t.toolState, 0);
}

TEST(RectangleTool, HalfFactor) {
    Tools t;
    t.ctx.Factor = 0.5f;
    t.state.RectToolDown(t.ctx, B::mbLeft, {0, 0});
    EXPECT_EQ(t.state.RectToolMove(t.ctx, {4, 6}).Status, "Rectangle a=2.00 b=3.00");
    auto out = t.state.RectToolDown(t.ctx, B::mbLeft, {10, 20});
    EXPECT_EQ(out.Messages, (std::vector<std::string>{"Rectangle: a=5.00 b=10.00", "Area= 50.00"}));
    EXPECT_EQ(out.Value, 50.0f);
    EXPECT_FALSE(out.Status.has_value());
    EXPECT_EQ(out.Figure.Kind, TToolFigure::TKind::Rect);
}

TEST(EllipseTool, EllipseAndCircle) {
    Tools t;
    t.state.EllipseToolDown(t.ctx, B::mbLeft, {100, 100}, false);
    EXPECT_EQ(t.state.EllipseToolMove(t.ctx, {110, 105}, false).Status, "Elipsis a=10.00 b=5.00 Area=157.08");
    EXPECT_EQ(t.state.EllipseToolMove(t.ctx, {110, 105}, true).Status, "Circle r=10.00 Area=314.16");
    auto e = t.state.EllipseToolDown(t.ctx, B::mbLeft, {110, 105}, false);
    EXPECT_EQ(e.Messages, (std::vector<std::string>{"Elipsis: W=20.00 H=10.00", "Area= 157"}));
    EXPECT_EQ(e.Value, float(157.07963267948966));
    EXPECT_EQ(e.Figure.RadiusX, 10.0f);
    EXPECT_EQ(e.Figure.RadiusY, 5.0f);

    t.state.EllipseToolDown(t.ctx, B::mbLeft, {100, 100}, false);
    auto c = t.state.EllipseToolDown(t.ctx, B::mbLeft, {110, 105}, true);
    EXPECT_EQ(c.Messages, (std::vector<std::string>{"Circle: r=10.00", "Perimeter=62.83", "Area= 314"}));
    EXPECT_EQ(c.Figure.RadiusX, 10.0f);
    EXPECT_EQ(c.Figure.RadiusY, 10.0f);

    // a = 3, b = 4: r = 4.
    t.state.EllipseToolDown(t.ctx, B::mbLeft, {0, 0}, true);
    auto c4 = t.state.EllipseToolDown(t.ctx, B::mbLeft, {3, 4}, true);
    EXPECT_EQ(c4.Messages[1], "Perimeter=25.13");
    EXPECT_EQ(c4.Messages[2], "Area= 50");
}

TEST(AngleTool, RightAngleAndUndefined) {
    Tools t;
    t.state.AngleToolDown(t.ctx, B::mbLeft, {10, 0});
    t.state.AngleToolDown(t.ctx, B::mbLeft, {0, 0});
    EXPECT_EQ(t.toolState, 2);
    t.ctx.Factor = 3.0f; // angles are not scaled
    auto out = t.state.AngleToolDown(t.ctx, B::mbLeft, {0, 10});
    EXPECT_EQ(out.Messages, std::vector<std::string>{"Angle: 90.00"});
    EXPECT_FALSE(out.Value.has_value());
    EXPECT_FALSE(out.Status.has_value());
    EXPECT_EQ(out.Figure.Kind, TToolFigure::TKind::Angle);

    t.state.AngleToolDown(t.ctx, B::mbLeft, {10, 0});
    t.state.AngleToolDown(t.ctx, B::mbLeft, {0, 0});
    EXPECT_THROW(t.state.AngleToolDown(t.ctx, B::mbLeft, {0, 0}), Error);
    EXPECT_EQ(t.toolState, 0); // already back at the first step
}

TEST(PolygonTool, RightPressPointIsDrawnButNotMeasured) {
    Tools t;
    for (TPoint p : {TPoint{0, 0}, TPoint{10, 0}, TPoint{10, 10}}) {
        auto o = t.state.PolygonToolDown(t.ctx, B::mbLeft, p);
        EXPECT_TRUE(o.Messages.empty());
        EXPECT_FALSE(o.Status.has_value());
    }
    auto out = t.state.PolygonToolDown(t.ctx, B::mbRight, {0, 10});
    EXPECT_EQ(out.Messages, std::vector<std::string>{"Area: 50.00"});
    EXPECT_EQ(out.Status, "Polygon area: 50.00");
    EXPECT_EQ(out.Value, 50.0f);
    EXPECT_EQ(out.Figure.Polygon.size(), 4u);
    EXPECT_TRUE(out.Figure.Closed);
    EXPECT_TRUE(t.state.ToolPolygon.empty());
    EXPECT_EQ(t.toolState, 0);

    // Fewer than two vertices: nothing reported, the polygon emptied.
    t.state.PolygonToolDown(t.ctx, B::mbLeft, {5, 5});
    auto none = t.state.PolygonToolDown(t.ctx, B::mbRight, {9, 9});
    EXPECT_TRUE(none.Messages.empty());
    EXPECT_FALSE(none.Value.has_value());
    EXPECT_TRUE(t.state.ToolPolygon.empty());
}

TEST(PolygonTool, LShapeIsItsEnclosedArea) {
    Tools t;
    for (TPoint p : {TPoint{0, 0}, TPoint{10, 0}, TPoint{10, 1}, TPoint{1, 1}, TPoint{1, 10}, TPoint{0, 10}})
        t.state.PolygonToolDown(t.ctx, B::mbLeft, p);
    EXPECT_EQ(t.state.PolygonToolDown(t.ctx, B::mbRight, {0, 10}).Messages[0], "Area: 19.00");
}

TEST(PolylineTool, PressesDragAndEnd) {
    Tools t;
    t.state.PolylineToolDown(t.ctx, B::mbLeft, {0, 0});
    auto second = t.state.PolylineToolDown(t.ctx, B::mbLeft, {3, 4});
    EXPECT_EQ(second.Status, "Polyline Length: 5.00");
    // The same point pressed twice is added once.
    t.state.PolylineToolDown(t.ctx, B::mbLeft, {3, 4});
    EXPECT_EQ(t.state.ToolPolygon.size(), 2u);
    EXPECT_EQ(t.state.PolyToolMove(t.ctx, {3, 10}, false).Status, "Polyline length: 11.00");
    auto end = t.state.PolylineToolDown(t.ctx, B::mbRight, {3, 10});
    EXPECT_EQ(end.Messages, std::vector<std::string>{"PolyLength:11.00"});
    EXPECT_EQ(end.Value, 11.0f);
    EXPECT_EQ(end.Figure.Polygon.size(), 3u);
    EXPECT_FALSE(end.Figure.Closed);
    EXPECT_TRUE(t.state.ToolPolygon.empty());
    EXPECT_EQ(t.toolState, 0);

    // A right press with nothing in progress at the last vertex reports 0.
    auto zero = t.state.PolylineToolDown(t.ctx, B::mbRight, {3, 10});
    EXPECT_EQ(zero.Messages, std::vector<std::string>{"PolyLength:0.00"});
    EXPECT_EQ(zero.Value, 0.0f);

    // A left drag lays a vertex at every new pointer position.
    t.state.PolylineToolDown(t.ctx, B::mbLeft, {0, 0});
    t.state.PolyToolMove(t.ctx, {1, 0}, true);
    t.state.PolyToolMove(t.ctx, {1, 0}, true); // same position: nothing
    t.state.PolyToolMove(t.ctx, {2, 0}, true);
    t.state.PolyToolMove(t.ctx, {5, 0}, false); // button up: nothing
    EXPECT_EQ(t.state.ToolPolygon.size(), 3u);
    EXPECT_EQ(t.state.FirstPoint, (TPoint{2, 0}));
    EXPECT_EQ(t.state.PolylineToolDown(t.ctx, B::mbRight, {2, 3}).Messages[0], "PolyLength:5.00");
}

TEST(Tools, DecimalSeparatorAndFactorReachTheTexts) {
    Tools t;
    t.ctx.DecimalSeparator = ',';
    t.ctx.Factor = 0.1f;
    t.state.LineToolDown(t.ctx, B::mbLeft, {0, 0});
    auto out = t.state.LineToolDown(t.ctx, B::mbLeft, {0, 25});
    EXPECT_EQ(out.Messages[0], "Distance: 2,50");
    EXPECT_EQ(out.Value, float(25.0 * double(0.1f)));
}

TEST(PixelLengthLabel, HalvesToEven) {
    EXPECT_EQ(PixelLengthLabel(12.5f), "12");
    EXPECT_EQ(PixelLengthLabel(13.5f), "14");
    EXPECT_EQ(PixelLengthLabel(12.4f), "12");
    EXPECT_EQ(PixelLengthLabel(0.0f), "0");
    EXPECT_EQ(PixelLengthLabel(3e9f), "3000000000"); // beyond 32 bits
}


// Coordinates beyond 32767 pixels (a 40000-pixel-wide image, or the widest
// one the pixel limit allows) must not wrap: the tools measure on the
// integer pixels, not on 16.16 fixed point.
TEST(PolyTools, LargeCoordinatesDoNotWrap) {
    struct Case {
        bool polygon;
        std::vector<TPoint> presses;  // left presses, then the ending right press
        const char* message;
    };
    const int widest = (1 << 28) - 1;
    const Case cases[] = {
        {false, {{0, 0}, {40000, 0}, {0, 0}}, "PolyLength:80000.00"},
        {true, {{0, 0}, {40000, 0}, {40000, 40000}, {0, 0}}, "Area: 8.0000000E+08"},
        {false, {{0, 0}, {widest, 0}}, "PolyLength:2.6843546E+08"},
        {true, {{0, 0}, {widest, 0}, {widest, 1}, {0, 1}, {0, 0}}, "Area: 2.6843546E+08"},
    };
    for (const Case& c : cases) {
        Tools t;
        TToolOutput out;
        for (std::size_t i = 0; i < c.presses.size(); ++i) {
            const B b = i + 1 < c.presses.size() ? B::mbLeft : B::mbRight;
            out = c.polygon ? t.state.PolygonToolDown(t.ctx, b, c.presses[i])
                            : t.state.PolylineToolDown(t.ctx, b, c.presses[i]);
        }
        ASSERT_EQ(out.Messages.size(), 1u) << c.message;
        EXPECT_EQ(out.Messages[0], c.message);
    }
}

TEST(Tools, TheUnitFollowsLengthsAndAreasButNotAngles) {
    const std::string um = "\xC2\xB5m", um2 = " \xC2\xB5m\xC2\xB2";
    struct {
        const char* name;
        std::vector<std::string> (*run)(Tools&);
        std::vector<std::string> withUnit;
    } cases[] = {
        {"line",
         [](Tools& t) {
             t.state.LineToolDown(t.ctx, B::mbLeft, {0, 0});
             const auto out = t.state.LineToolDown(t.ctx, B::mbLeft, {0, 40});
             return std::vector<std::string>{*out.Status, out.Messages[0]};
         },
         {"Distance: 10.00 " + um, "Distance: 10.00 " + um}},
        {"rect",
         [](Tools& t) {
             t.state.RectToolDown(t.ctx, B::mbLeft, {0, 0});
             const std::string live = *t.state.RectToolMove(t.ctx, {10, 10}).Status;
             auto m = t.state.RectToolDown(t.ctx, B::mbLeft, {10, 10}).Messages;
             m.insert(m.begin(), live);
             return m;
         },
         {"Rectangle a=2.50 " + um + " b=2.50 " + um, "Rectangle: a=2.50 " + um + " b=2.50 " + um,
          "Area= 6.25" + um2}},
        {"circle",
         [](Tools& t) {
             t.state.EllipseToolDown(t.ctx, B::mbLeft, {0, 0}, true);
             const std::string live = *t.state.EllipseToolMove(t.ctx, {4, 0}, true).Status;
             auto m = t.state.EllipseToolDown(t.ctx, B::mbLeft, {4, 0}, true).Messages;
             m.insert(m.begin(), live);
             return m;
         },
         {"Circle r=1.00 " + um + " Area=3.14" + um2, "Circle: r=1.00 " + um, "Perimeter=6.28 " + um, "Area= 3" + um2}},
        {"ellipse",
         [](Tools& t) {
             t.state.EllipseToolDown(t.ctx, B::mbLeft, {0, 0}, false);
             const std::string live = *t.state.EllipseToolMove(t.ctx, {4, 8}, false).Status;
             auto m = t.state.EllipseToolDown(t.ctx, B::mbLeft, {4, 8}, false).Messages;
             m.insert(m.begin(), live);
             return m;
         },
         {"Elipsis a=1.00 " + um + " b=2.00 " + um + " Area=6.28" + um2, "Elipsis: W=2.00 " + um + " H=4.00 " + um,
          "Area= 6" + um2}},
        {"polygon",
         [](Tools& t) {
             for (TPoint p : {TPoint{0, 0}, TPoint{8, 0}, TPoint{8, 4}}) t.state.PolygonToolDown(t.ctx, B::mbLeft, p);
             const auto out = t.state.PolygonToolDown(t.ctx, B::mbRight, {0, 4});
             return std::vector<std::string>{*out.Status, out.Messages[0]};
         },
         {"Polygon area: 1.00" + um2, "Area: 1.00" + um2}},
        {"polyline",
         [](Tools& t) {
             t.state.PolylineToolDown(t.ctx, B::mbLeft, {0, 0});
             const std::string live = *t.state.PolyToolMove(t.ctx, {0, 4}, false).Status;
             const std::string pressed = *t.state.PolylineToolDown(t.ctx, B::mbLeft, {0, 4}).Status;
             return std::vector<std::string>{live, pressed,
                                             t.state.PolylineToolDown(t.ctx, B::mbRight, {4, 4}).Messages[0]};
         },
         {"Polyline length: 1.00 " + um, "Polyline Length: 1.00 " + um, "PolyLength:2.00 " + um}},
        {"angle",
         [](Tools& t) {
             for (TPoint p : {TPoint{10, 0}, TPoint{0, 0}}) t.state.AngleToolDown(t.ctx, B::mbLeft, p);
             return t.state.AngleToolDown(t.ctx, B::mbLeft, {0, 10}).Messages;
         },
         {"Angle: 90.00"}},
    };
    for (auto& c : cases) {
        // The same presses with and without a unit: without one, every text
        // is the unit text with the unit taken out.
        Tools bare;
        bare.ctx.Factor = 0.25f;
        Tools unit;
        unit.ctx.Factor = 0.25f;
        unit.ctx.Unit = um;
        EXPECT_EQ(c.run(unit), c.withUnit) << c.name;
        std::vector<std::string> expected;
        for (std::string s : c.withUnit) {
            for (const std::string& cut : {um2, " " + um})
                for (std::size_t at; (at = s.find(cut)) != std::string::npos;) s.erase(at, cut.size());
            expected.push_back(s);
        }
        EXPECT_EQ(c.run(bare), expected) << c.name;
    }
}

} // namespace
