#include "notepad/NoteTextDocument.h"

#include "core/Error.h"
#include "core/notes/Utf8.h"

#include <QColor>
#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <tuple>

namespace ivra {

namespace {

constexpr int MaxIndentTwips = 31680;

int PixelsToTwips(qreal pixels) {
    return int(std::clamp<qreal>(std::round(pixels * 15), -MaxIndentTwips, MaxIndentTwips));
}

QTextBlockFormat BlockFormat(const TNoteParagraph& p) {
    QTextBlockFormat f;
    f.setAlignment(p.align == TNoteAlign::Center  ? Qt::AlignHCenter
                   : p.align == TNoteAlign::Right ? Qt::AlignRight
                                                  : Qt::AlignLeft);
    SetBlockIndents(f, p.firstIndent, p.leftIndent, p.rightIndent);
    return f;
}

QTextListFormat BulletFormat() {
    QTextListFormat f;
    f.setStyle(QTextListFormat::ListDisc);
    f.setIndent(1);
    return f;
}

} // namespace

void BlockIndents(const QTextBlockFormat& f, int& firstIndent, int& leftIndent, int& rightIndent) {
    firstIndent = PixelsToTwips(f.textIndent());
    leftIndent = PixelsToTwips(f.leftMargin());
    rightIndent = PixelsToTwips(f.rightMargin());
}

void SetBlockIndents(QTextBlockFormat& f, int firstIndent, int leftIndent, int rightIndent) {
    f.setTextIndent(firstIndent / 15.0);
    f.setLeftMargin(leftIndent / 15.0);
    f.setRightMargin(rightIndent / 15.0);
}

namespace {

// The longest word of a paragraph in characters: the longest stretch
// without a space, a tab or a line break. Ideographs and other characters
// of the scripts written without spaces (U+2E80 and above, below the
// surrogates) allow a break after each one, so they end a word too.
std::size_t LongestWord(const TNoteParagraph& p) {
    std::size_t longest = 0, word = 0;
    for (const TNoteRun& r : p.runs) {
        const std::string_view text = r.text;
        for (std::size_t i = 0; i < text.size();) {
            std::uint32_t cp = 0xFFFD;
            const std::size_t n = DecodeUtf8(text, i, cp);
            i += n == 0 ? 1 : n;
            const bool breaks = cp == ' ' || cp == '\t' || cp == 0x2028 || (cp >= 0x2E80 && cp < 0xD800);
            word = breaks ? 0 : word + 1;
            longest = std::max(longest, word);
        }
    }
    return longest;
}

} // namespace

void CheckNoteLayoutLimits(const TNoteDocument& note) {
    const TNoteLayoutLimits& limit = NoteLayoutLimits;
    auto refuse = [](const std::string& what, std::size_t most) {
        throw Error("the notepad cannot lay out " + what + " (it takes at most " + std::to_string(most) +
                    "); ivra-cli notes-text and notes-convert read the file");
    };
    if (note.paragraphs.size() > limit.Paragraphs)
        refuse(std::to_string(note.paragraphs.size()) + " paragraphs", limit.Paragraphs);
    for (std::size_t i = 0; i < note.paragraphs.size(); ++i) {
        const TNoteParagraph& p = note.paragraphs[i];
        const std::string where = "paragraph " + std::to_string(i + 1);
        if (p.runs.size() > limit.RunsPerParagraph)
            refuse(where + " with " + std::to_string(p.runs.size()) + " format changes", limit.RunsPerParagraph);
        std::size_t bytes = 0;
        for (const TNoteRun& r : p.runs) bytes += r.text.size();
        if (bytes > limit.ParagraphBytes)
            refuse(where + " of " + std::to_string(bytes) + " bytes", limit.ParagraphBytes);
        if (bytes > limit.WordChars) {
            const std::size_t word = LongestWord(p);
            if (word > limit.WordChars)
                refuse(where + " with a word of " + std::to_string(word) + " characters", limit.WordChars);
        }
    }
}

void NoteToTextDocument(const TNoteDocument& note, QTextDocument& doc) {
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false); // also drops the history
    doc.clear();
    QList<QString> fonts;
    for (const auto& name : note.fonts) fonts << QString::fromStdString(name);
    // Formats repeat; each distinct one is made once.
    std::map<std::tuple<int, int, int, std::uint32_t>, QTextCharFormat> formats;
    auto charFormat = [&](const TNoteCharFormat& f) -> const QTextCharFormat& {
        const auto key = std::make_tuple(f.font, f.halfPoints,
                                         int(f.bold) | int(f.italic) << 1 | int(f.underline) << 2, f.color);
        auto it = formats.find(key);
        if (it != formats.end()) return it->second;
        QTextCharFormat cf;
        if (f.font >= 0 && f.font < fonts.size() && !fonts[f.font].isEmpty()) cf.setFontFamilies({fonts[f.font]});
        if (f.halfPoints > 0) cf.setFontPointSize(f.halfPoints / 2.0);
        if (f.bold) cf.setFontWeight(QFont::Bold);
        if (f.italic) cf.setFontItalic(true);
        if (f.underline) cf.setFontUnderline(true);
        if (f.color != NoteAutoColor) cf.setForeground(QColor::fromRgb(f.color & 0xFFFFFF));
        return formats.emplace(key, cf).first->second;
    };

