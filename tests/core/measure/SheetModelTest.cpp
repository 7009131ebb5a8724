#include "core/measure/SheetModel.h"

#include "core/Error.h"
#include "core/io/FileIO.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

using namespace ivra;

namespace {

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("ivra_sheet_" + std::to_string(::getpid()) + "_" + name)).string();
}

std::string ReadText(const std::string& path) {
    auto b = ReadWholeFile(path);
    return std::string(b.begin(), b.end());
}

// Column letter and data-row number to grid position.
int C(char letter) { return letter - 64; }
int R(int dataRow) { return dataRow + 1; }

TEST(SheetModel, ClearedLayout) {
    TSheetModel s;
    EXPECT_EQ(s.ColCount(), 10);
    EXPECT_EQ(s.RowCount(), 20);
    EXPECT_EQ(s.Cell(0, 0), "A1");
    EXPECT_EQ(s.Cell(0, 1), "n");
    EXPECT_EQ(s.Cell(1, 0), "A");
    EXPECT_EQ(s.Cell(9, 0), "I");
    EXPECT_EQ(s.Cell(0, 2), "1");
    EXPECT_EQ(s.Cell(0, 19), "18");
    EXPECT_EQ(s.Cell(1, 1), "0");
    EXPECT_EQ(s.Selection(), (TSheetRange{1, 2, 1, 2}));
    EXPECT_FALSE(s.SheetModified());
    EXPECT_EQ(s.SheetFileName(), "Untitled");
    EXPECT_EQ(s.Caption(), "Untitled - Ivra Image Analyser");
    EXPECT_EQ(s.Decimals(), 2);
}

TEST(SheetModel, ColumnLettersAndAddresses) {
    EXPECT_EQ(TSheetModel::ColumnLetter(1), "A");
    EXPECT_EQ(TSheetModel::ColumnLetter(26), "Z");
    EXPECT_EQ(TSheetModel::ColumnLetter(27), "[");
    EXPECT_EQ(TSheetModel::ColumnLetter(191), std::string(1, char(255)));
    EXPECT_EQ(TSheetModel::ColumnLetter(192), "#192");
    EXPECT_EQ(TSheetModel::CellAddress(2, 4), "B3");
    TSheetModel s;
    while (s.ColCount() < 28) s.AddColumn();
    EXPECT_EQ(s.Cell(27, 0), "[");
    s.Select(2, 4);
    EXPECT_EQ(s.Address(), "B3");
    EXPECT_EQ(s.Cell(0, 0), "B3");
}

TEST(SheetModel, ValuesFillAColumn) {
    TSheetModel s;
    for (float v : {5.0f, 10.5f, 3.333f}) s.AddValue(v);
    EXPECT_EQ(s.Cell(C('A'), R(1)), "5.00");
    EXPECT_EQ(s.Cell(C('A'), R(2)), "10.50");
    EXPECT_EQ(s.Cell(C('A'), R(3)), "3.33");
    EXPECT_EQ(s.Selection(), (TSheetRange{1, R(4), 1, R(4)}));
    EXPECT_EQ(s.Address(), "A4");
    EXPECT_EQ(s.Cell(C('A'), 1), "3");
    EXPECT_EQ(s.Cell(C('B'), 1), "0");
    EXPECT_TRUE(s.SheetModified());
    EXPECT_EQ(s.ModifiedMark(), "Modified");
}

TEST(SheetModel, DecimalsAndSeparator) {
    TSheetModel s;
    s.SetDecimals(0);
    s.AddValue(1234.6f);
    s.SetDecimals(5);
    s.SetDecimalSeparator(',');
    s.AddValue(0.25f);
    s.SetDecimals(500);
    EXPECT_EQ(s.Decimals(), 100);
    s.AddValue(1.5f); // more decimals than the number text writes: 18
    s.SetDecimals(-1);
    EXPECT_EQ(s.Decimals(), 0);
    EXPECT_EQ(s.Cell(1, R(1)), "1235");
    EXPECT_EQ(s.Cell(1, R(2)), "0,25000");
    EXPECT_EQ(s.Cell(1, R(3)), "1,500000000000000000");
}

TEST(SheetModel, ValueOnLastRowAppendsRow) {
    TSheetModel s;
    s.Select(1, s.LastRow());
    s.AddValue(1);
    EXPECT_EQ(s.RowCount(), 21);
    EXPECT_EQ(s.Cell(0, 20), "19");
    EXPECT_EQ(s.Selection().Top, 20);
}

