// Zoom (combo, wheel, zoom tool), coordinate mapping, the checkerboard
// background, the scroll-bar thickness and the overlay layers of the image
// window.

#include "services/DrawingState.h"
#include "app/MainForm.h"
#include "imagewin/ChildWin.h"
#include "support/AppFixture.h"
#include "support/ScriptedPrompts.h"

#include <QApplication>
#include <QComboBox>
#include <QMenuBar>
#include <QLineEdit>
#include <QMdiArea>
#include <QCheckBox>
#include <QTest>

#include <fstream>
#include <QToolButton>

using namespace ivra;
using namespace ivra::test;

Q_DECLARE_METATYPE(ivra::TPoint)

namespace {

struct TFixture {
    std::unique_ptr<TMainForm> main;
    TMDIChild* w = nullptr;
};

// A main window with one image window holding a w x h test pattern.
TFixture OpenPattern(int w, int h) {
    TFixture f;
    f.main = MakeMainForm();
    f.w = f.main->CreateImageWindow(QStringLiteral("pattern"));
    f.w->NewImage(w, h, clWhite32);
    FillTestPattern(f.w->ImgView->Bitmap(), w, h);
    Settle();
    f.main->AppOnIdle();
    return f;
}

QComboBox* ZoomCombo(TMainForm& main) { return Named<QComboBox>(main, "ScaleCombo"); }

// Types into the zoom combo's edit as the user would, key by key.
void TypeIntoCombo(TMainForm& main, const QString& keys) {
    QLineEdit* edit = ZoomCombo(main)->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, keys);
}

// Replaces the zoom combo's whole text in one edit, as pasting over it does
// (an empty text deletes it).
void PasteIntoCombo(TMainForm& main, const QString& text) {
    QLineEdit* edit = ZoomCombo(main)->lineEdit();
    edit->selectAll();
    edit->insert(text);
}

} // namespace

class TestImageWinZoom : public QObject {
    Q_OBJECT
private slots:
    void smoothZoomAndDrawingLayerKeepNoImageCopy();
    void zoomComboTyped_data();
    void zoomComboTyped();
    void zoomComboTypingKeyByKey();
    void zoomComboListChoiceAbove2000IsRefused();
    void zoomComboEmptiedChangesNothing();
    void wheelStepsAndSnapsToOne();
    void wheelStopsAtItsLimits();
    void zoomToolDoublesAndHalves();
    void zoomToolCentresOnThePoint();
    void mapping_data();
    void mapping();
    void bitmapToControlFixedPoint();
    void checkerboardBackground();
    void viewShowsCheckerboardAroundTheImage();
    void scrollBarThickness();
    void overlayLayersComeBackEmptyAtTheBottom();
    void pointerPositionFollowsTheZoom();
    void windowMenusMergeWhileActive();
};

void TestImageWinZoom::zoomComboTyped_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("scale");
    QTest::addColumn<QString>("shown");
    QTest::newRow("250") << "250" << 2.5f << "250%";
    QTest::newRow("with percent") << "50%" << 0.5f << "50%";
    QTest::newRow("blanks") << " 1 5 0 % " << 1.5f << "150%";
    QTest::newRow("lowest") << "1" << 0.01f << "1%";
    QTest::newRow("highest") << "2000" << 20.0f << "2000%";
    QTest::newRow("zero") << "0" << 1.0f << "100%";
    QTest::newRow("above") << "2001" << 1.0f << "100%";
    QTest::newRow("negative") << "-50" << 1.0f << "100%";
    QTest::newRow("letters") << "abc" << 1.0f << "100%";
    QTest::newRow("decimal") << "12.5" << 1.0f << "100%";
}

void TestImageWinZoom::zoomComboTyped() {
    QFETCH(QString, text);
    QFETCH(float, scale);
    QFETCH(QString, shown);
    TFixture f = OpenPattern(300, 200);
    PasteIntoCombo(*f.main, text);
    QCOMPARE(f.w->Scale(), scale);
    QCOMPARE(ZoomCombo(*f.main)->currentText(), shown);
    // The caret stands just before the "%".
    QCOMPARE(ZoomCombo(*f.main)->lineEdit()->cursorPosition(), shown.size() - 1);
}

