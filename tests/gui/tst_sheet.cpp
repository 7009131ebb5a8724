// The spreadsheet window: values and tags from the tools, selection and
// address, editing, the row and column commands, the clipboard, closing with
// its question, the file commands, dropped files, the start-up file and
// printing.

#include "services/DrawingState.h"
#include "services/UpDown.h"
#include "measure/SheetForm.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFiles.h"
#include "support/TestShell.h"

#include <QAbstractButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QtTest/qtestspontaneevent.h>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPrinter>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

using namespace ivra;
using ivra::test::TScriptedPrompts;
using ivra::test::ReadAll;
using ivra::test::WriteAll;

namespace {

// Selects a block in the grid the way the user does: a click on one corner,
// a shift-click on the other (grid columns from 1, rows from 2).
void SelectBlock(TfrmSheet& s, int col1, int row1, int col2, int row2) {
    QAbstractItemModel* m = s.sg1->model();
    const QModelIndex a = m->index(row1 - 2, col1 - 1), b = m->index(row2 - 2, col2 - 1);
    s.sg1->scrollTo(a);
    QTest::mouseClick(s.sg1->viewport(), Qt::LeftButton, Qt::NoModifier, s.sg1->visualRect(a).center());
    s.sg1->scrollTo(b);
    QTest::mouseClick(s.sg1->viewport(), Qt::LeftButton, Qt::ShiftModifier, s.sg1->visualRect(b).center());
}

// Press, release, double click, release: what the platform sends.
void DoubleClick(QWidget* w, QPoint p) {
    const QEvent::Type types[] = {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                                  QEvent::MouseButtonRelease};
    for (QEvent::Type t : types) {
        const bool down = t != QEvent::MouseButtonRelease;
        QMouseEvent e(t, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::LeftButton,
                      down ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    }
}

QString Cell(const TfrmSheet& s, int col, int row) { return QString::fromLatin1(s.Model().Cell(col, row).c_str()); }

} // namespace

class TestSheet : public QObject {
    Q_OBJECT

    TTestShell shell_;
    TDrawingState& drawing_ = shell_.Drawing();
    std::unique_ptr<TfrmSheet> sheet_;
    QTemporaryDir dir_;

    TfrmSheet& S() { return *sheet_; }
    QString Path(const char* name) const { return dir_.filePath(QLatin1String(name)); }

private slots:
    void init() {
        sheet_ = std::make_unique<TfrmSheet>(shell_, nullptr);
        sheet_->StartupFile.clear();
        sheet_->show();
        QVERIFY(QTest::qWaitForWindowExposed(sheet_.get()));
    }
    void cleanup() {
        if (sheet_) sheet_->Model().SetSheetModified(false);
        sheet_.reset();
    }

    void freshSheetLayoutAndCaption() {
        QCOMPARE(S().windowTitle(), QStringLiteral("Untitled - Ivra Image Analyser"));
        QCOMPARE(S().sg1->model()->rowCount(), 18);
        QCOMPARE(S().sg1->model()->columnCount(), 9);
        QCOMPARE(S().sg1->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("A"));
        QCOMPARE(S().sg1->model()->headerData(17, Qt::Vertical).toString(), QStringLiteral("18"));
        QCOMPARE(S().StatusPanel(0)->text(), QStringLiteral("A1"));
        QCOMPARE(S().StatusPanel(1)->text(), QString());
        QCOMPARE(S().edDecimals->text(), QStringLiteral("2"));
        QVERIFY(S().windowFlags() & Qt::WindowStaysOnTopHint);
    }

