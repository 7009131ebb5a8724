#pragma once
// Layers drawn above the image of a TImgView32, and their collection.
//
// TLayerCollection owns its layers and draws them in index order (index 0
// first, directly over the image); the hit test walks from the top down.
// Deleting a layer (delete, or Delete by index) takes it out of its
// collection; the collection reports it before it goes (OnLayerDeleting), so
// that the view and the windows can forget their pointers to it.
//
// Locations: a TPositionedLayer holds a float rectangle. When Scaled it is in
// bitmap (image) pixels and follows zoom and scroll through the collection's
// TViewMapping; otherwise it is in view (control) pixels.

#include "core/raster/Bitmap32.h"
#include "engine/ViewMapping.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace ivra {

class TImgView32;
class TLayerCollection;

// Layer option bits.
constexpr std::uint32_t LOB_VISIBLE = 0x80000000u;       // drawn
constexpr std::uint32_t LOB_GDI_OVERLAY = 0x40000000u;   // reserved, no effect
constexpr std::uint32_t LOB_MOUSE_EVENTS = 0x20000000u;  // takes part in the hit test
constexpr std::uint32_t LOB_NO_UPDATE = 0x10000000u;     // changes do not repaint

struct TFloatPoint {
    float X = 0;
    float Y = 0;
    friend bool operator==(const TFloatPoint&, const TFloatPoint&) = default;
};

class TCustomLayer {
public:
    using TLayerMouseEvent =
        std::function<void(TCustomLayer* layer, TMouseButton button, TShiftState shift, int x, int y)>;
    using TLayerMouseMoveEvent =
        std::function<void(TCustomLayer* layer, TShiftState shift, int x, int y)>;
    using TPaintLayerEvent = std::function<void(TCustomLayer* layer, TBitmap32& buffer)>;

    TCustomLayer() = default;
    TCustomLayer(const TCustomLayer&) = delete;
    TCustomLayer& operator=(const TCustomLayer&) = delete;
    // Takes the layer out of its collection (which reports it first).
    virtual ~TCustomLayer();

    TLayerCollection* LayerCollection() const { return collection_; }

    // Position in the collection; setting it clamps to 0 .. count-1.
    int Index() const;
    void SetIndex(int index);
    void BringToFront();
    void SendToBack();
    // Moves the layer up (delta > 0) or down by delta levels, clamped.
    void MoveLevel(int delta) { SetIndex(Index() + delta); }

    std::uint32_t LayerOptions() const { return options_; }
    void SetLayerOptions(std::uint32_t options);
    bool Visible() const { return (options_ & LOB_VISIBLE) != 0; }
    void SetVisible(bool on);
    bool MouseEvents() const { return (options_ & LOB_MOUSE_EVENTS) != 0; }
    void SetMouseEvents(bool on);

    int Tag = 0;
    // Mouse cursor (a Qt::CursorShape value) shown while the pointer is over
    // the layer.
    int Cursor = 0;

    // Asks for a repaint of the view (unless LOB_NO_UPDATE is set).
    void Changed();
    void Update() { Changed(); }

    // Drawing into the view's back buffer in view pixels; the default calls
    // OnPaint.
    virtual void Paint(TBitmap32& buffer);
    // True when (x, y) in view pixels falls on the layer. Only visible layers
    // with LOB_MOUSE_EVENTS are asked.
    virtual bool HitTest(int x, int y) const { return false; }

    // Mouse input in view pixels. The press goes to the top layer under the
    // pointer, which then receives the moves and the release (capture).
    // The defaults call the handlers below.
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);

    TLayerMouseEvent OnMouseDown;
    TLayerMouseMoveEvent OnMouseMove;
    TLayerMouseEvent OnMouseUp;
    TPaintLayerEvent OnPaint;

protected:
    // Another layer of the collection is about to be deleted.
    virtual void Notification(TCustomLayer* deleted) {}
    // The current mapping of the collection (identity when there is none).
    TViewMapping Mapping() const;

    std::uint32_t options_ = LOB_VISIBLE;

private:
    friend class TLayerCollection;
    TLayerCollection* collection_ = nullptr;
};

class TPositionedLayer : public TCustomLayer {
public:
    TPositionedLayer();

