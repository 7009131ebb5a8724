// Image windows and the File commands: New, Open, Save, Save As, Close.

#include "services/AppInfo.h"
#include "services/ColorPanel.h"
#include "app/MainForm.h"
#include "app/NewImageUnit.h"
#include "core/Error.h"
#include "core/codecs/ImageFiles.h"
#include "imagewin/ChildWin.h"
#include "imagewin/PictureLoader.h"
#include "core/measure/MeasureTools.h"
#include "measure/MeasureController.h"
#include "measure/MeasureSetup.h"
#include "processing/ImageCommand.h"
#include "services/Busy.h"
#include "support/AppFixture.h"
#include "support/ScriptedPrompts.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <sys/stat.h>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QMdiArea>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using namespace ivra;
using namespace ivra::test;

namespace {

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Accepts the New Image dialog with a size and colour.
std::function<int(QDialog&)> NewImageAnswer(int w, int h, QColor c) {
    return [=](QDialog& d) {
        auto& dlg = static_cast<TNewImageForm&>(d);
        dlg.ImageWidth()->setValue(w);
        dlg.ImageHeight()->setValue(h);
        dlg.ColorPanel()->SetColor(c);
        return int(QDialog::Accepted);
    };
}

TMDIChild* NewImage(TMainForm& main, TScriptedPrompts& prompts, int w, int h, QColor c) {
    prompts.ExpectDialog(QStringLiteral("NewImageForm"), NewImageAnswer(w, h, c));
    main.Command(QStringLiteral("FileNewItem"))->trigger();
    main.AppOnIdle();
    return main.ActiveImageWindow();
}

// A 30 x 20 GIF: blue (3366CC) with a red (CC3333) rectangle from (5, 5) to
// (14, 12). Qt reads GIF but does not write it.
const unsigned char TestGif[] = {
    0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x1e, 0x00, 0x14, 0x00, 0xf0, 0x00, 0x00, 0xcc, 0x33, 0x33,
    0x33, 0x66, 0xcc, 0x21, 0xf9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00,
    0x1e, 0x00, 0x14, 0x00, 0x00, 0x02, 0x24, 0x8c, 0x8f, 0xa9, 0xcb, 0xed, 0x0f, 0xa3, 0x9c, 0xb4,
    0x1a, 0x80, 0xb3, 0xb6, 0x57, 0x7b, 0x1e, 0x78, 0x1f, 0x27, 0x6e, 0x64, 0x89, 0x81, 0x68, 0x7a,
    0xa2, 0xea, 0x0a, 0xc6, 0xf2, 0x4c, 0xd7, 0xf6, 0x8d, 0x37, 0x05, 0x00, 0x3b};

QString WriteTestGif(const QString& path) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(reinterpret_cast<const char*>(TestGif), sizeof TestGif);
    return path;
}

bool SamePattern(const TBitmap32& bmp, int w, int h) {
    if (bmp.Width() != w || bmp.Height() != h) return false;
    TBitmap32 expected;
    FillTestPattern(expected, w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (bmp.Pixel(x, y) != expected.Pixel(x, y)) return false;
    return true;
}

} // namespace

class TestImageWinFiles : public QObject {
    Q_OBJECT
private slots:
    void init();
    void openShowsTheImageWholeAt100Percent();
    void openReadsEveryFormat_data();
    void openReadsEveryFormat();
    void openThroughQtKeepsToThePixelLimit();
    void unreadableFileKeepsTheWindow_data();
    void unreadableFileKeepsTheWindow();
    void loadingClearsLayersAndZoom();
    void imageNameRejectsLongNames();
    void longPathStillLoads();
    void newImageOfOnePixel();
    void newImageDialogLimitsAndColour();
    void newImageCancelled();
    void creatingAWindowResetsTheSharedPolygons();
    void saveOfANewImageAsksForAName();
    void saveAsOverwriteQuestion_data();
    void saveAsOverwriteQuestion();
    void saveAsFormatFollowsTheName_data();
    void saveAsFormatFollowsTheName();
    void saveAsRejectsNamesItCannotWrite();
    void saveAsRejectsTooLongNames();
    void saveOfAnOtherFormatAsksForAName();
    void failedSaveReportsAndKeepsTheNewName();
    void closeAndExitAskForModifiedImages();
    void longPngSaveShowsProgressAndAnswers();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString Path(const QString& name) const { return dir_->filePath(name); }
};

