#include "notepad/NotepadSetup.h"

#include "notepad/RichEdit.h"
#include "services/Shell.h"
#include "services/ToolWindows.h"

namespace ivra {

void InstallNotepad(TShell& shell) {
    CreateEditForm(shell);

    TCommandSpec editor;
    editor.Id = QStringLiteral("EditorItem");
    editor.Caption = QStringLiteral("&Editor");
    editor.Hint = QStringLiteral("Notepad tool|Opens a rich-text-format notepad.");
    editor.Icon = QStringLiteral("notepad");
    editor.Menu = MenuIds::Tools;
    editor.MenuOrder = 50;
    editor.Toolbar = QStringLiteral("tbSpecials");
    editor.ToolbarOrder = 60;
    editor.Run = [&shell] { ShowToolWindow(EditForm(shell)); };
    shell.Commands().Add(editor);

    // On exit the notepad asks to save an unsaved document before anything
    // hides; its Cancel keeps the program running.
    shell.AddCloseQuery([&shell] {
        TfrmEdit* edit = EditForm(shell);
        return !edit || !edit->isVisible() || edit->close();
    });
}

} // namespace ivra
