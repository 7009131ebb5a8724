// ivra-cli commands on notes: notes-text and notes-convert, through the same
// reader and writer as the notepad.

#include "cli/CliCommand.h"
#include "core/notes/NoteFiles.h"

#include <iostream>

namespace ivra::cli {

namespace {

int NotesText(TCliContext& ctx) {
    ExpectArgs(ctx.args, 1);
    TCliTiming timing(ctx.timing);
    // An RTF file is read as RTF, any other as plain text.
    const TNoteDocument doc = timing.Read([&] { return LoadNoteFile(ctx.args[0], TNoteFileType::Rtf); });
    const std::string text = NotePlainText(doc);
    std::cout.write(text.data(), std::streamsize(text.size()));
    return 0;
}

int NotesConvert(TCliContext& ctx) {
    ExpectArgs(ctx.args, 2);
    const std::string& input = ctx.args[0];
    const std::string& output = ctx.args[1];
    const auto type = NoteFileTypeOfPath(output);
    if (!type) throw TCliUsageError("OUT must end in .rtf or .txt");
    TCliTiming timing(ctx.timing);
    const TNoteDocument doc = timing.Read([&] { return LoadNoteFile(input, TNoteFileType::Rtf); });
    timing.Write([&] { SaveNoteFile(output, doc, *type); });
    return 0;
}

const TCliRegistrar notesTextCommand(
    "notes-text", "notes-text FILE",
    "prints the plain text of an RTF or text file: one line per paragraph, UTF-8 with LF, list markers left out",
    NotesText, 500);
const TCliRegistrar notesConvertCommand(
    "notes-convert", "notes-convert IN OUT",
    "reads an RTF or text file and writes it as RTF (.rtf) or plain text (.txt) by OUT's extension", NotesConvert,
    501);

} // namespace

} // namespace ivra::cli
