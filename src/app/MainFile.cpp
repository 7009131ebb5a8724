// The main window's File commands: New, Open, Close, Save and Save As.

#include "app/MainForm.h"

#include "app/NewImageUnit.h"
#include "imagewin/ChildWin.h"
#include "imagewin/PictureLoader.h"
#include "services/Prompts.h"

#include <QMdiArea>
#include <QSpinBox>

namespace ivra {

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

void TMainForm::SaveImage(TMDIChild& w) { w.Document().Save(*this, this); }

void TMainForm::SaveImageAs(TMDIChild& w) { w.Document().SaveAs(*this, this); }

bool TMainForm::QuerySaveImage(TMDIChild& w) { return w.Document().QuerySave(*this, &w); }

} // namespace ivra
