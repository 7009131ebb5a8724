#pragma once
// TImgView32: the scrollable, zoomable, layered image view.
//
// The viewport keeps a back buffer (a TBitmap32 of the viewport's size). A
// repaint runs the paint stages in order into the buffer (by default: clear
// the background, draw the bitmap, draw the layers) and blits the buffer to
// the screen in one go. Only the visible part of the image is touched, so the
// cost grows with the window, not with the image.
//
// Coordinates: view (control) pixels are viewport pixels, (0, 0) at the
// viewport's top-left corner. The bitmap-to-view mapping (TViewMapping) is
// Scale plus the offset from scrolling and centring.

#include "core/raster/Bitmap32.h"
#include "engine/Layers.h"
#include "engine/ViewMapping.h"

#include <QAbstractScrollArea>
#include <QSize>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace ivra {

// Paint stage kinds.
constexpr int PST_CUSTOM = 1;         // calls OnPaintStage(buffer, stage number)
constexpr int PST_CLEAR_BUFFER = 2;   // fills the whole buffer with the background colour
constexpr int PST_CLEAR_BACKGND = 3;  // fills what the image does not cover opaquely
constexpr int PST_DRAW_BITMAP = 4;    // the scaled image, visible part only
constexpr int PST_DRAW_LAYERS = 5;    // the visible layers, index 0 first
constexpr int PST_CONTROL_FRAME = 6;  // 1-pixel frame around the viewport
constexpr int PST_BITMAP_FRAME = 7;   // 1-pixel frame around the image

struct TPaintStage {
    int Stage = PST_CUSTOM;
    std::uint32_t Parameter = 0;
    friend bool operator==(const TPaintStage&, const TPaintStage&) = default;
};

class TImgView32 : public QAbstractScrollArea {
    Q_OBJECT
public:
    using TPaintStageEvent = std::function<void(TImgView32* sender, TBitmap32& buffer, int stageNum)>;
    using TImgMouseEvent = std::function<void(TImgView32* sender, TMouseButton button, TShiftState shift,
                                              int x, int y, TCustomLayer* layer)>;
    using TImgMouseMoveEvent =
        std::function<void(TImgView32* sender, TShiftState shift, int x, int y, TCustomLayer* layer)>;
    // handled starts true; a handler that sets it to false lets the view
    // scroll by the wheel as well.
    using TMouseWheelEvent =
        std::function<void(TImgView32* sender, TShiftState shift, TPoint mousePos, bool& handled)>;
    using TNotifyEvent = std::function<void(TImgView32* sender)>;

    // A view with an image and a layer stack of its own.
    explicit TImgView32(QWidget* parent = nullptr);
    // A view of an image and layer stack that another object owns (an image
    // document); they must outlive the view, which leaves them in place.
    TImgView32(QWidget* parent, TBitmap32& bitmap, TLayerCollection& layers);
    ~TImgView32() override;

    // The image. Its changes repaint the view; its resizes recompute the
    // layout. Do not replace its OnChange / OnResize handlers.
    TBitmap32& Bitmap() { return bitmap_; }
    const TBitmap32& Bitmap() const { return bitmap_; }
    TLayerCollection& Layers() { return layers_; }
    const TLayerCollection& Layers() const { return layers_; }
    // The ordered list of paint stages; edit it freely, then Invalidate.
    std::vector<TPaintStage>& PaintStages() { return stages_; }
    const std::vector<TPaintStage>& PaintStages() const { return stages_; }
    // The back buffer (viewport-sized) as last painted.
    TBitmap32& Buffer() { return buffer_; }

    // Zoom factor. Values below 0.001 become 0.001 (NaN is ignored); setting
    // the current value does nothing; otherwise the layout is recomputed
    // (the bitmap point at the viewport's centre stays there) and the view
    // repainted.
    float Scale() const { return scale_; }
    void SetScale(float scale);
    // When on (the default), an image smaller than the viewport is centred
    // in it; otherwise it sits at the top-left corner.
    bool Centered() const { return centered_; }
    void SetCentered(bool on);
    // Scroll-bar thickness: 0 is the system default, a positive value that
    // many pixels, a negative value no room at all. The bars show only while
    // the scaled image does not fit.
    int ScrollBarSize() const { return scrollBarSize_; }
    void SetScrollBarSize(int size);
    // Kept for the window's set-up; the view draws no size grip.
    bool SizeGrip() const { return sizeGrip_; }
    void SetSizeGrip(bool on) { sizeGrip_ = on; }
    // Colour of the clear stages (default: opaque mid gray).
    TColor32 BackgroundColor() const { return background_; }
    void SetBackgroundColor(TColor32 c);

    // The client area less the scroll bars, in view pixels ((0, 0) based).
    TRect GetViewportRect() const;
    // Where the scaled image lies in view pixels; empty for an empty bitmap.
    TRect GetBitmapRect() const;
    // The mapping in force on the screen.
    TViewMapping Mapping() const;

