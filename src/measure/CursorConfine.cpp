#include "measure/CursorConfine.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

#include <algorithm>

namespace ivra {

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

QPoint ClampToRect(const QPoint& p, const QRect& r) {
    return {std::clamp(p.x(), r.left(), std::max(r.left(), r.right())),
            std::clamp(p.y(), r.top(), std::max(r.top(), r.bottom()))};
}

TCursorConfinement::TCursorConfinement() = default;
TCursorConfinement::~TCursorConfinement() { Release(); }

void TCursorConfinement::Confine(QWidget* control) {
    if (!control || !qApp) return;
    if (!clamp_) {
        clamp_ = std::make_unique<TCursorClamp>();
        qApp->installEventFilter(clamp_.get());
    }
    clamp_->Control = control;
    clamp_->Rect = QRect(control->mapToGlobal(QPoint(0, 0)), control->size());
    const QPoint now = QCursor::pos();
    if (!clamp_->Rect.contains(now)) QCursor::setPos(ClampToRect(now, clamp_->Rect));
}

void TCursorConfinement::Release() {
    if (!clamp_) return;
    if (qApp) qApp->removeEventFilter(clamp_.get());
    clamp_.reset();
}

QRect TCursorConfinement::Rect() const { return clamp_ ? clamp_->Rect : QRect(); }

} // namespace ivra
