#include "imagewin/LayerCommands.h"

#include "imagewin/ChildWin.h"
#include "imagewin/GridSeparation.h"
#include "services/CommandGuard.h"
#include "services/Shell.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QToolButton>

namespace ivra {

namespace {

// Right presses on the Grid button open the grid size dialog; every press
// makes the active window the dialog's target. Watches the whole
// application because the toolbar makes its buttons anew whenever the
// command registry changes.
class TGridButtonFilter : public QObject {
public:
    TGridButtonFilter(TShell& shell, QAction* grid, QObject* parent) : QObject(parent), shell_(shell), grid_(grid) {}

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::MouseButtonPress && e->type() != QEvent::ContextMenu) return false;
        auto* button = qobject_cast<QToolButton*>(watched);
        if (!button || button->defaultAction() != grid_) return false;
        // The right press belongs to the grid size dialog: the context menu
        // the platform sends after it must not open the toolbar's menu.
        if (e->type() == QEvent::ContextMenu) return true;
        if (!grid_->isEnabled()) return false;
        const bool right = static_cast<QMouseEvent*>(e)->button() == Qt::RightButton;
        RunGuarded([&] { GridButtonPress(shell_, right); });
        return right;
    }

private:
    TShell& shell_;
    QAction* grid_;
};

struct TItem {
    const char* Id;
    const char* Caption;
    const char* Menu;
    int Order;
    bool Separator;
    void (TMDIChild::*Method)();
};

} // namespace

void InstallLayerCommands(TShell& shell) {
    TShell* s = &shell;
    TCommandRegistry& c = shell.Commands();
    auto active = [s] { return s->ActiveImageWindow() != nullptr; };
    auto selected = [s] {
        TMDIChild* w = s->ActiveImageWindow();
        return w && w->Document().Selection != nullptr;
    };

    c.AddMenu({QStringLiteral("NewCustomLayer"), QStringLiteral("New Custom Layer"), QStringLiteral("Layers"), 30});

    const TItem items[] = {
        {"mnNewBitmapLayer", "New Bitmap Layer", "Layers", 10, false, &TMDIChild::mnNewBitmapLayerClick},
        {"mnNewBitmapRGBA", "New Bitmap Layer with Alpha Channel", "Layers", 20, false,
         &TMDIChild::mnNewBitmapRGBAClick},
        {"mnMagnifier", "Magnifier", "NewCustomLayer", 10, false, &TMDIChild::mnMagnifierClick},
        {"mnFlatten", "Flatten Layers", "Layers", 40, true, &TMDIChild::mnFlattenClick},
        {"mnScaled", "Scaled", "Selection", 50, true, &TMDIChild::mnScaledClick},
        {"mnDelete", "Delete", "Selection", 60, false, &TMDIChild::mnDeleteClick},
        {"mnFlipHorz", "Flip Horizontally", "Selection", 70, true, &TMDIChild::mnFlipHorzClick},
        {"mnFlipVert", "Flip Vertically", "Selection", 80, false, &TMDIChild::mnFlipVertClick},
        {"mnRotate90", "Rotate 90\u00B0", "Selection", 90, true, &TMDIChild::mnRotate90Click},
        {"mnRotate180", "Rotate 180\u00B0", "Selection", 100, false, &TMDIChild::mnRotate180Click},
        {"mnRotate270", "Rotate 270\u00B0", "Selection", 110, false, &TMDIChild::mnRotate270Click},
        {"Grayscale1", "Grayscale", "Selection", 120, true, &TMDIChild::mnGrayScale},
    };
    for (const TItem& i : items) {
        TCommandSpec command;
        command.Id = QLatin1String(i.Id);
        command.Caption = QString::fromUtf8(i.Caption);
        command.Menu = QLatin1String(i.Menu);
        command.MenuOrder = i.Order;
        command.SeparatorBefore = i.Separator;
        command.Run = [s, m = i.Method] {
            if (TMDIChild* w = s->ActiveImageWindow()) (w->*m)();
        };
        if (command.Id == QLatin1String("mnScaled")) {
            // The tick shows the selection's scaled flag.
            command.Checkable = true;
            command.Checked = true;
            command.Enabled = [s] {
                TMDIChild* w = s->ActiveImageWindow();
                auto* l = w ? dynamic_cast<TPositionedLayer*>(w->Document().Selection) : nullptr;
                if (QAction* a = s->Commands().Action(QStringLiteral("mnScaled"))) a->setChecked(!l || l->Scaled());
                return true;
            };
        }
        c.Add(command);
    }

    // Reordering shares one handler told apart by the item's tag.
    const struct {
        const char* Id;
        const char* Caption;
        int Tag;
        int Order;
        bool Separator;
    } reorder[] = {{"mnBringFront", "Bring to Front", 1, 10, false},
                   {"mnSendBack", "Send to Back", 2, 20, false},
                   {"mnLevelUp", "Up One Level", 3, 30, true},
                   {"mnLevelDown", "Down one Level", 4, 40, false}};
    for (const auto& r : reorder) {
        TCommandSpec command;
        command.Id = QLatin1String(r.Id);
        command.Caption = QLatin1String(r.Caption);
        command.Menu = QStringLiteral("Selection");
        command.MenuOrder = r.Order;
        command.SeparatorBefore = r.Separator;
        command.Run = [s, tag = r.Tag] {
            if (TMDIChild* w = s->ActiveImageWindow()) w->mnReorder(tag);
        };
        if (r.Tag == 3)
            command.Enabled = [s] {
                TMDIChild* w = s->ActiveImageWindow();
                return w && w->CanLevelUp();
            };
        c.Add(command);
    }

    // The Layers bar's Delete and Flatten buttons.
    const struct {
        const char* Id;
        const char* Caption;
        const char* Hint;
        const char* Icon;
        int Order;
        void (TMDIChild::*Method)();
    } buttons[] = {{"btnDeleteSelection", "Delete Selection", "Delete Selection|Removes selected object", "delete", 10,
                    &TMDIChild::mnDeleteClick},
                   {"btnFlatten", "Flatten Layers", "Flatten Layers|Joins all layers (objects) to the image",
                    "flatten", 20, &TMDIChild::mnFlattenClick}};
    for (const auto& b : buttons) {
        TCommandSpec command;
        command.Id = QLatin1String(b.Id);
        command.Caption = QLatin1String(b.Caption);
        command.Hint = QLatin1String(b.Hint);
        command.Icon = QLatin1String(b.Icon);
        command.Toolbar = QStringLiteral("tbLayers");
        command.ToolbarOrder = b.Order;
        if (b.Order == 10) command.Enabled = selected;
        else command.Enabled = active;
        command.Run = [s, m = b.Method] {
            if (TMDIChild* w = s->ActiveImageWindow()) (w->*m)();
        };
        c.Add(command);
    }

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
    QAction* gridAction = c.Add(grid);
    qApp->installEventFilter(new TGridButtonFilter(shell, gridAction, gridAction));
}

} // namespace ivra
