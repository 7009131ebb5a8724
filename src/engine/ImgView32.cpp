#include "engine/ImgView32.h"
#include "core/raster/UpdateScope.h"

#include "engine/Drawing.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace ivra {

namespace {

// A scroll bar whose thickness the view chooses: 0 the style's default, a
// positive value that many pixels, a negative value none at all.
class TViewScrollBar : public QScrollBar {
public:
    TViewScrollBar(Qt::Orientation o, QWidget* parent) : QScrollBar(o, parent) {}
    void SetThickness(int t) {
        if (t == thickness_) return;
        thickness_ = t;
        updateGeometry();
    }
    QSize sizeHint() const override {
        QSize s = QScrollBar::sizeHint();
        if (thickness_ == 0) return s;
        const int t = std::max(thickness_, 0);
        if (orientation() == Qt::Horizontal) s.setHeight(t);
        else s.setWidth(t);
        return s;
    }
    QSize minimumSizeHint() const override {
        QSize s = QScrollBar::minimumSizeHint();
        if (thickness_ == 0) return s;
        const int t = std::max(thickness_, 0);
        if (orientation() == Qt::Horizontal) s.setHeight(t);
        else s.setWidth(t);
        return s;
    }

private:
    int thickness_ = 0;
};

// A scroll position from a real number, limited to the int range.
int ScrollValue(double v) {
    if (!(v == v)) return 0;
    return int(std::clamp(std::nearbyint(v), -2147483648.0, 2147483647.0));
}

TViewScrollBar* Bar(QScrollBar* b) { return static_cast<TViewScrollBar*>(b); }

TMouseButton ButtonOf(Qt::MouseButton b) {
    switch (b) {
    case Qt::RightButton: return TMouseButton::mbRight;
    case Qt::MiddleButton: return TMouseButton::mbMiddle;
    default: return TMouseButton::mbLeft;
    }
}

} // namespace

TImgView32::TImgView32(QWidget* parent) : TImgView32(parent, nullptr, nullptr) {}

TImgView32::TImgView32(QWidget* parent, TBitmap32& bitmap, TLayerCollection& layers)
    : TImgView32(parent, &bitmap, &layers) {}

TImgView32::TImgView32(QWidget* parent, TBitmap32* bitmap, TLayerCollection* layers)
    : QAbstractScrollArea(parent),
      ownBitmap_(bitmap ? nullptr : std::make_unique<TBitmap32>()),
      ownLayers_(layers ? nullptr : std::make_unique<TLayerCollection>()),
      bitmap_(bitmap ? *bitmap : *ownBitmap_),
      layers_(layers ? *layers : *ownLayers_) {
    setHorizontalScrollBar(new TViewScrollBar(Qt::Horizontal, this));
    setVerticalScrollBar(new TViewScrollBar(Qt::Vertical, this));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    // The back buffer covers every pixel of the viewport on each paint.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent, true);
    viewport()->setAttribute(Qt::WA_NoSystemBackground, true);
    horizontalScrollBar()->setSingleStep(16);
    verticalScrollBar()->setSingleStep(16);

    stages_ = {{PST_CLEAR_BACKGND, 0}, {PST_DRAW_BITMAP, 0}, {PST_DRAW_LAYERS, LOB_VISIBLE}};

    layers_.SetView(this);
    layers_.OnChange = [this] { Invalidate(); };
    // The owner of a stack shared with this view keeps hearing of its layers.
    outerLayerDeleting_ = ownLayers_ ? nullptr : layers_.OnLayerDeleting;
    layers_.OnLayerDeleting = [this](TCustomLayer* l) {
        LayerDeleting(l);
        if (outerLayerDeleting_) outerLayerDeleting_(l);
    };
    bitmap_.OnChange = [this] { Invalidate(); };
    bitmap_.OnResize = [this] { RecomputeLayout(); };
}

TImgView32::~TImgView32() {
    // Layers go before the view's own state, without calling back into it.
    layers_.OnChange = nullptr;
    bitmap_.OnChange = nullptr;
    bitmap_.OnResize = nullptr;
    if (!ownLayers_) {
        // The stack belongs to somebody else: leave it, detached from this view.
        layers_.OnLayerDeleting = outerLayerDeleting_;
        layers_.SetView(nullptr);
        return;
    }
    layers_.OnLayerDeleting = [this](TCustomLayer* l) {
        if (l == measureLayer_) measureLayer_ = nullptr;
        if (l == animLayer_) animLayer_ = nullptr;
    };
    layers_.Clear();
}

