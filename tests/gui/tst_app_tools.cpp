// Tool modes, the pen panel, the zoom text and the idle handler.

#include "services/ColorPanel.h"
#include "services/DrawingState.h"
#include "app/MainForm.h"
#include "services/UpDown.h"
#include "measure/MeasureSetup.h"
#include "support/AppFixture.h"
#include "support/ScriptedPrompts.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QTimer>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

using namespace ivra;
using namespace ivra::test;

namespace {

// The tool numbers whose buttons show pressed.
QList<std::uint32_t> PressedTools(TMainForm& main) {
    QList<std::uint32_t> list;
    for (std::uint32_t n : {16u, 1u, 5u, 6u, 4u, 2u, 15u, 12u, 3u, 7u, 8u, 13u})
        if (main.ToolButton(n)->isChecked()) list << n;
    return list;
}

// Moves the keyboard away from a box, as Tab does.
void LeaveBox(QWidget* box) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(box, &out);
}

// A main window with the measuring tools, so that every tool has its button.
std::unique_ptr<TMainForm> MakeMainFormWithTools() {
    auto main = MakeMainForm();
    InstallMeasuring(*main);
    return main;
}

// A main window with one image window, so that the tool buttons are enabled.
std::unique_ptr<TMainForm> MakeMainFormWithImage() {
    auto main = MakeMainFormWithTools();
    main->CreateImageWindow(QStringLiteral("picture"))->NewImage(20, 10, clWhite32);
    Settle();
    main->AppOnIdle();
    return main;
}

} // namespace

class TestAppTools : public QObject {
    Q_OBJECT
private slots:
    void toolButtonsStandInTwoRows();
    void setModeKeepsTheCurrentToolsStep();
    void calibrationModeLeavesNoButtonPressed();
    void penWidthFromTheBox_data();
    void penWidthFromTheBox();
    void penWidthTypedIsNotTakenBeforeLeaving();
    void upDownKeepsToItsRange_data();
    void upDownKeepsToItsRange();
    void colourPanelsAndSwap();
    void colourDialogCancelChangesNothing();
    void zoomText_data();
    void zoomText();
    void idleHandlerFollowsTheActiveWindow();
    void idleHandlersAddedByOthersRunWithTheWindow();
    void interpolationSwitchSetsTheStretchFilter();
};

void TestAppTools::toolButtonsStandInTwoRows() {
    auto main = MakeMainFormWithTools();
    const std::uint32_t rows[2][6] = {{16, 1, 5, 6, 4, 2}, {15, 12, 3, 7, 8, 13}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 6; ++c) {
            QToolButton* b = main->ToolButton(rows[r][c]);
            QVERIFY(b);
            QToolButton* first = main->ToolButton(rows[r][0]);
            QCOMPARE(b->y(), first->y());
            if (c > 0) QVERIFY(b->x() > main->ToolButton(rows[r][c - 1])->x());
            QVERIFY(!b->icon().isNull());
        }
    QVERIFY(main->ToolButton(15)->y() > main->ToolButton(16)->y());
    QVERIFY(main->ToolButton(9) == nullptr);
    QCOMPARE(main->ToolButton(13)->statusTip(),
             QStringLiteral("Zoom-in/Zoom-out|Left-click to zoom-in; right-click to zoom-out."));
    QCOMPARE(main->ToolButton(13)->toolTip(), QStringLiteral("Zoom-in/Zoom-out"));
    QCOMPARE(main->ToolButton(2)->statusTip(),
             QStringLiteral("Area of polygon|Left-click to select polygon points; right-click to computer "
                            "enclosed area."));
}