TEST(SheetModel, AccumulationAndCounter) {
    TSheetModel s;
    s.SetDisableAutoInc(true);
    s.AddValue(1.5f);
    s.AddValue(2.25f);
    EXPECT_EQ(s.Cell(1, R(1)), "3.75");
    EXPECT_EQ(s.Selection().Top, R(1));
    s.Select(2, R(1));
    s.EditCell(2, R(1), "abc"); // not a number counts as 0
    s.AddValue(1);
    EXPECT_EQ(s.Cell(2, R(1)), "1.00");
    s.Select(3, R(1));
    for (int i = 0; i < 3; ++i) s.AddTag(50, 60);
    EXPECT_EQ(s.Cell(3, R(1)), "3");
    s.EditCell(3, R(1), "2.5"); // not an integer counts as 0
    s.AddTag(0, 0);
    EXPECT_EQ(s.Cell(3, R(1)), "1");
}

TEST(SheetModel, Tags) {
    TSheetModel s;
    s.Select(C('B'), R(1));
    s.AddTag(120, 45);
    s.AddTag(7, 8);
    EXPECT_EQ(s.Cell(C('B'), R(1)), "120");
    EXPECT_EQ(s.Cell(C('C'), R(1)), "45");
    EXPECT_EQ(s.Cell(C('B'), R(2)), "7");
    EXPECT_EQ(s.Cell(C('C'), R(2)), "8");
    EXPECT_EQ(s.Address(), "B3");
    // In the last column a column is appended for y.
    s.Select(s.LastCol(), R(1));
    s.AddTag(-1, -2);
    EXPECT_EQ(s.ColCount(), 11);
    EXPECT_EQ(s.Cell(10, 0), "J");
    EXPECT_EQ(s.Cell(9, R(1)), "-1");
    EXPECT_EQ(s.Cell(10, R(1)), "-2");
}

TEST(SheetModel, ModifiedFlagRules) {
    TSheetModel s;
    s.AddValue(1);
    EXPECT_TRUE(s.SheetModified());
    s.ClearData(); // clears the flag, leaves the mark
    EXPECT_FALSE(s.SheetModified());
    EXPECT_EQ(s.ModifiedMark(), "Modified");
    s.NewSheet();
    EXPECT_EQ(s.ModifiedMark(), "");
    s.EditCell(2, 3, "x");
    EXPECT_TRUE(s.SheetModified());
    s.SetSheetModified(false);
    s.EditCell(2, 3, "x"); // no change
    EXPECT_FALSE(s.SheetModified());
    s.EditCell(0, 3, "x"); // fixed cell: not editable
    s.EditCell(2, 1, "x");
    EXPECT_EQ(s.Cell(0, 3), "2");
    EXPECT_FALSE(s.SheetModified());
    // Selecting and settings change no data.
    s.Select(3, 3);
    s.SetDecimals(4);
    s.PressSelectionMode();
    EXPECT_FALSE(s.SheetModified());
    // Operations that change the data mark it, so that closing asks.
    s.PasteText("1\t2\r\n");
    EXPECT_TRUE(s.SheetModified());
    s.SetSheetModified(false);
    s.PasteText("\t\r\n"); // only empty pieces: nothing changed
    EXPECT_FALSE(s.SheetModified());
    s.CopyToText(true);
    EXPECT_TRUE(s.SheetModified());
    s.SetSheetModified(false);
    s.CopyToText(false);
    EXPECT_FALSE(s.SheetModified());
    s.InsertRow();
    EXPECT_TRUE(s.SheetModified());
}

TEST(SheetModel, SelectionModeAndEditing) {
    TSheetModel s;
    EXPECT_TRUE(s.EditingEnabled());
    s.PressSelectionMode();
    EXPECT_TRUE(s.SelectionMode());
    EXPECT_FALSE(s.EditingEnabled());
    s.PressSelectionMode(); // released, editing stays off
    EXPECT_FALSE(s.SelectionMode());
    EXPECT_FALSE(s.EditingEnabled());
    s.PressSelectionMode();
    s.GridDoubleClick();
    EXPECT_FALSE(s.SelectionMode());
    EXPECT_TRUE(s.EditingEnabled());
}