void TestImageWinZoom::zoomComboTypingKeyByKey() {
    TFixture f = OpenPattern(300, 200);
    // Each key is taken at once: "2" -> 2 %, "25" -> 25 %, "250" -> 250 %.
    TypeIntoCombo(*f.main, QStringLiteral("250"));
    QCOMPARE(ZoomCombo(*f.main)->currentText(), QStringLiteral("250%"));
    QCOMPARE(f.w->Scale(), 2.5f);
    // Letters bring back the current percentage.
    TypeIntoCombo(*f.main, QStringLiteral("x"));
    QCOMPARE(ZoomCombo(*f.main)->currentText(), QStringLiteral("250%"));
    QCOMPARE(f.w->Scale(), 2.5f);
    // Enter hands the keyboard back to the image window.
    f.main->activateWindow();
    ZoomCombo(*f.main)->lineEdit()->setFocus();
    QTRY_VERIFY(ZoomCombo(*f.main)->lineEdit()->hasFocus());
    QTest::keyClick(ZoomCombo(*f.main)->lineEdit(), Qt::Key_Return);
    QTRY_VERIFY(f.w->isAncestorOf(QApplication::focusWidget()));
    QCOMPARE(f.w->Scale(), 2.5f);
}

void TestImageWinZoom::zoomComboListChoiceAbove2000IsRefused() {
    TFixture f = OpenPattern(300, 200);
    const int i3200 = ZoomCombo(*f.main)->findText(QStringLiteral("3200%"));
    const int i400 = ZoomCombo(*f.main)->findText(QStringLiteral("400%"));
    QVERIFY(i3200 >= 0 && i400 >= 0);
    emit ZoomCombo(*f.main)->textActivated(QStringLiteral("400%"));
    QCOMPARE(f.w->Scale(), 4.0f);
    emit ZoomCombo(*f.main)->textActivated(QStringLiteral("3200%"));
    QCOMPARE(f.w->Scale(), 4.0f);
    QCOMPARE(ZoomCombo(*f.main)->currentText(), QStringLiteral("400%"));
}

void TestImageWinZoom::zoomComboEmptiedChangesNothing() {
    TFixture f = OpenPattern(300, 200);
    f.w->ImgView->SetScale(2.0f);
    PasteIntoCombo(*f.main, QString());
    QCOMPARE(f.w->Scale(), 2.0f);
    QCOMPARE(ZoomCombo(*f.main)->currentText(), QString());
    PasteIntoCombo(*f.main, QStringLiteral(" % "));
    QCOMPARE(f.w->Scale(), 2.0f);
}

void TestImageWinZoom::wheelStepsAndSnapsToOne() {
    TFixture f = OpenPattern(300, 200);
    QStringList in, out;
    for (int i = 0; i < 4; ++i) {
        WheelView(*f.w, false);
        in << ZoomCombo(*f.main)->currentText();
    }
    QCOMPARE(in, (QStringList{"110%", "121%", "133%", "146%"}));
    for (int i = 0; i < 4; ++i) {
        WheelView(*f.w, true);
        out << ZoomCombo(*f.main)->currentText();
    }
    QCOMPARE(out, (QStringList{"133%", "121%", "110%", "100%"}));
    QCOMPARE(f.w->Scale(), 1.0f);
    WheelView(*f.w, true);
    WheelView(*f.w, true);
    QCOMPARE(ZoomCombo(*f.main)->currentText(), QStringLiteral("83%"));
    WheelView(*f.w, false);
    WheelView(*f.w, false);
    QCOMPARE(f.w->Scale(), 1.0f);
}

void TestImageWinZoom::wheelStopsAtItsLimits() {
    TFixture f = OpenPattern(300, 200);
    f.w->ImgView->SetScale(0.105f);
    WheelView(*f.w, true);
    QCOMPARE(f.w->Scale(), 0.1f);
    WheelView(*f.w, true);
    QCOMPARE(f.w->Scale(), 0.1f);
    QCOMPARE(ZoomCombo(*f.main)->currentText(), QStringLiteral("10%"));
    f.w->ImgView->SetScale(30.0f);
    WheelView(*f.w, false);
    QCOMPARE(f.w->Scale(), 32.0f);
    WheelView(*f.w, false);
    QCOMPARE(f.w->Scale(), 32.0f);
    QCOMPARE(ZoomCombo(*f.main)->currentText(), QStringLiteral("3200%"));
}

