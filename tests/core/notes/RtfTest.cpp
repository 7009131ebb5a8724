#include "core/notes/Rtf.h"

#include "core/Error.h"
#include "core/io/FileIO.h"
#include "core/notes/NoteFiles.h"

#include "NoteTestUtil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ivra;

namespace {

std::string DataFile(const std::string& name) {
    auto bytes = ReadWholeFile(std::string(IVRA_TEST_DATA_DIR) + "/rtf/" + name);
    return std::string(bytes.begin(), bytes.end());
}

TNoteCharFormat Format(int font, int halfPoints, bool b, bool i, bool u, std::uint32_t color = NoteAutoColor) {
    TNoteCharFormat f;
    f.font = font;
    f.halfPoints = halfPoints;
    f.bold = b;
    f.italic = i;
    f.underline = u;
    f.color = color;
    return f;
}

// A document with every kind of formatting the notepad expresses.
TNoteDocument RichSample() {
    TNoteDocument doc;
    doc.fonts = {"Arial", "Times New Roman", "Semi;colon {brace}", ""};
    auto& p0 = doc.paragraphs.emplace_back();
    p0.Append("Plain ", Format(0, 24, false, false, false));
    p0.Append("bold", Format(0, 24, true, false, false));
    p0.Append(" italic", Format(1, 36, false, true, false, 0xFF0000));
    p0.Append(" under\\{line}", Format(1, 21, false, false, true, 0x00FF80));
    p0.Append(" all", Format(2, 48, true, true, true, 0x000000));
    auto& p1 = doc.paragraphs.emplace_back();
    p1.align = TNoteAlign::Center;
    p1.firstIndent = -360;
    p1.leftIndent = 720;
    p1.rightIndent = 1440;
    p1.Append("Gr\xC3\xB6\xC3\x9F" "e \xE2\x80\x93 \xCE\xA9 \xF0\x9F\x98\x80 tab\there" "\xE2\x80\xA8" "next line",
              Format(3, 20, false, false, false, 0xFF0000));
    auto& p2 = doc.paragraphs.emplace_back();
    p2.bullet = true;
    p2.leftIndent = 360;
    p2.Append("first item", Format(0, 24, false, false, false));
    auto& p3 = doc.paragraphs.emplace_back();
    p3.bullet = true;
    p3.align = TNoteAlign::Right;
    p3.Append("second item", Format(0, 24, false, true, false));
    doc.paragraphs.emplace_back(); // an empty paragraph keeps its place
    auto& p5 = doc.paragraphs.emplace_back();
    p5.Append("last", Format(1, 24, false, false, false, 0x123456));
    return doc;
}

TEST(Rtf, RoundTripKeepsTextAndFormatting) {
    const TNoteDocument doc = RichSample();
    const TNoteDocument back = ReadRtf(WriteRtf(doc));
    EXPECT_EQ(back.paragraphs, doc.paragraphs);
    // The bullets' Symbol font is added behind the document's own fonts.
    ASSERT_GE(back.fonts.size(), doc.fonts.size());
    EXPECT_EQ(std::vector<std::string>(back.fonts.begin(), back.fonts.begin() + long(doc.fonts.size())), doc.fonts);
    // Writing what was read gives the same file again.
    EXPECT_EQ(WriteRtf(back), WriteRtf(ReadRtf(WriteRtf(back))));
}

TEST(Rtf, WriterUsesCommonControlWords) {
    const std::string rtf = WriteRtf(RichSample());
    for (const char* word : {"{\\rtf1\\ansi", "\\deff0", "{\\fonttbl", "{\\colortbl;", "\\red255\\green0\\blue0;",
                             "\\pard\\qc", "\\fi-360", "\\li720", "\\ri1440", "\\fs36", "\\cf1", "\\ulnone", "\\b0",
                             "{\\pntext\\f4\\'B7\\tab}", "{\\*\\pn\\pnlvlblt\\pnf4", "\\uc1", "\\u8211?",
                             "\\u-10179?\\u-8704?", "\\tab here\\line next", "Semi\\'3bcolon \\{brace\\};",
                             "under\\\\\\{line\\}"})
        EXPECT_NE(rtf.find(word), std::string::npos) << word;
    // Only 7-bit ASCII in the file.
    for (char c : rtf) EXPECT_LT(std::uint8_t(c), 0x80);
}

TEST(Rtf, DefaultSizeAndMissingFontsAreWrittenSoundly) {
    TNoteDocument doc; // no fonts at all, the default size
    doc.paragraphs.emplace_back().Append("x", TNoteCharFormat{});
    doc.paragraphs[0].Append("y", Format(7, 0, true, false, false));
    const TNoteDocument back = ReadRtf(WriteRtf(doc));
    ASSERT_EQ(back.paragraphs.size(), 1u);
    ASSERT_EQ(back.paragraphs[0].runs.size(), 2u);
    EXPECT_EQ(back.FontName(back.paragraphs[0].runs[1].format), "");
    EXPECT_EQ(back.paragraphs[0].runs[1].format.halfPoints, 24);
}

struct TTextCase {
    const char* name;
    const char* rtf;
    const char* text;
};

TEST(Rtf, ReaderText) {
    const TTextCase cases[] = {
        {"plain", "{\\rtf1 Hello\\par World}", "Hello\nWorld\n"},
        {"unterminated last paragraph", "{\\rtf1 a\\par b}", "a\nb\n"},
        {"control word ends at space", "{\\rtf1\\b bold\\b0  space}", "bold space\n"},
        {"escapes", "{\\rtf1 \\{x\\} \\\\ a\\~b}", "{x} \\ a\xC2\xA0" "b\n"},
        {"hex cp1252", "{\\rtf1\\ansi\\ansicpg1252 \\'e9\\'80\\'93}", "\xC3\xA9\xE2\x82\xAC\xE2\x80\x9C\n"},
        {"hex cp1250", "{\\rtf1\\ansi\\ansicpg1250 \\'b9\\'9a\\'e6}", "\xC4\x85\xC5\xA1\xC4\x87\n"},
        {"hex cp1251", "{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}", "\xD0\x9F\xD1\x80\xD0\xB8\n"},
        {"font charset beats ansicpg",
         "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 A;}{\\f1\\fcharset204 B;}}\\f1\\'cf\\f0\\'cf}",
         "\xD0\x9F\xC3\x8F\n"},
        {"literal high byte", "{\\rtf1\\ansicpg1251 \xcf}", "\xD0\x9F\n"},
        {"hex cp1255", "{\\rtf1\\ansi\\ansicpg1255 \\'e0}", "\xD7\x90\n"},
        {"hex cp1256", "{\\rtf1\\ansi\\ansicpg1256 \\'c7}", "\xD8\xA7\n"},
        {"hex cp874", "{\\rtf1\\ansi\\ansicpg874 \\'a1}", "\xE0\xB8\x81\n"},
        {"hex cp1258", "{\\rtf1\\ansi\\ansicpg1258 \\'c3\\'d2}", "\xC4\x82\xCC\x89\n"},
        {"mac character set", "{\\rtf1\\mac \\'8e\\'a5}", "\xC3\xA9\xE2\x80\xA2\n"},
        {"pc character set", "{\\rtf1\\pc \\'82\\'d5}", "\xC3\xA9\xE2\x95\x92\n"},
        {"pca character set", "{\\rtf1\\pca \\'d5}", "\xC4\xB1\n"},
        {"hebrew font charset", "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset177 A;}}\\f0\\'e0}", "\xD7\x90\n"},
        {"undefined byte", "{\\rtf1\\ansi\\ansicpg1252 \\'81}", "\xEF\xBF\xBD\n"},
        {"unknown code page reads as 1252", "{\\rtf1\\ansi\\ansicpg9999 \\'e9}", "\xC3\xA9\n"},
        {"unicode skips one", "{\\rtf1 \\u8226?x}", "\xE2\x80\xA2x\n"},
        {"unicode skips hex", "{\\rtf1 \\u8226\\'95x}", "\xE2\x80\xA2x\n"},
        {"uc0", "{\\rtf1\\uc0\\u321 x}", "\xC5\x81x\n"},
        {"uc2", "{\\rtf1\\uc2\\u321 ab}", "\xC5\x81\n"},
        {"uc scoped by group", "{\\rtf1{\\uc0\\u321 x}\\u321 yz}", "\xC5\x81x\xC5\x81z\n"},
        {"negative unicode", "{\\rtf1 \\u-3913?}", "\xEF\x82\xB7\n"},
        {"unicode beyond 16 bits", "{\\rtf1 \\u99999999999?x}", "\xEF\xBF\xBDx\n"},
        {"unicode just beyond 16 bits", "{\\rtf1 \\u65536?x}", "\xEF\xBF\xBDx\n"},
        {"unicode below -32768", "{\\rtf1 \\u-32769?x}", "\xEF\xBF\xBDx\n"},
        {"surrogate pair", "{\\rtf1 \\u-10179?\\u-8704?}", "\xF0\x9F\x98\x80\n"},
        {"brace ends skip", "{\\rtf1\\uc3\\u321{}x}", "\xC5\x81x\n"},
        {"symbol words", "{\\rtf1 \\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote}",
         "\xE2\x80\x94\xE2\x80\x93\xE2\x80\xA2\xE2\x80\x98\xE2\x80\x99\xE2\x80\x9C\xE2\x80\x9D\n"},
        {"tab and line", "{\\rtf1 a\\tab b\\line c}", "a\tb\nc\n"},
        {"line breaks in source ignored", "{\\rtf1 a\r\nb\n}", "ab\n"},
        {"backslash newline is par", "{\\rtf1 a\\\nb}", "a\nb\n"},
        {"stylesheet skipped", "{\\rtf1{\\stylesheet{\\s0 Normal;}}Text}", "Text\n"},
        {"info skipped", "{\\rtf1{\\info{\\title T}{\\author A}}Text}", "Text\n"},
        {"unknown destination skipped", "{\\rtf1{\\*\\unknown {nested} stuff}Text}", "Text\n"},
        {"known destination starred", "{\\rtf1{\\*\\fldinst HYPERLINK}Text}", "Text\n"},
        {"picture skipped", "{\\rtf1 a{\\pict\\pngblip 89504e47{\\*\\blipuid 00}}b}", "ab\n"},
        {"binary skipped", "{\\rtf1 a{\\pict\\bin5 }{\\}x}b}", "ab\n"},
        {"field result kept", "{\\rtf1{\\field{\\*\\fldinst{HYPERLINK \"x\"}}{\\fldrslt{\\ul link}}}!}", "link!\n"},
        {"object result kept", "{\\rtf1{\\object{\\*\\objdata 0102}{\\result shown}}}", "shown\n"},
        {"unicode alternative", "{\\rtf1{\\upr{ansi}{\\*\\ud{uni}}}}", "uni\n"},
        {"list text left out", "{\\rtf1{\\listtext\\'95\\tab}item\\par{\\pntext\\f1\\'B7\\tab}two}", "item\ntwo\n"},
        {"footnote skipped", "{\\rtf1 a{\\footnote note}b}", "ab\n"},
        {"header skipped", "{\\rtf1{\\header head}body}", "body\n"},
        {"table cells", "{\\rtf1 A\\cell B\\cell\\row C}", "A\tB\t\nC\n"},
        {"section break ends text", "{\\rtf1 a\\sect b\\par\\sect}", "a\nb\n"},
        {"trailing empty paragraphs", "{\\rtf1 a\\par\\par\\par}", "a\n"},
        {"inner empty paragraph kept", "{\\rtf1 a\\par\\par b}", "a\n\nb\n"},
        {"text after the document ignored", "{\\rtf1 a}b", "a\n"},
        {"control characters dropped", "{\\rtf1 a\x01\\'07\\u2?b}", "ab\n"},
        {"bom and space before", "\xEF\xBB\xBF \r\n{\\rtf1 x}", "x\n"},
        {"font names with hex", "{\\rtf1{\\fonttbl{\\f0 A\\'3bB;}}\\f0 x}", "x\n"},
        {"long number", "{\\rtf1\\fs99999999999999999999 x\\li-99999999999999999 y}", "xy\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(NotePlainText(ReadRtf(c.rtf)), c.text) << c.name;
}

TEST(Rtf, ReaderFormatting) {
    const TNoteDocument doc = ReadRtf(
        "{\\rtf1\\ansi\\deff1{\\fonttbl{\\f1\\fswiss Arial;}{\\f2\\froman Times;}}"
        "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
        "\\pard\\qc\\fi-200\\li400\\ri100 a{\\b b{\\i c}}{\\ul d\\ulnone e}\\par"
        "\\qr\\f2\\fs40\\cf2 f\\cf0 g\\cf9 h\\plain i\\par"
        "\\pard{\\*\\pn\\pnlvlblt{\\pntxtb\\'B7}}\\qj bullet\\par "
        "next\\par\\pard plain\\par}");
    ASSERT_EQ(doc.paragraphs.size(), 5u);
    const auto& p0 = doc.paragraphs[0];
    EXPECT_EQ(p0.align, TNoteAlign::Center);
    EXPECT_EQ(p0.firstIndent, -200);
    EXPECT_EQ(p0.leftIndent, 400);
    EXPECT_EQ(p0.rightIndent, 100);
    const std::vector<TNoteRun> runs0 = {
        {"a", Format(0, 24, false, false, false)}, {"b", Format(0, 24, true, false, false)},
        {"c", Format(0, 24, true, true, false)},   {"d", Format(0, 24, false, false, true)},
        {"e", Format(0, 24, false, false, false)},
    };
    EXPECT_EQ(p0.runs, runs0);
    const auto& p1 = doc.paragraphs[1];
    EXPECT_EQ(p1.align, TNoteAlign::Right);
    EXPECT_EQ(p1.leftIndent, 400); // paragraph properties last until \pard
    const std::vector<TNoteRun> runs1 = {
        {"f", Format(1, 40, false, false, false, 0x0000FF)},
        {"gh", Format(1, 40, false, false, false)},
        {"i", Format(0, 24, false, false, false)},
    };
    EXPECT_EQ(p1.runs, runs1);
    EXPECT_TRUE(doc.paragraphs[2].bullet);
    EXPECT_EQ(doc.paragraphs[2].align, TNoteAlign::Left);
    EXPECT_TRUE(doc.paragraphs[3].bullet);
    EXPECT_FALSE(doc.paragraphs[4].bullet);
    EXPECT_EQ(doc.fonts, (std::vector<std::string>{"Arial", "Times"}));
}

TEST(Rtf, ListTableDecidesBullets) {
    const char* rtf =
        "{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8226 ?;}}"
        "{\\listlevel\\levelnfc255}\\listid7}{\\list{\\listlevel\\levelnfc255{\\leveltext\\'00;}}\\listid8}}"
        "{\\listoverridetable{\\listoverride\\listid7\\ls1}{\\listoverride\\listid8\\ls2}}"
        "\\pard\\ls1 a\\par\\pard\\ls2 b\\par\\pard\\ls9 c\\par\\pard d\\par}";
    const TNoteDocument doc = ReadRtf(rtf);
    ASSERT_EQ(doc.paragraphs.size(), 4u);
    EXPECT_TRUE(doc.paragraphs[0].bullet);
    EXPECT_FALSE(doc.paragraphs[1].bullet); // a list without markers
    EXPECT_TRUE(doc.paragraphs[2].bullet);  // an unknown list shows its marker
    EXPECT_FALSE(doc.paragraphs[3].bullet);
    EXPECT_EQ(NotePlainText(doc), "a\nb\nc\nd\n");
}

// The files other word processors wrote read as the expected text, with the
// formatting the folder's README lists.
TEST(Rtf, FilesOfOtherWordProcessors) {
    const std::string expected = DataFile("notes.txt");
    for (const char* name : {"writer-a-notes.rtf", "writer-b-notes.rtf"}) {
        SCOPED_TRACE(name);
        const TNoteDocument doc = ReadRtf(DataFile(name));
        EXPECT_EQ(NotePlainText(doc), expected);
        ASSERT_GE(doc.paragraphs.size(), 10u);
        const auto& p = doc.paragraphs;
        const int body = p[1].runs[0].format.halfPoints;
        EXPECT_TRUE(p[0].runs[0].format.bold);
        EXPECT_GT(p[0].runs[0].format.halfPoints, body);
        auto runWith = [](const TNoteParagraph& para, const std::string& text) -> const TNoteCharFormat& {
            for (const auto& r : para.runs)
                if (r.text.find(text) != std::string::npos) return r.format;
            ADD_FAILURE() << "no run with " << text;
            static const TNoteCharFormat none;
            return none;
        };
        EXPECT_TRUE(runWith(p[1], "400").bold);
        EXPECT_FALSE(runWith(p[1], "Measured").bold);
        EXPECT_TRUE(runWith(p[1], "100 ").italic);
        EXPECT_EQ(p[2].align, TNoteAlign::Center);
        EXPECT_TRUE(runWith(p[2], "n = 41").underline);
        EXPECT_FALSE(runWith(p[2], "Centred").underline);
        EXPECT_EQ(p[3].align, TNoteAlign::Right);
        for (int i = 0; i < 10; ++i) EXPECT_EQ(p[std::size_t(i)].bullet, i >= 4 && i <= 6) << i;
        EXPECT_EQ(p[7].leftIndent, 1440);
        EXPECT_EQ(p[7].firstIndent, 0);
        EXPECT_TRUE(runWith(p[9], "Bold italic").bold);
        EXPECT_TRUE(runWith(p[9], "Bold italic").italic);
        EXPECT_EQ(runWith(p[9], "large").halfPoints, 36);
        EXPECT_EQ(doc.FontName(runWith(p[9], "serif")), "DejaVu Serif");
        // Our own writer keeps all of it.
        const TNoteDocument again = ReadRtf(WriteRtf(doc));
        EXPECT_EQ(again.paragraphs, doc.paragraphs);
    }
}

TEST(Rtf, NotRtfIsAnError) {
    for (const char* data : {"", "plain text", "{\\rt", "  {rtf1}", "\\rtf1"}) {
        EXPECT_FALSE(LooksLikeRtf(data)) << data;
        EXPECT_THROW(ReadRtf(data), Error) << data;
    }
}

// Broken files give what could be read, never a crash or a hang.
TEST(Rtf, BrokenFilesGiveBestEffort) {
    const TTextCase cases[] = {
        {"truncated in text", "{\\rtf1 Hello\\par Wor", "Hello\nWor\n"},
        {"truncated in a control word", "{\\rtf1 Hello\\pa", "Hello\n"},
        {"truncated in hex", "{\\rtf1 Hi\\'e", "Hi\n"},
        {"truncated after backslash", "{\\rtf1 Hi\\", "Hi\n"},
        {"truncated in a skipped group", "{\\rtf1 Hi{\\pict 0102", "Hi\n"},
        {"truncated in binary", "{\\rtf1 Hi{\\pict\\bin999999 ab", "Hi\n"},
        {"unclosed groups", "{\\rtf1 a{\\b b{\\i c", "abc\n"},
        {"extra closing braces", "{\\rtf1 a}}}} b", "a\n"},
        {"bad hex", "{\\rtf1 a\\'zzb}", "azzb\n"},
        {"lone surrogates", "{\\rtf1 \\u-10179?x\\u-8704?}", "x\xEF\xBF\xBD\n"},
        {"huge skip count", "{\\rtf1\\uc99999 \\u321 abc}", "\xC5\x81\n"},
        {"negative binary", "{\\rtf1 a\\bin-5 b}", "ab\n"},
        {"star without word", "{\\rtf1 a{\\*b}c}", "abc\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(NotePlainText(ReadRtf(c.rtf)), c.text) << c.name;
}

TEST(Rtf, DeepNestingNeedsNoStackAndKeepsTheText) {
    constexpr int depth = 100000;
    for (bool closed : {true, false}) {
        std::string rtf = "{\\rtf1 start";
        for (int i = 0; i < depth; ++i) rtf += i % 1000 == 0 ? "{\\b " : "{";
        rtf += "deep";
        if (closed) rtf += std::string(depth, '}') + " end}";
        const std::string expected = closed ? "startdeep end\n" : "startdeep\n";
        EXPECT_EQ(NotePlainText(ReadRtf(rtf)), expected);
    }
    // Deep nesting inside a skipped destination costs no state at all.
    std::string skipped = "{\\rtf1 a{\\*\\x" + std::string(depth, '{') + std::string(depth, '}') + "}b}";
    EXPECT_EQ(NotePlainText(ReadRtf(skipped)), "ab\n");
}

TEST(Rtf, LargeDocumentsAreReadAndLimited) {
    // About 6 MB of mixed formatting reads completely.
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}";
    const int paragraphs = 60000;
    for (int i = 0; i < paragraphs; ++i)
        rtf += "\\pard\\li" + std::to_string(i % 7 * 100) + " word {\\b bold} {\\i italic\\'e9} more text here "
               "and there, {\\ul under} \\u8211? end of line " + std::to_string(i) + "\\par\n";
    rtf += "}";
    ASSERT_GT(rtf.size(), 6u << 20);
    const TNoteDocument doc = ReadRtf(rtf);
    ASSERT_EQ(doc.paragraphs.size(), std::size_t(paragraphs));
    EXPECT_EQ(doc.paragraphs.back().Text(),
              "word bold italic\xC3\xA9 more text here and there, under \xE2\x80\x93 end of line 59999");
    EXPECT_EQ(doc.paragraphs[5].leftIndent, 500);
    // Too many paragraphs and runs: a clear error (with a small limit here;
    // the notepad's own is MaxNoteElements).
    std::string many = "{\\rtf1 ";
    for (int i = 0; i < 600; ++i) many += "{\\b x}{\\i y}\\par";
    // 600 paragraphs, 1200 runs and the nameless default font.
    EXPECT_EQ(ReadRtf(many, 1801).paragraphs.size(), 600u);
    try {
        ReadRtf(many, 1800);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "the document has too many paragraphs or formatting changes");
    }
}

} // namespace