    void fixedCellsPainting() {
        S().AddValue(1.0f);
        // The address cell: white under the address, light blue under "n".
        auto* corner = S().sg1->findChild<QAbstractButton*>();
        QVERIFY(corner);
        const QImage c = corner->grab().toImage();
        QCOMPARE(c.pixelColor(c.width() - 4, 4), QColor(Qt::white));
        QCOMPARE(c.pixelColor(c.width() - 4, 30), QColor(166, 202, 240));
        // The count row is light blue under every column letter.
        QHeaderView* h = S().sg1->horizontalHeader();
        const QImage hi = h->grab().toImage();
        QCOMPARE(hi.pixelColor(h->sectionPosition(4) + 4, 36), QColor(166, 202, 240));
        QVERIFY(hi.pixelColor(h->sectionPosition(4) + 4, 4) != QColor(166, 202, 240));
        // Texts are drawn centred: the count "1" of column A lies around the
        // middle of its section, nowhere near its left edge.
        const int left = h->sectionPosition(0), width = h->sectionSize(0);
        int minX = width, maxX = -1;
        for (int x = 0; x < width; ++x)
            for (int y = 22; y < 38; ++y)
                if (hi.pixelColor(left + x, y).lightness() < 100) minX = std::min(minX, x), maxX = std::max(maxX, x);
        QVERIFY(maxX >= 0);
        QVERIFY(std::abs((minX + maxX) / 2 - width / 2) <= 3);
    }

    void valuesFillAColumn() {
        S().AddValue(5.0f);
        S().AddValue(10.5f);
        S().AddValue(3.333f);
        QCOMPARE(Cell(S(), 1, 2), QStringLiteral("5.00"));
        QCOMPARE(Cell(S(), 1, 3), QStringLiteral("10.50"));
        QCOMPARE(Cell(S(), 1, 4), QStringLiteral("3.33"));
        QCOMPARE(Cell(S(), 1, 1), QStringLiteral("3"));
        QCOMPARE(S().StatusPanel(0)->text(), QStringLiteral("A4"));
        QCOMPARE(S().StatusPanel(1)->text(), QStringLiteral("Modified"));
        // The grid shows what the model holds, and its selection.
        QCOMPARE(S().sg1->model()->index(1, 0).data().toString(), QStringLiteral("10.50"));
        QCOMPARE(S().sg1->currentIndex(), S().sg1->model()->index(3, 0));
        QVERIFY(S().sg1->selectionModel()->isSelected(S().sg1->model()->index(3, 0)));
    }

    void valueOnTheLastRowAppendsARow() {
        SelectBlock(S(), 1, 19, 1, 19);
        QCOMPARE(S().StatusPanel(0)->text(), QStringLiteral("A18"));
        S().AddValue(1.0f);
        QCOMPARE(S().sg1->model()->rowCount(), 19);
        QCOMPARE(S().sg1->model()->headerData(18, Qt::Vertical).toString(), QStringLiteral("19"));
        QCOMPARE(S().StatusPanel(0)->text(), QStringLiteral("A19"));
    }

    void accumulationAndCounting() {
        S().disableAutoInc->trigger();
        QVERIFY(S().Model().DisableAutoInc());
        S().AddValue(1.5f);
        S().AddValue(2.25f);
        QCOMPARE(Cell(S(), 1, 2), QStringLiteral("3.75"));
        QCOMPARE(S().StatusPanel(0)->text(), QStringLiteral("A1"));
        SelectBlock(S(), 2, 2, 2, 2);
        for (int i = 1; i <= 3; ++i) {
            S().AddTag(10, 20);
            QCOMPARE(Cell(S(), 2, 2), QString::number(i));
        }
        QCOMPARE(Cell(S(), 3, 2), QString());
    }

    void tagsFillTwoColumns() {
        SelectBlock(S(), 2, 2, 2, 2);
        S().AddTag(120, 45);
        S().AddTag(7, 8);
        QCOMPARE(Cell(S(), 2, 2), QStringLiteral("120"));
        QCOMPARE(Cell(S(), 3, 2), QStringLiteral("45"));
        QCOMPARE(Cell(S(), 2, 3), QStringLiteral("7"));
        QCOMPARE(Cell(S(), 3, 3), QStringLiteral("8"));
        QCOMPARE(S().StatusPanel(0)->text(), QStringLiteral("B3"));
        // In the last column a column is appended for y.
        SelectBlock(S(), 9, 2, 9, 2);
        S().AddTag(1, 2);
        QCOMPARE(S().sg1->model()->columnCount(), 10);
        QCOMPARE(S().sg1->model()->headerData(9, Qt::Horizontal).toString(), QStringLiteral("J"));
        QCOMPARE(Cell(S(), 10, 2), QStringLiteral("2"));
    }

