#include "imagewin/ChildWin.h"

#include "app/Busy.h"
#include "app/CommandGuard.h"
#include "app/MainForm.h"
#include "core/Error.h"
#include "imagewin/PictureLoader.h"
#include "imagewin/SharedPolygons.h"

#include <QCloseEvent>
#include <QLayout>
#include <QMdiArea>
#include <QMenu>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>

namespace ivra {

namespace {

// The client size of a window that has no image yet.
constexpr int DesignClientWidth = 897;
constexpr int DesignClientHeight = 638;

// The checkerboard's colours: A white, B light grey.
constexpr TColor32 CheckerA = 0xFFFFFFFFu;
constexpr TColor32 CheckerB = 0xFFB0B0B0u;

QMenu* MakeMenu(const QString& title, const char* name, QWidget* parent) {
    auto* m = new QMenu(title, parent);
    m->setObjectName(QLatin1String(name));
    return m;
}

} // namespace

TMDIChild::TMDIChild(QWidget* parent) : QMdiSubWindow(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("MDIChild"));
    setWindowTitle(QStringLiteral("Image"));

    ImgView = new TImgView32(this);
    ImgView->setObjectName(QStringLiteral("ImgView"));
    ImgView->setFrameShape(QFrame::NoFrame);
    ImgView->setFocusPolicy(Qt::StrongFocus);
    ImgView->SetSizeGrip(false);
    ImgView->SetScrollBarSize(-1);
    ImgView->SetScale(1.0f);
    setWidget(ImgView);

    mnImage = MakeMenu(QStringLiteral("&Image"), "mnImage", this);
    mnEdit = MakeMenu(QStringLiteral("&Edit"), "mnEdit", this);
    mnFilters = MakeMenu(QStringLiteral("Filters"), "mnFilters", this);
    mnLayers = MakeMenu(QStringLiteral("Layers"), "mnLayers", this);
    mnSelection = MakeMenu(QStringLiteral("Selection"), "mnSelection", this);

    // 1. The background stage becomes the checkerboard.
    auto& stages = ImgView->PaintStages();
    if (!stages.empty() && stages.front().Stage == PST_CLEAR_BACKGND) stages.front().Stage = PST_CUSTOM;
    ImgView->OnPaintStage = [](TImgView32*, TBitmap32& buffer, int) { PaintCheckerboard(buffer); };
    ImgView->OnResize = [this](TImgView32*) { ImgViewResize(); };
    ImgView->OnLayerDeleting = [this](TCustomLayer* layer) { LayerDeleting(layer); };
    ImgView->OnMouseDown = [this](TImgView32*, TMouseButton b, TShiftState s, int x, int y, TCustomLayer* l) {
        RunGuarded([&] { ImgViewMouseDown(b, s, x, y, l); });
    };
    ImgView->OnMouseMove = [this](TImgView32*, TShiftState s, int x, int y, TCustomLayer*) {
        RunGuarded([&] { ImgViewMouseMove(s, x, y); });
    };
    ImgView->OnMouseWheelUp = [this](TImgView32*, TShiftState, TPoint, bool& handled) {
        handled = true;
        RunGuarded([this] { ImgViewMouseWheelUp(); });
    };
    ImgView->OnMouseWheelDown = [this](TImgView32*, TShiftState, TPoint, bool& handled) {
        handled = true;
        RunGuarded([this] { ImgViewMouseWheelDown(); });
    };

    // 2. The measuring tools start afresh.
    ResetSharedPolygons();
    // 3. A blank image of the window's design size until an image arrives.
    resize(DesignClientWidth + 9, DesignClientHeight + 28);
    ImgView->Bitmap().SetSize(DesignClientWidth, DesignClientHeight);
    // 4. and 5.
    WorkBitmap = std::make_unique<TBitmap32>();
    UndoBitmap = std::make_unique<TBitmap32>();
    GridSpacing = 50;
}

TMDIChild::~TMDIChild() {
    ClearSelection();
    RBLayer = nullptr;
    emit Destroying(this);
    // The view outlives this object's body: it must not call back.
    ImgView->OnLayerDeleting = nullptr;
    ImgView->OnResize = nullptr;
    ImgView->OnMouseDown = nullptr;
    ImgView->OnMouseMove = nullptr;
    ImgView->OnMouseWheelUp = nullptr;
    ImgView->OnMouseWheelDown = nullptr;
    ImgView->OnPaintStage = nullptr;
}

void TMDIChild::closeEvent(QCloseEvent* e) {
    // The image may be being read or written by a worker.
    if (IsBusy()) {
        e->ignore();
        return;
    }
    // Nothing asks to save the image.
    WorkBitmap.reset();
    UndoBitmap.reset();
    RemoveGridLayer();
    RemoveSelectionLayer();
    e->accept();
    QMdiSubWindow::closeEvent(e);
}

// ---- Image -------------------------------------------------------------------------