TEST(SheetModel, SelectionIsClampedIntoData) {
    TSheetModel s;
    s.SelectRange(5, 9, 0, 0);
    EXPECT_EQ(s.Selection(), (TSheetRange{1, 2, 5, 9}));
    EXPECT_EQ(s.Address(), "A1");
    s.SelectRange(3, 4, 100, 100);
    EXPECT_EQ(s.Selection(), (TSheetRange{3, 4, 9, 19}));
    EXPECT_EQ(s.Col(), 9);
    EXPECT_EQ(s.Row(), 19);
}

TEST(SheetModel, InsertRowAndColumn) {
    TSheetModel s;
    s.EditCell(1, R(1), "a1");
    s.EditCell(1, R(2), "a2");
    s.EditCell(2, R(2), "b2");
    s.EditCell(1, s.LastRow(), "last");
    s.Select(2, R(2));
    s.InsertRow();
    EXPECT_EQ(s.RowCount(), 21);
    EXPECT_EQ(s.Cell(0, 20), "19");
    EXPECT_EQ(s.Cell(1, R(1)), "a1");
    EXPECT_EQ(s.Cell(1, R(2)), "");
    EXPECT_EQ(s.Cell(2, R(2)), "");
    EXPECT_EQ(s.Cell(1, R(3)), "a2");
    EXPECT_EQ(s.Cell(2, R(3)), "b2");
    EXPECT_EQ(s.Cell(1, 20), "last");
    EXPECT_EQ(s.Cell(0, R(3)), "3"); // labels stay positional

    s.Select(1, R(1));
    s.InsertColumn();
    EXPECT_EQ(s.ColCount(), 11);
    EXPECT_EQ(s.Cell(10, 0), "J");
    EXPECT_EQ(s.Cell(1, R(1)), "");
    EXPECT_EQ(s.Cell(2, R(1)), "a1");
    EXPECT_EQ(s.Cell(3, R(3)), "b2");
    EXPECT_EQ(s.Cell(0, R(1)), "1"); // the label column is not touched
    EXPECT_EQ(s.Cell(1, 0), "A");
    EXPECT_EQ(s.Cell(2, 1), "3"); // counts follow the data: a1, a2, last
}

TEST(SheetModel, DeleteRowAndColumnWithLimits) {
    TSheetModel s;
    s.EditCell(1, R(1), "a1");
    s.EditCell(1, R(2), "a2");
    s.EditCell(2, R(2), "b2");
    s.DeleteRow(R(1));
    EXPECT_EQ(s.RowCount(), 19);
    EXPECT_EQ(s.Cell(1, R(1)), "a2");
    EXPECT_EQ(s.Cell(2, R(1)), "b2");
    EXPECT_EQ(s.Cell(0, R(1)), "1");
    EXPECT_EQ(s.Cell(0, 18), "17");
    s.DeleteColumn(1);
    EXPECT_EQ(s.ColCount(), 9);
    EXPECT_EQ(s.Cell(1, R(1)), "b2");
    EXPECT_EQ(s.Cell(1, 0), "A");
    EXPECT_EQ(s.Cell(8, 0), "H");
    EXPECT_EQ(s.Cell(1, 1), "1");
    // Not data rows or columns: nothing.
    s.DeleteRow(0);
    s.DeleteRow(1);
    s.DeleteRow(s.RowCount());
    s.DeleteColumn(0);
    s.DeleteColumn(s.ColCount());
    EXPECT_EQ(s.RowCount(), 19);
    EXPECT_EQ(s.ColCount(), 9);
    // The last data row and the last data column stay.
    s.Select(s.LastCol(), s.LastRow());
    while (s.RowCount() > 3) s.DeleteRow(2);
    s.DeleteRow(2);
    EXPECT_EQ(s.RowCount(), 3);
    while (s.ColCount() > 2) s.DeleteColumn(1);
    s.DeleteColumn(1);
    EXPECT_EQ(s.ColCount(), 2);
    EXPECT_EQ(s.Selection(), (TSheetRange{1, 2, 1, 2}));
    EXPECT_EQ(s.Address(), "A1");
}

