#include "services/UpDown.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace ivra {

int StrToIntDef(const QString& text, int def) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return def;
    // Digits only after an optional sign: no hex, no exponent, no separators.
    qsizetype i = (t[0] == QLatin1Char('+') || t[0] == QLatin1Char('-')) ? 1 : 0;
    if (i == t.size()) return def;
    for (qsizetype k = i; k < t.size(); ++k)
        if (t[k] < QLatin1Char('0') || t[k] > QLatin1Char('9')) return def;
    bool ok = false;
    const int v = t.toInt(&ok, 10);
    return ok ? v : def;
}

TUpDown::TUpDown(QLineEdit* associate, int minimum, int maximum, int position, QWidget* parent)
    : QWidget(parent), associate_(associate), min_(minimum), max_(std::max(minimum, maximum)),
      position_(std::clamp(position, min_, max_)) {
    up_ = new QToolButton(this);
    down_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    lay->addWidget(up_);
    lay->addWidget(down_);
    connect(up_, &QToolButton::clicked, this, [this] { Step(true); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(false); });
}

void TUpDown::SetPosition(int p) {
    position_ = std::clamp(p, min_, max_);
    if (associate_) associate_->setText(QString::number(position_));
}

void TUpDown::SetRange(int minimum, int maximum) {
    min_ = minimum;
    max_ = std::max(minimum, maximum);
    position_ = std::clamp(position_, min_, max_);
}

void TUpDown::Step(bool up) {
    int cur = associate_ ? StrToIntDef(associate_->text(), position_) : position_;
    cur = std::clamp(cur, min_, max_);
    SetPosition(up ? cur + 1 : cur - 1);
    emit Clicked(up);
}

} // namespace ivra
