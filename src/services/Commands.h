#pragma once
// The command registry: every menu item and toolbar button of the program is
// one registered command. A command carries its id (the object name of its
// QAction), caption, hint, icon and shortcut, its place in a menu and on a
// toolbar, an "enabled" rule that the idle handler evaluates, and the action
// it runs behind the error guard. Menus are registered too, each with its
// place in the menu bar or in a parent menu.
//
// The main window builds its menu bar and the command toolbars from the
// registry and rebuilds them whenever it changes; every subsystem registers
// its menus and commands at start-up from its own folder.

#include <QKeySequence>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QAction;

namespace ivra {

struct TMenuSpec {
    QString Id;       // e.g. "File"; commands name it in TCommandSpec::Menu
    QString Caption;  // e.g. "&File"
    QString Parent;   // "" for the menu bar, else the id of the parent menu
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
    QKeySequence Shortcut;
    QString Menu;  // the menu id, "" for none
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

    // The action of a command id, none when unknown.
    QAction* Action(const QString& id) const;
    const TCommandSpec* Description(const QString& id) const;

    // The menus, sorted by parent and order.
    std::vector<TMenuSpec> Menus() const;
    // The commands of a menu or toolbar, in their order.
    std::vector<QAction*> MenuActions(const QString& menuId) const;
    std::vector<QAction*> ToolbarActions(const QString& toolbar) const;
    // Whether a command wants a separator before it in a menu or on a toolbar.
    bool SeparatorBefore(QAction* action, bool onToolbar) const;

    // Sets every command with a rule to what its rule says now.
    void UpdateEnabled();

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

    std::vector<TMenuSpec> menus_;
    std::vector<std::unique_ptr<TEntry>> entries_;
};

} // namespace ivra
