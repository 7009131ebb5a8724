// The histogram and statistics windows on a known image: the commands and
// their enabling, the histogram's series, axes and ramp, the statistics and
// frequency rows, deleting and clearing, the save question, saved files read
// back, and the statistics of the last measured shape.

#include "analysis/Analysis.h"
#include "analysis/AnalysisSetup.h"
#include "analysis/Histogram.h"
#include "analysis/SelChannels.h"
#include "analysis/Stats.h"
#include "chart/Chart.h"
#include "imagewin/ChildWin.h"
#include "core/text/TextGrid.h"
#include "measure/MeasureSetup.h"
#include "services/AppInfo.h"
#include "support/AppFixture.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QStatusBar>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QMenu>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

using namespace ivra;
using namespace ivra::test;

namespace {

QString Cell(TTextGridModel& g, int col, int row) { return QString::fromStdString(g.Grid().Cell(col, row)); }

// Answers the channel dialog with an item.
std::function<int(QDialog&)> ChooseChannels(int item) {
    return [item](QDialog& d) {
        static_cast<TdlgSelChan&>(d).SetItemIndex(item);
        return int(QDialog::Accepted);
    };
}

std::function<int(QDialog&)> ChooseFrequency(int item, const QString& bin) {
    return [item, bin](QDialog& d) {
        auto& f = static_cast<TfrmFreqSel&>(d);
        f.SetItemIndex(item);
        f.edBinSize->setText(bin);
        return int(QDialog::Accepted);
    };
}

} // namespace

class TestAnalysis : public QObject {
    Q_OBJECT

    std::unique_ptr<TMainForm> main_;
    TAnalysisCommands cmds_;
    TMDIChild* w_ = nullptr;
    QTemporaryDir dir_;

    TMainForm& M() { return *main_; }
    TMDIChild& W() { return *w_; }
    TfrmStats& S() { return *StatsForm(*main_); }
    TfrmHistogram& H() { return *HistogramForm(*main_); }
    QString Path(const char* name) { return dir_.filePath(QLatin1String(name)); }

