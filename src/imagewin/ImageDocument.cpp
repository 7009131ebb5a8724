#include "imagewin/ImageDocument.h"

#include "core/Error.h"
#include "imagewin/PictureLoader.h"
#include "services/Busy.h"
#include "services/DocumentFile.h"
#include "services/FileNames.h"
#include "services/Progress.h"

#include <QFile>

#include <cstring>
#include <exception>

namespace ivra {

TImageDocument::TImageDocument() {
    layers_.OnLayerDeleting = [this](TCustomLayer* layer) { LayerLeaving(layer); };
    layers_.OnListChanged = [this] { emit LayersChanged(); };
}

TImageDocument::~TImageDocument() {
    // The stack reports every layer it frees; nothing needs to hear of them now.
    layers_.OnLayerDeleting = nullptr;
    layers_.OnListChanged = nullptr;
    selection_ = nullptr;
    selectionLayer_ = nullptr;
    rbLayer_ = nullptr;
    gridLayer_ = nullptr;
    textLayer_ = nullptr;
    layers_.Clear();
}

// ---- The image ---------------------------------------------------------------------

void TImageDocument::NewImage(int width, int height, TColor32 color) {
    const int oldWidth = bitmap_.Width(), oldHeight = bitmap_.Height();
    std::exception_ptr failure;
    try {
        ClearLayers();
        samples_.Clear();
        fileResolution_ = {};
        bitmap_.SetSize(width, height);
        bitmap_.Clear(color);
    } catch (...) {
        failure = std::current_exception();
    }
    SetFileName(TDocumentFile::Untitled);
    ImageReplaced(oldWidth, oldHeight);
    if (failure) std::rethrow_exception(failure);
}

void TImageDocument::Load(const QString& fileName) {
    ClearLayers();
    // Decoded apart, so that a failed load leaves the image as it was.
    TBitmap32 loaded;
    TImageFileDetails details;
    RunBusy([&] { LoadPicture(fileName, loaded, &details); });
    const int oldWidth = bitmap_.Width(), oldHeight = bitmap_.Height();
    bitmap_.SwapPixels(loaded);
    samples_ = std::move(details.Samples);
    fileResolution_ = details.Resolution;
    SetFileName(fileName.left(255));
    ImageReplaced(oldWidth, oldHeight);
}

void TImageDocument::SetImage(TBitmap32&& image) {
    const int oldWidth = bitmap_.Width(), oldHeight = bitmap_.Height();
    bitmap_.SwapPixels(image);
    samples_.Clear();
    ImageReplaced(oldWidth, oldHeight);
}

void TImageDocument::SetStretchFilter(TStretchFilter filter) {
    bitmap_.SetStretchFilter(filter);
    bitmap_.Changed();
}

void TImageDocument::ImageReplaced(int oldWidth, int oldHeight) {
    bitmap_.Changed();
    emit Changed();
    if (bitmap_.Width() != oldWidth || bitmap_.Height() != oldHeight)
        emit SizeChanged(bitmap_.Width(), bitmap_.Height());
}

// ---- Changes -----------------------------------------------------------------------

void TImageDocument::WorkingMemory(TBitmap32& work, int width, int height) {
    // The snapshot is about to be replaced: its memory, already paged in,
    // takes the result, so a change costs no fresh allocation. The pixel
    // count decides, not the shape: after a quarter turn the snapshot has
    // the shape the next quarter turn makes.
    if (!undo_.Empty() && undo_.PixelCount() == std::size_t(width) * std::size_t(height)) {
        work.SwapPixels(undo_);
        canUndo_ = false;
    }
}

void TImageDocument::Run(const TImageChange& change, TBitmap32& work) {
    switch (change.Kind()) {
    case TImageChange::TKind::Edit:
        work.Assign(bitmap_);
        RunBusy([&] { change.EditWork()(work); });
        break;
    case TImageChange::TKind::Transform:
        RunBusy([&] { change.TransformWork()(bitmap_, work); });
        break;
    case TImageChange::TKind::Compose:
        // Painting layers is the view's work: it stays on this thread.
        work.SetSize(bitmap_.Width(), bitmap_.Height());
        if (!bitmap_.Empty()) {
            if (bitmap_.DrawMode() == TDrawMode::dmOpaque) {
                std::memcpy(work.Bits(), bitmap_.Bits(), bitmap_.PixelCount() * sizeof(TColor32));
            } else {
                work.Clear(0);
                bitmap_.DrawTo(work, 0, 0);
            }
        }
        change.EditWork()(work);
        break;
    }
}

void TImageDocument::Apply(const TImageChange& change) {
    TBitmap32 work;
    WorkingMemory(work, bitmap_.Width(), bitmap_.Height());
    try {
        Run(change, work);
    } catch (...) {
        // The image stays as it was. When the snapshot's memory went to the
        // work, no Undo offers a half-written picture; Flatten's snapshot
        // then holds the image, as if it had been taken before composing.
        TBitmap32 none;
        work.SwapPixels(none);
        if (change.Kind() == TImageChange::TKind::Compose) TakeSnapshot();
        throw;
    }
    SwapIn(work);
}

void TImageDocument::SwapIn(TBitmap32& work) {
    // Swapped in whole: the image never shows a half-done change. The image
    // keeps its drawing properties.
    const int oldWidth = bitmap_.Width(), oldHeight = bitmap_.Height();
    bitmap_.SwapPixels(work);
    samples_.Clear();
    // work holds the previous image, the new snapshot; it takes the image's
    // drawing properties.
    undo_.SwapPixels(work);
    undo_.SetDrawMode(bitmap_.DrawMode());
    undo_.SetMasterAlpha(bitmap_.MasterAlpha());
    undo_.SetOuterColor(bitmap_.OuterColor());
    undo_.SetStretchFilter(bitmap_.StretchFilter());
    canUndo_ = true;
    SetModified(true);
    ImageReplaced(oldWidth, oldHeight);
}

void TImageDocument::ApplyToLayer(TBitmapLayer& layer, const TImageChange::TEdit& edit) {
    TakeSnapshot();
    TBitmap32 work;
    work.Assign(layer.Bitmap());
    RunBusy([&] { edit(work); });
    // Swapped in whole, with the layer bitmap's own drawing properties.
    layer.Bitmap().SwapPixels(work);
    layer.Changed();
}

void TImageDocument::TakeSnapshot() {
    undo_.Assign(bitmap_);
    canUndo_ = true;
}

void TImageDocument::Undo() {
    if (!canUndo_) return;
    const int oldWidth = bitmap_.Width(), oldHeight = bitmap_.Height();
    samples_.Clear();
    bitmap_.Assign(undo_);
    canUndo_ = false;
    SetModified(true);
    ImageReplaced(oldWidth, oldHeight);
}

void TImageDocument::ReleaseMemory() {
    TBitmap32 none;
    undo_.SwapPixels(none);
    canUndo_ = false;
}

// ---- Layers ------------------------------------------------------------------------

void TImageDocument::LayerLeaving(TCustomLayer* layer) {
    if (layer && layer == selection_) emit SelectionLeaving();
    if (layer == selectionLayer_) selectionLayer_ = nullptr;
    if (layer == rbLayer_) rbLayer_ = nullptr;
    if (layer == gridLayer_) gridLayer_ = nullptr;
    if (layer == textLayer_) textLayer_ = nullptr;
    if (layer == selection_) selection_ = nullptr;
}

std::unique_ptr<TCustomLayer> TImageDocument::RemoveLayer(TCustomLayer* layer) {
    if (!layer) return nullptr;
    return layers_.Take(layer);
}

void TImageDocument::ClearLayers() { layers_.Clear(); }

const TSamples16* TImageDocument::FullDepthSamples() const {
    if (samples_.Empty() || samples_.Width != bitmap_.Width() || samples_.Height != bitmap_.Height()) return nullptr;
    return &samples_;
}

// ---- The file ----------------------------------------------------------------------

void TImageDocument::SetFileName(const QString& name) {
    if (name.size() >= 255) throw Error("Too long file name. Should be less than 255 charactes long.");
    fileName_ = name;
    emit FileNameChanged(fileName_);
}

void TImageDocument::SetModified(bool modified) {
    if (modified_ == modified) return;
    modified_ = modified;
    emit ModifiedChanged(modified_);
}

void TImageDocument::WriteFile(TShell& shell, QString& path) {
    // Save As names the document before it writes: a failed write keeps the
    // new name (too long a name stops here, before anything is written).
    SetFileName(path.left(255));
    const std::string native = QFile::encodeName(fileName_).toStdString();
    std::uint8_t filter = pngFilter_;
    std::string written;
    // A large PNG takes seconds (five filter trials, then the file): the
    // status bar shows the save and its seconds after a second, and the
    // windows go on painting; clicks meanwhile wait for the end of the save.
    RunWithProgress(shell, QStringLiteral("Saving %1").arg(FileNamePart(fileName_)),
                    [&] { RunBusy([&] { written = SaveImageFile(bitmap_, native, filter); }); });
    pngFilter_ = filter;
    // The PNG writer names the file with ".png" (x.PNG is saved as x.png).
    path = QFile::decodeName(written.c_str());
    if (path != fileName_) SetFileName(path);
}

namespace {

// The document's file flow: JPEG, bitmap and PNG, by the name's extension;
// a name of another extension is refused.
TDocumentFile ImageFile(QWidget* parent, const std::function<void(QString&)>& write) {
    return TDocumentFile(parent, {
                                     {QStringLiteral("JPEG Image File (*.jpg)"), {QStringLiteral("jpg"), QStringLiteral("jpeg")}, write},
                                     {QStringLiteral("Bitmaps (*.bmp)"), {QStringLiteral("bmp")}, write},
                                     {QStringLiteral("Portable Network Graphics (*.png)"), {QStringLiteral("png")}, write},
                                 });
}

} // namespace

bool TImageDocument::Save(TShell& shell, QWidget* parent) {
    return WithFile(shell, parent, [](TDocumentFile& file) { return file.Save(); });
}

bool TImageDocument::SaveAs(TShell& shell, QWidget* parent) {
    return WithFile(shell, parent, [](TDocumentFile& file) { return file.SaveAs(); });
}

bool TImageDocument::QuerySave(TShell& shell, QWidget* parent) {
    return WithFile(shell, parent, [](TDocumentFile& file) { return file.QuerySave(); });
}

bool TImageDocument::WithFile(TShell& shell, QWidget* parent, const std::function<bool(TDocumentFile&)>& flow) {
    TDocumentFile file = ImageFile(parent, [this, &shell](QString& path) { WriteFile(shell, path); });
    file.RequireTypeExtension = true;
    file.IsModified = [this] { return modified_; };
    file.Saved = [this] { SetModified(false); };
    if (fileName_ != TDocumentFile::Untitled && !fileName_.isEmpty()) file.SetFileName(fileName_);
    return flow(file);
}

} // namespace ivra
