#include "imagewin/LayerCommands.h"

#include "core/processing/ColorOps.h"
#include "core/processing/GeometricOps.h"
#include "engine/Transforms.h"
#include "imagewin/ChildWin.h"
#include "imagewin/GridSeparation.h"
#include "imagewin/LayerPanels.h"
#include "imagewin/PictureLoader.h"
#include "imagewin/RGBALoader.h"
#include "services/Prompts.h"
#include "services/Shell.h"

#include <QAction>

namespace ivra {

// ---- Layers menu -------------------------------------------------------------------

void NewBitmapLayer(TMDIChild& w) {
    TFileDialogRequest r;
    r.Caption = QStringLiteral("Open Bitmap Layer");
    r.Filter = OpenPictureFilter();
    const QString file = AppPrompts().GetOpenFileName(&w, r);
    if (file.isEmpty()) return;
    // Loaded apart: a picture that cannot be read leaves the stack and the
    // selection as they were.
    auto made = std::make_unique<TBitmapLayer>();
    LoadPicture(file, made->Bitmap());
    w.AddCentredBitmapLayer(std::move(made));
}

void NewBitmapRGBALayer(TShell& shell, TMDIChild& w) {
    TRGBALoaderForm& dlg = RGBALoaderForm(shell);
    dlg.Reset();
    if (AppPrompts().ExecDialog(dlg) == QDialog::Accepted && !dlg.RGBBitmap().Empty()) {
        auto made = std::make_unique<TBitmapLayer>();
        TBitmap32& bmp = made->Bitmap();
        bmp.Assign(dlg.RGBBitmap());
        ComposeAlphaChannel(bmp, dlg.AlphaBitmap());
        w.AddCentredBitmapLayer(std::move(made));
    }
    ShowPanel(LayerPanels(shell).LayerWindow, true);
}

void NewMagnifier(TMDIChild& w) {
    TPositionedLayer* layer = w.CreatePositionedLayer();
    layer->OnPaint = [&w](TCustomLayer* l, TBitmap32& buffer) { w.DrawMagnifier(l, buffer); };
    layer->Tag = MagnifierLayerTag;
    w.SelectLayer(layer);
}

void FlattenLayers(TMDIChild& w) {
    w.SelectLayer(nullptr);
    TLayerCollection& layers = w.Document().Layers();
    // The image and every visible layer composed as on the screen at 100 %,
    // into the undo snapshot's memory; the old image becomes the snapshot.
    w.Document().Apply(TImageChange::Compose([&layers](TBitmap32& composed) {
        const TViewMapping screen = layers.Mapping();
        layers.SetMapping(TViewMapping{});
        try {
            layers.Paint(composed);
        } catch (...) {
            layers.SetMapping(screen);
            throw;
        }
        layers.SetMapping(screen);
    }));
    w.ClearAnimLayer();
    w.ClearMeasureLayer();
    w.RemoveSelectionLayer();
    w.RemoveGridLayer();
    w.Document().ClearLayers();
    w.ImgView->Invalidate();
}

// ---- Selection menu -------------------------------------------------------------------

void MoveSelectedLayer(TMDIChild& w, TLayerMove move) {
    TCustomLayer* l = w.Document().Selection();
    if (!l) return;
    switch (move) {
    case TLayerMove::BringToFront: l->SetIndex(w.Document().Layers().Count() - 2); break;
    case TLayerMove::SendToBack: l->SetIndex(0); break;
    case TLayerMove::LevelUp:
        if (CanLevelUp(w)) l->SetIndex(l->Index() + 1);
        break;
    case TLayerMove::LevelDown: l->SetIndex(l->Index() - 1); break;
    }
}

bool CanLevelUp(const TMDIChild& w) {
    // The selection frame stays on top, so that the layer can still be dragged.
    const TCustomLayer* l = w.Document().Selection();
    if (!l) return false;
    const TLayerCollection& layers = w.Document().Layers();
    const int above = l->Index() + 1;
    return above < layers.Count() && layers[above] != w.Document().RBLayer();
}

void ToggleScaled(TMDIChild& w) {
    auto* l = dynamic_cast<TPositionedLayer*>(w.Document().Selection());
    if (!l) return;
    const bool scaled = !l->Scaled();
    l->SetScaled(scaled);
    if (w.Document().RBLayer()) w.Document().RBLayer()->SetScaled(scaled);
}

void DeleteSelectedLayer(TMDIChild& w) {
    TImageDocument& d = w.Document();
    TCustomLayer* l = d.Selection();
    if (l && l == d.SelectionLayer()) {
        w.SelectLayer(nullptr);
        w.RemoveSelectionLayer();
    } else if (l) {
        w.SelectLayer(nullptr);
        d.DeleteLayer(l);
    }
}

void FlipSelectedLayer(TMDIChild& w, bool horizontally) {
    if (TBitmapLayer* l = w.SelectedBitmapLayer()) {
        if (horizontally) FlipHorz(l->Bitmap());
        else FlipVert(l->Bitmap());
    }
}

void TurnSelectedLayer(TMDIChild& w, int quarters) {
    TBitmapLayer* l = w.SelectedBitmapLayer();
    if (!l) return;
    if (quarters == 2) {
        Rotate180(l->Bitmap());
        return;
    }
    if (quarters == 1) Rotate90(l->Bitmap());
    else Rotate270(l->Bitmap());
    // The same centre, the half sides exchanged.
    const TFloatRect o = l->Location();
    const float cx = (o.Left + o.Right) / 2, cy = (o.Top + o.Bottom) / 2;
    const float hw = (o.Right - o.Left) / 2, hh = (o.Bottom - o.Top) / 2;
    const TFloatRect n{cx - hh, cy - hw, cx + hh, cy + hw};
    TRubberbandLayer* rb = w.Document().RBLayer();
    if (rb && rb->ChildLayer() == l) rb->SetLocation(n);
    else l->SetLocation(n);
}

void GrayscaleSelectedLayer(TMDIChild& w) {
    // Only the selected picture layer; with none (or a magnifier) nothing.
    TBitmapLayer* l = w.SelectedBitmapLayer();
    if (!l) return;
    // Made apart and swapped in whole: a failure leaves the layer as it was.
    TBitmap32 gray;
    GrayscaleBitmap(&gray, &l->Bitmap());
    l->Bitmap().SwapPixels(gray);
    l->Bitmap().Changed();
}

// ---- Registration -------------------------------------------------------------------

namespace {

// The Layers menu's submenu.
constexpr TMenuId NewCustomLayerMenu{"NewCustomLayer"};

// The Scaled item's tick shows the active window's selected layer's flag
// (ticked when no positioned layer is selected). Set where that changes: a
// new selection, another active window, the item itself.
void ShowScaledTick(TShell& shell) {
    QAction* a = shell.Commands().Action(QStringLiteral("mnScaled"));
    if (!a) return;
    TMDIChild* w = shell.ActiveImageWindow();
    auto* l = w ? dynamic_cast<TPositionedLayer*>(w->Document().Selection()) : nullptr;
    a->setChecked(!l || l->Scaled());
}

struct TItem {
    const char* Id;
    const char* Caption;
    TMenuId Menu;
    int Order;
    bool Separator;
    std::function<void(TShell&, TMDIChild&)> Run;
    // None: always enabled.
    std::function<bool()> Enabled = nullptr;
    // A tick, shown at start.
    bool Checkable = false;
};

} // namespace

void InstallLayerCommands(TShell& shell) {
    shell.Commands().Batch([&shell] {
        TCommandRegistry& c = shell.Commands();
        TShell* s = &shell;
        auto active = [s] { return s->ActiveImageWindow() != nullptr; };
        auto selected = [s] {
            TMDIChild* w = s->ActiveImageWindow();
            return w && w->Document().Selection() != nullptr;
        };
        auto on = [](void (*f)(TMDIChild&)) { return [f](TShell&, TMDIChild& w) { f(w); }; };
        auto move = [](TLayerMove m) { return [m](TShell&, TMDIChild& w) { MoveSelectedLayer(w, m); }; };
        auto turn = [](int quarters) { return [quarters](TShell&, TMDIChild& w) { TurnSelectedLayer(w, quarters); }; };
        auto flip = [](bool horizontally) {
            return [horizontally](TShell&, TMDIChild& w) { FlipSelectedLayer(w, horizontally); };
        };

        c.AddMenu({NewCustomLayerMenu, QStringLiteral("New Custom Layer"), MenuIds::Layers, 30});

        const TItem items[] = {
            {"mnNewBitmapLayer", "New Bitmap Layer", MenuIds::Layers, 10, false, on(NewBitmapLayer)},
            {"mnNewBitmapRGBA", "New Bitmap Layer with Alpha Channel", MenuIds::Layers, 20, false,
             [](TShell& sh, TMDIChild& w) { NewBitmapRGBALayer(sh, w); }},
            {"mnMagnifier", "Magnifier", NewCustomLayerMenu, 10, false, on(NewMagnifier)},
            {"mnFlatten", "Flatten Layers", MenuIds::Layers, 40, true, on(FlattenLayers)},
            {"mnBringFront", "Bring to Front", MenuIds::Selection, 10, false, move(TLayerMove::BringToFront)},
            {"mnSendBack", "Send to Back", MenuIds::Selection, 20, false, move(TLayerMove::SendToBack)},
            {"mnLevelUp", "Up One Level", MenuIds::Selection, 30, true, move(TLayerMove::LevelUp),
             [s] {
                 TMDIChild* w = s->ActiveImageWindow();
                 return w && CanLevelUp(*w);
             }},
            {"mnLevelDown", "Down one Level", MenuIds::Selection, 40, false, move(TLayerMove::LevelDown)},
            {"mnScaled", "Scaled", MenuIds::Selection, 50, true,
             [](TShell& sh, TMDIChild& w) {
                 ToggleScaled(w);
                 ShowScaledTick(sh);
             },
             nullptr, true},
            {"mnDelete", "Delete", MenuIds::Selection, 60, false, on(DeleteSelectedLayer)},
            {"mnFlipHorz", "Flip Horizontally", MenuIds::Selection, 70, true, flip(true)},
            {"mnFlipVert", "Flip Vertically", MenuIds::Selection, 80, false, flip(false)},
            {"mnRotate90", "Rotate 90\u00B0", MenuIds::Selection, 90, true, turn(1)},
            {"mnRotate180", "Rotate 180\u00B0", MenuIds::Selection, 100, false, turn(2)},
            {"mnRotate270", "Rotate 270\u00B0", MenuIds::Selection, 110, false, turn(3)},
            {"Grayscale1", "Grayscale", MenuIds::Selection, 120, true, on(GrayscaleSelectedLayer)},
        };
        for (const TItem& i : items) {
            TCommandSpec command;
            command.Id = QLatin1String(i.Id);
            command.Caption = QString::fromUtf8(i.Caption);
            command.Menu = i.Menu;
            command.MenuOrder = i.Order;
            command.SeparatorBefore = i.Separator;
            command.Run = [s, run = i.Run] {
                if (TMDIChild* w = s->ActiveImageWindow()) run(*s, *w);
            };
            command.Enabled = i.Enabled;
            command.Checkable = i.Checkable;
            command.Checked = i.Checkable;
            c.Add(command);
        }
        // The tick follows each window's selection and the active window.
        shell.AddImageWindowHandler([s](TMDIChild& w) {
            QObject::connect(&w, &TMDIChild::SelectionChanged, &w, [s](TMDIChild* window) {
                if (window == s->ActiveImageWindow()) ShowScaledTick(*s);
            });
            QObject::connect(&w, &QMdiSubWindow::windowStateChanged, &w,
                             [s](Qt::WindowStates, Qt::WindowStates now) {
                                 if (now & Qt::WindowActive) ShowScaledTick(*s);
                             });
        });

        // The Layers bar's Delete and Flatten buttons.
        const struct {
            const char* Id;
            const char* Caption;
            const char* Hint;
            const char* Icon;
            int Order;
            std::function<bool()> Enabled;
            void (*Run)(TMDIChild&);
        } buttons[] = {{"btnDeleteSelection", "Delete Selection", "Delete Selection|Removes selected object",
                        "delete", 10, selected, DeleteSelectedLayer},
                       {"btnFlatten", "Flatten Layers", "Flatten Layers|Joins all layers (objects) to the image",
                        "flatten", 20, active, FlattenLayers}};
        for (const auto& b : buttons) {
            TCommandSpec command;
            command.Id = QLatin1String(b.Id);
            command.Caption = QLatin1String(b.Caption);
            command.Hint = QLatin1String(b.Hint);
            command.Icon = QLatin1String(b.Icon);
            command.Toolbar = QStringLiteral("tbLayers");
            command.ToolbarOrder = b.Order;
            command.Enabled = b.Enabled;
            command.Run = [s, run = b.Run] {
                if (TMDIChild* w = s->ActiveImageWindow()) run(*w);
            };
            c.Add(command);
        }

        // Grid: shows or hides the active window's grid; every press makes
        // the active window the grid size dialog's target, a right press
        // opens the dialog.
        TCommandSpec grid;
        grid.Id = QStringLiteral("btnGrid");
        grid.Caption = QStringLiteral("Grid");
        grid.Hint = QStringLiteral("Grid on/off|Right-click on grid button to select grid properties.");
        grid.Icon = QStringLiteral("grid");
        grid.Toolbar = QStringLiteral("tbLayers");
        grid.ToolbarOrder = 40;
        grid.Checkable = true;
        grid.Enabled = active;
        grid.Run = [s] {
            TMDIChild* w = s->ActiveImageWindow();
            QAction* a = s->Commands().Action(QStringLiteral("btnGrid"));
            if (!w || !a) return;
            if (a->isChecked()) {
                w->GetGridLayer()->SetVisible(true);
            } else {
                w->GetGridLayer()->SetVisible(false);
                w->ImgView->Invalidate();
            }
        };
        grid.ButtonPress = [s](Qt::MouseButton button) {
            const bool right = button == Qt::RightButton;
            GridButtonPress(*s, right);
            return right;
        };
        c.Add(grid);
    });
}

} // namespace ivra