    // A click of the polygon or rectangle tool on image pixel p.
    void ClickImage(TPoint p, Qt::MouseButton b = Qt::LeftButton) {
        QWidget* vp = W().ImgView->viewport();
        const TPoint v = W().BitmapToControl(p);
        const QPointF q(v.X, v.Y);
        for (QEvent::Type t : {QEvent::MouseMove, QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            const bool press = t == QEvent::MouseButtonPress;
            QMouseEvent e(t, q, vp->mapToGlobal(q), t == QEvent::MouseMove ? Qt::NoButton : b,
                          press ? b : Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(vp, &e);
        }
    }

private slots:
    void init() {
        main_ = MakeMainForm();
        InstallMeasuring(M());
        cmds_ = InstallAnalysis(M());
        // 300 x 200: red = x mod 256, green = y, blue = 100.
        w_ = M().CreateImageWindow(WriteTestPicture(Path("pattern.png"), 300, 200));
        Settle();
        M().AppOnIdle();
    }
    void cleanup() {
        main_.reset();  // the analysis windows go with the main window
    }

    void commandsNeedAnImageWindow() {
        QMenu* tools = M().Menu(QStringLiteral("Tools"));
        QVERIFY(tools->actions().contains(cmds_.Statistics));
        QVERIFY(tools->actions().indexOf(cmds_.Statistics) < tools->actions().indexOf(cmds_.PixelProfile));
        const auto bar = Named<QToolBar>(M(), "tbSpecials")->actions();
        QVERIFY(bar.indexOf(cmds_.Statistics) < bar.indexOf(cmds_.Histogram));
        QVERIFY(bar.indexOf(cmds_.Histogram) < bar.indexOf(cmds_.PixelProfile));
        for (QAction* a : {cmds_.Statistics, cmds_.Histogram, cmds_.PixelProfile}) QVERIFY(a->isEnabled());
        W().close();
        Settle();
        M().AppOnIdle();
        for (QAction* a : {cmds_.Statistics, cmds_.Histogram, cmds_.PixelProfile}) QVERIFY(!a->isEnabled());
    }

    void histogramChartsTheChosenChannel() {
        cmds_.Histogram->trigger();
        QVERIFY(H().isVisible());
        QCOMPARE(ChannelHistograms(M()).PixelCount, 60000);
        // Red: levels 0 to 43 in two columns each, the others in one.
        const auto& red = H().Chart1->SeriesPoints(0);
        QCOMPARE(red.size(), 256);
        QCOMPARE(red[0], QPointF(0, 400));
        QCOMPARE(red[43], QPointF(43, 400));
        QCOMPARE(red[44], QPointF(44, 200));
        QCOMPARE(red[255], QPointF(255, 200));
        struct {
            int Item;
            TAnalysisChannel Channel;
            const char* Title;
            QColor Color;
            int Ramp;
        } rows[] = {{1, TAnalysisChannel::Green, "Distribution of Green", QColor(0, 128, 0), 8},
                    {2, TAnalysisChannel::Blue, "Distribution of Blue", QColor(0, 0, 255), 16},
                    {3, TAnalysisChannel::Gray, "Grayscale Distribution", QColor(128, 128, 128), 24}};
        for (const auto& r : rows) {
            H().cbChannel->setCurrentIndex(r.Item);
            QCOMPARE(H().Chart1->Title(), QLatin1String(r.Title));
            QCOMPARE(H().Chart1->SeriesColor(0), r.Color);
            QCOMPARE(H().RampMode(), r.Ramp);
            const auto counts = ChannelCounts(ChannelHistograms(M()), r.Channel);
            for (int i = 0; i < 256; ++i) QCOMPARE(H().Chart1->SeriesPoints(0)[i].y(), double(counts[std::size_t(i)]));
        }
        // Green: the darker series, the ramp running up to full green; gray:
        // black to white, the last column under level 255's stair.
        const int w = H().Ramp().width();
        H().cbChannel->setCurrentIndex(1);
        QCOMPARE(H().Ramp().pixel(w - 1, 9), qRgb(0, 255, 0));
        H().cbChannel->setCurrentIndex(3);
        QCOMPARE(H().Ramp().pixel(0, 0), qRgb(0, 0, 0));
        QCOMPARE(H().Ramp().pixel(w - 1, 0), qRgb(255, 255, 255));
        // Every stair lies inside the axis: level 255's runs up to 256.
        const auto& gray = H().Chart1->SeriesPoints(0);
        QVERIFY(gray.last().x() + 1 <= H().Chart1->BottomMax());
        H().btnRescale->click();
        QVERIFY(gray.last().x() + 1 <= H().Chart1->BottomMax());
    }

    void histogramZoomKeepsTheAxesAndTheRamp() {
        cmds_.Histogram->trigger();
        TChart& c = *H().Chart1;
        c.ZoomTo(QRectF(QPointF(100, 50), QPointF(150, 300)));
        QCOMPARE(c.LeftMin(), 0.0);
        // Each column shows the level whose stair lies over it: 100 to 149.
        QCOMPARE(H().Ramp().pixel(0, 0), qRgb(100, 0, 0));
        QCOMPARE(H().Ramp().pixel(H().Ramp().width() - 1, 0), qRgb(149, 0, 0));
        QCOMPARE(H().ImagePixelRow->x(), c.x() + c.BottomAxisStartPos());
        // Ranges beyond either end stop at 0 and 256 and keep their width.
        struct {
            QRectF Asked;
            QRectF Shown;  // bottom from, to; left from, to
        } ranges[] = {
            {QRectF(QPointF(-30, 0), QPointF(20, 100)), QRectF(QPointF(0, 0), QPointF(50, 100))},
            {QRectF(QPointF(230, 0), QPointF(290, 100)), QRectF(QPointF(196, 0), QPointF(256, 100))},
            {QRectF(QPointF(10, -40), QPointF(19, 60)), QRectF(QPointF(10, 0), QPointF(19, 100))},
        };
        for (const auto& r : ranges) {
            c.ZoomTo(r.Asked);
            QCOMPARE(QRectF(QPointF(c.BottomMin(), c.LeftMin()), QPointF(c.BottomMax(), c.LeftMax())), r.Shown);
        }
        // Panning a zoomed chart over the ends with the right button moves
        // the range whole.
        for (int step = 0; step < 6; ++step) {
            const QPoint from(c.BottomAxisStartPos() + 50, c.LeftAxisTopPos() + 50);
            QTest::mousePress(c.viewport(), Qt::RightButton, {}, from);
            QTest::mouseMove(c.viewport(), from + QPoint(step % 2 ? -400 : 400, -30));
            QTest::mouseRelease(c.viewport(), Qt::RightButton, {}, from + QPoint(step % 2 ? -400 : 400, -30));
            QCOMPARE(c.BottomMax() - c.BottomMin(), 9.0);
            QCOMPARE(c.LeftMax() - c.LeftMin(), 100.0);
        }
        // A dragged rectangle zooms; one dragged to the upper left undoes it.
        H().btnRescale->click();
        QCOMPARE(c.BottomMax(), 256.0);
        QCOMPARE(c.LeftMax(), 400.0);
        const QPoint a(c.BottomAxisStartPos() + 100, c.LeftAxisTopPos() + 20);
        const QPoint b = a + QPoint(100, 100);
        QTest::mousePress(c.viewport(), Qt::LeftButton, {}, a);
        QTest::mouseMove(c.viewport(), b);
        QTest::mouseRelease(c.viewport(), Qt::LeftButton, {}, b);
        QVERIFY(c.BottomMin() > 0 && c.BottomMax() < 256);
        QCOMPARE(c.LeftMin(), 0.0);
        QTest::mousePress(c.viewport(), Qt::LeftButton, {}, b);
        QTest::mouseMove(c.viewport(), a);
        QTest::mouseRelease(c.viewport(), Qt::LeftButton, {}, a);
        QCOMPARE(c.BottomMin(), 0.0);
        QCOMPARE(c.BottomMax(), 256.0);
    }

    void statisticsRowsAndFrequencyTable() {
        cmds_.Statistics->trigger();
        QVERIFY(S().isVisible());
        QVERIFY(!S().HistogramItem->isEnabled());
        QCOMPARE(S().windowTitle(), QStringLiteral("Untitled - ") + AppTitle);
        TScriptedPrompts prompts;
        prompts.ExpectDialog(QStringLiteral("dlgSelChan"), ChooseChannels(0));
        S().ChannelStatsItem->trigger();
        VERIFY_PROMPTS(prompts);
        QVERIFY(S().HistogramItem->isEnabled());
        QCOMPARE(S().StatGrid().DataRows(), 3);
        const QStringList channels = {QStringLiteral("Red"), QStringLiteral("Green"), QStringLiteral("Blue")};
        for (int r = 1; r <= 3; ++r) {
            QCOMPARE(Cell(S().StatGrid(), 0, r), W().ImageName());
            QCOMPARE(Cell(S().StatGrid(), 1, r), channels[r - 1]);
            QCOMPARE(Cell(S().StatGrid(), 2, r), QStringLiteral("60000"));
        }
        QCOMPARE(Cell(S().StatGrid(), 5, 3), QStringLiteral("100"));  // blue Min
        QVERIFY(S().Modified());

        // Four decimals only for rows added afterwards.
        S().edDecimals->setText(QStringLiteral("4"));
        prompts.ExpectDialog(QStringLiteral("dlgSelChan"), ChooseChannels(2));
        S().ChannelStatsItem->trigger();
        QCOMPARE(Cell(S().StatGrid(), 1, 4), QStringLiteral("Gray"));
        QCOMPARE(Cell(S().StatGrid(), 3, 3), QStringLiteral("100.00"));
        QVERIFY(Cell(S().StatGrid(), 3, 4).endsWith(QString(QLatin1Char('.')) + Cell(S().StatGrid(), 3, 4).section(QLatin1Char('.'), 1)));
        QCOMPARE(Cell(S().StatGrid(), 3, 4).section(QLatin1Char('.'), 1).size(), 4);
        S().edDecimals->setText(QStringLiteral("2"));

        // Frequency, bin 20: 13 rows, the label on the first only.
        prompts.ExpectDialog(QStringLiteral("frmFreqSel"), ChooseFrequency(0, QStringLiteral("20")));
        S().FrequencyItem->trigger();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(S().pcTab->currentIndex(), 1);
        TTextGridModel& f = S().FreqGrid();
        QCOMPARE(f.DataRows(), 13);
        QCOMPARE(Cell(f, 0, 1), W().ImageName() + QStringLiteral(" - Red"));
        QCOMPARE(Cell(f, 0, 2), QString());
        QCOMPARE(Cell(f, 1, 13), QStringLiteral("240-255"));
        QCOMPARE(Cell(f, 3, 13), QStringLiteral("60000"));
        QCOMPARE(Cell(f, 5, 13), QStringLiteral("100.00"));
        // Not a number: bin size 10, 26 rows more, starting with their own label.
        prompts.ExpectDialog(QStringLiteral("frmFreqSel"), ChooseFrequency(1, QStringLiteral("x")));
        S().FrequencyItem->trigger();
        QCOMPARE(f.DataRows(), 13 + 26);
        QCOMPARE(Cell(f, 0, 14), W().ImageName() + QStringLiteral(" - Green"));
        QCOMPARE(Cell(f, 1, 14), QStringLiteral("0-9"));
        // Cancel changes nothing, not even the tab.
        S().pcTab->setCurrentIndex(0);
        prompts.ExpectDialog(QStringLiteral("frmFreqSel"), [](QDialog&) { return int(QDialog::Rejected); });
        S().FrequencyItem->trigger();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(S().pcTab->currentIndex(), 0);
        QCOMPARE(f.DataRows(), 39);
    }

    void deleteRowAndClearAllData() {
        TTextGridModel& g = S().StatGrid();
        g.AppendRows({{"a"}, {"b"}, {"c"}});
        S().show();
        S().pcTab->setCurrentIndex(0);
        // The second data row selected: the third moves up.
        S().sgStat->selectionModel()->select(g.index(1, 2), QItemSelectionModel::ClearAndSelect);
        S().DeleteRowItem->trigger();
        QCOMPARE(g.DataRows(), 2);
        QCOMPARE(Cell(g, 0, 2), QStringLiteral("c"));
        // Only the header row left: nothing to delete.
        g.ClearData();
        S().DeleteRowItem->trigger();
        QCOMPARE(g.Grid().RowCount(), 1);
        QCOMPARE(Cell(g, 0, 0), QStringLiteral("Data"));
    }

    void saveQuestionAndSavedFiles() {
        cmds_.Statistics->trigger();
        TScriptedPrompts prompts;
        prompts.ExpectDialog(QStringLiteral("dlgSelChan"), ChooseChannels(1));
        S().ChannelStatsItem->trigger();
        // Closing asks; Cancel keeps the window and the rows.
        prompts.ExpectConfirm(QMessageBox::Cancel, QStringLiteral("Save changes to Untitled?"));
        S().close();
        VERIFY_PROMPTS(prompts);
        QVERIFY(S().isVisible());
        // Clear all data, Yes, then Cancel in the save dialog: the rows stay.
        prompts.ExpectConfirm(QMessageBox::Yes).ExpectSaveFile(QString());
        S().ClearAllItem->trigger();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(S().StatGrid().DataRows(), 3);
        // Save asks for a name; the caption shows it without its folder.
        const QString txt = Path("stats.txt"), html = Path("stats.html");
        prompts.ExpectSaveFile(txt);
        S().DataSaveItem->trigger();
        VERIFY_PROMPTS(prompts);
        QVERIFY(!S().Modified());
        QCOMPARE(S().windowTitle(), QStringLiteral("stats.txt - ") + AppTitle);
        QCOMPARE(ReadAll(txt), QByteArray::fromStdString(GridToTextString(S().StatGrid().Grid())));
        // Export HTML between two saves; the second save writes text to the
        // first file without a dialog.
        prompts.ExpectSaveFile(html);
        S().ExportHTMLItem->trigger();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(ReadAll(html), QByteArray::fromStdString(GridToHTMLString(S().StatGrid().Grid())));
        S().StatGrid().DeleteRow(1);
        S().DataSaveItem->trigger();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(ReadAll(txt), QByteArray::fromStdString(GridToTextString(S().StatGrid().Grid())));
        QCOMPARE(S().FileName(), txt);
        // An existing file: only Yes overwrites.
        prompts.ExpectSaveFile(html).ExpectConfirm(QMessageBox::No, QStringLiteral("OK to overwrite %1").arg(html));
        S().ExportHTMLItem->trigger();
        VERIFY_PROMPTS(prompts);
        // Not modified: closing asks nothing.
        S().close();
        VERIFY_PROMPTS(prompts);
        QVERIFY(!S().isVisible());
    }

    // An image of a 16-bit file: rows of its 16-bit values while the box is
    // checked, 8-bit rows for hue, saturation and value and with the box
    // off; bins of 16-bit levels; the value in the status bar; the values
    // dropped by the first command that changes the pixels.
    void sixteenBitImages() {
        TMDIChild* deep = M().CreateImageWindow(
            QString::fromLatin1(IVRA_TEST_DATA_DIR) + QStringLiteral("/tiff/vips-rgb16-deflate-tiles.tif"));
        Settle();
        w_ = deep;
        QVERIFY(W().Document().FullDepthSamples());
        cmds_.Statistics->trigger();
        QVERIFY(S().cbSixteenBit->isChecked());
        TScriptedPrompts prompts;
        prompts.ExpectDialog(QStringLiteral("dlgSelChan"), ChooseChannels(0));
        S().ChannelStatsItem->trigger();
        QCOMPARE(Cell(S().StatGrid(), 0, 1), W().ImageName() + QStringLiteral(" [16-bit]"));
        QCOMPARE(Cell(S().StatGrid(), 6, 1), QStringLiteral("65535"));   // red Max
        QCOMPARE(Cell(S().StatGrid(), 4, 2), QStringLiteral("55023"));   // green Median
        prompts.ExpectDialog(QStringLiteral("dlgSelChan"), ChooseChannels(1));
        S().ChannelStatsItem->trigger();
        QCOMPARE(Cell(S().StatGrid(), 0, 4), W().ImageName());
        QCOMPARE(Cell(S().StatGrid(), 1, 4), QStringLiteral("Hue"));
        QVERIFY(S().statusBar()->currentMessage().contains(QStringLiteral("8 bits")));

        // The frequency dialog offers 16-bit bins, then 8-bit ones again.
        prompts.ExpectDialog(QStringLiteral("frmFreqSel"), [](QDialog& d) {
            auto& f = static_cast<TfrmFreqSel&>(d);
            f.SetItemIndex(3);
            return f.edBinSize->text() == QStringLiteral("4096") ? int(QDialog::Accepted) : int(QDialog::Rejected);
        });
        S().FrequencyItem->trigger();
        TTextGridModel& f = S().FreqGrid();
        QCOMPARE(f.DataRows(), 16);
        QCOMPARE(Cell(f, 1, 16), QStringLiteral("61440-65535"));

        // Unchecked: the 8-bit bitmap.
        S().cbSixteenBit->setChecked(false);
        prompts.ExpectDialog(QStringLiteral("dlgSelChan"), ChooseChannels(2));
        S().ChannelStatsItem->trigger();
        QCOMPARE(Cell(S().StatGrid(), 1, 7), QStringLiteral("Gray"));
        QCOMPARE(Cell(S().StatGrid(), 0, 7), W().ImageName());
        prompts.ExpectDialog(QStringLiteral("frmFreqSel"), [](QDialog& d) {
            auto& f = static_cast<TfrmFreqSel&>(d);
            return f.edBinSize->text() == QStringLiteral("20") ? int(QDialog::Accepted) : int(QDialog::Rejected);
        });
        S().FrequencyItem->trigger();
        QCOMPARE(f.DataRows(), 16 + 13);
        S().cbSixteenBit->setChecked(true);

        // The value under the pointer.
        ClickImage({3, 2});
        const TSamples16& samples = *W().Document().FullDepthSamples();
        QCOMPARE(M().StatusText(0), QStringLiteral("3:2 = %1 %2 %3")
                                        .arg(samples.At(3, 2, 0))
                                        .arg(samples.At(3, 2, 1))
                                        .arg(samples.At(3, 2, 2)));

        // A region: the same pixels at 16 bits.
        M().SetMode(toolRectangle);
        ClickImage({5, 5});
        ClickImage({25, 15});
        prompts.ExpectDialog(QStringLiteral("dlgSelChan"), ChooseChannels(2));
        S().LastShapeItem->trigger();
        QCOMPARE(Cell(S().StatGrid(), 0, 8), W().ImageName() + QStringLiteral(" [rectangle] [16-bit]"));
        QCOMPARE(Cell(S().StatGrid(), 2, 8), QStringLiteral("200"));

        // A command drops the values, and undo does not bring them back.
        W().Document().Apply(TImageChange::Edit([](TBitmap32&) {}));
        QVERIFY(!W().Document().FullDepthSamples());
        W().Document().Undo();
        QVERIFY(!W().Document().FullDepthSamples());
        prompts.ExpectDialog(QStringLiteral("dlgSelChan"), ChooseChannels(2));
        S().ChannelStatsItem->trigger();
        QCOMPARE(Cell(S().StatGrid(), 0, 9), W().ImageName());
        ClickImage({3, 2});
        QCOMPARE(M().StatusText(0), QStringLiteral("3:2"));
        VERIFY_PROMPTS(prompts);
    }

    void statisticsOfTheLastShape() {
        const std::int32_t analysed = ChannelHistograms(M()).PixelCount;
        cmds_.Statistics->trigger();
        TScriptedPrompts prompts;
        prompts.ExpectMessage(QStringLiteral("No polygon, rectangle or ellipse has been measured on pattern.png yet."));
        S().LastShapeItem->trigger();
        VERIFY_PROMPTS(prompts);
        // A pentagon with a roof of slope 1, then the right press that ends it.
        M().SetMode(toolPolygon);
        for (TPoint p : {TPoint{10, 40}, TPoint{40, 10}, TPoint{70, 40}, TPoint{70, 60}, TPoint{10, 60}}) ClickImage(p);
        ClickImage({90, 90}, Qt::RightButton);
        prompts.ExpectDialog(QStringLiteral("dlgSelChan"), ChooseChannels(0));
        S().LastShapeItem->trigger();
        VERIFY_PROMPTS(prompts);
        // Counted by hand: rows 10 to 39 hold x = 49 - y .. y + 29 (2y - 19
        // pixels, 900 in all, centred on x = 39), rows 40 to 59 x = 10 .. 69
        // (1200, centred on 39.5); red = x, so the mean is 82500 / 2100.
        TTextGridModel& g = S().StatGrid();
        QCOMPARE(g.DataRows(), 3);
        QCOMPARE(Cell(g, 0, 1), W().ImageName() + QStringLiteral(" [polygon]"));
        QCOMPARE(Cell(g, 2, 1), QStringLiteral("2100"));
        QCOMPARE(Cell(g, 3, 1), QStringLiteral("39.29"));
        QCOMPARE(Cell(g, 5, 1), QStringLiteral("10"));
        QCOMPARE(Cell(g, 6, 1), QStringLiteral("69"));
        // The rectangle tool's shape replaces it: n is its area.
        M().SetMode(toolRectangle);
        ClickImage({5, 5});
        ClickImage({25, 15});
        prompts.ExpectDialog(QStringLiteral("dlgSelChan"), ChooseChannels(2));
        S().LastShapeItem->trigger();
        QCOMPARE(Cell(g, 0, 4), W().ImageName() + QStringLiteral(" [rectangle]"));
        QCOMPARE(Cell(g, 2, 4), QStringLiteral("200"));
        // The whole-image store is left as the last analysis made it.
        QCOMPARE(ChannelHistograms(M()).PixelCount, analysed);
    }
};

QTEST_MAIN(TestAnalysis)
#include "tst_analysis.moc"