TEST(SheetModel, CopyCutAndPaste) {
    TSheetModel s;
    s.EditCell(C('B'), R(2), "b2");
    s.EditCell(C('C'), R(2), "c2");
    s.EditCell(C('B'), R(3), "b3");
    s.EditCell(C('C'), R(3), "c3");
    s.SelectRange(C('B'), R(2), C('C'), R(3));
    const std::string text = s.CopyToText(false);
    EXPECT_EQ(text, "b2\tc2\r\nb3\tc3\r\n");
    // Pasting at D5 fills D5:E6.
    s.Select(C('D'), R(5));
    s.PasteText(text);
    EXPECT_EQ(s.Cell(C('D'), R(5)), "b2");
    EXPECT_EQ(s.Cell(C('E'), R(5)), "c2");
    EXPECT_EQ(s.Cell(C('D'), R(6)), "b3");
    EXPECT_EQ(s.Cell(C('E'), R(6)), "c3");
    EXPECT_EQ(s.ColCount(), 10);
    // Pasted where E is the last column: a column is appended.
    while (s.ColCount() > 6) s.DeleteColumn(s.LastCol());
    s.Select(C('D'), R(10));
    s.PasteText(text);
    EXPECT_EQ(s.ColCount(), 7);
    EXPECT_EQ(s.Cell(C('E'), R(11)), "c3");
    // Cut empties the cells.
    s.SelectRange(C('B'), R(2), C('C'), R(3));
    EXPECT_EQ(s.CopyToText(true), text);
    EXPECT_EQ(s.Cell(C('B'), R(2)), "");
    EXPECT_EQ(s.Cell(C('C'), R(3)), "");
}

TEST(SheetModel, PasteDetails) {
    TSheetModel s;
    s.EditCell(2, R(1), "keep");
    s.Select(1, R(1));
    // An empty piece leaves its cell; a last line without CR LF counts;
    // LF-only line ends are taken too.
    s.PasteText("x\t\ty\nu\r\nlast");
    EXPECT_EQ(s.Cell(1, R(1)), "x");
    EXPECT_EQ(s.Cell(2, R(1)), "keep");
    EXPECT_EQ(s.Cell(3, R(1)), "y");
    EXPECT_EQ(s.Cell(1, R(2)), "u");
    EXPECT_EQ(s.Cell(1, R(3)), "last");
    EXPECT_EQ(s.Selection(), (TSheetRange{1, R(1), 1, R(1)}));
    // Rows are appended past the last one.
    s.Select(1, s.LastRow());
    s.PasteText("p\r\nq\r\n");
    EXPECT_EQ(s.RowCount(), 22);
    EXPECT_EQ(s.Cell(1, 20), "q");
    EXPECT_EQ(s.Cell(0, 21), "20");
    // Too big: refused, nothing changed.
    const auto before = s.Grid().Row(2);
    std::string huge(std::size_t(TSheetModel::MaxCells / 5), '\n');
    huge.insert(0, "z");
    EXPECT_THROW(s.PasteText(huge), Error);
    EXPECT_EQ(s.RowCount(), 22);
    EXPECT_EQ(s.Grid().Row(2), before);
}

TEST(SplitToken, Cases) {
    std::string text = "a\tb\t";
    std::string piece = "old";
    EXPECT_TRUE(SplitToken(text, '\t', piece));
    EXPECT_EQ(piece, "a");
    EXPECT_EQ(text, "b\t");
    EXPECT_TRUE(SplitToken(text, '\t', piece));
    EXPECT_EQ(piece, "b");
    EXPECT_EQ(text, "");
    EXPECT_FALSE(SplitToken(text, '\t', piece));
    EXPECT_EQ(piece, "b"); // untouched
    text = "tail";
    EXPECT_TRUE(SplitToken(text, '\t', piece));
    EXPECT_EQ(piece, "tail");
    EXPECT_EQ(text, "");
    text = "\t";
    EXPECT_TRUE(SplitToken(text, '\t', piece));
    EXPECT_EQ(piece, "");
    EXPECT_EQ(text, "");
}

TEST(SplitToken, ViewFormCutsTheSamePieces) {
    // The view form and the string form agree piece by piece.
    for (const char* text : {"a\tb\t", "tail", "\t", "\t\tx", ""}) {
        std::string str = text, strPiece;
        std::string_view view = text, viewPiece;
        for (;;) {
            const bool s = SplitToken(str, '\t', strPiece), v = SplitToken(view, '\t', viewPiece);
            ASSERT_EQ(s, v) << text;
            if (!s) break;
            EXPECT_EQ(strPiece, viewPiece) << text;
            EXPECT_EQ(str, view) << text;
        }
    }
}

