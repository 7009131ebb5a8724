#include "imagewin/ChildWin.h"

#include "services/Busy.h"
#include "services/CommandGuard.h"
#include "services/Shell.h"
#include "core/Error.h"
#include "core/analysis/DeepAnalysis.h"
#include "imagewin/LayerPanels.h"
#include "imagewin/PictureLoader.h"

#include <QCloseEvent>
#include <QLayout>
#include <QMdiArea>

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

} // namespace

TMDIChild::TMDIChild(TShell& shell, QWidget* parent)
    : QMdiSubWindow(parent), shell_(shell), document_(std::make_unique<TImageDocument>()) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("MDIChild"));
    setWindowTitle(QStringLiteral("Image"));

    ImgView = new TImgView32(this, document_->ViewBitmap(), document_->Layers());
    ImgView->setObjectName(QStringLiteral("ImgView"));
    ImgView->setFrameShape(QFrame::NoFrame);
    ImgView->setFocusPolicy(Qt::StrongFocus);
    ImgView->SetSizeGrip(false);
    ImgView->SetScrollBarSize(-1);
    ImgView->SetScale(1.0f);
    setWidget(ImgView);

    // 1. The background stage becomes the checkerboard.
    auto& stages = ImgView->PaintStages();
    if (!stages.empty() && stages.front().Stage == PST_CLEAR_BACKGND) stages.front().Stage = PST_CUSTOM;
    ImgView->OnPaintStage = [](TImgView32*, TBitmap32& buffer, int) { PaintCheckerboard(buffer); };
    ImgView->OnResize = [this](TImgView32*) { ImgViewResize(); };
    ImgView->OnMouseDown = [this](TImgView32*, TMouseButton b, TShiftState s, int x, int y, TCustomLayer* l) {
        RunGuarded([&] { ImgViewMouseDown(b, s, x, y, l); });
    };
    ImgView->OnMouseMove = [this](TImgView32*, TShiftState s, int x, int y, TCustomLayer*) {
        RunGuarded([&] { ImgViewMouseMove(s, x, y); });
    };
    ImgView->OnMouseUp = [this](TImgView32*, TMouseButton b, TShiftState s, int x, int y, TCustomLayer*) {
        RunGuarded([&] { ImgViewMouseUp(b, s, x, y); });
    };
    ImgView->OnMouseWheelUp = [this](TImgView32*, TShiftState, TPoint, bool& handled) {
        handled = true;
        RunGuarded([this] { ImgViewMouseWheelUp(); });
    };
    ImgView->OnMouseWheelDown = [this](TImgView32*, TShiftState, TPoint, bool& handled) {
        handled = true;
        RunGuarded([this] { ImgViewMouseWheelDown(); });
    };

    // The selected layer may leave the stack by any route (Delete, Flatten,
    // a new image, a command of another window): nothing keeps framing or
    // editing it.
    connect(document_.get(), &TImageDocument::SelectionLeaving, this, [this] {
        TImageDocument& d = *document_;
        if (d.RBLayer() && d.RBLayer() != d.Selection()) {
            d.RBLayer()->SetChildLayer(nullptr);
            d.RBLayer()->SetVisible(false);
            d.RBLayer()->SetMouseEvents(false);
        }
        d.SetSelection(nullptr);
        ShowPanel(LayerPanels(Shell()).LayerWindow, false);
        ShowPanel(LayerPanels(Shell()).MagnifierWindow, false);
        emit SelectionChanged(this);
    });
    // The caption follows the document's name, and its size (a quarter turn,
    // its undo) unless it was given otherwise (a channel window's).
    connect(document_.get(), &TImageDocument::FileNameChanged, this, [this] { UpdateCaption(); });
    connect(document_.get(), &TImageDocument::SizeChanged, this, [this] {
        if (windowTitle() == SizeCaption()) UpdateCaption();
    });

    // 2. The tools start afresh (the measuring tools forget a poly
    // measurement in progress).
    shell_.Tools().NewWindow();
    // 3. A blank image of the window's design size until an image arrives.
    resize(DesignClientWidth + 9, DesignClientHeight + 28);
    TBitmap32 blank;
    blank.SetSize(DesignClientWidth, DesignClientHeight);
    document_->SetImage(std::move(blank));
    GridSpacing = 50;
}

TMDIChild::~TMDIChild() {
    ClearSelection();
    emit Destroying(this);
    // The view goes before the document it shows.
    delete ImgView;
    ImgView = nullptr;
}

void TMDIChild::closeEvent(QCloseEvent* e) {
    // The image may be being read or written by a worker.
    if (IsBusy()) {
        e->ignore();
        return;
    }
    // A modified image asks to be saved; Cancel keeps the window.
    if (QuerySave) {
        bool goOn = false;
        RunGuarded([&] { goOn = QuerySave(); });
        if (!goOn) {
            e->ignore();
            return;
        }
    }
    document_->ReleaseMemory();
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
        ImgView->SetScale(1.0f);
        document_->NewImage(width, height, color);
    } catch (...) {
        failure = std::current_exception();
    }
    ImgView->RecomputeLayout();
    FitToImage(document_->Bitmap().Width(), document_->Bitmap().Height());
    ImgView->RecomputeLayout();
    if (failure) std::rethrow_exception(failure);
}

