#include "services/Prompts.h"

#include "services/AppInfo.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QTreeView>

#include <algorithm>
#include <QScreen>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace ivra {

namespace {

TQtPrompts& RealPrompts() {
    static TQtPrompts real;
    return real;
}

Prompts* g_installed = nullptr;

// A file dialog set up from a request: resizable, and large enough that its
// detail columns (name, size, type, date) show whole.
void SetUpFileDialog(QFileDialog& dlg, const TFileDialogRequest& r) {
    dlg.setWindowTitle(r.Caption);
    if (!r.Directory.isEmpty()) dlg.setDirectory(r.Directory);
    if (!r.Filter.isEmpty()) dlg.setNameFilter(r.Filter);
    if (!r.SelectedFilter.isEmpty()) dlg.selectNameFilter(r.SelectedFilter);
    if (!r.DefaultSuffix.isEmpty()) dlg.setDefaultSuffix(r.DefaultSuffix);
    if (!r.FileName.isEmpty()) dlg.selectFile(r.FileName);
    dlg.setSizeGripEnabled(true);
    QSize size(860, 520);
    if (const QScreen* screen = dlg.screen()) size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    dlg.resize(size);
    // The detail view's columns as wide as their usual contents (Qt's
    // defaults cut sizes, types and dates to "31....KiB").
    if (auto* tree = dlg.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        const QFontMetrics fm(tree->font());
        const int pad = 3 * fm.averageCharWidth();
        QHeaderView* header = tree->header();
        header->resizeSection(1, fm.horizontalAdvance(QStringLiteral("999.9 KiB")) + pad);
        header->resizeSection(2, fm.horizontalAdvance(QStringLiteral("JPEG image")) + pad);
        header->resizeSection(3, fm.horizontalAdvance(QStringLiteral("31 Dec 2026 23:59:59")) + pad);
        header->resizeSection(0, std::max(header->sectionSize(0), size.width() / 3));
    }
}

// The read-only box of an open dialog, below the dialog's own controls
// (Qt's widget-based dialog lays them out in a grid).
QCheckBox* AddReadOnlyBox(QFileDialog& dlg) {
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    auto* box = new QCheckBox(QStringLiteral("Open as &read-only"), &dlg);
    box->setObjectName(QStringLiteral("ReadOnlyBox"));
    if (auto* grid = qobject_cast<QGridLayout*>(dlg.layout()))
        grid->addWidget(box, grid->rowCount(), 0, 1, grid->columnCount());
    return box;
}

// The extension of a name filter's first pattern: "svg" for "Scalable Vector
// Graphics (*.svg)"; "" for "*" or a filter without patterns.
QString FirstExtensionOf(const QString& filter) {
    const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
    const qsizetype close = filter.lastIndexOf(QLatin1Char(')'));
    const QString patterns = open >= 0 && close > open ? filter.mid(open + 1, close - open - 1) : filter;
    const QString first = patterns.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
    if (!first.startsWith(QLatin1String("*.")) || first.indexOf(QLatin1Char('*'), 1) >= 0) return {};
    return first.mid(2).toLower();
}

} // namespace

QString ProgramFolder() { return QCoreApplication::applicationDirPath(); }

QString DataFolderBeside(const QString& programFolder) {
    const QString installed = QDir::cleanPath(programFolder + QStringLiteral("/" IVRA_DATA_FROM_BIN));
    return QFileInfo(installed + QStringLiteral("/help")).isDir() ? installed : programFolder;
}

QString ProgramDataFolder() { return DataFolderBeside(ProgramFolder()); }

QString ProgramVersion() { return QStringLiteral(IVRA_VERSION); }

QString StartupFileArgument() {
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i].startsWith(QLatin1String("--"))) continue;
        return QFileInfo(args[i]).isFile() ? args[i] : QString();
    }
    return {};
}

Prompts& AppPrompts() { return g_installed ? *g_installed : RealPrompts(); }

Prompts* SetAppPrompts(Prompts* p) {
    Prompts* old = g_installed;
    g_installed = p;
    return old;
}

QString TQtPrompts::GetOpenFileName(QWidget* parent, const TFileDialogRequest& request) {
    QFileDialog dlg(parent);
    SetUpFileDialog(dlg, request);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    QCheckBox* readOnly = request.ShowReadOnly ? AddReadOnlyBox(dlg) : nullptr;
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    request.ChosenFilter = dlg.selectedNameFilter();
    request.ReadOnlyChosen = readOnly && readOnly->isChecked();
    return dlg.selectedFiles().first();
}

QStringList TQtPrompts::GetOpenFileNames(QWidget* parent, const TFileDialogRequest& request) {
    QFileDialog dlg(parent);
    SetUpFileDialog(dlg, request);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFiles);
    if (dlg.exec() != QDialog::Accepted) return {};
    return dlg.selectedFiles();
}

QString TQtPrompts::GetSaveFileName(QWidget* parent, const TFileDialogRequest& request) {
    QFileDialog dlg(parent);
    SetUpFileDialog(dlg, request);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    // The program asks "OK to overwrite %s" itself.
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    // The extension given to a bare name follows the type the user picks.
    if (!request.DefaultSuffix.isEmpty())
        QObject::connect(&dlg, &QFileDialog::filterSelected, &dlg, [&dlg](const QString& filter) {
            const QString suffix = FirstExtensionOf(filter);
            if (!suffix.isEmpty()) dlg.setDefaultSuffix(suffix);
        });
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    request.ChosenFilter = dlg.selectedNameFilter();
    return dlg.selectedFiles().first();
}

std::optional<QColor> TQtPrompts::GetColor(QWidget* parent, const QColor& initial, bool fullOpen) {
    QColorDialog dlg(initial, parent);
    // Qt's colour dialog always shows its custom part; fullOpen needs nothing more.
    (void)fullOpen;
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.selectedColor();
}

std::optional<QFont> TQtPrompts::GetFont(QWidget* parent, const QFont& initial) {
    bool ok = false;
    QFont f = QFontDialog::getFont(&ok, initial, parent);
    if (!ok) return std::nullopt;
    return f;
}

bool TQtPrompts::PrintDialog(QWidget* parent, QPrinter& printer) {
    QPrintDialog dlg(&printer, parent);
    return dlg.exec() == QDialog::Accepted;
}

bool TQtPrompts::PageSetupDialog(QWidget* parent, QPrinter& printer) {
    QPageSetupDialog dlg(&printer, parent);
    return dlg.exec() == QDialog::Accepted;
}

QMessageBox::StandardButton TQtPrompts::Confirm(QWidget* parent, const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton) {
    QMessageBox box(QMessageBox::Question, AppTitle, text, buttons, parent);
    box.setDefaultButton(defaultButton);
    const int r = box.exec();
    return QMessageBox::StandardButton(r);
}

void TQtPrompts::Message(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Information, AppTitle, text, QMessageBox::Ok, parent);
    box.exec();
}

void TQtPrompts::Error(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, AppTitle, text, QMessageBox::Ok, parent);
    box.exec();
}

int TQtPrompts::ExecDialog(QDialog& dialog) { return dialog.exec(); }

} // namespace ivra