    TFloatRect Location() const { return location_; }
    virtual void SetLocation(const TFloatRect& r);
    bool Scaled() const { return scaled_; }
    virtual void SetScaled(bool on);
    // The location in view pixels (mapped through the collection's mapping
    // when Scaled).
    TFloatRect GetAdjustedLocation() const;
    // Inside [Left, Right) x [Top, Bottom) of the adjusted location.
    bool HitTest(int x, int y) const override;

protected:
    TFloatRect location_{0, 0, 64, 64};
    bool scaled_ = false;
};

class TBitmapLayer : public TPositionedLayer {
public:
    TBitmapLayer();
    ~TBitmapLayer() override;

    // The layer's bitmap; any change of it repaints the layer. Do not replace
    // its OnChange handler.
    TBitmap32& Bitmap() { return bitmap_; }
    const TBitmap32& Bitmap() const { return bitmap_; }
    // Copies size, pixels and drawing properties of another bitmap.
    void AssignBitmap(const TBitmap32& src) { bitmap_.Assign(src); }

    // When on, the layer is drawn only inside the image's area on the view.
    bool Cropped() const { return cropped_; }
    void SetCropped(bool on);

    // The bitmap stretched into the adjusted location (each edge rounded)
    // with the bitmap's StretchFilter, DrawMode and MasterAlpha, then the
    // paint handler (OnPaint) when there is one.
    void Paint(TBitmap32& buffer) override;

private:
    void PaintBitmap(TBitmap32& buffer);
    TBitmap32 bitmap_;
    bool cropped_ = false;
};

// Which part of a rubber band the mouse drags.
enum class TRBDragState { dsNone, dsMove, dsSizeL, dsSizeT, dsSizeR, dsSizeB, dsSizeTL, dsSizeTR, dsSizeBL, dsSizeBR };

class TRubberbandLayer : public TPositionedLayer {
public:
    // Called before each move or resize step with the location before the
    // step and the proposed new one, which the handler may change.
    using TRBResizingEvent = std::function<void(TRubberbandLayer* sender, const TFloatRect& oldLocation,
                                                TFloatRect& newLocation, TRBDragState dragState,
                                                TShiftState shift)>;

    TRubberbandLayer();

    // The framed layer; setting it copies the child's location and scaled flag.
    TPositionedLayer* ChildLayer() const { return child_; }
    void SetChildLayer(TPositionedLayer* child);
    // Moves and resizes the child with the frame.
    void SetLocation(const TFloatRect& r) override;
    void SetScaled(bool on) override;

    // Smallest size a resize leaves (layer units), 10 by default.
    float MinWidth = 10.0f;
    float MinHeight = 10.0f;
    // Handle squares: side 2*HandleSize+1 view pixels around each corner and
    // edge centre.
    int HandleSize = 3;
    TColor32 HandleFill = clWhite32;
    TColor32 HandleFrame = clBlack32;
    // Colours of the stippled frame line.
    std::vector<TColor32> FrameStipple{clWhite32, clWhite32, clBlack32, clBlack32};

    TRBResizingEvent OnResizing;
    // Called after every step of a drag that changed the location.
    std::function<void(TRubberbandLayer* sender)> OnUserChange;

    // The drag state a press at (x, y) would start (dsNone when outside).
    TRBDragState GetDragState(int x, int y) const;
    TRBDragState DragState() const { return dragState_; }
    bool IsDragging() const { return dragState_ != TRBDragState::dsNone; }

    void Paint(TBitmap32& buffer) override;
    // On the frame, a handle or inside the framed rectangle.
    bool HitTest(int x, int y) const override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

protected:
    void Notification(TCustomLayer* deleted) override;

private:
    void UpdateChildLayer();
    TPositionedLayer* child_ = nullptr;
    TRBDragState dragState_ = TRBDragState::dsNone;
    TFloatRect dragStartLocation_{};
    int dragStartX_ = 0, dragStartY_ = 0;
};

// A layer of a given native size placed at a position with a scaling, in
// image pixels when Scaled (through the view's mapping), else in view pixels.
class TTransformationLayer : public TCustomLayer {
public:
    TFloatPoint Position() const { return position_; }
    void SetPosition(TFloatPoint p);
    TFloatPoint Scaling() const { return scaling_; }
    void SetScaling(TFloatPoint s);
    bool Scaled() const { return scaled_; }
    void SetScaled(bool on);
    // Called after every change of position, scaling or the scaled flag.
    std::function<void()> OnChange;

