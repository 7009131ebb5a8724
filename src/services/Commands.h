#pragma once
// The command registry: every menu item and toolbar button of the program is
// one registered command. A command carries its id (the object name of its
// QAction), caption, hint, icon and shortcut, its place in a menu and on a
// toolbar, an "enabled" rule that the idle handler evaluates, and the action
// it runs behind the error guard. Menus are registered too, each with its
// place in the menu bar or in a parent menu.
//
// The main window builds its menu bar and the command toolbars from the
// registry and rebuilds them when it changes; every subsystem registers its
// menus and commands at start-up from its own folder, inside one batch
// (Batch), so that the bars are built once and a command or menu that names
// a menu nobody registered stops the start-up with a clear error.

#include <QKeySequence>
#include <QObject>
#include <QString>

#include <cstring>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QWidget;

namespace ivra {

// A menu's id. Menus and the commands in them name each other only through
// constants of this type (services/MenuIds.h for the menu bar's menus, the
// command families' own files for their submenus), never through a string
// typed at the place of use. The default id is "no menu".
class TMenuId {
public:
    constexpr TMenuId() = default;
    explicit constexpr TMenuId(const char* name) : name_(name) {}
    // The id as text ("" for no menu); the menu's object name is "mn" + Name().
    QString Name() const { return QLatin1String(name_); }
    bool IsNone() const { return *name_ == '\0'; }
    friend bool operator==(const TMenuId& a, const TMenuId& b) { return std::strcmp(a.name_, b.name_) == 0; }

private:
    const char* name_ = "";
};

struct TMenuSpec {
    TMenuId Id;       // commands name it in TCommandSpec::Menu
    QString Caption;  // e.g. "&File"
    TMenuId Parent;   // none for the menu bar, else the parent menu
    int Order = 0;    // place among its siblings, smallest first
    // Shown in the menu bar only while an image window is active (the image
    // window's own menus).
    bool ImageWindowMenu = false;
};

struct TCommandSpec {
    QString Id;
    QString Caption;
    QString Hint;  // "short|long", see Hints.h
    QString Icon;  // a name of AppIcon, "" for none
    bool IconInMenu = true;  // false: the icon shows on the toolbar only
    QKeySequence Shortcut;
    TMenuId Menu;  // none: on no menu
    int MenuOrder = 0;
    bool SeparatorBefore = false;  // in the menu
    QString Toolbar;               // the toolbar's object name, "" for none
    int ToolbarOrder = 0;
    bool ToolbarSeparatorBefore = false;
    bool Checkable = false;
    bool Checked = false;
    bool Visible = true;
    // Evaluated by the idle handler; none: always enabled.
    std::function<bool()> Enabled;
    // Run behind the error guard; for a checkable command after the tick flipped.
    std::function<void()> Run;
    // A mouse press on the command's toolbar button, before the button acts
    // on it (run behind the error guard while the command is enabled); true
    // keeps the press from the button. The button's context menu is then
    // suppressed, so that a right press belongs to the command alone.
    std::function<bool(Qt::MouseButton)> ButtonPress;
};

class TCommandRegistry : public QObject {
    Q_OBJECT
public:
    explicit TCommandRegistry(QObject* parent = nullptr);
    ~TCommandRegistry() override;

    void AddMenu(const TMenuSpec& menu);
    // Registers a command and returns its action (owned by the registry).
    // An id registered before is refused with an Error.
    QAction* Add(TCommandSpec command);

    // Runs registrations as one batch: Changed is emitted once at its end,
    // not after each menu and command. At the end of the outermost batch
    // every menu a command or a menu names must be registered, else an
    // Error names the first that is not (and Changed is not emitted).
    // Batches nest.
    void Batch(const std::function<void()>& registrations);
    // Throws that Error when a command or menu names an unregistered menu.
    void CheckMenus() const;
    // Something the bars show changed outside the registry (a tool was
    // registered): announced as a registration is, once per batch.
    void MarkChanged() { Notify(); }

    // The action of a command id, none when unknown.
    QAction* Action(const QString& id) const;
    const TCommandSpec* Description(const QString& id) const;

    // The menus, sorted by parent and order.
    std::vector<TMenuSpec> Menus() const;
    // The commands of a menu or toolbar, in their order.
    std::vector<QAction*> MenuActions(const TMenuId& menuId) const;
    std::vector<QAction*> ToolbarActions(const QString& toolbar) const;
    // Whether a command wants a separator before it in a menu or on a toolbar.
    bool SeparatorBefore(QAction* action, bool onToolbar) const;

    // Sets every command with a rule to what its rule says now.
    void UpdateEnabled();

    // The toolbar button made for a command's action: gives it the
    // command's ButtonPress, when it has one.
    void AttachButton(QAction* action, QWidget* button);

signals:
    // A menu or command was registered: the menus and bars need rebuilding.
    void Changed();

private:
    struct TEntry {
        TCommandSpec Command;
        QAction* Action = nullptr;
    };
    const TEntry* Find(const QString& id) const;
    const TEntry* Find(QAction* action) const;
    void Notify();

    std::vector<TMenuSpec> menus_;
    std::vector<std::unique_ptr<TEntry>> entries_;
    int batchDepth_ = 0;
    bool changedInBatch_ = false;
};

} // namespace ivra
