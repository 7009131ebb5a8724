// The pixel profile window: the working copy and Refresh, a line drawn with
// real mouse events (cursor confined meanwhile), the points label, the Data
// grid, the chart's series and the pixel slice, the tabs that hide for a
// short line, and the saved table, chart pictures and printed page.

#include "analysis/AnalysisSetup.h"
#include "analysis/ChartFiles.h"
#include "analysis/PixelProfile.h"
#include "chart/Chart.h"
#include "core/codecs/ImageFiles.h"
#include "core/text/TextGrid.h"
#include "measure/CursorConfine.h"
#include "support/AppFixture.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFiles.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPrinter>
#include <QPushButton>
#include <QValueAxis>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace ivra;
using namespace ivra::test;

class TestProfile : public QObject {
    Q_OBJECT

    std::unique_ptr<TMainForm> main_;
    TAnalysisCommands cmds_;
    TMDIChild* w_ = nullptr;
    QTemporaryDir dir_;

    TfrmPixel& P() { return *PixelForm(*main_); }
    QString Path(const char* name) { return dir_.filePath(QLatin1String(name)); }
    QString Data(int col, int row) { return QString::fromStdString(P().DataGrid().Grid().Cell(col, row)); }

    void Mouse(QEvent::Type t, QPoint p, Qt::MouseButton b, Qt::MouseButtons held) {
        QWidget* img = P().Image1;
        QMouseEvent e(t, QPointF(p), img->mapToGlobal(QPointF(p)), b, held, Qt::NoModifier);
        QCoreApplication::sendEvent(img, &e);
    }
    // Press at a, moves in steps to b with the button held, release at b.
    void Drag(QPoint a, QPoint b) {
        Mouse(QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton);
        QVERIFY(P().DrawingLine());
        QCOMPARE(P().ConfinementRect(), QRect(P().Image1->mapToGlobal(QPoint(0, 0)), P().Image1->size()));
        for (int k = 1; k <= 4; ++k) Mouse(QEvent::MouseMove, a + (b - a) * k / 4, Qt::NoButton, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, b, Qt::LeftButton, Qt::NoButton);
        QVERIFY(!P().DrawingLine());
        QVERIFY(P().ConfinementRect().isEmpty());
    }
    bool TabsShown() {
        return P().pcPages->isTabVisible(TfrmPixel::DataTab) && P().pcPages->isTabVisible(TfrmPixel::GraphsTab);
    }

private slots:
    void init() {
        main_ = MakeMainForm();
        cmds_ = InstallAnalysis(*main_);
        // 300 x 200: red = x mod 256, green = y, blue = 100.
        w_ = main_->CreateImageWindow(WriteTestPicture(Path("pattern.png"), 300, 200));
        Settle();
        main_->AppOnIdle();
        cmds_.PixelProfile->trigger();
        QVERIFY(P().isVisible());
        QVERIFY(P().HasCopy());
    }
    void cleanup() { main_.reset(); }

