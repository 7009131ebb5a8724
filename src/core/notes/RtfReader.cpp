// The Rich Text Format reader.
//
// One loop over the bytes with an explicit stack of group states: no
// recursion, so deep nesting cannot overflow the call stack. Destinations
// without visible text are skipped by a brace-counting scan that keeps no
// state per level. Text is gathered per run and handed to the paragraph when
// the character format changes.

#include "core/notes/Rtf.h"

#include "core/Error.h"
#include "core/notes/CodePages.h"
#include "core/notes/Utf8.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace ivra {

namespace {

// What the text of a group is for.
enum class TDest : std::uint8_t {
    Text,              // the document's visible text
    NoText,            // a wrapper whose text is not shown; nested results are
    FontTable,         // \fonttbl
    ColorTable,        // \colortbl
    ListTable,         // \listtable
    List,              // \list inside the list table
    ListOverrideTable, // \listoverridetable
    ListOverride,      // \listoverride
    Pn,                // \pn: old-style paragraph numbering (bullets)
};

enum class TKw : std::uint8_t {
    Skip, // a destination whose content is skipped
    DestText, DestNoText, DestFontTable, DestColorTable, DestListTable, DestList, DestListOverrideTable,
    DestListOverride, DestPn,
    Plain, Font, FontSize, Bold, Italic, Underline, UnderlineNone, Color,
    AnsiCodePage, CharacterSet, DefaultFont, UnicodeSkip, Unicode, Charset, FontCodePage, Red, Green, Blue,
    Pard, AlignLeft, AlignCenter, AlignRight, FirstIndent, LeftIndent, RightIndent,
    ListSelect, ListId, ListLevel, LevelNfc, PnMarker,
    Par, SoftBreak, Line, Tab, Char, Bin,
};

struct TKeyword {
    TKw kw;
    std::uint32_t cp = 0; // the character of TKw::Char, the code page of TKw::CharacterSet
};

const std::unordered_map<std::string_view, TKeyword>& Keywords() {
    static const std::unordered_map<std::string_view, TKeyword> table = [] {
        std::unordered_map<std::string_view, TKeyword> t;
        for (std::string_view w :
             {"stylesheet", "info", "pict", "header", "headerl", "headerr", "headerf", "footer", "footerl",
              "footerr", "footerf", "footnote", "annotation", "atnid", "atnauthor", "fldinst", "pntext", "listtext",
              "pntxtb", "pntxta", "xe", "tc", "txe", "rxe", "bkmkstart", "bkmkend", "template", "revtbl",
              "rsidtbl", "filetbl", "objdata", "datafield", "themedata", "colorschememapping", "latentstyles",
              "datastore", "generator", "nonshppict", "shpinst", "sp", "sn", "sv", "shptxt", "docvar", "ftnsep",
              "ftnsepc", "ftncn", "aftnsep", "aftnsepc", "aftncn", "formfield", "userprops", "pgdsctbl",
              "listpicture", "falt", "panose", "fname", "leveltext", "levelnumbers", "listname", "mmathPr",
              "xmlnstbl", "wgrffmtfilter", "passwordhash", "protusertbl", "fchars", "lchars", "stylerestrictions",
              "ud_ansi_placeholder"})
            t.emplace(w, TKeyword{TKw::Skip});
        const std::pair<std::string_view, TKw> words[] = {
            {"fldrslt", TKw::DestText}, {"result", TKw::DestText}, {"ud", TKw::DestText},
            {"shppict", TKw::DestText}, {"field", TKw::DestText}, {"object", TKw::DestNoText},
            {"upr", TKw::DestNoText}, {"fonttbl", TKw::DestFontTable}, {"colortbl", TKw::DestColorTable},
            {"listtable", TKw::DestListTable}, {"list", TKw::DestList},
            {"listoverridetable", TKw::DestListOverrideTable}, {"listoverride", TKw::DestListOverride},
            {"pn", TKw::DestPn}, {"plain", TKw::Plain}, {"f", TKw::Font}, {"fs", TKw::FontSize},
            {"b", TKw::Bold}, {"i", TKw::Italic}, {"ul", TKw::Underline}, {"uld", TKw::Underline},
            {"uldash", TKw::Underline}, {"uldashd", TKw::Underline}, {"uldashdd", TKw::Underline},
            {"uldb", TKw::Underline}, {"ulhwave", TKw::Underline}, {"ulldash", TKw::Underline},
            {"ulth", TKw::Underline}, {"ulthd", TKw::Underline}, {"ulthdash", TKw::Underline},
            {"ulthdashd", TKw::Underline}, {"ulthdashdd", TKw::Underline}, {"ulthldash", TKw::Underline},
            {"ululdbwave", TKw::Underline}, {"ulw", TKw::Underline}, {"ulwave", TKw::Underline},
            {"ulnone", TKw::UnderlineNone}, {"cf", TKw::Color}, {"ansicpg", TKw::AnsiCodePage},
            {"deff", TKw::DefaultFont}, {"uc", TKw::UnicodeSkip}, {"u", TKw::Unicode},
            {"fcharset", TKw::Charset}, {"cpg", TKw::FontCodePage}, {"red", TKw::Red}, {"green", TKw::Green},
            {"blue", TKw::Blue}, {"pard", TKw::Pard}, {"ql", TKw::AlignLeft}, {"qj", TKw::AlignLeft},
            {"qd", TKw::AlignLeft}, {"qc", TKw::AlignCenter}, {"qr", TKw::AlignRight},
            {"fi", TKw::FirstIndent}, {"li", TKw::LeftIndent}, {"ri", TKw::RightIndent},
            {"ls", TKw::ListSelect}, {"listid", TKw::ListId}, {"listlevel", TKw::ListLevel},
            {"levelnfc", TKw::LevelNfc}, {"levelnfcn", TKw::LevelNfc}, {"pnlvlblt", TKw::PnMarker},
            {"pnlvlbody", TKw::PnMarker}, {"pnlvl", TKw::PnMarker}, {"par", TKw::Par},
            {"sect", TKw::SoftBreak}, {"page", TKw::SoftBreak}, {"row", TKw::SoftBreak},
            {"line", TKw::Line}, {"tab", TKw::Tab}, {"cell", TKw::Tab}, {"nestcell", TKw::Tab},
            {"bin", TKw::Bin},
        };
        for (const auto& [w, kw] : words) t.emplace(w, TKeyword{kw});
        const std::pair<std::string_view, std::uint32_t> chars[] = {
            {"emdash", 0x2014},   {"endash", 0x2013},    {"bullet", 0x2022},    {"lquote", 0x2018},
            {"rquote", 0x2019},   {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"emspace", 0x2003},
            {"enspace", 0x2002},  {"qmspace", 0x2005},   {"zwj", 0x200D},       {"zwnj", 0x200C},
            {"zwbo", 0x200B},     {"zwnbo", 0xFEFF},
        };
        for (const auto& [w, cp] : chars) t.emplace(w, TKeyword{TKw::Char, cp});
        // The document's character sets other than \ansi, by their code pages.
        const std::pair<std::string_view, std::uint32_t> sets[] = {{"mac", 10000}, {"pc", 437}, {"pca", 850}};
        for (const auto& [w, cp] : sets) t.emplace(w, TKeyword{TKw::CharacterSet, cp});
        return t;
    }();
    return table;
}

struct TCharState {
    int fontNumber = 0; // the file's \f number
    int halfPoints = 24;
    bool bold = false, italic = false, underline = false;
    std::uint32_t color = NoteAutoColor;
    friend bool operator==(const TCharState&, const TCharState&) = default;
};

struct TParaState {
    TNoteAlign align = TNoteAlign::Left;
    int firstIndent = 0, leftIndent = 0, rightIndent = 0;
    bool bullet = false;
};

struct TGroupState {
    TCharState chr;
    TParaState para;
    TDest dest = TDest::Text;
    bool opensDest = false; // this group started its destination
    int uc = 1;             // characters after \uN that stand in for it
};

constexpr int MaxIndent = 31680;  // 22 inches in twips
constexpr int MaxHalfPoints = 3276;
constexpr int MaxUnicodeSkip = 16;
constexpr int ListNfcNone = 255; // a list level without a marker

class TRtfReader {
public:
    TRtfReader(std::string_view data, std::size_t maxElements) : s_(data), maxElements_(maxElements) {}

