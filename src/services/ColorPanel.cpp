#include "services/ColorPanel.h"

#include <QMouseEvent>
#include <QPainter>

namespace ivra {

QColor ToQColor(TColor c) {
    const TColor rgb = ResolveSystemColor(c);
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

TColor FromQColor(const QColor& c) { return TColor((c.blue() << 16) | (c.green() << 8) | c.red()); }

TColorPanel::TColorPanel(const QColor& color, QWidget* parent) : QFrame(parent), color_(color) {
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setLineWidth(1);
}

void TColorPanel::SetColor(const QColor& c) {
    if (c == color_) return;
    color_ = c;
    update();
}

void TColorPanel::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    p.fillRect(contentsRect(), QColor(color_.rgb()));
    p.end();
    QFrame::paintEvent(e);
}

void TColorPanel::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) emit DoubleClicked();
    e->accept();
}

} // namespace ivra
