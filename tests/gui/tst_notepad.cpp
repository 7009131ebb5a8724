// The notepad window: New, Save and Save As with their questions, the
// plain-text switch, Open with a file that fails, the font commands with and
// without a selection, the size field, bullets, the ruler drag, the status
// bar, closing with its question, dropped files, the start-up file,
// printing, and round trips of RTF through the editor.

#include "core/notes/NoteFiles.h"
#include "core/notes/NoteRuler.h"
#include "notepad/NoteTextDocument.h"
#include "notepad/RichEdit.h"
#include "services/CommandGuard.h"
#include "services/UpDown.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include <memory>

using namespace ivra;
using ivra::test::ReadAll;
using ivra::test::TScriptedPrompts;
using ivra::test::WriteAll;

namespace {

std::string Native(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString DataFile(const char* name) { return QStringLiteral(IVRA_TEST_DATA_DIR "/rtf/") + QLatin1String(name); }

// A document as text with its formatting and font names, to compare
// documents whose font tables are ordered differently.
QString Describe(const TNoteDocument& doc) {
    QString s;
    for (const auto& p : doc.paragraphs) {
        s += QStringLiteral("[%1 %2 %3 %4 %5]").arg(int(p.align)).arg(p.firstIndent).arg(p.leftIndent).arg(
            p.rightIndent).arg(p.bullet);
        for (const auto& r : p.runs)
            s += QStringLiteral("{%1|%2 %3 %4%5%6 %7}")
                     .arg(QString::fromStdString(r.text), QString::fromStdString(doc.FontName(r.format)))
                     .arg(r.format.halfPoints)
                     .arg(r.format.bold)
                     .arg(r.format.italic)
                     .arg(r.format.underline)
                     .arg(r.format.color, 0, 16);
        s += '\n';
    }
    return s;
}

void SendMouse(QWidget* w, QEvent::Type type, QPoint p) {
    const bool down = type != QEvent::MouseButtonRelease;
    QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                  down ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

void Select(QTextEdit* editor, int from, int to) {
    QTextCursor c = editor->textCursor();
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    editor->setTextCursor(c);
}

bool BoldAt(QTextEdit* editor, int pos) {
    QTextCursor c(editor->document());
    c.setPosition(pos + 1); // the format of the character before
    return c.charFormat().fontWeight() >= QFont::DemiBold;
}

} // namespace

class TestNotepad : public QObject {
    Q_OBJECT

    std::unique_ptr<TfrmEdit> form_;
    QTemporaryDir dir_;

    TfrmEdit& F() { return *form_; }
    QString Path(const char* name) const { return dir_.filePath(QLatin1String(name)); }
    QString Text() { return F().Editor->toPlainText(); }
    bool Modified() { return F().Editor->document()->isModified(); }
    void Type(const QString& text) { QTest::keyClicks(F().Editor, text); }

private slots:
    void init() {
        form_ = std::make_unique<TfrmEdit>();
        form_->StartupFile.clear();
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }
    void cleanup() {
        if (form_) form_->Editor->document()->setModified(false);
        form_.reset();
    }

    void freshWindowStatusStartsAtOne() {
        QCOMPARE(F().windowTitle(), QStringLiteral("Untitled - Ivra Image Analyser"));
        QCOMPARE(F().StatusPanel(0)->text(), QStringLiteral("Line:   1   Col:   1"));
        QCOMPARE(F().StatusPanel(1)->text(), QString());
        Type(QStringLiteral("ab"));
        QCOMPARE(F().StatusPanel(1)->text(), QStringLiteral("Modified"));
        QTest::keyClick(F().Editor, Qt::Key_Return);
        Type(QStringLiteral("xyz"));
        QCOMPARE(F().StatusPanel(0)->text(), QStringLiteral("Line:   2   Col:   4"));
        QVERIFY(F().LeftAlign->isChecked());
    }

    void newClearsWithoutAQuestion() {
        TScriptedPrompts prompts;
        Type(QStringLiteral("unsaved"));
        QVERIFY(Modified());
        F().FileNewCmd->trigger();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(Text(), QString());
        QVERIFY(!Modified());
        QCOMPARE(F().StatusPanel(1)->text(), QString());
    }

    void saveOfUntitledAsksForANameOnce() {
        Type(QStringLiteral("note"));
        const QString path = Path("first.rtf");
        {
            TScriptedPrompts prompts;
            prompts.ExpectSaveFile(path);
            F().FileSaveCmd->trigger();
            VERIFY_PROMPTS(prompts);
            QCOMPARE(prompts.LastFileRequest.DefaultSuffix, QStringLiteral("rtf"));
        }
        QCOMPARE(F().windowTitle(), QStringLiteral("first.rtf - Ivra Image Analyser"));
        QCOMPARE(F().FileName(), path);
        QVERIFY(!Modified());
        QCOMPARE(NotePlainText(LoadNoteFile(Native(path), TNoteFileType::Rtf)), std::string("note\n"));
        // Save now writes to that name without a dialog.
        Type(QStringLiteral("s"));
        {
            TScriptedPrompts prompts;
            F().FileSaveCmd->trigger();
            VERIFY_PROMPTS(prompts);
        }
        QVERIFY(ReadAll(path).startsWith("{\\rtf1"));
        QCOMPARE(NotePlainText(LoadNoteFile(Native(path), TNoteFileType::Rtf)), std::string("notes\n"));
    }

    void saveAsOverwriteQuestion() {
        const QString path = Path("old.rtf");
        WriteAll(path, "old");
        Type(QStringLiteral("new"));
        TScriptedPrompts prompts;
        prompts.ExpectSaveFile(path).ExpectConfirm(QMessageBox::No, QStringLiteral("OK to overwrite ") + path);
        prompts.ExpectSaveFile(path).ExpectConfirm(QMessageBox::Yes, QStringLiteral("OK to overwrite ") + path);
        F().FileSaveAsCmd->trigger();
        QCOMPARE(ReadAll(path), QByteArray("old"));
        QCOMPARE(F().FileName(), QStringLiteral("Untitled"));
        F().FileSaveAsCmd->trigger();
        VERIFY_PROMPTS(prompts);
        QVERIFY(ReadAll(path).startsWith("{\\rtf1"));
    }

    // A document whose RTF would be too large to read again (11 MB of
    // Cyrillic text) is refused with the reason; the old file, the name and
    // the modified mark stay.
    void saveTooLargeToReadAgainIsRefused() {
        const QString path = Path("old.rtf");
        WriteAll(path, "old");
        const auto files = [this] { return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden); };
        const QStringList before = files();
        TNoteDocument doc;
        doc.paragraphs.resize(110000);
        for (auto& p : doc.paragraphs) p.Append(QString(50, QChar(0x41F)).toStdString(), {});
        F().ShowNote(doc);
        Type(QStringLiteral("x"));
        TScriptedPrompts prompts;
        prompts.ExpectSaveFile(path)
            .ExpectConfirm(QMessageBox::Yes, QStringLiteral("OK to overwrite ") + path)
            .ExpectErrorContaining(QStringLiteral("MiB"));
        F().FileSaveAsCmd->trigger();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(ReadAll(path), QByteArray("old"));
        QCOMPARE(F().FileName(), QStringLiteral("Untitled"));
        QVERIFY(Modified());
        QCOMPARE(files(), before);
    }

    void textTypeWritesTxtAndRtfReadsAgain() {
        Type(QStringLiteral("plain words"));
        F().BoldButton->trigger();
        Type(QStringLiteral(" bold"));
        const QString txt = Path("n.txt");
        TScriptedPrompts prompts;
        prompts.ExpectSaveFile(txt, QStringLiteral("Text Files (*.TXT *.txt)"));
        F().FileSaveAsCmd->trigger();
        VERIFY_PROMPTS(prompts);
        QVERIFY(F().PlainText());
        QCOMPARE(ReadAll(txt), QByteArray("plain words bold\n"));
        // An RTF file opened with the RTF type reads as RTF again.
        const QString rtf = Path("back.rtf");
        TNoteDocument doc;
        TNoteCharFormat bold;
        bold.bold = true;
        doc.paragraphs.emplace_back().Append("strong", bold);
        SaveNoteFile(Native(rtf), doc, TNoteFileType::Rtf);
        prompts.ExpectOpenFile(rtf);
        F().FileOpenCmd->trigger();
        VERIFY_PROMPTS(prompts);
        QVERIFY(!F().PlainText());
        QCOMPARE(Text(), QStringLiteral("strong"));
        QVERIFY(BoldAt(F().Editor, 0));
        QVERIFY(!F().Editor->isReadOnly());
        // And the text file with the text type shows its text; the read-only
        // box makes the editor read-only.
        prompts.ExpectOpenFile(txt, QStringLiteral("Text Files (*.TXT *.txt)"), true);
        F().FileOpenCmd->trigger();
        VERIFY_PROMPTS(prompts);
        QVERIFY(F().PlainText());
        QVERIFY(F().Editor->isReadOnly());
        QCOMPARE(Text(), QStringLiteral("plain words bold"));
        QCOMPARE(F().windowTitle(), QStringLiteral("n.txt - Ivra Image Analyser"));
    }

    void openFailureChangesNothing() {
        Type(QStringLiteral("keep me"));
        const QString bad = Path("bad.rtf");
        WriteAll(bad, QByteArray("\0\1\2binary", 9));
        TScriptedPrompts prompts;
        prompts.ExpectConfirm(QMessageBox::No, QStringLiteral("Save changes to Untitled?"))
            .ExpectOpenFile(bad)
            .ExpectErrorContaining(QStringLiteral("not a text file"));
        F().FileOpenCmd->trigger();
        prompts.ExpectConfirm(QMessageBox::Cancel, QStringLiteral("Save changes to Untitled?"));
        F().FileOpenCmd->trigger(); // Cancel stops before the dialog
        // Yes with the name dialog cancelled keeps the text: no open dialog.
        prompts.ExpectConfirm(QMessageBox::Yes, QStringLiteral("Save changes to Untitled?")).ExpectSaveFile(QString());
        F().FileOpenCmd->trigger();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(Text(), QStringLiteral("keep me"));
        QCOMPARE(F().FileName(), QStringLiteral("Untitled"));
        QVERIFY(Modified());
    }

    // A document the editor could not lay out within seconds is refused
    // before the editor changes; one at the limits opens.
    void refusesDocumentsItCannotLayOut_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("opens");
        const TNoteLayoutLimits& limit = NoteLayoutLimits;
        auto lines = [](std::size_t n) { return QByteArray("x\n").repeated(qsizetype(n)); };
        auto runs = [](std::size_t n) {
            return "{\\rtf1 " + QByteArray("{\\b a}b").repeated(qsizetype(n / 2 + 1)) + "}";
        };
        auto word = [](std::size_t n) { return "many " + QByteArray(qsizetype(n), 'w') + " words"; };
        QTest::newRow("too many paragraphs") << lines(limit.Paragraphs + 1) << false;
        QTest::newRow("too many format changes in a word") << runs(limit.RunsPerParagraph) << false;
        QTest::newRow("too long a paragraph") << QByteArray("ab ").repeated(qsizetype(limit.ParagraphBytes / 3 + 1))
                                              << false;
        QTest::newRow("too long a word") << word(limit.WordChars + 1) << false;
        QTest::newRow("a word at the limit") << word(limit.WordChars) << true;
        QTest::newRow("long words of ideographs") << QByteArray("\xE6\xBC\xA2").repeated(qsizetype(limit.WordChars + 1))
                                                  << true;
    }
    void refusesDocumentsItCannotLayOut() {
        QFETCH(QByteArray, file);
        QFETCH(bool, opens);
        Type(QStringLiteral("keep me"));
        F().Editor->document()->setModified(false);
        const QString path = Path("shape.rtf");
        WriteAll(path, file);
        TScriptedPrompts prompts;
        if (!opens) prompts.ExpectErrorContaining(QStringLiteral("cannot lay out"));
        RunGuarded([&] { F().DropFiles({path}); });
        VERIFY_PROMPTS(prompts);
        QCOMPARE(Text() == QStringLiteral("keep me"), !opens);
        QCOMPARE(F().FileName() == path, opens);
    }

