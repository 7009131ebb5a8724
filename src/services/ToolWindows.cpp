#include "services/ToolWindows.h"

#include "services/Hints.h"

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

namespace ivra {

void ShowToolWindow(QWidget* window) {
    if (!window) return;
    window->show();
    window->raise();
    window->activateWindow();
}

void AddStatusPanels(QMainWindow& window, QLabel* (&panels)[3]) {
    const int widths[3] = {120, 60, 50};
    for (int i = 0; i < 3; ++i) {
        panels[i] = new QLabel(&window);
        panels[i]->setFrameShape(QFrame::Panel);
        panels[i]->setFrameShadow(QFrame::Sunken);
        panels[i]->setFixedWidth(widths[i]);
        window.statusBar()->addWidget(panels[i]);
    }
    panels[1]->setAlignment(Qt::AlignCenter);
    ShowLongHintsInStatusBar(&window);
}

QWidget* TToolWindowRegistry::FindWindow(std::type_index type) const {
    const auto it = windows_.find(type);
    return it == windows_.end() ? nullptr : it->second.data();
}

void TToolWindowRegistry::DeleteAll() {
    auto windows = std::move(windows_);
    windows_.clear();
    for (auto& [type, window] : windows) delete window.data();
}

} // namespace ivra
