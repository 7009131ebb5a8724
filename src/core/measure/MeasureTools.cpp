#include "core/measure/MeasureTools.h"

#include "core/measure/Calibration.h"
#include "core/measure/Geometry.h"
#include "core/text/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ivra {

namespace {

TToolFigure LineFigure(TToolFigure::TKind kind, std::vector<TPoint> points) {
    TToolFigure f;
    f.Kind = kind;
    f.Points = std::move(points);
    return f;
}

TToolFigure PolygonFigure(const std::vector<TPoint>& polygon, bool closed) {
    TToolFigure f;
    f.Kind = TToolFigure::TKind::Polygon;
    f.Polygon = polygon;
    f.Closed = closed;
    return f;
}

TToolFigure EllipseFigure(TPoint centre, float rx, float ry) {
    TToolFigure f;
    f.Kind = TToolFigure::TKind::Ellipse;
    f.Points = {centre};
    f.RadiusX = rx;
    f.RadiusY = ry;
    return f;
}

// A length in image pixels times the factor, formed exactly (a product of
// two singles fits a double).
double Scaled(float length, float factor) { return double(length) * double(factor); }

// A length and an area as the readouts write them, with the unit when one is set.
std::string LengthText(const TToolContext& ctx, double v, int decimals = 2) {
    return FloatToText(v, decimals, ctx.DecimalSeparator) + LengthUnitSuffix(ctx.Unit);
}
std::string AreaText(const TToolContext& ctx, double v, int decimals = 2) {
    return FloatToText(v, decimals, ctx.DecimalSeparator) + AreaUnitSuffix(ctx.Unit);
}

} // namespace

std::string PixelLengthLabel(float length) {
    return std::to_string(std::llrint(double(length)));
}

void TMeasuringState::AddPolyVertex(TPoint p) {
    EndPoint = p;
    if (!(EndPoint == FirstPoint)) {
        ToolPolygon.push_back(EndPoint);
        FirstPoint = EndPoint;
    }
}

bool TMeasuringState::PolyLeftPress(TToolContext& ctx, TPoint p) {
    if (ctx.ToolState == 0) {
        ctx.ToolState = 1;
        FirstPoint = p;
        ToolPolygon.push_back(p);
        return false;
    }
    if (ctx.ToolState != 1) return false;
    AddPolyVertex(p);
    return true;
}

TToolOutput TMeasuringState::LineToolDown(TToolContext& ctx, TMouseButton button, TPoint p) {
    TToolOutput out;
    if (button == TMouseButton::mbLeft) {
        if (ctx.ToolState == 0) {
            ctx.ToolState = 1;
            FirstPoint = p;
        } else if (ctx.ToolState == 1) {
            ctx.ToolState = 0;
            EndPoint = p;
            LastLength = Distance(FirstPoint, EndPoint);
            const double length = Scaled(LastLength, ctx.Factor);
            const std::string t = "Distance: " + LengthText(ctx, length);
            out.Status = t;
            out.Messages.push_back(t);
            out.Value = float(length);
            out.PixelLength = LastLength;
            out.Figure = LineFigure(TToolFigure::TKind::Line, {FirstPoint, EndPoint});
        }
    } else if (button == TMouseButton::mbRight) {
        ctx.ToolState = 0;
    }
    return out;
}

TToolOutput TMeasuringState::LineToolMove(TToolContext& ctx, TPoint p) {
    TToolOutput out;
    if (ctx.ToolState == 1) {
        LastLength = Distance(FirstPoint, p);
        out.Status = "Distance: " + LengthText(ctx, Scaled(LastLength, ctx.Factor));
    }
    return out;
}

TToolOutput TMeasuringState::PolylineToolDown(TToolContext& ctx, TMouseButton button, TPoint p) {
    TToolOutput out;
    if (button == TMouseButton::mbLeft) {
        if (PolyLeftPress(ctx, p)) {
            LastLength = PolylineLength(ToolPolygon);
            out.Status = "Polyline Length: " + LengthText(ctx, Scaled(LastLength, ctx.Factor));
        }
    } else if (button == TMouseButton::mbRight) {
        AddPolyVertex(p);
        LastLength = PolylineLength(ToolPolygon);
        const double length = Scaled(LastLength, ctx.Factor);
        out.Messages.push_back("PolyLength:" + LengthText(ctx, length));
        out.Value = float(length);
        ctx.ToolState = 0;
        ToolPolygonClosed = false;
        out.Figure = PolygonFigure(ToolPolygon, false);
        ToolPolygon.clear();
    }
    return out;
}

TToolOutput TMeasuringState::PolygonToolDown(TToolContext& ctx, TMouseButton button, TPoint p) {
    TToolOutput out;
    if (button == TMouseButton::mbLeft) {
        PolyLeftPress(ctx, p);
    } else if (button == TMouseButton::mbRight) {
        ctx.ToolState = 0;
        ToolPolygonClosed = true;
        if (ToolPolygon.size() >= 2) {
            const float area = PolygonArea(ToolPolygon);
            ToolPolygon.push_back(p);
            const double f = ctx.Factor;
            const double scaled = double((long double)area * f * f);
            const std::string t = AreaText(ctx, scaled);
            out.Messages.push_back("Area: " + t);
            out.Status = "Polygon area: " + t;
            out.Value = float(scaled);
            out.Figure = PolygonFigure(ToolPolygon, true);
        }
        ToolPolygon.clear();
    }
    return out;
}