    TNoteDocument Read() {
        // The data starts with "{\rtf" after white space (LooksLikeRtf).
        while (pos_ < s_.size() && s_[pos_] != '{') ++pos_;
        while (pos_ < s_.size() && !done_) {
            const char c = s_[pos_];
            if (c == '{') {
                ++pos_;
                PushGroup();
            } else if (c == '}') {
                ++pos_;
                PopGroup();
            } else if (c == '\\') {
                ++pos_;
                ControlWord();
            } else if (c == '\r' || c == '\n') {
                ++pos_;
            } else if (cur_.dest == TDest::Text && skip_ == 0 && IsPlain(c)) {
                PlainText();
            } else {
                ++pos_;
                Byte(std::uint8_t(c));
            }
        }
        // A truncated file: keep what was read.
        if (!para_.runs.empty() || !pending_.empty()) EndParagraph(lastTextPara_);
        return std::move(doc_);
    }

private:
    static bool IsPlain(char c) {
        const auto b = std::uint8_t(c);
        return b >= 0x20 && b < 0x7F && c != '\\' && c != '{' && c != '}';
    }

    // ---- groups ----

    void PushGroup() {
        skip_ = 0;
        starred_ = false;
        if (stack_.size() >= MaxRtfGroupDepth) {
            ++excessDepth_;
            return;
        }
        stack_.push_back(cur_);
        cur_.opensDest = false;
    }

