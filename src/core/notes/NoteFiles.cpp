#include "core/notes/NoteFiles.h"

#include "core/Error.h"
#include "core/io/FileIO.h"
#include "core/notes/Rtf.h"

#include <new>

namespace ivra {

std::optional<TNoteFileType> NoteFileTypeOfPath(const std::string& path) {
    std::string ext = FileExtension(path);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (ext == ".rtf") return TNoteFileType::Rtf;
    if (ext == ".txt") return TNoteFileType::PlainText;
    return std::nullopt;
}

TNoteDocument LoadNoteFile(const std::string& path, TNoteFileType type) {
    const auto bytes = ReadWholeFile(path, MaxNoteFileBytes);
    const std::string_view data(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    try {
        if (type == TNoteFileType::Rtf && LooksLikeRtf(data)) return ReadRtf(data);
        return ReadNotePlainText(data);
    } catch (const Error& e) {
        throw Error("Cannot read \"" + path + "\": " + e.what());
    } catch (const std::bad_alloc&) {
        throw Error("Cannot read \"" + path + "\": out of memory");
    }
}

std::string NoteFileBytes(const TNoteDocument& doc, TNoteFileType type) {
    return type == TNoteFileType::Rtf ? WriteRtf(doc) : NotePlainText(doc);
}

void SaveNoteFile(const std::string& path, const TNoteDocument& doc, TNoteFileType type) {
    WriteFileAtomically(path, NoteFileBytes(doc, type));
}

} // namespace ivra
