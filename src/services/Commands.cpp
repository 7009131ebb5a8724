#include "services/Commands.h"

#include "core/Error.h"
#include "services/CommandGuard.h"
#include "services/Hints.h"
#include "services/Icons.h"

#include <QAction>
#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

#include <algorithm>

namespace ivra {

TCommandRegistry::TCommandRegistry(QObject* parent) : QObject(parent) {}
TCommandRegistry::~TCommandRegistry() = default;

void TCommandRegistry::AddMenu(const TMenuSpec& menu) {
    const auto same = [&](const TMenuSpec& m) { return m.Id == menu.Id; };
    if (std::any_of(menus_.begin(), menus_.end(), same))
        throw Error("The menu " + menu.Id.Name().toStdString() + " is registered twice");
    menus_.push_back(menu);
    Notify();
}

QAction* TCommandRegistry::Add(TCommandSpec command) {
    if (Find(command.Id)) throw Error("The command " + command.Id.toStdString() + " is registered twice");
    auto* a = new QAction(command.Caption, this);
    a->setObjectName(command.Id);
    if (!command.Hint.isEmpty()) SetHint(a, command.Hint);
    if (!command.Icon.isEmpty()) a->setIcon(AppIcon(command.Icon));
    a->setIconVisibleInMenu(command.IconInMenu);
    if (!command.Shortcut.isEmpty()) a->setShortcut(command.Shortcut);
    a->setCheckable(command.Checkable);
    a->setChecked(command.Checked);
    a->setVisible(command.Visible);
    if (command.Run) ConnectGuarded(a, &QAction::triggered, this, [run = command.Run](bool) { run(); });
    auto entry = std::make_unique<TEntry>();
    entry->Command = std::move(command);
    entry->Action = a;
    entries_.push_back(std::move(entry));
    Notify();
    return a;
}

void TCommandRegistry::Notify() {
    if (batchDepth_ > 0) changedInBatch_ = true;
    else emit Changed();
}

void TCommandRegistry::Batch(const std::function<void()>& registrations) {
    struct TLeave {
        int& depth;
        ~TLeave() { --depth; }
    };
    {
        ++batchDepth_;
        TLeave leave{batchDepth_};
        registrations();
    }
    if (batchDepth_ > 0 || !changedInBatch_) return;
    changedInBatch_ = false;
    CheckMenus();
    emit Changed();
}

void TCommandRegistry::CheckMenus() const {
    const auto known = [this](const TMenuId& id) {
        return id.IsNone() ||
               std::any_of(menus_.begin(), menus_.end(), [&](const TMenuSpec& m) { return m.Id == id; });
    };
    for (const TMenuSpec& m : menus_)
        if (!known(m.Parent))
            throw Error("The menu " + m.Id.Name().toStdString() + " is placed in the unknown menu " +
                        m.Parent.Name().toStdString());
    for (const auto& e : entries_)
        if (!known(e->Command.Menu))
            throw Error("The command " + e->Command.Id.toStdString() + " is placed in the unknown menu " +
                        e->Command.Menu.Name().toStdString());
}

const TCommandRegistry::TEntry* TCommandRegistry::Find(const QString& id) const {
    for (const auto& e : entries_)
        if (e->Command.Id == id) return e.get();
    return nullptr;
}

const TCommandRegistry::TEntry* TCommandRegistry::Find(QAction* action) const {
    for (const auto& e : entries_)
        if (e->Action == action) return e.get();
    return nullptr;
}

QAction* TCommandRegistry::Action(const QString& id) const {
    const TEntry* e = Find(id);
    return e ? e->Action : nullptr;
}

const TCommandSpec* TCommandRegistry::Description(const QString& id) const {
    const TEntry* e = Find(id);
    return e ? &e->Command : nullptr;
}

std::vector<TMenuSpec> TCommandRegistry::Menus() const {
    std::vector<TMenuSpec> list = menus_;
    std::stable_sort(list.begin(), list.end(), [](const TMenuSpec& a, const TMenuSpec& b) {
        return a.Parent != b.Parent ? a.Parent.Name() < b.Parent.Name() : a.Order < b.Order;
    });
    return list;
}

namespace {

// Hands the presses on one toolbar button to its command's ButtonPress.
class TButtonPressFilter : public QObject {
public:
    TButtonPressFilter(QAction* action, std::function<bool(Qt::MouseButton)> press, QObject* parent)
        : QObject(parent), action_(action), press_(std::move(press)) {}

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        // The right press belongs to the command: the context menu the
        // platform sends after it must not open the toolbar's menu.
        if (e->type() == QEvent::ContextMenu) return true;
        if (e->type() != QEvent::MouseButtonPress || !action_->isEnabled()) return false;
        bool consumed = false;
        const Qt::MouseButton button = static_cast<QMouseEvent*>(e)->button();
        RunGuarded([&] { consumed = press_(button); });
        return consumed;
    }

private:
    QAction* action_;
    std::function<bool(Qt::MouseButton)> press_;
};

std::vector<QAction*> Ordered(std::vector<std::pair<int, QAction*>> items) {
    std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<QAction*> list;
    for (const auto& item : items) list.push_back(item.second);
    return list;
}

} // namespace

std::vector<QAction*> TCommandRegistry::MenuActions(const TMenuId& menuId) const {
    std::vector<std::pair<int, QAction*>> items;
    for (const auto& e : entries_)
        if (!menuId.IsNone() && e->Command.Menu == menuId) items.emplace_back(e->Command.MenuOrder, e->Action);
    return Ordered(std::move(items));
}

std::vector<QAction*> TCommandRegistry::ToolbarActions(const QString& toolbar) const {
    std::vector<std::pair<int, QAction*>> items;
    for (const auto& e : entries_)
        if (!toolbar.isEmpty() && e->Command.Toolbar == toolbar) items.emplace_back(e->Command.ToolbarOrder, e->Action);
    return Ordered(std::move(items));
}

bool TCommandRegistry::SeparatorBefore(QAction* action, bool onToolbar) const {
    const TEntry* e = Find(action);
    return e && (onToolbar ? e->Command.ToolbarSeparatorBefore : e->Command.SeparatorBefore);
}

void TCommandRegistry::UpdateEnabled() {
    for (const auto& e : entries_)
        if (e->Command.Enabled) e->Action->setEnabled(e->Command.Enabled());
}

void TCommandRegistry::AttachButton(QAction* action, QWidget* button) {
    const TEntry* e = Find(action);
    if (!e || !e->Command.ButtonPress || !button) return;
    button->installEventFilter(new TButtonPressFilter(action, e->Command.ButtonPress, button));
}

} // namespace ivra
