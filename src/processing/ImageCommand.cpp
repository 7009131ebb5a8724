#include "processing/ImageCommand.h"

#include "imagewin/ChildWin.h"
#include "services/Busy.h"
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

TProgressTiming g_timing;
int g_depth = 0;

// The status bar's progress display: the work's name with the seconds spent
// and a running bar (the core's operations do not report how far they are).
class TProgressDisplay {
public:
    TProgressDisplay(TShell& shell, const QString& what) : shell_(shell), what_(what) {
        clock_.start();
        timer_.setInterval(g_timing.UpdateEveryMs);
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
        if (ms < g_timing.ProgressAfterMs) return;
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
    QString what_;
    QElapsedTimer clock_;
    QTimer timer_;
    QPointer<QWidget> panel_;
    QLabel* label_ = nullptr;
};

} // namespace

TProgressTiming SetProgressTiming(const TProgressTiming& timing) {
    const TProgressTiming old = g_timing;
    g_timing = timing;
    return old;
}

void RunWithProgress(TShell& shell, const QString& what, const std::function<void()>& work) {
    // Work started from within other work shows no second display.
    if (g_depth > 0) {
        work();
        return;
    }
    ++g_depth;
    struct TDepth {
        ~TDepth() { --g_depth; }
    } depth;
    TProgressDisplay display(shell, what);
    work();
}

void RunImageChange(TShell& shell, TMDIChild& w, const QString& what,
                    const std::function<void(TBitmap32&)>& change, bool undoable) {
    RunWithProgress(shell, what, [&] { w.Document().ApplyImageChange(change, undoable); });
}

void RunImageTransform(TShell& shell, TMDIChild& w, const QString& what,
                       const std::function<void(const TBitmap32&, TBitmap32&)>& transform) {
    RunWithProgress(shell, what, [&] { w.Document().ApplyImageTransform(transform); });
}

void RunBitmapChange(TShell& shell, TBitmap32& target, const QString& what,
                     const std::function<void(TBitmap32&)>& change) {
    RunWithProgress(shell, what, [&] {
        TBitmap32 work;
        work.Assign(target);
        RunBusy([&] { change(work); });
        // Swapped in whole, with the target's own drawing properties (the
        // change may not alter them).
        target.SwapPixels(work);
    });
}

void RunComputation(TShell& shell, const QString& what, const std::function<void()>& compute) {
    RunWithProgress(shell, what, [&] { RunBusy(compute); });
}

} // namespace ivra