    void clickedCellGivesTheAddress() {
        const QModelIndex i = S().sg1->model()->index(2, 1);
        QTest::mouseClick(S().sg1->viewport(), Qt::LeftButton, Qt::NoModifier, S().sg1->visualRect(i).center());
        QCOMPARE(S().StatusPanel(0)->text(), QStringLiteral("B3"));
        QCOMPARE(QString::fromStdString(S().Model().Address()), QStringLiteral("B3"));
    }

    void typingEditsACellAndMarksModified() {
        SelectBlock(S(), 3, 4, 3, 4);
        // The first key opens the cell's editor, which takes the rest.
        QTest::keyClick(S().sg1, 'a');
        auto* editor = S().sg1->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("bc"));
        QTest::keyClick(editor, Qt::Key_Return);
        // The editor hands its text over once the events are served.
        QTRY_COMPARE(Cell(S(), 3, 4), QStringLiteral("abc"));
        QCOMPARE(Cell(S(), 3, 1), QStringLiteral("1"));
        QVERIFY(S().Model().SheetModified());
        QCOMPARE(S().StatusPanel(1)->text(), QStringLiteral("Modified"));
    }

    void selectionModeSwitchesEditingOff() {
        S().SelectionMode->trigger();
        QVERIFY(S().SelectionMode->isChecked());
        QCOMPARE(S().sg1->editTriggers(), QAbstractItemView::NoEditTriggers);
        const QModelIndex i = S().sg1->model()->index(0, 0);
        DoubleClick(S().sg1->viewport(), S().sg1->visualRect(i).center());
        QVERIFY(!S().SelectionMode->isChecked());
        QVERIFY(S().sg1->editTriggers() != QAbstractItemView::NoEditTriggers);
    }

    void decimalsUpDown() {
        S().udDecimals->Step(true);
        QCOMPARE(S().edDecimals->text(), QStringLiteral("3"));
        S().AddValue(1.0f);
        QCOMPARE(Cell(S(), 1, 2), QStringLiteral("1.000"));
        for (int i = 0; i < 5; ++i) S().udDecimals->Step(false);
        QCOMPARE(S().edDecimals->text(), QStringLiteral("0"));
        S().AddValue(2.5f);
        QCOMPARE(Cell(S(), 1, 3), QStringLiteral("3"));
    }

    void convFactShownOnShow() {
        S().hide();
        drawing_.CalibrationFactor = 0.25f;
        S().show();
        QCOMPARE(S().edConvFact->text(), QStringLiteral("0.25"));
        S().hide();
        drawing_.CalibrationFactor = 0.1f;
        S().show();
        QCOMPARE(S().edConvFact->text(), QStringLiteral("0.100000001490116"));
    }

    void rowAndColumnCommands() {
        S().Model().EditCell(1, 2, "a");
        S().Model().EditCell(1, 3, "b");
        S().SyncView();
        SelectBlock(S(), 1, 2, 1, 2);
        S().btnInsertRow->trigger();
        QCOMPARE(Cell(S(), 1, 2), QString());
        QCOMPARE(Cell(S(), 1, 3), QStringLiteral("a"));
        QCOMPARE(S().sg1->model()->rowCount(), 19);
        S().btnDeleteRow->trigger();
        QCOMPARE(Cell(S(), 1, 2), QStringLiteral("a"));
        S().btnInsertColumn->trigger();
        QCOMPARE(Cell(S(), 2, 2), QStringLiteral("a"));
        QCOMPARE(S().sg1->model()->columnCount(), 10);
        S().btnDeleteColumn->trigger();
        QCOMPARE(Cell(S(), 1, 3), QStringLiteral("b"));
        QCOMPARE(S().sg1->model()->columnCount(), 9);
        // The pop-up menu runs the same commands.
        QCOMPARE(S().PopupMenu1->actions().size(), 4);
        QCOMPARE(S().PopupMenu1->actions().at(0)->text(), QStringLiteral("Insert Row"));
        S().PopupMenu1->actions().at(3)->trigger();
        QCOMPARE(S().sg1->model()->columnCount(), 8);
    }

