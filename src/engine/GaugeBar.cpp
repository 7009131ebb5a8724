#include "engine/GaugeBar.h"

#include <algorithm>

namespace ivra {

TGaugeBar::TGaugeBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setRange(0, 100);
    setValue(0);
    last_ = value();
    // QSlider clamps and reports only real changes; OnChange follows it,
    // whether the change came from code or from the user.
    connect(this, &QSlider::valueChanged, this, [this](int v) {
        if (v == last_) return;
        last_ = v;
        if (OnChange) OnChange(this);
    });
}

void TGaugeBar::SetMin(int v) { SetRange(v, std::max(v, maximum())); }

void TGaugeBar::SetMax(int v) { SetRange(minimum(), std::max(v, minimum())); }

void TGaugeBar::SetRange(int minValue, int maxValue) {
    if (maxValue < minValue) maxValue = minValue;
    setRange(minValue, maxValue);
}

void TGaugeBar::SetPosition(int v) { setValue(v); }

} // namespace ivra
