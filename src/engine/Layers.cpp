#include "engine/Layers.h"

#include "core/Error.h"
#include "engine/Drawing.h"

#include <Qt>

#include <algorithm>
#include <cmath>

namespace ivra {

// ---- TCustomLayer ------------------------------------------------------------

TCustomLayer::~TCustomLayer() {
    if (collection_) collection_->Extract(this);
}

int TCustomLayer::Index() const { return collection_ ? collection_->IndexOf(this) : -1; }

void TCustomLayer::SetIndex(int index) {
    if (collection_) collection_->Move(this, index);
}

void TCustomLayer::BringToFront() {
    if (collection_) SetIndex(collection_->Count() - 1);
}

void TCustomLayer::SendToBack() { SetIndex(0); }

void TCustomLayer::SetLayerOptions(std::uint32_t options) {
    if (options == options_) return;
    const bool wasVisible = Visible();
    options_ = options;
    // Showing or hiding always repaints, whatever LOB_NO_UPDATE says.
    if (wasVisible != Visible() && collection_) collection_->Changed();
    else Changed();
}

void TCustomLayer::SetVisible(bool on) {
    SetLayerOptions(on ? (options_ | LOB_VISIBLE) : (options_ & ~LOB_VISIBLE));
}

void TCustomLayer::SetMouseEvents(bool on) {
    SetLayerOptions(on ? (options_ | LOB_MOUSE_EVENTS) : (options_ & ~LOB_MOUSE_EVENTS));
}

void TCustomLayer::Changed() {
    if (collection_ && (options_ & LOB_NO_UPDATE) == 0) collection_->Changed();
}

void TCustomLayer::Paint(TBitmap32& buffer) {
    if (OnPaint) OnPaint(this, buffer);
}

void TCustomLayer::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TCustomLayer::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TCustomLayer::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

TViewMapping TCustomLayer::Mapping() const { return collection_ ? collection_->Mapping() : TViewMapping{}; }

// ---- TPositionedLayer --------------------------------------------------------

TPositionedLayer::TPositionedLayer() { options_ = LOB_VISIBLE | LOB_MOUSE_EVENTS; }

void TPositionedLayer::SetLocation(const TFloatRect& r) {
    if (r == location_) return;
    location_ = r;
    Changed();
}

void TPositionedLayer::SetScaled(bool on) {
    if (on == scaled_) return;
    scaled_ = on;
    Changed();
}

TFloatRect TPositionedLayer::GetAdjustedLocation() const {
    return scaled_ ? Mapping().BitmapToControl(location_) : location_;
}

bool TPositionedLayer::HitTest(int x, int y) const {
    const TFloatRect r = GetAdjustedLocation();
    return float(x) >= r.Left && float(x) < r.Right && float(y) >= r.Top && float(y) < r.Bottom;
}

// ---- TBitmapLayer ------------------------------------------------------------

TBitmapLayer::TBitmapLayer() {
    bitmap_.OnChange = [this] { Changed(); };
}

TBitmapLayer::~TBitmapLayer() {
    bitmap_.OnChange = nullptr;
    bitmap_.OnResize = nullptr;
}

void TBitmapLayer::SetCropped(bool on) {
    if (on == cropped_) return;
    cropped_ = on;
    Changed();
}

void TBitmapLayer::Paint(TBitmap32& buffer) {
    PaintBitmap(buffer);
    // A paint handler draws over the bitmap (the text tool's provisional layer).
    if (OnPaint) OnPaint(this, buffer);
}

void TBitmapLayer::PaintBitmap(TBitmap32& buffer) {
    if (bitmap_.Empty() || buffer.Empty()) return;
    const TRect dst = MakeRect(GetAdjustedLocation(), TRectRounding::rrClosest);
    if (dst.IsEmpty()) return;
    TRect clip = buffer.BoundsRect();
    if (cropped_ && LayerCollection()) {
        const TRect img = LayerCollection()->BitmapRect();
        clip = {std::max(clip.Left, img.Left), std::max(clip.Top, img.Top), std::min(clip.Right, img.Right),
                std::min(clip.Bottom, img.Bottom)};
    }
    const TRect vis{std::max(clip.Left, dst.Left), std::max(clip.Top, dst.Top), std::min(clip.Right, dst.Right),
                    std::min(clip.Bottom, dst.Bottom)};
    if (vis.IsEmpty()) return;
    // Cropped to the image: only the pixels inside it are written, sampled
    // as for the whole layer. The stretch clips to the buffer itself.
    bitmap_.DrawTo(buffer, dst, bitmap_.BoundsRect(), vis);
}

// ---- TRubberbandLayer --------------------------------------------------------

TRubberbandLayer::TRubberbandLayer() {
    Tag = 100;
    options_ = LOB_VISIBLE | LOB_MOUSE_EVENTS;
}

void TRubberbandLayer::SetChildLayer(TPositionedLayer* child) {
    child_ = child;
    if (child_) {
        location_ = child_->Location();
        scaled_ = child_->Scaled();
    }
    dragState_ = TRBDragState::dsNone;
    Changed();
}

void TRubberbandLayer::SetLocation(const TFloatRect& r) {
    TPositionedLayer::SetLocation(r);
    UpdateChildLayer();
}

void TRubberbandLayer::SetScaled(bool on) {
    TPositionedLayer::SetScaled(on);
    if (child_) child_->SetScaled(on);
}

void TRubberbandLayer::UpdateChildLayer() {
    if (child_) child_->SetLocation(location_);
}

void TRubberbandLayer::Notification(TCustomLayer* deleted) {
    if (deleted == child_) {
        child_ = nullptr;
        dragState_ = TRBDragState::dsNone;
    }
}

TRBDragState TRubberbandLayer::GetDragState(int x, int y) const {
    const TRect r = MakeRect(GetAdjustedLocation(), TRectRounding::rrClosest);
    const int hs = std::max(HandleSize, 1);
    auto near = [hs](int v, int at) { return v >= at - hs && v <= at + hs; };
    const bool l = near(x, r.Left), rt = near(x, r.Right), t = near(y, r.Top), b = near(y, r.Bottom);
    const bool inX = x >= r.Left - hs && x <= r.Right + hs;
    const bool inY = y >= r.Top - hs && y <= r.Bottom + hs;
    if (!inX || !inY) return TRBDragState::dsNone;
    if (l && t) return TRBDragState::dsSizeTL;
    if (rt && t) return TRBDragState::dsSizeTR;
    if (l && b) return TRBDragState::dsSizeBL;
    if (rt && b) return TRBDragState::dsSizeBR;
    if (l) return TRBDragState::dsSizeL;
    if (rt) return TRBDragState::dsSizeR;
    if (t) return TRBDragState::dsSizeT;
    if (b) return TRBDragState::dsSizeB;
    if (x > r.Left && x < r.Right && y > r.Top && y < r.Bottom) return TRBDragState::dsMove;
    return TRBDragState::dsNone;
}

bool TRubberbandLayer::HitTest(int x, int y) const { return GetDragState(x, y) != TRBDragState::dsNone; }

void TRubberbandLayer::Paint(TBitmap32& buffer) {
    const TRect r = MakeRect(GetAdjustedLocation(), TRectRounding::rrClosest);
    // Stippled frame on the edges of the located rectangle.
    const std::vector<TColor32> savedPattern = buffer.StipplePattern;
    const float savedCounter = buffer.StippleCounter, savedStep = buffer.StippleStep;
    buffer.StipplePattern = FrameStipple;
    buffer.StippleStep = 1.0f;
    buffer.BeginUpdate();
    ResetStippleCounter(buffer);
    HorzLineTSP(buffer, r.Left, r.Top, r.Right);
    VertLineTSP(buffer, r.Right, r.Top + 1, r.Bottom);
    HorzLineTSP(buffer, r.Right - 1, r.Bottom, r.Left);
    VertLineTSP(buffer, r.Left, r.Bottom - 1, r.Top + 1);
    // Handles at the corners and the middles of the edges.
    const int hs = std::max(HandleSize, 1);
    const int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    const TPoint centres[8] = {{r.Left, r.Top}, {cx, r.Top},    {r.Right, r.Top},    {r.Right, cy},
                               {r.Right, r.Bottom}, {cx, r.Bottom}, {r.Left, r.Bottom}, {r.Left, cy}};
    for (const TPoint& c : centres) {
        FillRectTS(buffer, c.X - hs, c.Y - hs, c.X + hs + 1, c.Y + hs + 1, HandleFill);
        FrameRectTS(buffer, c.X - hs, c.Y - hs, c.X + hs + 1, c.Y + hs + 1, HandleFrame);
    }
    buffer.EndUpdate();
    buffer.StipplePattern = savedPattern;
    buffer.StippleCounter = savedCounter;
    buffer.StippleStep = savedStep;
}

namespace {

int CursorOf(TRBDragState s) {
    switch (s) {
    case TRBDragState::dsMove: return Qt::SizeAllCursor;
    case TRBDragState::dsSizeL:
    case TRBDragState::dsSizeR: return Qt::SizeHorCursor;
    case TRBDragState::dsSizeT:
    case TRBDragState::dsSizeB: return Qt::SizeVerCursor;
    case TRBDragState::dsSizeTL:
    case TRBDragState::dsSizeBR: return Qt::SizeFDiagCursor;
    case TRBDragState::dsSizeTR:
    case TRBDragState::dsSizeBL: return Qt::SizeBDiagCursor;
    default: return Qt::ArrowCursor;
    }
}

} // namespace

void TRubberbandLayer::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == TMouseButton::mbLeft) {
        dragState_ = GetDragState(x, y);
        dragStartLocation_ = location_;
        dragStartX_ = x;
        dragStartY_ = y;
        Cursor = CursorOf(dragState_);
    }
    TPositionedLayer::MouseDown(button, shift, x, y);
}

