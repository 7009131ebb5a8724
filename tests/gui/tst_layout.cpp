// Every window and dialog of the program shows its texts whole: after
// start-up, each top-level window is shown in turn and no label, button,
// check box or group title of it may be narrower or lower than its text
// needs. Run at the desktop's default font and at 1.25 x (QT_SCALE_FACTOR);
// with IVRA_SHOTS_DIR set, a screenshot of each window is saved there
// (tools/screenshots.sh runs this under a real X server).

#include "app/MainForm.h"
#include "app/Startup.h"
#include "core/measure/MeasureTools.h"
#include "support/AppFixture.h"
#include "support/DialogTexts.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTest>
#include <QWindow>

using namespace ivra;


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
            for (const QString& text : test::CutTexts(*w)) clipped << w->objectName() + QStringLiteral(": ") + text;
            ++checked;
            if (!shots.isEmpty() && !w->objectName().isEmpty())
                w->grab().save(QDir(shots).filePath(w->objectName() + QStringLiteral(".png")));
            if (!wasVisible) w->hide();
        }
        QVERIFY(checked >= 3);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QLatin1Char('\n'))));
    }

    // The status panels show the tools' longest readouts whole: the
    // ellipse's over a large image (with Ctrl a circle).
    void statusPanelShowsLongReadouts() {
        auto main = test::MakeMainForm();
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        for (bool ctrl : {false, true}) {
            std::int32_t toolState = 1;
            TToolContext ctx{toolState};
            TMeasuringState m;
            m.FirstPoint = {0, 0};
            const QString text = QString::fromStdString(m.EllipseToolMove(ctx, {6000, 4000}, ctrl).Status.value_or(""));
            main->SetStatusText(1, text);
            test::Settle();
            auto* panel = main->findChild<QLabel*>(QStringLiteral("StatusPanel1"));
            QVERIFY(panel->contentsRect().width() >= panel->fontMetrics().horizontalAdvance(text));
        }
    }
};

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
