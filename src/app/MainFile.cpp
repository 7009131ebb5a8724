// The main window's File commands: New, Open, Close, Save and Save As.

#include "app/MainForm.h"

#include "services/Busy.h"
#include "app/NewImageUnit.h"
#include "services/DocumentFile.h"
#include "services/FileNames.h"
#include "services/Prompts.h"
#include "core/Error.h"
#include "core/codecs/ImageFiles.h"
#include "imagewin/ChildWin.h"
#include "imagewin/PictureLoader.h"
#include "processing/ImageCommand.h"

#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QSpinBox>

namespace ivra {

namespace {

// Writes the window's image to its name in the format of the extension; the
// PNG writer names the file with ".png" (x.PNG is saved as x.png), and the
// window follows the name actually written.
void WriteImage(TShell& shell, TMDIChild& w, QString& path) {
    // Save As names the window before it writes: a failed write keeps the
    // new name (too long a name stops here, before anything is written).
    w.SetImageName(path.left(255));
    const std::string native = QFile::encodeName(w.ImageName()).toStdString();
    const TBitmap32& bmp = w.ImgView->Bitmap();
    std::uint8_t filter = w.PngFilter;
    std::string written;
    // A large PNG takes seconds (five filter trials, then the file): the
    // status bar shows the save and its seconds after a second, as for the
    // filters, and the windows go on painting; clicks meanwhile wait for the
    // end of the save.
    RunWithProgress(shell, QStringLiteral("Saving %1").arg(FileNamePart(w.ImageName())),
                    [&] { RunBusy([&] { written = SaveImageFile(bmp, native, filter); }); });
    w.PngFilter = filter;
    path = QFile::decodeName(written.c_str());
    if (path != w.ImageName()) w.SetImageName(path);
}

// The image window's document file: JPEG, bitmap and PNG, by the name's
// extension; a name of another extension is refused.
TDocumentFile ImageFile(TShell& shell, QWidget* parent, TMDIChild& w) {
    const auto write = [&shell, &w](QString& path) { WriteImage(shell, w, path); };
    TDocumentFile file(parent, {
                                   {QStringLiteral("JPEG Image File (*.jpg)"), {QStringLiteral("jpg"), QStringLiteral("jpeg")}, write},
                                   {QStringLiteral("Bitmaps (*.bmp)"), {QStringLiteral("bmp")}, write},
                                   {QStringLiteral("Portable Network Graphics (*.png)"), {QStringLiteral("png")}, write},
                               });
    file.RequireTypeExtension = true;
    file.IsModified = [&w] { return w.Document().Modified; };
    file.Saved = [&w] { w.Document().Modified = false; };
    if (w.ImageName() != QLatin1String("Untitled") && !w.ImageName().isEmpty()) file.SetFileName(w.ImageName());
    return file;
}

} // namespace

void TMainForm::FileNewItemClick() {
    TNewImageForm& dlg = NewImageDialog();
    if (AppPrompts().ExecDialog(dlg) != QDialog::Accepted) return;
    TMDIChild* w = NewImageWindow(QStringLiteral("Untitled"));
    w->NewImage(dlg.ImageWidth()->value(), dlg.ImageHeight()->value(), dlg.SelectedColor32());
}

void TMainForm::FileOpenItemClick() {
    TFileDialogRequest r;
    r.Caption = QStringLiteral("Open");
    r.Directory = OpenDir;
    r.Filter = OpenPictureFilter();
    const QString name = AppPrompts().GetOpenFileName(this, r);
    if (name.isEmpty()) return;
    CreateImageWindow(name);
}

void TMainForm::FileCloseItemClick() {
    if (QMdiSubWindow* w = mdiArea_->currentSubWindow()) w->close();
}

void TMainForm::FileSaveItemClick() {
    if (TMDIChild* w = ActiveImageWindow()) SaveImage(*w);
}

void TMainForm::FileSaveAsItemClick() {
    if (TMDIChild* w = ActiveImageWindow()) SaveImageAs(*w);
}

void TMainForm::SaveImage(TMDIChild& w) { ImageFile(*this, this, w).Save(); }

void TMainForm::SaveImageAs(TMDIChild& w) { ImageFile(*this, this, w).SaveAs(); }

bool TMainForm::QuerySaveImage(TMDIChild& w) { return ImageFile(*this, &w, w).QuerySave(); }

} // namespace ivra