void TRubberbandLayer::MouseMove(TShiftState shift, int x, int y) {
    if (dragState_ == TRBDragState::dsNone) {
        Cursor = CursorOf(GetDragState(x, y));
        TPositionedLayer::MouseMove(shift, x, y);
        return;
    }
    // Mouse travel in layer units.
    double dx = double(x) - dragStartX_, dy = double(y) - dragStartY_;
    if (scaled_) {
        const double s = double(Mapping().Scale);
        dx /= s;
        dy /= s;
    }
    TFloatRect n = dragStartLocation_;
    const TRBDragState st = dragState_;
    const bool left = st == TRBDragState::dsSizeL || st == TRBDragState::dsSizeTL || st == TRBDragState::dsSizeBL;
    const bool right = st == TRBDragState::dsSizeR || st == TRBDragState::dsSizeTR || st == TRBDragState::dsSizeBR;
    const bool top = st == TRBDragState::dsSizeT || st == TRBDragState::dsSizeTL || st == TRBDragState::dsSizeTR;
    const bool bottom = st == TRBDragState::dsSizeB || st == TRBDragState::dsSizeBL || st == TRBDragState::dsSizeBR;
    if (st == TRBDragState::dsMove) {
        n.Left = float(n.Left + dx), n.Right = float(n.Right + dx);
        n.Top = float(n.Top + dy), n.Bottom = float(n.Bottom + dy);
    } else {
        if (left) n.Left = std::min(float(n.Left + dx), n.Right - MinWidth);
        if (right) n.Right = std::max(float(n.Right + dx), n.Left + MinWidth);
        if (top) n.Top = std::min(float(n.Top + dy), n.Bottom - MinHeight);
        if (bottom) n.Bottom = std::max(float(n.Bottom + dy), n.Top + MinHeight);
    }
    if (OnResizing) OnResizing(this, location_, n, st, shift);
    if (!(n == location_)) {
        SetLocation(n);
        if (OnUserChange) OnUserChange(this);
    }
    TPositionedLayer::MouseMove(shift, x, y);
}

