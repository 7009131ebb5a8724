// The text tool on a real image window: the "Enter text:" dialog with its
// memo and Font button, the provisional layer following the pointer, the
// second press on the layer's corner (where the frame's handle is) stamping
// the lines onto the drawing overlay, the right press, Cancel and Delete.

#include "engine/Drawing.h"
#include "measure/TextSel.h"
#include "support/LayerFixture.h"
#include "support/ScriptedPrompts.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace ivra;
using namespace ivra::test;

class TestText : public QObject {
    Q_OBJECT

    TLayerFixture f_;
    TMDIChild& W() { return f_.W(); }
    TImageDocument& Doc() { return f_.Doc(); }
    TfrmTextSel& Form() { return TextSelForm(*f_.Main); }
    void SetFontPixelSize(int size) {
        QFont font = Form().TextFont();
        font.setPixelSize(size);
        Form().SetTextFont(font);
    }

    // The first press of the text tool with the dialog answered.
    void Start(TPoint p, const QString& text, int result) {
        f_.Main->ToolButton(toolText)->click();
        TScriptedPrompts prompts;
        prompts.ExpectDialog(QStringLiteral("frmTextSel"), [&](QDialog& d) {
            auto& form = static_cast<TfrmTextSel&>(d);
            if (!text.isNull()) form.Memo1->setPlainText(text);
            return result;
        });
        f_.Click(p);
        QVERIFY(prompts.Verify(__FILE__, __LINE__));
    }
    // Rows of the drawing overlay holding painted pixels.
    std::vector<int> PaintedRows() {
        std::vector<int> rows;
        TBitmapLayer* anim = W().ImgView->AnimLayer();
        if (!anim) return rows;
        const TBitmap32& b = anim->Bitmap();
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < b.Width(); ++x)
                if (b.Pixel(x, y) >> 24) {
                    rows.push_back(y);
                    break;
                }
        return rows;
    }