void TestImageWinZoom::zoomToolDoublesAndHalves() {
    TFixture f = OpenPattern(300, 200);
    f.main->ToolButton(toolZoom)->click();
    // The pointer comes over the image first (presses need a layer under it).
    MoveView(*f.w, QPoint(10, 10));
    QCOMPARE(Drawing().CurrentTool, std::uint32_t(toolZoom));
    PressView(*f.w, QPoint(10, 10), Qt::LeftButton);
    QCOMPARE(f.w->Scale(), 2.0f);
    QCOMPARE(ZoomCombo(*f.main)->currentText(), QStringLiteral("200%"));
    PressView(*f.w, QPoint(10, 10), Qt::RightButton);
    QCOMPARE(f.w->Scale(), 1.0f);
    // 2000 % doubles to the cap of 3200 %; 3200 % stays.
    f.w->ImgView->SetScale(20.0f);
    PressView(*f.w, QPoint(5, 5), Qt::LeftButton);
    QCOMPARE(f.w->Scale(), 32.0f);
    PressView(*f.w, QPoint(5, 5), Qt::LeftButton);
    QCOMPARE(f.w->Scale(), 32.0f);
    // At 3.125 % a right click changes nothing but writes "3%".
    f.w->ImgView->SetScale(0.03125f);
    ZoomCombo(*f.main)->setEditText(QStringLiteral("x"));
    PressView(*f.w, QPoint(1, 1), Qt::RightButton);
    QCOMPARE(f.w->Scale(), 0.03125f);
    QCOMPARE(ZoomCombo(*f.main)->currentText(), QStringLiteral("3%"));
    // The middle button changes nothing and also writes the percentage.
    f.w->ImgView->SetScale(0.5f);
    PressView(*f.w, QPoint(1, 1), Qt::MiddleButton);
    QCOMPARE(f.w->Scale(), 0.5f);
    QCOMPARE(ZoomCombo(*f.main)->currentText(), QStringLiteral("50%"));
    // Another tool does not zoom.
    f.main->ToolButton(toolMover)->click();
    PressView(*f.w, QPoint(1, 1), Qt::LeftButton);
    QCOMPARE(f.w->Scale(), 0.5f);
}

void TestImageWinZoom::zoomToolCentresOnThePoint() {
    TFixture f = OpenPattern(300, 200);
    f.main->ToolButton(toolZoom)->click();
    // The pointer comes over the image first (presses need a layer under it).
    MoveView(*f.w, QPoint(10, 10));
    const QSize view = f.w->ImgView->viewport()->size();
    f.w->ZoomToolDown(TMouseButton::mbLeft, TPoint{200, 150});
    QCOMPARE(f.w->Scale(), 2.0f);
    const TRect vp = f.w->ImgView->GetViewportRect();
    const TPoint centre = f.w->ControlToBitmap(TPoint{vp.Width() / 2, vp.Height() / 2});
    QVERIFY2(std::abs(centre.X - 200) <= 1 && std::abs(centre.Y - 150) <= 1,
             qPrintable(QStringLiteral("centre %1,%2 view %3x%4").arg(centre.X).arg(centre.Y)
                            .arg(view.width()).arg(view.height())));
}

void TestImageWinZoom::mapping_data() {
    QTest::addColumn<float>("scale");
    QTest::addColumn<TPoint>("view");
    QTest::addColumn<TPoint>("bitmap");
    QTest::newRow("100 origin") << 1.0f << TPoint{0, 0} << TPoint{0, 0};
    QTest::newRow("100 inside") << 1.0f << TPoint{37, 12} << TPoint{37, 12};
    QTest::newRow("200 half to even down") << 2.0f << TPoint{101, 101} << TPoint{50, 50};
    QTest::newRow("200 half to even up") << 2.0f << TPoint{103, 103} << TPoint{52, 52};
    QTest::newRow("200 exact") << 2.0f << TPoint{40, 6} << TPoint{20, 3};
}

