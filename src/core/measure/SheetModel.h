#pragma once
// The measurement spreadsheet as a model: a grid of text cells with a fixed
// header row, count row and row-label column, the selection the measuring
// tools write into, the editing operations, the modified flag, the settings
// and the spreadsheet file. The window only displays it and forwards the
// user's commands; everything here is plain C++.
//
// Layout of the grid (column, row):
//   (0, 0)            the address of the current cell ("A1")
//   (c, 0), c >= 1    the column letter: the character 64 + c ("A", ..., "Z", "[", ...)
//   (0, 1)            "n"; (c, 1) the number of non-empty data cells of column c
//   (0, r), r >= 2    the row label r - 1
//   (c, r), c >= 1, r >= 2  the data cells
// Cell texts are 8-bit strings kept as they are (no transcoding); column
// letters past "~" are single bytes of the upper half of the code table.

#include "core/text/TextGrid.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace ivra {

// A block of cells, inclusive on all sides.
struct TSheetRange {
    int Left = 1, Top = 2, Right = 1, Bottom = 2;
    friend bool operator==(const TSheetRange&, const TSheetRange&) = default;
};

// SplitToken(text, separator, piece): cuts the first piece off text. When
// separator occurs, piece := the text before it and text loses that part and
// the separator. Otherwise a non-empty text becomes the piece and text
// becomes empty. Returns false (piece untouched) only for an empty text.
// The view form costs only the length of the piece, so that splitting a
// whole line piece by piece stays linear.
bool SplitToken(std::string_view& text, char separator, std::string_view& piece);
bool SplitToken(std::string& text, char separator, std::string& piece);

class TSheetModel {
public:
    static constexpr int FixedRows = 2;
    static constexpr int FixedCols = 1;
    static constexpr int DefaultRowCount = 20;
    static constexpr int DefaultColCount = 10;
    static constexpr int MaxDecimals = 100;
    // The most cells (rows times columns) loading or pasting may make; beyond
    // it they fail with an Error and change nothing.
    static constexpr std::int64_t MaxCells = std::int64_t(1) << 22;
    static constexpr const char* UntitledName = "Untitled";

    // A cleared sheet (ClearData) named "Untitled".
    TSheetModel();

    // ---- the grid
    const TTextGrid& Grid() const { return grid_; }
    int RowCount() const { return grid_.RowCount(); }
    int ColCount() const { return grid_.ColCount(); }
    int LastRow() const { return RowCount() - 1; }
    int LastCol() const { return ColCount() - 1; }
    const std::string& Cell(int col, int row) const { return grid_.Cell(col, row); }
    bool IsDataCell(int col, int row) const;
    // The header of column col (col >= 1): the character 64 + col; columns
    // beyond 191, which have no character left, show "#" and their number.
    static std::string ColumnLetter(int col);
    // The address of a data cell: column letter and data-row number ("B3"
    // for column 2, row 4).
    static std::string CellAddress(int col, int row);
    // Incremented by every change of cells, size, selection or flags, so that
    // a window can tell when to repaint.
    std::uint64_t Revision() const { return revision_; }

    // ---- commands
    // The text typed into a data cell: stores it and, when it differs,
    // marks the sheet modified. Fixed cells are not editable (ignored).
    void EditCell(int col, int row, std::string text);
    // 20 rows, 10 columns, empty, headers and labels written, the selection
    // on A1, not modified (the modified-mark text is left as it was). The
    // file name stays.
    void ClearData();
    // One row or column more at the end, labelled.
    void AddRow();
    void AddColumn();
    // A measured value into the current cell: its text with Decimals()
    // decimals, then the selection moves one row down (a row is appended
    // past the last). With DisableAutoInc on, the value is added to the
    // cell's number instead and the selection stays.
    void AddValue(float x);
    // A tag: x into the current cell and y into the next column (appended
    // when needed), then one row down. With DisableAutoInc on, the current
    // cell counts one up instead.
    void AddTag(int x, int y);
    // An empty row at the selected top row (the rows below move down) and
    // an empty column at the selected left column (the columns right of it
    // move right). Row labels and headers stay positional.
    void InsertRow();
    void InsertColumn();
    // Removes data row `row` (nothing when it is not a data row or only one
    // data row is left) and data column `col` (nothing when it is not a data
    // column or only one data column is left). The window passes the
    // selection's top row or left column.
    void DeleteRow(int row);
    void DeleteColumn(int col);
    // The selected block as text: the cells of a row joined by tabs, each row
    // followed by CR LF. With cut the copied cells are emptied.
    std::string CopyToText(bool cut);
    // Pastes such text at the selection's top-left cell: lines at CR LF (or
    // LF; a last line without one counts), pieces at tabs; an empty piece
    // leaves its cell as it is. Columns and rows are appended as the text
    // runs past the last ones. Throws Error (and changes nothing) when the
    // sheet would exceed MaxCells.
    void PasteText(std::string_view text);