private slots:
    void init() {
        f_.Open(400, 300);
    }
    void cleanup() { f_.Close(); }

    void cancelCreatesNothingAndKeepsTheMemo() {
        Start({30, 30}, QStringLiteral("kept"), QDialog::Rejected);
        QCOMPARE(Drawing().ToolState, 0);
        QVERIFY(!Doc().TextLayer() && !Doc().Selection());
        Start({30, 30}, QString(), QDialog::Rejected);
        QCOMPARE(TextSelForm(*f_.Main).Memo1->toPlainText(), QStringLiteral("kept"));
    }

    void fontButtonSetsTheToolsFont() {
        QFont chosen(QStringLiteral("Sans"), 31);
        TScriptedPrompts prompts;
        prompts.ExpectFont(chosen);
        QTest::mouseClick(TextSelForm(*f_.Main).btnFont, Qt::LeftButton);
        VERIFY_PROMPTS(prompts);
        QCOMPARE(Form().TextFont().pointSize(), 31);
    }

    // The text renders in the foreground colour until "Color" picks one of
    // its own; the button shows the colour in force.
    void textTakesItsColor_data() {
        QTest::addColumn<QColor>("chosen");  // invalid: none chosen
        QTest::newRow("the foreground colour") << QColor();
        QTest::newRow("a chosen colour") << QColor(20, 200, 90);
    }
    void textTakesItsColor() {
        QFETCH(QColor, chosen);
        Drawing().ForeColor = 0x00336699;
        TfrmTextSel& form = TextSelForm(*f_.Main);
        if (chosen.isValid()) {
            TScriptedPrompts prompts;
            prompts.ExpectColor(chosen);
            QTest::mouseClick(form.btnColor, Qt::LeftButton);
            VERIFY_PROMPTS(prompts);
        }
        const TColor32 want = chosen.isValid() ? TColor32(chosen.rgb()) : Color32FromPlatform(Drawing().ForeColor);
        form.show();
        const QImage swatch = form.btnColor->icon().pixmap(form.btnColor->iconSize()).toImage();
        QCOMPARE(TColor32(swatch.pixel(swatch.width() / 2, swatch.height() / 2)), want);
        form.hide();
        SetFontPixelSize(40);
        Start({40, 50}, QStringLiteral("II"), QDialog::Accepted);
        f_.Click({40, 50});
        const TBitmap32& got = W().ImgView->AnimLayer()->Bitmap();
        int solid = 0, wrong = 0;
        for (std::size_t i = 0; i < got.PixelCount(); ++i)
            if (got.Bits()[i] >> 24 == 255) (got.Bits()[i] == want ? solid : wrong)++;
        QVERIFY(solid > 0);
        QCOMPARE(wrong, 0);
    }

    // Three lines spaced by the height of "Fj", whatever the Draw switch; the
    // second press falls on the frame's top-left handle and still stamps.
    void threeLinesStampedWhereTheUserClicks_data() {
        QTest::addColumn<bool>("draw");
        QTest::newRow("draw on") << true;
        QTest::newRow("draw off") << false;
    }
    void threeLinesStampedWhereTheUserClicks() {
        QFETCH(bool, draw);
        Named<QCheckBox>(*f_.Main, "cbDraw")->setChecked(draw);
        SetFontPixelSize(20);
        Start({40, 50}, QStringLiteral("Iiii\nIiii\nIiii\n"), QDialog::Accepted);
        QCOMPARE(Drawing().ToolState, 1);
        TBitmapLayer* layer = Doc().TextLayer();
        QVERIFY(layer && Doc().Selection() == layer && Doc().RBLayer()->ChildLayer() == layer);
        // The layer follows the pointer with its top-left corner.
        f_.MoveTo(f_.View({120, 90}));
        QCOMPARE(layer->Location().Left, 120.0f);
        QCOMPARE(layer->Location().Top, 90.0f);
        // Painting fits the layer to the widest line.
        W().ImgView->PaintBuffer();
        QCOMPARE(layer->Location().Right - layer->Location().Left, float(TextWidth(Form().TextFont(), "Iiii")));
        // The press at the corner: the frame's handle lies there.
        const QPoint corner = f_.View({120, 90});
        QVERIFY(Doc().RBLayer()->GetDragState(corner.x(), corner.y()) == TRBDragState::dsSizeTL);
        f_.ClickAt(corner);
        QCOMPARE(Drawing().ToolState, 0);
        QVERIFY(!Doc().TextLayer() && !Doc().Selection());
        QCOMPARE(f_.Layers().IndexOf(layer), -1);
        QVERIFY(Doc().RBLayer()->MouseEvents() || !Doc().RBLayer()->Visible());
        // Three bands of rows, each starting one "Fj" height below the last.
        const int h = TextHeight(Form().TextFont(), QStringLiteral("Fj"));
        const std::vector<int> rows = PaintedRows();
        QVERIFY(!rows.empty());
        std::vector<int> starts{rows.front()};
        for (std::size_t i = 1; i < rows.size(); ++i)
            if (rows[i] != rows[i - 1] + 1) starts.push_back(rows[i]);
        QCOMPARE(int(starts.size()), 3);
        QCOMPARE(starts[1] - starts[0], h);
        QCOMPARE(starts[2] - starts[1], h);
        QVERIFY(starts[0] >= 90 && starts[0] < 90 + h);
        // The same lines rendered by hand at the click give the same pixels.
        TBitmap32 want(W().ImgView->Bitmap().Width(), W().ImgView->Bitmap().Height());
        RenderTextLines(want, 120, 90, {"Iiii", "Iiii", "Iiii"}, 1, Form().TextColor(), Form().TextFont());
        const TBitmap32& got = W().ImgView->AnimLayer()->Bitmap();
        QVERIFY(std::equal(got.Bits(), got.Bits() + got.PixelCount(), want.Bits()));
    }

    // A right press ends placing: the layer stays, selected, with its frame
    // taking the mouse again; Delete then forgets the text layer.
    void rightPressKeepsTheLayerAndDeleteForgetsIt() {
        Start({30, 40}, QStringLiteral("note"), QDialog::Accepted);
        TBitmapLayer* layer = Doc().TextLayer();
        QVERIFY(layer && !Doc().RBLayer()->MouseEvents());
        f_.Click({60, 60}, Qt::RightButton);
        QCOMPARE(Drawing().ToolState, 0);
        QCOMPARE(Doc().Selection(), layer);
        QVERIFY(Doc().RBLayer()->MouseEvents());
        f_.Run("mnDelete");
        QVERIFY(!Doc().TextLayer() && f_.Layers().IndexOf(layer) == -1);
    }

    // Flatten while the text is being placed burns it in and forgets it.
    void flattenWhilePlacing() {
        Start({30, 40}, QStringLiteral("burn"), QDialog::Accepted);
        f_.Run("btnFlatten");
        QVERIFY(!Doc().TextLayer());
        QCOMPARE(f_.Layers().Count(), 0);
        f_.Click({50, 50});  // ToolState 1: stamps, with no layer to delete
        QCOMPARE(Drawing().ToolState, 0);
    }
};

QTEST_MAIN(TestText)
#include "tst_text.moc"
