#pragma once
// TDocumentFile: the one file flow of every window that saves a document
// (an image, the spreadsheet, a note, a statistics table, the profile's
// table, a chart). The window declares the file types it writes, each with
// its dialog filter, its extensions and its writer; the flow does the rest,
// the same way everywhere:
//
//  - the save question "Save changes to %s?" (Yes saves, No discards,
//    Cancel abandons; Yes goes on only when the document was written);
//  - Save writes the document's own file in its type, and runs Save As for
//    an untitled document, one opened read-only, or one whose type is not
//    known;
//  - Save As proposes the document's name with the extension of the type
//    offered; the type follows the chosen name: a name ending in one of the
//    types' extensions is written in that type, a bare name gets the
//    extension of the type picked in the dialog;
//  - a file that is read-only is refused, and any other existing file asks
//    "OK to overwrite %s" (only Yes writes);
//  - the writers go through the core's safe writer, so a failed write
//    leaves the old file whole, and the document keeps its name, type and
//    modified flag.
//
// Every question goes through the Prompts door. The flow holds one file
// name per document: a window with two documents has two flows.

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace ivra {

// One type a document can be written as.
struct TDocumentFileType {
    QString Filter;         // the dialog's name filter, e.g. "HTML files (*.html)"
    QStringList Extensions; // without the dot; the first is given to a bare name
    // Writes the document to path (through WriteFileAtomically or
    // TAtomicFileWriter). A writer that names the file otherwise (the PNG
    // writer's ".png") sets path to the name it wrote.
    std::function<void(QString& path)> Write;
};

class TDocumentFile {
public:
    static const QString Untitled;

    TDocumentFile(QWidget* window, QList<TDocumentFileType> types);

    // ---- Settings -------------------------------------------------------------
    QString DialogCaption = QStringLiteral("Save As");
    // The dialog's folder while the document has no file and no name was
    // chosen yet ("" for the current folder).
    QString Directory;
    // A name whose extension is none of the types' is refused (the image
    // formats); otherwise it is written as the type picked in the dialog.
    bool RequireTypeExtension = false;
    // Where the modified flag lives when the document keeps its own (the
    // notepad's text document); unset, the flow's own flag counts.
    std::function<bool()> IsModified;
    // Called when the document's name, read-only state or modified flag
    // changed through the flow (Save, Save As, SetFileName, New): the
    // window sets its caption and clears its own modified flag.
    std::function<void()> Changed;
    // Called after the document was written under its name (Save, Save
    // As): a window that keeps its own modified flag clears it.
    std::function<void()> Saved;

    // ---- State ------------------------------------------------------------------
    const QString& FileName() const { return fileName_; }
    bool IsUntitled() const { return fileName_ == Untitled; }
    // The type Save writes (-1: none of the types, so Save asks).
    int CurrentType() const { return type_; }
    bool Modified() const { return IsModified ? IsModified() : modified_; }
    void SetModified(bool modified);
    bool ReadOnly() const { return readOnly_; }
    // The document now is the file path (opened or dropped), of the given
    // type, or of the type its extension names when type is -1.
    void SetFileName(const QString& path, int type = -1, bool readOnly = false);
    // A new, untitled, unmodified document (of the same type).
    void Clear();
    // The index of the type an extension-bearing name belongs to (-1: none).
    int TypeOfName(const QString& path) const;
    const QList<TDocumentFileType>& Types() const { return types_; }

    // ---- The flow (false: nothing was written) ----------------------------------
    // "Save changes to %s?" when modified; false when the operation that asked
    // is to be abandoned (Cancel, or Yes and the save did not happen).
    bool QuerySave();
    bool Save();
    bool SaveAs();
    // Writes a copy in one of the given types (an export): the dialog, the
    // read-only and overwrite checks and the safe writer as for Save As, but
    // the document keeps its name, type and modified flag.
    bool SaveCopy(const QList<TDocumentFileType>& types);

private:
    struct TTarget {
        QString Path;
        int Type = -1;
    };
    // The save dialog over types, then the name's extension and type, the
    // read-only check and the overwrite question. Path "" when abandoned.
    TTarget AskTarget(const QList<TDocumentFileType>& types, int offered);
    void Write(const TDocumentFileType& type, QString& path) const;
    void Notify();

    QWidget* window_;
    QList<TDocumentFileType> types_;
    QString fileName_ = Untitled;
    QString lastDialogPath_;
    int type_ = 0;
    bool modified_ = false;
    bool readOnly_ = false;
};

// The index of the filter among the types (-1 when none has it).
int FileTypeOfFilter(const QList<TDocumentFileType>& types, const QString& filter);

// True when path names an existing file that may not be written: no write
// permission bit is set for anyone, or the user may not write it.
bool IsReadOnlyFile(const QString& path);

} // namespace ivra
