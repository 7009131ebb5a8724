// The image document alone, with no window: the change objects it applies,
// its one level of undo, the snapshot's memory, its signals and its
// tracked layers; and a command on an image window with no main window.

#include "core/Error.h"
#include "imagewin/ChildWin.h"
#include "imagewin/ImageDocument.h"
#include "imagewin/LayerCommands.h"
#include "services/DocumentFile.h"
#include "support/TestShell.h"

#include <QSignalSpy>
#include <QTest>

#include <cstring>

using namespace ivra;

namespace {

bool Same(const TBitmap32& a, const TBitmap32& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() &&
           std::memcmp(a.Bits(), b.Bits(), a.PixelCount() * sizeof(TColor32)) == 0;
}

// A picture with a different value in every pixel, so that a turn or a
// mirror shows.
void Pattern(TImageDocument& doc, int w, int h) {
    doc.NewImage(w, h, 0);
    TBitmap32 image;
    image.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.SetPixel(x, y, 0xFF000000u | TColor32(y * w + x));
    doc.SetImage(std::move(image));
}

// A quarter turn written apart from its source (the image changes shape).
void Turn(const TBitmap32& src, TBitmap32& dst) {
    dst.SetSize(src.Height(), src.Width());
    for (int y = 0; y < src.Height(); ++y)
        for (int x = 0; x < src.Width(); ++x) dst.SetPixel(src.Height() - 1 - y, x, src.Pixel(x, y));
}

enum class TWay { Edit, Transform, Compose };

// Every kind of change, succeeding (the pixel (1, 0) becomes red) or
// failing halfway (after it wrote into its result).
TImageChange Change(TWay way, bool fails) {
    const auto edit = [fails](TBitmap32& b) {
        b.SetPixel(1, 0, 0xFFFF0000u);
        if (fails) throw Error("halfway");
    };
    switch (way) {
    case TWay::Edit:
        return TImageChange::Edit(edit);
    case TWay::Transform:
        return TImageChange::Transform([edit](const TBitmap32& src, TBitmap32& dst) {
            dst.Assign(src);
            edit(dst);
        });
    case TWay::Compose:
        break;
    }
    return TImageChange::Compose(edit);
}

} // namespace

class TestImageDocument : public QObject {
    Q_OBJECT
private slots:
    void ways_data() {
        QTest::addColumn<int>("way");
        QTest::newRow("edit") << int(TWay::Edit);
        QTest::newRow("transform") << int(TWay::Transform);
        QTest::newRow("compose") << int(TWay::Compose);
    }

    // A change swaps its result in, marks the document, and leaves the old
    // image as the one snapshot; Undo puts it back once.
    void changeThenUndo_data() { ways_data(); }
    void changeThenUndo() {
        QFETCH(int, way);
        TImageDocument doc;
        Pattern(doc, 4, 3);
        TBitmap32 before;
        before.Assign(doc.Bitmap());
        QSignalSpy changed(&doc, &TImageDocument::Changed), modified(&doc, &TImageDocument::ModifiedChanged),
            resized(&doc, &TImageDocument::SizeChanged);
        doc.Apply(Change(TWay(way), false));
        QCOMPARE(doc.Bitmap().Pixel(1, 0), 0xFFFF0000u);
        QCOMPARE(doc.Bitmap().Pixel(2, 0), before.Pixel(2, 0));
        QVERIFY(doc.CanUndo() && doc.Modified());
        QVERIFY(Same(doc.UndoBitmap(), before));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(modified.count(), 1);
        QCOMPARE(resized.count(), 0);
        doc.Undo();
        QVERIFY(Same(doc.Bitmap(), before));
        QVERIFY(!doc.CanUndo());
        doc.Undo();  // nothing more to undo
        QVERIFY(Same(doc.Bitmap(), before));
        QCOMPARE(changed.count(), 2);
    }

    // A change that fails halfway leaves the image exactly as it was and
    // the document unmarked; no Undo offers a half-written picture (Flatten
    // keeps the image as its snapshot).
    void failedChangeKeepsTheImage_data() { ways_data(); }
    void failedChangeKeepsTheImage() {
        QFETCH(int, way);
        TImageDocument doc;
        Pattern(doc, 4, 3);
        doc.Apply(TImageChange::Edit([](TBitmap32& b) { b.SetPixel(0, 0, 0xFF00FF00u); }));
        doc.SetModified(false);
        TBitmap32 before;
        before.Assign(doc.Bitmap());
        QSignalSpy changed(&doc, &TImageDocument::Changed);
        QVERIFY_THROWS_EXCEPTION(Error, doc.Apply(Change(TWay(way), true)));
        QVERIFY(Same(doc.Bitmap(), before));
        QVERIFY(!doc.Modified());
        QCOMPARE(changed.count(), 0);
        if (TWay(way) == TWay::Compose) {
            QVERIFY(doc.CanUndo() && Same(doc.UndoBitmap(), before));
        } else {
            QVERIFY(!doc.CanUndo());
        }
    }