void TestImageWinFiles::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

void TestImageWinFiles::openShowsTheImageWholeAt100Percent() {
    auto main = MakeMainForm();
    const QString file = WriteTestPicture(Path("cells.png"), 200, 150);
    TScriptedPrompts prompts;
    prompts.ExpectOpenFile(file);
    main->Command(QStringLiteral("FileOpenItem"))->trigger();
    VERIFY_PROMPTS(prompts);
    QCOMPARE(prompts.LastFileRequest.Directory, ProgramFolder() + QStringLiteral("/images"));
    for (const char* pattern : {"*.jpg", "*.jpeg", "*.png", "*.bmp"})
        QVERIFY(prompts.LastFileRequest.Filter.contains(QLatin1String(pattern)));
    QVERIFY(prompts.LastFileRequest.Filter.contains(QStringLiteral("JPEG Image File")));
    QVERIFY(prompts.LastFileRequest.Filter.contains(QStringLiteral("Portable Graphics Network")));

    TMDIChild* w = main->ActiveImageWindow();
    QVERIFY(w);
    Settle();
    QCOMPARE(w->windowTitle(), QStringLiteral("cells.png  [200x150 pixels]"));
    QCOMPARE(w->ImageName(), file);
    QCOMPARE(w->ImageSizeWidth, 200);
    QCOMPARE(w->ImageSizeHeight, -150);
    QCOMPARE(w->Scale(), 1.0f);
    QVERIFY(SamePattern(w->ImgView->Bitmap(), 200, 150));
    // The whole image shows: the view is the image's size, no scroll bars.
    QCOMPARE(w->ImgView->size(), QSize(200, 150));
    QCOMPARE(w->ImgView->GetBitmapRect(), (TRect{0, 0, 200, 150}));
    QCOMPARE(w->ImgView->ScrollBarSize(), 1);
    QCOMPARE(w->ImgView->viewport()->size(), QSize(200, 150));
    QCOMPARE(w->size(), QSize(200, 150) + w->FrameSize());
    // Each Open makes a new window, also for the same file.
    prompts.ExpectOpenFile(file);
    main->Command(QStringLiteral("FileOpenItem"))->trigger();
    VERIFY_PROMPTS(prompts);
    QCOMPARE(main->ImageWindows().size(), 2);
    // The second window stands down and right of the first, its title bar
    // in sight.
    Settle();
    const QPoint step = main->ImageWindows()[1]->pos() - w->pos();
    QVERIFY(step.x() > 0 && step.y() > 0);
    QVERIFY(step.y() <= w->FrameSize().height());
    // Cancel opens nothing.
    prompts.ExpectOpenFile(QString());
    main->Command(QStringLiteral("FileOpenItem"))->trigger();
    VERIFY_PROMPTS(prompts);
    QCOMPARE(main->ImageWindows().size(), 2);
}

void TestImageWinFiles::openReadsEveryFormat_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exact");
    QTest::newRow("png") << "a.png" << true;
    QTest::newRow("bmp") << "a.bmp" << true;
    QTest::newRow("jpg") << "a.jpg" << false;
    QTest::newRow("upper case") << "A.PNG" << true;
    QTest::newRow("ico") << "a.ico" << true;
    QTest::newRow("tif") << "a.tif" << true;
    QTest::newRow("gif") << "a.gif" << true;
    QTest::newRow("webp") << "a.webp" << false;
    QTest::newRow("png named txt") << "png-inside.txt" << true;
}

