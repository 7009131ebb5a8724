// The processing dialogs show their texts whole (run also with
// QT_SCALE_FACTOR=1.25). With IVRA_SHOT_DIR set, each dialog is saved there
// as a PNG picture for a look.

#include "analysis/StretchHisto.h"
#include "app/NewImageUnit.h"
#include "processing/Brightness.h"
#include "processing/ProcessingCommands.h"
#include "support/AppFixture.h"
#include "support/DialogTexts.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

using namespace ivra;
using namespace ivra::test;

namespace {

// The dialog shown: the texts that are cut; saved as a picture on request.
QStringList ShowAndLook(QWidget& dialog) {
    dialog.show();
    Settle();
    const QStringList cut = CutTexts(dialog);
    const QString dir = qEnvironmentVariable("IVRA_SHOT_DIR");
    if (!dir.isEmpty()) dialog.grab().save(QDir(dir).filePath(dialog.objectName() + QStringLiteral(".png")));
    dialog.hide();
    return cut;
}

} // namespace

class TestProcessingDialogs : public QObject {
    Q_OBJECT
private slots:
    void textsShowWhole();
    void cutTextIsFound();
};

void TestProcessingDialogs::textsShowWhole() {
    auto main = MakeMainForm();
    InstallProcessing(*main);
    InstallStretchHisto(*main);
    TMDIChild* w = main->NewImageWindow(QStringLiteral("x"));
    FillTestPattern(w->ImgView->Bitmap(), 300, 200);
    TfrmStretchHisto* stretch = StretchHistoDialog(*main);
    stretch->FormShow();
    TNewImageForm newImage(main.get());
    for (QDialog* d : {static_cast<QDialog*>(BrightnessDialog(*main)), static_cast<QDialog*>(stretch),
                       static_cast<QDialog*>(&newImage)}) {
        const QStringList cut = ShowAndLook(*d);
        QVERIFY2(cut.isEmpty(), qPrintable(d->objectName() + QStringLiteral(": ") + cut.join(QStringLiteral(", "))));
    }
    // The menus, for a look.
    if (!qEnvironmentVariableIsEmpty("IVRA_SHOT_DIR")) {
        Settle();
        main->AppOnIdle();
        for (const char* id : {"Image", "ImageColors", "NormalFilters", "MiscFilters"}) {
            QMenu* m = main->Menu(QLatin1String(id));
            m->popup(QPoint(0, 0));
            Settle();
            m->grab().save(QDir(qEnvironmentVariable("IVRA_SHOT_DIR")).filePath(QLatin1String(id) + QStringLiteral(".png")));
            m->hide();
        }
    }
    // The axis labels of the chart fit beside and below its plot area.
    THistogramChart* chart = stretch->Chart1;
    QVERIFY(chart->AxisStart() > chart->fontMetrics().horizontalAdvance(QString::number(chart->AxisMaximum())));
    QVERIFY(chart->PlotBottom() + chart->fontMetrics().height() < chart->height());
}

void TestProcessingDialogs::cutTextIsFound() {
    QDialog d;
    d.setFixedSize(200, 100);
    auto* label = new QLabel(QStringLiteral("A text much too long for its place"), &d);
    label->setGeometry(10, 10, 40, 20);
    auto* edit = new QLineEdit(&d);
    edit->setGeometry(180, 10, 60, 20);
    // The label is too narrow and the edit box reaches past the dialog.
    const QStringList cut = CutTexts(d);
    QCOMPARE(cut.size(), 2);
    QVERIFY(cut[0].contains(label->text()));
}

QTEST_MAIN(TestProcessingDialogs)
#include "tst_processing_dialogs.moc"
