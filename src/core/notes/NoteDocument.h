#pragma once
// The notepad's document: paragraphs of formatted runs, as much formatting as
// the notepad can express (font, size, bold, italic, underline and colour of
// characters; alignment, indents and bullets of paragraphs).
//
// Text is UTF-8. A run's text never holds a paragraph break; a line break
// inside a paragraph is U+2028 (NoteLineBreak) and a tab is '\t'. Indents are
// in twips (1/20 point), sizes in half points, as Rich Text Format keeps them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ivra {

enum class TNoteAlign : std::uint8_t { Left, Center, Right };

// A colour of 0xRRGGBB, or NoteAutoColor for the reader's default text colour.
inline constexpr std::uint32_t NoteAutoColor = 0xFFFFFFFFu;

// The line break inside a paragraph (U+2028), in UTF-8.
inline constexpr std::string_view NoteLineBreak = "\xE2\x80\xA8";

struct TNoteCharFormat {
    int font = 0;          // index into TNoteDocument::fonts
    int halfPoints = 0;    // size in half points; 0 for the editor's default size
    bool bold = false;
    bool italic = false;
    bool underline = false;
    std::uint32_t color = NoteAutoColor;
    friend bool operator==(const TNoteCharFormat&, const TNoteCharFormat&) = default;
};

struct TNoteRun {
    std::string text;
    TNoteCharFormat format;
    friend bool operator==(const TNoteRun&, const TNoteRun&) = default;
};

// The small members come together: a document of a million empty lines is
// mostly paragraphs, 40 bytes each.
struct TNoteParagraph {
    int firstIndent = 0; // twips, relative to the left indent
    int leftIndent = 0;
    int rightIndent = 0;
    TNoteAlign align = TNoteAlign::Left;
    bool bullet = false;
    std::vector<TNoteRun> runs;

    // Appends text in this format; joins the last run when its format is the same.
    void Append(std::string_view text, const TNoteCharFormat& format);
    std::string Text() const;
    friend bool operator==(const TNoteParagraph&, const TNoteParagraph&) = default;
};

struct TNoteDocument {
    // Font names; an empty name stands for the editor's default font.
    std::vector<std::string> fonts;
    std::vector<TNoteParagraph> paragraphs;

    // The index of the font of this name, appended when it is not there yet.
    int FontIndex(std::string_view name);
    // The font name of a format; empty for an index outside the table.
    const std::string& FontName(const TNoteCharFormat& format) const;
};

// Limits that keep a hostile file from exhausting memory: the size of a notes
// file, and the number of paragraphs plus runs a reader builds.
inline constexpr std::size_t MaxNoteFileBytes = std::size_t(32) << 20;
inline constexpr std::size_t MaxNoteElements = 4'000'000;

// The plain text: one line per paragraph, each ended by LF, list markers left
// out, a line break inside a paragraph written as LF. Empty paragraphs at the
// end of the document are left out (word processors end documents with them).
std::string NotePlainText(const TNoteDocument& doc);

// Reads plain text into paragraphs, one per line (LF, CR LF or CR). UTF-8
// with or without a byte-order mark, UTF-16 with a byte-order mark; bytes
// that are not UTF-8 are read as Windows-1252. Control characters other than
// the tab are dropped. Throws Error for data with zero bytes that is not
// UTF-16 (not a text file) and for more than maxLines lines.
TNoteDocument ReadNotePlainText(std::string_view data, std::size_t maxLines = MaxNoteElements);

} // namespace ivra