void TMDIChild::LoadImage(const QString& fileName) {
    std::exception_ptr failure;
    try {
        ClearSelection();
        ImgView->SetScale(1.0f);
        document_->Load(fileName);
    } catch (...) {
        failure = std::current_exception();
    }
    ImgView->SetScrollBarSize(-1);
    FitToImage(document_->Bitmap().Width(), document_->Bitmap().Height());
    ImgView->RecomputeLayout();
    if (failure) std::rethrow_exception(failure);
}

QString TMDIChild::SizeCaption() const {
    return FileNamePart(ImageName()) +
           QStringLiteral("  [%1x%2 pixels]").arg(ImageSizeWidth).arg(std::abs(ImageSizeHeight));
}

void TMDIChild::UpdateCaption() {
    const TBitmap32& bmp = document_->Bitmap();
    // A top-down bitmap header records its height as negative.
    ImageSizeWidth = bmp.Width();
    ImageSizeHeight = -bmp.Height();
    setWindowTitle(SizeCaption());
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

void TMDIChild::ClearSelection() { SelectLayer(nullptr); }

TBitmapLayer* TMDIChild::GetSelectionLayer() {
    if (!document_->SelectionLayer()) {
        // Made empty: CreateNewSelection gives it the rectangle's size and
        // pixels, so no screen-sized bitmap is ever allocated for it.
        auto made = std::make_unique<TBitmapLayer>();
        made->Bitmap().SetDrawMode(TDrawMode::dmBlend);
        made->SetScaled(true);
        document_->SetSelectionLayer(static_cast<TBitmapLayer*>(document_->Layers().Insert(0, std::move(made))));
    }
    return document_->SelectionLayer();
}

void TMDIChild::RemoveSelectionLayer() { document_->DeleteLayer(document_->SelectionLayer()); }

void TMDIChild::RemoveGridLayer() { document_->DeleteLayer(document_->GridLayer()); }

void TMDIChild::ClearMeasureLayer() { ImgView->RemoveMeasureLayer(); }

void TMDIChild::ClearAnimLayer() { ImgView->RemoveAnimLayer(); }

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
    ShowZoom();
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
    ShowZoom();
}

void TMDIChild::ShowZoom() {
    shell_.ShowZoom(ImgView->Scale());
}

void TMDIChild::UpdateWindow() { ImgViewMouseMove(LastShift, LastMousePos.X, LastMousePos.Y); }

// ---- View events ---------------------------------------------------------------------

void TMDIChild::ImgViewMouseDown(TMouseButton button, TShiftState shift, int x, int y, TCustomLayer* layer) {
    if (shell_.ActiveImageWindow() == nullptr) return;
    // Presses on the selection frame's handles never reach a tool.
    if (layer == nullptr || layer->Tag == RubberBandLayerTag) return;
    const TPoint viewPos{x, y};
    if (TToolHandler* tool = shell_.Tools().Handler(shell_.Drawing().CurrentTool))
        tool->Press(TToolEvent{*this, button, shift, viewPos, ControlToBitmap(viewPos), layer});
    ImgView->GetMeasureLayer()->SetVisible(true);
}

void TMDIChild::ImgViewMouseMove(TShiftState shift, int x, int y) {
    LastMousePos = {x, y};
    LastShift = shift;
    LastBitmapPos = ControlToBitmap(LastMousePos);
    if (TToolHandler* tool = shell_.Tools().Handler(shell_.Drawing().CurrentTool))
        tool->Move(TToolEvent{*this, TMouseButton::mbLeft, shift, LastMousePos, LastBitmapPos, nullptr});
    // The drawing overlay stays directly above the image, below every other layer.
    ImgView->GetAnimLayer()->SetIndex(0);
    QString position = QStringLiteral("%1:%2").arg(LastBitmapPos.X).arg(LastBitmapPos.Y);
    // An image opened from a 16-bit file: its 16-bit value under the pointer.
    if (const TSamples16* samples = document_->FullDepthSamples()) {
        const std::string value = DeepValueText(*samples, LastBitmapPos);
        if (!value.empty()) position += QStringLiteral(" = ") + QString::fromStdString(value);
    }
    shell_.SetStatusText(0, position);
}

void TMDIChild::ImgViewMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    const TPoint viewPos{x, y};
    if (TToolHandler* tool = shell_.Tools().Handler(shell_.Drawing().CurrentTool))
        tool->Release(TToolEvent{*this, button, shift, viewPos, ControlToBitmap(viewPos), nullptr});
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
    const TBitmap32& bmp = document_->Bitmap();
    if (fitting_) return;
    const double scale = ImgView->Scale();
    const bool fits = ImgView->width() >= bmp.Width() * scale && ImgView->height() >= bmp.Height() * scale;
    const int thickness = fits ? 1 : 12;
    if (ImgView->ScrollBarSize() != thickness) ImgView->SetScrollBarSize(thickness);
}

} // namespace ivra