void TestAppTools::setModeKeepsTheCurrentToolsStep() {
    auto main = MakeMainFormWithImage();
    QCOMPARE(Drawing().CurrentTool, 0u);
    main->ToolButton(1)->click();
    QCOMPARE(Drawing().CurrentTool, 1u);
    QCOMPARE(Drawing().ToolState, 0);
    QCOMPARE(PressedTools(*main), QList<std::uint32_t>{1});
    // The line tool has placed its first point; clicking it again keeps it.
    Drawing().ToolState = 1;
    main->ToolButton(1)->click();
    QCOMPARE(Drawing().CurrentTool, 1u);
    QCOMPARE(Drawing().ToolState, 1);
    QCOMPARE(PressedTools(*main), QList<std::uint32_t>{1});
    // Another tool starts afresh.
    main->ToolButton(3)->click();
    QCOMPARE(Drawing().CurrentTool, 3u);
    QCOMPARE(Drawing().ToolState, 0);
    QCOMPARE(PressedTools(*main), QList<std::uint32_t>{3});
    // A plain button shows pressed the same way.
    main->ToolButton(13)->click();
    QCOMPARE(Drawing().CurrentTool, 13u);
    QCOMPARE(PressedTools(*main), QList<std::uint32_t>{13});
}

void TestAppTools::calibrationModeLeavesNoButtonPressed() {
    auto main = MakeMainFormWithImage();
    main->ToolButton(6)->click();
    Drawing().ToolState = 2;
    main->SetMode(1);
    QCOMPARE(Drawing().CurrentTool, 1u);
    QCOMPARE(Drawing().ToolState, 0);
    QVERIFY(PressedTools(*main).isEmpty());
    // SetMode with the current tool releases the buttons but keeps the step.
    Drawing().ToolState = 1;
    main->ToolButton(1)->click();
    main->SetMode(1);
    QCOMPARE(Drawing().ToolState, 1);
    QVERIFY(PressedTools(*main).isEmpty());
}

void TestAppTools::penWidthFromTheBox_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("shown");
    QTest::newRow("beyond the arrows") << "120" << 120 << "120";
    QTest::newRow("letters") << "x" << 1 << "1";
    QTest::newRow("empty") << "" << 1 << "1";
    QTest::newRow("blanks around") << " 7 " << 7 << "7";
    QTest::newRow("negative") << "-4" << -4 << "-4";
    QTest::newRow("plus sign") << "+5" << 5 << "5";
    QTest::newRow("leading zeros") << "007" << 7 << "7";
    QTest::newRow("hex") << "0x10" << 1 << "1";
    QTest::newRow("decimal") << "2.5" << 1 << "1";
    QTest::newRow("too large") << "99999999999" << 1 << "1";
    QTest::newRow("largest") << "2147483647" << 2147483647 << "2147483647";
}

void TestAppTools::penWidthFromTheBox() {
    QFETCH(QString, typed);
    QFETCH(int, width);
    QFETCH(QString, shown);
    auto main = MakeMainFormWithTools();
    auto* box = Named<QLineEdit>(*main, "edWidth");
    box->setText(typed);
    // Leaving the box takes the value.
    LeaveBox(box);
    QCOMPARE(Drawing().PenWidth, width);
    QCOMPARE(box->text(), shown);
}

void TestAppTools::penWidthTypedIsNotTakenBeforeLeaving() {
    auto main = MakeMainFormWithTools();
    QCOMPARE(Drawing().PenWidth, 3);
    auto* box = Named<QLineEdit>(*main, "edWidth");
    box->setText(QStringLiteral("9"));
    QCOMPARE(Drawing().PenWidth, 3);
    LeaveBox(box);
    QCOMPARE(Drawing().PenWidth, 9);
}

void TestAppTools::upDownKeepsToItsRange_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QString>("after");
    QTest::newRow("up from 3") << "3" << true << "4";
    QTest::newRow("down from 3") << "3" << false << "2";
    QTest::newRow("up at 50") << "50" << true << "50";
    QTest::newRow("down at 0") << "0" << false << "0";
    QTest::newRow("up from typed 120") << "120" << true << "50";
    QTest::newRow("down from typed 120") << "120" << false << "49";
    QTest::newRow("down from typed -7") << "-7" << false << "0";
}

