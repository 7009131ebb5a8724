// Printing the active image: the page is printed to a PDF file, rasterised
// with pdftoppm and its picture compared with the FitRect target.

#include "app/Printing.h"
#include "core/measure/Geometry.h"
#include "services/AppInfo.h"
#include "support/AppFixture.h"
#include "support/ScriptedPrompts.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace ivra;
using namespace ivra::test;

namespace {

constexpr int Dpi = 40;  // of the rasterised page

// The page as pdftoppm rasterises it, or a null image.
QImage Rasterise(const QString& pdf) {
    const QString out = pdf + QStringLiteral(".page");
    QProcess p;
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QString::number(Dpi), QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf,
             out});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
    return QImage(out + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// The bounding box of the page's pixels that are not white.
QRect InkBox(const QImage& page) {
    QRect box;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if ((page.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) box |= QRect(x, y, 1, 1);
    return box;
}

bool Near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 40 && std::abs(qGreen(a) - qGreen(b)) < 40 &&
           std::abs(qBlue(a) - qBlue(b)) < 40;
}

} // namespace

class TestPrint : public QObject {
    Q_OBJECT
private slots:
    void init();
    void printsTheImageWithLayersFitted_data();
    void printsTheImageWithLayersFitted();
    void printedPictureIsLossless();
    void nothingWithoutAnImageOrOnCancel();
    void failureRestoresTheCursor();
    void printerSetupKeepsTheSettings();

private:
    std::unique_ptr<TMainForm> main_;
    std::unique_ptr<QTemporaryDir> dir_;
    QPrinter& Printer(const QString& file) {
        QPrinter& p = ImagePrinter(*main_);
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(file);
        p.setPageSize(QPageSize(QPageSize::A4));
        p.setPageOrientation(QPageLayout::Portrait);
        p.setPageMargins(QMarginsF(0, 0, 0, 0));
        return p;
    }
};

void TestPrint::init() {
    main_ = MakeMainForm();
    InstallPrinting(*main_);
    Settle();
    dir_ = std::make_unique<QTemporaryDir>();
}

void TestPrint::printsTheImageWithLayersFitted_data() {
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::newRow("wide: full width, centred vertically") << 400 << 200;
    QTest::newRow("tall: full height, centred horizontally") << 200 << 400;
}

void TestPrint::printsTheImageWithLayersFitted() {
    QFETCH(int, w);
    QFETCH(int, h);
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        QSKIP("pdftoppm (poppler-utils) is not installed");
    TMDIChild* win = main_->NewImageWindow(QStringLiteral("x"));
    TBitmap32& image = win->ImgView->Bitmap();
    // Left half red, right half blue; a green picture layer in the top-left
    // quarter, selected (its frame's handles must not print).
    image.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.SetPixel(x, y, x < w / 2 ? 0xFFFF0000 : 0xFF0000FF);
    auto* layer = win->Document().Layers().Add<TBitmapLayer>();
    layer->Bitmap().SetSize(w / 4, h / 4);
    layer->Bitmap().Clear(0xFF00FF00);
    layer->SetScaled(true);
    layer->SetLocation({0, 0, float(w / 4), float(h / 4)});
    win->Document().SetSelection(layer);
    win->ImgView->SetScale(2.5f);  // the zoom does not matter

    const QString pdf = dir_->filePath(QStringLiteral("page.pdf"));
    QPrinter& printer = Printer(pdf);
    TScriptedPrompts prompts;
    prompts.ExpectPrint(true);
    main_->AppOnIdle();
    main_->Command(QStringLiteral("FilePrintItem"))->trigger();
    VERIFY_PROMPTS(prompts);
    QVERIFY(!win->Document().Selection());
    QCOMPARE(printer.docName(), AppTitle);
    QVERIFY(!QGuiApplication::overrideCursor());

    const QImage page = Rasterise(pdf);
    QVERIFY(!page.isNull());
    const auto t = FitRect({0, 0, w, h}, {0, 0, printer.width(), printer.height()});
    QVERIFY(t.has_value());
    const double k = double(Dpi) / printer.resolution();
    const QRect expected(QPoint(qRound(t->Left * k), qRound(t->Top * k)),
                         QPoint(qRound(t->Right * k) - 1, qRound(t->Bottom * k) - 1));
    const QRect ink = InkBox(page);
    for (int d : {ink.left() - expected.left(), ink.top() - expected.top(), ink.right() - expected.right(),
                  ink.bottom() - expected.bottom()})
        QVERIFY2(std::abs(d) <= 1, qPrintable(QStringLiteral("ink %1,%2 %3x%4").arg(ink.x()).arg(ink.y())
                                                  .arg(ink.width()).arg(ink.height())));
    // One image pixel per bitmap pixel: the layer covers its quarter.
    const auto at = [&](double fx, double fy) {
        return page.pixel(ink.left() + int(fx * ink.width()), ink.top() + int(fy * ink.height()));
    };
    QVERIFY(Near(at(0.1, 0.1), qRgb(0, 255, 0)));
    QVERIFY(Near(at(0.1, 0.6), qRgb(255, 0, 0)));
    QVERIFY(Near(at(0.4, 0.2), qRgb(255, 0, 0)));
    QVERIFY(Near(at(0.9, 0.9), qRgb(0, 0, 255)));
}

