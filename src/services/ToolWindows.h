#pragma once
// Small things every tool window does the same way.

class QLabel;
class QMainWindow;
class QWidget;

namespace ivra {

// Shows a tool window, raised and active (nothing for none).
void ShowToolWindow(QWidget* window);

// The three sunken status panels of a tool window's status bar, 120, 60
// (centred) and 50 pixels wide, whose hints show their long part.
void AddStatusPanels(QMainWindow& window, QLabel* (&panels)[3]);

} // namespace ivra