void TestAppTools::upDownKeepsToItsRange() {
    QFETCH(QString, box);
    QFETCH(bool, up);
    QFETCH(QString, after);
    auto main = MakeMainFormWithTools();
    auto* edit = Named<QLineEdit>(*main, "edWidth");
    auto* arrows = Named<TUpDown>(*Named(*main, "pnlPen"), "UpDown1");
    edit->setText(box);
    (up ? arrows->UpButton() : arrows->DownButton())->click();
    QCOMPARE(edit->text(), after);
    QCOMPARE(Drawing().PenWidth, after.toInt());
}

void TestAppTools::colourPanelsAndSwap() {
    auto main = MakeMainFormWithTools();
    auto* fore = Named<TColorPanel>(*main, "pnlForeColor");
    auto* back = Named<TColorPanel>(*main, "pnlBackColor");
    QWidget* swap = Named(*main, "imgChange");
    QCOMPARE(fore->Color(), QColor(Qt::white));
    QCOMPARE(back->Color(), QColor(Qt::black));
    QTest::mouseDClick(swap, Qt::LeftButton);
    QCOMPARE(Drawing().ForeColor, TColor(0));
    QCOMPARE(Drawing().BackColor, TColor(0x00FFFFFF));
    QCOMPARE(fore->Color(), QColor(Qt::black));
    QTest::mouseDClick(swap, Qt::LeftButton);
    QCOMPARE(Drawing().ForeColor, TColor(0x00FFFFFF));
    QCOMPARE(Drawing().BackColor, TColor(0));

    TScriptedPrompts prompts;
    // Platform colours are 00BBGGRR.
    prompts.ExpectColor(QColor(10, 20, 30));
    QTest::mouseDClick(back, Qt::LeftButton);
    VERIFY_PROMPTS(prompts);
    QCOMPARE(prompts.LastColorInitial, QColor(Qt::black));
    QCOMPARE(Drawing().BackColor, TColor(0x001E140A));
    QCOMPARE(Drawing().ForeColor, TColor(0x00FFFFFF));
    QCOMPARE(back->Color(), QColor(10, 20, 30));

    prompts.ExpectColor(QColor(255, 0, 0));
    QTest::mouseDClick(fore, Qt::LeftButton);
    VERIFY_PROMPTS(prompts);
    QCOMPARE(Drawing().ForeColor, TColor(0x000000FF));
    QCOMPARE(Drawing().BackColor, TColor(0x001E140A));
}

void TestAppTools::colourDialogCancelChangesNothing() {
    auto main = MakeMainFormWithTools();
    auto* fore = Named<TColorPanel>(*main, "pnlForeColor");
    TScriptedPrompts prompts;
    prompts.ExpectColor(std::nullopt);
    QTest::mouseDClick(fore, Qt::LeftButton);
    VERIFY_PROMPTS(prompts);
    QCOMPARE(Drawing().ForeColor, TColor(0x00FFFFFF));
    QCOMPARE(fore->Color(), QColor(Qt::white));
}

void TestAppTools::zoomText_data() {
    QTest::addColumn<float>("scale");
    QTest::addColumn<QString>("text");
    QTest::newRow("100") << 1.0f << "100%";
    QTest::newRow("wheel in") << float(1.0 * 1.1) << "110%";
    QTest::newRow("zoom tool floor") << 0.03125f << "3%";
    QTest::newRow("half to even down") << 0.125f << "12%";
    QTest::newRow("half to even up") << 0.375f << "38%";
    QTest::newRow("largest") << 32.0f << "3200%";
    QTest::newRow("smallest") << 0.001f << "0%";
}

void TestAppTools::zoomText() {
    QFETCH(float, scale);
    QFETCH(QString, text);
    QCOMPARE(TMainForm::ZoomText(scale), text);
}