    // Width and height in layer units; (1, 1) here.
    virtual TFloatPoint NativeSize() const { return {1.0f, 1.0f}; }
    // (pos.x, pos.y, (native width + pos.x) * scaling.x,
    //  (native height + pos.y) * scaling.y), then mapped to view pixels when
    // Scaled.
    TFloatRect GetAdjustedBounds() const;
    bool HitTest(int x, int y) const override;

protected:
    // Stores nothing itself: repaints and calls OnChange.
    void PropertyChanged();

private:
    TFloatPoint position_{0, 0};
    TFloatPoint scaling_{1, 1};
    bool scaled_ = false;
};

class TLayerCollection {
public:
    TLayerCollection() = default;
    ~TLayerCollection();
    TLayerCollection(const TLayerCollection&) = delete;
    TLayerCollection& operator=(const TLayerCollection&) = delete;

    int Count() const { return int(items_.size()); }
    TCustomLayer* Items(int index) const { return items_.at(std::size_t(index)); }
    TCustomLayer* operator[](int index) const { return Items(index); }
    int IndexOf(const TCustomLayer* layer) const;

    // Creates a layer of class T on top (Add) or at an index clamped to
    // 0 .. count (Insert), and returns it; the collection owns it.
    template <class T, class... Args>
    T* Add(Args&&... args) {
        return static_cast<T*>(Insert(Count(), std::make_unique<T>(std::forward<Args>(args)...)));
    }
    template <class T, class... Args>
    T* Insert(int index, Args&&... args) {
        return static_cast<T*>(Insert(index, std::make_unique<T>(std::forward<Args>(args)...)));
    }
    TCustomLayer* Add(std::unique_ptr<TCustomLayer> layer) { return Insert(Count(), std::move(layer)); }
    TCustomLayer* Insert(int index, std::unique_ptr<TCustomLayer> layer);
    // Frees the layer at the index (nothing when the index is out of range).
    void Delete(int index);
    // Takes the layer out of the stack and hands it to the caller, who may
    // insert it again later (none when it is not in this stack). Everybody is
    // told as for a deletion, so no reference to it stays behind.
    std::unique_ptr<TCustomLayer> Take(TCustomLayer* layer);
    // Frees every layer, the last first.
    void Clear();

    // Top-down hit test of the visible layers with LOB_MOUSE_EVENTS.
    TCustomLayer* FindLayerAtPos(int x, int y) const;

    // Draws every visible layer, index 0 first.
    void Paint(TBitmap32& buffer);

    // Mouse routing in view pixels: the press goes to the top layer under the
    // pointer, which captures the moves and the release. MouseDown returns
    // the layer that took the press (or none); MouseMove returns the layer
    // that received the move (the capturing layer, else the one under the
    // pointer).
    TCustomLayer* MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    TCustomLayer* MouseMove(TShiftState shift, int x, int y);
    TCustomLayer* MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    TCustomLayer* MouseCaptureLayer() const { return capture_; }

    // The mapping in force (set by the view; identity when none was set), and
    // the size of the image under the layers.
    const TViewMapping& Mapping() const { return mapping_; }
    void SetMapping(const TViewMapping& m) { mapping_ = m; }
    int ImageWidth() const { return imageWidth_; }
    int ImageHeight() const { return imageHeight_; }
    void SetImageSize(int w, int h) { imageWidth_ = w; imageHeight_ = h; }
    // The image's area in view pixels under the current mapping.
    TRect BitmapRect() const { return mapping_.BitmapRect(imageWidth_, imageHeight_); }
    // The view that owns the collection (none for a free collection).
    TImgView32* View() const { return view_; }
    void SetView(TImgView32* v) { view_ = v; }

    // Called when a layer asks for a repaint.
    std::function<void()> OnChange;
    // Called for each layer just before it leaves the collection to be freed.
    // A layer freed by Delete or Clear is still whole at that moment; one
    // freed with delete reports from its base destructor, so a handler should
    // only compare the pointer.
    std::function<void(TCustomLayer*)> OnLayerDeleting;
    // Called after a layer joined or left the collection, or moved in it.
    std::function<void()> OnListChanged;

    // Called by layers; repaints unless updates are suspended.
    void Changed();
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();

private:
    friend class TCustomLayer;
    void Extract(TCustomLayer* layer);
    void Move(TCustomLayer* layer, int newIndex);

    std::vector<TCustomLayer*> items_;
    TViewMapping mapping_{};
    int imageWidth_ = 0, imageHeight_ = 0;
    TImgView32* view_ = nullptr;
    TCustomLayer* capture_ = nullptr;
    int updateCount_ = 0;
    bool changedWhileLocked_ = false;
};

} // namespace ivra
