// The clipboard and the selection layer on a real image window: the
// selection tool cuts a rectangle with the mouse, Copy puts it on the
// clipboard, Paste makes centred picture layers, the Paste button follows the
// clipboard, and (under X with xclip) pictures travel to and from another
// program.

#include "engine/Drawing.h"
#include "imagewin/ImageCommands.h"
#include "services/CommandGuard.h"
#include "support/LayerFixture.h"
#include "support/ScriptedPrompts.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

Q_DECLARE_METATYPE(ivra::TPoint)

using namespace ivra;
using namespace ivra::test;

class TestClipboard : public QObject {
    Q_OBJECT

    TLayerFixture f_;
    TMDIChild& W() { return f_.W(); }
    TImageDocument& Doc() { return f_.Doc(); }
    QClipboard* Clip() { return QGuiApplication::clipboard(); }
    TBitmapLayer& SelectedLayer() { return *dynamic_cast<TBitmapLayer*>(Doc().Selection()); }

    // Two presses of the selection tool, moving in between as a hand does.
    void Select(TPoint a, TPoint b) {
        f_.Main->ToolButton(toolSelection)->click();
        f_.Click(a);
        f_.MoveTo(f_.View(b));
        f_.Click(b);
    }
    // An image whose pixels are all different and half transparent.
    static QImage Picture(int w, int h) {
        QImage img(w, h, QImage::Format_ARGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgba(x * 7, y * 5, 200, 90));
        return img;
    }

