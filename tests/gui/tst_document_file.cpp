// The one document-file flow, driven through every kind of window that
// saves a document: the image window, the spreadsheet, the notepad, the two
// statistics tabs and the statistics export, the profile's table and its
// chart. Each case runs for every kind: a bare name with a chosen type, an
// existing file, a read-only file, Cancel, and a write that fails.

#include "analysis/PixelProfile.h"
#include "analysis/Stats.h"
#include "core/text/TextGrid.h"
#include "imagewin/ImageDocument.h"
#include "measure/SheetForm.h"
#include "notepad/RichEdit.h"
#include "services/CommandGuard.h"
#include "support/AppFixture.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFiles.h"
#include "support/TestShell.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <functional>
#include <memory>

using namespace ivra;
using namespace ivra::test;

namespace {

// A window with a document, and how the test drives it.
struct TKind {
    std::function<void()> SaveAs;        // the command that asks for a name
    std::function<QString()> FileName;   // the document's name (unset: it shows none)
    QString Filter;                      // a type the user picks
    QString Extension;                   // that type's extension
    std::function<bool(const QByteArray&)> IsFormat;  // a file of that type
    bool Adopts = true;                  // the document takes the name it was saved as
    std::shared_ptr<QObject> Window;
};

TKind MakeKind(const QString& name) {
    TKind k;
    if (name == QLatin1String("image")) {
        // The image window's document alone: the window only hands it the
        // command.
        static TTestShell shell;
        auto doc = std::make_shared<TImageDocument>();
        TImageDocument* d = doc.get();
        d->NewImage(6, 4, 0xFF2040A0u);
        k.Window = doc;
        k.SaveAs = [d] { RunGuarded([d] { d->SaveAs(shell, nullptr); }); };
        k.FileName = [d] { return d->FileName(); };
        k.Filter = QStringLiteral("Bitmaps (*.bmp)");
        k.Extension = QStringLiteral("bmp");
        k.IsFormat = [](const QByteArray& b) { return b.startsWith("BM"); };
    } else if (name == QLatin1String("sheet")) {
        static TTestShell shell;
        auto sheet = std::make_shared<TfrmSheet>(shell, nullptr);
        TfrmSheet* s = sheet.get();
        k.Window = sheet;
        k.SaveAs = [s] { s->FileSaveAsItem->trigger(); };
        k.FileName = [s] { return QString::fromStdString(s->Model().SheetFileName()); };
        k.Filter = QStringLiteral("Text (Tab-separated) (*.txt)");
        k.Extension = QStringLiteral("txt");
        k.IsFormat = [](const QByteArray& b) { return b.startsWith("\t\t") && b.contains("\r\n"); };
    } else if (name == QLatin1String("notepad")) {
        auto edit = std::make_shared<TfrmEdit>();
        TfrmEdit* f = edit.get();
        f->Editor->setPlainText(QStringLiteral("words"));
        k.Window = edit;
        k.SaveAs = [f] { f->FileSaveAsCmd->trigger(); };
        k.FileName = [f] { return f->FileName(); };
        k.Filter = QStringLiteral("Text Files (*.TXT *.txt)");
        k.Extension = QStringLiteral("txt");
        k.IsFormat = [](const QByteArray& b) { return b.startsWith("words"); };
    } else if (name.startsWith(QLatin1String("statistics")) || name == QLatin1String("frequency table")) {
        static TTestShell shell;
        auto stats = std::make_shared<TfrmStats>(shell, nullptr);
        TfrmStats* s = stats.get();
        const int tab = name == QLatin1String("frequency table") ? 1 : 0;
        s->pcTab->setCurrentIndex(tab);
        (tab ? s->FreqGrid() : s->StatGrid()).AppendRows({{"row", "1"}});
        k.Window = stats;
        k.FileName = [s, tab] { return s->File(tab).FileName(); };
        if (name.endsWith(QLatin1String("HTML"))) {
            k.SaveAs = [s] { s->ExportHTMLItem->trigger(); };
            k.Filter = QStringLiteral("HTML files (*.html)");
            k.Extension = QStringLiteral("html");
            k.IsFormat = [](const QByteArray& b) { return b.startsWith("<TABLE"); };
            k.Adopts = false;
        } else {
            k.SaveAs = [s] { RunGuarded([s] { s->SaveAs(); }); };
            k.Filter = QStringLiteral("Tab delimited files (*.txt)");
            k.Extension = QStringLiteral("txt");
            k.IsFormat = [s, tab](const QByteArray& b) {
                return b == QByteArray::fromStdString(GridToTextString((tab ? s->FreqGrid() : s->StatGrid()).Grid()));
            };
        }
    } else {
        static TTestShell shell;
        auto profile = std::make_shared<TfrmPixel>(shell, nullptr);
        TfrmPixel* p = profile.get();
        k.Window = profile;
        if (name == QLatin1String("profile table")) {
            k.SaveAs = [p] { p->btnSaveData->click(); };
            k.Filter = QStringLiteral("HTML files (*.html)");
            k.Extension = QStringLiteral("html");
            k.IsFormat = [](const QByteArray& b) { return b.startsWith("<TABLE"); };
        } else {
            k.SaveAs = [p] { p->btnSaveChart->click(); };
            k.Filter = QStringLiteral("Scalable Vector Graphics (*.svg)");
            k.Extension = QStringLiteral("svg");
            k.IsFormat = [](const QByteArray& b) { return b.contains("<svg"); };
        }
    }
    return k;
}

} // namespace

