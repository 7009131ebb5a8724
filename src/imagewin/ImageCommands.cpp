#include "imagewin/ImageCommands.h"

#include "imagewin/ChildWin.h"
#include "services/Shell.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <functional>

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

bool ClipboardHasImage() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    return data && data->hasImage();
}

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

    // Copy puts the selected picture layer or the selection rectangle on the
    // clipboard and is enabled while there is one; Paste makes a layer of the
    // clipboard's picture and is enabled exactly while there is one.
    auto hasSelection = [s] {
        TMDIChild* w = ActiveImage(*s);
        return w && w->Document().Selection != nullptr;
    };
    auto canCopy = [s] {
        TMDIChild* w = ActiveImage(*s);
        return w && w->CopySource() != nullptr;
    };
    auto canPaste = [s] { return ActiveImage(*s) && ClipboardHasImage(); };
    auto copy = [s] {
        if (TMDIChild* w = ActiveImage(*s)) w->Copy1Click();
    };
    auto paste = [s] {
        if (TMDIChild* w = ActiveImage(*s)) w->Paste1Click();
    };
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
    cut.Enabled = hasSelection;
    c.Add(cut);

    const struct {
        const char* Id;
        const char* Caption;
        const char* Hint;
        QKeySequence Shortcut;
        int Order;
        std::function<bool()> Enabled;
        std::function<void()> Run;
    } clip[] = {
        {"Copy1", "&Copy", "Copy|Copies the selection and puts it on the Clipboard", QKeySequence(Qt::CTRL | Qt::Key_C),
         30, canCopy, copy},
        {"Paste1", "&Paste", "Paste|Inserts Clipboard contents", QKeySequence(Qt::CTRL | Qt::Key_V), 40, canPaste,
         paste},
    };
    for (const auto& i : clip) {
        TCommandSpec item;
        item.Id = QLatin1String(i.Id);
        item.Caption = QLatin1String(i.Caption);
        item.Hint = QLatin1String(i.Hint);
        item.Shortcut = i.Shortcut;
        item.Menu = QStringLiteral("Edit");
        item.MenuOrder = i.Order;
        item.Enabled = i.Enabled;
        item.Run = i.Run;
        c.Add(item);
    }
    // The File bar's Cut, Copy and Paste buttons; Cut has no action.
    const struct {
        const char* Id;
        const char* Caption;
        const char* Hint;
        const char* Icon;
        int Order;
        std::function<void()> Run;
    } buttons[] = {{"btnCut", "Cut", "Cut|Cuts the selection and puts it on the Clipboard", "cut", 50, [] {}},
                   {"btnCopy", "Copy", "Copy|Copies the selection and puts it on the Clipboard", "copy", 60, copy},
                   {"btnPaste", "Paste", "Paste|Inserts Clipboard contents", "paste", 70, paste}};
    for (const auto& b : buttons) {
        TCommandSpec button;
        button.Id = QLatin1String(b.Id);
        button.Caption = QLatin1String(b.Caption);
        button.Hint = QLatin1String(b.Hint);
        button.Icon = QLatin1String(b.Icon);
        button.Toolbar = QStringLiteral("tbFile");
        button.ToolbarOrder = b.Order;
        button.ToolbarSeparatorBefore = b.Order == 50;
        if (b.Order == 70) button.Enabled = canPaste;
        else if (b.Order == 60) button.Enabled = canCopy;
        else button.Enabled = hasSelection;
        button.Run = b.Run;
        c.Add(button);
    }

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
