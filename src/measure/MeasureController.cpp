#include "measure/MeasureController.h"

#include "core/measure/MeasureTools.h"
#include "core/raster/Color32.h"
#include "engine/Polygon32.h"
#include "measure/MeasureHost.h"
#include "measure/Overlays.h"
#include "measure/SheetForm.h"
#include "measure/SpatialCalib.h"
#include "services/Shell.h"

#include <QLocale>

#include <algorithm>
#include <cstdlib>

namespace ivra {

namespace {

TMouseButton CoreButton(TMeasureButton b) {
    switch (b) {
    case TMeasureButton::Left: return TMouseButton::mbLeft;
    case TMeasureButton::Right: return TMouseButton::mbRight;
    default: return TMouseButton::mbMiddle;
    }
}

} // namespace

TMeasureController::TMeasureController() : state_(std::make_unique<TMeasuringState>()) {}
TMeasureController::~TMeasureController() = default;

TMeasureController& TMeasureController::Of(TShell& shell) { return shell.RunObjects().Get<TMeasureController>(); }

char TMeasureController::LocaleDecimalSeparator() {
    const QString p = QLocale::system().decimalPoint();
    if (p.size() == 1 && p[0].unicode() < 128) return char(p[0].unicode());
    return '.';
}

std::string TMeasureController::PickerReadout(std::uint32_t c) {
    return "R:" + std::to_string(RedComponent(c)) + " G:" + std::to_string(GreenComponent(c)) +
           " B:" + std::to_string(BlueComponent(c));
}

namespace {

// Image or view pixels as 16.16 fixed point for the engine's polygons, held
// within the range fixed point can carry (drawing only; measurements use the
// integers).
TFixedPoint DrawingPoint(TPoint p) {
    constexpr std::int32_t limit = 32767;
    return FixedPoint(std::clamp(p.X, -limit, limit), std::clamp(p.Y, -limit, limit));
}

} // namespace

void TMeasureController::Report(TMeasureHost& host, const TToolOutput& out) {
    if (out.Status) host.SetReadout(*out.Status);
    for (const std::string& line : out.Messages) host.AddMessage(line);
    if (out.Value)
        if (TfrmSheet* sheet = SheetForm(host.Shell())) sheet->AddValue(*out.Value);
    if (out.PixelLength)
        if (TfrmSpatialCalib* calib = SpatialCalibForm(host.Shell()); calib && calib->CalibrationMode())
            calib->SetPixelLength(PixelLengthLabel(*out.PixelLength));
    DrawFigure(host, out);
}

void TMeasureController::DrawFigure(TMeasureHost& host, const TToolOutput& out) {
    const TToolFigure& f = out.Figure;
    if (f.Kind == TToolFigure::TKind::None || !host.DrawSwitchOn()) return;
    TBitmap32& bmp = host.AnimBitmap();
    const TColor32 color = Color32FromPlatform(host.Drawing().ForeColor);
    const int width = host.Drawing().PenWidth;
    switch (f.Kind) {
    case TToolFigure::TKind::Line:
        DrawShapeLine(bmp, f.Points[0], f.Points[1], color, width);
        break;
    case TToolFigure::TKind::Angle:
        DrawShapeLine(bmp, f.Points[0], f.Points[1], color, width);
        DrawShapeLine(bmp, f.Points[1], f.Points[2], color, width);
        break;
    case TToolFigure::TKind::Rect:
        DrawShapeRect(bmp, f.Points[0], f.Points[1], color, width);
        break;
    case TToolFigure::TKind::Ellipse:
        DrawShapeEllipse(bmp, f.Points[0], color, f.RadiusX, f.RadiusY, width);
        break;
    case TToolFigure::TKind::Polygon: {
        TPolygon32 p;
        p.Closed = f.Closed;
        for (const TPoint& v : f.Polygon) p.Add(DrawingPoint(v));
        StrokePolygon(bmp, p, color, width);
        break;
    }
    case TToolFigure::TKind::None:
        break;
    }
}

std::optional<TRegionShape> TMeasureController::LastShape(const TBitmap32& image) const {
    const auto it = lastShapes_.find(&image);
    if (it == lastShapes_.end()) return std::nullopt;
    return it->second;
}

void TMeasureController::KeepShapesOf(const std::vector<const TBitmap32*>& images) {
    for (auto it = lastShapes_.begin(); it != lastShapes_.end();)
        it = std::find(images.begin(), images.end(), it->first) == images.end() ? lastShapes_.erase(it) : std::next(it);
}

void TMeasureController::RememberShape(TMeasureHost& host, std::uint32_t tool, const TToolOutput& out, bool ctrl) {
    const TToolFigure& f = out.Figure;
    TRegionShape shape;
    switch (f.Kind) {
    case TToolFigure::TKind::Polygon:
        if (tool != toolPolygon || f.Polygon.size() < 2) return;
        // The outline carries the closing press as its last point; the area
        // was computed from the vertices before it.
        shape.Kind = TRegionShape::TKind::Polygon;
        shape.Points.assign(f.Polygon.begin(), f.Polygon.end() - 1);
        break;
    case TToolFigure::TKind::Rect:
        shape.Kind = TRegionShape::TKind::Rectangle;
        shape.Points = f.Points;
        break;
    case TToolFigure::TKind::Ellipse:
        shape.Kind = ctrl ? TRegionShape::TKind::Circle : TRegionShape::TKind::Ellipse;
        shape.Points = {f.Points.at(0)};
        shape.RadiusX = f.RadiusX;
        shape.RadiusY = f.RadiusY;
        break;
    default:
        return;
    }
    lastShapes_[&host.Image()] = std::move(shape);
}

void TMeasureController::ToolDown(TMeasureHost& host, std::uint32_t tool, TMeasureButton button, TPoint p,
                                  bool ctrl) {
    TDrawingState& d = host.Drawing();
    TToolContext ctx{d.ToolState, d.CalibrationFactor, LocaleDecimalSeparator(), d.CalibrationUnit};
    const TMouseButton b = CoreButton(button);
    TToolOutput out;
    switch (tool) {
    case toolLine:
        out = state_->LineToolDown(ctx, b, p);
        break;
    case toolPolyline:
    case toolPolygon:
        out = tool == toolPolyline ? state_->PolylineToolDown(ctx, b, p) : state_->PolygonToolDown(ctx, b, p);
        break;
    case toolAngle:
        out = state_->AngleToolDown(ctx, b, p);
        break;
    case toolRectangle:
        out = state_->RectToolDown(ctx, b, p);
        break;
    case toolEllipse:
        out = state_->EllipseToolDown(ctx, b, p, ctrl);
        break;
    case toolTag:
        // A mark on the drawing layer whatever the Draw switch, then x and y
        // (or one count) into the spreadsheet. The tool never leaves step 0.
        if (button == TMeasureButton::Left && d.ToolState == 0) {
            DrawShapeEllipse(host.AnimBitmap(), p, Color32FromPlatform(d.ForeColor), 1.0f, 1.0f, d.PenWidth);
            if (TfrmSheet* sheet = SheetForm(host.Shell())) sheet->AddTag(p.X, p.Y);
            host.RepaintView();
        }
        if (button == TMeasureButton::Right) d.ToolState = 0;
        return;
    case toolPicker: {
        // Only a pixel of the image is taken; a press beside the image keeps
        // the foreground colour.
        const TBitmap32& img = host.Image();
        if (button == TMeasureButton::Left && p.X >= 0 && p.Y >= 0 && p.X < img.Width() && p.Y < img.Height())
            host.SetForeColor(img.Pixel(p.X, p.Y) | 0xFF000000u);
        return;
    }
    default:
        return;
    }
    RememberShape(host, tool, out, ctrl);
    Report(host, out);
}

void TMeasureController::DrawPolyRubber(TMeasureHost& host, TPoint p) {
    // The outline in view pixels, made afresh for this move.
    TPolygon32 shape;
    shape.Closed = false;
    for (const TPoint& v : state_->ToolPolygon) shape.Add(DrawingPoint(host.BitmapToControl(v)));
    TBitmap32& bmp = host.MeasureBitmap();
    DrawRubberLine(bmp, host.BitmapToControl(state_->FirstPoint), host.BitmapToControl(p));
    DrawPoly(bmp, shape);
    host.RepaintView();
}

void TMeasureController::ToolMove(TMeasureHost& host, std::uint32_t tool, TPoint p, bool ctrl, bool leftHeld) {
    TDrawingState& d = host.Drawing();
    const std::int32_t& ToolState = d.ToolState;
    TToolContext ctx{d.ToolState, d.CalibrationFactor, LocaleDecimalSeparator(), d.CalibrationUnit};
    TToolOutput out;
    switch (tool) {
    case toolLine:
        host.ClearMeasureLayer();
        out = state_->LineToolMove(ctx, p);
        if (ToolState == 1)
            DrawRubberLine(host.MeasureBitmap(), host.BitmapToControl(state_->FirstPoint), host.BitmapToControl(p));
        break;
    case toolPolygon:
    case toolPolyline: {
        host.ClearMeasureLayer();
        host.MeasureBitmap();
        // The rubber outline shows the vertices before this move's free-hand
        // vertex is laid.
        if (ToolState == 1) DrawPolyRubber(host, p);
        out = state_->PolyToolMove(ctx, p, leftHeld);
        break;
    }
    case toolAngle: {
        host.ClearMeasureLayer();
        TBitmap32& bmp = host.MeasureBitmap();
        if (ToolState == 1) {
            DrawRubberLine(bmp, host.BitmapToControl(state_->FirstPoint), host.BitmapToControl(p));
        } else if (ToolState == 2) {
            DrawRubberLine(bmp, host.BitmapToControl(state_->FirstPoint), host.BitmapToControl(state_->VertexPoint));
            DrawRubberLine(bmp, host.BitmapToControl(state_->VertexPoint), host.BitmapToControl(p));
        }
        return;
    }
    case toolEllipse:
        host.ClearMeasureLayer();
        out = state_->EllipseToolMove(ctx, p, ctrl);
        if (ToolState == 1) {
            const TPoint c1 = host.BitmapToControl(state_->FirstPoint);
            const TPoint c2 = host.BitmapToControl(p);
            const float dx = float(std::llabs(std::int64_t(c2.X) - c1.X));
            const float dy = float(std::llabs(std::int64_t(c2.Y) - c1.Y));
            if (ctrl) {
                const float r = std::max(dx, dy);
                DrawRubberEllipse(host.MeasureBitmap(), float(c1.X), float(c1.Y), r, r);
            } else {
                DrawRubberEllipse(host.MeasureBitmap(), float(c1.X), float(c1.Y), dx, dy);
            }
        }
        break;
    case toolRectangle:
    case toolSelection:
        host.ClearMeasureLayer();
        out = state_->RectToolMove(ctx, p);
        if (ToolState == 1) {
            const TPoint c1 = host.BitmapToControl(state_->FirstPoint);
            const TPoint c2 = host.BitmapToControl(p);
            DrawRubberRect(host.MeasureBitmap(), c1.X, c1.Y, c2.X, c2.Y);
        }
        break;
    case toolPicker:
        host.SetReadout(PickerReadout(host.Image().PixelS(p.X, p.Y)));
        return;
    default:
        return;
    }
    if (out.Status) host.SetReadout(*out.Status);
}

} // namespace ivra