class TestDocumentFile : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir_;

    QString Path(const QString& name) const { return dir_->filePath(name); }
    QStringList Files() const { return QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden); }

    void Kinds() {
        QTest::addColumn<QString>("kind");
        for (const char* k : {"image", "sheet", "notepad", "statistics", "frequency table", "statistics HTML",
                               "profile table", "profile chart"})
            QTest::newRow(k) << QString::fromLatin1(k);
    }

private slots:
    void init() { dir_ = std::make_unique<QTemporaryDir>(); }
    void cleanup() { dir_.reset(); }

    void bareNameTakesTheChosenType_data() { Kinds(); }
    void bareNameTakesTheChosenType() {
        QFETCH(QString, kind);
        TKind k = MakeKind(kind);
        TScriptedPrompts prompts;
        prompts.ExpectSaveFile(Path(QStringLiteral("doc")), k.Filter);
        k.SaveAs();
        VERIFY_PROMPTS(prompts);
        const QString file = Path(QStringLiteral("doc.") + k.Extension);
        QCOMPARE(Files(), QStringList{QStringLiteral("doc.") + k.Extension});
        QVERIFY(k.IsFormat(ReadAll(file)));
        if (k.FileName) QCOMPARE(k.FileName(), k.Adopts ? file : QStringLiteral("Untitled"));
    }

    void existingFileAsks_data() { Kinds(); }
    void existingFileAsks() {
        QFETCH(QString, kind);
        TKind k = MakeKind(kind);
        const QString file = Path(QStringLiteral("doc.") + k.Extension);
        WriteAll(file, "old");
        TScriptedPrompts prompts;
        for (const auto answer : {QMessageBox::No, QMessageBox::Cancel})
            prompts.ExpectSaveFile(Path(QStringLiteral("doc")), k.Filter)
                .ExpectConfirm(answer, QStringLiteral("OK to overwrite ") + file);
        k.SaveAs();
        k.SaveAs();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(ReadAll(file), QByteArray("old"));
        if (k.FileName) QCOMPARE(k.FileName(), QStringLiteral("Untitled"));
        prompts.ExpectSaveFile(file, k.Filter).ExpectConfirm(QMessageBox::Yes, QStringLiteral("OK to overwrite ") + file);
        k.SaveAs();
        VERIFY_PROMPTS(prompts);
        QVERIFY(k.IsFormat(ReadAll(file)));
    }

    void readOnlyFileIsRefused_data() { Kinds(); }
    void readOnlyFileIsRefused() {
        QFETCH(QString, kind);
        TKind k = MakeKind(kind);
        const QString file = Path(QStringLiteral("doc.") + k.Extension);
        WriteAll(file, "old");
        QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
        TScriptedPrompts prompts;
        prompts.ExpectSaveFile(file, k.Filter).ExpectErrorContaining(QStringLiteral("read-only"));
        k.SaveAs();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(ReadAll(file), QByteArray("old"));
        if (k.FileName) QCOMPARE(k.FileName(), QStringLiteral("Untitled"));
    }

    void cancelKeepsTheDocument_data() { Kinds(); }
    void cancelKeepsTheDocument() {
        QFETCH(QString, kind);
        TKind k = MakeKind(kind);
        TScriptedPrompts prompts;
        prompts.ExpectSaveFile(QString());
        k.SaveAs();
        VERIFY_PROMPTS(prompts);
        QVERIFY(Files().isEmpty());
        if (k.FileName) QCOMPARE(k.FileName(), QStringLiteral("Untitled"));
    }

    void failedWriteKeepsTheOldFile_data() { Kinds(); }
    void failedWriteKeepsTheOldFile() {
        QFETCH(QString, kind);
        TKind k = MakeKind(kind);
        const QString file = Path(QStringLiteral("doc.") + k.Extension);
        TScriptedPrompts prompts;
        prompts.ExpectSaveFile(file, k.Filter);
        k.SaveAs();
        VERIFY_PROMPTS(prompts);
        const QByteArray old = ReadAll(file);
        QVERIFY(k.IsFormat(old));
        const QString missing = Path(QStringLiteral("no-such-folder/doc.") + k.Extension);
        prompts.ExpectSaveFile(missing, k.Filter).ExpectErrorContaining(QStringLiteral("no-such-folder"));
        k.SaveAs();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(ReadAll(file), old);
        QCOMPARE(Files(), QStringList{QStringLiteral("doc.") + k.Extension});
        // The image window takes the new name before it writes (see the
        // image files' tests); every other document keeps its file.
        if (k.FileName && kind != QLatin1String("image"))
            QCOMPARE(k.FileName(), k.Adopts ? file : QStringLiteral("Untitled"));
    }

    // The program's own save dialog: the extension given to a bare name
    // follows the type the user picks.
    void realSaveDialogFollowsThePickedType() {
        TFileDialogRequest r;
        r.Caption = QStringLiteral("Save chart");
        r.Directory = dir_->path();
        r.Filter = QStringLiteral("Bitmaps (*.bmp);;Scalable Vector Graphics (*.svg)");
        r.DefaultSuffix = QStringLiteral("bmp");
        bool picked = false;
        QTimer::singleShot(0, [&] {
            auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dlg) return;
            auto* types = dlg->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            auto* name = dlg->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (!types || !name) {
                dlg->reject();
                return;
            }
            types->setCurrentIndex(1);
            emit types->activated(1);
            emit types->textActivated(types->itemText(1));
            name->setText(QStringLiteral("chart"));
            picked = true;
            static_cast<QDialog*>(dlg)->accept();
        });
        TQtPrompts real;
        const QString path = real.GetSaveFileName(nullptr, r);
        QVERIFY(picked);
        QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("chart.svg"));
        QCOMPARE(r.ChosenFilter, QStringLiteral("Scalable Vector Graphics (*.svg)"));
    }

    // A note opened read-only is never written over: Save asks for another
    // name, and its own file is refused.
    void fileOpenedReadOnlyIsKept() {
        const QString file = Path(QStringLiteral("note.txt"));
        WriteAll(file, "kept\n");
        TfrmEdit edit;
        TScriptedPrompts prompts;
        prompts.ExpectOpenFile(file, QStringLiteral("Text Files (*.TXT *.txt)"), true);
        edit.FileOpenCmd->trigger();
        VERIFY_PROMPTS(prompts);
        QVERIFY(edit.File().ReadOnly());
        edit.Editor->document()->setModified(true);
        prompts.ExpectSaveFile(file).ExpectErrorContaining(QStringLiteral("read-only"));
        edit.FileSaveCmd->trigger();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(ReadAll(file), QByteArray("kept\n"));
        QCOMPARE(edit.FileName(), file);
        QVERIFY(edit.File().Modified());
        // Another name takes the document, which is then no longer read-only.
        const QString copy = Path(QStringLiteral("copy.txt"));
        prompts.ExpectSaveFile(copy);
        edit.FileSaveCmd->trigger();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(edit.FileName(), copy);
        QVERIFY(!edit.File().ReadOnly());
        QCOMPARE(ReadAll(copy), QByteArray("kept\n"));
    }

    // Each statistics tab keeps its own file: Save on one never writes over
    // the other's file, and the HTML export proposes the tab's name as .html.
    void statisticsTabsAreTwoDocuments() {
        TTestShell shell;
        TfrmStats stats(shell, nullptr);
        stats.StatGrid().AppendRows({{"stat", "1"}});
        stats.FreqGrid().AppendRows({{"freq", "2"}});
        const QString freq = Path(QStringLiteral("freq.txt")), stat = Path(QStringLiteral("stat.txt"));
        TScriptedPrompts prompts;
        stats.pcTab->setCurrentIndex(1);
        prompts.ExpectSaveFile(freq);
        stats.DataSaveItem->trigger();
        VERIFY_PROMPTS(prompts);
        stats.pcTab->setCurrentIndex(0);
        QCOMPARE(stats.FileName(), QStringLiteral("Untitled"));
        prompts.ExpectSaveFile(stat);
        stats.DataSaveItem->trigger();
        VERIFY_PROMPTS(prompts);
        QVERIFY(ReadAll(freq).contains("freq\t2"));
        QVERIFY(ReadAll(stat).contains("stat\t1"));
        QVERIFY(!ReadAll(freq).contains("stat\t1"));
        QCOMPARE(stats.windowTitle().section(QLatin1Char(' '), 0, 0), QStringLiteral("stat.txt"));
        prompts.ExpectSaveFile(QString());
        stats.ExportHTMLItem->trigger();
        VERIFY_PROMPTS(prompts);
        QCOMPARE(prompts.LastFileRequest.FileName, QStringLiteral("stat.html"));
    }
};

QTEST_MAIN(TestDocumentFile)
#include "tst_document_file.moc"
