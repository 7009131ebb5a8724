#pragma once
// TGaugeBar: a horizontal slider with a minimum, a maximum and a position.
// Setting the position clamps it to [minimum, maximum] and calls OnChange
// only when the position really changes (also when a new range moves it).
// The user's drags and keys go the same way.

#include <QSlider>

#include <functional>

namespace ivra {

class TGaugeBar : public QSlider {
    Q_OBJECT
public:
    explicit TGaugeBar(QWidget* parent = nullptr);

    int Min() const { return minimum(); }
    int Max() const { return maximum(); }
    int Position() const { return value(); }
    // A maximum below the minimum is raised to it.
    void SetMin(int v);
    void SetMax(int v);
    void SetRange(int minValue, int maxValue);
    void SetPosition(int v);

    std::function<void(TGaugeBar* sender)> OnChange;

private:
    int last_ = 0;
};

} // namespace ivra