    // Read-only belongs to the file that was opened so: New, loading
    // another file, or closing and showing again give a typeable document.
    void readOnlyBelongsToTheOpenedFile_data() {
        QTest::addColumn<int>("after");
        QTest::newRow("New") << 0;
        QTest::newRow("a dropped file") << 1;
        QTest::newRow("close and show again") << 2;
    }
    void readOnlyBelongsToTheOpenedFile() {
        QFETCH(int, after);
        const QString path = Path("locked.txt");
        WriteAll(path, "locked");
        TScriptedPrompts prompts;
        prompts.ExpectOpenFile(path, QStringLiteral("Text Files (*.TXT *.txt)"), true);
        F().FileOpenCmd->trigger();
        VERIFY_PROMPTS(prompts);
        QVERIFY(F().Editor->isReadOnly());
        if (after == 0) F().FileNewCmd->trigger();
        if (after == 1) F().DropFiles({path});
        if (after == 2) {
            F().close();
            F().show();
        }
        F().Editor->moveCursor(QTextCursor::End);
        Type(QStringLiteral("typed"));
        QVERIFY(Text().endsWith(QStringLiteral("typed")));
    }

    void boldWithAndWithoutSelection() {
        Type(QStringLiteral("hello world"));
        Select(F().Editor, 0, 5);
        QVERIFY(!F().BoldButton->isChecked());
        F().BoldButton->trigger();
        QVERIFY(BoldAt(F().Editor, 0));
        QVERIFY(BoldAt(F().Editor, 4));
        QVERIFY(!BoldAt(F().Editor, 6));
        // Without a selection only the text typed next is bold.
        F().Editor->moveCursor(QTextCursor::End);
        QVERIFY(!F().BoldButton->isChecked());
        F().ItalicButton->trigger();
        F().BoldButton->trigger();
        Type(QStringLiteral("!"));
        QVERIFY(BoldAt(F().Editor, 11));
        QVERIFY(!BoldAt(F().Editor, 10));
        QTextCursor c(F().Editor->document());
        c.setPosition(12);
        QVERIFY(c.charFormat().fontItalic());
        // The toolbar follows the selection.
        Select(F().Editor, 1, 3);
        QVERIFY(F().BoldButton->isChecked());
        QVERIFY(!F().ItalicButton->isChecked());
    }