    // Round((P - bitmap rect origin) / Scale), halves to even.
    TPoint ControlToBitmap(TPoint p) const { return Mapping().ControlToBitmap(p); }
    TPoint ControlToBitmap(int x, int y) const { return ControlToBitmap(TPoint{x, y}); }
    // The same quotient truncated toward zero.
    TPoint ControlToBitmapTrunc(TPoint p) const { return Mapping().ControlToBitmapTrunc(p); }
    // Round(Q * Scale + bitmap rect origin), halves to even.
    TPoint BitmapToControl(TPoint q) const { return Mapping().BitmapToControl(q); }
    TPoint BitmapToControl(int x, int y) const { return BitmapToControl(TPoint{x, y}); }
    TFixedPoint BitmapToControlFP(TFixedPoint q) const { return Mapping().BitmapToControlFP(q); }

    // Sizes the bitmap to the viewport, optionally clearing it to a colour.
    void SetupBitmap(bool doClear = false, TColor32 clearColor = clBlack32);
    // Scroll position (the scroll bars' values) in view pixels.
    TPoint ScrollPosition() const;
    void SetScrollPosition(int x, int y);
    void Scroll(int dx, int dy);
    // Scrolls so that the bitmap point lies at the viewport's centre:
    // position := point * Scale - viewport size / 2, limited to the range.
    void ScrollToCenter(int x, int y);

    // Renders the image and every visible layer into dst, the image stretched
    // into dstRect (scale dstRect width / bitmap width; identity for a rect of
    // the image's size at (0, 0)). Flatten and printing use it.
    void PaintTo(TBitmap32& dst, const TRect& dstRect);
    // Runs the paint stages into the back buffer (a repaint without the blit).
    void PaintBuffer();

    // Repaint soon; repaint now.
    void Invalidate();
    void Repaint();
    // Recomputes scroll ranges and the mapping, then calls OnResize.
    void RecomputeLayout();

    // Overlay slots. Get* makes the layer when the slot is empty and inserts
    // it at index 0; Remove* deletes it and empties the slot; the plain
    // getters return it or none.
    // MeasureLayer: screen-sized, blend mode, at (0, 0, screen w, screen h),
    // not scaled (view pixels). AnimLayer: image-sized, blend mode, at
    // (0, 0, image w, image h), scaled (image pixels). Both start fully
    // transparent, visible and with mouse events.
    TBitmapLayer* MeasureLayer() const { return measureLayer_; }
    TBitmapLayer* AnimLayer() const { return animLayer_; }
    TBitmapLayer* GetMeasureLayer();
    TBitmapLayer* GetAnimLayer();
    void RemoveMeasureLayer();
    void RemoveAnimLayer();
    // The size of the primary screen (the measure layer's size).
    static QSize ScreenSize();

    // Events.
    TPaintStageEvent OnPaintStage;
    TImgMouseEvent OnMouseDown;
    TImgMouseMoveEvent OnMouseMove;
    TImgMouseEvent OnMouseUp;
    TMouseWheelEvent OnMouseWheelUp;
    TMouseWheelEvent OnMouseWheelDown;
    TNotifyEvent OnResize;
    TNotifyEvent OnScroll;
    // Every layer about to be freed (after the view emptied its own slots);
    // compare the pointer only (see TLayerCollection::OnLayerDeleting). Not
    // called for the layers the view frees when it is destroyed itself.
    std::function<void(TCustomLayer* layer)> OnLayerDeleting;

    // Shift state of a Qt event's modifiers and buttons.
    static TShiftState ShiftStateOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    QSize viewportSizeHint() const override;

private:
    void UpdateScrollRanges();
    void UpdateMappingOfLayers();
    void RunStages(TBitmap32& target, const TViewMapping& m, bool toScreen);
    void PaintBitmapStage(TBitmap32& target, const TViewMapping& m);
    void ClearBackgroundStage(TBitmap32& target, const TRect& bitmapRect);
    void LayerDeleting(TCustomLayer* layer);
    void UpdateCursor(TCustomLayer* layer);
    int ScaledWidth() const;
    int ScaledHeight() const;

    TImgView32(QWidget* parent, TBitmap32* bitmap, TLayerCollection* layers);

    // Storage for a view that owns its image and stack; empty otherwise.
    std::unique_ptr<TBitmap32> ownBitmap_;
    std::unique_ptr<TLayerCollection> ownLayers_;
    TBitmap32& bitmap_;
    TLayerCollection& layers_;
    TBitmap32 buffer_;
    std::function<void(TCustomLayer*)> outerLayerDeleting_;
    std::vector<TPaintStage> stages_;
    float scale_ = 1.0f;
    bool centered_ = true;
    int scrollBarSize_ = 0;
    bool sizeGrip_ = false;
    TColor32 background_ = 0xFF808080u;
    TBitmapLayer* measureLayer_ = nullptr;
    TBitmapLayer* animLayer_ = nullptr;
    int wheelAccum_ = 0;
    bool inLayout_ = false;
    bool layoutAgain_ = false;
};

} // namespace ivra
