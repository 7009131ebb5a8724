// The layer commands on a real image window: picture, alpha-picture and
// magnifier layers, selecting with the mouse, the rubber band's moves and
// Ctrl-resizes, reordering, Scaled, flips and turns, the floating panels,
// Delete, the grid with its button and "Grid size" dialog, and Flatten
// compared pixel for pixel with a blend computed here.

#include "engine/GaugeBar.h"
#include "engine/GridLayer.h"
#include "engine/Drawing.h"
#include "imagewin/LayerPanels.h"
#include "imagewin/GridSeparation.h"
#include "imagewin/RGBALoader.h"
#include "services/CommandGuard.h"
#include "support/LayerFixture.h"
#include "support/ScriptedPrompts.h"

#include <QAction>
#include <QApplication>
#include <QLocale>
#include <QToolButton>
#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <cmath>
#include <vector>

Q_DECLARE_METATYPE(ivra::TFloatRect)

using namespace ivra;
using namespace ivra::test;

namespace {

// Independent blend of f over b with a layer's master alpha: a = fa * m / 255,
// each colour (f * a + b * (255 - a)) / 255, alpha a + ba * (255 - a) / 255,
// all rounded to the nearest.
TColor32 ReferenceBlend(TColor32 f, TColor32 b, int master) {
    auto rnd = [](double v) { return std::uint32_t(std::floor(v + 0.5)); };
    const std::uint32_t a = rnd((f >> 24) * master / 255.0);
    auto ch = [&](int s) { return rnd((((f >> s) & 255) * a + ((b >> s) & 255) * (255 - a)) / 255.0) << s; };
    if (a == 0) return b;
    const std::uint32_t ra = a + rnd((b >> 24) * (255 - a) / 255.0);
    return (std::min<std::uint32_t>(ra, 255) << 24) | ch(16) | ch(8) | ch(0);
}

} // namespace

class TestLayers : public QObject {
    Q_OBJECT

    TLayerFixture f_;
    TMDIChild& W() { return f_.W(); }
    TImageDocument& Doc() { return f_.Doc(); }
    const TLayerPanels& P() { return LayerPanels(*f_.Main); }

    // A picture layer of the test pattern, w x h, through "New Bitmap Layer".
    TBitmapLayer* NewPictureLayer(int w, int h, const QString& name = QStringLiteral("layer.png")) {
        TScriptedPrompts prompts;
        prompts.ExpectOpenFile(WriteTestPicture(f_.Dir.filePath(name), w, h));
        f_.Run("mnNewBitmapLayer");
        if (!prompts.Verify(__FILE__, __LINE__)) return nullptr;
        return dynamic_cast<TBitmapLayer*>(Doc().Selection());
    }
    QPoint ViewCentreOf(const TPositionedLayer& l) {
        const TFloatRect r = l.GetAdjustedLocation();
        return {int((r.Left + r.Right) / 2), int((r.Top + r.Bottom) / 2)};
    }

private slots:
    void init() { f_.Open(); }
    void cleanup() { f_.Close(); }

    void newPictureLayerIsCentredSelectedAndFramed() {
        TBitmapLayer* l = NewPictureLayer(100, 80);
        QVERIFY(l);
        const TPoint c = W().ViewCentre();
        QCOMPARE(l->Location(), (TFloatRect{c.X - 50.0f, c.Y - 40.0f, c.X + 50.0f, c.Y + 40.0f}));
        QVERIFY(l->Scaled());
        QCOMPARE(l->Bitmap().DrawMode(), TDrawMode::dmBlend);
        QCOMPARE(Doc().RBLayer()->ChildLayer(), l);
        QCOMPARE(f_.Layers().Count() - 1, Doc().RBLayer()->Index());
        QVERIFY(P().LayerWindow->isVisible());
        QVERIFY(f_.Enabled("btnDeleteSelection"));
        // The magnifier takes the selection and its own panel.
        f_.Run("mnMagnifier");
        QCOMPARE(Doc().Selection()->Tag, MagnifierLayerTag);
        QVERIFY(!P().LayerWindow->isVisible());
        QVERIFY(P().MagnifierWindow->isVisible());
        // Clicking the picture layer beside the lens selects it again and
        // fills the panel without showing it.
        l->Bitmap().SetMasterAlpha(77);
        f_.ClickAt(QPoint(int(l->GetAdjustedLocation().Left) + 2, int(l->GetAdjustedLocation().Top) + 2));
        QCOMPARE(Doc().Selection(), l);
        QCOMPARE(P().LayerOpacity->Position(), 77);
        QVERIFY(!P().LayerWindow->isVisible() && !P().MagnifierWindow->isVisible());
    }

