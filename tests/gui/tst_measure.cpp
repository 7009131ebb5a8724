// The measuring tools on a real image window: mouse presses and moves sent
// to the view's viewport, read-outs in the status bar, lines in the messages
// pane, values in the spreadsheet, drawings on the overlay layers, the
// spatial calibration, and the Tools menu and Specials bar commands.

#include "services/ColorPanel.h"
#include "services/DrawingState.h"
#include "app/Startup.h"
#include "imagewin/GridSeparation.h"
#include "measure/MeasureController.h"
#include "measure/MeasureRouter.h"
#include "core/measure/MeasureTools.h"
#include "measure/MeasureSetup.h"
#include "measure/SheetForm.h"
#include "measure/SpatialCalib.h"
#include "support/AppFixture.h"
#include "support/ScriptedPrompts.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

#include <clocale>
#include <memory>

using namespace ivra;
using namespace ivra::test;

class TestMeasure : public QObject {
    Q_OBJECT

    std::unique_ptr<TMainForm> main_;
    TMeasureCommands cmds_;
    TMDIChild* w_ = nullptr;
    QTemporaryDir dir_;

    TMainForm& M() { return *main_; }
    TMDIChild& W() { return *w_; }
    TfrmSheet& Sheet() { return *SheetForm(M()); }
    // The vertices of the poly measurement in progress (image pixels).
    const std::vector<TPoint>& Polygon() { return TMeasureController::Of(M()).State().ToolPolygon; }

