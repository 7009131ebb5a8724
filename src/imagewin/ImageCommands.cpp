#include "imagewin/ImageCommands.h"

#include "imagewin/ChildWin.h"
#include "services/Shell.h"

namespace ivra {

namespace {

// Menu-bar places of the image window's menus: between Tools and Window.
constexpr int ImageMenuOrder = 40;

class TZoomTool : public TToolHandler {
public:
    void Press(const TToolEvent& e) override { e.Window.ZoomToolDown(e.Button, e.BitmapPos); }
};

} // namespace

TMDIChild* ActiveImage(TShell& shell) { return shell.ActiveImageWindow(); }

void InstallImageWindowCommands(TShell& shell) {
    TCommandRegistry& c = shell.Commands();
    const struct {
        const char* Id;
        const char* Caption;
    } menus[] = {{"Image", "&Image"}, {"Edit", "&Edit"}, {"Filters", "Filters"}, {"Layers", "Layers"},
                 {"Selection", "Selection"}};
    int order = ImageMenuOrder;
    for (const auto& m : menus) c.AddMenu({QLatin1String(m.Id), QLatin1String(m.Caption), QString(), order++, true});

    TShell* s = &shell;
    auto canUndo = [s] {
        TMDIChild* w = ActiveImage(*s);
        return w && w->Document().CanUndo();
    };
    auto undo = [s] {
        if (TMDIChild* w = ActiveImage(*s)) w->Undo1Click();
    };

    TCommandSpec undoItem;
    undoItem.Id = QStringLiteral("Undo1");
    undoItem.Caption = QStringLiteral("&Undo");
    undoItem.Hint = QStringLiteral("Undo|Reverts the last action");
    undoItem.Shortcut = QKeySequence(Qt::CTRL | Qt::Key_Z);
    undoItem.Menu = QStringLiteral("Edit");
    undoItem.MenuOrder = 10;
    undoItem.Enabled = canUndo;
    undoItem.Run = undo;
    c.Add(undoItem);

    // Cut has no command of its own: the item stays hidden.
    TCommandSpec cut;
    cut.Id = QStringLiteral("Cut1");
    cut.Caption = QStringLiteral("Cu&t");
    cut.Hint = QStringLiteral("Cut|Cuts the selection and puts it on the Clipboard");
    cut.Shortcut = QKeySequence(Qt::CTRL | Qt::Key_X);
    cut.Menu = QStringLiteral("Edit");
    cut.MenuOrder = 20;
    cut.SeparatorBefore = true;
    cut.Visible = false;
    c.Add(cut);

    // The main window's Undo button follows the Undo item.
    TCommandSpec undoButton;
    undoButton.Id = QStringLiteral("btnUndo");
    undoButton.Caption = QStringLiteral("Undo");
    undoButton.Hint = QStringLiteral("Undo");
    undoButton.Icon = QStringLiteral("undo");
    undoButton.Toolbar = QStringLiteral("tbFile");
    undoButton.ToolbarOrder = 80;
    undoButton.ToolbarSeparatorBefore = true;
    undoButton.Enabled = canUndo;
    undoButton.Run = undo;
    c.Add(undoButton);

    shell.Tools().Register(toolZoom, std::make_shared<TZoomTool>());
}

} // namespace ivra
