// Every window and dialog of the program shows its texts whole: after
// start-up, each top-level window is shown in turn and no label, button,
// check box or group title of it may be narrower or lower than its text
// needs. Run at the desktop's default font and at 1.25 x (QT_SCALE_FACTOR);
// with IVRA_SHOTS_DIR set, a screenshot of each window is saved there
// (tools/screenshots.sh runs this under a real X server).

#include "app/MainForm.h"
#include "app/Startup.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QWindow>

using namespace ivra;

namespace {

// The texts of w (and its children) that are cut, as "window: object 'text'".
QStringList ClippedTexts(QWidget* window) {
    QStringList found;
    auto report = [&](QWidget* w, const QString& text) {
        found << QStringLiteral("%1: %2 \"%3\" is %4x%5, needs %6x%7")
                     .arg(window->objectName(), w->objectName(), text)
                     .arg(w->width())
                     .arg(w->height())
                     .arg(w->sizeHint().width())
                     .arg(w->sizeHint().height());
    };
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || w->width() <= 0) continue;
        // Status panels show changing texts (hints, read-outs) of any length.
        if (w->parentWidget() && w->parentWidget()->inherits("QStatusBar")) continue;
        if (auto* l = qobject_cast<QLabel*>(w)) {
            if (l->text().isEmpty() || !l->pixmap().isNull()) continue;
            const bool fits = l->wordWrap() ? l->heightForWidth(l->width()) <= l->height()
                                            : l->sizeHint().width() <= l->width() + 1 &&
                                                  l->fontMetrics().height() <= l->height();
            if (!fits) report(l, l->text());
        } else if (auto* b = qobject_cast<QPushButton*>(w)) {
            // A push button's hint has a minimum width; only its text must fit.
            QString text = b->text();
            text.remove(QLatin1Char('&'));
            if (b->text().isEmpty()) continue;
            if (b->fontMetrics().horizontalAdvance(text) + 8 > b->width() || b->fontMetrics().height() > b->height())
                report(b, b->text());
        } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            if (b->text().isEmpty()) continue;
            if (b->sizeHint().width() > b->width() + 1 || b->fontMetrics().height() > b->height()) report(b, b->text());
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            if (!g->title().isEmpty() && g->fontMetrics().horizontalAdvance(g->title()) + 16 > g->width())
                report(g, g->title());
        }
    }
    return found;
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT
private slots:
    void everyWindowShowsItsTextsWhole() {
        TStartupOptions o;
        o.SleepMs = 0;
        o.SplashMs = 0;
        TStartupResult r = RunStartup(o);
        QVERIFY(QTest::qWaitForWindowExposed(r.Main.get()));
        const QString shots = qEnvironmentVariable("IVRA_SHOTS_DIR");
        if (!shots.isEmpty()) QDir().mkpath(shots);
        QStringList clipped;
        int checked = 0;
        QList<QWidget*> windows{r.Main.get()};
        for (QWidget* w : r.Main->findChildren<QWidget*>())
            if (w->isWindow() && !w->inherits("QMenu") && w->objectName() != QLatin1String("tbMessages")) windows << w;
        for (QWidget* w : windows) {
            const bool wasVisible = w->isVisible();
            w->show();
            if (!QTest::qWaitForWindowExposed(w)) continue;
            QTest::qWait(20);
            clipped << ClippedTexts(w);
            ++checked;
            if (!shots.isEmpty() && !w->objectName().isEmpty())
                w->grab().save(QDir(shots).filePath(w->objectName() + QStringLiteral(".png")));
            if (!wasVisible) w->hide();
        }
        QVERIFY(checked >= 3);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
