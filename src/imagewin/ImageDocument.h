#pragma once
// TImageDocument: everything one image window shows and edits, and the unit
// of work of the image commands. It owns the image, the layer stack above it
// (with the view's overlay layers), the layers the commands keep track of
// (the selected layer, the selection layer, the rubber band, the grid and the
// text layer), the one-level undo snapshot, the modified flag, and its file: the name, the PNG filter set of the last PNG
// save, Save and Save As. The image window is its view: it shows the
// document, routes input to it and follows its signals.
//
// The image changes only through the document: a command hands it a change
// object (TImageChange) and the document takes the snapshot, runs the change
// and swaps the result in only when the change succeeded. Nobody else takes
// snapshots, and the image is read through Bitmap() const.
//
// Tracked layers are forgotten by the document itself when they leave the
// stack, however they leave it, so no reference to a freed layer remains.

#include "core/codecs/ImageFiles.h"
#include "core/raster/Bitmap32.h"
#include "core/raster/Samples16.h"
#include "engine/Layers.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QWidget;

namespace ivra {

class TDocumentFile;
class TShell;

// One change of the image, applied by TImageDocument::Apply. Made by one of
// the three functions below, which say how the new image is made; an edit or
// a transform runs on a worker thread while the program keeps painting.
class TImageChange {
public:
    enum class TKind {
        Edit,      // rewrites a copy of the image in place
        Transform, // reads the image and fills a result of its own size
        Compose,   // paints over the image as it shows (Flatten)
    };
    using TEdit = std::function<void(TBitmap32& image)>;
    using TTransform = std::function<void(const TBitmap32& image, TBitmap32& result)>;

    // `edit` runs on a copy of the image.
    static TImageChange Edit(TEdit edit) { return TImageChange(TKind::Edit, std::move(edit), {}); }
    // `transform` reads the image and fills `result` (sized by it), so no
    // copy of the image is made first (a conversion or a turn).
    static TImageChange Transform(TTransform transform) {
        return TImageChange(TKind::Transform, {}, std::move(transform));
    }
    // `paint` draws onto the image as it shows on the checkerboard's
    // stage: opaque images copied, others drawn over transparent black.
    static TImageChange Compose(TEdit paint) { return TImageChange(TKind::Compose, std::move(paint), {}); }

    TKind Kind() const { return kind_; }
    const TEdit& EditWork() const { return edit_; }
    const TTransform& TransformWork() const { return transform_; }

private:
    TImageChange(TKind kind, TEdit edit, TTransform transform)
        : kind_(kind), edit_(std::move(edit)), transform_(std::move(transform)) {}

    TKind kind_;
    TEdit edit_;
    TTransform transform_;
};

class TImageDocument : public QObject {
    Q_OBJECT
public:
    TImageDocument();
    ~TImageDocument() override;

    // ---- The image --------------------------------------------------------------
    const TBitmap32& Bitmap() const { return bitmap_; }
    TLayerCollection& Layers() { return layers_; }
    const TLayerCollection& Layers() const { return layers_; }

    // A blank image of the size filled with the colour: no layers, no
    // samples, no stated resolution; the name becomes "Untitled" whether or
    // not making the image succeeded (a failure then reaches the caller).
    void NewImage(int width, int height, TColor32 color);
    // The image of a file (decoded apart, so that a failure leaves the image
    // as it was, and the error reaches the caller). The layers go first.
    void Load(const QString& fileName);
    // A computed image (a channel of another image) becomes the image.
    void SetImage(TBitmap32&& image);
    // How the view draws the image when zoomed (not a change of the image).
    void SetStretchFilter(TStretchFilter filter);

    // Applies a change: the snapshot, the work, and the swap on success;
    // the view repaints. When the work fails the image stays exactly as it
    // was and the error reaches the caller. Peak memory: the image and its
    // result; the old snapshot's memory takes the result when it fits.
    void Apply(const TImageChange& change);
    // A picture layer's bitmap rewritten by `edit` on a copy, swapped in
    // whole on success. The layers have no undo of their own: the image's
    // snapshot is taken, as for a change of the image.
    void ApplyToLayer(TBitmapLayer& layer, const TImageChange::TEdit& edit);

    // ---- Undo (one level) -------------------------------------------------------
    bool CanUndo() const { return canUndo_; }
    // Puts the snapshot back into the image (nothing when Undo is not
    // available) and makes Undo unavailable until the next change.
    void Undo();
    const TBitmap32& UndoBitmap() const { return undo_; }