    // A PNG of this size without pixel data: its signature, header, an
    // empty image data chunk and the end.
    static QByteArray PngHeader(quint32 w, quint32 h) {
        auto be32 = [](QByteArray& out, quint32 v) {
            for (int shift = 24; shift >= 0; shift -= 8) out += char(v >> shift);
        };
        QByteArray png("\x89PNG\r\n\x1a\n", 8);
        auto chunk = [&](const char* type, const QByteArray& data) {
            const QByteArray body = QByteArray(type) + data;
            quint32 crc = 0xFFFFFFFFu;
            for (char c : body) {
                crc ^= quint8(c);
                for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
            }
            be32(png, quint32(data.size()));
            png += body;
            be32(png, ~crc);
        };
        QByteArray ihdr;
        be32(ihdr, w);
        be32(ihdr, h);
        ihdr += QByteArray("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB
        chunk("IHDR", ihdr);
        chunk("IDAT", {});
        chunk("IEND", {});
        return png;
    }

private slots:
    void init() {
        f_.Open();
        Clip()->clear();
    }
    void cleanup() { f_.Close(); }

    // Corners in either order give the rectangle between them.
    void selectionTool_data() {
        QTest::addColumn<TPoint>("a");
        QTest::addColumn<TPoint>("b");
        QTest::newRow("from (10,10) to (4,30)") << TPoint{10, 10} << TPoint{4, 30};
        QTest::newRow("odd size at the corner") << TPoint{299, 199} << TPoint{250, 156};
    }
    void selectionTool() {
        QFETCH(TPoint, a);
        QFETCH(TPoint, b);
        f_.Main->ToolButton(toolSelection)->click();
        f_.Click(a);
        QCOMPARE(Drawing().ToolState, 1);
        f_.MoveTo(f_.View(b));
        QVERIFY(f_.Main->StatusText(1).startsWith(QStringLiteral("Rectangle a=")));
        f_.Click(b);
        QCOMPARE(Drawing().ToolState, 0);
        const TPoint tl{std::min(a.X, b.X), std::min(a.Y, b.Y)};
        const int w = std::abs(a.X - b.X), h = std::abs(a.Y - b.Y);
        TBitmapLayer* sel = Doc().SelectionLayer();
        QVERIFY(sel);
        QCOMPARE(Doc().Selection(), sel);
        QCOMPARE(Doc().RBLayer()->ChildLayer(), sel);
        // At the bottom: only the view's overlays lie below it.
        for (int i = 0; i < sel->Index(); ++i)
            QVERIFY(f_.Layers()[i] == W().ImgView->AnimLayer() || f_.Layers()[i] == W().ImgView->MeasureLayer());
        QCOMPARE(sel->Bitmap().Width(), w);
        QCOMPARE(sel->Bitmap().Height(), h);
        const TBitmap32& img = W().ImgView->Bitmap();
        int wrong = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                wrong += sel->Bitmap().Pixel(x, y) != img.Pixel(tl.X + x, tl.Y + y);
        QCOMPARE(wrong, 0);
        // Exactly over the pixels it was cut from, also at an odd size.
        QCOMPARE(sel->Location(), (TFloatRect{float(tl.X), float(tl.Y), float(tl.X + w), float(tl.Y + h)}));
        // A right press in between starts over.
        f_.Click({1, 1});
        f_.Click({1, 1}, Qt::RightButton);
        QCOMPARE(Drawing().ToolState, 0);
    }

    // Corners beside the image: the part outside is opaque black, the image's
    // pixels keep their places (never stretched over the rectangle).
    void selectionOverTheEdge() {
        W().CreateNewSelection({-5, -3}, {6, 9});
        const TBitmap32& sel = Doc().SelectionLayer()->Bitmap();
        QCOMPARE(sel.Width(), 11);
        QCOMPARE(sel.Pixel(0, 0), clBlack32);
        QCOMPARE(sel.Pixel(4, 10), clBlack32);
        QCOMPARE(sel.Pixel(5, 3), W().ImgView->Bitmap().Pixel(0, 0));
        QCOMPARE(sel.Pixel(10, 11), W().ImgView->Bitmap().Pixel(5, 8));
    }

    // Undo, Copy and Paste are one action each, in the Edit menu and on the
    // File bar, so that the two can never disagree.
    void editItemsAreTheFileBarButtons() {
        for (const char* id : {"Undo1", "Copy1", "Paste1"}) {
            QAction* a = f_.Main->Command(QLatin1String(id));
            QVERIFY2(f_.Main->Menu(QStringLiteral("Edit"))->actions().contains(a), id);
            QVERIFY2(qobject_cast<QToolButton*>(Named<QToolBar>(*f_.Main, "tbFile")->widgetForAction(a)), id);
            QVERIFY2(!a->isIconVisibleInMenu(), id);
        }
    }

    void copyPutsTheSelectionOnTheClipboard() {
        Select({20, 30}, {70, 60});
        QVERIFY(f_.Enabled("Copy1"));
        f_.Run("Copy1");
        const QImage got = Clip()->image();
        QCOMPARE(got.size(), QSize(50, 30));
        QCOMPARE(QColor(got.pixel(0, 0)), QColor(qRgb(20, 30, 100)));
        QCOMPARE(QColor(got.pixel(49, 29)), QColor(qRgb(69, 59, 100)));
    }

    // Copy takes the selected picture layer, else the selection rectangle,
    // else nothing (disabled). It never changes how a layer is drawn and
    // never makes a selection layer of its own.
    void copySource_data() {
        QTest::addColumn<bool>("rectangle");  // a rectangle was cut first
        QTest::addColumn<bool>("picture");    // then a picture was pasted
        QTest::addColumn<bool>("deselect");   // then nothing selected
        QTest::addColumn<QSize>("copied");    // empty: Copy is disabled
        QTest::newRow("picture layer") << false << true << false << QSize(8, 6);
        QTest::newRow("picture layer over a rectangle") << true << true << false << QSize(8, 6);
        QTest::newRow("rectangle, nothing selected") << true << true << true << QSize(12, 5);
        QTest::newRow("nothing selected") << false << true << true << QSize(0, 0);
    }
    void copySource() {
        QFETCH(bool, rectangle);
        QFETCH(bool, picture);
        QFETCH(bool, deselect);
        QFETCH(QSize, copied);
        if (rectangle) W().CreateNewSelection({3, 4}, {15, 9});
        if (picture) {
            Clip()->setImage(Picture(8, 6));
            f_.Run("Paste1");
        }
        if (deselect) W().ClearSelection();
        Clip()->clear();
        const TDrawMode mode = Doc().Selection() ? SelectedLayer().Bitmap().DrawMode() : TDrawMode::dmBlend;
        QCOMPARE(f_.Enabled("Copy1"), !copied.isEmpty());
        CopySelection(W());
        QCOMPARE(Clip()->image().size(), copied);
        QCOMPARE(Doc().SelectionLayer() != nullptr, rectangle);
        if (Doc().Selection()) QCOMPARE(SelectedLayer().Bitmap().DrawMode(), mode);
    }

    void pasteMakesCentredOpaqueLayers() {
        Clip()->setImage(Picture(30, 20));
        QVERIFY(f_.Enabled("Paste1"));
        f_.Main->ToolButton(toolLine)->click();
        f_.Run("Paste1");
        QCOMPARE(Drawing().CurrentTool, std::uint32_t(toolMover));
        QVERIFY(f_.Main->ToolButton(toolMover)->isChecked());
        auto* first = dynamic_cast<TBitmapLayer*>(Doc().Selection());
        QVERIFY(first);
        QCOMPARE(first->Bitmap().Pixel(3, 2), Color32(21, 10, 200));
        const TPoint c = W().ViewCentre();
        QCOMPARE(first->Location(), (TFloatRect{c.X - 15.0f, c.Y - 10.0f, c.X + 15.0f, c.Y + 10.0f}));
        // A second paste after scrolling the view: another layer, centred
        // where the view is now.
        W().ImgView->SetScale(4.0f);
        W().ImgView->ScrollToCenter(50, 40);
        f_.Run("Paste1");
        auto* second = dynamic_cast<TBitmapLayer*>(Doc().Selection());
        QVERIFY(second && second != first);
        const TPoint c2 = W().ViewCentre();
        QCOMPARE(second->Location().Left, c2.X - 15.0f);
        second->Bitmap().Clear(0);
        QCOMPARE(first->Bitmap().Pixel(3, 2), Color32(21, 10, 200));
    }

    // A picture that another program offers as PNG bytes is decoded within
    // the program's own pixel limit, checked on the header before decoding,
    // not Qt's allocation limit of 128 MB.
    void pasteTakesPicturesWithinThePixelLimit_data() {
        QTest::addColumn<QByteArray>("png");
        QTest::addColumn<QSize>("size"); // invalid: refused
        QImage big(6000, 6000, QImage::Format_RGB32);  // 144 MB decoded
        big.fill(qRgb(10, 20, 30));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(big.save(&buffer, "PNG"));
        QTest::newRow("6000 x 6000") << bytes << big.size();
        QTest::newRow("20000 x 20000, beyond the limit") << PngHeader(20000, 20000) << QSize();
    }
    void pasteTakesPicturesWithinThePixelLimit() {
        QFETCH(QByteArray, png);
        QFETCH(QSize, size);
        auto* mime = new QMimeData;
        mime->setData(QStringLiteral("image/png"), png);
        Clip()->setMimeData(mime);
        const int count = f_.Layers().Count();
        TScriptedPrompts prompts;
        if (!size.isValid())
            prompts.ExpectErrorContaining(QString::fromStdString("more than " + std::to_string(MaxBitmapPixels) +
                                                                 " pixels"));
        RunGuarded([&] { PasteFromClipboard(*f_.Main, W()); });
        VERIFY_PROMPTS(prompts);
        if (!size.isValid()) {
            QCOMPARE(f_.Layers().Count(), count);
            return;
        }
        auto* pasted = dynamic_cast<TBitmapLayer*>(Doc().Selection());
        QVERIFY(pasted);
        QCOMPARE(QSize(pasted->Bitmap().Width(), pasted->Bitmap().Height()), size);
    }

    // The Paste button follows the clipboard; a paste without a picture
    // makes no layer and says why.
    void pasteFollowsTheClipboard() {
        QVERIFY(!f_.Enabled("Paste1"));
        Clip()->setText(QStringLiteral("text only"));
        QVERIFY(!f_.Enabled("Paste1"));
        const int count = f_.Layers().Count();
        TScriptedPrompts prompts;
        prompts.ExpectError(QStringLiteral("The clipboard holds no picture."));
        RunGuarded([&] { PasteFromClipboard(*f_.Main, W()); });
        VERIFY_PROMPTS(prompts);
        QCOMPARE(f_.Layers().Count(), count);
        Clip()->setImage(Picture(4, 4));
        QVERIFY(f_.Enabled("Paste1"));
        W().close();
        Settle();
        QVERIFY(!f_.Enabled("Paste1") && !f_.Enabled("Copy1"));
    }

    // Another program on the same X display: it reads what Copy put there and
    // gives a picture that Paste takes.
    void exchangeWithAnotherProgram() {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X display (run under xvfb-run with QT_QPA_PLATFORM=xcb)");
        const QString xclip = QStandardPaths::findExecutable(QStringLiteral("xclip"));
        if (xclip.isEmpty()) QSKIP("needs xclip");
        Select({5, 6}, {45, 26});
        f_.Run("Copy1");
        QProcess read;
        read.start(xclip, {"-selection", "clipboard", "-t", "image/png", "-o"});
        // The clipboard is served by this process: keep its event loop going.
        QTRY_VERIFY_WITH_TIMEOUT(read.state() == QProcess::NotRunning, 10000);
        QImage got;
        QVERIFY(got.loadFromData(read.readAllStandardOutput(), "PNG"));
        QCOMPARE(got.size(), QSize(40, 20));
        QCOMPARE(QColor(got.pixel(0, 0)), QColor(qRgb(5, 6, 100)));

        const QString file = f_.Dir.filePath(QStringLiteral("given.png"));
        QVERIFY(Picture(12, 9).save(file));
        QProcess give;
        give.start(xclip, {"-selection", "clipboard", "-t", "image/png", "-i", file});
        QVERIFY(give.waitForFinished(10000));
        QTRY_VERIFY_WITH_TIMEOUT(ClipboardHasImage(), 10000);
        f_.Run("Paste1");
        auto* pasted = dynamic_cast<TBitmapLayer*>(Doc().Selection());
        QVERIFY(pasted);
        QCOMPARE(pasted->Bitmap().Width(), 12);
        QCOMPARE(pasted->Bitmap().Pixel(2, 3), Color32(14, 15, 200));
    }
};

QTEST_MAIN(TestClipboard)
#include "tst_clipboard.moc"
