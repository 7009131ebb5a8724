#include "measure/CursorConfine.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

#include <algorithm>

namespace ivra {

namespace {

// Watches every mouse move of the application and puts the pointer back
// into the rectangle when it left it.
class TCursorClamp : public QObject {
public:
    QPointer<QWidget> Control;
    QRect Rect;

    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::MouseMove && !Rect.isEmpty()) {
            const QPoint g = static_cast<QMouseEvent*>(e)->globalPosition().toPoint();
            if (!Rect.contains(g)) QCursor::setPos(ClampToRect(g, Rect));
        }
        return QObject::eventFilter(watched, e);
    }
};

TCursorClamp* g_clamp = nullptr;

} // namespace

QPoint ClampToRect(const QPoint& p, const QRect& r) {
    return {std::clamp(p.x(), r.left(), std::max(r.left(), r.right())),
            std::clamp(p.y(), r.top(), std::max(r.top(), r.bottom()))};
}

void ConfineCursor(QWidget* control) {
    if (!control || !qApp) return;
    if (!g_clamp) {
        g_clamp = new TCursorClamp;
        g_clamp->setParent(qApp);
        qApp->installEventFilter(g_clamp);
    }
    g_clamp->Control = control;
    g_clamp->Rect = QRect(control->mapToGlobal(QPoint(0, 0)), control->size());
    const QPoint now = QCursor::pos();
    if (!g_clamp->Rect.contains(now)) QCursor::setPos(ClampToRect(now, g_clamp->Rect));
}

void ReleaseCursor() {
    if (!g_clamp) return;
    qApp->removeEventFilter(g_clamp);
    delete g_clamp;
    g_clamp = nullptr;
}

QRect ConfinementRect() { return g_clamp ? g_clamp->Rect : QRect(); }

} // namespace ivra
