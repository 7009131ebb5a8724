// The New Image dialog's texts and the Open dialog's list of formats.

#include "app/NewImageUnit.h"
#include "imagewin/PictureLoader.h"
#include "support/DialogTexts.h"

#include <QImageReader>
#include <QRegularExpression>
#include <QTest>

using namespace ivra;
using namespace ivra::test;

class TestNewImage : public QObject {
    Q_OBJECT
private slots:
    void dialogShowsItsTextsWhole();
    void openFilterListsEveryFormatRead();
};

void TestNewImage::dialogShowsItsTextsWhole() {
    TNewImageForm dlg;
    QCOMPARE(CutTexts(dlg), QStringList());
}

void TestNewImage::openFilterListsEveryFormatRead() {
    const QString filter = OpenPictureFilter();
    const QStringList entries = filter.split(QStringLiteral(";;"));
    // First all pictures together, last all files.
    QVERIFY(entries.first().startsWith(QLatin1String("All pictures (")));
    QCOMPARE(entries.last(), QStringLiteral("All files (*)"));
    // Every format of Qt's image plugins, and the core's own, appears in
    // exactly one entry of its own and in the first one.
    QStringList suffixes = {"jpg", "jpeg", "png", "bmp"};
    for (const QByteArray& f : QImageReader::supportedImageFormats()) suffixes << QString::fromLatin1(f).toLower();
    for (const QString& s : suffixes) {
        const QString pattern = QStringLiteral("*.") + s;
        QVERIFY2(entries.first().split(QRegularExpression(QStringLiteral("[( )]"))).contains(pattern), qPrintable(s));
        int own = 0;
        for (qsizetype i = 1; i + 1 < entries.size(); ++i)
            own += entries[i].split(QRegularExpression(QStringLiteral("[( )]"))).count(pattern);
        QVERIFY2(own == 1, qPrintable(s));
    }
}

QTEST_MAIN(TestNewImage)
#include "tst_newimage.moc"
