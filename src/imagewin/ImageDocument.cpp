#include "imagewin/ImageDocument.h"

#include "services/Busy.h"

#include <cstring>

namespace ivra {

TImageDocument::TImageDocument() {
    layers_.OnLayerDeleting = [this](TCustomLayer* layer) { LayerLeaving(layer); };
}

TImageDocument::~TImageDocument() {
    // The stack reports every layer it frees; nothing needs to hear of them now.
    layers_.OnLayerDeleting = nullptr;
    Selection = nullptr;
    SelectionLayer = nullptr;
    RBLayer = nullptr;
    GridLayer = nullptr;
    TextLayer = nullptr;
    layers_.Clear();
}

void TImageDocument::LayerLeaving(TCustomLayer* layer) {
    if (layer && layer == Selection && OnSelectionLeaving) OnSelectionLeaving();
    if (layer == SelectionLayer) SelectionLayer = nullptr;
    if (layer == RBLayer) RBLayer = nullptr;
    if (layer == GridLayer) GridLayer = nullptr;
    if (layer == TextLayer) TextLayer = nullptr;
    if (layer == Selection) Selection = nullptr;
}

std::unique_ptr<TCustomLayer> TImageDocument::RemoveLayer(TCustomLayer* layer) {
    if (!layer) return nullptr;
    return layers_.Take(layer);
}

void TImageDocument::ClearLayers() { layers_.Clear(); }

void TImageDocument::AddUndoAction() {
    undo_.Assign(bitmap_);
    canUndo_ = true;
}

const TSamples16* TImageDocument::FullDepthSamples() const {
    if (samples_.Empty() || samples_.Width != bitmap_.Width() || samples_.Height != bitmap_.Height()) return nullptr;
    return &samples_;
}

void TImageDocument::Undo() {
    if (!canUndo_) return;
    DropSamples();
    bitmap_.Assign(undo_);
    canUndo_ = false;
    Modified = true;
}

void TImageDocument::DropUndo() {
    TBitmap32 none;
    undo_.SwapPixels(none);
    canUndo_ = false;
}

void TImageDocument::WorkingMemory(TBitmap32& work, bool undoable, int width, int height) {
    // The snapshot is about to be replaced: its memory, already paged in,
    // takes the result, so a command costs no fresh allocation. Should the
    // change fail, the image stays as it was, but the older snapshot is gone.
    // The pixel count decides, not the shape: after a quarter turn the
    // snapshot has the shape the next quarter turn makes.
    if (undoable && canUndo_ && undo_.PixelCount() == std::size_t(width) * std::size_t(height)) {
        work.SwapPixels(undo_);
        canUndo_ = false;
    }
}

void TImageDocument::ApplyImageChange(const std::function<void(TBitmap32&)>& change, bool undoable) {
    TBitmap32 work;
    WorkingMemory(work, undoable, bitmap_.Width(), bitmap_.Height());
    work.Assign(bitmap_);
    RunBusy([&] { change(work); });
    SwapIn(work, undoable);
}

void TImageDocument::ApplyImageTransform(const std::function<void(const TBitmap32&, TBitmap32&)>& transform,
                                         bool undoable) {
    TBitmap32 work;
    WorkingMemory(work, undoable, bitmap_.Width(), bitmap_.Height());
    RunBusy([&] { transform(bitmap_, work); });
    SwapIn(work, undoable);
}

void TImageDocument::SwapIn(TBitmap32& work, bool undoable) {
    // Swapped in whole: the image never shows a half-done change. The image
    // keeps its drawing properties.
    bitmap_.SwapPixels(work);
    bitmap_.Changed();
    DropSamples();
    Modified = true;
    if (!undoable) return;
    KeepAsUndo(work);
}

void TImageDocument::KeepAsUndo(TBitmap32& old) {
    // old holds the previous image; it takes the image's drawing properties.
    undo_.SwapPixels(old);
    undo_.SetDrawMode(bitmap_.DrawMode());
    undo_.SetMasterAlpha(bitmap_.MasterAlpha());
    undo_.SetOuterColor(bitmap_.OuterColor());
    undo_.SetStretchFilter(bitmap_.StretchFilter());
    canUndo_ = true;
}

void TImageDocument::ComposeWithUndo(const std::function<void(TBitmap32&)>& paint) {
    TBitmap32 work;
    const int w = bitmap_.Width(), h = bitmap_.Height();
    // The snapshot's memory is about to be replaced: reuse it when it fits.
    if (undo_.Width() == w && undo_.Height() == h && !undo_.Empty()) work.SwapPixels(undo_);
    try {
        work.SetSize(w, h);
        if (!bitmap_.Empty()) {
            if (bitmap_.DrawMode() == TDrawMode::dmOpaque) {
                std::memcpy(work.Bits(), bitmap_.Bits(), bitmap_.PixelCount() * sizeof(TColor32));
            } else {
                work.Clear(0);
                bitmap_.DrawTo(work, 0, 0);
            }
        }
        paint(work);
    } catch (...) {
        // As when the snapshot had been taken first: the image is unchanged
        // and the snapshot holds it.
        TBitmap32 none;
        work.SwapPixels(none);
        AddUndoAction();
        throw;
    }
    bitmap_.SwapPixels(work);
    bitmap_.Changed();
    DropSamples();
    Modified = true;
    KeepAsUndo(work);
}

} // namespace ivra
