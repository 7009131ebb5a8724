#pragma once
// Confining the mouse pointer to a control while a line is dragged: the
// pointer is clamped to the control's rectangle on the screen whenever it
// moves out of it, until ReleaseCursor.

#include <QPoint>
#include <QRect>

class QWidget;

namespace ivra {

// Confines the pointer to the control's client rectangle on the screen.
void ConfineCursor(QWidget* control);
// Ends any confinement.
void ReleaseCursor();
// The rectangle in force (empty when none).
QRect ConfinementRect();
// A point clamped into a rectangle (inclusive edges).
QPoint ClampToRect(const QPoint& p, const QRect& r);

} // namespace ivra