    // The panels belong to their main window: a second one has its own, and
    // the first one's image windows keep showing theirs.
    void panelsBelongToTheirMainWindow() {
        const QPointer<QWidget> ours = P().LayerWindow;
        QCOMPARE(ours->parentWidget(), f_.Main.get());
        auto other = MakeMainForm();
        const TLayerPanels& theirs = LayerPanels(*other);
        QVERIFY(theirs.LayerWindow && theirs.LayerWindow != ours);
        QCOMPARE(P().LayerWindow, ours);
        QVERIFY(NewPictureLayer(20, 20));
        QVERIFY(ours->isVisible());
        QVERIFY(!theirs.LayerWindow->isVisible());
        other.reset();
        QVERIFY(ours && P().LayerWindow == ours);
    }

    // A picture that cannot be read leaves the stack and the selection alone.
    void failedPictureLeavesNoLayer() {
        TBitmapLayer* first = NewPictureLayer(10, 10);
        const int count = f_.Layers().Count();
        QFile bad(f_.Dir.filePath(QStringLiteral("bad.png")));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("not a picture");
        bad.close();
        TScriptedPrompts prompts;
        prompts.ExpectOpenFile(bad.fileName()).ExpectErrorContaining(QStringLiteral("bad.png"));
        f_.Run("mnNewBitmapLayer");
        VERIFY_PROMPTS(prompts);
        QCOMPARE(f_.Layers().Count(), count);
        QCOMPARE(Doc().Selection(), first);
    }

    void reorder_data() {
        QTest::addColumn<int>("selected");  // index of the layer selected (0..2)
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("index");     // its index afterwards
        // Stack: 0 a, 1 b, 2 c, 3 the rubber band.
        QTest::newRow("front") << 0 << "mnBringFront" << 2;
        QTest::newRow("front when already there") << 2 << "mnBringFront" << 2;
        QTest::newRow("back") << 2 << "mnSendBack" << 0;
        QTest::newRow("up") << 0 << "mnLevelUp" << 1;
        QTest::newRow("up at the top stays below the frame") << 2 << "mnLevelUp" << 2;
        QTest::newRow("down") << 1 << "mnLevelDown" << 0;
        QTest::newRow("down at the bottom") << 0 << "mnLevelDown" << 0;
    }
    void reorder() {
        QFETCH(int, selected);
        QFETCH(QString, command);
        QFETCH(int, index);
        std::vector<TBitmapLayer*> made;
        for (int i = 0; i < 3; ++i) made.push_back(NewPictureLayer(10 + i, 10, QStringLiteral("l%1.png").arg(i)));
        QCOMPARE(f_.Layers().Count(), 4);
        W().SelectLayer(made[std::size_t(selected)]);
        f_.Run(command.toLatin1().constData());
        QCOMPARE(made[std::size_t(selected)]->Index(), index);
    }

    void scaledTwiceRestoresTheLayer() {
        TBitmapLayer* l = NewPictureLayer(20, 20);
        const TFloatRect before = l->Location();
        f_.Run("mnScaled");
        QVERIFY(!l->Scaled() && !Doc().RBLayer()->Scaled());
        QCOMPARE(l->Location(), before);
        f_.Run("mnScaled");
        QVERIFY(l->Scaled() && Doc().RBLayer()->Scaled());
        QCOMPARE(l->Location(), before);
    }

    // The Scaled tick follows the selected layer when the selection changes,
    // with no idle pass in between.
    void scaledTickFollowsTheSelection() {
        TBitmapLayer* unscaled = NewPictureLayer(20, 20);
        f_.Run("mnScaled");
        TBitmapLayer* scaled = NewPictureLayer(10, 10);
        QAction* tick = f_.Main->Command(QStringLiteral("mnScaled"));
        QVERIFY(tick->isChecked());
        W().SelectLayer(unscaled);
        QVERIFY(!tick->isChecked());
        W().SelectLayer(scaled);
        QVERIFY(tick->isChecked());
    }

