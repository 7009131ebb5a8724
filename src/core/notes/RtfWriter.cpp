// The Rich Text Format writer.

#include "core/notes/Rtf.h"

#include "core/Error.h"
#include "core/notes/Utf8.h"

#include <algorithm>
#include <charconv>

namespace ivra {

namespace {

constexpr int DefaultHalfPoints = 24; // RTF's own default size

class TRtfWriter {
public:
    TRtfWriter(const TNoteDocument& doc, std::size_t maxBytes) : doc_(doc), maxBytes_(maxBytes) {}

    std::string Write() {
        out_.reserve(std::min(maxBytes_, 64 + TextSizeEstimate() * 11 / 10));
        Raw("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n");
        WriteFontTable();
        WriteColorTable();
        const TNoteParagraph* previous = nullptr;
        for (const auto& p : doc_.paragraphs) {
            WriteParagraph(p, previous);
            previous = &p;
            if (out_.size() > maxBytes_) TooLarge();
        }
        Raw("}\n");
        if (out_.size() > maxBytes_) TooLarge();
        return std::move(out_);
    }

private:
    std::size_t TextSizeEstimate() const {
        std::size_t n = 0;
        for (const auto& p : doc_.paragraphs)
            for (const auto& r : p.runs) n += r.text.size() + 16;
        return n;
    }

    // A control word, with or without a number. The space that ends it is
    // written only when text follows (Delimit).
    void Word(std::string_view word) {
        out_ += word;
        delimit_ = true;
    }
    void Word(std::string_view word, long long value) {
        out_ += word;
        char buf[24];
        auto res = std::to_chars(buf, buf + sizeof buf, value);
        out_.append(buf, res.ptr);
        delimit_ = true;
    }
    // Output that ends a control word by itself (a brace, a control symbol).
    void Raw(std::string_view text) {
        out_ += text;
        delimit_ = false;
    }
    void Delimit() {
        if (delimit_) out_ += ' ';
        delimit_ = false;
    }

    void WriteFontTable() {
        fontCount_ = std::max<std::size_t>(doc_.fonts.size(), 1);
        bool bullets = std::any_of(doc_.paragraphs.begin(), doc_.paragraphs.end(),
                                   [](const TNoteParagraph& p) { return p.bullet; });
        symbolFont_ = -1;
        Raw("{\\fonttbl");
        for (std::size_t i = 0; i < fontCount_; ++i) {
            const std::string name = i < doc_.fonts.size() ? doc_.fonts[i] : std::string();
            if (name == "Symbol") symbolFont_ = int(i);
            WriteFontEntry(int(i), name, 0);
        }
        // The bullets' marker is written in the Symbol font, as other word
        // processors do, so that readers that know no \pn still show a bullet.
        if (bullets && symbolFont_ < 0) {
            symbolFont_ = int(fontCount_);
            WriteFontEntry(symbolFont_, "Symbol", 2);
        }
        Raw("}\n");
    }

    void WriteFontEntry(int index, std::string_view name, int charset) {
        Raw("{");
        Word("\\f", index);
        Word("\\fnil\\fcharset", charset);
        WriteText(name, true);
        Raw(";}");
    }

    void WriteColorTable() {
        for (const auto& p : doc_.paragraphs)
            for (const auto& r : p.runs)
                if (r.format.color != NoteAutoColor && ColorIndex(r.format.color) == 0)
                    colors_.push_back(r.format.color & 0xFFFFFF);
        Raw("{\\colortbl;");
        for (std::uint32_t c : colors_) {
            Word("\\red", (c >> 16) & 255);
            Word("\\green", (c >> 8) & 255);
            Word("\\blue", c & 255);
            Raw(";");
        }
        Raw("}\n");
    }

    // The colour's \cf number: 0 for automatic or not yet in the table.
    int ColorIndex(std::uint32_t color) const {
        if (color == NoteAutoColor) return 0;
        if (colors_.size() < 8) {
            auto it = std::find(colors_.begin(), colors_.end(), color & 0xFFFFFF);
            return it == colors_.end() ? 0 : int(it - colors_.begin()) + 1;
        }
        if (lookup_.size() != colors_.size()) {
            lookup_.clear();
            for (std::size_t i = 0; i < colors_.size(); ++i) lookup_.push_back({colors_[i], int(i) + 1});
            std::sort(lookup_.begin(), lookup_.end());
        }
        auto it = std::lower_bound(lookup_.begin(), lookup_.end(), std::pair<std::uint32_t, int>(color & 0xFFFFFF, 0));
        return it != lookup_.end() && it->first == (color & 0xFFFFFF) ? it->second : 0;
    }

    [[noreturn]] void TooLarge() const {
        throw Error("as Rich Text Format the document takes more than " + std::to_string(maxBytes_ >> 20) +
                    " MiB, more than a notes file may have to be read again");
    }