void TMDIChild::NewImage(int width, int height, TColor32 color) {
    std::exception_ptr failure;
    try {
        ClearSelection();
        RBLayer = nullptr;
        ImgView->Layers().Clear();
        ImgView->SetScale(1.0f);
        TBitmap32& bmp = ImgView->Bitmap();
        bmp.SetSize(width, height);
        bmp.Clear(color);
    } catch (...) {
        failure = std::current_exception();
    }
    SetImageName(QStringLiteral("Untitled"));
    ImgView->RecomputeLayout();
    FitToImage(ImgView->Bitmap().Width(), ImgView->Bitmap().Height());
    ImgView->RecomputeLayout();
    if (failure) std::rethrow_exception(failure);
}

void TMDIChild::LoadImage(const QString& fileName) {
    std::exception_ptr failure;
    try {
        ClearSelection();
        RBLayer = nullptr;
        ImgView->Layers().Clear();
        ImgView->SetScale(1.0f);
        // Decoded apart, so that a failed load leaves the image as it was.
        TBitmap32 loaded;
        RunBusy([&] { LoadPicture(fileName, loaded); });
        ImgView->Bitmap().SwapPixels(loaded);
        SetImageName(fileName.left(255));
    } catch (...) {
        failure = std::current_exception();
    }
    ImgView->SetScrollBarSize(-1);
    FitToImage(ImgView->Bitmap().Width(), ImgView->Bitmap().Height());
    ImgView->RecomputeLayout();
    if (failure) std::rethrow_exception(failure);
}

void TMDIChild::SetImageName(const QString& name) {
    if (name.size() >= 255) throw Error("Too long file name. Should be less than 255 charactes long.");
    imageName_ = name;
    UpdateCaption();
}