// Sheets of extreme shape, each loaded in one pass over the text; the shape
// and the cells are those that appending row by row and column by column
// gives.
TEST(SheetFile, ExtremeShapes) {
    TSheetModel s;
    // 419,000 empty lines (0.8 MB): as many rows, all labelled, all empty.
    s.LoadFromText(std::string(419000, '\n'));
    EXPECT_EQ(s.RowCount(), 419002);
    EXPECT_EQ(s.ColCount(), 10);
    EXPECT_EQ(s.Cell(0, 419001), "419000");
    EXPECT_EQ(s.Cell(1, 1), "0");
    // 20,000 tabs, then one cell of 6 MiB: the cell lands in column 20,001.
    const std::string big(std::size_t(6) << 20, 'x');
    s.LoadFromText(std::string(20000, '\t') + big + "\r\nend\t");
    EXPECT_EQ(s.RowCount(), 4);
    EXPECT_EQ(s.ColCount(), 20003);
    EXPECT_EQ(s.Cell(20001, 2), big);
    EXPECT_EQ(s.Cell(1, 3), "end");
    EXPECT_EQ(s.Cell(20002, 0), TSheetModel::ColumnLetter(20002));
    EXPECT_EQ(s.Cell(20001, 1), "1");
    EXPECT_EQ(s.Cell(0, 3), "2");
    // Pasting 100,000 lines at the last row grows the sheet once, labelled.
    TSheetModel p;
    p.Select(2, p.LastRow());
    std::string lines;
    for (int i = 0; i < 100000; ++i) lines += std::to_string(i) + "\t\r\n";
    p.PasteText(lines);
    EXPECT_EQ(p.RowCount(), 100020);
    EXPECT_EQ(p.ColCount(), 10);
    EXPECT_EQ(p.Cell(2, 100018), "99999");
    EXPECT_EQ(p.Cell(0, 100019), "100018");
    EXPECT_EQ(p.Cell(2, 1), "100000");
}

