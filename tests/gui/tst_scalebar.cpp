// "Scale Bar..." on a real image window: the dialog for a calibrated and an
// uncalibrated image, a refused length, and one bar made, moved, flattened
// into the image and undone.

#include "measure/ScaleBarCommand.h"
#include "support/LayerFixture.h"
#include "support/ScriptedPrompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

#include <algorithm>

using namespace ivra;
using namespace ivra::test;

class TestScaleBar : public QObject {
    Q_OBJECT

    TLayerFixture f_;
    TMDIChild& W() { return f_.W(); }
    TImageDocument& Doc() { return f_.Doc(); }

    // Runs the command; fill answers the dialog.
    void RunScaleBar(std::function<int(TdlgScaleBar&)> fill) {
        TScriptedPrompts prompts;
        prompts.ExpectDialog(QStringLiteral("dlgScaleBar"),
                             [&](QDialog& d) { return fill(static_cast<TdlgScaleBar&>(d)); });
        f_.Run("mnScaleBar");
        VERIFY_PROMPTS(prompts);
    }

private slots:
    void init() {
        f_.Open(300, 200);
        InstallScaleBar(*f_.Main);
    }
    void cleanup() { f_.Close(); }

    void uncalibratedImageGetsABarInPixels() {
        bool saysNotCalibrated = false;
        QString unit;
        RunScaleBar([&](TdlgScaleBar& d) {
            saysNotCalibrated = !d.lbNotCalibrated->isHidden();
            unit = d.lbLengthUnit->text();
            d.edLength->setText(QStringLiteral("50"));
            d.accept();
            return d.result();
        });
        QVERIFY(saysNotCalibrated);
        QCOMPARE(unit, QStringLiteral("px"));
        QCOMPARE(ScaleBarDialog(*f_.Main).LabelText(), QStringLiteral("50 px"));
        QVERIFY(dynamic_cast<TBitmapLayer*>(Doc().Selection()));
    }

    void refusedLengthChangesNothing() {
        f_.Main->Drawing().CalibrationFactor = 0.5f;
        f_.Main->Drawing().CalibrationUnit = "mm";
        const int layers = f_.Layers().Count();
        bool saysNotCalibrated = true;
        int refused = 0;
        RunScaleBar([&](TdlgScaleBar& d) {
            saysNotCalibrated = !d.lbNotCalibrated->isHidden();
            // 0, below 0, not a number, and 250 mm = 500 pixels on a 300-pixel image.
            for (const char* bad : {"0", "-1", "x", "250"}) {
                TScriptedPrompts inner;
                inner.ExpectError();
                d.edLength->setText(QLatin1String(bad));
                d.accept();
                refused += inner.Pending() == 0 && d.result() == QDialog::Rejected;
            }
            // A good length, but a label taller than the image.
            TScriptedPrompts inner;
            inner.ExpectErrorContaining(QStringLiteral("taller than the image"));
            d.edLength->setText(QStringLiteral("10"));
            d.sbLabelSize->setValue(d.sbLabelSize->maximum());
            d.accept();
            refused += inner.Pending() == 0 && d.result() == QDialog::Rejected;
            return int(QDialog::Rejected);
        });
        QVERIFY(!saysNotCalibrated);
        QCOMPARE(refused, 5);
        QCOMPARE(f_.Layers().Count(), layers);
    }

    void barIsMadeMovedFlattenedAndUndone() {
        f_.Main->Drawing().CalibrationFactor = 0.5f;
        f_.Main->Drawing().CalibrationUnit = "\xC2\xB5m";
        f_.Main->Drawing().ForeColor = 0x000080FF;  // platform colour: orange
        TBitmap32 original;
        original.Assign(W().ImgView->Bitmap());
        RunScaleBar([](TdlgScaleBar& d) {
            d.edLength->setText(QStringLiteral("50"));
            d.sbHeight->setValue(3);
            d.cbCorner->setCurrentIndex(int(TScaleBarCorner::LowerRight));
            d.cbShowLabel->setChecked(true);
            d.cbBox->setChecked(false);
            d.accept();
            return d.result();
        });
        QCOMPARE(ScaleBarDialog(*f_.Main).LabelText(), QStringLiteral("50 \u00B5m"));
        auto* bar = dynamic_cast<TBitmapLayer*>(Doc().Selection());
        QVERIFY(bar);
        QVERIFY(bar->Scaled());
        // With IVRA_SHOTS_DIR set, a screenshot of the window with its bar.
        if (const QString shots = qEnvironmentVariable("IVRA_SHOTS_DIR"); !shots.isEmpty())
            f_.Main->grab().save(QDir(shots).filePath(QStringLiteral("scalebar.png")));
        // 100 pixels long at 4 pixels (2 % of 200) from the lower right corner.
        const TFloatRect at = bar->Location();
        QCOMPARE(at.Right, 296.0f);
        QCOMPARE(at.Bottom, 196.0f);
        // Dragged 40 pixels left and 20 up by its body.
        const TFloatRect v = bar->GetAdjustedLocation();
        const QPoint body(int((v.Left + v.Right) / 2), int((v.Top + v.Bottom) / 2));
        f_.Drag(body, body - QPoint(40, 20));
        QCOMPARE(bar->Location().Left, at.Left - 40);
        QCOMPARE(bar->Location().Top, at.Top - 20);
        f_.Run("btnFlatten");
        const TBitmap32& img = W().ImgView->Bitmap();
        int exact = 0;
        for (int y = 193 - 20; y < 196 - 20; ++y)
            for (int x = 196 - 40; x < 296 - 40; ++x) exact += img.Pixel(x, y) == 0xFFFF8000u;
        QCOMPARE(exact, 100 * 3);
        // Where the bar stood before the move the image is as it was.
        QCOMPARE(img.Pixel(290, 194), original.Pixel(290, 194));
        f_.Run("Undo1");
        QVERIFY(std::equal(img.Bits(), img.Bits() + img.PixelCount(), original.Bits()));
    }
};

QTEST_MAIN(TestScaleBar)
#include "tst_scalebar.moc"