    QPoint View(TPoint p) {
        const TPoint v = W().BitmapToControl(p);
        return {v.X, v.Y};
    }
    void Send(QEvent::Type type, TPoint p, Qt::MouseButton button, Qt::MouseButtons buttons,
              Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* vp = W().ImgView->viewport();
        const QPoint q = View(p);
        QMouseEvent e(type, QPointF(q), vp->mapToGlobal(QPointF(q)), button, buttons, mods);
        QCoreApplication::sendEvent(vp, &e);
    }
    void Move(TPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier, Qt::MouseButtons held = Qt::NoButton) {
        Send(QEvent::MouseMove, p, Qt::NoButton, held, mods);
    }
    // A move over the point, then a click there (as a hand does it).
    void Click(TPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        Move(p, mods);
        Send(QEvent::MouseButtonPress, p, b, b, mods);
        Send(QEvent::MouseButtonRelease, p, b, Qt::NoButton, mods);
    }
    void DoubleClick(TPoint p) {
        Move(p);
        Send(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
        Send(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
        Send(QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton);
        Send(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    }
    QStringList Messages() {
        return Named<QPlainTextEdit>(M(), "memo1")->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QCheckBox* DrawSwitch() { return Named<QCheckBox>(M(), "cbDraw"); }
    QString Readout() { return M().StatusText(1); }
    QString SheetCell(int col, int row) { return QString::fromLatin1(Sheet().Model().Cell(col, row).c_str()); }
    int AnimAlpha(int x, int y) {
        TBitmapLayer* l = W().ImgView->AnimLayer();
        return l ? int(l->Bitmap().PixelS(x, y) >> 24) : 0;
    }
    int AnimPainted() {
        TBitmapLayer* l = W().ImgView->AnimLayer();
        if (!l) return 0;
        int n = 0;
        const TBitmap32& b = l->Bitmap();
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < b.Width(); ++x) n += (b.Pixel(x, y) >> 24) != 0;
        return n;
    }
    void Tool(std::uint32_t n) { M().ToolButton(n)->click(); }

private slots:
    void init() {
        main_ = MakeMainForm();
        cmds_ = InstallMeasuring(M());
        const QString path = WriteTestPicture(dir_.filePath(QStringLiteral("pattern.png")), 300, 200);
        w_ = M().CreateImageWindow(path);
        Settle();
        M().AppOnIdle();
        QCOMPARE(W().ImgView->Bitmap().Width(), 300);
    }
    void cleanup() {
        if (TfrmSheet* sheet = main_ ? SheetForm(*main_) : nullptr) sheet->Model().SetSheetModified(false);
        main_.reset();
        w_ = nullptr;
    }

    // Exit asks the spreadsheet's question while everything is on screen;
    // Cancel keeps the program as it was, No lets it end.
    void exitAsksTheSheetFirst() {
        Sheet().show();
        Sheet().Model().SetSheetModified(true);
        for (auto answer : {QMessageBox::Cancel, QMessageBox::No}) {
            TScriptedPrompts prompts;
            prompts.ExpectConfirm(answer);
            M().Command(QStringLiteral("FileExitItem"))->trigger();
            VERIFY_PROMPTS(prompts);
            const bool running = answer == QMessageBox::Cancel;
            QCOMPARE(M().isVisible(), running);
            QCOMPARE(Sheet().isVisible(), running);
        }
    }

    void commandsInToolsMenuAndSpecials() {
        QCOMPARE(M().Menu(QStringLiteral("Tools"))->actions().first(), cmds_.SpatialCalibration);
        QVERIFY(M().Menu(QStringLiteral("Tools"))->actions().contains(cmds_.Spreadsheet));
        const QList<QAction*> specials = Named<QToolBar>(M(), "tbSpecials")->actions();
        QCOMPARE(specials.at(0), cmds_.SpatialCalibration);
        QCOMPARE(specials.at(1), cmds_.Spreadsheet);
        QCOMPARE(cmds_.SpatialCalibration->text(), QStringLiteral("Spatial Calibration"));
        QCOMPARE(cmds_.SpatialCalibration->statusTip(),
                 QStringLiteral("Spatial Calibration|Sets conversion factor between pixel distance and real distance."));
        QCOMPARE(cmds_.Spreadsheet->statusTip(), QStringLiteral("Spreadsheet|Shows spreadsheet with measured data."));
        // Calibration needs an image window; the spreadsheet does not.
        QVERIFY(cmds_.SpatialCalibration->isEnabled());
        W().close();
        Settle();
        M().AppOnIdle();
        QVERIFY(!cmds_.SpatialCalibration->isEnabled());
        QVERIFY(cmds_.Spreadsheet->isEnabled());
        cmds_.Spreadsheet->trigger();
        QVERIFY(Sheet().isVisible());
        w_ = M().CreateImageWindow(QStringLiteral("x"));
    }

    void firstPressWithoutLayerIsIgnored() {
        Tool(toolLine);
        Send(QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
        Send(QEvent::MouseButtonRelease, {10, 10}, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(Drawing().ToolState, 0);
        // One move makes AnimLayer (at the bottom); presses on the image then
        // reach the tool.
        Move({10, 10});
        QVERIFY(W().ImgView->AnimLayer());
        QCOMPARE(W().ImgView->AnimLayer()->Index(), 0);
        Send(QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(Drawing().ToolState, 1);
        QVERIFY(W().ImgView->MeasureLayer());
        QVERIFY(W().ImgView->MeasureLayer()->Visible());
    }

    void pressOnTheSelectionFrameIsWithheld() {
        Tool(toolLine);
        Move({50, 50});
        auto* frame = W().ImgView->Layers().Add<TBitmapLayer>();
        frame->Tag = RubberBandLayerTag;
        frame->Bitmap().SetSize(20, 20);
        frame->SetScaled(true);
        frame->SetLocation({40, 40, 60, 60});
        frame->SetMouseEvents(true);
        Send(QEvent::MouseButtonPress, {50, 50}, Qt::LeftButton, Qt::LeftButton);
        Send(QEvent::MouseButtonRelease, {50, 50}, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(Drawing().ToolState, 0);
        Click({10, 10});
        QCOMPARE(Drawing().ToolState, 1);
    }

    void pressBesideTheImageNeedsALayer() {
        W().ImgView->SetScale(0.5f);
        W().ImgView->RecomputeLayout();
        Settle();
        Tool(toolLine);
        Click({10, 10});
        Click({20, 10});
        // The move after the measurement removes MeasureLayer: a press beside
        // the image then falls on no layer and is ignored.
        Move({30, 30});
        QVERIFY(!W().ImgView->MeasureLayer());
        const TRect image = W().ImgView->GetBitmapRect();
        QVERIFY(image.Left > 3);
        QWidget* vp = W().ImgView->viewport();
        const QPoint beside(image.Left - 3, image.Top + 3);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(beside), vp->mapToGlobal(QPointF(beside)), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(vp, &press);
        QCOMPARE(Drawing().ToolState, 0);
        // On the image it reaches the tool; then MeasureLayer covers the view
        // and a press beside the image counts too.
        Send(QEvent::MouseButtonPress, {40, 40}, Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(Drawing().ToolState, 1);
        QCoreApplication::sendEvent(vp, &press);
        QCOMPARE(Drawing().ToolState, 0);
        // (-6, 6) in image pixels: 46 and 34 pixels away from (40, 40).
        QCOMPARE(Messages().last(), QStringLiteral("Distance: 57.20"));
    }

    void pointerPositionInPanel0() {
        Move({7, 9});
        QCOMPARE(M().StatusText(0), QStringLiteral("7:9"));
        Move({0, 0});
        QCOMPARE(M().StatusText(0), QStringLiteral("0:0"));
        // After a zoom the read-out follows the new scale at once.
        Move({40, 30});
        const QPoint at = View({40, 30});
        W().ImgView->SetScale(2.0f);
        W().UpdateWindow();
        const TPoint now = W().ControlToBitmap({at.x(), at.y()});
        QCOMPARE(M().StatusText(0), QStringLiteral("%1:%2").arg(now.X).arg(now.Y));
        Move({40, 30});
        QCOMPARE(M().StatusText(0), QStringLiteral("40:30"));
    }

    void lineLength() {
        Tool(toolLine);
        Click({10, 10});
        QCOMPARE(Drawing().ToolState, 1);
        Move({20, 10});
        QCOMPARE(Readout(), QStringLiteral("Distance: 10.00"));
        // The rubber line lies on MeasureLayer in view pixels; AnimLayer stays
        // below it.
        TBitmapLayer* ml = W().ImgView->MeasureLayer();
        QVERIFY(ml);
        const QPoint a = View({10, 10});
        QCOMPARE(ml->Bitmap().Pixel(a.x(), a.y()), clWhite32);
        QCOMPARE(ml->Bitmap().Pixel(a.x() + 6, a.y()), clBlack32);
        QVERIFY(W().ImgView->AnimLayer()->Index() < ml->Index());
        Click({13, 14});
        QCOMPARE(Drawing().ToolState, 0);
        QCOMPARE(Readout(), QStringLiteral("Distance: 5.00"));
        QCOMPARE(Messages().last(), QStringLiteral("Distance: 5.00"));
        QCOMPARE(SheetCell(1, 2), QStringLiteral("5.00"));
        // The next move leaves no rubber line behind.
        Move({100, 100});
        QVERIFY(!W().ImgView->MeasureLayer());
        QCOMPARE(AnimPainted(), 0);
    }

    void drawSwitchKeepsTheFigure() {
        DrawSwitch()->setChecked(true);
        Drawing().PenWidth = 1;
        Drawing().ForeColor = 0x0000FF; // red
        Tool(toolLine);
        Click({10, 50});
        Click({60, 50});
        Move({100, 100});
        QCOMPARE(W().ImgView->AnimLayer()->Bitmap().Pixel(30, 50), 0xFFFF0000u);
        QCOMPARE(AnimPainted(), 51);
        // It zooms with the image and goes with Clear Drawing.
        QVERIFY(W().ImgView->AnimLayer()->Scaled());
        M().Command(QStringLiteral("btnClearDrawing"))->trigger();
        QVERIFY(!W().ImgView->AnimLayer());
    }

    void rectangleWithFactor() {
        Drawing().CalibrationFactor = 0.5f;
        Tool(toolRectangle);
        Click({0, 0});
        Move({10, 20});
        QCOMPARE(Readout(), QStringLiteral("Rectangle a=5.00 b=10.00"));
        Click({10, 20});
        const QStringList m = Messages();
        QCOMPARE(m.mid(m.size() - 2), (QStringList{QStringLiteral("Rectangle: a=5.00 b=10.00"), QStringLiteral("Area= 50.00")}));
        QCOMPARE(SheetCell(1, 2), QStringLiteral("50.00"));
        QCOMPARE(Drawing().ToolState, 0);
    }

    void ellipseAndCircle() {
        Tool(toolEllipse);
        Click({100, 100});
        Move({110, 105});
        QCOMPARE(Readout(), QStringLiteral("Elipsis a=10.00 b=5.00 Area=157.08"));
        Click({110, 105});
        QStringList m = Messages();
        QCOMPARE(m.mid(m.size() - 2), (QStringList{QStringLiteral("Elipsis: W=20.00 H=10.00"), QStringLiteral("Area= 157")}));
        Click({100, 100});
        Move({110, 105}, Qt::ControlModifier);
        QCOMPARE(Readout(), QStringLiteral("Circle r=10.00 Area=314.16"));
        // The rubber circle has the radius of the larger offset (view pixels).
        const QPoint c = View({100, 100});
        TBitmapLayer* ml = W().ImgView->MeasureLayer();
        QVERIFY(ml->Bitmap().Pixel(c.x() + 10, c.y()) >> 24);
        QVERIFY(ml->Bitmap().Pixel(c.x(), c.y() + 10) >> 24 || ml->Bitmap().Pixel(c.x(), c.y() + 9) >> 24);
        Click({110, 105}, Qt::LeftButton, Qt::ControlModifier);
        m = Messages();
        QCOMPARE(m.mid(m.size() - 3), (QStringList{QStringLiteral("Circle: r=10.00"), QStringLiteral("Perimeter=62.83"),
                                                   QStringLiteral("Area= 314")}));
        QCOMPARE(SheetCell(1, 2), QStringLiteral("157.08"));
        QCOMPARE(SheetCell(1, 3), QStringLiteral("314.16"));
    }

    void angle() {
        Tool(toolAngle);
        Click({20, 10});
        Click({10, 10});
        QCOMPARE(Drawing().ToolState, 2);
        Move({10, 30});
        QVERIFY(W().ImgView->MeasureLayer());
        Click({10, 20});
        QCOMPARE(Messages().last(), QStringLiteral("Angle: 90.00"));
        QCOMPARE(SheetCell(1, 2), QString());
        QCOMPARE(Drawing().ToolState, 0);
    }

    void angleWithCoincidingPointsReportsAnError() {
        TScriptedPrompts prompts;
        DrawSwitch()->setChecked(true);
        Tool(toolAngle);
        Click({20, 10});
        Click({10, 10});
        const int lines = Messages().size();
        prompts.ExpectError(QStringLiteral("Angle is undefined: two of its points coincide."));
        Click({10, 10});
        VERIFY_PROMPTS(prompts);
        QCOMPARE(Drawing().ToolState, 0);
        QCOMPARE(Messages().size(), lines);
        QCOMPARE(AnimPainted(), 0);
    }

    void polygonUsesTheVerticesBeforeTheRightPress() {
        DrawSwitch()->setChecked(true);
        Drawing().PenWidth = 1;
        Tool(toolPolygon);
        Click({20, 20});
        Click({30, 20});
        Click({30, 30});
        Move({25, 35});
        QVERIFY(Readout().startsWith(QStringLiteral("Polyline length: ")));
        Click({20, 30}, Qt::RightButton);
        QCOMPARE(Messages().last(), QStringLiteral("Area: 50.00"));
        QCOMPARE(Readout(), QStringLiteral("Polygon area: 50.00"));
        QCOMPARE(SheetCell(1, 2), QStringLiteral("50.00"));
        QCOMPARE(Drawing().ToolState, 0);
        QVERIFY(Polygon().empty());
        // The drawn outline has the fourth vertex: its bottom edge is there,
        // the diagonal of the three-vertex figure is not.
        QVERIFY(AnimAlpha(25, 30) > 0);
        QVERIFY(AnimAlpha(20, 25) > 0);
        QCOMPARE(AnimAlpha(25, 25), 0);
    }

    void polygonWithTooFewVerticesReportsNothing() {
        Tool(toolPolygon);
        Click({20, 20});
        const int lines = Messages().size();
        Click({40, 40}, Qt::RightButton);
        QCOMPARE(Messages().size(), lines);
        QCOMPARE(SheetCell(1, 2), QString());
        QVERIFY(Polygon().empty());
    }

    void polylineWithDoublePresses() {
        Tool(toolPolyline);
        Click({10, 10});
        DoubleClick({10, 20});
        QCOMPARE(int(Polygon().size()), 2);
        QCOMPARE(Readout(), QStringLiteral("Polyline Length: 10.00"));
        Move({13, 24});
        QCOMPARE(Readout(), QStringLiteral("Polyline length: 15.00"));
        // The rubber outline: the vertices so far in black, the rubber line on.
        TBitmapLayer* ml = W().ImgView->MeasureLayer();
        const QPoint v = View({10, 15});
        QCOMPARE(ml->Bitmap().Pixel(v.x(), v.y()), clBlack32);
        Click({13, 24}, Qt::RightButton);
        QCOMPARE(Messages().last(), QStringLiteral("PolyLength:15.00"));
        QCOMPARE(SheetCell(1, 2), QStringLiteral("15.00"));
        QVERIFY(Polygon().empty());
        QCOMPARE(Drawing().ToolState, 0);
        // A right press with nothing in progress reports 0.
        Click({50, 50}, Qt::RightButton);
        QCOMPARE(Messages().last(), QStringLiteral("PolyLength:0.00"));
        QCOMPARE(SheetCell(1, 3), QStringLiteral("0.00"));
    }

    void freehandDragLaysVertices() {
        Tool(toolPolyline);
        Move({10, 10});
        Send(QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
        for (int x : {11, 12, 12, 13, 15}) Move({x, 10}, Qt::NoModifier, Qt::LeftButton);
        Send(QEvent::MouseButtonRelease, {15, 10}, Qt::LeftButton, Qt::NoButton);
        const auto pts = Polygon();
        QCOMPARE(int(pts.size()), 5);
        QCOMPARE(pts.back(), (TPoint{15, 10}));
        Click({15, 10}, Qt::RightButton);
        QCOMPARE(Messages().last(), QStringLiteral("PolyLength:5.00"));
    }

    void newImageWindowForgetsThePolyline() {
        Tool(toolPolyline);
        Click({10, 10});
        Click({20, 10});
        QVERIFY(!Polygon().empty());
        w_ = M().CreateImageWindow(QStringLiteral("Untitled"));
        W().NewImage(100, 100, clWhite32);
        Settle();
        QVERIFY(Polygon().empty());
    }

    void tagsCountIntoTheSheet() {
        Tool(toolTag);
        Click({120, 45});
        Click({7, 8});
        QCOMPARE(SheetCell(1, 2), QStringLiteral("120"));
        QCOMPARE(SheetCell(2, 2), QStringLiteral("45"));
        QCOMPARE(SheetCell(1, 3), QStringLiteral("7"));
        QCOMPARE(SheetCell(2, 3), QStringLiteral("8"));
        QCOMPARE(Drawing().ToolState, 0);
        // The marks are drawn whatever the Draw switch.
        QVERIFY(!DrawSwitch()->isChecked());
        QVERIFY(AnimAlpha(120, 45) > 0 || AnimAlpha(121, 45) > 0);
        QVERIFY(AnimAlpha(7, 8) > 0 || AnimAlpha(8, 8) > 0);
    }

    void colourPicker() {
        Tool(toolPicker);
        Move({30, 40});
        QCOMPARE(Readout(), QStringLiteral("R:30 G:40 B:100"));
        Click({30, 40});
        QCOMPARE(Drawing().ForeColor, TColor((100 << 16) | (40 << 8) | 30));
        QCOMPARE(Named<TColorPanel>(M(), "pnlForeColor")->Color(), QColor(30, 40, 100));
        // Beside the image: the outer colour is read out, the colour stays.
        W().ImgView->SetScale(0.5f);
        W().ImgView->RecomputeLayout();
        Settle();
        const TPoint outside{-20, -20};
        Click(outside);
        QCOMPARE(M().StatusText(0), QStringLiteral("-20:-20"));
        QCOMPARE(Readout(), QString::fromStdString(
                                "R:" + std::to_string(RedComponent(W().ImgView->Bitmap().OuterColor())) + " G:" +
                                std::to_string(GreenComponent(W().ImgView->Bitmap().OuterColor())) + " B:" +
                                std::to_string(BlueComponent(W().ImgView->Bitmap().OuterColor()))));
        QCOMPARE(Drawing().ForeColor, TColor((100 << 16) | (40 << 8) | 30));
    }

    void calibrationThenMeasuring() {
        cmds_.SpatialCalibration->trigger();
        TfrmSpatialCalib* calib = SpatialCalibForm(M());
        QVERIFY(calib->isVisible());
        QVERIFY(calib->CalibrationMode());
        QCOMPARE(Drawing().CurrentTool, std::uint32_t(toolLine));
        QVERIFY(!M().ToolButton(toolLine)->isChecked());
        Click({10, 100});
        Click({210, 100});
        QCOMPARE(calib->labPixLength->text(), QStringLiteral("200"));
        calib->edLineLength->selectAll();
        QTest::keyClicks(calib->edLineLength, QStringLiteral("50"));
        QCOMPARE(Drawing().CalibrationFactor, 0.25f);
        QCOMPARE(calib->LbConvFact->text(), QStringLiteral("0.25000"));
        calib->OKBtn->click();
        QVERIFY(!calib->CalibrationMode());
        Click({10, 10});
        Click({50, 10});
        QCOMPARE(Readout(), QStringLiteral("Distance: 10.00"));
        // Once closed, lines no longer report to the window.
        QCOMPARE(calib->labPixLength->text(), QStringLiteral("200"));
        Tool(toolRectangle);
        Click({10, 10});
        Click({20, 20});
        QCOMPARE(Messages().last(), QStringLiteral("Area= 6.25"));
        // The spreadsheet shows the factor when it is shown.
        cmds_.Spreadsheet->trigger();
        QCOMPARE(Sheet().edConvFact->text(), QStringLiteral("0.25"));
    }

    // A file that states its resolution calibrates after the user saw what
    // it states: No sets nothing, Yes sets factor and unit and says so. The
    // command is off for a picture that states none.
    void calibrationFromTheFile() {
        QAction* fromFile = M().findChild<QAction*>(QStringLiteral("mnCalibrationFromFile"));
        QVERIFY(fromFile);
        QVERIFY(!fromFile->isEnabled());
        w_ = M().CreateImageWindow(QString::fromLatin1(IVRA_TEST_DATA_DIR) +
                                   QStringLiteral("/tiff/magick-gray8-packbits-res.tif"));
        Settle();
        M().AppOnIdle();
        QVERIFY(fromFile->isEnabled());
        for (auto answer : {QMessageBox::No, QMessageBox::Yes}) {
            TScriptedPrompts prompts;
            prompts.ExpectConfirm(answer, QStringLiteral("The file states 20000 pixels per centimetre (0.5 \u00B5m per "
                                                         "pixel).\nSet the calibration to 0.5 \u00B5m per pixel?"));
            fromFile->trigger();
            VERIFY_PROMPTS(prompts);
            const bool set = answer == QMessageBox::Yes;
            QCOMPARE(Drawing().CalibrationFactor, set ? 0.5f : 1.0f);
            QCOMPARE(QString::fromStdString(Drawing().CalibrationUnit), set ? QStringLiteral("\u00B5m") : QString());
        }
        QCOMPARE(Messages().last(), QStringLiteral("Calibration from magick-gray8-packbits-res.tif: 0.5 \u00B5m per pixel"));
        QCOMPARE(SpatialCalibForm(M())->cbUnit->currentText(), QStringLiteral("\u00B5m"));
    }

    void calibrationWithAUnit() {
        cmds_.SpatialCalibration->trigger();
        TfrmSpatialCalib* calib = SpatialCalibForm(M());
        Click({10, 100});
        Click({210, 100});
        calib->edLineLength->selectAll();
        QTest::keyClicks(calib->edLineLength, QStringLiteral("50"));
        QTest::keyClicks(calib->cbUnit->lineEdit(), QStringLiteral("\u00B5m"));
        calib->OKBtn->click();
        Click({10, 10});
        Click({50, 10});
        QCOMPARE(Readout(), QStringLiteral("Distance: 10.00 \u00B5m"));
        QCOMPARE(Messages().last(), QStringLiteral("Distance: 10.00 \u00B5m"));
        // The cells keep bare numbers; the sheet names the factor's unit.
        cmds_.Spreadsheet->trigger();
        QCOMPARE(SheetCell(1, 3), QStringLiteral("10.00"));
        QCOMPARE(Sheet().lbConvUnit->text(), QStringLiteral("\u00B5m/px"));
        TdlgGridSeparation& grid = GridSeparationDialog(M());
        grid.FormShow();
        QCOMPARE(grid.lbUnits->text(), QStringLiteral("\u00B5m"));
    }

    // "Con.Fac." follows every new factor while the sheet is open, in the
    // user's locale (CTest runs this once more under a decimal-comma one).
    void convFactFollowsTheFactor() {
        if (qEnvironmentVariable("IVRA_TEST_LOCALE").startsWith(QLatin1String("de_DE")))
            QCOMPARE(std::localeconv()->decimal_point, ",");
        const char sep = TMeasureController::LocaleDecimalSeparator();
        cmds_.Spreadsheet->trigger();
        cmds_.SpatialCalibration->trigger();
        TfrmSpatialCalib* calib = SpatialCalibForm(M());
        QVERIFY(Sheet().isVisible() && calib->isVisible());
        calib->SetPixelLength("200");
        calib->edLineLength->selectAll();
        QTest::keyClicks(calib->edLineLength, QStringLiteral("50"));
        QCOMPARE(Sheet().edConvFact->text(), QLatin1String("0") + QLatin1Char(sep) + QLatin1String("25"));
        QTest::keyClicks(calib->edLineLength, QStringLiteral("0"));
        QCOMPARE(Sheet().edConvFact->text(), QLatin1String("2") + QLatin1Char(sep) + QLatin1String("5"));
    }

    // The program's start-up makes both windows hidden and installs the
    // routing and the commands.
    void startupInstallsMeasuring() {
        main_.reset();
        w_ = nullptr;
        TStartupOptions o;
        o.SleepMs = 0;
        o.SplashMs = 0;
        TStartupResult r = RunStartup(o);
        QVERIFY(SheetForm(*r.Main) && !SheetForm(*r.Main)->isVisible());
        QVERIFY(SpatialCalibForm(*r.Main) && !SpatialCalibForm(*r.Main)->isVisible());
        QCOMPARE(SheetForm(*r.Main)->parent(), r.Main.get());
        QVERIFY(r.Main->Tools().Handler(toolLine) != nullptr);
        QCOMPARE(r.Main->Menu(QStringLiteral("Tools"))->actions().first()->text(), QStringLiteral("Spatial Calibration"));
        QToolBar* specials = Named<QToolBar>(*r.Main, "tbSpecials");
        QCOMPARE(specials->actions().at(1)->objectName(), QStringLiteral("SpreadsheetItem"));
        r.Main->AppOnIdle();
        QVERIFY(!specials->actions().at(0)->isEnabled());
    }

    void zoomToolStillWorks() {
        Tool(toolZoom);
        Click({50, 50});
        QCOMPARE(W().Scale(), 2.0f);
    }
};

int main(int argc, char** argv) {
    // The texts compared here are the "C" locale's; IVRA_TEST_LOCALE runs
    // the locale-aware tests under another one.
    qputenv("LC_ALL", qEnvironmentVariableIsSet("IVRA_TEST_LOCALE") ? qgetenv("IVRA_TEST_LOCALE") : QByteArray("C"));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestMeasure t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_measure.moc"
