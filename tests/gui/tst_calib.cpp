// The spatial calibration window: the mode while it is shown, the typed
// length filter, the factor from the measured pixel length, Save with its
// overwrite question, Load (a bad file changes nothing), OK and Cancel.

#include "services/DrawingState.h"
#include "measure/SpatialCalib.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace ivra;
using ivra::test::TScriptedPrompts;
using ivra::test::ReadAll;
using ivra::test::WriteAll;

class TestCalib : public QObject {
    Q_OBJECT

    std::unique_ptr<TfrmSpatialCalib> dlg_;
    QTemporaryDir dir_;
    TDrawingState drawing_;

    TfrmSpatialCalib& D() { return *dlg_; }
    QString Path(const char* name) const { return dir_.filePath(QLatin1String(name)); }

    // Replaces the length text by typing over it, as the user does.
    void TypeLength(const QString& text) {
        D().edLineLength->setFocus();
        D().edLineLength->selectAll();
        QTest::keyClicks(D().edLineLength, text);
    }

private slots:
    void init() {
        drawing_ = TDrawingState{};
        dlg_.reset(new TfrmSpatialCalib(nullptr, drawing_));
        D().show();
        QVERIFY(QTest::qWaitForWindowExposed(dlg_.get()));
    }
    void cleanup() { dlg_.reset(); }

    void layoutAndStart() {
        QCOMPARE(D().windowTitle(), QStringLiteral("Spatial Calibration"));
        QVERIFY(!D().isModal());
        QVERIFY(D().windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(D().labPixLength->text(), QStringLiteral("????"));
        QCOMPARE(D().edLineLength->text(), QStringLiteral("1"));
        QCOMPARE(D().LbConvFact->text(), QStringLiteral("??????"));
        // The measured length and "pixels =" stand at least a space apart.
        D().SetPixelLength("200");
        const int gap = D().Label4->x() - (D().labPixLength->x() + D().labPixLength->width());
        QVERIFY(gap >= D().fontMetrics().horizontalAdvance(QLatin1Char(' ')));
        D().SetPixelLength("????");
        QVERIFY(!D().SpeedButton1->isEnabled());
        QVERIFY(D().SpeedButton2->isEnabled());
        QVERIFY(!D().OKBtn->isEnabled());
        QVERIFY(D().OKBtn->isDefault());
        QCOMPARE(D().minimumSize(), D().maximumSize()); // a fixed size: the user cannot resize it
    }

    void modeFollowsTheWindow() {
        QVERIFY(D().CalibrationMode());
        D().CancelBtn->click();
        QVERIFY(!D().CalibrationMode());
        QVERIFY(!D().isVisible());
        D().show();
        QVERIFY(D().CalibrationMode());
        D().close();
        QVERIFY(!D().CalibrationMode());
    }

    void typingBeforeMeasuringChangesNothing() {
        TypeLength(QStringLiteral("50"));
        QCOMPARE(D().labPixLength->text(), QStringLiteral("????"));
        QCOMPARE(drawing_.CalibrationFactor, 1.0f);
        QCOMPARE(D().LbConvFact->text(), QStringLiteral("??????"));
        // The factor comes at the next edit after a measurement.
        D().SetPixelLength("200");
        QCOMPARE(drawing_.CalibrationFactor, 1.0f);
        QTest::keyClick(D().edLineLength, Qt::Key_Backspace);
        QCOMPARE(drawing_.CalibrationFactor, 0.025f);
    }

    void factorFromTheMeasuredLine() {
        D().SetPixelLength("200");
        TypeLength(QStringLiteral("50"));
        QCOMPARE(drawing_.CalibrationFactor, 0.25f);
        QCOMPARE(D().LbConvFact->text(), QStringLiteral("0.25000"));
        QVERIFY(D().SpeedButton1->isEnabled());
        QVERIFY(D().OKBtn->isEnabled());
        // Another line changes the label, not the factor.
        D().SetPixelLength("100");
        QCOMPARE(drawing_.CalibrationFactor, 0.25f);
        // Cancel keeps the factor.
        D().CancelBtn->click();
        QCOMPARE(drawing_.CalibrationFactor, 0.25f);
    }

    void onlyDigitsAndTheSeparatorAreTyped() {
        D().SetPixelLength("10");
        TypeLength(QStringLiteral("a1x2.5-e"));
        QCOMPARE(D().edLineLength->text(), QStringLiteral("12.5"));
        QCOMPARE(drawing_.CalibrationFactor, 1.25f);
    }

    void notANumberKeepsTheFactor() {
        TScriptedPrompts prompts;
        D().SetPixelLength("10");
        TypeLength(QStringLiteral("5"));
        QCOMPARE(drawing_.CalibrationFactor, 0.5f);
        // Erasing the last character leaves no number: an error box.
        prompts.ExpectError();
        QTest::keyClick(D().edLineLength, Qt::Key_Backspace);
        VERIFY_PROMPTS(prompts);
        QCOMPARE(drawing_.CalibrationFactor, 0.5f);
        QCOMPARE(D().LbConvFact->text(), QStringLiteral("0.50000"));
        // A zero length gives no usable factor: the factor in force stays
        // and nothing can be confirmed until the length is usable again.
        QTest::keyClick(D().edLineLength, Qt::Key_0);
        QCOMPARE(drawing_.CalibrationFactor, 0.5f);
        QVERIFY(!D().OKBtn->isEnabled());
        QTest::keyClicks(D().edLineLength, QStringLiteral(".2"));
        QCOMPARE(drawing_.CalibrationFactor, 0.02f);
        QVERIFY(D().OKBtn->isEnabled());
    }

    void saveWritesOneLine() {
        TScriptedPrompts prompts;
        D().SetPixelLength("200");
        TypeLength(QStringLiteral("50"));
        const QString path = Path("f.cnv");
        prompts.ExpectSaveFile(path);
        D().SpeedButton1->click();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(ReadAll(path), QByteArray("0.25000\r\n"));
        QVERIFY(D().isVisible());
        QCOMPARE(prompts.LastFileRequest.DefaultSuffix, QStringLiteral("cnv"));
    }

    void saveAsksBeforeOverwriting() {
        TScriptedPrompts prompts;
        const QString path = Path("old.cnv");
        WriteAll(path, "9.00000\r\n");
        D().SetPixelLength("4");
        TypeLength(QStringLiteral("1"));
        prompts.ExpectSaveFile(path).ExpectConfirm(QMessageBox::No, QStringLiteral("Overwrite existing file?"));
        D().SpeedButton1->click();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(ReadAll(path), QByteArray("9.00000\r\n"));
        prompts.ExpectSaveFile(path).ExpectConfirm(QMessageBox::Yes, QStringLiteral("Overwrite existing file?"));
        D().SpeedButton1->click();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(ReadAll(path), QByteArray("0.25000\r\n"));
        // A cancelled dialog writes nothing.
        prompts.ExpectSaveFile(QString());
        D().SpeedButton1->click();
        VERIFY_PROMPTS(prompts);
    }

    void loadSetsTheFactorAndCloses() {
        TScriptedPrompts prompts;
        const QString path = Path("in.cnv");
        WriteAll(path, "0.5\r\n");
        drawing_.CalibrationUnit = "mm";
        prompts.ExpectOpenFile(path);
        D().SpeedButton2->click();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(drawing_.CalibrationFactor, 0.5f);
        QCOMPARE(drawing_.CalibrationUnit, std::string());  // an old one-line file names no unit
        QCOMPARE(D().LbConvFact->text(), QStringLiteral("0.50000"));
        QVERIFY(D().OKBtn->isEnabled());
        QVERIFY(!D().isVisible());
        QVERIFY(!D().CalibrationMode());
    }

    void badFileChangesNothing_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("create");
        QTest::newRow("not a number") << QByteArray("abc\r\n") << true;
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("missing") << QByteArray() << false;
        QTest::newRow("second line not a unit") << QByteArray("0.5\r\nignored\r\n") << true;
    }
    void badFileChangesNothing() {
        QFETCH(QByteArray, content);
        QFETCH(bool, create);
        TScriptedPrompts prompts;
        const QString path = Path("bad.cnv");
        QFile::remove(path);
        if (create) WriteAll(path, content);
        drawing_.CalibrationFactor = 2.0f;
        prompts.ExpectOpenFile(path).ExpectError();
        D().SpeedButton2->click();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(drawing_.CalibrationFactor, 2.0f);
        QCOMPARE(D().LbConvFact->text(), QStringLiteral("??????"));
        QVERIFY(D().isVisible());
        QVERIFY(D().CalibrationMode());
    }

