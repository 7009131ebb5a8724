#include "core/text/TextGrid.h"

#include "core/Error.h"
#include "core/io/FileIO.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

using namespace ivra;

namespace {

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("ivra_textgrid_" + std::to_string(::getpid()) + "_" + name)).string();
}

std::string ReadText(const std::string& path) {
    auto bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST(TextGrid, SetSizeKeepsCellsInside) {
    TTextGrid g(3, 2);
    g.SetCell(0, 0, "a");
    g.SetCell(2, 1, "z");
    g.SetSize(2, 3);
    EXPECT_EQ(g.ColCount(), 2);
    EXPECT_EQ(g.RowCount(), 3);
    EXPECT_EQ(g.Cell(0, 0), "a");
    EXPECT_EQ(g.Cell(1, 2), "");
    g.SetColCount(3);
    EXPECT_EQ(g.Cell(2, 1), ""); // the cut cell does not come back
    g.SetSize(-1, -1);
    EXPECT_EQ(g.ColCount(), 0);
    EXPECT_EQ(g.RowCount(), 0);
    EXPECT_EQ(GridToTextString(g), "");
}

TEST(TextGrid, TextWriterTwoByTwo) {
    TTextGrid g(2, 2);
    g.SetCell(0, 0, "a");
    g.SetCell(1, 0, "b");
    g.SetCell(0, 1, "c");
    g.SetCell(1, 1, "d");
    EXPECT_EQ(GridToTextString(g), "a\tb\t\r\nc\td\t\r\n");
    std::string path = TempPath("t.txt");
    GridToText(g, path);
    EXPECT_EQ(ReadText(path), "a\tb\t\r\nc\td\t\r\n");
    std::filesystem::remove(path);
}

TEST(TextGrid, HtmlWriterExample) {
    TTextGrid g(2, 2);
    g.SetCell(0, 0, "#");
    g.SetCell(1, 0, "Red");
    g.SetCell(0, 1, "1");
    g.SetCell(1, 1, "255");
    const std::string head = "<TD nowrap align=\"center\"  BGCOLOR=\"#a0a8c0\">\r\n";
    const std::string expected = "<TABLE border=\"1\">\r\n"
                                 "<TR align=\"right\">\r\n" +
                                 head + "#\t</TD>\r\n" + head + "Red\t</TD>\r\n" +
                                 "</TR>\r\n"
                                 "<TR align=\"right\">\r\n"
                                 "<TD>\r\n1\t</TD>\r\n"
                                 "<TD>\r\n255\t</TD>\r\n"
                                 "</TR>\r\n"
                                 "</TABLE>\r\n";
    EXPECT_EQ(GridToHTMLString(g), expected);
    std::string path = TempPath("t.html");
    GridToHTML(g, path);
    EXPECT_EQ(ReadText(path), expected);
    std::filesystem::remove(path);
}

TEST(TextGrid, HtmlEscapesMarkupOnly) {
    TTextGrid g(1, 2);
    g.SetCell(0, 0, "R<G>B");
    g.SetCell(0, 1, "a&b -1.5E+12 \xe9");
    std::string html = GridToHTMLString(g);
    EXPECT_NE(html.find("\r\nR&lt;G&gt;B\t</TD>\r\n"), std::string::npos);
    EXPECT_NE(html.find("\r\na&amp;b -1.5E+12 \xe9\t</TD>\r\n"), std::string::npos);
}

TEST(TextGrid, WriterFailureNamesFile) {
    TTextGrid g(1, 1);
    try {
        GridToText(g, "/nonexistent-dir/x.txt");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent-dir/x.txt"), std::string::npos);
    }
}

} // namespace