    // The result is written into the old snapshot's memory: two images'
    // worth of pixels, whatever the number of changes, also across quarter
    // turns (the snapshot then has the shape the next turn makes).
    void resultTakesTheSnapshotsMemory() {
        TImageDocument doc;
        Pattern(doc, 5, 3);
        QSignalSpy resized(&doc, &TImageDocument::SizeChanged);
        doc.Apply(TImageChange::Transform(Turn));
        QCOMPARE(resized.count(), 1);
        QCOMPARE(resized.at(0).at(0).toInt(), 3);
        QCOMPARE(resized.at(0).at(1).toInt(), 5);
        for (int i = 0; i < 3; ++i) {
            const TColor32* snapshotMemory = doc.UndoBitmap().Bits();
            const TColor32* imageMemory = doc.Bitmap().Bits();
            doc.Apply(TImageChange::Transform(Turn));
            QCOMPARE(doc.Bitmap().Bits(), snapshotMemory);
            QCOMPARE(doc.UndoBitmap().Bits(), imageMemory);
        }
        QCOMPARE(doc.Bitmap().Width(), 5);  // four turns
        doc.Undo();
        QCOMPARE(doc.Bitmap().Width(), 3);
        QCOMPARE(resized.count(), 5);
    }

    // A picture layer's change is applied on a copy: a failure leaves the
    // layer whole. The image is not changed by it, but its snapshot is
    // taken, as for every change the menus make.
    void layerChange() {
        TImageDocument doc;
        Pattern(doc, 4, 3);
        auto* layer = doc.Layers().Add<TBitmapLayer>();
        layer->Bitmap().SetSize(2, 2);
        layer->Bitmap().Clear(0xFF0000FFu);
        TBitmap32 layerBefore;
        layerBefore.Assign(layer->Bitmap());
        QVERIFY_THROWS_EXCEPTION(Error, doc.ApplyToLayer(*layer, [](TBitmap32& b) {
            b.Clear(0);
            throw Error("halfway");
        }));
        QVERIFY(Same(layer->Bitmap(), layerBefore));
        doc.ApplyToLayer(*layer, [](TBitmap32& b) { b.Clear(0xFFFFFFFFu); });
        QCOMPARE(layer->Bitmap().Pixel(1, 1), 0xFFFFFFFFu);
        QVERIFY(doc.CanUndo() && Same(doc.UndoBitmap(), doc.Bitmap()));
        QVERIFY(!doc.Modified());
    }

    // Tracked layers are forgotten however they leave the stack; the
    // selection's leaving is announced first, while it is still known.
    void trackedLayersAreForgotten() {
        TImageDocument doc;
        QSignalSpy layers(&doc, &TImageDocument::LayersChanged);
        auto* text = doc.Layers().Add<TBitmapLayer>();
        auto* grid = doc.Layers().Add<TBitmapLayer>();
        doc.SetTextLayer(text);
        doc.SetSelection(text);
        doc.SetGridLayer(grid);
        QCOMPARE(layers.count(), 2);
        bool selectionKnown = false;
        connect(&doc, &TImageDocument::SelectionLeaving, this,
                [&] { selectionKnown = doc.Selection() == text; });
        std::unique_ptr<TCustomLayer> taken = doc.RemoveLayer(text);
        QVERIFY(taken.get() == text);
        QVERIFY(selectionKnown);
        QVERIFY(!doc.TextLayer() && !doc.Selection());
        QVERIFY(doc.GridLayer() == grid);
        doc.ClearLayers();
        QVERIFY(!doc.GridLayer());
        QCOMPARE(layers.count(), 4);
    }

    // The file's name: a new image is "Untitled"; too long a name changes
    // nothing; every accepted name is announced.
    void fileName() {
        TImageDocument doc;
        QSignalSpy named(&doc, &TImageDocument::FileNameChanged);
        doc.NewImage(2, 2, 0xFF000000u);
        QCOMPARE(doc.FileName(), TDocumentFile::Untitled);
        QVERIFY_THROWS_EXCEPTION(Error, doc.SetFileName(QString(255, QLatin1Char('a'))));
        QCOMPARE(doc.FileName(), TDocumentFile::Untitled);
        doc.SetFileName(QString(254, QLatin1Char('a')));
        QCOMPARE(named.count(), 2);
    }

    // Flatten on an image window of a test shell: the visible picture layer
    // is composed into the image at its place, every layer goes, and Undo
    // brings back the image alone.
    void flattenWithoutMainWindow() {
        TTestShell shell;
        TMDIChild w(shell);
        w.NewImage(8, 6, 0xFF000000u);
        TImageDocument& doc = w.Document();
        auto layer = std::make_unique<TBitmapLayer>();
        layer->Bitmap().SetSize(2, 2);
        layer->Bitmap().Clear(0xFFFFFFFFu);
        w.AddBitmapLayerAt(std::move(layer), TFloatRect{3, 1, 5, 3});
        FlattenLayers(w);
        QCOMPARE(doc.Layers().Count(), 0);
        QCOMPARE(doc.Bitmap().Pixel(3, 1), 0xFFFFFFFFu);
        QCOMPARE(doc.Bitmap().Pixel(4, 2), 0xFFFFFFFFu);
        QCOMPARE(doc.Bitmap().Pixel(5, 2), 0xFF000000u);
        QCOMPARE(doc.Bitmap().Pixel(3, 3), 0xFF000000u);
        QVERIFY(doc.Modified());
        doc.Undo();
        QCOMPARE(doc.Bitmap().Pixel(3, 1), 0xFF000000u);
    }
};

QTEST_MAIN(TestImageDocument)
#include "tst_image_document.moc"