    // ---- Tracked layers (none while absent) -------------------------------------
    // The layer the user selected.
    TCustomLayer* Selection() const { return selection_; }
    void SetSelection(TCustomLayer* layer) { selection_ = layer; }
    // The clipboard's selection layer.
    TBitmapLayer* SelectionLayer() const { return selectionLayer_; }
    void SetSelectionLayer(TBitmapLayer* layer) { selectionLayer_ = layer; }
    // The selection frame.
    TRubberbandLayer* RBLayer() const { return rbLayer_; }
    void SetRBLayer(TRubberbandLayer* layer) { rbLayer_ = layer; }
    TCustomLayer* GridLayer() const { return gridLayer_; }
    void SetGridLayer(TCustomLayer* layer) { gridLayer_ = layer; }
    // The text tool's provisional layer.
    TBitmapLayer* TextLayer() const { return textLayer_; }
    void SetTextLayer(TBitmapLayer* layer) { textLayer_ = layer; }

    // Takes a layer out of the stack and hands it to the caller (none when
    // it is not in the stack), so that a command can put it back later.
    std::unique_ptr<TCustomLayer> RemoveLayer(TCustomLayer* layer);
    // Frees a tracked layer (nothing when it is absent).
    void DeleteLayer(TCustomLayer* layer) { RemoveLayer(layer); }
    // Frees every layer.
    void ClearLayers();

    // ---- Full-depth samples -----------------------------------------------------
    // The 16-bit samples of the file the image was opened from, kept beside
    // the bitmap, which is what the view shows and the commands change. The
    // first change of the pixels (a change, Undo) drops them for good: from
    // then on the bitmap is measured. None when absent, dropped or not of
    // the image's size.
    const TSamples16* FullDepthSamples() const;
    // The resolution the opened file states (none for a new image).
    const TStatedResolution& FileResolution() const { return fileResolution_; }

    // ---- The file ---------------------------------------------------------------
    // The image's file name: "Untitled" for a new image, empty for a
    // computed one (a channel window's). A name of 255 or
    // more characters throws "Too long file name. ..." and changes nothing.
    const QString& FileName() const { return fileName_; }
    void SetFileName(const QString& name);
    // PNG filter set chosen by the last PNG save.
    std::uint8_t PngFilter() const { return pngFilter_; }
    // Set by changes of the image, cleared by a save.
    bool Modified() const { return modified_; }
    void SetModified(bool modified);

    // The file flow (services/DocumentFile.h): JPEG, bitmap and PNG by the
    // name's extension; the status bar shows a long save. Questions are
    // asked over `parent`. False when nothing was written (or, for
    // QuerySave, when the operation that asked is to be abandoned).
    bool Save(TShell& shell, QWidget* parent);
    bool SaveAs(TShell& shell, QWidget* parent);
    bool QuerySave(TShell& shell, QWidget* parent);

    // Frees the snapshot (the window closes).
    void ReleaseMemory();

signals:
    // The image's pixels changed (a change, Undo, a new or loaded image).
    void Changed();
    // The image's width or height changed.
    void SizeChanged(int width, int height);
    // The modified flag changed.
    void ModifiedChanged(bool modified);
    // A layer joined or left the stack, or moved in it.
    void LayersChanged();
    // The file name changed.
    void FileNameChanged(const QString& name);
    // The selected layer is leaving the stack (before it is forgotten): the
    // window hides the rubber band and the panels that edit it.
    void SelectionLeaving();

private:
    // The view draws the image and the image window sizes it.
    friend class TMDIChild;
    TBitmap32& ViewBitmap() { return bitmap_; }

    void LayerLeaving(TCustomLayer* layer);
    void WorkingMemory(TBitmap32& work, int width, int height);
    void Run(const TImageChange& change, TBitmap32& work);
    // The work's result becomes the image and the old image the snapshot;
    // the signals follow.
    void SwapIn(TBitmap32& work);
    void TakeSnapshot();
    void ImageReplaced(int oldWidth, int oldHeight);
    void WriteFile(TShell& shell, QString& path);
    bool WithFile(TShell& shell, QWidget* parent, const std::function<bool(TDocumentFile&)>& flow);

    TBitmap32 bitmap_;
    TLayerCollection layers_;
    TBitmap32 undo_;
    bool canUndo_ = false;
    TSamples16 samples_;
    TStatedResolution fileResolution_;

    TCustomLayer* selection_ = nullptr;
    TBitmapLayer* selectionLayer_ = nullptr;
    TRubberbandLayer* rbLayer_ = nullptr;
    TCustomLayer* gridLayer_ = nullptr;
    TBitmapLayer* textLayer_ = nullptr;

    QString fileName_;  // none until the image is made or read
    std::uint8_t pngFilter_ = 1;
    bool modified_ = false;
};

} // namespace ivra
