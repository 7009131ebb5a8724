// What the windows share for a run belongs to one shell: a second shell (a
// second test, a second main window) starts with none of the first one's
// measuring state, channel counts, chart printer set-up or text tool
// settings.

#include "analysis/Analysis.h"
#include "analysis/ChartFiles.h"
#include "core/measure/MeasureTools.h"
#include "measure/MeasureController.h"
#include "measure/TextSel.h"
#include "support/TestShell.h"

#include <QPrinter>
#include <QTest>

using namespace ivra;

class TestRunState : public QObject {
    Q_OBJECT

private slots:
    void aSecondShellStartsAfresh() {
        TTestShell first, second;
        TMeasureController::Of(first).State().ToolPolygon.push_back({1, 2});
        ChannelHistograms(first).PixelCount = 7;
        ChartPrinter(first).setOutputFileName(QStringLiteral("first.pdf"));
        TextSelForm(first).SetTextFont(QFont(QStringLiteral("Sans"), 31));
        TextSelForm(first).SetTextColor(0x00123456u);
        second.Drawing().ForeColor = 0x00336699;

        QCOMPARE(TMeasureController::Of(first).State().ToolPolygon.size(), std::size_t(1));
        QVERIFY(TMeasureController::Of(second).State().ToolPolygon.empty());
        QCOMPARE(ChannelHistograms(second).PixelCount, 0);
        QVERIFY(ChartPrinter(second).outputFileName().isEmpty());
        QCOMPARE(ChartPrinter(second).resolution(), QPrinter(QPrinter::HighResolution).resolution());
        QVERIFY(TextSelForm(second).TextFont().pointSize() != 31);
        QCOMPARE(TextSelForm(second).TextColor(), Color32FromPlatform(second.Drawing().ForeColor));
        QCOMPARE(TextSelForm(first).TextColor(), TColor32(0xFF123456u));

        first.ToolWindows().DeleteAll();
        second.ToolWindows().DeleteAll();
    }
};

QTEST_MAIN(TestRunState)
#include "tst_run_state.moc"