TToolOutput TMeasuringState::PolyToolMove(TToolContext& ctx, TPoint p, bool leftButtonHeld) {
    TToolOutput out;
    if (ctx.ToolState == 1) {
        LastLength = float((long double)Distance(FirstPoint, p) + PolylineLength(ToolPolygon));
        out.Status = "Polyline length: " + LengthText(ctx, Scaled(LastLength, ctx.Factor));
    }
    if (leftButtonHeld) {
        const float cx = float(p.X), cy = float(p.Y);
        if (cx != FreehandPrevX || cy != FreehandPrevY) {
            FirstPoint = p;
            ToolPolygon.push_back(p);
            FreehandPrevX = cx;
            FreehandPrevY = cy;
        }
    }
    return out;
}

TToolOutput TMeasuringState::AngleToolDown(TToolContext& ctx, TMouseButton button, TPoint p) {
    TToolOutput out;
    if (button == TMouseButton::mbLeft) {
        if (ctx.ToolState == 0) {
            ctx.ToolState = 1;
            FirstPoint = p;
        } else if (ctx.ToolState == 1) {
            ctx.ToolState = 2;
            VertexPoint = p;
        } else if (ctx.ToolState == 2) {
            ctx.ToolState = 0;
            EndPoint = p;
            const float angle = AngleAtVertex(FirstPoint, VertexPoint, EndPoint);
            out.Messages.push_back("Angle: " + FloatToText(angle, 2, ctx.DecimalSeparator));
            out.Figure = LineFigure(TToolFigure::TKind::Angle, {FirstPoint, VertexPoint, EndPoint});
        }
    } else if (button == TMouseButton::mbRight) {
        ctx.ToolState = 0;
    }
    return out;
}

TToolOutput TMeasuringState::RectToolDown(TToolContext& ctx, TMouseButton button, TPoint p) {
    TToolOutput out;
    if (button == TMouseButton::mbLeft) {
        if (ctx.ToolState == 0) {
            ctx.ToolState = 1;
            FirstPoint = p;
        } else if (ctx.ToolState == 1) {
            ctx.ToolState = 0;
            EndPoint = p;
            const TRectMeasure m = RectangleMeasure(FirstPoint, EndPoint, ctx.Factor);
            out.Messages.push_back("Rectangle: a=" + LengthText(ctx, m.A) + " b=" + LengthText(ctx, m.B));
            out.Messages.push_back("Area= " + AreaText(ctx, m.Area));
            out.Value = float(m.Area);
            out.Figure = LineFigure(TToolFigure::TKind::Rect, {FirstPoint, EndPoint});
        }
    } else if (button == TMouseButton::mbRight) {
        ctx.ToolState = 0;
    }
    return out;
}

TToolOutput TMeasuringState::RectToolMove(TToolContext& ctx, TPoint p) {
    TToolOutput out;
    if (ctx.ToolState == 1) {
        const TRectMeasure m = RectangleMeasure(FirstPoint, p, ctx.Factor);
        out.Status = "Rectangle a=" + LengthText(ctx, m.A) + " b=" + LengthText(ctx, m.B);
    }
    return out;
}

TToolOutput TMeasuringState::EllipseToolDown(TToolContext& ctx, TMouseButton button, TPoint p, bool ctrl) {
    TToolOutput out;
    if (button == TMouseButton::mbLeft) {
        if (ctx.ToolState == 0) {
            ctx.ToolState = 1;
            FirstPoint = p;
        } else if (ctx.ToolState == 1) {
            ctx.ToolState = 0;
            EndPoint = p;
            if (ctrl) {
                const TCircleMeasure m = CircleMeasure(FirstPoint, EndPoint, ctx.Factor);
                const float area = float(m.Area);
                out.Messages.push_back("Circle: r=" + LengthText(ctx, m.Radius));
                out.Messages.push_back("Perimeter=" + LengthText(ctx, m.Perimeter));
                out.Messages.push_back("Area= " + AreaText(ctx, area, 0));
                out.Value = area;
                const float r = float(std::max(std::llabs(std::int64_t(EndPoint.X) - FirstPoint.X),
                                               std::llabs(std::int64_t(EndPoint.Y) - FirstPoint.Y)));
                out.Figure = EllipseFigure(FirstPoint, r, r);
            } else {
                const TEllipseMeasure m = EllipseMeasure(FirstPoint, EndPoint, ctx.Factor);
                const float area = float(m.Area);
                out.Messages.push_back("Elipsis: W=" + LengthText(ctx, m.Width) + " H=" + LengthText(ctx, m.Height));
                out.Messages.push_back("Area= " + AreaText(ctx, area, 0));
                out.Value = area;
                out.Figure = EllipseFigure(FirstPoint, float(std::llabs(std::int64_t(EndPoint.X) - FirstPoint.X)),
                                           float(std::llabs(std::int64_t(EndPoint.Y) - FirstPoint.Y)));
            }
        }
    } else if (button == TMouseButton::mbRight) {
        ctx.ToolState = 0;
    }
    return out;
}

TToolOutput TMeasuringState::EllipseToolMove(TToolContext& ctx, TPoint p, bool ctrl) {
    TToolOutput out;
    if (ctx.ToolState == 1) {
        if (ctrl) {
            const TCircleMeasure m = CircleMeasure(FirstPoint, p, ctx.Factor);
            out.Status = "Circle r=" + LengthText(ctx, m.Radius) + " Area=" + AreaText(ctx, m.Area);
        } else {
            const TEllipseMeasure m = EllipseMeasure(FirstPoint, p, ctx.Factor);
            out.Status = "Elipsis a=" + LengthText(ctx, m.Width / 2) + " b=" + LengthText(ctx, m.Height / 2) +
                         " Area=" + AreaText(ctx, m.Area);
        }
    }
    return out;
}

} // namespace ivra
