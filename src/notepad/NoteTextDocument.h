#pragma once
// The thin adapter between the core's notes document and the QTextDocument
// the notepad edits.
//
// Indents become block margins in pixels (one point is 4/3 pixels, so a twip
// is 1/15 pixel) and come back as twips exactly; bullets become a disc list;
// a run's empty font name and size 0 leave the document's default font in
// force.

#include "core/notes/NoteDocument.h"

#include <QTextBlockFormat>

class QTextDocument;

namespace ivra {

// The largest documents the editor lays out within about a second and keeps
// typeable (bench_notepad's BM_WorstShape measures each shape at its limit).
// Qt's line breaking grows with the square of a word that is longer than a
// line (a million characters without a space take minutes) and of the
// format changes inside such a word, and linearly with the paragraphs. The
// notepad refuses larger documents before it touches the editor.
struct TNoteLayoutLimits {
    std::size_t Paragraphs;
    std::size_t RunsPerParagraph; // format changes in one paragraph
    std::size_t ParagraphBytes;   // UTF-8 bytes of one paragraph
    std::size_t WordChars;        // characters between two spaces, tabs or line breaks
};
inline constexpr TNoteLayoutLimits NoteLayoutLimits{200'000, 5'000, 250'000, 20'000};

// Throws Error with the reason when the document is beyond NoteLayoutLimits.
void CheckNoteLayoutLimits(const TNoteDocument& note);

// Replaces the text document's content (its undo history is cleared).
void NoteToTextDocument(const TNoteDocument& note, QTextDocument& doc);
TNoteDocument NoteFromTextDocument(const QTextDocument& doc);

// A block's indents in twips, and back (pixels = twips / 15).
void BlockIndents(const QTextBlockFormat& f, int& firstIndent, int& leftIndent, int& rightIndent);
void SetBlockIndents(QTextBlockFormat& f, int firstIndent, int leftIndent, int rightIndent);

} // namespace ivra
