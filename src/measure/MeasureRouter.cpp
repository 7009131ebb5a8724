#include "measure/MeasureRouter.h"

#include "core/measure/MeasureTools.h"
#include "imagewin/ChildWin.h"
#include "measure/MeasureController.h"
#include "measure/MeasureHost.h"
#include "measure/SelectionTool.h"
#include "measure/TextSel.h"
#include "services/ColorPanel.h"
#include "services/Shell.h"

#include <memory>

namespace ivra {

namespace {

// The measuring tools' view of one image window and the shell.
class TWindowHost : public TMeasureHost {
public:
    TWindowHost(TMDIChild& w, TShell& shell) : w_(w), shell_(shell) {}

    TBitmap32& MeasureBitmap() override { return w_.ImgView->GetMeasureLayer()->Bitmap(); }
    void ClearMeasureLayer() override { w_.ClearMeasureLayer(); }
    TBitmap32& AnimBitmap() override { return w_.ImgView->GetAnimLayer()->Bitmap(); }
    const TBitmap32& Image() const override { return w_.Document().Bitmap(); }
    TPoint BitmapToControl(TPoint q) const override { return w_.BitmapToControl(q); }
    TFixedPoint BitmapToControlFP(TFixedPoint q) const override { return w_.BitmapToControlFP(q); }
    void RepaintView() override { w_.ImgView->Repaint(); }
    void SetReadout(const std::string& text) override { shell_.SetStatusText(1, QString::fromStdString(text)); }
    void AddMessage(const std::string& line) override { shell_.AddMessage(QString::fromStdString(line)); }
    bool DrawSwitchOn() const override { return shell_.DrawSwitchOn(); }
    void SetForeColor(TColor32 color) override { shell_.SetForeColor(ToQColor(PlatformColor(color))); }
    TDrawingState& Drawing() override { return shell_.Drawing(); }
    TShell& Shell() override { return shell_; }

private:
    TMDIChild& w_;
    TShell& shell_;
};

TMeasureButton ButtonOf(TMouseButton b) {
    switch (b) {
    case TMouseButton::mbLeft: return TMeasureButton::Left;
    case TMouseButton::mbRight: return TMeasureButton::Right;
    default: return TMeasureButton::Middle;
    }
}

class TMeasuringTool : public TToolHandler {
public:
    TMeasuringTool(TShell& shell, std::uint32_t tool, bool pressToo) : shell_(shell), tool_(tool), press_(pressToo) {}

    void Press(const TToolEvent& e) override {
        if (!press_) return;
        TWindowHost host(e.Window, shell_);
        TMeasureController::Of(shell_).ToolDown(host, tool_, ButtonOf(e.Button), e.BitmapPos,
                                               (e.Shift & ssCtrl) != 0);
    }
    void Move(const TToolEvent& e) override {
        TWindowHost host(e.Window, shell_);
        TMeasureController::Of(shell_).ToolMove(host, tool_, e.BitmapPos, (e.Shift & ssCtrl) != 0,
                                               (e.Shift & ssLeft) != 0);
    }
    // A new image window starts with no poly measurement in progress.
    void NewWindow() override { TMeasureController::Of(shell_).State().ClearToolPolygon(); }

private:
    TShell& shell_;
    std::uint32_t tool_;
    bool press_;
};

// The selection tool: its own press, the rectangle's rubber frame.
class TSelectionTool : public TMeasuringTool {
public:
    explicit TSelectionTool(TShell& shell) : TMeasuringTool(shell, toolSelection, false), shell_(shell) {}
    void Press(const TToolEvent& e) override { SelectionToolDown(shell_, e); }

private:
    TShell& shell_;
};

} // namespace

bool IsMeasuringTool(std::uint32_t tool) {
    switch (tool) {
    case toolLine:
    case toolPolygon:
    case toolAngle:
    case toolEllipse:
    case toolPolyline:
    case toolRectangle:
    case toolTag:
    case toolPicker:
        return true;
    default:
        return false;
    }
}

void RegisterMeasuringTools(TShell& shell) {
    // The tools with their buttons: number, icon, hint, place on the Tools bar.
    const struct {
        std::uint32_t Number;
        const char* Icon;
        const char* Hint;
        int Place;
    } tools[] = {
        {toolLine, "line", "Line-length measurement|Left-click to select points", 1},
        {toolPolyline, "polyline",
         "Poly-line length measurement|Left-click to select point; hold left-button for free hand line; "
         "right-click ends",
         2},
        {toolRectangle, "rectangle", "Rectangle Area|Left-click to select points", 3},
        {toolEllipse, "ellipse",
         "Measures eliptical/circular area|Left-click to select points; hold down CTRL key to make circle.", 4},
        {toolPolygon, "polygon",
         "Area of polygon|Left-click to select polygon points; right-click to computer enclosed area.", 5},
        {toolSelection, "selection",
         "Selection|Left-click to select first point; release mouse; left-click to select end point", 6},
        {toolPicker, "picker", "Color picker|Left-click to pick color", 7},
        {toolAngle, "angle", "Angle measurement|Left-click to select points", 8},
        {toolText, "text", "Text tool|Left-click to add text to the image", 9},
        {toolTag, "tag", "Manual Tag/Counter|Left-click to count (data in Spreadsheet) / add tags", 10},
    };
    for (const auto& t : tools) {
        std::shared_ptr<TToolHandler> handler;
        if (t.Number == toolSelection) handler = std::make_shared<TSelectionTool>(shell);
        else if (t.Number == toolText) handler = MakeTextTool(shell);
        else handler = std::make_shared<TMeasuringTool>(shell, t.Number, true);
        shell.Tools().Register({t.Number, QLatin1String(t.Icon), QString::fromUtf8(t.Hint), t.Place}, handler);
    }
}

} // namespace ivra
