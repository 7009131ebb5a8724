// The image window's layers: selecting with the rubber band, placing new
// layers, the floating panels' methods, the magnifier's drawing and the
// grid. The commands on layers are in LayerCommands.cpp.

#include "imagewin/ChildWin.h"

#include "core/Error.h"
#include "core/processing/ColorOps.h"
#include "core/processing/GeometricOps.h"
#include "engine/Drawing.h"
#include "engine/GaugeBar.h"
#include "engine/Transforms.h"
#include "imagewin/LayerPanels.h"
#include "imagewin/Magnifier.h"
#include "imagewin/PictureLoader.h"
#include "imagewin/RGBALoader.h"
#include "services/Prompts.h"
#include "services/Shell.h"

#include <QCheckBox>

#include <algorithm>
#include <cmath>

namespace ivra {

// ---- Selection and rubber band -------------------------------------------------------

TBitmapLayer* TMDIChild::SelectedBitmapLayer() const { return dynamic_cast<TBitmapLayer*>(document_->Selection()); }

void TMDIChild::UpdateRBLayer(TPositionedLayer* layer) {
    TRubberbandLayer* rb = document_->RBLayer();
    if (rb) {
        rb->SetChildLayer(nullptr);
        rb->SetVisible(false);
        rb->SetMouseEvents(false);
        ImgView->Invalidate();
    }
    if (!layer) return;
    if (rb) {
        rb->BringToFront();
    } else {
        rb = document_->Layers().Add<TRubberbandLayer>();
        document_->SetRBLayer(rb);
        rb->MinWidth = 1.0f;
        rb->MinHeight = 1.0f;
    }
    rb->SetChildLayer(layer);
    rb->SetVisible(true);
    rb->SetMouseEvents(true);
    rb->OnResizing = [this](TRubberbandLayer* sender, const TFloatRect& o, TFloatRect& n, TRBDragState d,
                            TShiftState s) { RubberBandResizing(sender, o, n, d, s); };
}

void TMDIChild::SelectLayer(TCustomLayer* layer) {
    TImageDocument& d = *document_;
    if (layer == d.Selection()) return;
    if (d.RBLayer()) {
        d.RBLayer()->SetChildLayer(nullptr);
        d.RBLayer()->SetVisible(false);
        d.RBLayer()->SetMouseEvents(false);
        ShowPanel(LayerPanels(Shell()).LayerWindow, false);
        ShowPanel(LayerPanels(Shell()).MagnifierWindow, false);
        ImgView->Invalidate();
    }
    d.SetSelection(layer);
    emit SelectionChanged(this);
    if (!layer) return;
    auto* positioned = dynamic_cast<TPositionedLayer*>(layer);
    if (positioned) {
        // UpdateRBLayer hides nothing more now: the band is already detached.
        UpdateRBLayer(positioned);
    }
    if (auto* bl = dynamic_cast<TBitmapLayer*>(layer)) {
        // Every field of the panel shows this layer's value (the controls'
        // handlers write the same values back).
        const TLayerPanels& p = LayerPanels(Shell());
        if (p.LayerOpacity) p.LayerOpacity->SetPosition(bl->Bitmap().MasterAlpha());
        if (p.LayerInterpolate) p.LayerInterpolate->setChecked(bl->Bitmap().StretchFilter() == TStretchFilter::sfLinear);
        if (p.Cropped) p.Cropped->setChecked(bl->Cropped());
    } else if (layer->Tag == MagnifierLayerTag) {
        ShowPanel(LayerPanels(Shell()).MagnifierWindow, true);
    }
}

void TMDIChild::LayerMouseDown(TCustomLayer* layer, TMouseButton, TShiftState, int, int) {
    if (dynamic_cast<TPositionedLayer*>(layer)) SelectLayer(layer);
}

void TMDIChild::RubberBandResizing(TRubberbandLayer*, const TFloatRect& o, TFloatRect& n, TRBDragState drag,
                                   TShiftState shift) {
    if (shell_.Drawing().CurrentTool == toolSelection) {
        const TBitmap32& img = document_->Bitmap();
        n.Left = std::max(n.Left, 0.0f);
        n.Top = std::max(n.Top, 0.0f);
        n.Right = std::min(n.Right, float(img.Width()));
        n.Bottom = std::min(n.Bottom, float(img.Height()));
    }
    if (drag == TRBDragState::dsMove || (shift & ssCtrl) == 0) return;
    // Symmetric resize about the old centre.
    const float cx = (o.Left + o.Right) / 2, cy = (o.Top + o.Bottom) / 2;
    float w = (o.Right - o.Left) / 2, h = (o.Bottom - o.Top) / 2;
    using S = TRBDragState;
    if (drag == S::dsSizeL || drag == S::dsSizeTL || drag == S::dsSizeBL) w = cx - n.Left;
    if (drag == S::dsSizeR || drag == S::dsSizeTR || drag == S::dsSizeBR) w = n.Right - cx;
    if (drag == S::dsSizeT || drag == S::dsSizeTL || drag == S::dsSizeTR) h = cy - n.Top;
    if (drag == S::dsSizeB || drag == S::dsSizeBL || drag == S::dsSizeBR) h = n.Bottom - cy;
    w = std::max(w, 2.0f);
    h = std::max(h, 2.0f);
    n = {cx - w, cy - h, cx + w, cy + h};
}

// ---- Creating layers -------------------------------------------------------------------

TPoint TMDIChild::ViewCentre() const {
    const TRect vp = ImgView->GetViewportRect();
    return ControlToBitmap(TPoint{(vp.Left + vp.Right) / 2, (vp.Top + vp.Bottom) / 2});
}

TFloatRect TMDIChild::CentredLocation(int w, int h) const {
    const TPoint c = ViewCentre();
    const float hw = float(w) / 2, hh = float(h) / 2;
    return {float(c.X) - hw, float(c.Y) - hh, float(c.X) + hw, float(c.Y) + hh};
}

namespace {

void MakeSelectable(TMDIChild& w, TPositionedLayer& layer) {
    layer.SetScaled(true);
    layer.SetMouseEvents(true);
    layer.SetVisible(true);
    layer.OnMouseDown = [&w](TCustomLayer* l, TMouseButton b, TShiftState s, int x, int y) {
        w.LayerMouseDown(l, b, s, x, y);
    };
}

} // namespace

TPositionedLayer* TMDIChild::CreatePositionedLayer() {
    auto* layer = document_->Layers().Add<TPositionedLayer>();
    layer->SetLocation(CentredLocation(64, 64));
    MakeSelectable(*this, *layer);
    return layer;
}

TBitmapLayer* TMDIChild::AddCentredBitmapLayer(std::unique_ptr<TBitmapLayer> made) {
    const TFloatRect location = CentredLocation(made->Bitmap().Width(), made->Bitmap().Height());
    return AddBitmapLayerAt(std::move(made), location);
}

TBitmapLayer* TMDIChild::AddBitmapLayerAt(std::unique_ptr<TBitmapLayer> made, const TFloatRect& location) {
    made->Bitmap().SetDrawMode(TDrawMode::dmBlend);
    made->SetLocation(location);
    MakeSelectable(*this, *made);
    auto* layer = static_cast<TBitmapLayer*>(document_->Layers().Add(std::move(made)));
    SelectLayer(layer);
    ShowPanel(LayerPanels(Shell()).LayerWindow, true);
    return layer;
}

void TMDIChild::DrawMagnifier(TCustomLayer* layer, TBitmap32& buffer) {
    auto* pl = dynamic_cast<TPositionedLayer*>(layer);
    if (!pl || buffer.Empty()) return;
    const TMagnifierSettings s = MagnifierSettings(Shell());
    PaintMagnifier(buffer, pl->GetAdjustedLocation(), s);
}

// ---- Floating panels ---------------------------------------------------------------------

void TMDIChild::LayerOpacityChange() {
    TBitmapLayer* l = SelectedBitmapLayer();
    const TLayerPanels& p = LayerPanels(Shell());
    if (l && p.LayerOpacity) l->Bitmap().SetMasterAlpha(p.LayerOpacity->Position());
}

void TMDIChild::LayerInterpolateClick() {
    TBitmapLayer* l = SelectedBitmapLayer();
    const TLayerPanels& p = LayerPanels(Shell());
    if (!l || !p.LayerInterpolate) return;
    l->Bitmap().SetStretchFilter(p.LayerInterpolate->isChecked() ? TStretchFilter::sfLinear
                                                                 : TStretchFilter::sfNearest);
}

void TMDIChild::CroppedClick() {
    TBitmapLayer* l = SelectedBitmapLayer();
    const TLayerPanels& p = LayerPanels(Shell());
    if (l && p.Cropped) l->SetCropped(p.Cropped->isChecked());
}

void TMDIChild::MagnChange() { ImgView->Invalidate(); }

// ---- Grid --------------------------------------------------------------------

TGridLayer* TMDIChild::GetGridLayer() {
    if (!document_->GridLayer()) {
        auto* g = document_->Layers().Add<TGridLayer>();
        g->SetVisible(true);
        g->SetGridSize(std::int32_t(GridSpacing));
        g->SetGridElements(geMainGrid);
        g->SetScaled(true);
        document_->SetGridLayer(g);
    }
    return static_cast<TGridLayer*>(document_->GridLayer());
}

} // namespace ivra