    void PopGroup() {
        skip_ = 0;
        starred_ = false;
        if (excessDepth_ > 0) {
            --excessDepth_;
            return;
        }
        if (stack_.empty()) {
            done_ = true;
            return;
        }
        if (cur_.opensDest) EndDestination();
        const bool bullet = pnBullet_ && cur_.opensDest && cur_.dest == TDest::Pn;
        cur_ = stack_.back();
        stack_.pop_back();
        if (bullet) cur_.para.bullet = true;
        if (stack_.empty()) done_ = true; // the document's group closed
    }

    void BeginDestination(TDest dest) {
        cur_.dest = dest;
        cur_.opensDest = true;
        switch (dest) {
        case TDest::FontTable: entryNumber_ = -1; break;
        case TDest::ColorTable: ResetColorEntry(); break;
        case TDest::List: listId_ = 0, listNfc_ = -1, listLevel_ = 0; break;
        case TDest::ListOverride: overrideListId_ = 0, overrideLs_ = 0; break;
        case TDest::Pn: pnBullet_ = false; break;
        default: break;
        }
    }

    void EndDestination() {
        switch (cur_.dest) {
        case TDest::FontTable: CommitFont(); break;
        case TDest::List: listNfcOfId_[listId_] = listNfc_; break;
        case TDest::ListOverride: listOfLs_[overrideLs_] = overrideListId_; break;
        default: break;
        }
    }

    // Skips the rest of the current group (its closing brace included)
    // without keeping any state per level, then leaves the group.
    void SkipGroup() {
        std::size_t depth = 1;
        while (pos_ < s_.size()) {
            const char c = s_[pos_++];
            if (c == '{') {
                ++depth;
            } else if (c == '}') {
                if (--depth == 0) {
                    PopGroup();
                    return;
                }
            } else if (c == '\\' && pos_ < s_.size()) {
                if (IsLetter(s_[pos_])) {
                    std::string_view word;
                    long long value = 0;
                    bool hasValue = false;
                    ReadWord(word, value, hasValue);
                    if (word == "bin" && hasValue) SkipBinary(value);
                } else {
                    ++pos_;
                }
            }
        }
    }

    void SkipBinary(long long count) {
        if (count > 0) pos_ += std::size_t(std::min<long long>(count, static_cast<long long>(s_.size() - pos_)));
    }

    // ---- control words ----

    static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

