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

// Replaces the text document's content (its undo history is cleared).
void NoteToTextDocument(const TNoteDocument& note, QTextDocument& doc);
TNoteDocument NoteFromTextDocument(const QTextDocument& doc);

// A block's indents in twips, and back (pixels = twips / 15).
void BlockIndents(const QTextBlockFormat& f, int& firstIndent, int& leftIndent, int& rightIndent);
void SetBlockIndents(QTextBlockFormat& f, int firstIndent, int leftIndent, int rightIndent);

} // namespace ivra
