#pragma once
// TMDIChild: the image window. One per open image, an MDI child of the main
// window. It shows its image document (TImageDocument: the image, the layers
// above it, the undo snapshot and the modified flag) in a layered zoomable
// view and routes the mouse over the view to the tool in force through the
// shell's tool registry. It reaches the main window only through the shell's
// narrow interface (services/Shell.h).

#include "core/raster/Bitmap32.h"
#include "engine/GridLayer.h"
#include "engine/ImgView32.h"
#include "engine/Layers.h"
#include "imagewin/ImageDocument.h"
#include "services/FileNames.h"

#include <QMdiSubWindow>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace ivra {

class TShell;

class TMDIChild : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit TMDIChild(TShell& shell, QWidget* parent = nullptr);
    ~TMDIChild() override;

    // ---- State ----------------------------------------------------------
    // What the window shows and edits.
    TImageDocument& Document() { return *document_; }
    // The shell the window works for.
    TShell& Shell() const { return shell_; }
    const TImageDocument& Document() const { return *document_; }
    // The view of the document's image and layers.
    TImgView32* ImgView = nullptr;
    // Asked before the window closes ("Save changes to %s?" when the image
    // is modified); false keeps it open.
    std::function<bool()> QuerySave;
    // The last mouse move over the view: shift state, view and image pixels.
    TShiftState LastShift = 0;
    TPoint LastBitmapPos;
    TPoint LastMousePos;
    // The bitmap's width and height as recorded at the last caption update
    // (the height as a top-down bitmap header gives it: negative).
    std::int32_t ImageSizeWidth = 0;
    std::int32_t ImageSizeHeight = 0;
    // Grid separation in image pixels.
    std::uint32_t GridSpacing = 50;

    // ---- Image ------------------------------------------------------------
    // The document's NewImage and Load, with the view fitted to the result
    // (scale 1.0, the selection cleared). On failure the error reaches the
    // caller and the window keeps its bitmap and caption.
    void NewImage(int width, int height, TColor32 color);
    void LoadImage(const QString& fileName);

    // The document's file name; "Untitled" for a new image. Setting a name
    // of 255 or more characters throws "Too long file name. ..." and changes
    // nothing; any other name is stored and the caption updated.
    QString ImageName() const { return document_->FileName(); }
    void SetImageName(const QString& name) { document_->SetFileName(name); }
    // Caption: file-name part of ImageName, two blanks, [WxH pixels]. It
    // follows later changes of the image's size.
    void UpdateCaption();

    // ---- Layers ------------------------------------------------------------
    // The selection layer at the bottom of the stack (made empty when absent;
    // CreateNewSelection fills it) and its removal.
    TBitmapLayer* GetSelectionLayer();
    void RemoveSelectionLayer();
    void RemoveGridLayer();
    // Remove the view's overlay layers; the next request makes fresh ones.
    void ClearMeasureLayer();
    void ClearAnimLayer();
    // Forgets the selection (the rubber band stays, hidden and detached).
    void ClearSelection();
    // The grid (made on top of the stack, visible, when absent: spacing
    // GridSpacing, main lines, scaled).
    TGridLayer* GetGridLayer();

    // ---- Layers (ChildLayers.cpp; the commands on them are in LayerCommands.cpp)
    // Makes a layer (or none) the selection: the rubber band frames it, the
    // floating panels hide, the bitmap panel takes its values, a magnifier
    // shows its panel.
    void SelectLayer(TCustomLayer* layer);
    // Mouse-down handler of the layers the commands create: selects it.
    void LayerMouseDown(TCustomLayer* layer, TMouseButton button, TShiftState shift, int x, int y);
    // The bitmap pixel at the centre of the viewport, and the location of a
    // w x h layer centred there (bitmap pixels).
    TPoint ViewCentre() const;
    TFloatRect CentredLocation(int w, int h) const;
    // A new 64 x 64 positioned layer on top, centred, scaled, selectable.
    TPositionedLayer* CreatePositionedLayer();
    // Puts a made picture layer on top at a location in bitmap pixels (blend
    // mode, scaled, selectable), selects it and shows the layer panel.
    TBitmapLayer* AddBitmapLayerAt(std::unique_ptr<TBitmapLayer> layer, const TFloatRect& location);
    // The same at the centre of the view, at the layer's own size.
    TBitmapLayer* AddCentredBitmapLayer(std::unique_ptr<TBitmapLayer> layer);
    // Resizing event of the rubber band: clamps to the image while the
    // selection tool is in force; with Ctrl, resizes about the old centre.
    void RubberBandResizing(TRubberbandLayer* sender, const TFloatRect& oldLocation, TFloatRect& newLocation,
                            TRBDragState dragState, TShiftState shift);
    // Paint handler of the magnifier layers.
    void DrawMagnifier(TCustomLayer* layer, TBitmap32& buffer);

    // The floating panels' values go to the selected bitmap layer; the
    // magnifier panel repaints the magnifiers.
    void LayerOpacityChange();
    void LayerInterpolateClick();
    void CroppedClick();
    void MagnChange();
    // The selected layer as a bitmap layer (none when it is not one).
    TBitmapLayer* SelectedBitmapLayer() const;

    // ---- Selection layer (ChildClipboard.cpp) ----------------------------------
    // The image's pixels between two corners (bitmap pixels, any order) into
    // the selection layer, framed by the rubber band.
    void CreateNewSelection(TPoint p1, TPoint p2);
    // The rubber band frames a layer without changing the selection.
    void UpdateRBLayer(TPositionedLayer* layer);

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
    // Press, move and release in view pixels: converted to image pixels and
    // handed to the tool in force (the shell's tool registry). Presses are
    // withheld when this is not the active image window, when no layer lies
    // under the pointer or when it is the selection frame (tag 100); after
    // every press the measuring overlay is made visible, after every move the
    // drawing overlay goes to the bottom of the stack and status panel 0
    // shows the image position.
    void ImgViewMouseDown(TMouseButton button, TShiftState shift, int x, int y, TCustomLayer* layer);
    void ImgViewMouseMove(TShiftState shift, int x, int y);
    void ImgViewMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    // The checkerboard background stage: 8 x 8 squares of light grey
    // (FFB0B0B0, at the top-left) and white (FFFFFFFF) in view pixels.
    static void PaintCheckerboard(TBitmap32& buffer);
    // Scroll-bar thickness 1 when the scaled image fits, else 12.
    void ImgViewResize();

    // The frame around the view (outer size minus view size).
    QSize FrameSize() const;
    // Sizes the window so that a bitmap of the given size shows whole at
    // 100 %, limited to the MDI area.
    void FitToImage(int width, int height);

signals:
    // The window is about to go (emitted from the destructor).
    void Destroying(TMDIChild* window);
    // The selected layer changed (Document().Selection()), also when the
    // selected layer left the stack.
    void SelectionChanged(TMDIChild* window);

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    // The caption UpdateCaption gives for the recorded size.
    QString SizeCaption() const;
    void WheelZoom(bool zoomIn);
    void ShowZoom();

    // The shell that made the window; it outlives it.
    TShell& shell_;
    std::unique_ptr<TImageDocument> document_;
    bool fitting_ = false;
};

// The tag of the selection frame's rubber-band layer.
constexpr int RubberBandLayerTag = 100;
// The tags of the text tool's provisional layer and of magnifier layers.
constexpr int TextLayerTag = 1;
constexpr int MagnifierLayerTag = 2;


} // namespace ivra
