#pragma once
// Hints in two parts, "short|long": the short part is the tooltip, the long
// part goes to the status bar (panel 2) while the pointer is over the control.

#include <QString>

class QAction;
class QMainWindow;
class QWidget;

namespace ivra {

// The text before the first "|", or the whole hint when it has none.
QString ShortHint(const QString& hint);
// The text after the first "|", or the whole hint when it has none.
QString LongHint(const QString& hint);

// Gives a control or an action its hint: tooltip = short part, status tip =
// the whole hint (the main window's hint handler shows its long part).
void SetHint(QWidget* w, const QString& hint);
void SetHint(QAction* a, const QString& hint);

// Makes a window's own status bar show only the long part of the hints of
// its controls and actions (Qt would show the whole "short|long" text).
void ShowLongHintsInStatusBar(QMainWindow* window);

} // namespace ivra
