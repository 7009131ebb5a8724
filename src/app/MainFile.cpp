// The main window's File commands: New, Open, Close, Save and Save As.

#include "app/MainForm.h"

#include "services/Busy.h"
#include "app/NewImageUnit.h"
#include "services/Prompts.h"
#include "core/Error.h"
#include "core/codecs/ImageFiles.h"
#include "imagewin/ChildWin.h"
#include "imagewin/PictureLoader.h"
#include "processing/ImageCommand.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QSpinBox>

namespace ivra {

namespace {

// The format Save writes for a window's name (the core decides by extension).
TImageFormat SaveFormatOf(const QString& name) { return SaveFormatFromName(QFile::encodeName(name).toStdString()); }

const QString SaveFilter = QStringLiteral(
    "JPEG Image File (*.jpg);;Bitmaps (*.bmp);;Portable Network Graphics (*.png)");

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

void TMainForm::SaveImage(TMDIChild& w) {
    const QString name = w.ImageName();
    // A new image, or one whose name gives no format the program writes
    // (an icon, a TIFF ...): ask for a name.
    if (name == QLatin1String("Untitled") || SaveFormatOf(name) == TImageFormat::Unknown) {
        SaveImageAs(w);
        return;
    }
    const std::string path = QFile::encodeName(name).toStdString();
    const TBitmap32& bmp = w.ImgView->Bitmap();
    std::uint8_t filter = w.PngFilter;
    std::string written;
    // A large PNG takes seconds (five filter trials, then the file): the
    // status bar shows the save and its seconds after a second, as for the
    // filters, and the windows go on painting; clicks meanwhile wait for the
    // end of the save.
    RunWithProgress(*this, QStringLiteral("Saving %1").arg(FileNamePart(name)),
                    [&] { RunBusy([&] { written = SaveImageFile(bmp, path, filter); }); });
    w.PngFilter = filter;
    // The PNG writer names the file with ".png"; the window follows the name
    // actually written (x.PNG is saved as x.png).
    if (written != path) w.SetImageName(QFile::decodeName(written.c_str()));
    w.Document().Modified = false;
}

void TMainForm::SaveImageAs(TMDIChild& w) {
    TFileDialogRequest r;
    r.Caption = QStringLiteral("Save As");
    r.Filter = SaveFilter;
    r.DefaultSuffix = QStringLiteral("jpg");
    if (w.ImageName() != QLatin1String("Untitled") && !w.ImageName().isEmpty()) {
        const QFileInfo current(w.ImageName());
        r.Directory = current.absolutePath();
        r.FileName = current.fileName();
    }
    QString name = AppPrompts().GetSaveFileName(this, r);
    if (name.isEmpty()) return;
    // A name typed without an extension gets the default one.
    const QString file = FileNamePart(name);
    if (!file.contains(QLatin1Char('.')))
        name += QStringLiteral(".jpg");
    else if (file.endsWith(QLatin1Char('.')))
        name += QStringLiteral("jpg");
    if (SaveFormatOf(name) == TImageFormat::Unknown)
        throw Error("Cannot save the image as " + FileNamePart(name).toStdString() +
                    ": the name must end in .jpg, .bmp or .png.");
    if (QFileInfo::exists(name)) {
        const auto answer = AppPrompts().Confirm(this, QStringLiteral("OK to overwrite %1").arg(name),
                                                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                                 QMessageBox::No);
        if (answer != QMessageBox::Yes) return;
    }
    w.SetImageName(name.left(255));
    SaveImage(w);
}

} // namespace ivra