void TestImageWinZoom::mapping() {
    QFETCH(float, scale);
    QFETCH(TPoint, view);
    QFETCH(TPoint, bitmap);
    // An image larger than the window at 200 %, scrolled to the top-left.
    TFixture f = OpenPattern(120, 90);
    f.w->ImgView->SetScale(scale);
    f.w->ImgView->SetScrollPosition(0, 0);
    QCOMPARE(f.w->ImgView->GetBitmapRect().Left, 0);
    QCOMPARE(f.w->ImgView->GetBitmapRect().Top, 0);
    QCOMPARE(f.w->ControlToBitmap(view), bitmap);
    if (scale == 1.0f) QCOMPARE(f.w->BitmapToControl(bitmap), view);
    else QCOMPARE(f.w->BitmapToControl(bitmap), (TPoint{bitmap.X * 2, bitmap.Y * 2}));
}

void TestImageWinZoom::bitmapToControlFixedPoint() {
    TFixture f = OpenPattern(120, 90);
    f.w->ImgView->SetScale(2.0f);
    f.w->ImgView->SetScrollPosition(0, 0);
    // The fraction is dropped before mapping; the result has none.
    const TFixedPoint q{Fixed(10) + 0x8000, Fixed(3) + 0xFFFF};
    QCOMPARE(f.w->BitmapToControlFP(q), (TFixedPoint{Fixed(20), Fixed(6)}));
}

void TestImageWinZoom::checkerboardBackground() {
    TBitmap32 buffer(37, 29);
    TMDIChild::PaintCheckerboard(buffer);
    QCOMPARE(buffer.Pixel(0, 0), 0xFFB0B0B0u);
    QCOMPARE(buffer.Pixel(8, 0), 0xFFFFFFFFu);
    QCOMPARE(buffer.Pixel(0, 8), 0xFFFFFFFFu);
    QCOMPARE(buffer.Pixel(8, 8), 0xFFB0B0B0u);
    QCOMPARE(buffer.Pixel(7, 7), 0xFFB0B0B0u);
    for (int y = 0; y < buffer.Height(); ++y)
        for (int x = 0; x < buffer.Width(); ++x) {
            const bool grey = ((x / 8) + (y / 8)) % 2 == 0;
            QCOMPARE(buffer.Pixel(x, y), grey ? 0xFFB0B0B0u : 0xFFFFFFFFu);
        }
    TBitmap32 empty;
    TMDIChild::PaintCheckerboard(empty);
    QVERIFY(empty.Empty());
}

void TestImageWinZoom::viewShowsCheckerboardAroundTheImage() {
    TFixture f = OpenPattern(4, 4);
    f.w->resize(200, 150);
    Settle();
    // A small image at 25 % leaves the corner of the view to the background.
    f.w->ImgView->SetScale(0.25f);
    f.w->ImgView->PaintBuffer();
    TBitmap32& buffer = f.w->ImgView->Buffer();
    QVERIFY(buffer.Width() > 16 && buffer.Height() > 16);
    QCOMPARE(buffer.Pixel(0, 0), 0xFFB0B0B0u);
    QCOMPARE(buffer.Pixel(8, 0), 0xFFFFFFFFu);
}

void TestImageWinZoom::scrollBarThickness() {
    TFixture f = OpenPattern(1, 1);
    QCOMPARE(f.w->ImgView->ScrollBarSize(), 1);
    f.w->NewImage(4000, 3000, clWhite32);
    Settle();
    QCOMPARE(f.w->ImgView->ScrollBarSize(), 12);
    // The window is limited to the MDI area.
    const QSize area = f.main->MdiArea()->viewport()->size();
    QVERIFY(f.w->width() <= area.width() && f.w->height() <= area.height());
    PasteIntoCombo(*f.main, QStringLiteral("1"));
    QCOMPARE(f.w->ImgView->ScrollBarSize(), 1);
}

