#include "services/Hints.h"

#include <QAction>
#include <QEvent>
#include <QMainWindow>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QWidget>

namespace ivra {

QString ShortHint(const QString& hint) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.left(bar);
}

QString LongHint(const QString& hint) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

void SetHint(QWidget* w, const QString& hint) {
    w->setToolTip(ShortHint(hint));
    w->setStatusTip(hint);
}

void SetHint(QAction* a, const QString& hint) {
    a->setToolTip(ShortHint(hint));
    a->setStatusTip(hint);
}

namespace {

class TLongHintFilter : public QObject {
public:
    explicit TLongHintFilter(QMainWindow* window) : QObject(window), window_(window) {}

    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched != window_ || e->type() != QEvent::StatusTip) return false;
        const QString tip = static_cast<QStatusTipEvent*>(e)->tip();
        if (tip.isEmpty())
            window_->statusBar()->clearMessage();
        else
            window_->statusBar()->showMessage(LongHint(tip));
        return true;
    }

private:
    QMainWindow* window_;
};

} // namespace

void ShowLongHintsInStatusBar(QMainWindow* window) { window->installEventFilter(new TLongHintFilter(window)); }

} // namespace ivra