// ---- Properties -----------------------------------------------------------

void TImgView32::SetScale(float scale) {
    if (std::isnan(scale)) return;
    if (scale < 0.001f) scale = 0.001f;
    if (scale == scale_) return;
    // Keep the bitmap point at the viewport's centre where it is.
    const TViewMapping before = Mapping();
    const QSize vp = viewport()->size();
    const double cx = before.ControlToBitmapX(vp.width() / 2.0);
    const double cy = before.ControlToBitmapY(vp.height() / 2.0);
    scale_ = scale;
    UpdateScrollRanges();
    const QSize vp2 = viewport()->size();
    horizontalScrollBar()->setValue(ScrollValue(cx * scale_ - vp2.width() / 2.0));
    verticalScrollBar()->setValue(ScrollValue(cy * scale_ - vp2.height() / 2.0));
    RecomputeLayout();
}

void TImgView32::SetCentered(bool on) {
    if (on == centered_) return;
    centered_ = on;
    RecomputeLayout();
}

void TImgView32::SetScrollBarSize(int size) {
    if (size == scrollBarSize_) return;
    scrollBarSize_ = size;
    Bar(horizontalScrollBar())->SetThickness(size);
    Bar(verticalScrollBar())->SetThickness(size);
    // Lay the bars and the viewport out again with the new thickness.
    setViewportMargins(viewportMargins());
}

void TImgView32::SetBackgroundColor(TColor32 c) {
    if (c == background_) return;
    background_ = c;
    Invalidate();
}

int TImgView32::ScaledWidth() const { return bitmap_.Empty() ? 0 : TViewMapping{scale_}.ScaledLength(bitmap_.Width()); }

int TImgView32::ScaledHeight() const {
    return bitmap_.Empty() ? 0 : TViewMapping{scale_}.ScaledLength(bitmap_.Height());
}

TRect TImgView32::GetViewportRect() const {
    const QSize s = viewport()->size();
    return {0, 0, s.width(), s.height()};
}

TViewMapping TImgView32::Mapping() const {
    TViewMapping m;
    m.Scale = scale_;
    const QSize vp = viewport()->size();
    const int sw = ScaledWidth(), sh = ScaledHeight();
    m.OffsetX = (centered_ && sw < vp.width()) ? (vp.width() - sw) / 2 : -horizontalScrollBar()->value();
    m.OffsetY = (centered_ && sh < vp.height()) ? (vp.height() - sh) / 2 : -verticalScrollBar()->value();
    return m;
}

TRect TImgView32::GetBitmapRect() const {
    if (bitmap_.Empty()) return {};
    return Mapping().BitmapRect(bitmap_.Width(), bitmap_.Height());
}

void TImgView32::SetupBitmap(bool doClear, TColor32 clearColor) {
    const QSize s = viewport()->size();
    {
        TUpdateScope update(bitmap_);
        bitmap_.SetSize(s.width(), s.height());
        if (doClear) bitmap_.Clear(clearColor);
    }
    bitmap_.Changed();
}

