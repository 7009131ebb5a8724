#pragma once
// Rich Text Format: the notepad's reader and writer.
//
// The writer writes what the document model holds: a font and a colour
// table, paragraphs with \pard, \ql \qc \qr, \fi \li \ri, bullets as \pntext
// with a \pn group, and runs with \f \fs \b \i \ul \cf; characters beyond
// 7-bit ASCII as \uN? with \uc1.
//
// The reader takes that and the files of other word processors: it keeps the
// text and the formatting above, skips pictures, fields' instructions, style
// sheets and unknown destinations, and understands \ansicpg and \fcharset
// code pages, \'hh, \uN with \ucN, \line, \tab and the symbol words. It reads
// without recursion and within bounded memory: a truncated file or one with
// unbalanced braces gives what could be read, groups nested deeper than
// MaxRtfGroupDepth share the innermost kept state.

#include "core/notes/NoteDocument.h"

#include <string>
#include <string_view>

namespace ivra {

inline constexpr std::size_t MaxRtfGroupDepth = 4096;

// Whether the data starts as Rich Text Format does ("{\rtf", after white
// space and a UTF-8 byte-order mark).
bool LooksLikeRtf(std::string_view data);

// Reads Rich Text Format. Throws Error with the reason (no file name) for data
// that is not RTF and for documents of more than maxElements paragraphs, runs,
// fonts and colours together.
TNoteDocument ReadRtf(std::string_view data, std::size_t maxElements = MaxNoteElements);

// Writes Rich Text Format. Throws Error when the result would be larger than
// maxBytes: by default what the reader takes, so that every file written can
// be read again.
std::string WriteRtf(const TNoteDocument& doc, std::size_t maxBytes = MaxNoteFileBytes);

} // namespace ivra
