#pragma once
// A flat panel that shows one colour and reports double clicks: the colour
// panels of the pen toolbar and of the new-image dialog.

#include "core/raster/Color32.h"

#include <QColor>
#include <QFrame>

namespace ivra {

class TColorPanel : public QFrame {
    Q_OBJECT
public:
    explicit TColorPanel(const QColor& color, QWidget* parent = nullptr);

    QColor Color() const { return color_; }
    void SetColor(const QColor& c);

signals:
    void DoubleClicked();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    QColor color_;
};

// Platform colour (00BBGGRR) and QColor.
QColor ToQColor(TColor c);
TColor FromQColor(const QColor& c);

} // namespace ivra
