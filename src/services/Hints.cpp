#include "services/Hints.h"

#include <QAction>
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

} // namespace ivra