void TestImageWinFiles::openReadsEveryFormat() {
    QFETCH(QString, name);
    QFETCH(bool, exact);
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (!IsCorePictureSuffix(suffix) && suffix != QLatin1String("txt") &&
        !QImageReader::supportedImageFormats().contains(suffix.toLatin1()))
        QSKIP("no image plugin for this format");
    QString file;
    if (name == QLatin1String("png-inside.txt")) {
        WriteTestPicture(Path("inside.png"), 30, 20);
        QFile::rename(Path("inside.png"), Path(name));
        file = Path(name);
    } else if (name.endsWith(QLatin1String(".gif"))) {
        file = WriteTestGif(Path(name));
    } else {
        file = WriteTestPicture(Path(name), 30, 20);
    }
    auto main = MakeMainForm();
    TScriptedPrompts prompts;
    TMDIChild* w = main->CreateImageWindow(file);
    VERIFY_PROMPTS(prompts);
    const TBitmap32& bmp = w->ImgView->Bitmap();
    QCOMPARE(bmp.Width(), 30);
    QCOMPARE(bmp.Height(), 20);
    if (name.endsWith(QLatin1String(".gif"))) {
        QCOMPARE(bmp.Pixel(0, 0), 0xFF3366CCu);
        QCOMPARE(bmp.Pixel(5, 5), 0xFFCC3333u);
        QCOMPARE(bmp.Pixel(14, 12), 0xFFCC3333u);
        QCOMPARE(bmp.Pixel(15, 12), 0xFF3366CCu);
    } else if (exact) {
        QVERIFY(SamePattern(bmp, 30, 20));
    }
    for (int i = 0; i < int(bmp.PixelCount()); ++i) QCOMPARE(AlphaComponent(bmp.Bits()[i]), 255);
    QCOMPARE(w->windowTitle(), name + QStringLiteral("  [30x20 pixels]"));
}

// A picture read through Qt's plugins that decodes to more than Qt's own
// allocation limit of 128 MB (6000 x 6000 in 32 bits) opens: the program's
// limit is in pixels.
void TestImageWinFiles::openThroughQtKeepsToThePixelLimit() {
    if (!QImageReader::supportedImageFormats().contains("webp")) QSKIP("no image plugin for WebP");
    QImage big(6000, 6000, QImage::Format_ARGB32);
    big.fill(qRgba(40, 80, 120, 200));
    const QString file = Path("big.webp");
    QVERIFY(big.save(file, "WEBP", 100));
    big = QImage();
    auto main = MakeMainForm();
    TScriptedPrompts prompts;
    TMDIChild* w = main->CreateImageWindow(file);
    VERIFY_PROMPTS(prompts);
    QCOMPARE(w->ImgView->Bitmap().Width(), 6000);
    QCOMPARE(w->ImgView->Bitmap().Height(), 6000);
}

void TestImageWinFiles::unreadableFileKeepsTheWindow_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("damaged png") << "bad.png" << QByteArray("\x89PNG\r\n\x1a\n", 8) + "this is not a picture";
    QTest::newRow("empty jpg") << "empty.jpg" << QByteArray();
    QTest::newRow("text as bmp") << "notes.bmp" << QByteArray("hello, world");
    QTest::newRow("unknown extension") << "data.xyz" << QByteArray("0123456789abcdef");
    QTest::newRow("damaged gif") << "bad.gif" << QByteArray("GIF89a\x01");
    // A FIFO without a writer is refused at once instead of blocking.
    QTest::newRow("fifo as tif") << "pipe.tif" << QByteArray("fifo");
}

void TestImageWinFiles::unreadableFileKeepsTheWindow() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    const QString file = Path(name);
    if (content == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    } else {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    auto main = MakeMainForm();
    TScriptedPrompts prompts;
    prompts.ExpectOpenFile(file).ExpectErrorContaining(name);
    main->Command(QStringLiteral("FileOpenItem"))->trigger();
    VERIFY_PROMPTS(prompts);
    TMDIChild* w = main->ActiveImageWindow();
    QVERIFY(w);
    // The caption is the name as passed, the bitmap the blank one.
    QCOMPARE(w->windowTitle(), file);
    QCOMPARE(w->ImgView->Bitmap().Width(), 897);
    QCOMPARE(w->ImgView->Bitmap().Height(), 638);
    QCOMPARE(w->Scale(), 1.0f);
    QCOMPARE(w->ImageName(), QString());
    // Its pixels are defined: transparent, so the background shows through,
    // never memory of earlier drawings.
    const TBitmap32& b = w->ImgView->Bitmap();
    QVERIFY(std::all_of(b.Bits(), b.Bits() + b.PixelCount(), [](TColor32 c) { return c == 0; }));
}