    // ---- selection (always inside the data cells)
    const TSheetRange& Selection() const { return selection_; }
    // The current cell, whose address the sheet shows.
    int Col() const { return col_; }
    int Row() const { return row_; }
    // Select one cell, or the block between an anchor and the current cell.
    // Positions are clamped into the data cells.
    void Select(int col, int row) { SelectRange(col, row, col, row); }
    void SelectRange(int anchorCol, int anchorRow, int col, int row);
    // The address of the current cell ("A1"), as cell (0, 0) shows it.
    const std::string& Address() const { return grid_.Cell(0, 0); }

    // ---- settings
    int Decimals() const { return decimals_; }
    void SetDecimals(int decimals); // clamped to 0 .. MaxDecimals
    bool DisableAutoInc() const { return disableAutoInc_; }
    void SetDisableAutoInc(bool down);
    char DecimalSeparator() const { return decimalSeparator_; }
    void SetDecimalSeparator(char separator) { decimalSeparator_ = separator; }
    // The Selection Mode button: each press toggles it and switches in-place
    // editing off (dragging then selects ranges); a double click on the grid
    // switches editing on and releases the button.
    bool SelectionMode() const { return selectionMode_; }
    bool EditingEnabled() const { return editingEnabled_; }
    void PressSelectionMode();
    void GridDoubleClick();

    // ---- modified flag
    // Set by every change of the data: AddValue, AddTag, a typed edit, and
    // also paste, cut, insert and delete (when they change a cell), so that
    // closing the window asks before such work is lost. Cleared by New,
    // Open, Save and ClearData.
    bool SheetModified() const { return modified_; }
    // Sets the flag and the modified mark ("Modified" or empty).
    void SetSheetModified(bool modified);
    // The text of the window's modified panel.
    const std::string& ModifiedMark() const { return modifiedMark_; }

    // ---- file
    const std::string& SheetFileName() const { return fileName_; }
    void SetSheetFileName(std::string name);
    bool IsUntitled() const { return fileName_ == UntitledName; }
    // The window caption: the file-name part, " - " and the program's title.
    std::string Caption(std::string_view appTitle = "Ivra Image Analyser") const;
    // File commands without their dialogs. New: "Untitled", not modified,
    // cells kept. Open: load, then name and not modified (nothing changes
    // when loading fails). Save: write, then name and not modified.
    void NewSheet();
    void OpenSheetFile(const std::string& path);
    void SaveSheetFile(const std::string& path);

    // The data cells as file text: one line per data row (empty rows too),
    // every cell of columns 1 to last followed by a tab, CR LF line ends.
    std::string SaveToText() const;
    void SaveToFile(const std::string& path) const;
    // Reads the whole file first and changes the sheet only when that
    // succeeded: the data rows become the file's lines (one empty data row
    // for an empty file), cells stored piece by piece at tabs from column 1,
    // a column appended whenever a line runs past the last column. The column
    // count never shrinks. Throws Error naming the file.
    void LoadFromFile(const std::string& path);
    void LoadFromText(std::string_view text); // the same from memory

private:
    void Changed() { ++revision_; }
    void RefreshCounts();
    void RefreshAddress();
    void ClampSelection();
    void MoveSelectionDown();
    void SetData(int col, int row, std::string text);

    TTextGrid grid_;
    TSheetRange selection_;
    int col_ = 1, row_ = 2;
    int decimals_ = 2;
    bool disableAutoInc_ = false;
    char decimalSeparator_ = '.';
    bool selectionMode_ = false;
    bool editingEnabled_ = true;
    bool modified_ = false;
    std::string modifiedMark_;
    std::string fileName_ = UntitledName;
    std::uint64_t revision_ = 0;
};

} // namespace ivra