// The page's picture is stored without loss: the picture pdfimages takes out
// of the file is the image with its layer, pixel for pixel.
void TestPrint::printedPictureIsLossless() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdfimages")).isEmpty())
        QSKIP("pdfimages (poppler-utils) is not installed");
    TMDIChild* win = main_->NewImageWindow(QStringLiteral("x"));
    TBitmap32& image = win->ImgView->Bitmap();
    FillTestPattern(image, 97, 61);
    auto* layer = win->Document().Layers().Add<TBitmapLayer>();
    layer->Bitmap().SetSize(9, 7);
    layer->Bitmap().Clear(0xFF10E020);
    layer->SetScaled(true);
    layer->SetLocation({30, 20, 39, 27});
    const QString pdf = dir_->filePath(QStringLiteral("lossless.pdf"));
    Printer(pdf);
    TScriptedPrompts prompts;
    prompts.ExpectPrint(true);
    main_->AppOnIdle();
    main_->Command(QStringLiteral("FilePrintItem"))->trigger();
    VERIFY_PROMPTS(prompts);
    QProcess p;
    p.start(QStringLiteral("pdfimages"), {QStringLiteral("-png"), pdf, dir_->filePath(QStringLiteral("img"))});
    QVERIFY(p.waitForFinished(30000) && p.exitCode() == 0);
    QImage got(dir_->filePath(QStringLiteral("img-000.png")));
    QCOMPARE(got.size(), QSize(97, 61));
    got = got.convertToFormat(QImage::Format_RGB32);
    int wrong = 0;
    for (int y = 0; y < 61; ++y)
        for (int x = 0; x < 97; ++x) {
            const bool inLayer = x >= 30 && x < 39 && y >= 20 && y < 27;
            const TColor32 want = (inLayer ? 0xFF10E020u : image.Pixel(x, y)) | 0xFF000000u;
            wrong += TColor32(got.pixel(x, y)) != want;
        }
    QCOMPARE(wrong, 0);
}

void TestPrint::nothingWithoutAnImageOrOnCancel() {
    const QString pdf = dir_->filePath(QStringLiteral("none.pdf"));
    Printer(pdf);
    TScriptedPrompts prompts;  // no question expected
    main_->Command(QStringLiteral("FilePrintItem"))->trigger();
    VERIFY_PROMPTS(prompts);
    main_->NewImageWindow(QStringLiteral("x"))->ImgView->Bitmap().SetSize(5, 5);
    prompts.ExpectPrint(false);
    main_->Command(QStringLiteral("FilePrintItem"))->trigger();
    VERIFY_PROMPTS(prompts);
    QVERIFY(!QFile::exists(pdf));
}

void TestPrint::failureRestoresTheCursor() {
    TMDIChild* win = main_->NewImageWindow(QStringLiteral("x"));
    win->ImgView->Bitmap().SetSize(5, 5);
    Printer(dir_->filePath(QStringLiteral("no/such/folder/page.pdf")));
    TScriptedPrompts prompts;
    prompts.ExpectPrint(true);
    prompts.ExpectErrorContaining(QStringLiteral("printer"));
    main_->Command(QStringLiteral("FilePrintItem"))->trigger();
    VERIFY_PROMPTS(prompts);
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestPrint::printerSetupKeepsTheSettings() {
    QPrinter& printer = Printer(dir_->filePath(QStringLiteral("p.pdf")));
    printer.setPageOrientation(QPageLayout::Landscape);
    TScriptedPrompts prompts;
    prompts.ExpectPageSetup(true);
    main_->Command(QStringLiteral("FilePrintSetupItem"))->trigger();
    VERIFY_PROMPTS(prompts);
    QCOMPARE(&ImagePrinter(*main_), &printer);
    QCOMPARE(ImagePrinter(*main_).pageLayout().orientation(), QPageLayout::Landscape);
}

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