    void copyAndPasteABlock() {
        S().Model().EditCell(2, 3, "b2");
        S().Model().EditCell(3, 3, "c2");
        S().Model().EditCell(2, 4, "b3");
        S().Model().EditCell(3, 4, "c3");
        S().SyncView();
        SelectBlock(S(), 2, 3, 3, 4);
        S().EditCopyItem->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("b2\tc2\r\nb3\tc3\r\n"));
        // Make E the last column, then paste at D5: a column is appended.
        while (S().Model().ColCount() > 6) {
            SelectBlock(S(), S().Model().LastCol(), 2, S().Model().LastCol(), 2);
            S().DeleteColumn();
        }
        SelectBlock(S(), 4, 6, 4, 6);
        S().EditPasteItem->trigger();
        QCOMPARE(Cell(S(), 4, 6), QStringLiteral("b2"));
        QCOMPARE(Cell(S(), 5, 6), QStringLiteral("c2"));
        QCOMPARE(Cell(S(), 4, 7), QStringLiteral("b3"));
        QCOMPARE(Cell(S(), 5, 7), QStringLiteral("c3"));
        QCOMPARE(S().Model().ColCount(), 7);
        // Cut empties the block.
        SelectBlock(S(), 4, 6, 5, 7);
        S().EditCutItem->trigger();
        QCOMPARE(Cell(S(), 4, 6), QString());
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("b2\tc2\r\nb3\tc3\r\n"));
    }

    void latin1CellsAreShownDecoded() {
        S().Model().EditCell(1, 2, std::string("caf\xE9"));
        S().SyncView();
        QCOMPARE(S().sg1->model()->index(0, 0).data().toString(), QStringLiteral("caf\u00e9"));
        SelectBlock(S(), 1, 2, 1, 2);
        S().EditCopyItem->trigger();
        S().Model().EditCell(1, 2, "");
        S().EditPasteItem->trigger();
        QCOMPARE(S().Model().Cell(1, 2), std::string("caf\xE9"));
    }

    // A cell of megabytes from a file shows the start of its text, elided;
    // its whole value stays for the editor and the file.
    void aHugeCellShowsElidedAndKeepsItsValue() {
        const std::string huge(2 << 20, 'h');
        const QString path = Path("huge.txt");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(("1\t" + huge + "\t2\r\n").c_str());
        f.close();
        S().OpenSheetFile(path);
        const QModelIndex cell = S().sg1->model()->index(0, 1);
        const QString shown = cell.data(Qt::DisplayRole).toString();
        QVERIFY(shown.size() * 100 < qsizetype(huge.size()));
        QVERIFY(shown.endsWith(QChar(0x2026)));
        QVERIFY(QString::fromStdString(huge).startsWith(shown.chopped(1)));
        QCOMPARE(cell.data(Qt::EditRole).toString().size(), qsizetype(huge.size()));
        QCOMPARE(S().sg1->model()->index(0, 2).data().toString(), QStringLiteral("2"));
        S().FileSaveItem->trigger();
        QVERIFY(ivra::test::ReadAll(path).contains(QByteArray::fromStdString("1\t" + huge + "\t2\t")));
    }

    void closeWithNoDiscards() {
        TScriptedPrompts prompts;
        S().AddValue(5.0f);
        prompts.ExpectConfirm(QMessageBox::No, QStringLiteral("Save changes to Untitled?"));
        S().close();
        VERIFY_PROMPTS(prompts);
        QVERIFY(!S().isVisible());
        QCOMPARE(Cell(S(), 1, 2), QString());
        S().show();
        QCOMPARE(S().sg1->model()->index(0, 0).data().toString(), QString());
    }

    void closeWithCancelKeepsTheWindow() {
        TScriptedPrompts prompts;
        S().AddValue(5.0f);
        prompts.ExpectConfirm(QMessageBox::Cancel, QStringLiteral("Save changes to Untitled?"));
        S().FileExitItem->trigger();
        VERIFY_PROMPTS(prompts);
        QVERIFY(S().isVisible());
        QCOMPARE(Cell(S(), 1, 2), QStringLiteral("5.00"));
    }

    // Yes on an untitled sheet asks for a name; cancelling that dialog keeps
    // the window and the values instead of losing them.
    void closeWithYesButNoNameKeepsTheValues() {
        TScriptedPrompts prompts;
        S().AddValue(5.0f);
        prompts.ExpectConfirm(QMessageBox::Yes).ExpectSaveFile(QString());
        S().close();
        VERIFY_PROMPTS(prompts);
        QVERIFY(S().isVisible());
        QCOMPARE(Cell(S(), 1, 2), QStringLiteral("5.00"));
    }

    void closeWithYesSaves() {
        TScriptedPrompts prompts;
        S().AddValue(5.0f);
        const QString path = Path("closed.txt");
        prompts.ExpectConfirm(QMessageBox::Yes).ExpectSaveFile(path);
        S().close();
        VERIFY_PROMPTS(prompts);
        QVERIFY(!S().isVisible());
        QVERIFY(ReadAll(path).startsWith("5.00\t\t\t\t\t\t\t\t\t\r\n"));
        // Closing forgot the name with the cells: Save on the empty sheet
        // asks for a name instead of writing over the saved file.
        S().show();
        QCOMPARE(S().windowTitle(), QStringLiteral("Untitled - Ivra Image Analyser"));
        prompts.ExpectSaveFile(QString());
        S().FileSaveItem->trigger();
        VERIFY_PROMPTS(prompts);
        QVERIFY(ReadAll(path).startsWith("5.00\t"));
    }

    // The status bar shows only the long part of a hint.
    void statusBarShowsLongHints() {
        S().FileOpenItem->setStatusTip(QStringLiteral("Open|Open an existing file"));
        S().FileOpenItem->showStatusText(&S());
        QCOMPARE(S().statusBar()->currentMessage(), QStringLiteral("Open an existing file"));
    }

    void saveAsFreshSheet() {
        TScriptedPrompts prompts;
        const QString path = Path("fresh.txt");
        prompts.ExpectSaveFile(path);
        S().FileSaveItem->trigger();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(ReadAll(path), QByteArray("\t\t\t\t\t\t\t\t\t\r\n").repeated(18));
        QCOMPARE(S().windowTitle(), QStringLiteral("fresh.txt - Ivra Image Analyser"));
        QCOMPARE(prompts.LastFileRequest.DefaultSuffix, QStringLiteral("txt"));
    }

    void saveAsOverwriteQuestion() {
        TScriptedPrompts prompts;
        const QString path = Path("old.txt");
        WriteAll(path, "old");
        S().AddValue(7.25f);
        const QString question = QStringLiteral("OK to overwrite %1").arg(path);
        prompts.ExpectSaveFile(path).ExpectConfirm(QMessageBox::No, question);
        S().FileSaveAsItem->trigger();
        prompts.ExpectSaveFile(path).ExpectConfirm(QMessageBox::Cancel, question);
        S().FileSaveAsItem->trigger();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(ReadAll(path), QByteArray("old"));
        QCOMPARE(S().StatusPanel(1)->text(), QStringLiteral("Modified"));
        prompts.ExpectSaveFile(path).ExpectConfirm(QMessageBox::Yes, question);
        S().FileSaveAsItem->trigger();
        VERIFY_PROMPTS(prompts);
        QVERIFY(ReadAll(path).startsWith("7.25\t"));
        QCOMPARE(S().StatusPanel(1)->text(), QString());
        // Save of a named sheet writes without a question.
        S().AddValue(1.0f);
        S().FileSaveItem->trigger();
        VERIFY_PROMPTS(prompts);
        QVERIFY(ReadAll(path).startsWith("7.25\t\t\t\t\t\t\t\t\t\r\n1.00\t"));
    }

    void openAsksToSaveFirst() {
        TScriptedPrompts prompts;
        const QString path = Path("data.txt");
        WriteAll(path, "5.00\t7.25\t\t\r\n3\t\t\t\r\n");
        S().AddValue(1.0f);
        // Cancel abandons before the open dialog.
        prompts.ExpectConfirm(QMessageBox::Cancel, QStringLiteral("Save changes to Untitled?"));
        S().FileOpenItem->trigger();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(Cell(S(), 1, 2), QStringLiteral("1.00"));
        prompts.ExpectConfirm(QMessageBox::No).ExpectOpenFile(path);
        S().FileOpenItem->trigger();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(Cell(S(), 1, 2), QStringLiteral("5.00"));
        QCOMPARE(Cell(S(), 2, 2), QStringLiteral("7.25"));
        QCOMPARE(Cell(S(), 1, 3), QStringLiteral("3"));
        QCOMPARE(S().sg1->model()->rowCount(), 2);
        QCOMPARE(S().windowTitle(), QStringLiteral("data.txt - Ivra Image Analyser"));
        QCOMPARE(S().StatusPanel(1)->text(), QString());
    }

    void openOfAMissingFileChangesNothing() {
        TScriptedPrompts prompts;
        S().AddValue(1.0f);
        S().Model().SetSheetModified(false);
        prompts.ExpectOpenFile(Path("missing.txt")).ExpectErrorContaining(QStringLiteral("missing.txt"));
        S().FileOpenItem->trigger();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(Cell(S(), 1, 2), QStringLiteral("1.00"));
        QCOMPARE(S().windowTitle(), QStringLiteral("Untitled - Ivra Image Analyser"));
    }

    void saveAndLoadRoundTrip() {
        TScriptedPrompts prompts;
        S().AddValue(5.0f);
        S().AddTag(3, 4);
        const QString path = Path("round.txt");
        prompts.ExpectSaveFile(path);
        S().FileSaveAsItem->trigger();
        S().FileNewItem->trigger();
        QCOMPARE(S().windowTitle(), QStringLiteral("Untitled - Ivra Image Analyser"));
        prompts.ExpectOpenFile(path);
        S().FileOpenItem->trigger();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(Cell(S(), 1, 2), QStringLiteral("5.00"));
        QCOMPARE(Cell(S(), 1, 3), QStringLiteral("3"));
        QCOMPARE(Cell(S(), 2, 3), QStringLiteral("4"));
        QCOMPARE(S().Model().RowCount(), 20);
    }

    void droppedFileIsOpened() {
        TScriptedPrompts prompts;
        const QString a = Path("drop1.txt"), b = Path("drop2.txt");
        WriteAll(a, "x\t\r\n");
        WriteAll(b, "y\t\r\n");
        S().AddValue(1.0f);
        prompts.ExpectConfirm(QMessageBox::No, QStringLiteral("Save changes to Untitled?"));
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(S().centralWidget(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(S().centralWidget(), &drop);
        VERIFY_PROMPTS(prompts);
        QCOMPARE(Cell(S(), 1, 2), QStringLiteral("x"));
        QCOMPARE(S().windowTitle(), QStringLiteral("drop1.txt - Ivra Image Analyser"));
    }

    void startupFileOpensOnEveryShow() {
        const QString path = Path("start.txt");
        WriteAll(path, "42\t\r\n");
        S().hide();
        S().StartupFile = path;
        S().show();
        QCOMPARE(Cell(S(), 1, 2), QStringLiteral("42"));
        QCOMPARE(S().windowTitle(), QStringLiteral("start.txt - Ivra Image Analyser"));
        // The window system's show on restoring from minimised keeps what
        // the user typed meanwhile.
        S().Model().SetSheetModified(true);
        QShowEvent restore;
        QSpontaneKeyEvent::setSpontaneous(&restore);
        qApp->notify(&S(), &restore);  // sendEvent would clear the spontaneous flag
        QVERIFY(S().Model().SheetModified());
        S().Model().SetSheetModified(false);
        S().close();
        QCOMPARE(Cell(S(), 1, 2), QString());
        S().show();
        QCOMPARE(Cell(S(), 1, 2), QStringLiteral("42"));
        // A start-up file that has gone is skipped.
        S().hide();
        QFile::remove(path);
        S().Model().ClearData();
        S().show();
        QCOMPARE(Cell(S(), 1, 2), QString());
    }

    void planPages_data() {
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<int>("lastRow");
        QTest::addColumn<int>("pageHeight");
        QTest::addColumn<QList<int>>("expected"); // firstRow, lastRow, firstCol, lastCol per page
        // Page 100 wide, label 20: 80 for the columns; rows of 10 under a
        // header of 10.
        QTest::newRow("one page") << QList<int>{30, 30} << 5 << 100 << QList<int>{2, 5, 1, 2};
        QTest::newRow("rows split") << QList<int>{30} << 21 << 100 << QList<int>{2, 10, 1, 1, 11, 19, 1, 1, 20, 21, 1, 1};
        QTest::newRow("columns split") << QList<int>{50, 40, 30} << 2 << 100 << QList<int>{2, 2, 1, 1, 2, 2, 2, 3};
        QTest::newRow("too wide column alone") << QList<int>{200, 10} << 2 << 100 << QList<int>{2, 2, 1, 1, 2, 2, 2, 2};
        QTest::newRow("page lower than a row") << QList<int>{10} << 3 << 5 << QList<int>{2, 2, 1, 1, 3, 3, 1, 1};
    }
    void planPages() {
        QFETCH(QList<int>, widths);
        QFETCH(int, lastRow);
        QFETCH(int, pageHeight);
        QFETCH(QList<int>, expected);
        const auto pages = PlanSheetPages(std::vector<int>(widths.begin(), widths.end()), 20, lastRow, 10, 10, 100,
                                          pageHeight);
        QList<int> got;
        for (const TSheetPage& p : pages) got << p.FirstRow << p.LastRow << p.FirstCol << p.LastCol;
        QCOMPARE(got, expected);
    }

    void usedExtent() {
        int r = 0, c = 0;
        UsedSheetExtent(S().Model(), r, c);
        QCOMPARE(r, 2);
        QCOMPARE(c, 1);
        S().Model().EditCell(4, 9, "x");
        S().Model().EditCell(2, 12, "y");
        UsedSheetExtent(S().Model(), r, c);
        QCOMPARE(r, 12);
        QCOMPARE(c, 4);
    }

    void printsEveryUsedRowToPdf() {
        for (int i = 0; i < 150; ++i) S().AddValue(float(i));
        const QString pdf = Path("sheet.pdf");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        S().PrintTo(printer);
        const QByteArray bytes = ReadAll(pdf);
        QVERIFY(bytes.startsWith("%PDF"));
        // 150 rows of 10-point text do not fit on one A4 or Letter page.
        const int pages = int(bytes.count("/Type /Page\n")) + int(bytes.count("/Type /Page\r")) +
                          int(bytes.count("/Type /Page/")) + int(bytes.count("/Type /Page ")) +
                          int(bytes.count("/Type /Page>"));
        QVERIFY2(pages >= 2, qPrintable(QString::number(pages)));
        QVERIFY(pages <= 6);
    }

    void printCancelledPrintsNothing() {
        TScriptedPrompts prompts;
        prompts.ExpectPrint(false);
        S().FilePrintItem->trigger();
        VERIFY_PROMPTS(prompts);
        QVERIFY(prompts.Errors().isEmpty());
    }
};

int main(int argc, char** argv) {
    // Number texts follow the locale: pin it.
    qputenv("LC_ALL", "C");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestSheet t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_sheet.moc"