void TestAppTools::idleHandlerFollowsTheActiveWindow() {
    auto main = MakeMainFormWithTools();
    TMDIChild* w = main->CreateImageWindow(QStringLiteral("picture"));
    w->NewImage(20, 10, clWhite32);
    Settle();
    main->AppOnIdle();
    QVERIFY(Named<QToolBar>(*main, "tbTools")->isEnabled());
    QVERIFY(Named<QToolBar>(*main, "tbZoom")->isEnabled());
    QVERIFY(main->Command(QStringLiteral("FileSaveItem"))->isEnabled());
    QVERIFY(main->Command(QStringLiteral("FileSaveAsItem"))->isEnabled());
    QVERIFY(main->Command(QStringLiteral("btnClearDrawing"))->isEnabled());
    // Closing the last window disables them at the next idle moment.
    main->Command(QStringLiteral("FileCloseItem"))->trigger();
    Settle();
    QVERIFY(main->ImageWindows().isEmpty());
    main->AppOnIdle();
    QVERIFY(!Named<QToolBar>(*main, "tbTools")->isEnabled());
    QVERIFY(!Named<QToolBar>(*main, "tbZoom")->isEnabled());
    QVERIFY(!main->Command(QStringLiteral("FileSaveItem"))->isEnabled());
    QVERIFY(!main->Command(QStringLiteral("FileSaveAsItem"))->isEnabled());
    QVERIFY(!main->Command(QStringLiteral("btnClearDrawing"))->isEnabled());
    // The tool survives the window; the disabled buttons take no clicks.
    main->ToolButton(4)->click();
    QCOMPARE(Drawing().CurrentTool, 0u);
    main->SetMode(4);
    QCOMPARE(Drawing().CurrentTool, 4u);
}

void TestAppTools::idleHandlersAddedByOthersRunWithTheWindow() {
    auto main = MakeMainFormWithTools();
    QList<TMDIChild*> seen;
    main->AddIdleHandler([&] { seen << main->ActiveImageWindow(); });
    main->AppOnIdle();
    TMDIChild* w = main->CreateImageWindow(QStringLiteral("x"));
    w->NewImage(4, 4, clWhite32);
    main->AppOnIdle();
    QCOMPARE(seen, (QList<TMDIChild*>{nullptr, w}));
    // The idle handler runs by itself whenever the event queue empties.
    main->InstallAppHandlers();
    seen.clear();
    QEventLoop loop;
    QTimer::singleShot(50, &loop, &QEventLoop::quit);
    loop.exec();
    QVERIFY(!seen.isEmpty());
    QCOMPARE(seen.last(), w);
}

void TestAppTools::interpolationSwitchSetsTheStretchFilter() {
    auto main = MakeMainFormWithTools();
    TMDIChild* w = main->CreateImageWindow(QStringLiteral("x"));
    w->NewImage(4, 4, clWhite32);
    main->AppOnIdle();
    auto* interpolate = Named<QCheckBox>(*main, "ImageInterpolate");
    QTest::mouseClick(interpolate, Qt::LeftButton);
    QVERIFY(interpolate->isChecked());
    QCOMPARE(w->ImgView->Bitmap().StretchFilter(), TStretchFilter::sfLinear);
    // A new window starts with nearest stretching whatever the box shows.
    TMDIChild* w2 = main->CreateImageWindow(QStringLiteral("y"));
    w2->NewImage(4, 4, clWhite32);
    QCOMPARE(w2->ImgView->Bitmap().StretchFilter(), TStretchFilter::sfNearest);
    QTest::mouseClick(interpolate, Qt::LeftButton);
    QCOMPARE(w2->ImgView->Bitmap().StretchFilter(), TStretchFilter::sfNearest);
    QCOMPARE(w->ImgView->Bitmap().StretchFilter(), TStretchFilter::sfLinear);
}

QTEST_MAIN(TestAppTools)
#include "tst_app_tools.moc"
