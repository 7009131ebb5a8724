#pragma once
// TMDIChild: the image window. One per open image, an MDI child of the main
// window. It owns the image (the view's bitmap), the layered zoomable view
// that shows it, the layers above it and the state that ties them to the
// tools and commands, and its own menus, which the main window shows in its
// menu bar while this window is active.

#include "core/raster/Bitmap32.h"
#include "engine/ImgView32.h"
#include "engine/Layers.h"

#include <QList>
#include <QMdiSubWindow>
#include <QString>

#include <cstdint>
#include <memory>

class QMenu;

namespace ivra {

class TMDIChild : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit TMDIChild(QWidget* parent = nullptr);
    ~TMDIChild() override;

    // ---- State ----------------------------------------------------------
    // The view; ImgView->Bitmap() is the image.
    TImgView32* ImgView = nullptr;
    // The window's menus, merged into the main menu bar while it is active.
    QMenu* mnImage = nullptr;
    QMenu* mnEdit = nullptr;
    QMenu* mnFilters = nullptr;
    QMenu* mnLayers = nullptr;
    QMenu* mnSelection = nullptr;
    // PNG filter set chosen by the last PNG save.
    std::uint8_t PngFilter = 1;
    // The last mouse move over the view: shift state, view and image pixels.
    TShiftState LastShift = 0;
    TPoint LastBitmapPos;
    TPoint LastMousePos;
    // Scratch bitmap of the filters and the one-level undo snapshot.
    std::unique_ptr<TBitmap32> WorkBitmap;
    std::unique_ptr<TBitmap32> UndoBitmap;
    // Layers the window keeps track of; each is cleared when its layer goes.
    TBitmapLayer* SelectionLayer = nullptr;
    TRubberbandLayer* RBLayer = nullptr;
    TCustomLayer* GridLayer = nullptr;
    TBitmapLayer* TextLayer = nullptr;
    // Cleared by Save; no command reads it.
    bool Modified = false;
    // The bitmap's width and height as recorded at the last caption update
    // (the height as a top-down bitmap header gives it: negative).
    std::int32_t ImageSizeWidth = 0;
    std::int32_t ImageSizeHeight = 0;
    // The layer the user selected.
    TCustomLayer* Selection = nullptr;
    // Grid separation in image pixels.
    std::uint32_t GridSpacing = 50;

    // ---- Image ------------------------------------------------------------
    // A blank image of the size filled with the colour; the name becomes
    // "Untitled" whether or not making it succeeded.
    void NewImage(int width, int height, TColor32 color);
    // The image of a file. On failure the error reaches the caller and the
    // window keeps its bitmap and caption (its layers are gone, scale 1.0).
    void LoadImage(const QString& fileName);

    // The image's file name; "Untitled" for a new image. Setting a name of 255
    // or more characters throws "Too long file name. ..." and changes
    // nothing; any other name is stored and the caption updated.
    QString ImageName() const { return imageName_; }
    void SetImageName(const QString& name);
    // Caption: file-name part of ImageName, two blanks, [WxH pixels].
    void UpdateCaption();
    // The file-name part of a path (after the last '/', '\' or ':').
    static QString FileNamePart(const QString& path);

    // ---- Layers ------------------------------------------------------------
    // The screen-sized selection layer at the bottom of the stack (made when
    // absent) and its removal.
    TBitmapLayer* GetSelectionLayer();
    void RemoveSelectionLayer();
    void RemoveGridLayer();
    // Remove the view's overlay layers; the next request makes fresh ones.
    void ClearMeasureLayer();
    void ClearAnimLayer();
    // Forgets the selection (the rubber band stays, hidden and detached).
    void ClearSelection();

    // ---- Zoom and coordinates -----------------------------------------------
    float Scale() const { return ImgView->Scale(); }
    TPoint ControlToBitmap(TPoint p) const { return ImgView->ControlToBitmap(p); }
    TPoint BitmapToControl(TPoint q) const { return ImgView->BitmapToControl(q); }
    TFixedPoint BitmapToControlFP(TFixedPoint q) const { return ImgView->BitmapToControlFP(q); }
    // Wheel away from the user: zoom out by 1.1; towards: zoom in.
    void ImgViewMouseWheelUp();
    void ImgViewMouseWheelDown();
    // The zoom tool: left doubles (up to 3200 %), right halves (down to
    // 3.125 %), centring the view on the bitmap point.
    void ZoomToolDown(TMouseButton button, TPoint bitmapPos);
    // Replays the last mouse move, so that the read-outs follow a new zoom.
    void UpdateWindow();

    // ---- View events ----------------------------------------------------------
    // Press and move in view pixels: converted to image pixels and routed to
    // the tool in force through the main window's tool router.
    void ImgViewMouseDown(TMouseButton button, TShiftState shift, int x, int y, TCustomLayer* layer);
    void ImgViewMouseMove(TShiftState shift, int x, int y);
    // The checkerboard background stage: 8 x 8 squares of light grey
    // (FFB0B0B0, at the top-left) and white (FFFFFFFF) in view pixels.
    static void PaintCheckerboard(TBitmap32& buffer);
    // Scroll-bar thickness 1 when the scaled image fits, else 12.
    void ImgViewResize();

    // The window's menus that have something to show, in menu-bar order.
    QList<QMenu*> MergedMenus() const;

    // The frame around the view (outer size minus view size).
    QSize FrameSize() const;
    // Sizes the window so that a bitmap of the given size shows whole at
    // 100 %, limited to the MDI area.
    void FitToImage(int width, int height);

signals:
    // The window is about to go (emitted from the destructor).
    void Destroying(TMDIChild* window);

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void LayerDeleting(TCustomLayer* layer);
    void WheelZoom(bool zoomIn);

    QString imageName_;
    bool fitting_ = false;
};

} // namespace ivra