    void horizontalLineGivesFourSamples() {
        QCOMPARE(P().LabelFilename->text(), QStringLiteral("pattern.png"));
        QVERIFY(!TabsShown());
        Drag({10, 5}, {13, 5});
        QCOMPARE(P().LabelPoints->text(), QStringLiteral("Points = (10, 5)   (13, 5)     Distance = 3.0"));
        QCOMPARE(P().ChartPixelProfile->Title(), QStringLiteral("Pixel Profile:   pattern.png   from (10, 5) to (13, 5)"));
        QVERIFY(TabsShown());
        QCOMPARE(P().DataGrid().DataRows(), 4);
        QCOMPARE(Data(0, 0), QStringLiteral("#"));
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(Data(1, k + 1), QStringLiteral("%1.5").arg(10 + k));
            QCOMPARE(Data(2, k + 1), QStringLiteral("5.5"));
            QCOMPARE(Data(3, k + 1), QString::number(10 + k));
        }
        // Series: red = x, green 5, blue 100; the distance axis ends at L = 3.
        TChart& c = *P().ChartPixelProfile;
        QCOMPARE(c.SeriesPoints(0), (QList<QPointF>{{0, 10}, {1, 11}, {2, 12}, {3, 13}}));
        QCOMPARE(c.SeriesPoints(1), (QList<QPointF>{{0, 5}, {1, 5}, {2, 5}, {3, 5}}));
        QCOMPARE(c.SeriesPoints(2).first(), QPointF(0, 100));
        QCOMPARE(c.BottomMax(), 3.0);
        QCOMPARE(P().Slice().size(), QSize(4, 10));
        QCOMPARE(P().Slice().pixel(2, 9), qRgb(12, 5, 100));
    }

    void diagonalAndShortLines() {
        Drag({0, 0}, {3, 4});
        QVERIFY(P().LabelPoints->text().endsWith(QStringLiteral("Distance = 5.0")));
        QCOMPARE(P().DataGrid().DataRows(), 6);
        QCOMPARE(P().ChartPixelProfile->SeriesPoints(3).size(), 6);
        // A click without moving hides the tabs and clears the slice.
        Drag({50, 50}, {50, 50});
        QVERIFY(!TabsShown());
        QVERIFY(P().Slice().isNull());
        QCOMPARE(P().LabelPoints->text(), QStringLiteral("Points = (50, 50)   (50, 50)     Distance = 0.0"));
        // Other buttons draw nothing.
        Mouse(QEvent::MouseButtonPress, {5, 5}, Qt::RightButton, Qt::RightButton);
        QVERIFY(!P().DrawingLine());
    }

    void seriesAreSwitchedAndAxisIncrementFollowsTheLength() {
        TChart& c = *P().ChartPixelProfile;
        for (int i = 0; i < 7; ++i) QCOMPARE(c.SeriesVisible(i), i < 3);
        P().Planes[4]->setChecked(true);
        P().Planes[0]->setChecked(false);
        QVERIFY(c.SeriesVisible(4));
        QVERIFY(!c.SeriesVisible(0));
        struct {
            QPoint End;
            double Step;
        } cases[] = {{{20, 10}, 1}, {{21, 10}, 5}, {{136, 10}, 25}, {{261, 10}, 50}};
        for (const auto& k : cases) {
            Drag({10, 10}, k.End);
            QCOMPARE(c.BottomAxis()->tickInterval(), k.Step);
        }
    }

    void refreshProfilesTheEditedImage() {
        Drag({10, 5}, {13, 5});
        w_->ImgView->Bitmap().SetPixel(12, 5, Color32(250, 1, 2));
        QCOMPARE(P().ChartPixelProfile->SeriesPoints(0)[2].y(), 12.0);
        P().btnRefresh->click();
        QCOMPARE(P().ChartPixelProfile->SeriesPoints(0)[2].y(), 250.0);
        // A closed source leaves the copy as it was.
        w_->close();
        Settle();
        P().btnRefresh->click();
        QVERIFY(P().HasCopy());
        QCOMPARE(P().WorkingCopy().Width(), 300);
    }

    void tableAndChartAreSavedAndPrinted() {
        Drag({10, 5}, {13, 5});
        TScriptedPrompts prompts;
        const QString txt = Path("profile.txt"), html = Path("profile.html");
        prompts.ExpectSaveFile(txt).ExpectSaveFile(html);
        P().btnSaveData->click();
        P().btnSaveData->click();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(ReadAll(txt), QByteArray::fromStdString(GridToTextString(P().DataGrid().Grid())));
        QCOMPARE(ReadAll(html), QByteArray::fromStdString(GridToHTMLString(P().DataGrid().Grid())));
        QCOMPARE(prompts.LastFileRequest.Filter, QStringLiteral("Tab delimited files (*.txt);;HTML files (*.html)"));

        // The chart as a bitmap of its size, as SVG and as PNG.
        P().pcPages->setCurrentIndex(TfrmPixel::GraphsTab);
        const QString bmp = Path("chart.bmp"), svg = Path("chart.svg"), png = Path("chart.png");
        prompts.ExpectSaveFile(bmp).ExpectSaveFile(svg).ExpectSaveFile(png);
        for (int i = 0; i < 3; ++i) P().btnSaveChart->click();
        VERIFY_PROMPTS(prompts);
        // The dialog offers the type saved last, with its name.
        QCOMPARE(prompts.LastFileRequest.DefaultSuffix, QStringLiteral("svg"));
        QCOMPARE(prompts.LastFileRequest.FileName, QStringLiteral("chart.svg"));
        TBitmap32 back;
        QCOMPARE(LoadImageFile(QFile::encodeName(bmp).toStdString(), back), TImageFormat::Bmp);
        QCOMPARE(QSize(back.Width(), back.Height()), P().ChartPixelProfile->size());
        QVERIFY(ReadAll(svg).contains("<svg"));
        QCOMPARE(QImage(png).size(), P().ChartPixelProfile->size());

        // Printed to a PDF file; Cancel prints nothing.
        const QString pdf = Path("chart.pdf");
        ChartPrinter(*main_).setOutputFormat(QPrinter::PdfFormat);
        ChartPrinter(*main_).setOutputFileName(pdf);
        prompts.ExpectPrint(false).ExpectPrint(true);
        P().btnPrint->click();
        QVERIFY(!QFileInfo::exists(pdf));
        P().btnPrint->click();
        VERIFY_PROMPTS(prompts);
        QVERIFY(ReadAll(pdf).startsWith("%PDF"));
    }
};

QTEST_MAIN(TestProfile)
#include "tst_profile.moc"