    void saveAndLoadKeepTheUnit() {
        TScriptedPrompts prompts;
        D().SetPixelLength("200");
        TypeLength(QStringLiteral("50"));
        QVERIFY(D().cbUnit->currentText().isEmpty());
        QTest::keyClicks(D().cbUnit->lineEdit(), QStringLiteral("\u00B5m"));
        QCOMPARE(drawing_.CalibrationUnit, std::string("\xC2\xB5m"));
        const QString path = Path("unit.cnv");
        prompts.ExpectSaveFile(path);
        D().SpeedButton1->click();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(ReadAll(path), QByteArray("0.25000\r\nunit=\xC2\xB5m\r\n"));
        // Another unit chosen from the list, then the file loaded: both lines come back.
        D().cbUnit->setCurrentIndex(D().cbUnit->findText(QStringLiteral("in")));
        QCOMPARE(drawing_.CalibrationUnit, std::string("in"));
        drawing_.CalibrationFactor = 1.0f;
        prompts.ExpectOpenFile(path);
        D().SpeedButton2->click();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(drawing_.CalibrationFactor, 0.25f);
        QCOMPARE(drawing_.CalibrationUnit, std::string("\xC2\xB5m"));
        QCOMPARE(D().cbUnit->currentText(), QStringLiteral("\u00B5m"));
    }

    void okCloses() {
        D().SetPixelLength("8");
        TypeLength(QStringLiteral("2"));
        D().OKBtn->click();
        QVERIFY(!D().isVisible());
        QVERIFY(!D().CalibrationMode());
        QCOMPARE(drawing_.CalibrationFactor, 0.25f);
        // Contents stay between showings.
        D().show();
        QCOMPARE(D().labPixLength->text(), QStringLiteral("8"));
        QCOMPARE(D().edLineLength->text(), QStringLiteral("2"));
    }
};

int main(int argc, char** argv) {
    qputenv("LC_ALL", "C");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestCalib t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_calib.moc"