    QTextCursor c(&doc);
    c.beginEditBlock();
    QTextList* list = nullptr;
    for (std::size_t i = 0; i < note.paragraphs.size(); ++i) {
        const TNoteParagraph& p = note.paragraphs[i];
        const QTextCharFormat first = p.runs.empty() ? QTextCharFormat() : charFormat(p.runs.front().format);
        if (i == 0) {
            c.setBlockFormat(BlockFormat(p));
            c.setBlockCharFormat(first);
        } else {
            c.insertBlock(BlockFormat(p), first);
        }
        if (p.bullet) {
            if (list) list->add(c.block());
            else list = c.createList(BulletFormat());
        } else {
            list = nullptr;
        }
        for (const TNoteRun& r : p.runs) c.insertText(QString::fromStdString(r.text), charFormat(r.format));
    }
    c.endEditBlock();
    doc.setUndoRedoEnabled(undo);
    doc.setModified(false);
}

TNoteDocument NoteFromTextDocument(const QTextDocument& doc) {
    TNoteDocument note;
    QHash<QString, int> fontIndex;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        TNoteParagraph& p = note.paragraphs.emplace_back();
        const QTextBlockFormat bf = b.blockFormat();
        const Qt::Alignment a = bf.alignment() & Qt::AlignHorizontal_Mask;
        p.align = a & Qt::AlignHCenter ? TNoteAlign::Center
                  : (a & Qt::AlignRight) || (a & Qt::AlignTrailing && b.textDirection() == Qt::LeftToRight)
                      ? TNoteAlign::Right
                      : TNoteAlign::Left;
        BlockIndents(bf, p.firstIndent, p.leftIndent, p.rightIndent);
        p.bullet = b.textList() != nullptr;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.isValid()) continue;
            QString text = frag.text();
            // Pictures and other objects have no text of their own.
            text.remove(QChar::ObjectReplacementCharacter);
            if (text.isEmpty()) continue;
            const QTextCharFormat cf = frag.charFormat();
            TNoteCharFormat f;
            const QString family = cf.fontFamilies().toStringList().value(0);
            auto known = fontIndex.find(family);
            if (known == fontIndex.end()) known = fontIndex.insert(family, note.FontIndex(family.toStdString()));
            f.font = *known;
            if (cf.hasProperty(QTextFormat::FontPointSize))
                f.halfPoints = std::clamp(int(std::lround(cf.fontPointSize() * 2)), 1, 3276);
            f.bold = cf.fontWeight() >= QFont::DemiBold;
            f.italic = cf.fontItalic();
            f.underline = cf.fontUnderline();
            if (cf.hasProperty(QTextFormat::ForegroundBrush) && cf.foreground().style() != Qt::NoBrush)
                f.color = cf.foreground().color().rgb() & 0xFFFFFF;
            p.Append(text.toStdString(), f);
        }
    }
    return note;
}

} // namespace ivra
