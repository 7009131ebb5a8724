#pragma once
// Confining the mouse pointer to a control while a line is dragged: the
// pointer is clamped to the control's rectangle on the screen whenever it
// moves out of it, until Release. The window that drags the line owns the
// confinement, so that it ends with the window at the latest.

#include <QPoint>
#include <QRect>

#include <memory>

class QWidget;

namespace ivra {

class TCursorClamp;

class TCursorConfinement {
public:
    TCursorConfinement();
    ~TCursorConfinement();
    TCursorConfinement(const TCursorConfinement&) = delete;
    TCursorConfinement& operator=(const TCursorConfinement&) = delete;

    // Confines the pointer to the control's client rectangle on the screen
    // (none: nothing changes).
    void Confine(QWidget* control);
    // Ends the confinement, if any.
    void Release();
    // The rectangle in force (empty when none).
    QRect Rect() const;

private:
    std::unique_ptr<TCursorClamp> clamp_;
};

// A point clamped into a rectangle (inclusive edges).
QPoint ClampToRect(const QPoint& p, const QRect& r);

} // namespace ivra