TPoint TImgView32::ScrollPosition() const {
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void TImgView32::SetScrollPosition(int x, int y) {
    horizontalScrollBar()->setValue(x);
    verticalScrollBar()->setValue(y);
}

void TImgView32::Scroll(int dx, int dy) {
    const TPoint p = ScrollPosition();
    SetScrollPosition(p.X + dx, p.Y + dy);
}

void TImgView32::ScrollToCenter(int x, int y) {
    UpdateScrollRanges();
    const QSize vp = viewport()->size();
    const double s = double(scale_);
    SetScrollPosition(ScrollValue(x * s - vp.width() / 2.0), ScrollValue(y * s - vp.height() / 2.0));
}

// ---- Layout ------------------------------------------------------------------

void TImgView32::UpdateScrollRanges() {
    // Decide which bars are needed from the whole client area, not from the
    // viewport left over by bars shown earlier: otherwise a view grown to
    // exactly the image's size would keep its bars and hide the last row
    // and column behind them.
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    const QSize full = maximumViewportSize();
    const int sw = ScaledWidth(), sh = ScaledHeight();
    const int hBar = h->sizeHint().height(), vBar = v->sizeHint().width();
    bool needH = sw > full.width();
    bool needV = sh > full.height();
    if (needH && !needV) needV = sh > full.height() - hBar;
    if (needV && !needH) needH = sw > full.width() - vBar;
    const int vpW = std::max(0, full.width() - (needV ? vBar : 0));
    const int vpH = std::max(0, full.height() - (needH ? hBar : 0));
    h->setPageStep(std::max(1, vpW));
    v->setPageStep(std::max(1, vpH));
    h->setRange(0, std::max(0, sw - vpW));
    v->setRange(0, std::max(0, sh - vpH));
    // Show or hide the bars now rather than on the next pass of the event
    // loop, so that the viewport size is right as soon as this returns (the
    // resize it causes comes back through RecomputeLayout).
    setViewportMargins(viewportMargins());
}

void TImgView32::UpdateMappingOfLayers() {
    layers_.SetMapping(Mapping());
    layers_.SetImageSize(bitmap_.Empty() ? 0 : bitmap_.Width(), bitmap_.Empty() ? 0 : bitmap_.Height());
}

void TImgView32::RecomputeLayout() {
    if (inLayout_) {
        layoutAgain_ = true;
        return;
    }
    inLayout_ = true;
    // Showing or hiding a bar changes the viewport, which asks for another
    // round; a few rounds always settle.
    for (int round = 0; round < 4; ++round) {
        layoutAgain_ = false;
        UpdateScrollRanges();
        UpdateMappingOfLayers();
        if (OnResize) OnResize(this);
        if (!layoutAgain_) break;
    }
    inLayout_ = false;
    UpdateMappingOfLayers();
    Invalidate();
}

void TImgView32::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    RecomputeLayout();
}

void TImgView32::scrollContentsBy(int, int) {
    UpdateMappingOfLayers();
    Invalidate();
    if (OnScroll) OnScroll(this);
}

QSize TImgView32::viewportSizeHint() const { return {ScaledWidth(), ScaledHeight()}; }

void TImgView32::Invalidate() { viewport()->update(); }

void TImgView32::Repaint() { viewport()->repaint(); }

// ---- Painting ---------------------------------------------------------------

void TImgView32::ClearBackgroundStage(TBitmap32& target, const TRect& br) {
    const int w = target.Width(), h = target.Height();
    if (bitmap_.Empty() || br.IsEmpty() || bitmap_.DrawMode() != TDrawMode::dmOpaque) {
        target.Clear(background_);
        return;
    }
    // Only what the opaque image leaves free.
    target.BeginUpdate();
    FillRectS(target, 0, 0, w, br.Top, background_);
    FillRectS(target, 0, br.Bottom, w, h, background_);
    FillRectS(target, 0, br.Top, br.Left, br.Bottom, background_);
    FillRectS(target, br.Right, br.Top, w, br.Bottom, background_);
    target.EndUpdate();
}

void TImgView32::PaintBitmapStage(TBitmap32& target, const TViewMapping& m) {
    if (bitmap_.Empty()) return;
    // The whole scaled image as the destination: the stretch clips it to the
    // target and samples only the source pixels under the visible part, so
    // the cost follows the viewport, and every scroll position samples the
    // same grid.
    bitmap_.DrawTo(target, m.BitmapRect(bitmap_.Width(), bitmap_.Height()));
}

void TImgView32::RunStages(TBitmap32& target, const TViewMapping& m, bool toScreen) {
    if (target.Empty()) return;
    const TRect br = bitmap_.Empty() ? TRect{} : m.BitmapRect(bitmap_.Width(), bitmap_.Height());
    // A copy: a stage handler may edit the list for the next paint.
    const std::vector<TPaintStage> stages(stages_);
    for (std::size_t i = 0; i < stages.size(); ++i) {
        switch (stages[i].Stage) {
        case PST_CUSTOM:
            if (toScreen && OnPaintStage) OnPaintStage(this, target, int(i));
            break;
        case PST_CLEAR_BUFFER:
            if (toScreen) target.Clear(background_);
            break;
        case PST_CLEAR_BACKGND:
            if (toScreen) ClearBackgroundStage(target, br);
            break;
        case PST_DRAW_BITMAP:
            PaintBitmapStage(target, m);
            break;
        case PST_DRAW_LAYERS:
            layers_.Paint(target);
            break;
        case PST_CONTROL_FRAME:
            if (toScreen) FrameRectTS(target, 0, 0, target.Width(), target.Height(), 0xFF404040u);
            break;
        case PST_BITMAP_FRAME:
            if (toScreen && !br.IsEmpty())
                FrameRectTS(target, br.Left - 1, br.Top - 1, br.Right + 1, br.Bottom + 1, clBlack32);
            break;
        default:
            break;
        }
    }
}

