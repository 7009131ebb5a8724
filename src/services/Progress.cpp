#include "services/Progress.h"

#include "services/Shell.h"

#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>

namespace ivra {

namespace {

// How deep the running work is nested (only the outermost shows).
struct TProgressDepth {
    int Depth = 0;
};

// The status bar's progress display: the work's name with the seconds spent
// and a running bar.
class TProgressDisplay {
public:
    TProgressDisplay(TShell& shell, const QString& what)
        : shell_(shell), timing_(shell.RunObjects().Get<TProgressTiming>()), what_(what) {
        clock_.start();
        timer_.setInterval(timing_.UpdateEveryMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start();
    }
    ~TProgressDisplay() {
        timer_.stop();
        delete panel_;  // a QPointer: nothing when the window has gone
    }

private:
    void Tick() {
        const qint64 ms = clock_.elapsed();
        if (ms < timing_.ProgressAfterMs) return;
        if (!panel_) {
            auto* main = qobject_cast<QMainWindow*>(shell_.Window());
            if (!main) return;
            panel_ = new QWidget;
            panel_->setObjectName(QStringLiteral("pnlProgress"));
            auto* row = new QHBoxLayout(panel_);
            row->setContentsMargins(0, 0, 0, 0);
            label_ = new QLabel(panel_);
            label_->setObjectName(QStringLiteral("lbProgress"));
            auto* bar = new QProgressBar(panel_);
            bar->setObjectName(QStringLiteral("pbProgress"));
            bar->setRange(0, 0);  // running, no fraction
            bar->setMaximumWidth(160);
            bar->setMaximumHeight(16);
            row->addWidget(label_);
            row->addWidget(bar);
            main->statusBar()->addPermanentWidget(panel_);
            panel_->show();
        }
        label_->setText(QStringLiteral("%1... %2 s").arg(what_).arg(ms / 1000));
    }

    TShell& shell_;
    TProgressTiming timing_;
    QString what_;
    QElapsedTimer clock_;
    QTimer timer_;
    QPointer<QWidget> panel_;
    QLabel* label_ = nullptr;
};

} // namespace

void RunWithProgress(TShell& shell, const QString& what, const std::function<void()>& work) {
    int& depth = shell.RunObjects().Get<TProgressDepth>().Depth;
    if (depth > 0) {
        work();
        return;
    }
    ++depth;
    struct TLeave {
        int& Depth;
        ~TLeave() { --Depth; }
    } leave{depth};
    TProgressDisplay display(shell, what);
    work();
}

} // namespace ivra