    void fontSizeAndName() {
        Type(QStringLiteral("sized"));
        Select(F().Editor, 0, 5);
        QLineEdit* size = F().FontSize;
        size->selectAll();
        QTest::keyClicks(size, QStringLiteral("20"));
        QTest::keyClick(size, Qt::Key_Return);
        QTextCursor c(F().Editor->document());
        c.setPosition(3);
        QCOMPARE(c.charFormat().fontPointSize(), 20.0);
        // The arrows step the size.
        F().UpDown1->Step(true);
        c.setPosition(3);
        QCOMPARE(c.charFormat().fontPointSize(), 21.0);
        // Not an integer: the conversion error, nothing changes.
        F().Editor->document()->setModified(false);
        TScriptedPrompts prompts;
        prompts.ExpectError(QStringLiteral("'1x' is not a valid integer value"));
        size->selectAll();
        QTest::keyClicks(size, QStringLiteral("1x"));
        QTest::keyClick(size, Qt::Key_Return);
        VERIFY_PROMPTS(prompts);
        c.setPosition(3);
        QCOMPARE(c.charFormat().fontPointSize(), 21.0);
        QVERIFY(!Modified());
        // A font name from the list.
        const QString family = F().FontName->itemText(0);
        F().FontName->setCurrentIndex(0);
        emit F().FontName->textActivated(family);
        c.setPosition(3);
        QCOMPARE(c.charFormat().fontFamilies().toStringList().value(0), family);
    }