    void quarterTurnsKeepTheCentre_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("90") << "mnRotate90";
        QTest::newRow("270") << "mnRotate270";
    }
    void quarterTurnsKeepTheCentre() {
        QFETCH(QString, command);
        TBitmapLayer* l = NewPictureLayer(100, 40);
        const TColor32 corner = l->Bitmap().Pixel(0, 0);
        const TFloatRect o = l->Location();
        f_.Run(command.toLatin1().constData());
        const TFloatRect n = l->Location();
        QCOMPARE(n.Right - n.Left, 40.0f);
        QCOMPARE(n.Bottom - n.Top, 100.0f);
        QCOMPARE((n.Left + n.Right) / 2, (o.Left + o.Right) / 2);
        QCOMPARE((n.Top + n.Bottom) / 2, (o.Top + o.Bottom) / 2);
        QCOMPARE(l->Bitmap().Width(), 40);
        // Clockwise the old top-left corner goes to the top-right.
        QCOMPARE(command == "mnRotate90" ? l->Bitmap().Pixel(39, 0) : l->Bitmap().Pixel(0, 99), corner);
    }

    void flipsAndGrayscaleChangeTheLayerOnly() {
        TBitmapLayer* l = NewPictureLayer(30, 20);
        const TColor32 topLeft = l->Bitmap().Pixel(0, 0), image = W().ImgView->Bitmap().Pixel(5, 5);
        f_.Run("mnFlipHorz");
        QCOMPARE(l->Bitmap().Pixel(29, 0), topLeft);
        f_.Run("mnFlipVert");
        QCOMPARE(l->Bitmap().Pixel(29, 19), topLeft);
        f_.Run("Grayscale1");
        const TColor32 g = l->Bitmap().Pixel(3, 4);
        QVERIFY(RedComponent(g) == GreenComponent(g) && GreenComponent(g) == BlueComponent(g));
        QCOMPARE(W().ImgView->Bitmap().Pixel(5, 5), image);
        QVERIFY(!Doc().CanUndo());
        // With no layer selected it does nothing, not even to the image.
        W().ClearSelection();
        const TColor32 colour = W().ImgView->Bitmap().Pixel(0, 0);
        f_.Run("Grayscale1");
        QCOMPARE(W().ImgView->Bitmap().Pixel(0, 0), colour);
    }

    // Dragging the rubber band's handles with the mouse.
    void rubberBandDrags_data() {
        QTest::addColumn<bool>("ctrl");
        QTest::addColumn<int>("dx");     // right handle moved by dx view pixels
        QTest::addColumn<float>("left");  // change of the left edge
        QTest::addColumn<float>("right");
        QTest::newRow("plain widens right") << false << 10 << 0.0f << 10.0f;
        QTest::newRow("ctrl widens both sides") << true << 10 << -10.0f << 10.0f;
        QTest::newRow("ctrl keeps half sides of 2") << true << -100 << 8.0f << -8.0f;
    }
    void rubberBandDrags() {
        QFETCH(bool, ctrl);
        QFETCH(int, dx);
        QFETCH(float, left);
        QFETCH(float, right);
        TBitmapLayer* l = NewPictureLayer(20, 20);
        const TFloatRect o = l->Location();
        const TFloatRect v = l->GetAdjustedLocation();
        const QPoint handle(int(std::lround(v.Right)), int(std::lround((v.Top + v.Bottom) / 2)));
        f_.Drag(handle, handle + QPoint(dx, 0), ctrl ? Qt::ControlModifier : Qt::NoModifier);
        QCOMPARE(l->Location().Left - o.Left, left);
        QCOMPARE(l->Location().Right - o.Right, right);
    }

    void selectionToolKeepsTheBandOnTheImage() {
        f_.Main->ToolButton(toolSelection)->click();
        f_.Click({20, 20});
        f_.Click({60, 50});
        TBitmapLayer* sel = Doc().SelectionLayer();
        QVERIFY(sel && Doc().Selection() == sel);
        // The body dragged far up and left: edges stop at the image's.
        const QPoint inside = ViewCentreOf(*sel);
        f_.Drag(inside, inside - QPoint(200, 200));
        QCOMPARE(sel->Location().Left, 0.0f);
        QCOMPARE(sel->Location().Top, 0.0f);
    }

    // The lens: what lies below, enlarged by 10^(m/50), with an opacity.
    void magnifier_data() {
        QTest::addColumn<int>("magnification");
        QTest::addColumn<int>("opacity");
        QTest::addColumn<bool>("changed");  // the inside differs from the image
        QTest::newRow("M = 1 copies") << 0 << 255 << false;
        QTest::newRow("M = 10 enlarges") << 50 << 255 << true;
        QTest::newRow("opacity 0 shows the image") << 50 << 0 << false;
    }
    void magnifier() {
        QFETCH(int, magnification);
        QFETCH(int, opacity);
        QFETCH(bool, changed);
        W().ImgView->PaintBuffer();
        TBitmap32 plain;
        plain.Assign(W().ImgView->Buffer());
        f_.Run("mnMagnifier");
        auto* lens = dynamic_cast<TPositionedLayer*>(Doc().Selection());
        QVERIFY(lens);
        W().SelectLayer(nullptr);  // the band's frame off the lens
        P().MagnMagnification->SetPosition(magnification);
        P().MagnOpacity->SetPosition(opacity);
        W().ImgView->PaintBuffer();
        const TBitmap32& lensed = W().ImgView->Buffer();
        const TRect r = MakeRect(lens->GetAdjustedLocation());
        int differing = 0;
        for (int y = r.Top + 6; y < r.Bottom - 6; ++y)
            for (int x = r.Left + 6; x < r.Right - 6; ++x) differing += (lensed.Pixel(x, y) != plain.Pixel(x, y));
        QCOMPARE(differing > 0, changed);
        // The bevel's outer ring is always there.
        QVERIFY(lensed.Pixel(r.Left + 2, r.Top) != plain.Pixel(r.Left + 2, r.Top));
        P().MagnMagnification->SetPosition(10);
        P().MagnOpacity->SetPosition(255);
    }

    // The alpha-picture dialog: its buttons, and the layer it makes.
    void alphaPictureLayer_data() {
        QTest::addColumn<bool>("withAlpha");
        QTest::newRow("colour only is opaque") << false;
        QTest::newRow("alpha stretched, black is clear") << true;
    }
    void alphaPictureLayer() {
        QFETCH(bool, withAlpha);
        const QString rgb = WriteTestPicture(f_.Dir.filePath(QStringLiteral("rgb.png")), 40, 20);
        QImage mask(2, 1, QImage::Format_RGB32);
        mask.setPixel(0, 0, qRgb(0, 0, 0));
        mask.setPixel(1, 0, qRgb(255, 255, 255));
        const QString alpha = f_.Dir.filePath(QStringLiteral("alpha.bmp"));
        QVERIFY(mask.save(alpha));
        TScriptedPrompts prompts;
        prompts.ExpectDialog(QStringLiteral("RGBALoaderForm"), [&](QDialog& d) {
            auto& form = static_cast<TRGBALoaderForm&>(d);
            QTest::mouseClick(form.btnLoadRGB, Qt::LeftButton);
            if (withAlpha) QTest::mouseClick(form.btnLoadAlpha, Qt::LeftButton);
            QTest::mouseClick(form.btnRGBPlus, Qt::LeftButton);
            QTest::mouseClick(form.btnAlphaMinus, Qt::LeftButton);
            const bool zoomed = form.ImgRGB->Scale() == 1.5f && std::fabs(form.ImgAlpha->Scale() - 1 / 1.5f) < 1e-6f;
            QTest::mouseClick(form.btnResetScales, Qt::LeftButton);
            const bool reset = form.ImgRGB->Scale() == 1.0f && form.ImgAlpha->Scale() == 1.0f;
            return zoomed && reset ? QDialog::Accepted : QDialog::Rejected;
        });
        prompts.ExpectOpenFile(rgb);
        if (withAlpha) prompts.ExpectOpenFile(alpha);
        f_.Run("mnNewBitmapRGBA");
        // Each file dialog has a title of its own, none the program's name
        // (nor that of the picture layer's dialog, asked last).
        prompts.ExpectOpenFile(QString());
        f_.Run("mnNewBitmapLayer");
        QStringList titles;
        for (const auto& a : prompts.Asked())
            if (a.Kind == TScriptedPrompts::TKind::OpenFile) titles << a.Text;
        QCOMPARE(titles.size(), withAlpha ? 3 : 2);
        QCOMPARE(QSet<QString>(titles.begin(), titles.end()).size(), titles.size());
        QVERIFY(!titles.contains(QString()) && !titles.contains(QApplication::applicationName()));
        VERIFY_PROMPTS(prompts);
        auto* l = dynamic_cast<TBitmapLayer*>(Doc().Selection());
        QVERIFY(l);
        QCOMPARE(l->Bitmap().Width(), 40);
        QCOMPARE(l->Bitmap().Pixel(5, 5) & 0x00FFFFFFu, Color32(5, 5, 100) & 0x00FFFFFFu);
        QCOMPARE(int(AlphaComponent(l->Bitmap().Pixel(5, 5))), withAlpha ? 0 : 255);
        QCOMPARE(int(AlphaComponent(l->Bitmap().Pixel(35, 5))), 255);
        QVERIFY(P().LayerWindow->isVisible());
    }

    void panelsEditTheSelectedLayer() {
        TBitmapLayer* l = NewPictureLayer(20, 20);
        P().LayerOpacity->SetPosition(128);
        QCOMPARE(int(l->Bitmap().MasterAlpha()), 128);
        QTest::mouseClick(P().LayerInterpolate, Qt::LeftButton);
        QCOMPARE(l->Bitmap().StretchFilter(), TStretchFilter::sfLinear);
        QTest::mouseClick(P().Cropped, Qt::LeftButton);
        QVERIFY(l->Cropped());
        // Every field follows the layer selected: a new layer shows its own
        // values, and so does the first one selected again.
        TBitmapLayer* other = NewPictureLayer(10, 10, QStringLiteral("other.png"));
        QCOMPARE(P().Cropped->isChecked(), other->Cropped());
        QCOMPARE(P().LayerOpacity->Position(), int(other->Bitmap().MasterAlpha()));
        QVERIFY(!other->Cropped() && !P().LayerInterpolate->isChecked());
        W().SelectLayer(l);
        QVERIFY(P().Cropped->isChecked() && P().LayerInterpolate->isChecked());
        QSignalSpy changed(&W(), &TMDIChild::SelectionChanged);
        QTest::mouseClick(P().Button1, Qt::LeftButton);
        QCOMPARE(f_.Layers().IndexOf(l), -1);
        QVERIFY(Doc().Selection() == nullptr && !P().LayerWindow->isVisible());
        QCOMPARE(changed.count(), 1);
        // Delete made no hidden selection layer on its way.
        QVERIFY(Doc().SelectionLayer() == nullptr);
        QVERIFY(!f_.Enabled("btnDeleteSelection"));
    }

    // The selected layer leaving by another route (a command freeing it) is
    // forgotten by the band and the panels; the panels then edit nothing.
    void selectedLayerLeavingLeavesNoReference() {
        TBitmapLayer* l = NewPictureLayer(20, 20);
        QSignalSpy changed(&W(), &TMDIChild::SelectionChanged);
        Doc().DeleteLayer(l);
        QVERIFY(Doc().Selection() == nullptr);
        QVERIFY(Doc().RBLayer()->ChildLayer() == nullptr && !Doc().RBLayer()->Visible());
        QVERIFY(!P().LayerWindow->isVisible());
        QCOMPARE(changed.count(), 1);
        P().LayerOpacity->SetPosition(3);
        QTest::mouseClick(P().Cropped, Qt::LeftButton);
        W().ImgView->PaintBuffer();
    }

    // Flatten: the view composed at 100 % into the image, compared with a
    // blend computed here; Undo brings the image back, not the layers.
    void flattenBurnsLayersAndGrid() {
        TBitmap32 original;
        original.Assign(W().ImgView->Bitmap());
        TBitmapLayer* l = NewPictureLayer(40, 30);
        // Every third column half transparent, the layer at opacity 128.
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; x += 3)
                l->Bitmap().SetPixel(x, y, (l->Bitmap().Pixel(x, y) & 0x00FFFFFFu) | 0x60000000u);
        P().LayerOpacity->SetPosition(128);
        TBitmap32 layer;
        layer.Assign(l->Bitmap());
        const TRect at = MakeRect(l->Location());
        W().GetGridLayer();  // above the layer, spacing 50
        f_.Run("btnFlatten");
        const TBitmap32& img = W().ImgView->Bitmap();
        int wrong = 0;
        for (int y = 0; y < img.Height(); ++y)
            for (int x = 0; x < img.Width(); ++x) {
                TColor32 want = original.Pixel(x, y);
                if (x >= at.Left && x < at.Right && y >= at.Top && y < at.Bottom)
                    want = ReferenceBlend(layer.Pixel(x - at.Left, y - at.Top), want, 128);
                if ((y % 50 == 0 && x % 2 == 0) || (x % 50 == 0 && y % 2 == 0)) want = 0xFFFFFFFFu;
                wrong += img.Pixel(x, y) != want;
            }
        QCOMPARE(wrong, 0);
        QCOMPARE(f_.Layers().Count(), 0);
        QVERIFY(!Doc().RBLayer() && !Doc().GridLayer() && !Doc().SelectionLayer() && !Doc().Selection());
        QVERIFY(f_.Enabled("Undo1"));
        f_.Run("Undo1");
        QVERIFY(std::equal(img.Bits(), img.Bits() + img.PixelCount(), original.Bits()));
        QCOMPARE(f_.Layers().Count(), 0);
    }

    void flattenWithoutLayersTakesASnapshot() {
        QVERIFY(!f_.Enabled("Undo1"));
        f_.Run("btnFlatten");
        QVERIFY(f_.Enabled("Undo1"));
    }

    // The grid's dotted lines equal stippled lines (colour, clear; step 1)
    // from the rounded bounds, every spacing (doubled below 8 pixels), plus
    // the bottom and right edges.
    void gridLinesAreTheStippledLines_data() {
        QTest::addColumn<TFloatRect>("bounds");
        QTest::addColumn<double>("spacing");
        QTest::newRow("50 at 100 %") << TFloatRect{0, 0, 120, 90} << 50.0;
        QTest::newRow("5 doubles to 10") << TFloatRect{3, 2, 83, 61} << 5.0;
        QTest::newRow("scrolled off the top left") << TFloatRect{-37.5f, -20.25f, 70, 50} << 12.5;
        QTest::newRow("odd start, half pixels") << TFloatRect{1.5f, 2.5f, 99.5f, 70.5f} << 9.75;
        QTest::newRow("nothing for 0") << TFloatRect{0, 0, 50, 50} << 0.0;
    }
    void gridLinesAreTheStippledLines() {
        QFETCH(TFloatRect, bounds);
        QFETCH(double, spacing);
        TBitmap32 fast(100, 80), slow(100, 80);
        fast.Clear(0xFF102030u);
        slow.Clear(0xFF102030u);
        PaintGridLines(fast, bounds, spacing, 0xC0FFFFFFu);
        slow.SetStipple({0xC0FFFFFFu, 0});
        const TRect r = MakeRect(bounds);
        double s = spacing;
        while (s > 0 && s < 8) s *= 2;
        for (double y = bounds.Top; s > 0 && y <= bounds.Bottom; y += s) {
            ResetStippleCounter(slow);
            HorzLineTSP(slow, r.Left, RoundHalfEven(y), r.Right);
        }
        for (double x = bounds.Left; s > 0 && x <= bounds.Right; x += s) {
            ResetStippleCounter(slow);
            VertLineTSP(slow, RoundHalfEven(x), r.Top, r.Bottom);
        }
        if (s > 0) {
            ResetStippleCounter(slow);
            HorzLineTSP(slow, r.Left, r.Bottom, r.Right);
            ResetStippleCounter(slow);
            VertLineTSP(slow, r.Right, r.Top, r.Bottom);
        }
        QVERIFY(std::equal(fast.Bits(), fast.Bits() + fast.PixelCount(), slow.Bits()));
    }

    // On the screen the grid follows the zoom: spacing 5 is drawn every 10
    // view pixels at 100 %, every 20 (5 image pixels) at 400 %.
    void gridFollowsTheZoom_data() {
        QTest::addColumn<float>("scale");
        QTest::addColumn<int>("step");
        QTest::newRow("100 %") << 1.0f << 10;
        QTest::newRow("400 %") << 4.0f << 20;
    }
    void gridFollowsTheZoom() {
        QFETCH(float, scale);
        QFETCH(int, step);
        W().GridSpacing = 5;
        W().GetGridLayer();
        W().ImgView->SetScale(scale);
        W().ImgView->PaintBuffer();
        const TBitmap32& b = W().ImgView->Buffer();
        const TRect br = W().ImgView->GetBitmapRect();
        // A row between grid rows: only the dotted columns are white there.
        const int y = std::max(br.Top, 0) + 2 + ((std::max(br.Top, 0) - br.Top) & 1);
        std::vector<int> xs;
        for (int x = std::max(br.Left, 0); x < std::min(br.Right, b.Width()); ++x)
            if (b.Pixel(x, y) == 0xFFFFFFFFu) xs.push_back(x);
        QVERIFY(xs.size() > 3);
        for (std::size_t i = 1; i < xs.size(); ++i) QCOMPARE(xs[i] - xs[i - 1], step);
        QCOMPARE((xs[0] - br.Left) % step, 0);
    }

    void gridButton() {
        QToolButton* button = qobject_cast<QToolButton*>(
            Named<QToolBar>(*f_.Main, "tbLayers")->widgetForAction(f_.Main->Command(QStringLiteral("btnGrid"))));
        QVERIFY(button);
        f_.Main->AppOnIdle();
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(Doc().GridLayer() && Doc().GridLayer()->Visible());
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!Doc().GridLayer()->Visible());
        // Right press: the dialog, calibrated units, a bad entry, then OK.
        Drawing().CalibrationFactor = 0.5f;
        W().RemoveGridLayer();
        TScriptedPrompts prompts;
        prompts.ExpectDialog(QStringLiteral("dlgGridSeparation"), [&](QDialog& d) {
            auto& dlg = static_cast<TdlgGridSeparation&>(d);
            // The grid is there, visible, before OK and with the button up.
            const bool shown = Doc().GridLayer() && Doc().GridLayer()->Visible() && !button->isChecked();
            const bool units = dlg.leUnits->text() == QLocale::system().toString(25.0, 'f', 2);
            dlg.lePixels->clear();
            QTest::keyClicks(dlg.lePixels, QStringLiteral("2x"));
            const bool kept = dlg.GridSeparation == 2 && dlg.leUnits->text() == QLocale::system().toString(1.0, 'f', 2);
            dlg.lePixels->setText(QStringLiteral("20"));
            dlg.lePixelsChange();
            return shown && units && kept ? QDialog::Accepted : QDialog::Rejected;
        });
        prompts.ExpectError(QStringLiteral("'2x' is not a valid integer value"));
        QTest::mousePress(button, Qt::RightButton);
        QTest::mouseRelease(button, Qt::RightButton);
        VERIFY_PROMPTS(prompts);
        QCOMPARE(static_cast<TGridLayer*>(Doc().GridLayer())->GridSize(), 20);
        QCOMPARE(W().GridSpacing, 20u);
        QVERIFY(!button->isChecked());
        // A right press as the window system delivers it (the press, then its
        // context menu event) opens the dialog and no menu after it.
        bool menu = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (QWidget* popup = QApplication::activePopupWidget()) {
                menu = true;
                popup->close();
            }
        });
        watch.start(20);
        TScriptedPrompts again;
        again.ExpectDialog(QStringLiteral("dlgGridSeparation"), [](QDialog&) { return QDialog::Rejected; });
        const QPoint at = button->mapTo(button->window(), button->rect().center());
        QTest::mousePress(button->window()->windowHandle(), Qt::RightButton, {}, at);
        QTest::mouseRelease(button->window()->windowHandle(), Qt::RightButton, {}, at);
        QTest::qWait(60);
        VERIFY_PROMPTS(again);
        QVERIFY(!menu);
        // A later registration elsewhere leaves the Layers bar's buttons as
        // they are.
        TCommandSpec other;
        other.Id = QStringLiteral("otherCommand");
        other.Toolbar = QStringLiteral("tbFile");
        f_.Main->Commands().Add(other);
        QCOMPARE(Named<QToolBar>(*f_.Main, "tbLayers")->widgetForAction(f_.Main->Command(QStringLiteral("btnGrid"))), button);
    }
};

QTEST_MAIN(TestLayers)
#include "tst_layers.moc"