    // Paragraph properties stay in force after \par: a paragraph formatted as
    // the one before it needs no \pard (a blank line costs 5 bytes, not 11).
    static bool SameLayout(const TNoteParagraph& a, const TNoteParagraph& b) {
        return !a.bullet && !b.bullet && a.align == b.align && a.firstIndent == b.firstIndent &&
               a.leftIndent == b.leftIndent && a.rightIndent == b.rightIndent;
    }

    void WriteParagraph(const TNoteParagraph& p, const TNoteParagraph* previous) {
        if (!previous || !SameLayout(p, *previous)) WriteParagraphFormat(p);
        for (const auto& r : p.runs) {
            WriteFormat(r.format);
            WriteText(r.text, false);
        }
        Word("\\par");
        Raw("\n");
    }

    void WriteParagraphFormat(const TNoteParagraph& p) {
        Word("\\pard");
        if (p.align == TNoteAlign::Center) Word("\\qc");
        else if (p.align == TNoteAlign::Right) Word("\\qr");
        if (p.bullet) {
            Raw("{");
            Word("\\pntext\\f", symbolFont_);
            Raw("\\'B7");
            Word("\\tab");
            Raw("}{");
            Word("\\*\\pn\\pnlvlblt\\pnf", symbolFont_);
            Word("\\pnindent0");
            Raw("{");
            Word("\\pntxtb");
            Raw("\\'B7}}");
        }
        if (p.firstIndent != 0) Word("\\fi", p.firstIndent);
        if (p.leftIndent != 0) Word("\\li", p.leftIndent);
        if (p.rightIndent != 0) Word("\\ri", p.rightIndent);
    }

    // Writes the control words that change the current character format to f.
    void WriteFormat(const TNoteCharFormat& f) {
        const int font = f.font >= 0 && std::size_t(f.font) < fontCount_ ? f.font : 0;
        const int size = f.halfPoints > 0 ? f.halfPoints : DefaultHalfPoints;
        const int color = ColorIndex(f.color);
        if (font != font_) Word("\\f", font_ = font);
        if (size != size_) Word("\\fs", size_ = size);
        if (f.bold != bold_) Word((bold_ = f.bold) ? "\\b" : "\\b0");
        if (f.italic != italic_) Word((italic_ = f.italic) ? "\\i" : "\\i0");
        if (f.underline != underline_) Word((underline_ = f.underline) ? "\\ul" : "\\ulnone");
        if (color != color_) Word("\\cf", color_ = color);
    }

    // Writes text with RTF's escapes; in a font name a ';' is escaped too.
    void WriteText(std::string_view text, bool fontName) {
        std::size_t i = 0;
        while (i < text.size()) {
            const char c = text[i];
            const auto b = std::uint8_t(c);
            if (b >= 0x20 && b < 0x7F) {
                Delimit();
                if (c == '\\' || c == '{' || c == '}') out_ += '\\';
                if (c == ';' && fontName) out_ += "\\'3b";
                else out_ += c;
                ++i;
                continue;
            }
            std::uint32_t cp = 0xFFFD;
            const std::size_t n = DecodeUtf8(text, i, cp);
            i += n == 0 ? 1 : n;
            if (n == 0) cp = 0xFFFD;
            if (cp == '\t') Word("\\tab");
            else if (cp == 0x2028 || cp == '\n' || cp == '\r') Word("\\line");
            else if (cp < 0x20 || cp == 0x7F) continue;
            else if (cp < 0x10000) WriteUnicode(cp);
            else {
                cp -= 0x10000;
                WriteUnicode(0xD800 + (cp >> 10));
                WriteUnicode(0xDC00 + (cp & 0x3FF));
            }
        }
    }

    // \uN? with N as a signed 16-bit number; the '?' is what readers without
    // Unicode show.
    void WriteUnicode(std::uint32_t unit) {
        Word("\\u", unit < 0x8000 ? long(unit) : long(unit) - 0x10000);
        Raw("?");
    }

    const TNoteDocument& doc_;
    const std::size_t maxBytes_;
    std::string out_;
    std::size_t fontCount_ = 1;
    int symbolFont_ = -1;
    std::vector<std::uint32_t> colors_;
    mutable std::vector<std::pair<std::uint32_t, int>> lookup_;
    // The character format in force, starting from RTF's defaults.
    int font_ = 0, size_ = DefaultHalfPoints, color_ = 0;
    bool delimit_ = false;
    bool bold_ = false, italic_ = false, underline_ = false;
};

} // namespace

std::string WriteRtf(const TNoteDocument& doc, std::size_t maxBytes) { return TRtfWriter(doc, maxBytes).Write(); }

} // namespace ivra
