#include "services/DocumentFile.h"

#include "core/Error.h"
#include "services/Prompts.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

#include <utility>

namespace ivra {

const QString TDocumentFile::Untitled = QStringLiteral("Untitled");

namespace {

// The file-name part of a path and the extension after its last '.' ("" when
// there is none or the name ends in the dot).
QString NamePart(const QString& path) { return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

QString ExtensionOf(const QString& path) {
    const QString name = NamePart(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

int TypeOfName(const QList<TDocumentFileType>& types, const QString& path) {
    const QString ext = ExtensionOf(path);
    if (ext.isEmpty()) return -1;
    for (int i = 0; i < types.size(); ++i)
        for (const QString& e : types[i].Extensions)
            if (ext.compare(e, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

// name with the first extension of the type in place of its own, unless
// its own already belongs to that type.
QString WithExtensionOf(const QList<TDocumentFileType>& types, int type, const QString& name) {
    if (TypeOfName(types, name) == type || types[type].Extensions.isEmpty()) return name;
    QString bare = name;
    const qsizetype dot = bare.lastIndexOf(QLatin1Char('.'));
    if (dot > 0) bare.truncate(dot);
    return bare + QLatin1Char('.') + types[type].Extensions.first();
}

bool SameFile(const QString& a, const QString& b) {
    return QDir::cleanPath(QFileInfo(a).absoluteFilePath()) == QDir::cleanPath(QFileInfo(b).absoluteFilePath());
}

[[noreturn]] void RefuseReadOnly(const QString& path) {
    throw Error("Cannot write \"" + path.toStdString() + "\": the file is read-only.");
}

} // namespace

int FileTypeOfFilter(const QList<TDocumentFileType>& types, const QString& filter) {
    for (int i = 0; i < types.size(); ++i)
        if (types[i].Filter == filter) return i;
    return -1;
}

bool IsReadOnlyFile(const QString& path) {
    const QFileInfo fi(path);
    if (!fi.exists() || !fi.isFile()) return false;
    if (!(fi.permissions() & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther)))
        return true;
    return !fi.isWritable();
}

TDocumentFile::TDocumentFile(QWidget* window, QList<TDocumentFileType> types)
    : window_(window), types_(std::move(types)) {}

void TDocumentFile::SetModified(bool modified) {
    if (modified_ == modified) return;
    modified_ = modified;
    Notify();
}

void TDocumentFile::SetFileName(const QString& path, int type, bool readOnly) {
    fileName_ = path;
    type_ = type >= 0 ? type : TypeOfName(path);
    readOnly_ = readOnly;
    modified_ = false;
    // The next dialog proposes the file the document now is.
    lastDialogPath_.clear();
    Notify();
}

void TDocumentFile::Clear() {
    fileName_ = Untitled;
    readOnly_ = false;
    modified_ = false;
    Notify();
}

int TDocumentFile::TypeOfName(const QString& path) const { return ivra::TypeOfName(types_, path); }

void TDocumentFile::Notify() {
    if (Changed) Changed();
}

bool TDocumentFile::QuerySave() {
    if (!Modified()) return true;
    const auto answer = AppPrompts().Confirm(window_, QStringLiteral("Save changes to %1?").arg(fileName_),
                                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                             QMessageBox::Yes);
    if (answer == QMessageBox::Cancel) return false;
    // Yes goes on only when the document was really written: a cancelled
    // Save As must not lose it.
    if (answer == QMessageBox::Yes) return Save();
    return true;
}

bool TDocumentFile::Save() {
    // A file opened read-only, or one the document cannot write in its own
    // type, is kept: the user chooses another.
    if (IsUntitled() || readOnly_ || type_ < 0 || type_ >= types_.size() || IsReadOnlyFile(fileName_))
        return SaveAs();
    QString path = fileName_;
    Write(types_[type_], path);
    fileName_ = path;
    modified_ = false;
    if (Saved) Saved();
    Notify();
    return true;
}

bool TDocumentFile::SaveAs() {
    const TTarget target = AskTarget(types_, type_ >= 0 && type_ < types_.size() ? type_ : 0);
    if (target.Path.isEmpty()) return false;
    QString path = target.Path;
    Write(types_[target.Type], path);
    fileName_ = path;
    type_ = target.Type;
    readOnly_ = false;
    modified_ = false;
    if (Saved) Saved();
    Notify();
    return true;
}

bool TDocumentFile::SaveCopy(const QList<TDocumentFileType>& types) {
    if (types.isEmpty()) return false;
    const TTarget target = AskTarget(types, 0);
    if (target.Path.isEmpty()) return false;
    QString path = target.Path;
    Write(types[target.Type], path);
    return true;
}

TDocumentFile::TTarget TDocumentFile::AskTarget(const QList<TDocumentFileType>& types, int offered) {
    QStringList filters;
    for (const TDocumentFileType& t : types) filters << t.Filter;
    TFileDialogRequest r;
    r.Caption = DialogCaption;
    r.Filter = filters.join(QStringLiteral(";;"));
    r.SelectedFilter = types[offered].Filter;
    r.DefaultSuffix = types[offered].Extensions.value(0);
    // The last name chosen in this flow, or the document's own; its
    // extension is that of the type offered.
    const QString proposal = !lastDialogPath_.isEmpty() ? lastDialogPath_ : IsUntitled() ? QString() : fileName_;
    if (proposal.isEmpty()) {
        r.Directory = Directory;
    } else {
        const QFileInfo fi(proposal);
        r.Directory = fi.absolutePath();
        r.FileName = WithExtensionOf(types, offered, fi.fileName());
    }
    QString path = AppPrompts().GetSaveFileName(window_, r);
    if (path.isEmpty()) return {};

    // The type follows the name; a bare name takes the type picked.
    int chosen = FileTypeOfFilter(types, r.ChosenFilter);
    if (chosen < 0) chosen = offered;
    TTarget target;
    target.Type = ivra::TypeOfName(types, path);
    if (target.Type < 0) {
        if (ExtensionOf(path).isEmpty()) {
            if (path.endsWith(QLatin1Char('.'))) path.chop(1);
            if (!types[chosen].Extensions.isEmpty()) path += QLatin1Char('.') + types[chosen].Extensions.first();
        } else if (RequireTypeExtension) {
            QStringList endings;
            for (const TDocumentFileType& t : types)
                for (const QString& e : t.Extensions) endings << QLatin1Char('.') + e;
            const QString last = endings.takeLast();
            const QString list = endings.isEmpty() ? last : endings.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
            throw Error("Cannot save as " + NamePart(path).toStdString() + ": the name must end in " +
                        list.toStdString() + ".");
        }
        target.Type = chosen;
    }
    target.Path = path;
    lastDialogPath_ = path;

    if (IsReadOnlyFile(path) || (readOnly_ && SameFile(path, fileName_))) RefuseReadOnly(path);
    if (QFileInfo::exists(path) &&
        AppPrompts().Confirm(window_, QStringLiteral("OK to overwrite %1").arg(path),
                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                             QMessageBox::No) != QMessageBox::Yes)
        return {};
    return target;
}

void TDocumentFile::Write(const TDocumentFileType& type, QString& path) const {
    if (!type.Write) throw Error("No writer for " + path.toStdString() + ".");
    type.Write(path);
}

} // namespace ivra