    void alignmentAndBullets() {
        Type(QStringLiteral("one"));
        QTest::keyClick(F().Editor, Qt::Key_Return);
        Type(QStringLiteral("two"));
        F().CenterAlign->trigger();
        F().BulletsButton->trigger();
        F().Editor->moveCursor(QTextCursor::Start);
        F().BulletsButton->trigger();
        const TNoteDocument doc = NoteFromTextDocument(*F().Editor->document());
        QCOMPARE(doc.paragraphs.size(), std::size_t(2));
        QVERIFY(doc.paragraphs[0].bullet);
        QVERIFY(doc.paragraphs[1].bullet);
        QCOMPARE(doc.paragraphs[1].align, TNoteAlign::Center);
        QCOMPARE(doc.paragraphs[0].align, TNoteAlign::Left);
        QVERIFY(F().BulletsButton->isChecked());
        QVERIFY(F().LeftAlign->isChecked());
        F().BulletsButton->trigger(); // off again
        QVERIFY(!NoteFromTextDocument(*F().Editor->document()).paragraphs[0].bullet);
        QVERIFY(!F().BulletsButton->isChecked());
    }

    void rulerDragSetsTheIndent() {
        Type(QStringLiteral("indent me"));
        TRulerMarker* left = F().LeftInd;
        QCOMPARE(left->x(), 2);
        // Press at the marker's centre, move 20 pixels right, release.
        SendMouse(left, QEvent::MouseButtonPress, QPoint(5, 5));
        SendMouse(left, QEvent::MouseMove, QPoint(25, 5));
        QCOMPARE(left->x(), 22);
        SendMouse(left, QEvent::MouseButtonRelease, QPoint(5, 5));
        TNoteParagraph p;
        BlockIndents(F().Editor->textCursor().blockFormat(), p.firstIndent, p.leftIndent, p.rightIndent);
        QCOMPARE(RulerIndentsOf(p), (TRulerIndents{0, 15, 0}));
        QCOMPARE(left->x(), 22); // trunc(15 * 4/3) + 2
        QCOMPARE(F().FirstInd->x(), 2);
        // The first-line marker 40 pixels right: the other lines stay.
        TRulerMarker* first = F().FirstInd;
        SendMouse(first, QEvent::MouseButtonPress, QPoint(5, 4));
        SendMouse(first, QEvent::MouseMove, QPoint(45, 4));
        SendMouse(first, QEvent::MouseButtonRelease, QPoint(5, 4));
        BlockIndents(F().Editor->textCursor().blockFormat(), p.firstIndent, p.leftIndent, p.rightIndent);
        QCOMPARE(RulerIndentsOf(p), (TRulerIndents{30, -15, 0}));
        QCOMPARE(p.leftIndent, 300);
        QCOMPARE(p.firstIndent, 300);
        // The right marker 20 pixels left.
        TRulerMarker* right = F().RightInd;
        const int rightStart = right->x();
        SendMouse(right, QEvent::MouseButtonPress, QPoint(4, 4));
        SendMouse(right, QEvent::MouseMove, QPoint(-16, 4));
        SendMouse(right, QEvent::MouseButtonRelease, QPoint(4, 4));
        BlockIndents(F().Editor->textCursor().blockFormat(), p.firstIndent, p.leftIndent, p.rightIndent);
        QCOMPARE(RulerIndentsOf(p).right, 15);
        QCOMPARE(right->x(), rightStart - 20);
        QCOMPARE(F().RulerLine->width(), F().Ruler->width() - 8);
    }

