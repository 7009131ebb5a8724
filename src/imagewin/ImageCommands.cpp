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

void UndoLastChange(TMDIChild& w) {
    if (!w.Document().CanUndo()) return;
    w.Document().Undo();
    w.ImgView->Invalidate();
}

bool ClipboardHasImage() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    return data && data->hasImage();
}

namespace {

void RegisterCommands(TShell& shell) {
    TCommandRegistry& c = shell.Commands();
    const struct {
        TMenuId Id;
        const char* Caption;
    } menus[] = {{MenuIds::Image, "&Image"}, {MenuIds::Edit, "&Edit"}, {MenuIds::Filters, "Filters"},
                 {MenuIds::Layers, "Layers"}, {MenuIds::Selection, "Selection"}};
    int order = ImageMenuOrder;
    for (const auto& m : menus) c.AddMenu({m.Id, QLatin1String(m.Caption), {}, order++, true});

    TShell* s = &shell;
    auto hasSelection = [s] {
        TMDIChild* w = ActiveImage(*s);
        return w && w->Document().Selection() != nullptr;
    };

    // Cut has no command of its own: the menu item stays hidden, the File
    // bar's button does nothing.
    TCommandSpec cut;
    cut.Id = QStringLiteral("Cut1");
    cut.Caption = QStringLiteral("Cu&t");
    cut.Hint = QStringLiteral("Cut|Cuts the selection and puts it on the Clipboard");
    cut.Shortcut = QKeySequence(Qt::CTRL | Qt::Key_X);
    cut.Menu = MenuIds::Edit;
    cut.MenuOrder = 20;
    cut.SeparatorBefore = true;
    cut.Visible = false;
    cut.Enabled = hasSelection;
    c.Add(cut);
    TCommandSpec cutButton;
    cutButton.Id = QStringLiteral("btnCut");
    cutButton.Caption = QStringLiteral("Cut");
    cutButton.Hint = cut.Hint;
    cutButton.Icon = QStringLiteral("cut");
    cutButton.Toolbar = QStringLiteral("tbFile");
    cutButton.ToolbarOrder = 50;
    cutButton.ToolbarSeparatorBefore = true;
    cutButton.Enabled = hasSelection;
    cutButton.Run = [] {};
    c.Add(cutButton);

    // Undo, Copy and Paste: one action each, in the Edit menu and on the
    // File bar. Copy puts the selected picture layer or the selection
    // rectangle on the clipboard and is enabled while there is one; Paste
    // makes a layer of the clipboard's picture and is enabled exactly while
    // there is one.
    const struct {
        const char* Id;
        const char* Caption;
        const char* Hint;
        const char* Icon;
        QKeySequence Shortcut;
        int MenuOrder;
        int ToolbarOrder;
        bool ToolbarSeparatorBefore;
        std::function<bool()> Enabled;
        void (*Run)(TShell&, TMDIChild&);
    } items[] = {
        {"Undo1", "&Undo", "Undo|Reverts the last action", "undo", QKeySequence(Qt::CTRL | Qt::Key_Z), 10, 80, true,
         [s] {
             TMDIChild* w = ActiveImage(*s);
             return w && w->Document().CanUndo();
         },
         [](TShell&, TMDIChild& w) { UndoLastChange(w); }},
        {"Copy1", "&Copy", "Copy|Copies the selection and puts it on the Clipboard", "copy",
         QKeySequence(Qt::CTRL | Qt::Key_C), 30, 60, false,
         [s] {
             TMDIChild* w = ActiveImage(*s);
             return w && CopySource(*w) != nullptr;
         },
         [](TShell&, TMDIChild& w) { CopySelection(w); }},
        {"Paste1", "&Paste", "Paste|Inserts Clipboard contents", "paste", QKeySequence(Qt::CTRL | Qt::Key_V), 40,
         70, false, [s] { return ActiveImage(*s) && ClipboardHasImage(); },
         PasteFromClipboard},
    };
    for (const auto& i : items) {
        TCommandSpec item;
        item.Id = QLatin1String(i.Id);
        item.Caption = QLatin1String(i.Caption);
        item.Hint = QLatin1String(i.Hint);
        item.Icon = QLatin1String(i.Icon);
        // The Edit menu shows no pictures.
        item.IconInMenu = false;
        item.Shortcut = i.Shortcut;
        item.Menu = MenuIds::Edit;
        item.MenuOrder = i.MenuOrder;
        item.Toolbar = QStringLiteral("tbFile");
        item.ToolbarOrder = i.ToolbarOrder;
        item.ToolbarSeparatorBefore = i.ToolbarSeparatorBefore;
        item.Enabled = i.Enabled;
        item.Run = [s, run = i.Run] {
            if (TMDIChild* w = ActiveImage(*s)) run(*s, *w);
        };
        c.Add(item);
    }

    // The mover has no handler of its own: the layers answer the mouse
    // themselves while it is in force.
    shell.Tools().Register({toolMover, QStringLiteral("mover"),
                            QStringLiteral("Mover|Left-click to choose object; hold left button to move it"), 0},
                           std::make_shared<TToolHandler>());
    shell.Tools().Register({toolZoom, QStringLiteral("zoom"),
                            QStringLiteral("Zoom-in/Zoom-out|Left-click to zoom-in; right-click to zoom-out."), 11},
                           std::make_shared<TZoomTool>());
}

} // namespace

void InstallImageWindowCommands(TShell& shell) {
    shell.Commands().Batch([&shell] { RegisterCommands(shell); });
}

} // namespace ivra
