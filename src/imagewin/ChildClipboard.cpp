// The image window's clipboard: Copy puts the selected picture layer or the
// selection layer on the system clipboard as an image, Paste makes a picture layer of the clipboard's
// image; the selection tool's rectangle becomes the selection layer.

#include "imagewin/ChildWin.h"
#include "imagewin/ImageCommands.h"

#include "core/Error.h"
#include "core/raster/UpdateScope.h"
#include "engine/Drawing.h"
#include "imagewin/PictureLoader.h"
#include "services/Shell.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>
#include <QToolButton>

#include <algorithm>
#include <string>

namespace ivra {

TBitmapLayer* CopySource(const TMDIChild& w) {
    if (TBitmapLayer* selected = w.SelectedBitmapLayer()) return selected;
    return w.Document().SelectionLayer();
}

void CopySelection(TMDIChild& w) {
    // Nothing is made here: without a picture layer or a rectangle there is
    // nothing to copy (the command is disabled then).
    const TBitmapLayer* layer = CopySource(w);
    if (!layer) return;
    const TBitmap32& bmp = layer->Bitmap();
    if (bmp.Empty()) throw Error("The selection is empty: there is nothing to copy.");
    // One copy of the pixels, which the clipboard keeps (the platform
    // converts it only when another program asks for it).
    QGuiApplication::clipboard()->setImage(ToImage(bmp), QClipboard::Clipboard);
}

namespace {

// The clipboard's picture. An encoded one (PNG, BMP ... from another
// program) is decoded here, within the program's own pixel limit, checked
// before decoding; a picture that this program put there is taken as it is.
QImage ClipboardPicture(const QMimeData& data) {
    for (const QString& format : data.formats()) {
        if (!format.startsWith(QLatin1String("image/"))) continue;
        QByteArray bytes = data.data(format);
        if (bytes.isEmpty()) continue;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        if (!reader.canRead()) continue;
        return ReadPictureThroughQt(reader, "the picture on the clipboard");
    }
    if (!data.hasImage()) throw Error("The clipboard holds no picture.");
    const QImage picture = qvariant_cast<QImage>(data.imageData());
    if (picture.isNull()) throw Error("The picture on the clipboard cannot be read.");
    if (std::uint64_t(picture.width()) * std::uint64_t(picture.height()) > MaxBitmapPixels)
        throw Error("Cannot read the picture on the clipboard: the picture has more than " +
                    std::to_string(MaxBitmapPixels) + " pixels.");
    return picture;
}

} // namespace

void PasteFromClipboard(TShell& shell, TMDIChild& w) {
    // The mover is the tool in force, its button pressed.
    shell.SetMode(toolMover);
    if (QWidget* main = shell.Window())
        if (auto* b = main->findChild<QToolButton*>(QStringLiteral("btnTool%1").arg(toolMover))) b->setChecked(true);
    PasteAsLayer(w);
}

void PasteAsLayer(TMDIChild& w) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (!data) throw Error("The clipboard holds no picture.");
    const QImage picture = ClipboardPicture(*data);
    auto made = std::make_unique<TBitmapLayer>();
    AssignFromImage(made->Bitmap(), picture);
    made->Bitmap().ResetAlpha();
    w.AddCentredBitmapLayer(std::move(made));
}

void TMDIChild::CreateNewSelection(TPoint p1, TPoint p2) {
    const TPoint tl{std::min(p1.X, p2.X), std::min(p1.Y, p2.Y)};
    const TPoint br{std::max(p1.X, p2.X), std::max(p1.Y, p2.Y)};
    const int w = br.X - tl.X, h = br.Y - tl.Y;
    TBitmapLayer* layer = GetSelectionLayer();
    TBitmap32& bmp = layer->Bitmap();
    {
        // One change notification for the new size and contents.
        TUpdateScope update(bmp);
        bmp.SetSize(w, h);
        bmp.SetDrawMode(TDrawMode::dmBlend);
        bmp.Clear(clBlack32);
        // A plain copy of the image's pixels under the rectangle; the part
        // outside the image stays opaque black.
        const TBitmap32& img = document_->Bitmap();
        const int x0 = std::max(tl.X, 0), x1 = std::min(br.X, img.Width());
        const int y0 = std::max(tl.Y, 0), y1 = std::min(br.Y, img.Height());
        for (int y = y0; y < y1 && x0 < x1; ++y)
            std::copy_n(img.ScanLine(y) + x0, x1 - x0, bmp.ScanLine(y - tl.Y) + (x0 - tl.X));
    }
    bmp.Changed();
    // Exactly over the pixels it holds, also for an odd width or height.
    layer->SetLocation({float(tl.X), float(tl.Y), float(br.X), float(br.Y)});
    layer->SetScaled(true);
    layer->SetMouseEvents(true);
    layer->OnMouseDown = [this](TCustomLayer* l, TMouseButton b, TShiftState s, int x, int y) {
        LayerMouseDown(l, b, s, x, y);
    };
    SelectLayer(layer);
    UpdateRBLayer(layer);
}

} // namespace ivra