void TestImageWinZoom::overlayLayersComeBackEmptyAtTheBottom() {
    TFixture f = OpenPattern(50, 40);
    TImgView32& v = *f.w->ImgView;
    TBitmapLayer* anim = v.GetAnimLayer();
    anim->Bitmap().Clear(0xFFFF0000u);
    auto* user = v.Layers().Add<TBitmapLayer>();
    f.w->ClearAnimLayer();
    QVERIFY(v.AnimLayer() == nullptr);
    QCOMPARE(v.Layers().Count(), 1);
    anim = v.GetAnimLayer();
    QCOMPARE(anim->Index(), 0);
    QCOMPARE(user->Index(), 1);
    QCOMPARE(anim->Bitmap().Width(), 50);
    for (std::size_t i = 0; i < anim->Bitmap().PixelCount(); ++i) QCOMPARE(anim->Bitmap().Bits()[i], 0u);
    TBitmapLayer* measure = v.GetMeasureLayer();
    QCOMPARE(measure->Index(), 0);
    f.w->ClearMeasureLayer();
    QVERIFY(v.MeasureLayer() == nullptr);
    // "Clear Drawing" removes the drawing layer of the active window.
    f.main->Command(QStringLiteral("btnClearDrawing"))->trigger();
    QVERIFY(v.AnimLayer() == nullptr);
    // The selection layer sits at the bottom too and goes with its removal.
    TBitmapLayer* sel = f.w->GetSelectionLayer();
    QCOMPARE(sel->Index(), 0);
    QVERIFY(sel->Scaled());
    QCOMPARE(f.w->GetSelectionLayer(), sel);
    f.w->RemoveSelectionLayer();
    QVERIFY(f.w->Document().SelectionLayer() == nullptr);
    QCOMPARE(v.Layers().Count(), 1);
    // Deleting a layer the window points to clears the pointer.
    f.w->Document().SetTextLayer(user);
    f.w->Document().SetSelection(user);
    delete user;
    QVERIFY(f.w->Document().TextLayer() == nullptr);
    QVERIFY(f.w->Document().Selection() == nullptr);
}

void TestImageWinZoom::pointerPositionFollowsTheZoom() {
    TFixture f = OpenPattern(300, 200);
    MoveView(*f.w, QPoint(40, 30));
    QCOMPARE(f.main->StatusText(0), QStringLiteral("40:30"));
    QCOMPARE(f.w->LastMousePos, (TPoint{40, 30}));
    QCOMPARE(f.w->LastBitmapPos, (TPoint{40, 30}));
    // After a zoom the read-out is recomputed for the same pointer position.
    WheelView(*f.w, false);
    const TPoint expected = f.w->ControlToBitmap(TPoint{40, 30});
    QCOMPARE(f.main->StatusText(0), QStringLiteral("%1:%2").arg(expected.X).arg(expected.Y));
    QCOMPARE(f.w->LastBitmapPos, expected);
}

void TestImageWinZoom::windowMenusMergeWhileActive() {
    TFixture f = OpenPattern(30, 20);
    auto titles = [&] {
        QStringList list;
        for (QAction* a : f.main->menuBar()->actions())
            if (a->isVisible()) list << a->text();
        return list;
    };
    // The image window's menus with items stand between Tools and Window
    // while an image window is active; empty menus are not shown.
    QCOMPARE(titles(), (QStringList{"&File", "&View", "&Edit", "&Window", "&Help"}));
    f.w->close();
    Settle();
    QCOMPARE(titles(), (QStringList{"&File", "&View", "&Window", "&Help"}));
}

// Moving over a large image makes its image-sized drawing layer, and
// "Interpol." at 10 % stretches it smoothly: neither may cost a copy of the
// image in memory (the layer's pixels are taken only where drawn).
void TestImageWinZoom::smoothZoomAndDrawingLayerKeepNoImageCopy() {
    auto residentMiB = [] {
        std::ifstream statm("/proc/self/statm");
        long pages = 0, resident = 0;
        statm >> pages >> resident;
        return resident * 4096 / 1048576;
    };
    auto main = MakeMainForm();
    TMDIChild* w = main->NewImageWindow(QStringLiteral("x"));
    w->NewImage(6000, 4000, 0xFF336699u);  // 92 MiB of pixels
    w->ImgView->SetScale(0.1f);
    Settle();
    main->AppOnIdle();
    const long before = residentMiB();
    MoveView(*w, QPoint(20, 20));
    QTest::mouseClick(Named<QCheckBox>(*main, "ImageInterpolate"), Qt::LeftButton);
    w->ImgView->Repaint();
    Settle();
    QVERIFY2(residentMiB() - before < 30, qPrintable(QString::number(residentMiB() - before)));
}

QTEST_MAIN(TestImageWinZoom)
#include "tst_imagewin_zoom.moc"
