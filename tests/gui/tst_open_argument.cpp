// A picture named on the command line (the desktop's "Open with") opens in
// an image window; any other file does not.

#include "app/Startup.h"
#include "support/AppFixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace ivra;
using namespace ivra::test;

class TestOpenArgument : public QObject {
    Q_OBJECT
private slots:
    void opensOnlyPictures() {
        QTemporaryDir dir;
        const QString png = WriteTestPicture(dir.filePath(QStringLiteral("a.png")), 30, 20);
        const QString bmpNamedTxt = WriteTestPicture(dir.filePath(QStringLiteral("b.bmp")), 7, 5);
        QVERIFY(QFile::rename(bmpNamedTxt, dir.filePath(QStringLiteral("b.txt"))));
        QFile notes(dir.filePath(QStringLiteral("notes.txt")));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("Lengths in um\n");
        notes.close();

        struct Case {
            QString file;
            int width; // of the image window opened, 0 for none
        } cases[] = {
            {png, 30}, {dir.filePath(QStringLiteral("b.txt")), 7}, // a picture by its content
            {notes.fileName(), 0}, {QString(), 0},
        };
        for (const Case& c : cases) {
            auto main = MakeMainForm();
            TMDIChild* w = OpenPictureArgument(*main, c.file);
            QCOMPARE(w != nullptr, c.width > 0);
            QCOMPARE(main->ImageWindows().size(), c.width > 0 ? 1 : 0);
            if (w) QCOMPARE(w->ImgView->Bitmap().Width(), c.width);
        }
    }
};

QTEST_MAIN(TestOpenArgument)
#include "tst_open_argument.moc"
