#pragma once
// TfrmEdit: the rich-text notepad. One document at a time in a QTextEdit,
// read from and written to Rich Text Format or plain text through the core's
// notes reader and writer, with a toolbar for font, size, styles, alignment
// and bullets, a ruler whose three markers set the paragraph's indents, a
// status bar with the caret position and the modified mark, and printing.
//
// The window is made once, hidden (CreateEditForm); the main window shows it.
// Closing it asks the save question and then empties it.

#include "core/notes/NoteDocument.h"
#include "services/DocumentFile.h"
#include "services/Prompts.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QTextEdit>

#include <memory>

class QAction;
class QActionGroup;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPrinter;
class QTextBlockFormat;
class QTextCharFormat;

namespace ivra {

class TShell;
class TUpDown;
class TfrmEdit;

// The editor: a QTextEdit whose formatting rectangle is inset on the left and
// right and which hands dropped files to the window.
class TNoteEditor : public QTextEdit {
    Q_OBJECT
public:
    explicit TNoteEditor(TfrmEdit* form);
    // The text area inside the control: inset pixels narrower on each side.
    void SetTextInset(int inset);

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    TfrmEdit* form_;
};

// One of the ruler's three markers; its mouse input goes to the window.
class TRulerMarker : public QWidget {
    Q_OBJECT
public:
    enum class TKind { First, Left, Right };
    TRulerMarker(TKind kind, QWidget* ruler, TfrmEdit* form);
    TKind Kind() const { return kind_; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    TKind kind_;
    TfrmEdit* form_;
};

class TfrmEdit : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmEdit(QWidget* parent = nullptr);
    ~TfrmEdit() override;

    // ---- Controls
    TNoteEditor* Editor = nullptr;
    QAction* FileNewCmd = nullptr;
    QAction* FileOpenCmd = nullptr;
    QAction* FileSaveCmd = nullptr;
    QAction* FileSaveAsCmd = nullptr;
    QAction* FilePrintCmd = nullptr;
    QAction* FileExitCmd = nullptr;
    QAction* EditUndoCmd = nullptr;
    QAction* EditCutCmd = nullptr;
    QAction* EditCopyCmd = nullptr;
    QAction* EditPasteCmd = nullptr;
    QAction* EditFontCmd = nullptr;
    QComboBox* FontName = nullptr;
    QLineEdit* FontSize = nullptr;
    TUpDown* UpDown1 = nullptr;
    QAction* BoldButton = nullptr;
    QAction* ItalicButton = nullptr;
    QAction* UnderlineButton = nullptr;
    QAction* LeftAlign = nullptr;
    QAction* CenterAlign = nullptr;
    QAction* RightAlign = nullptr;
    QAction* BulletsButton = nullptr;
    QWidget* Ruler = nullptr;
    QFrame* RulerLine = nullptr;
    TRulerMarker* FirstInd = nullptr;
    TRulerMarker* LeftInd = nullptr;
    TRulerMarker* RightInd = nullptr;
    QLabel* StatusPanel(int index) const { return panels_[index]; }

    // ---- State
    // The current file name ("Untitled" for a new document).
    const QString& FileName() const { return file_->FileName(); }
    // The document's file: its name, type and the save flow.
    TDocumentFile& File() { return *file_; }
    // The file types: RTF first, then plain text.
    enum { RtfType = 0, TextType = 1 };
    // The plain-text switch: load and save as plain text instead of RTF (the
    // file type last opened or saved).
    bool PlainText() const { return file_->CurrentType() == TextType; }
    // The file loaded each time the window is shown: the program's first
    // argument that is not an option, when it names an existing file. Tests
    // may set it.
    QString StartupFile;

    // ---- Commands
    void FileNew();
    void FileOpen();
    // Save: Save As for an untitled document. Both return whether the
    // document was written.
    bool FileSave();
    bool FileSaveAs();
    void FilePrint();
    // Prints the document with the current file name as the job title.
    void PrintTo(QPrinter& printer);
    void FileExit();
    void EditUndo();
    void EditCut();
    void EditCopy();
    void EditPaste();
    void SelectFont();
    void FontNameChange(const QString& name);
    void FontSizeChange();
    void BoldButtonClick(bool down);
    void ItalicButtonClick(bool down);
    void UnderlineButtonClick(bool down);
    void AlignButtonClick(QAction* button);
    void BulletsButtonClick(bool down);
    // Reads a file as RTF or plain text (by the switch when type is -1),
    // read-only or not. A file that cannot be read throws and leaves text,
    // file name and modified flag as they were.
    void LoadDocument(const QString& path, int type = -1, bool readOnly = false);
    // Puts the note into the editor as a new text document (undo history
    // and modified flag cleared), without the checks of LoadDocument.
    void ShowNote(const TNoteDocument& note);
    // Asks "Save changes to %s?" when the document is modified; false when
    // the operation that asked is abandoned (Cancel, or Yes with a Save As
    // that was cancelled).
    bool QuerySaveChanges();
    // Loads the first dropped file, after the save question.
    void DropFiles(const QStringList& paths);
    // Sets the toolbar and the ruler from the selection and shows the caret
    // position.
    void SelectionChange();
    // Sets Cut, Copy, Undo and Paste enabled by the editor's state.
    void ActionList2Update();

    // ---- Ruler input (X inside the marker)
    void RulerItemMouseDown(TRulerMarker* marker, int x);
    void RulerItemMouseMove(TRulerMarker* marker, int x);
    void RulerItemMouseUp(TRulerMarker* marker);

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void CreateActions();
    void CreateToolBar();
    void CreateRuler();
    void ShowFileName();
    void WriteDocument(const QString& path, bool plainText);
    void ShowCaretPosition();
    void ConnectDocument();
    // Puts the three ruler markers at the current paragraph's indents.
    void PlaceRulerMarkers();
    void RichEditChange();
    // The font commands act on the selection, or on the attributes of the
    // text typed next when nothing is selected.
    void ApplyToActiveAttributes(const QTextCharFormat& format);
    void SetParagraphIndents(int first, int left, int right);

    std::unique_ptr<TDocumentFile> file_;
    QActionGroup* alignGroup_ = nullptr;
    QLabel* panels_[3] = {nullptr, nullptr, nullptr};
    bool updating_ = false;
    bool dragging_ = false;
    int dragOffset_ = 0;
    bool dropsAccepted_ = false;
};

// The program's notepad window (none before it is made).
TfrmEdit* EditForm(TShell& shell);
TfrmEdit* CreateEditForm(TShell& shell);

} // namespace ivra