void TestImageWinFiles::loadingClearsLayersAndZoom() {
    auto main = MakeMainForm();
    const QString first = WriteTestPicture(Path("first.png"), 40, 30);
    const QString second = WriteTestPicture(Path("second.bmp"), 20, 10);
    TMDIChild* w = main->CreateImageWindow(first);
    w->ImgView->GetAnimLayer();
    w->ImgView->Layers().Add<TBitmapLayer>();
    w->ImgView->SetScale(4.0f);
    w->LoadImage(second);
    QCOMPARE(w->ImgView->Layers().Count(), 0);
    QVERIFY(w->ImgView->AnimLayer() == nullptr);
    QCOMPARE(w->Scale(), 1.0f);
    QCOMPARE(w->windowTitle(), QStringLiteral("second.bmp  [20x10 pixels]"));
    // A failed load also clears the layers and the zoom, but keeps the image.
    w->ImgView->Layers().Add<TBitmapLayer>();
    w->ImgView->SetScale(2.0f);
    QVERIFY_THROWS_EXCEPTION(Error, w->LoadImage(Path("missing.png")));
    QCOMPARE(w->ImgView->Layers().Count(), 0);
    QCOMPARE(w->Scale(), 1.0f);
    QVERIFY(SamePattern(w->ImgView->Bitmap(), 20, 10));
    QCOMPARE(w->windowTitle(), QStringLiteral("second.bmp  [20x10 pixels]"));
}

void TestImageWinFiles::imageNameRejectsLongNames() {
    auto main = MakeMainForm();
    TScriptedPrompts prompts;
    TMDIChild* w = NewImage(*main, prompts, 8, 8, Qt::white);
    VERIFY_PROMPTS(prompts);
    const QString ok(254, QLatin1Char('a'));
    w->SetImageName(ok);
    QCOMPARE(w->ImageName(), ok);
    for (int length : {255, 256, 1000}) {
        try {
            w->SetImageName(QString(length, QLatin1Char('b')));
            QFAIL("a long name was taken");
        } catch (const Error& e) {
            QCOMPARE(QString::fromUtf8(e.what()),
                     QStringLiteral("Too long file name. Should be less than 255 charactes long."));
        }
        QCOMPARE(w->ImageName(), ok);
    }
}

void TestImageWinFiles::longPathStillLoads() {
    // Folders deep enough for a path of more than 255 characters.
    QString folder = dir_->path();
    while (folder.size() < 260) folder += QLatin1Char('/') + QString(60, QLatin1Char('d'));
    QVERIFY(QDir().mkpath(folder));
    const QString file = WriteTestPicture(folder + QStringLiteral("/deep.png"), 12, 9);
    auto main = MakeMainForm();
    TScriptedPrompts prompts;
    prompts.ExpectOpenFile(file).ExpectError(
        QStringLiteral("Too long file name. Should be less than 255 charactes long."));
    main->Command(QStringLiteral("FileOpenItem"))->trigger();
    VERIFY_PROMPTS(prompts);
    // The image is loaded; the name and caption stay as they were.
    TMDIChild* w = main->ActiveImageWindow();
    QVERIFY(SamePattern(w->ImgView->Bitmap(), 12, 9));
    QCOMPARE(w->windowTitle(), file);
    QCOMPARE(w->ImageName(), QString());
}

