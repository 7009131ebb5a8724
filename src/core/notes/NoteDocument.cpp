#include "core/notes/NoteDocument.h"

#include "core/Error.h"
#include "core/notes/CodePages.h"
#include "core/notes/Utf8.h"

#include <algorithm>
#include <cstring>

namespace ivra {

void TNoteParagraph::Append(std::string_view text, const TNoteCharFormat& format) {
    if (text.empty()) return;
    if (!runs.empty() && runs.back().format == format)
        runs.back().text.append(text);
    else
        runs.push_back({std::string(text), format});
}

std::string TNoteParagraph::Text() const {
    std::string s;
    for (const auto& r : runs) s += r.text;
    return s;
}

int TNoteDocument::FontIndex(std::string_view name) {
    for (std::size_t i = 0; i < fonts.size(); ++i)
        if (fonts[i] == name) return int(i);
    fonts.emplace_back(name);
    return int(fonts.size() - 1);
}

const std::string& TNoteDocument::FontName(const TNoteCharFormat& format) const {
    static const std::string none;
    return format.font >= 0 && std::size_t(format.font) < fonts.size() ? fonts[std::size_t(format.font)] : none;
}

std::string NotePlainText(const TNoteDocument& doc) {
    std::size_t end = doc.paragraphs.size();
    while (end > 0 && doc.paragraphs[end - 1].runs.empty()) --end;
    std::string out;
    for (std::size_t i = 0; i < end; ++i) {
        for (const auto& run : doc.paragraphs[i].runs) {
            // Line breaks inside the paragraph become LF.
            std::size_t from = 0;
            for (std::size_t at; (at = run.text.find(NoteLineBreak, from)) != std::string::npos;
                 from = at + NoteLineBreak.size()) {
                out.append(run.text, from, at - from);
                out += '\n';
            }
            out.append(run.text, from);
        }
        out += '\n';
    }
    return out;
}

namespace {

bool IsUtf8(std::string_view s) {
    std::uint32_t cp;
    for (std::size_t i = 0; i < s.size();) {
        if (std::uint8_t(s[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t n = DecodeUtf8(s, i, cp);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

// Splits decoded text into paragraphs; the code points come from next(cp),
// which returns false at the end.
// The paragraphs are reserved for lineEnds + 1 lines (a count of the line
// end characters, which may overstate the lines of CR LF text): a document
// of many short lines is mostly paragraphs, and growing their array by
// doubling would hold one and a half times its size at the peak.
template <class Next>
TNoteDocument SplitLines(std::size_t maxLines, std::size_t lineEnds, Next next) {
    TNoteDocument doc;
    doc.paragraphs.reserve(std::min(lineEnds + 1, maxLines));
    const TNoteCharFormat format;
    std::string line;
    bool open = false; // a line has started and is not yet ended
    auto endLine = [&] {
        if (doc.paragraphs.size() >= maxLines) throw Error("the text has too many lines");
        doc.paragraphs.emplace_back().Append(line, format);
        line.clear();
        open = false;
    };
    std::uint32_t cp, prev = 0;
    while (next(cp)) {
        if (cp == '\n' && prev == '\r') {
            prev = 0;
            continue;
        }
        prev = cp;
        if (cp == '\n' || cp == '\r' || cp == 0x2029) {
            endLine();
            continue;
        }
        open = true;
        if (cp < 0x20 && cp != '\t') continue;
        if (cp == 0x7F || cp == 0xFEFF) continue;
        AppendUtf8(line, cp);
    }
    if (open) endLine();
    return doc;
}

} // namespace

TNoteDocument ReadNotePlainText(std::string_view data, std::size_t maxLines) {
    const auto byte = [&](std::size_t i) { return std::uint8_t(data[i]); };
    // UTF-16 with a byte-order mark.
    if (data.size() >= 2 && ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF))) {
        const bool little = byte(0) == 0xFF;
        std::size_t i = 2;
        auto unit = [&](std::size_t k) -> std::uint32_t {
            return little ? byte(k) | (std::uint32_t(byte(k + 1)) << 8) : (std::uint32_t(byte(k)) << 8) | byte(k + 1);
        };
        std::size_t lineEnds = 0;
        for (std::size_t k = 2; k + 1 < data.size(); k += 2) lineEnds += unit(k) == '\n' || unit(k) == '\r';
        return SplitLines(maxLines, lineEnds, [&](std::uint32_t& cp) {
            if (i + 1 >= data.size()) return false;
            cp = unit(i);
            i += 2;
            if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < data.size()) {
                const std::uint32_t low = unit(i);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    i += 2;
                }
            }
            return true;
        });
    }
    if (std::memchr(data.data(), 0, data.size()) != nullptr) throw Error("not a text file");
    if (data.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) data.remove_prefix(3);
    std::size_t i = 0;
    std::size_t lineEnds = 0;
    for (const char c : data) lineEnds += c == '\n' || c == '\r';
    if (IsUtf8(data))
        return SplitLines(maxLines, lineEnds, [&](std::uint32_t& cp) {
            if (i >= data.size()) return false;
            i += DecodeUtf8(data, i, cp);
            return true;
        });
    return SplitLines(maxLines, lineEnds, [&](std::uint32_t& cp) {
        if (i >= data.size()) return false;
        cp = CodePageToUnicode(1252, byte(i++));
        return true;
    });
}

} // namespace ivra