    // The right-indent marker stands at its place from the first show on,
    // and the size field's arrows keep their width in a wide window.
    void rulerAndToolbarOnFirstShow() {
        TfrmEdit fresh;
        fresh.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fresh));
        const auto placed = [&fresh] {
            return RulerMarkerLefts(TRulerIndents{}, fresh.Ruler->contentsRect().width()).right;
        };
        QCOMPARE(fresh.RightInd->x(), placed());
        const int arrows = fresh.UpDown1->width();
        fresh.resize(1400, 300);
        QTRY_COMPARE(fresh.Ruler->width(), fresh.width());
        QCOMPARE(fresh.RightInd->x(), placed());
        QCOMPARE(fresh.UpDown1->width(), arrows);
    }

    void commandStatesFollowTheEditor() {
        QVERIFY(!F().EditCutCmd->isEnabled());
        QVERIFY(!F().EditCopyCmd->isEnabled());
        QVERIFY(!F().EditUndoCmd->isEnabled());
        Type(QStringLiteral("abc"));
        QVERIFY(F().EditUndoCmd->isEnabled());
        Select(F().Editor, 0, 2);
        QVERIFY(F().EditCutCmd->isEnabled());
        QVERIFY(F().EditCopyCmd->isEnabled());
        F().EditCutCmd->trigger();
        QCOMPARE(Text(), QStringLiteral("c"));
        QVERIFY(F().EditPasteCmd->isEnabled());
        F().EditPasteCmd->trigger();
        QCOMPARE(Text(), QStringLiteral("abc"));
        F().EditUndoCmd->trigger();
        QCOMPARE(Text(), QStringLiteral("c"));
    }

    void closeWithNoThenShowAgainIsEmpty() {
        Type(QStringLiteral("scratch"));
        TScriptedPrompts prompts;
        prompts.ExpectConfirm(QMessageBox::Cancel, QStringLiteral("Save changes to Untitled?"));
        F().close();
        QVERIFY(F().isVisible());
        QCOMPARE(Text(), QStringLiteral("scratch"));
        prompts.ExpectConfirm(QMessageBox::No, QStringLiteral("Save changes to Untitled?"));
        F().FileExitCmd->trigger();
        VERIFY_PROMPTS(prompts);
        QVERIFY(!F().isVisible());
        F().show();
        QCOMPARE(Text(), QString());
        QVERIFY(!Modified());
        QCOMPARE(F().windowTitle(), QStringLiteral("Untitled - Ivra Image Analyser"));
    }

    void droppedFileAndStartupFile() {
        const QString a = Path("drop1.rtf"), b = Path("drop2.rtf");
        TNoteDocument doc;
        doc.paragraphs.emplace_back().Append("dropped", {});
        SaveNoteFile(Native(a), doc, TNoteFileType::Rtf);
        SaveNoteFile(Native(b), TNoteDocument{}, TNoteFileType::Rtf);
        Type(QStringLiteral("x"));
        TScriptedPrompts prompts;
        prompts.ExpectConfirm(QMessageBox::No, QStringLiteral("Save changes to Untitled?"));
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
        // The drop goes to the widget that accepted the drag's entry.
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(F().Editor->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(F().Editor->viewport(), &drop);
        VERIFY_PROMPTS(prompts);
        QCOMPARE(Text(), QStringLiteral("dropped")); // only the first file counts
        QCOMPARE(F().windowTitle(), QStringLiteral("drop1.rtf - Ivra Image Analyser"));
        // The loaded text is a document like a typed one: the modified
        // mark and Undo follow the typing.
        QVERIFY(!F().EditUndoCmd->isEnabled());
        // The start-up file is loaded on every show, without a question.
        Type(QStringLiteral("more"));
        QCOMPARE(F().StatusPanel(1)->text(), QStringLiteral("Modified"));
        QVERIFY(F().EditUndoCmd->isEnabled());
        F().Editor->document()->setModified(false);
        F().hide();
        F().StartupFile = a;
        F().show();
        QCOMPARE(Text(), QStringLiteral("dropped"));
    }

    void printsWithTheFileNameAsTitle() {
        const QString path = Path("printed.rtf");
        TNoteDocument doc;
        doc.paragraphs.emplace_back().Append("to paper", {});
        SaveNoteFile(Native(path), doc, TNoteFileType::Rtf);
        F().LoadDocument(path);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(Path("n.pdf"));
        F().PrintTo(printer);
        QCOMPARE(printer.docName(), path);
        QVERIFY(ReadAll(Path("n.pdf")).startsWith("%PDF"));
        TScriptedPrompts prompts;
        prompts.ExpectPrint(false);
        F().FilePrintCmd->trigger();
        VERIFY_PROMPTS(prompts);
    }

    // Other word processors' files through the editor and back keep their
    // text and formatting; our own files come back exactly.
    void rtfRoundTripsThroughTheEditor() {
        for (const char* name : {"writer-a-notes.rtf", "writer-b-notes.rtf"}) {
            const TNoteDocument original = LoadNoteFile(Native(DataFile(name)), TNoteFileType::Rtf);
            F().LoadDocument(DataFile(name));
            QCOMPARE(F().Editor->toPlainText().section(QLatin1Char('\n'), 0, 0),
                     QStringLiteral("Sample 12 \u2013 grain size"));
            const QString out = Path("copy.rtf");
            QFile::remove(out);
            TScriptedPrompts prompts;
            prompts.ExpectSaveFile(out);
            F().FileSaveAsCmd->trigger();
            VERIFY_PROMPTS(prompts);
            const TNoteDocument copy = LoadNoteFile(Native(out), TNoteFileType::Rtf);
            QCOMPARE(Describe(copy), Describe(original));
            QCOMPARE(NoteFromTextDocument(*F().Editor->document()).paragraphs.size(), original.paragraphs.size());
        }
    }
};

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestNotepad t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_notepad.moc"
