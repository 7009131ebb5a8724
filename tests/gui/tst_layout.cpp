// Every window and dialog of the program shows its texts whole: after
// start-up, each top-level window is shown in turn and no label, button,
// check box or group title of it may be narrower or lower than its text
// needs. Run at the desktop's default font and at 1.25 x (QT_SCALE_FACTOR);
// with IVRA_SHOTS_DIR set, a screenshot of each window is saved there
// (tools/screenshots.sh runs this under a real X server).

#include "app/MainForm.h"
#include "app/Startup.h"
#include "analysis/AnalysisSetup.h"
#include "analysis/SelChannels.h"
#include "analysis/Stats.h"
#include "core/measure/MeasureTools.h"
#include "imagewin/ChildWin.h"
#include "support/AppFixture.h"
#include "support/DialogTexts.h"
#include "support/ScriptedPrompts.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
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

    // The statistics grid shows every heading and every number whole once
    // rows are added (all channels, the least decimals and the most).
    void statisticsGridShowsItsCellsWhole() {
        auto main = test::MakeMainForm();
        InstallAnalysis(*main);
        TMDIChild* w = main->NewImageWindow(QStringLiteral("pattern"));
        test::FillTestPattern(w->ImgView->Bitmap(), 300, 200);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        main->AppOnIdle();
        TfrmStats& stats = *StatsForm(*main);
        stats.show();
        for (const char* decimals : {"2", "8"}) {
            stats.edDecimals->setText(QLatin1String(decimals));
            test::TScriptedPrompts prompts;
            prompts.ExpectDialog(QStringLiteral("dlgSelChan"), [](QDialog& d) {
                static_cast<TdlgSelChan&>(d).SetItemIndex(1);
                return int(QDialog::Accepted);
            });
            stats.ChannelStatsItem->trigger();
            QVERIFY(prompts.Verify(__FILE__, __LINE__));
        }
        test::Settle();
        QTableView* v = stats.CurrentView();
        const QFontMetrics fm(v->font());
        QStringList cut;
        for (int c = 0; c < v->model()->columnCount(); ++c) {
            int need = v->horizontalHeader()->sectionSizeHint(c);
            for (int r = 0; r < v->model()->rowCount(); ++r)
                need = std::max(need, fm.horizontalAdvance(v->model()->index(r, c).data().toString()) + 6);
            if (v->columnWidth(c) < need)
                cut << QStringLiteral("%1 is %2, needs %3")
                           .arg(v->model()->headerData(c, Qt::Horizontal).toString())
                           .arg(v->columnWidth(c))
                           .arg(need);
        }
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("; "))));
    }

    // The status panels show the tools' longest readouts whole: the
    // ellipse's over a large image, with a unit (with Ctrl a circle).
    void statusPanelShowsLongReadouts() {
        auto main = test::MakeMainForm();
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        for (bool ctrl : {false, true}) {
            std::int32_t toolState = 1;
            TToolContext ctx{toolState, 1.0f, '.', "\u00B5m"};
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