void TRubberbandLayer::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    dragState_ = TRBDragState::dsNone;
    TPositionedLayer::MouseUp(button, shift, x, y);
}

// ---- TTransformationLayer ----------------------------------------------------

void TTransformationLayer::PropertyChanged() {
    Changed();
    if (OnChange) OnChange();
}

void TTransformationLayer::SetPosition(TFloatPoint p) {
    if (p == position_) return;
    position_ = p;
    PropertyChanged();
}

void TTransformationLayer::SetScaling(TFloatPoint s) {
    if (s == scaling_) return;
    scaling_ = s;
    PropertyChanged();
}

void TTransformationLayer::SetScaled(bool on) {
    if (on == scaled_) return;
    scaled_ = on;
    PropertyChanged();
}

TFloatRect TTransformationLayer::GetAdjustedBounds() const {
    const TFloatPoint ns = NativeSize();
    const TFloatRect r{position_.X, position_.Y, (ns.X + position_.X) * scaling_.X,
                       (ns.Y + position_.Y) * scaling_.Y};
    return scaled_ ? Mapping().BitmapToControl(r) : r;
}

bool TTransformationLayer::HitTest(int x, int y) const {
    const TFloatRect r = GetAdjustedBounds();
    return float(x) >= r.Left && float(x) < r.Right && float(y) >= r.Top && float(y) < r.Bottom;
}

// ---- TLayerCollection --------------------------------------------------------

TLayerCollection::~TLayerCollection() {
    OnChange = nullptr;
    OnListChanged = nullptr;
    Clear();
}

