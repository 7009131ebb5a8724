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
    if (type == TNoteFileType::Rtf) return WriteRtf(doc);
    std::string text = NotePlainText(doc);
    if (text.size() > MaxNoteFileBytes)
        throw Error("as plain text the document takes more than " + std::to_string(MaxNoteFileBytes >> 20) +
                    " MiB, more than a notes file may have to be read again");
    return text;
}

void SaveNoteFile(const std::string& path, const TNoteDocument& doc, TNoteFileType type) {
    // The bytes are made (or refused) before the file is touched.
    std::string bytes;
    try {
        bytes = NoteFileBytes(doc, type);
    } catch (const Error& e) {
        throw Error("Cannot write \"" + path + "\": " + e.what());
    }
    WriteFileAtomically(path, bytes);
}

} // namespace ivra