void TImgView32::PaintBuffer() {
    const QSize vp = viewport()->size();
    buffer_.SetSize(vp.width(), vp.height());
    if (buffer_.Empty()) return;
    const TViewMapping m = Mapping();
    layers_.SetMapping(m);
    layers_.SetImageSize(bitmap_.Empty() ? 0 : bitmap_.Width(), bitmap_.Empty() ? 0 : bitmap_.Height());
    RunStages(buffer_, m, true);
}

void TImgView32::paintEvent(QPaintEvent*) {
    PaintBuffer();
    if (buffer_.Empty()) return;
    // The screen shows the buffer as opaque pixels.
    TColor32* p = buffer_.Bits();
    const std::size_t n = buffer_.PixelCount();
    for (std::size_t i = 0; i < n; ++i) p[i] |= 0xFF000000u;
    const QImage img(reinterpret_cast<const uchar*>(buffer_.Bits()), buffer_.Width(), buffer_.Height(),
                     qsizetype(buffer_.Width()) * 4, QImage::Format_RGB32);
    QPainter painter(viewport());
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, img);
}

void TImgView32::PaintTo(TBitmap32& dst, const TRect& dstRect) {
    if (dst.Empty() || bitmap_.Empty() || dstRect.IsEmpty()) return;
    TViewMapping m;
    m.Scale = float(double(dstRect.Width()) / double(bitmap_.Width()));
    m.OffsetX = dstRect.Left;
    m.OffsetY = dstRect.Top;
    const TViewMapping screen = layers_.Mapping();
    layers_.SetMapping(m);
    try {
        RunStages(dst, m, false);
    } catch (...) {
        layers_.SetMapping(screen);
        throw;
    }
    layers_.SetMapping(screen);
}

// ---- Overlay slots -------------------------------------------------------------

QSize TImgView32::ScreenSize() {
    if (const QScreen* s = QGuiApplication::primaryScreen()) return s->size();
    return {1024, 768};
}

TBitmapLayer* TImgView32::GetMeasureLayer() {
    if (measureLayer_) return measureLayer_;
    const QSize s = ScreenSize();
    TUpdateScope update(layers_);
    // Built apart and inserted whole, so that a failed allocation leaves the
    // stack as it was.
    auto made = std::make_unique<TBitmapLayer>();
    made->Bitmap().SetSize(s.width(), s.height());
    TBitmapLayer* l = static_cast<TBitmapLayer*>(layers_.Insert(0, std::move(made)));
    l->Bitmap().SetDrawMode(TDrawMode::dmBlend);
    l->SetLocation({0, 0, float(s.width()), float(s.height())});
    l->SetScaled(false);
    measureLayer_ = l;
    return l;
}

TBitmapLayer* TImgView32::GetAnimLayer() {
    if (animLayer_) return animLayer_;
    const int w = bitmap_.Empty() ? 0 : bitmap_.Width(), h = bitmap_.Empty() ? 0 : bitmap_.Height();
    TUpdateScope update(layers_);
    // Built apart and inserted whole, so that a failed allocation leaves the
    // stack as it was.
    auto made = std::make_unique<TBitmapLayer>();
    made->Bitmap().SetSize(w, h);
    TBitmapLayer* l = static_cast<TBitmapLayer*>(layers_.Insert(0, std::move(made)));
    // New pixels are already transparent (0). Not clearing them again keeps
    // the image-sized drawing layer from costing memory where nothing was
    // drawn: the system hands out zeroed pages only when they are written.
    l->Bitmap().SetDrawMode(TDrawMode::dmBlend);
    l->SetLocation({0, 0, float(w), float(h)});
    l->SetScaled(true);
    animLayer_ = l;
    return l;
}