void TestImageWinFiles::newImageOfOnePixel() {
    auto main = MakeMainForm();
    TScriptedPrompts prompts;
    TMDIChild* w = NewImage(*main, prompts, 1, 1, Qt::black);
    VERIFY_PROMPTS(prompts);
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("Untitled  [1x1 pixels]"));
    QCOMPARE(w->ImageName(), QStringLiteral("Untitled"));
    QCOMPARE(w->ImgView->Bitmap().Width(), 1);
    QCOMPARE(w->ImgView->Bitmap().Pixel(0, 0), 0xFF000000u);
    Settle();
    QCOMPARE(w->ImgView->ScrollBarSize(), 1);
    // The dialog keeps its values for the next use.
    QCOMPARE(main->NewImageDialog().ImageWidth()->value(), 1);
    QCOMPARE(main->NewImageDialog().SelectedColor32(), 0xFF000000u);
}

void TestImageWinFiles::newImageDialogLimitsAndColour() {
    TNewImageForm dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("New Image"));
    QCOMPARE(dlg.size(), QSize(245, 194));
    QCOMPARE(dlg.ImageWidth()->value(), 640);
    QCOMPARE(dlg.ImageHeight()->value(), 480);
    QCOMPARE(dlg.SelectedColor32(), 0xFFFFFFFFu);
    dlg.ImageWidth()->setValue(2000);
    dlg.ImageWidth()->stepUp();
    QCOMPARE(dlg.ImageWidth()->value(), 2000);
    dlg.ImageHeight()->setValue(1);
    dlg.ImageHeight()->stepDown();
    QCOMPARE(dlg.ImageHeight()->value(), 1);
    TScriptedPrompts prompts;
    prompts.ExpectColor(QColor(0x12, 0x34, 0x56));
    dlg.SelectButton()->click();
    VERIFY_PROMPTS(prompts);
    QCOMPARE(prompts.LastColorInitial, QColor(Qt::white));
    QCOMPARE(dlg.SelectedColor32(), 0xFF123456u);
    prompts.ExpectColor(std::nullopt);
    dlg.SelectButton()->click();
    VERIFY_PROMPTS(prompts);
    QCOMPARE(dlg.SelectedColor32(), 0xFF123456u);
}

void TestImageWinFiles::newImageCancelled() {
    auto main = MakeMainForm();
    TScriptedPrompts prompts;
    prompts.ExpectDialog(QStringLiteral("NewImageForm"), [](QDialog&) { return int(QDialog::Rejected); });
    main->Command(QStringLiteral("FileNewItem"))->trigger();
    VERIFY_PROMPTS(prompts);
    QVERIFY(main->ImageWindows().isEmpty());
}

void TestImageWinFiles::creatingAWindowResetsTheSharedPolygons() {
    auto main = MakeMainForm();
    InstallMeasuring(*main);
    std::vector<TPoint>& polygon = TMeasureController::Of(*main).State().ToolPolygon;
    polygon.push_back({1, 2});
    main->CreateImageWindow(QStringLiteral("x"));
    QVERIFY(polygon.empty());
}

void TestImageWinFiles::saveOfANewImageAsksForAName() {
    auto main = MakeMainForm();
    TScriptedPrompts prompts;
    TMDIChild* w = NewImage(*main, prompts, 5, 5, Qt::red);
    prompts.ExpectSaveFile(QString());
    main->Command(QStringLiteral("FileSaveItem"))->trigger();
    VERIFY_PROMPTS(prompts);
    QCOMPARE(prompts.LastFileRequest.DefaultSuffix, QStringLiteral("jpg"));
    QCOMPARE(prompts.LastFileRequest.Filter,
             QStringLiteral("JPEG Image File (*.jpg);;Bitmaps (*.bmp);;Portable Network Graphics (*.png)"));
    QCOMPARE(w->ImageName(), QStringLiteral("Untitled"));
    QVERIFY(QDir(dir_->path()).entryList(QDir::Files).isEmpty());
}

void TestImageWinFiles::saveAsOverwriteQuestion_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("written");
    QTest::newRow("Yes") << int(QMessageBox::Yes) << true;
    QTest::newRow("No") << int(QMessageBox::No) << false;
    QTest::newRow("Cancel") << int(QMessageBox::Cancel) << false;
}

