#pragma once
// Notes files: Rich Text Format or plain text, read and written as the
// notepad and the batch tool do.

#include "core/notes/NoteDocument.h"

#include <optional>
#include <string>

namespace ivra {

enum class TNoteFileType { Rtf, PlainText };

// The type an output file's extension asks for: ".rtf" or ".txt", in any case.
std::optional<TNoteFileType> NoteFileTypeOfPath(const std::string& path);

// Reads a notes file. As Rtf, a file that does not start as RTF is read as
// plain text, as a rich-text editor shows any text file; as PlainText the
// file is always plain text. Errors name the file: "Cannot read "path": ...".
TNoteDocument LoadNoteFile(const std::string& path, TNoteFileType type);

// The document as the bytes of a file of this type; Error when they would
// be more than MaxNoteFileBytes.
std::string NoteFileBytes(const TNoteDocument& doc, TNoteFileType type);

// Writes the document through the safe writer. A document whose file would
// be larger than the readers take (MaxNoteFileBytes) is refused with Error
// before the file is touched.
void SaveNoteFile(const std::string& path, const TNoteDocument& doc, TNoteFileType type);

} // namespace ivra
