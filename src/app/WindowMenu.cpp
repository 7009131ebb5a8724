// The main window's Window menu: cascading, tiling, minimising and
// arranging the image windows, and the list of image windows at its end.

#include "app/MainForm.h"

#include "imagewin/ChildWin.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>

#include <algorithm>

namespace ivra {

void TMainForm::RegisterWindowMenu() {
    const struct {
        const char* Id;
        const char* Caption;
        void (TMainForm::*Run)();
    } items[] = {{"WindowCascadeItem", "&Cascade", &TMainForm::Cascade},
                 {"WindowTileHorzItem", "Tile &Horizontally", &TMainForm::TileHorizontally},
                 {"WindowTileVertItem", "Tile &Vertically", &TMainForm::TileVertically},
                 {"WindowMinimizeItem", "&Minimize All", &TMainForm::MinimizeAll},
                 {"WindowArrangeItem", "&Arrange All", &TMainForm::ArrangeAll}};
    int order = 0;
    for (const auto& i : items) {
        TCommandSpec command;
        command.Id = QLatin1String(i.Id);
        command.Caption = QLatin1String(i.Caption);
        command.Menu = MenuIds::Window;
        command.MenuOrder = order += 10;
        command.Run = [this, run = i.Run] { (this->*run)(); };
        commands_->Add(std::move(command));
    }
}

void TMainForm::Cascade() { mdiArea_->cascadeSubWindows(); }

void TMainForm::UpdateWindowMenu() {
    QMenu* mnWindow = Menu(MenuIds::Window.Name());
    for (QAction* a : std::as_const(windowListActions_)) {
        mnWindow->removeAction(a);
        delete a;
    }
    windowListActions_.clear();
    const QList<TMDIChild*> windows = ImageWindows();
    if (windows.isEmpty()) return;
    windowListActions_ << mnWindow->addSeparator();
    QMdiSubWindow* current = mdiArea_->currentSubWindow();
    int n = 1;
    for (TMDIChild* w : windows) {
        QString text = w->windowTitle();
        text.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* a = mnWindow->addAction(n <= 9 ? QStringLiteral("&%1 %2").arg(n).arg(text) : text);
        a->setCheckable(true);
        a->setChecked(w == current);
        QPointer<TMDIChild> target(w);
        connect(a, &QAction::triggered, this, [this, target] {
            if (!target) return;
            if (target->isMinimized()) target->showNormal();
            mdiArea_->setActiveSubWindow(target);
        });
        windowListActions_ << a;
        ++n;
    }
}

namespace {

QList<QMdiSubWindow*> ArrangeableWindows(QMdiArea* area) {
    QList<QMdiSubWindow*> list;
    for (QMdiSubWindow* w : area->subWindowList(QMdiArea::CreationOrder))
        if (w->isVisible() && !w->isMinimized()) list << w;
    return list;
}

// Tiles the visible windows in bands: one above the other (horizontal) or
// side by side (vertical), the bands sharing the area evenly.
void TileInBands(QMdiArea* mdiArea, bool horizontal) {
    const QList<QMdiSubWindow*> list = ArrangeableWindows(mdiArea);
    if (list.isEmpty()) return;
    const QSize area = mdiArea->viewport()->size();
    const int n = int(list.size());
    const int length = horizontal ? area.height() : area.width();
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* w = list[i];
        if (w->isMaximized()) w->showNormal();
        const int from = length * i / n, to = length * (i + 1) / n;
        if (horizontal)
            w->setGeometry(0, from, area.width(), to - from);
        else
            w->setGeometry(from, 0, to - from, area.height());
    }
}

} // namespace

void TMainForm::TileHorizontally() { TileInBands(mdiArea_, true); }

void TMainForm::TileVertically() { TileInBands(mdiArea_, false); }

void TMainForm::MinimizeAll() {
    for (QMdiSubWindow* w : mdiArea_->subWindowList(QMdiArea::CreationOrder)) w->showMinimized();
    ArrangeAll();
}

void TMainForm::ArrangeAll() {
    // Minimised windows in rows along the bottom of the area, left to right,
    // further rows above the first.
    const QSize area = mdiArea_->viewport()->size();
    int x = 0, rowTop = -1;
    for (QMdiSubWindow* w : mdiArea_->subWindowList(QMdiArea::CreationOrder)) {
        if (!w->isMinimized()) continue;
        const QSize s = w->size();
        if (rowTop < 0) rowTop = area.height() - s.height();
        if (x > 0 && x + s.width() > area.width()) {
            x = 0;
            rowTop -= s.height();
        }
        w->move(x, std::max(0, rowTop));
        x += s.width();
    }
}

} // namespace ivra
