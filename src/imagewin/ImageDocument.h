#pragma once
// TImageDocument: everything one image window shows and edits. It owns the
// image, the layer stack above it (with the view's overlay layers), the
// layers the commands keep track of (the selected layer, the selection
// layer, the rubber band, the grid and the text layer), the one-level undo
// snapshot, the filters' scratch bitmap and the modified flag. The image
// window is its view: it shows the document and routes input to it.
//
// Tracked layers are forgotten by the document itself when they leave the
// stack, however they leave it, so no reference to a freed layer remains.

#include "core/codecs/ImageFiles.h"
#include "core/raster/Bitmap32.h"
#include "core/raster/Samples16.h"
#include "engine/Layers.h"

#include <functional>
#include <memory>

namespace ivra {

class TImageDocument {
public:
    TImageDocument();
    ~TImageDocument();
    TImageDocument(const TImageDocument&) = delete;
    TImageDocument& operator=(const TImageDocument&) = delete;

    TBitmap32& Bitmap() { return bitmap_; }
    const TBitmap32& Bitmap() const { return bitmap_; }
    TLayerCollection& Layers() { return layers_; }

    // ---- Tracked layers (none while absent) ------------------------------
    TCustomLayer* Selection = nullptr;       // the layer the user selected
    TBitmapLayer* SelectionLayer = nullptr;  // the clipboard's selection layer
    TRubberbandLayer* RBLayer = nullptr;     // the selection frame
    TCustomLayer* GridLayer = nullptr;
    TBitmapLayer* TextLayer = nullptr;       // the text tool's provisional layer

    // Called for every layer that leaves the stack: forgets it. When it was
    // the selection, OnSelectionLeaving hears of it first (the window hides
    // the rubber band and the panels that edit it).
    void LayerLeaving(TCustomLayer* layer);
    std::function<void()> OnSelectionLeaving;
    // Takes a layer out of the stack and hands it to the caller (none when
    // it is not in the stack), so that a command can put it back later.
    std::unique_ptr<TCustomLayer> RemoveLayer(TCustomLayer* layer);
    // Frees a tracked layer (nothing when it is absent).
    void DeleteLayer(TCustomLayer* layer) { RemoveLayer(layer); }
    // Frees every layer.
    void ClearLayers();

    // ---- Undo -------------------------------------------------------------
    // Takes the snapshot: a full copy of the image (pixels, size, drawing
    // properties), replacing any earlier one, and makes Undo available.
    void AddUndoAction();
    bool CanUndo() const { return canUndo_; }
    // Puts the snapshot back into the image (nothing when Undo is not
    // available) and makes Undo unavailable until the next snapshot.
    void Undo();
    const TBitmap32& UndoBitmap() const { return undo_; }
    // Forgets the snapshot and its memory (the window closes).
    void DropUndo();

    // The one routine of the commands that rewrite the image: `change` runs
    // on a copy of the image (on a worker thread while the program keeps
    // painting); when it succeeds the copy becomes the image, the old image
    // becomes the undo snapshot (when `undoable`) and the view repaints.
    // When it fails the image is left exactly as it was and the error
    // reaches the caller. Peak memory: the image, the copy and the old
    // snapshot, which is freed as the new one takes its place.
    void ApplyImageChange(const std::function<void(TBitmap32& image)>& change, bool undoable = true);
    // The same for a change that writes its result apart from the image it
    // reads (a conversion or a turn): `transform` reads the image and fills
    // `result` (sized by it), so no copy of the image is made first.
    void ApplyImageTransform(const std::function<void(const TBitmap32& image, TBitmap32& result)>& transform,
                             bool undoable = true);

    // Flatten: the image composed with what `paint` draws over it, in one
    // step that takes the undo snapshot. `paint` draws onto a copy of the
    // image (the snapshot's old memory is reused when it has the image's
    // size); when it succeeds the copy becomes the image and the old image
    // the snapshot, without a further copy. When it fails the image is
    // unchanged and the snapshot holds it (as if it had been taken first).
    void ComposeWithUndo(const std::function<void(TBitmap32& composed)>& paint);

    // ---- Full-depth samples ----------------------------------------------------
    // The 16-bit samples of the file the image was opened from, kept beside
    // the bitmap, which is what the view shows and the commands change. The
    // first change of the pixels (a command, Flatten, Undo) drops them for
    // good: from then on the bitmap is measured.
    void SetSamples(TSamples16 samples) { samples_ = std::move(samples); }
    // The samples while they describe the image (none when absent, dropped
    // or not of the image's size).
    const TSamples16* FullDepthSamples() const;
    void DropSamples() { samples_.Clear(); }
    // The resolution the opened file states (none for a new image).
    TStatedResolution FileResolution;

    // Scratch bitmap of the filters.
    TBitmap32 WorkBitmap;
    // Set by changes of the image, cleared by Save; no command reads it.
    bool Modified = false;

private:
    void WorkingMemory(TBitmap32& work, bool undoable, int width, int height);
    void SwapIn(TBitmap32& work, bool undoable);
    void KeepAsUndo(TBitmap32& old);

    TBitmap32 bitmap_;
    TLayerCollection layers_;
    TBitmap32 undo_;
    bool canUndo_ = false;
    TSamples16 samples_;
};

} // namespace ivra