int TLayerCollection::IndexOf(const TCustomLayer* layer) const {
    const auto it = std::find(items_.begin(), items_.end(), layer);
    return it == items_.end() ? -1 : int(it - items_.begin());
}

TCustomLayer* TLayerCollection::Insert(int index, std::unique_ptr<TCustomLayer> layer) {
    if (!layer) return nullptr;
    if (layer->collection_) throw Error("The layer already belongs to a layer collection");
    index = std::clamp(index, 0, Count());
    TCustomLayer* l = layer.release();
    items_.insert(items_.begin() + index, l);
    l->collection_ = this;
    Changed();
    if (OnListChanged) OnListChanged();
    return l;
}

void TLayerCollection::Extract(TCustomLayer* layer) {
    const int i = IndexOf(layer);
    if (i < 0) return;
    // Tell everybody first, while the layer is still in the list.
    if (OnLayerDeleting) OnLayerDeleting(layer);
    for (TCustomLayer* other : std::vector<TCustomLayer*>(items_))
        if (other != layer) other->Notification(layer);
    if (capture_ == layer) capture_ = nullptr;
    const int j = IndexOf(layer);  // the handlers may have moved it
    if (j >= 0) items_.erase(items_.begin() + j);
    layer->collection_ = nullptr;
    Changed();
    if (OnListChanged) OnListChanged();
}

std::unique_ptr<TCustomLayer> TLayerCollection::Take(TCustomLayer* layer) {
    if (IndexOf(layer) < 0) return nullptr;
    Extract(layer);
    return std::unique_ptr<TCustomLayer>(layer);
}

void TLayerCollection::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    TCustomLayer* l = items_[std::size_t(index)];
    Extract(l);
    delete l;
}

void TLayerCollection::Clear() {
    if (items_.empty()) return;
    BeginUpdate();
    while (!items_.empty()) Delete(Count() - 1);
    EndUpdate();
}

void TLayerCollection::Move(TCustomLayer* layer, int newIndex) {
    const int i = IndexOf(layer);
    if (i < 0) return;
    newIndex = std::clamp(newIndex, 0, Count() - 1);
    if (newIndex == i) return;
    items_.erase(items_.begin() + i);
    items_.insert(items_.begin() + newIndex, layer);
    Changed();
    if (OnListChanged) OnListChanged();
}

TCustomLayer* TLayerCollection::FindLayerAtPos(int x, int y) const {
    for (int i = Count() - 1; i >= 0; --i) {
        TCustomLayer* l = items_[std::size_t(i)];
        if ((l->LayerOptions() & (LOB_VISIBLE | LOB_MOUSE_EVENTS)) == (LOB_VISIBLE | LOB_MOUSE_EVENTS) &&
            l->HitTest(x, y))
            return l;
    }
    return nullptr;
}

void TLayerCollection::Paint(TBitmap32& buffer) {
    // A copy of the list: a paint handler must not pull the floor away.
    const std::vector<TCustomLayer*> layers(items_);
    for (TCustomLayer* l : layers)
        if (l->collection_ == this && l->Visible()) l->Paint(buffer);
}

TCustomLayer* TLayerCollection::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomLayer* l = capture_ ? capture_ : FindLayerAtPos(x, y);
    if (!l) return nullptr;
    capture_ = l;
    l->MouseDown(button, shift, x, y);
    // The handler may have deleted the layer.
    return IndexOf(l) >= 0 ? l : nullptr;
}

TCustomLayer* TLayerCollection::MouseMove(TShiftState shift, int x, int y) {
    TCustomLayer* l = capture_ ? capture_ : FindLayerAtPos(x, y);
    if (!l) return nullptr;
    l->MouseMove(shift, x, y);
    return IndexOf(l) >= 0 ? l : nullptr;
}

TCustomLayer* TLayerCollection::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomLayer* l = capture_ ? capture_ : FindLayerAtPos(x, y);
    capture_ = nullptr;
    if (!l) return nullptr;
    l->MouseUp(button, shift, x, y);
    return IndexOf(l) >= 0 ? l : nullptr;
}

void TLayerCollection::Changed() {
    if (updateCount_ > 0) {
        changedWhileLocked_ = true;
        return;
    }
    if (OnChange) OnChange();
}

void TLayerCollection::EndUpdate() {
    if (updateCount_ <= 0) throw Error("Unpaired TThreadPersistent.EndUpdate");
    if (--updateCount_ == 0 && changedWhileLocked_) {
        changedWhileLocked_ = false;
        if (OnChange) OnChange();
    }
}

} // namespace ivra
