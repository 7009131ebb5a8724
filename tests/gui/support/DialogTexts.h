#pragma once
// Checks that a window or dialog shows every text whole: each visible label,
// button, check box, group title and edit box is at least as large as its
// text needs and lies inside the window. Status panels are left out: they
// show changing texts of any length.

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QWidget>

namespace ivra::test {

// The texts (or object names) of the controls that are cut, each with its
// size and what it needs; empty when all show whole. The window is laid out
// first.
inline QStringList CutTexts(QWidget& window) {
    window.ensurePolished();
    if (window.layout()) window.layout()->activate();
    QStringList cut;
    const QRect inside = window.rect();
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&window) || w->width() <= 0) continue;
        if (w->parentWidget() && w->parentWidget()->inherits("QStatusBar")) continue;
        // A spin box's own edit box is sized by the spin box.
        if (qobject_cast<QAbstractSpinBox*>(w->parentWidget())) continue;
        QString text;
        QSize need;
        if (auto* l = qobject_cast<QLabel*>(w)) {
            if (!l->pixmap().isNull()) continue;
            text = l->text();
            need = l->wordWrap() ? QSize(0, l->heightForWidth(l->width())) : l->sizeHint();
        } else if (auto* b = qobject_cast<QPushButton*>(w)) {
            // A push button's hint has a minimum width; only its text must fit.
            text = b->text();
            need = b->fontMetrics().size(Qt::TextShowMnemonic, text) + QSize(8, 4);
        } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            // Check boxes and radio buttons: the indicator and the text.
            text = b->text();
            need = QSize(b->sizeHint().width(), b->fontMetrics().height());
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            text = g->title();
            need = QSize(g->fontMetrics().horizontalAdvance(text) + 16, 0);
        } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
            // Room for what it holds and a line of the font.
            need = QSize(e->fontMetrics().horizontalAdvance(e->text()) + 4, e->fontMetrics().height());
        } else {
            continue;
        }
        if (text.isEmpty() && !qobject_cast<QLineEdit*>(w)) continue;
        const QRect r(w->mapTo(&window, QPoint(0, 0)), w->size());
        if (w->width() + 1 < need.width() || w->height() + 1 < need.height() || !inside.contains(r))
            cut << QStringLiteral("%1 \"%2\" is %3x%4, needs %5x%6")
                       .arg(w->objectName(), text)
                       .arg(w->width())
                       .arg(w->height())
                       .arg(need.width())
                       .arg(need.height());
    }
    return cut;
}

} // namespace ivra::test