void TImgView32::RemoveMeasureLayer() {
    if (measureLayer_) layers_.Delete(measureLayer_->Index());
}

void TImgView32::RemoveAnimLayer() {
    if (animLayer_) layers_.Delete(animLayer_->Index());
}

void TImgView32::LayerDeleting(TCustomLayer* layer) {
    if (layer == measureLayer_) measureLayer_ = nullptr;
    if (layer == animLayer_) animLayer_ = nullptr;
    if (OnLayerDeleting) OnLayerDeleting(layer);
}

// ---- Input -------------------------------------------------------------------

TShiftState TImgView32::ShiftStateOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
    TShiftState s = 0;
    if (mods & Qt::ShiftModifier) s |= ssShift;
    if (mods & Qt::AltModifier) s |= ssAlt;
    if (mods & Qt::ControlModifier) s |= ssCtrl;
    if (buttons & Qt::LeftButton) s |= ssLeft;
    if (buttons & Qt::RightButton) s |= ssRight;
    if (buttons & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

void TImgView32::UpdateCursor(TCustomLayer* layer) {
    const Qt::CursorShape c = layer ? Qt::CursorShape(layer->Cursor) : Qt::ArrowCursor;
    if (viewport()->cursor().shape() != c) viewport()->setCursor(c);
}

void TImgView32::mousePressEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    const TMouseButton b = ButtonOf(e->button());
    const TShiftState s = ShiftStateOf(e->modifiers(), e->buttons());
    if (focusPolicy() != Qt::NoFocus) setFocus(Qt::MouseFocusReason);
    TCustomLayer* layer = layers_.MouseDown(b, s, p.x(), p.y());
    if (OnMouseDown) OnMouseDown(this, b, s, p.x(), p.y(), layer);
}

void TImgView32::mouseDoubleClickEvent(QMouseEvent* e) {
    // A double click is a second press with the double-click bit.
    const QPoint p = e->position().toPoint();
    const TMouseButton b = ButtonOf(e->button());
    const TShiftState s = ShiftStateOf(e->modifiers(), e->buttons()) | ssDouble;
    TCustomLayer* layer = layers_.MouseDown(b, s, p.x(), p.y());
    if (OnMouseDown) OnMouseDown(this, b, s, p.x(), p.y(), layer);
}

void TImgView32::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    const TShiftState s = ShiftStateOf(e->modifiers(), e->buttons());
    TCustomLayer* layer = layers_.MouseMove(s, p.x(), p.y());
    UpdateCursor(layer);
    if (OnMouseMove) OnMouseMove(this, s, p.x(), p.y(), layer);
}

void TImgView32::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    const TMouseButton b = ButtonOf(e->button());
    const TShiftState s = ShiftStateOf(e->modifiers(), e->buttons());
    TCustomLayer* layer = layers_.MouseUp(b, s, p.x(), p.y());
    if (OnMouseUp) OnMouseUp(this, b, s, p.x(), p.y(), layer);
}

void TImgView32::wheelEvent(QWheelEvent* e) {
    const int dy = e->angleDelta().y();
    if (dy == 0 || (!OnMouseWheelUp && !OnMouseWheelDown)) {
        QAbstractScrollArea::wheelEvent(e);
        return;
    }
    // One call per notch (120 units); finer wheels add up to notches.
    if ((wheelAccum_ > 0) != (dy > 0)) wheelAccum_ = 0;
    wheelAccum_ += dy;
    const QPoint pos = e->position().toPoint();
    const TShiftState s = ShiftStateOf(e->modifiers(), e->buttons());
    bool passOn = false;
    while (std::abs(wheelAccum_) >= 120) {
        const bool up = wheelAccum_ > 0;
        wheelAccum_ += up ? -120 : 120;
        bool handled = true;
        const TMouseWheelEvent& h = up ? OnMouseWheelUp : OnMouseWheelDown;
        if (h) h(this, s, TPoint{pos.x(), pos.y()}, handled);
        else handled = false;
        if (!handled) passOn = true;
    }
    if (passOn) QAbstractScrollArea::wheelEvent(e);
    else e->accept();
}

} // namespace ivra
