#include "measure/MeasureRouter.h"

#include "app/ColorPanel.h"
#include "app/DrawingState.h"
#include "app/MainForm.h"
#include "imagewin/ChildWin.h"
#include "imagewin/SharedPolygons.h"
#include "measure/MeasureController.h"
#include "measure/MeasureHost.h"

#include <QCheckBox>

namespace ivra {

namespace {

// The measuring tools' view of one image window and the main window.
class TWindowHost : public TMeasureHost {
public:
    TWindowHost(TMDIChild& w, TMainForm& main) : w_(w), main_(main) {}

    TBitmap32& MeasureBitmap() override { return w_.ImgView->GetMeasureLayer()->Bitmap(); }
    void ClearMeasureLayer() override { w_.ClearMeasureLayer(); }
    TBitmap32& AnimBitmap() override { return w_.ImgView->GetAnimLayer()->Bitmap(); }
    TBitmap32& Image() override { return w_.ImgView->Bitmap(); }
    TPoint BitmapToControl(TPoint q) const override { return w_.BitmapToControl(q); }
    TFixedPoint BitmapToControlFP(TFixedPoint q) const override { return w_.BitmapToControlFP(q); }
    void RepaintView() override { w_.ImgView->Repaint(); }
    void SetReadout(const std::string& text) override { main_.SetStatusText(1, QString::fromStdString(text)); }
    void AddMessage(const std::string& line) override { main_.AddMessage(QString::fromStdString(line)); }
    bool DrawSwitchOn() const override { return main_.cbDraw && main_.cbDraw->isChecked(); }
    void SetForeColor(TColor32 color) override {
        ForeColor = PlatformColor(color);
        if (main_.pnlForeColor) main_.pnlForeColor->SetColor(ToQColor(ForeColor));
    }

private:
    TMDIChild& w_;
    TMainForm& main_;
};

TMeasureButton ButtonOf(TMouseButton b) {
    switch (b) {
    case TMouseButton::mbLeft: return TMeasureButton::Left;
    case TMouseButton::mbRight: return TMeasureButton::Right;
    default: return TMeasureButton::Middle;
    }
}

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

void TMeasureRouter::MouseDown(TMDIChild& window, TMouseButton button, TShiftState shift, TPoint viewPos, TPoint bitmapPos,
                               TCustomLayer* layer) {
    TMainForm* main = MainForm();
    if (!main || main->ActiveImageWindow() == nullptr) return;
    if (layer == nullptr || layer->Tag == RubberBandLayerTag) return;
    if (IsMeasuringTool(CurrentTool)) {
        TWindowHost host(window, *main);
        TMeasureController::Instance().ToolDown(host, CurrentTool, ButtonOf(button), bitmapPos,
                                                (shift & ssCtrl) != 0);
    } else {
        // The zoom tool and the tools of other subsystems.
        TToolRouter::MouseDown(window, button, shift, viewPos, bitmapPos, layer);
    }
    ToolPolygon().Antialiased = false;
    window.ImgView->GetMeasureLayer()->SetVisible(true);
}

void TMeasureRouter::MouseMove(TMDIChild& window, TShiftState shift, TPoint bitmapPos) {
    TMainForm* main = MainForm();
    if (!main) return;
    if (IsMeasuringTool(CurrentTool) || CurrentTool == toolSelection) {
        // The selection tool shares the rectangle's rubber frame.
        TWindowHost host(window, *main);
        TMeasureController::Instance().ToolMove(host, CurrentTool, bitmapPos, (shift & ssCtrl) != 0,
                                                (shift & ssLeft) != 0);
    } else {
        TToolRouter::MouseMove(window, shift, bitmapPos);
    }
    window.ImgView->GetAnimLayer()->SetIndex(0);
}

} // namespace ivra