QString TMDIChild::FileNamePart(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

void TMDIChild::UpdateCaption() {
    const TBitmap32& bmp = ImgView->Bitmap();
    // A top-down bitmap header records its height as negative.
    ImageSizeWidth = bmp.Width();
    ImageSizeHeight = -bmp.Height();
    setWindowTitle(FileNamePart(imageName_) + QStringLiteral("  [%1x%2 pixels]")
                                                  .arg(ImageSizeWidth)
                                                  .arg(std::abs(ImageSizeHeight)));
}

QSize TMDIChild::FrameSize() const {
    // The sub-window draws its frame and title bar in its contents margins.
    QMargins m = contentsMargins();
    if (QLayout* l = layout()) m += l->contentsMargins();
    return QSize(m.left() + m.right(), m.top() + m.bottom());
}

void TMDIChild::FitToImage(int width, int height) {
    if (isMaximized() || isMinimized()) return;
    // The bars take no room while the window changes size, so that a view
    // that ends up as large as the image shows no bars at all; the layout
    // computed next sets their thickness again.
    fitting_ = true;
    ImgView->SetScrollBarSize(-1);
    const QSize frame = FrameSize();
    // Never smaller than the title bar with its buttons needs.
    QSize outer = QSize(width + frame.width(), height + frame.height()).expandedTo(minimumSizeHint());
    // A window larger than the MDI area would hide its own scroll bars.
    if (QMdiArea* area = mdiArea()) {
        const QSize room = area->viewport()->size();
        if (room.width() > 0 && room.height() > 0) {
            outer = outer.boundedTo(room);
            QPoint p = pos();
            p.setX(std::max(0, std::min(p.x(), room.width() - outer.width())));
            p.setY(std::max(0, std::min(p.y(), room.height() - outer.height())));
            move(p);
        }
    }
    resize(outer);
    // Lay the view out at once, so that the layout computed next sees its
    // new size.
    if (QLayout* l = layout()) l->activate();
    fitting_ = false;
}

// ---- Layers --------------------------------------------------------------------------

void TMDIChild::LayerDeleting(TCustomLayer* layer) {
    if (layer == SelectionLayer) SelectionLayer = nullptr;
    if (layer == RBLayer) RBLayer = nullptr;
    if (layer == GridLayer) GridLayer = nullptr;
    if (layer == TextLayer) TextLayer = nullptr;
    if (layer == Selection) Selection = nullptr;
}

void TMDIChild::ClearSelection() {
    Selection = nullptr;
    if (RBLayer) {
        RBLayer->SetChildLayer(nullptr);
        RBLayer->SetVisible(false);
    }
}

TBitmapLayer* TMDIChild::GetSelectionLayer() {
    if (!SelectionLayer) {
        const QSize screen = TImgView32::ScreenSize();
        auto* layer = ImgView->Layers().Insert<TBitmapLayer>(0);
        layer->Bitmap().SetDrawMode(TDrawMode::dmBlend);
        layer->Bitmap().SetSize(screen.width(), screen.height());
        layer->Bitmap().Clear(0);
        layer->SetLocation({0, 0, float(screen.width()), float(screen.height())});
        layer->SetScaled(true);
        SelectionLayer = layer;
    }
    return SelectionLayer;
}

void TMDIChild::RemoveSelectionLayer() {
    if (SelectionLayer) delete SelectionLayer;  // leaves the stack; LayerDeleting clears the field
    SelectionLayer = nullptr;
}

void TMDIChild::RemoveGridLayer() {
    if (GridLayer) delete GridLayer;
    GridLayer = nullptr;
}

void TMDIChild::ClearMeasureLayer() { ImgView->RemoveMeasureLayer(); }

void TMDIChild::ClearAnimLayer() { ImgView->RemoveAnimLayer(); }

QList<QMenu*> TMDIChild::MergedMenus() const {
    QList<QMenu*> list;
    for (QMenu* m : {mnImage, mnEdit, mnFilters, mnLayers, mnSelection}) {
        const auto acts = m->actions();
        if (std::any_of(acts.begin(), acts.end(), [](QAction* a) { return a->isVisible() && !a->isSeparator(); }))
            list << m;
    }
    return list;
}

// ---- Zoom ----------------------------------------------------------------------------

void TMDIChild::ImgViewMouseWheelUp() { WheelZoom(false); }

void TMDIChild::ImgViewMouseWheelDown() { WheelZoom(true); }

void TMDIChild::WheelZoom(bool zoomIn) {
    // One notch changes the scale by 1.1, held in single precision; near 1
    // it snaps to exactly 1, so that n notches in and n out come back to 100 %.
    float s = zoomIn ? float(double(ImgView->Scale()) * 1.1) : float(double(ImgView->Scale()) / 1.1);
    if (std::fabs(s - 1.0f) < 0.08f) s = 1.0f;
    if (zoomIn && s > 32.0f) s = 32.0f;
    if (!zoomIn && s < 0.1f) s = 0.1f;
    ImgView->SetScale(s);
    if (TMainForm* main = MainForm()) main->ShowZoom(ImgView->Scale());
    UpdateWindow();
    ImgView->RecomputeLayout();
}

void TMDIChild::ZoomToolDown(TMouseButton button, TPoint bitmapPos) {
    const float scale = ImgView->Scale();
    if (button == TMouseButton::mbLeft && scale < 32.0f) {
        ImgView->SetScale(std::min(scale * 2.0f, 32.0f));
        ImgView->ScrollToCenter(bitmapPos.X, bitmapPos.Y);
        ImgView->RecomputeLayout();
    } else if (button == TMouseButton::mbRight && scale > 0.03125f) {
        ImgView->SetScale(std::max(scale / 2.0f, 0.03125f));
        ImgView->ScrollToCenter(bitmapPos.X, bitmapPos.Y);
    }
    if (TMainForm* main = MainForm()) main->ShowZoom(ImgView->Scale());
}

void TMDIChild::UpdateWindow() { ImgViewMouseMove(LastShift, LastMousePos.X, LastMousePos.Y); }

// ---- View events ---------------------------------------------------------------------

void TMDIChild::ImgViewMouseDown(TMouseButton button, TShiftState shift, int x, int y, TCustomLayer* layer) {
    TMainForm* main = MainForm();
    if (!main) return;
    const TPoint viewPos{x, y};
    main->ToolRouter().MouseDown(*this, button, shift, viewPos, ControlToBitmap(viewPos), layer);
}

void TMDIChild::ImgViewMouseMove(TShiftState shift, int x, int y) {
    LastMousePos = {x, y};
    LastShift = shift;
    LastBitmapPos = ControlToBitmap(LastMousePos);
    TMainForm* main = MainForm();
    if (!main) return;
    main->ToolRouter().MouseMove(*this, shift, LastBitmapPos);
    main->SetStatusText(0, QStringLiteral("%1:%2").arg(LastBitmapPos.X).arg(LastBitmapPos.Y));
}

void TMDIChild::PaintCheckerboard(TBitmap32& buffer) {
    const int w = buffer.Width(), h = buffer.Height();
    if (buffer.Empty()) return;
    // Two row patterns: rows with bit 3 of y clear start grey, the others white.
    std::vector<TColor32> rows[2];
    for (int band = 0; band < 2; ++band) {
        rows[band].resize(std::size_t(w));
        for (int x = 0; x < w; ++x) {
            const bool odd = (x & 8) != 0;
            rows[band][std::size_t(x)] = band ? (odd ? CheckerB : CheckerA) : (odd ? CheckerA : CheckerB);
        }
    }
    for (int y = 0; y < h; ++y)
        std::memcpy(buffer.ScanLine(y), rows[(y & 8) ? 1 : 0].data(), std::size_t(w) * sizeof(TColor32));
}

void TMDIChild::ImgViewResize() {
    if (fitting_) return;
    const TBitmap32& bmp = ImgView->Bitmap();
    const double scale = ImgView->Scale();
    const bool fits = ImgView->width() >= bmp.Width() * scale && ImgView->height() >= bmp.Height() * scale;
    const int thickness = fits ? 1 : 12;
    if (ImgView->ScrollBarSize() != thickness) ImgView->SetScrollBarSize(thickness);
}

} // namespace ivra
