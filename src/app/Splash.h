#pragma once
// The splash window shown while the program starts: a picture of our own with
// a text box into which start-up writes its progress lines.

#include <QPixmap>
#include <QStringList>
#include <QTimer>
#include <QWidget>

class QPlainTextEdit;

namespace ivra {

class TfrmSplash : public QWidget {
    Q_OBJECT
public:
    // The timer (5000 ms) starts running now; a delay of 0 or less lets the
    // splash close at once.
    explicit TfrmSplash(QWidget* parent = nullptr, int closeDelayMs = 5000);

    // True once the timer fired or the picture was clicked.
    bool CloseAllowed() const { return closeAllowed_; }
    void SetCloseAllowed(bool allowed) { closeAllowed_ = allowed; }

    // Appends a progress line to the text box.
    void AddLine(const QString& line);
    // The progress lines so far, in order.
    QStringList Lines() const;

    QPlainTextEdit* Memo() const { return memo_; }
    QTimer* Timer() { return &timer_; }

    // The splash picture (441 x 418), drawn once.
    static QPixmap Picture();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    QPixmap picture_;
    QPlainTextEdit* memo_ = nullptr;
    QTimer timer_;
    bool closeAllowed_ = false;
};

} // namespace ivra