void TestImageWinFiles::saveAsOverwriteQuestion() {
    QFETCH(int, answer);
    QFETCH(bool, written);
    const QString target = Path("old.bmp");
    {
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("precious");
    }
    auto main = MakeMainForm();
    TScriptedPrompts prompts;
    TMDIChild* w = NewImage(*main, prompts, 3, 2, Qt::green);
    prompts.ExpectSaveFile(target).ExpectConfirm(QMessageBox::StandardButton(answer),
                                                 QStringLiteral("OK to overwrite ") + target);
    main->Command(QStringLiteral("FileSaveAsItem"))->trigger();
    VERIFY_PROMPTS(prompts);
    if (written) {
        QCOMPARE(w->ImageName(), target);
        QCOMPARE(w->windowTitle(), QStringLiteral("old.bmp  [3x2 pixels]"));
        TBitmap32 back;
        LoadImageFile(QFile::encodeName(target).toStdString(), back);
        QCOMPARE(back.Width(), 3);
        QCOMPARE(back.Pixel(2, 1), 0xFF00FF00u);
    } else {
        QCOMPARE(FileBytes(target), QByteArray("precious"));
        QCOMPARE(w->ImageName(), QStringLiteral("Untitled"));
    }
}

void TestImageWinFiles::saveAsFormatFollowsTheName_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("signature");
    QTest::newRow("no extension gets jpg") << "plain" << "plain.jpg" << QByteArray("\xFF\xD8\xFF", 3);
    QTest::newRow("trailing dot") << "dot." << "dot.jpg" << QByteArray("\xFF\xD8\xFF", 3);
    QTest::newRow("bmp") << "pic.bmp" << "pic.bmp" << QByteArray("BM");
    QTest::newRow("png") << "pic.png" << "pic.png" << QByteArray("\x89PNG", 4);
    QTest::newRow("upper-case JPG") << "PIC.JPG" << "PIC.JPG" << QByteArray("\xFF\xD8\xFF", 3);
    QTest::newRow("jpeg") << "pic.jpeg" << "pic.jpeg" << QByteArray("\xFF\xD8\xFF", 3);
    QTest::newRow("dotted folder") << "v1.2/pic" << "v1.2/pic.jpg" << QByteArray("\xFF\xD8\xFF", 3);
}

void TestImageWinFiles::saveAsFormatFollowsTheName() {
    QFETCH(QString, typed);
    QFETCH(QString, file);
    QFETCH(QByteArray, signature);
    QDir(dir_->path()).mkpath(QStringLiteral("v1.2"));
    auto main = MakeMainForm();
    TScriptedPrompts prompts;
    TMDIChild* w = NewImage(*main, prompts, 16, 8, QColor(200, 100, 50));
    prompts.ExpectSaveFile(Path(typed));
    main->Command(QStringLiteral("FileSaveAsItem"))->trigger();
    VERIFY_PROMPTS(prompts);
    QCOMPARE(w->ImageName(), Path(file));
    QVERIFY(FileBytes(Path(file)).startsWith(signature));
    if (signature == "BM") {
        // 24 bits per pixel.
        QCOMPARE(int(std::uint8_t(FileBytes(Path(file))[28])), 24);
    }
    if (signature.startsWith("\x89PNG")) {
        // One flat colour: no filter beats None.
        QCOMPARE(int(w->Document().PngFilter()), int(PngFilterNone));
    }
    // Plain Save then writes to the same name again.
    QFile::remove(Path(file));
    main->Command(QStringLiteral("FileSaveItem"))->trigger();
    VERIFY_PROMPTS(prompts);
    QVERIFY(FileBytes(Path(file)).startsWith(signature));
    QVERIFY(!w->Document().Modified());
}