TEST(SheetFile, TooLargeRefusalStatesTheLimit) {
    const std::string path = TempPath("huge.txt");
    {
        TAtomicFileWriter w(path);
        const std::string block(std::size_t(1) << 20, '\t');
        for (int i = 0; i < 65; ++i) w.Write(block);
        w.Commit();
    }
    TSheetModel s;
    try {
        s.LoadFromFile(path);
        FAIL() << "accepted";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("64 MiB"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    std::filesystem::remove(path);
}

TEST(SheetFile, FreshSheetIsEighteenLinesOfNineTabs) {
    TSheetModel s;
    std::string expected;
    for (int i = 0; i < 18; ++i) expected += "\t\t\t\t\t\t\t\t\t\r\n";
    EXPECT_EQ(s.SaveToText(), expected);
    const std::string path = TempPath("fresh.txt");
    s.SaveToFile(path);
    EXPECT_EQ(ReadText(path), expected);
    std::filesystem::remove(path);
}

TEST(SheetFile, SmallExample) {
    TSheetModel s;
    while (s.ColCount() > 4) s.DeleteColumn(s.LastCol());
    while (s.RowCount() > 4) s.DeleteRow(s.LastRow());
    s.EditCell(1, 2, "5.00");
    s.EditCell(2, 2, "7.25");
    s.EditCell(1, 3, "3");
    EXPECT_EQ(s.SaveToText(), "5.00\t7.25\t\t\r\n3\t\t\t\r\n");
}

TEST(SheetFile, RoundTripKeepsCellsAndAddsOneColumn) {
    TSheetModel s;
    s.EditCell(1, 2, "5.00");
    s.EditCell(9, 4, "last col");
    s.EditCell(3, 19, "bottom \xe9\x01 bytes");
    s.Select(4, 12);
    const std::string path = TempPath("rt.txt");
    s.SaveSheetFile(path);
    EXPECT_EQ(s.SheetFileName(), path);
    EXPECT_EQ(s.Caption(), std::filesystem::path(path).filename().string() + " - Ivra Image Analyser");

    TSheetModel t;
    t.OpenSheetFile(path);
    EXPECT_EQ(t.RowCount(), 20);
    EXPECT_EQ(t.ColCount(), 11); // the lines reach the last column
    for (int r = 2; r < 20; ++r)
        for (int c = 1; c < 10; ++c) EXPECT_EQ(t.Cell(c, r), s.Cell(c, r)) << c << "," << r;
    for (int r = 2; r < 20; ++r) EXPECT_EQ(t.Cell(10, r), "");
    EXPECT_EQ(t.Cell(10, 0), "J");
    EXPECT_EQ(t.Cell(0, 19), "18");
    EXPECT_EQ(t.Cell(1, 1), "1");
    EXPECT_FALSE(t.SheetModified());
    EXPECT_EQ(t.SheetFileName(), path);
    std::filesystem::remove(path);
}

TEST(SheetFile, LoadingShapes) {
    TSheetModel s;
    for (int r = 2; r < s.RowCount(); ++r)
        for (int c = 1; c < s.ColCount(); ++c) s.EditCell(c, r, "old");
    // An empty file: one empty data row; nothing of the old sheet stays.
    s.LoadFromText("");
    EXPECT_EQ(s.RowCount(), 3);
    EXPECT_EQ(s.ColCount(), 10);
    for (int c = 1; c < 10; ++c) EXPECT_EQ(s.Cell(c, 2), "");
    EXPECT_EQ(s.Cell(1, 1), "0");
    // An empty line gives an empty data row; a short line fills from A.
    s.LoadFromText("1\t2\r\n\r\nx\r\n");
    EXPECT_EQ(s.RowCount(), 5);
    EXPECT_EQ(s.Cell(1, 2), "1");
    EXPECT_EQ(s.Cell(2, 2), "2");
    EXPECT_EQ(s.Cell(1, 3), "");
    EXPECT_EQ(s.Cell(1, 4), "x");
    EXPECT_EQ(s.Cell(0, 4), "3");
    // A line longer than the sheet widens it; the width never shrinks.
    s.LoadFromText("1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\r\n");
    EXPECT_EQ(s.ColCount(), 13);
    EXPECT_EQ(s.Cell(11, 2), "11");
    EXPECT_EQ(s.Cell(12, 0), "L");
    s.LoadFromText("a");
    EXPECT_EQ(s.ColCount(), 13);
    EXPECT_EQ(s.Cell(1, 2), "a");
    EXPECT_EQ(s.Cell(11, 2), "");
    // LF-only files and a last line without a line end.
    s.LoadFromText("p\nq");
    EXPECT_EQ(s.RowCount(), 4);
    EXPECT_EQ(s.Cell(1, 3), "q");
}

TEST(SheetFile, FailedLoadLeavesTheSheet) {
    TSheetModel s;
    s.EditCell(1, 2, "keep");
    s.Select(3, 7);
    const std::string missing = TempPath("missing.txt");
    try {
        s.OpenSheetFile(missing);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find(missing), std::string::npos);
    }
    EXPECT_EQ(s.Cell(1, 2), "keep");
    EXPECT_EQ(s.RowCount(), 20);
    EXPECT_EQ(s.SheetFileName(), "Untitled");
    EXPECT_TRUE(s.SheetModified());
    EXPECT_EQ(s.Selection(), (TSheetRange{3, 7, 3, 7}));
    // A file too large for the sheet is refused as a whole.
    const std::string big = TempPath("big.txt");
    WriteFileAtomically(big, std::string(std::size_t(TSheetModel::MaxCells / 5), '\t') + "\r\n" +
                                 std::string(10, '\n'));
    EXPECT_THROW(s.OpenSheetFile(big), Error);
    EXPECT_EQ(s.Cell(1, 2), "keep");
    EXPECT_EQ(s.ColCount(), 10);
    std::filesystem::remove(big);
    // A directory cannot be read.
    EXPECT_THROW(s.LoadFromFile(std::filesystem::temp_directory_path().string()), Error);
    EXPECT_EQ(s.Cell(1, 2), "keep");
}

TEST(SheetFile, FailedSaveKeepsNameAndFlag) {
    TSheetModel s;
    s.AddValue(1);
    EXPECT_THROW(s.SaveSheetFile("/nonexistent-dir/x.txt"), Error);
    EXPECT_EQ(s.SheetFileName(), "Untitled");
    EXPECT_TRUE(s.SheetModified());
}

} // namespace
