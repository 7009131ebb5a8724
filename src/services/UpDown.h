#pragma once
// TUpDown: a pair of arrow buttons tied to an edit box. An arrow click takes
// the box's number (kept within Min..Max), steps it by one within Min..Max,
// writes it back to the box and reports the click. The box itself accepts any
// text; only the arrows keep to the range.

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace ivra {

class TUpDown : public QWidget {
    Q_OBJECT
public:
    TUpDown(QLineEdit* associate, int minimum, int maximum, int position, QWidget* parent = nullptr);

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    void SetPosition(int p);
    // A new range; the position is kept within it (the box is not written).
    void SetRange(int minimum, int maximum);
    QLineEdit* Associate() const { return associate_; }

    // The arrow clicks (also callable directly): up = true for the upper one.
    void Step(bool up);

    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

signals:
    void Clicked(bool up);

private:
    QLineEdit* associate_;
    QToolButton* up_;
    QToolButton* down_;
    int min_, max_, position_;
};

// The text as a decimal integer (blanks around it allowed, an optional
// sign); def when it is not one or does not fit in 32 bits.
int StrToIntDef(const QString& text, int def);

} // namespace ivra