void TestImageWinFiles::saveAsRejectsNamesItCannotWrite() {
    auto main = MakeMainForm();
    TScriptedPrompts prompts;
    TMDIChild* w = NewImage(*main, prompts, 4, 4, Qt::blue);
    prompts.ExpectSaveFile(Path("pic.tif")).ExpectErrorContaining(QStringLiteral("pic.tif"));
    main->Command(QStringLiteral("FileSaveAsItem"))->trigger();
    VERIFY_PROMPTS(prompts);
    QCOMPARE(w->ImageName(), QStringLiteral("Untitled"));
    QVERIFY(!QFile::exists(Path("pic.tif")));
}

void TestImageWinFiles::saveAsRejectsTooLongNames() {
    QString folder = dir_->path();
    while (folder.size() < 270) folder += QLatin1Char('/') + QString(60, QLatin1Char('f'));
    QVERIFY(QDir().mkpath(folder));
    const QString target = folder + QStringLiteral("/pic.png");
    auto main = MakeMainForm();
    TScriptedPrompts prompts;
    TMDIChild* w = NewImage(*main, prompts, 4, 4, Qt::blue);
    prompts.ExpectSaveFile(target).ExpectError(
        QStringLiteral("Too long file name. Should be less than 255 charactes long."));
    main->Command(QStringLiteral("FileSaveAsItem"))->trigger();
    VERIFY_PROMPTS(prompts);
    QCOMPARE(w->ImageName(), QStringLiteral("Untitled"));
    QVERIFY(!QFile::exists(target));
}

void TestImageWinFiles::saveOfAnOtherFormatAsksForAName() {
    if (!QImageReader::supportedImageFormats().contains("gif")) QSKIP("no GIF plugin");
    const QString gif = WriteTestGif(Path("anim.gif"));
    const QByteArray before = FileBytes(gif);
    auto main = MakeMainForm();
    TMDIChild* w = main->CreateImageWindow(gif);
    main->AppOnIdle();
    TScriptedPrompts prompts;
    prompts.ExpectSaveFile(Path("anim.png"));
    main->Command(QStringLiteral("FileSaveItem"))->trigger();
    VERIFY_PROMPTS(prompts);
    QCOMPARE(FileBytes(gif), before);
    QCOMPARE(w->ImageName(), Path("anim.png"));
    QVERIFY(FileBytes(Path("anim.png")).startsWith("\x89PNG"));
}

void TestImageWinFiles::failedSaveReportsAndKeepsTheNewName() {
    auto main = MakeMainForm();
    TScriptedPrompts prompts;
    TMDIChild* w = NewImage(*main, prompts, 4, 4, Qt::blue);
    const QString target = Path("no-such-folder/pic.png");
    prompts.ExpectSaveFile(target).ExpectErrorContaining(QStringLiteral("pic.png"));
    main->Command(QStringLiteral("FileSaveAsItem"))->trigger();
    VERIFY_PROMPTS(prompts);
    QCOMPARE(w->ImageName(), target);
    QVERIFY(!QFile::exists(target));
    QCOMPARE(main->ImageWindows().size(), 1);
}

void TestImageWinFiles::closeAndExitAskForModifiedImages() {
    auto main = MakeMainForm();
    TScriptedPrompts prompts;
    TMDIChild* a = NewImage(*main, prompts, 4, 4, Qt::blue);
    TMDIChild* b = NewImage(*main, prompts, 4, 4, Qt::blue);
    TMDIChild* c = NewImage(*main, prompts, 4, 4, Qt::blue);
    a->Document().SetModified(true);
    b->Document().SetModified(true);
    // Used in the order c, a, b.
    main->MdiArea()->setActiveSubWindow(c);
    main->MdiArea()->setActiveSubWindow(a);
    main->MdiArea()->setActiveSubWindow(b);
    const QString question = QStringLiteral("Save changes to Untitled?");
    // Cancel keeps the modified window, No closes it.
    prompts.ExpectConfirm(QMessageBox::Cancel, question);
    main->Command(QStringLiteral("FileCloseItem"))->trigger();
    Settle();
    QCOMPARE(main->ImageWindows().size(), 3);
    prompts.ExpectConfirm(QMessageBox::No, question);
    main->Command(QStringLiteral("FileCloseItem"))->trigger();
    Settle();
    VERIFY_PROMPTS(prompts);
    QCOMPARE(main->ImageWindows(), (QList<TMDIChild*>{a, c}));
    // The window used before the closed one is active, not the next one made.
    QCOMPARE(main->ActiveImageWindow(), a);
    // Exit asks for the modified image only; Cancel keeps the program.
    prompts.ExpectConfirm(QMessageBox::Cancel, question);
    main->Command(QStringLiteral("FileExitItem"))->trigger();
    Settle();
    VERIFY_PROMPTS(prompts);
    QVERIFY(main->isVisible());
    QCOMPARE(main->ImageWindows().size(), 2);
    prompts.ExpectConfirm(QMessageBox::No, question);
    main->Command(QStringLiteral("FileExitItem"))->trigger();
    Settle();
    VERIFY_PROMPTS(prompts);
    QVERIFY(!main->isVisible());
}