    // Reads letters, an optional signed number and the space that may end
    // them; pos_ is at the first letter.
    void ReadWord(std::string_view& word, long long& value, bool& hasValue) {
        const std::size_t start = pos_;
        while (pos_ < s_.size() && IsLetter(s_[pos_])) ++pos_;
        word = s_.substr(start, pos_ - start);
        bool negative = false;
        if (pos_ + 1 < s_.size() && s_[pos_] == '-' && IsDigit(s_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        hasValue = false;
        value = 0;
        while (pos_ < s_.size() && IsDigit(s_[pos_])) {
            if (value < 2'000'000'000) value = value * 10 + (s_[pos_] - '0');
            hasValue = true;
            ++pos_;
        }
        value = std::min<long long>(value, 2'000'000'000);
        if (negative) value = -value;
        if (pos_ < s_.size() && s_[pos_] == ' ') ++pos_;
    }

    void ControlWord() {
        if (pos_ >= s_.size()) return;
        const char c = s_[pos_];
        if (!IsLetter(c)) {
            ++pos_;
            ControlSymbol(c);
            return;
        }
        std::string_view word;
        long long value;
        bool hasValue;
        ReadWord(word, value, hasValue);
        const bool starred = starred_;
        starred_ = false;
        const auto& table = Keywords();
        auto it = table.find(word);
        if (it == table.end()) {
            if (starred) SkipGroup(); // an unknown destination
            else if (skip_ > 0) --skip_;
            return;
        }
        const TKeyword k = it->second;
        if (k.kw == TKw::Bin) {
            SkipBinary(value);
            return;
        }
        if (k.kw == TKw::Skip) {
            SkipGroup();
            return;
        }
        if (k.kw > TKw::DestPn && starred) { // \* before a word that is no destination
            SkipGroup();
            return;
        }
        if (skip_ > 0) { // the word stands in for the preceding \uN
            --skip_;
            return;
        }
        Keyword(k, hasValue ? value : 0, hasValue);
    }

    void ControlSymbol(char c) {
        if (c != '*') starred_ = false;
        switch (c) {
        case '*': starred_ = true; return;
        case '\'': {
            // Two hex digits; an escape cut short is dropped with its digit.
            const int hi = pos_ < s_.size() ? HexDigit(s_[pos_]) : -1;
            if (hi < 0) return;
            ++pos_;
            const int lo = pos_ < s_.size() ? HexDigit(s_[pos_]) : -1;
            if (lo < 0) return;
            ++pos_;
            if (skip_ > 0) {
                --skip_;
                return;
            }
            Character(CodePageToUnicode(CurrentCodePage(), std::uint8_t(hi * 16 + lo)), false);
            return;
        }
        case '\r':
        case '\n':
            if (skip_ > 0) --skip_;
            else if (cur_.dest == TDest::Text) EndParagraph(cur_.para);
            return;
        default: break;
        }
        if (skip_ > 0) {
            --skip_;
            return;
        }
        switch (c) {
        case '\\':
        case '{':
        case '}': Character(std::uint8_t(c), false); break;
        case '~': Character(0x00A0, false); break;
        case '_': Character(0x2011, false); break;
        case '\t': Character('\t', false); break;
        default: break; // \- optional hyphen, \: index entries, \| formulas
        }
    }

    static int HexDigit(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    static int Clamp(long long v, int lo, int hi) { return int(std::clamp<long long>(v, lo, hi)); }

    void Keyword(const TKeyword& k, long long value, bool hasValue) {
        TCharState& chr = cur_.chr;
        TParaState& para = cur_.para;
        const bool on = !hasValue || value != 0;
        switch (k.kw) {
        case TKw::DestText: BeginDestination(TDest::Text); break;
        case TKw::DestNoText: BeginDestination(TDest::NoText); break;
        case TKw::DestFontTable: BeginDestination(TDest::FontTable); break;
        case TKw::DestColorTable: BeginDestination(TDest::ColorTable); break;
        case TKw::DestListTable: BeginDestination(TDest::ListTable); break;
        case TKw::DestList:
            if (cur_.dest == TDest::ListTable) BeginDestination(TDest::List);
            break;
        case TKw::DestListOverrideTable: BeginDestination(TDest::ListOverrideTable); break;
        case TKw::DestListOverride:
            if (cur_.dest == TDest::ListOverrideTable) BeginDestination(TDest::ListOverride);
            break;
        case TKw::DestPn: BeginDestination(TDest::Pn); break;
        case TKw::Plain: chr = TCharState{deffNumber_}; break;
        case TKw::Font:
            if (cur_.dest == TDest::FontTable) {
                CommitFont();
                entryNumber_ = Clamp(value, 0, 1 << 30);
            } else if (hasValue) {
                chr.fontNumber = Clamp(value, 0, 1 << 30);
            }
            break;
        case TKw::FontSize:
            if (value > 0) chr.halfPoints = Clamp(value, 1, MaxHalfPoints);
            break;
        case TKw::Bold: chr.bold = on; break;
        case TKw::Italic: chr.italic = on; break;
        case TKw::Underline: chr.underline = on; break;
        case TKw::UnderlineNone: chr.underline = false; break;
        case TKw::Color:
            chr.color = value >= 0 && std::size_t(value) < colors_.size() ? colors_[std::size_t(value)] : NoteAutoColor;
            break;
        case TKw::AnsiCodePage:
            ansiCodePage_ = IsSupportedCodePage(int(value)) ? int(value) : 1252;
            codePageCache_ = -1;
            break;
        case TKw::CharacterSet:
            ansiCodePage_ = int(k.cp);
            codePageCache_ = -1;
            break;
        case TKw::DefaultFont:
            deffNumber_ = Clamp(value, 0, 1 << 30);
            chr.fontNumber = deffNumber_;
            fontIndexCache_ = -1;
            break;
        case TKw::UnicodeSkip: cur_.uc = Clamp(value, 0, MaxUnicodeSkip); break;
        case TKw::Unicode:
            // A signed or unsigned 16-bit unit; anything else names no
            // character and stands for the replacement character.
            if (hasValue) Unicode(value >= -32768 && value <= 65535 ? std::uint32_t(value) & 0xFFFF : 0xFFFD);
            break;
        case TKw::Charset: entryCharset_ = Clamp(value, 0, 255); break;
        case TKw::FontCodePage: entryCodePage_ = int(value); break;
        case TKw::Red: red_ = Clamp(value, 0, 255), colorSet_ = true; break;
        case TKw::Green: green_ = Clamp(value, 0, 255), colorSet_ = true; break;
        case TKw::Blue: blue_ = Clamp(value, 0, 255), colorSet_ = true; break;
        case TKw::Pard: para = TParaState{}; break;
        case TKw::AlignLeft: para.align = TNoteAlign::Left; break;
        case TKw::AlignCenter: para.align = TNoteAlign::Center; break;
        case TKw::AlignRight: para.align = TNoteAlign::Right; break;
        case TKw::FirstIndent: para.firstIndent = Clamp(value, -MaxIndent, MaxIndent); break;
        case TKw::LeftIndent: para.leftIndent = Clamp(value, -MaxIndent, MaxIndent); break;
        case TKw::RightIndent: para.rightIndent = Clamp(value, -MaxIndent, MaxIndent); break;
        case TKw::ListSelect:
            if (cur_.dest == TDest::ListOverride) overrideLs_ = int(value);
            else para.bullet = ListHasMarker(int(value));
            break;
        case TKw::ListId:
            if (cur_.dest == TDest::List) listId_ = int(value);
            else if (cur_.dest == TDest::ListOverride) overrideListId_ = int(value);
            break;
        case TKw::ListLevel:
            if (cur_.dest == TDest::List) ++listLevel_;
            break;
        case TKw::LevelNfc:
            if (cur_.dest == TDest::List && listLevel_ == 1 && listNfc_ < 0) listNfc_ = int(value);
            break;
        case TKw::PnMarker:
            if (cur_.dest == TDest::Pn) pnBullet_ = true;
            break;
        case TKw::Par:
            if (cur_.dest == TDest::Text) EndParagraph(cur_.para);
            break;
        case TKw::SoftBreak:
            if (cur_.dest == TDest::Text && (!para_.runs.empty() || !pending_.empty())) EndParagraph(cur_.para);
            break;
        case TKw::Line: Character(0x2028, false); break;
        case TKw::Tab: Character('\t', false); break;
        case TKw::Char: Character(k.cp, false); break;
        default: break;
        }
    }

    // Whether the list that \lsN selects shows a marker: lists whose first
    // level has the "no marker" number type do not; unknown lists do.
    bool ListHasMarker(int ls) const {
        if (ls <= 0) return false;
        auto o = listOfLs_.find(ls);
        if (o == listOfLs_.end()) return true;
        auto l = listNfcOfId_.find(o->second);
        return l == listNfcOfId_.end() || l->second != ListNfcNone;
    }

    // ---- characters ----

    void Unicode(std::uint32_t unit) {
        skip_ = cur_.uc;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            highSurrogate_ = unit;
            return;
        }
        std::uint32_t cp = unit;
        if (unit >= 0xDC00 && unit <= 0xDFFF)
            cp = highSurrogate_ != 0 ? 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00) : 0xFFFD;
        highSurrogate_ = 0;
        Character(cp, false);
    }

    // A byte of text that is not plain ASCII text.
    void Byte(std::uint8_t b) {
        if (skip_ > 0) {
            --skip_;
            return;
        }
        if (b == '\t') Character('\t', true);
        else if (b >= 0x80) Character(CodePageToUnicode(CurrentCodePage(), b), true);
        else if (b >= 0x20 && b != 0x7F) Character(b, true);
    }

    // A character of the current destination; literal tells a character
    // written as itself from one written as an escape.
    void Character(std::uint32_t cp, bool literal) {
        highSurrogate_ = 0;
        starred_ = false;
        switch (cur_.dest) {
        case TDest::Text:
            if (cp == 0x2029) {
                EndParagraph(cur_.para);
                return;
            }
            if ((cp < 0x20 && cp != '\t') || cp == 0x7F || cp == 0x200E || cp == 0x200F) return;
            if (!(cur_.chr == pendingChr_)) Flush();
            pendingChr_ = cur_.chr;
            AppendUtf8(pending_, cp);
            lastTextPara_ = cur_.para;
            break;
        case TDest::FontTable:
            if (cp == ';' && literal) CommitFont();
            else if (cp >= 0x20 && cp != 0x7F && entryName_.size() < 256) AppendUtf8(entryName_, cp);
            break;
        case TDest::ColorTable:
            if (cp == ';' && literal) CommitColor();
            break;
        default: break;
        }
    }

    // A stretch of plain ASCII text of the document.
    void PlainText() {
        const std::size_t start = pos_;
        while (pos_ < s_.size() && IsPlain(s_[pos_])) ++pos_;
        if (!(cur_.chr == pendingChr_)) Flush();
        pendingChr_ = cur_.chr;
        pending_.append(s_.data() + start, pos_ - start);
        lastTextPara_ = cur_.para;
        highSurrogate_ = 0;
        starred_ = false;
    }

    int CurrentCodePage() {
        if (cur_.dest == TDest::FontTable) return ansiCodePage_;
        if (codePageCache_ < 0 || codePageFont_ != cur_.chr.fontNumber) {
            codePageFont_ = cur_.chr.fontNumber;
            auto it = fontTable_.find(codePageFont_);
            codePageCache_ = it == fontTable_.end() ? ansiCodePage_ : it->second.codePage;
        }
        return codePageCache_;
    }

    // ---- tables ----

    void CommitFont() {
        if (entryNumber_ >= 0) {
            auto b = entryName_.find_first_not_of(" \t");
            auto e = entryName_.find_last_not_of(" \t");
            const std::string name = b == std::string::npos ? std::string() : entryName_.substr(b, e - b + 1);
            auto known = fontIndexOfName_.find(name);
            int index;
            if (known != fontIndexOfName_.end()) {
                index = known->second;
            } else {
                Count();
                index = int(doc_.fonts.size());
                doc_.fonts.push_back(name);
                fontIndexOfName_.emplace(name, index);
            }
            int codePage = CodePageOfCharset(entryCharset_, ansiCodePage_);
            if (IsSupportedCodePage(entryCodePage_)) codePage = entryCodePage_;
            fontTable_[entryNumber_] = {index, codePage};
            codePageCache_ = -1;
            fontIndexCache_ = -1;
        }
        entryNumber_ = -1;
        entryName_.clear();
        entryCharset_ = -1;
        entryCodePage_ = 0;
    }

    void ResetColorEntry() {
        red_ = green_ = blue_ = 0;
        colorSet_ = false;
    }

    void CommitColor() {
        Count();
        colors_.push_back(colorSet_ ? std::uint32_t(red_ << 16 | green_ << 8 | blue_) : NoteAutoColor);
        ResetColorEntry();
    }

    // The document's font index of a \f number: that font, else the default
    // font, else a font without a name (the editor's default).
    int FontIndex(int number) {
        if (fontIndexCache_ >= 0 && fontNumberCache_ == number) return fontIndexCache_;
        auto it = fontTable_.find(number);
        if (it == fontTable_.end()) it = fontTable_.find(deffNumber_);
        int index;
        if (it != fontTable_.end()) {
            index = it->second.index;
        } else {
            auto known = fontIndexOfName_.find(std::string());
            if (known == fontIndexOfName_.end()) {
                Count();
                known = fontIndexOfName_.emplace(std::string(), int(doc_.fonts.size())).first;
                doc_.fonts.emplace_back();
            }
            index = known->second;
        }
        fontNumberCache_ = number;
        fontIndexCache_ = index;
        return index;
    }

    // ---- paragraphs ----

    void Flush() {
        if (pending_.empty()) return;
        TNoteCharFormat f;
        f.font = FontIndex(pendingChr_.fontNumber);
        f.halfPoints = pendingChr_.halfPoints;
        f.bold = pendingChr_.bold;
        f.italic = pendingChr_.italic;
        f.underline = pendingChr_.underline;
        f.color = pendingChr_.color;
        const std::size_t runs = para_.runs.size();
        para_.Append(pending_, f);
        if (para_.runs.size() != runs) Count();
        pending_.clear();
    }

    void EndParagraph(const TParaState& props) {
        Flush();
        Count();
        para_.align = props.align;
        para_.firstIndent = props.firstIndent;
        para_.leftIndent = props.leftIndent;
        para_.rightIndent = props.rightIndent;
        para_.bullet = props.bullet;
        doc_.paragraphs.push_back(std::move(para_));
        para_ = TNoteParagraph();
    }

    void Count() {
        if (++elements_ > maxElements_) throw Error("the document has too many paragraphs or formatting changes");
    }

    struct TFontEntry {
        int index = 0;
        int codePage = 1252;
    };

    std::string_view s_;
    std::size_t pos_ = 0;
    bool done_ = false;
    bool starred_ = false;
    int skip_ = 0; // characters still to skip after \uN
    std::uint32_t highSurrogate_ = 0;

    std::vector<TGroupState> stack_;
    TGroupState cur_;
    std::size_t excessDepth_ = 0;

    TNoteDocument doc_;
    TNoteParagraph para_;
    std::string pending_;
    TCharState pendingChr_;
    TParaState lastTextPara_;
    std::size_t elements_ = 0;
    std::size_t maxElements_;

    int ansiCodePage_ = 1252;
    int deffNumber_ = 0;
    std::unordered_map<int, TFontEntry> fontTable_;
    std::unordered_map<std::string, int> fontIndexOfName_;
    int entryNumber_ = -1, entryCharset_ = -1, entryCodePage_ = 0;
    std::string entryName_;
    int codePageFont_ = 0, codePageCache_ = -1;
    int fontNumberCache_ = 0, fontIndexCache_ = -1;

    std::vector<std::uint32_t> colors_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorSet_ = false;

    std::unordered_map<int, int> listNfcOfId_, listOfLs_;
    int listId_ = 0, listNfc_ = -1, listLevel_ = 0;
    int overrideListId_ = 0, overrideLs_ = 0;
    bool pnBullet_ = false;
};

} // namespace

bool LooksLikeRtf(std::string_view data) {
    if (data.size() >= 3 && data.substr(0, 3) == "\xEF\xBB\xBF") data.remove_prefix(3);
    const auto start = data.find_first_not_of(" \t\r\n");
    return start != std::string_view::npos && data.substr(start, 5) == "{\\rtf";
}

TNoteDocument ReadRtf(std::string_view data, std::size_t maxElements) {
    if (!LooksLikeRtf(data)) throw Error("not a Rich Text Format file");
    return TRtfReader(data, maxElements).Read();
}

} // namespace ivra