QTEST_MAIN(TestImageWinFiles)
// A long PNG save shows itself in the status bar after the threshold, and
// the window keeps answering meanwhile: a click on File during the save is
// not lost, the menu opens.
void TestImageWinFiles::longPngSaveShowsProgressAndAnswers() {
    auto main = MakeMainForm();
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main.get()));
    TMDIChild* w = main->NewImageWindow(QStringLiteral("x"));
    TBitmap32& b = w->ImgView->Bitmap();
    // Smooth ramps with a little noise: work for the deflater.
    b.SetSize(2000, 1400);
    std::uint32_t state = 99;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            const int n = int((state = state * 1664525u + 1013904223u) >> 29);
            b.SetPixel(x, y, Color32(std::uint8_t(x / 12 + n), std::uint8_t(y / 8 + n), std::uint8_t((x + y) / 20)));
        }
    w->SetImageName(Path("big.png"));
    main->RunObjects().Get<TProgressTiming>() = {0, 10};
    QString seen;
    bool clicked = false, clickedWhileSaving = false;
    // Under X (xvfb-run with QT_QPA_PLATFORM=xcb) the click comes from
    // xdotool through the server's queue; elsewhere it is posted.
    const QString xdotool = QGuiApplication::platformName() == QLatin1String("xcb")
                                ? QStandardPaths::findExecutable(QStringLiteral("xdotool"))
                                : QString();
    QMenuBar* bar = main->menuBar();
    QAction* file = main->Menu(QStringLiteral("File"))->menuAction();
    QTimer probe;
    probe.setInterval(10);
    connect(&probe, &QTimer::timeout, [&] {
        if (auto* label = main->statusBar()->findChild<QLabel*>(QStringLiteral("lbProgress"))) seen = label->text();
        if (seen.isEmpty() || clicked) return;
        clicked = true;
        const QPointF at = bar->actionGeometry(file).center();
        if (!xdotool.isEmpty()) {
            // A real click through the X server, done before this returns.
            const QPoint g = bar->mapToGlobal(at.toPoint());
            QProcess::execute(xdotool, {QStringLiteral("mousemove"), QString::number(g.x()), QString::number(g.y()),
                                        QStringLiteral("click"), QStringLiteral("1")});
            clickedWhileSaving = IsBusy();
            return;
        }
        clickedWhileSaving = IsBusy();
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(bar, new QMouseEvent(t, at, bar->mapToGlobal(at), Qt::LeftButton,
                                                            t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                                            Qt::NoModifier));
    });
    probe.start();
    main->AppOnIdle();
    main->Command(QStringLiteral("FileSaveItem"))->trigger();
    probe.stop();
    QVERIFY2(seen.startsWith(QStringLiteral("Saving big.png")), qPrintable(seen));
    QVERIFY(QFileInfo(Path("big.png")).size() > 0);
    QVERIFY(clickedWhileSaving);
    QTRY_VERIFY(main->Menu(QStringLiteral("File"))->isVisible());
    main->Menu(QStringLiteral("File"))->hide();
}

#include "tst_imagewin_files.moc"
