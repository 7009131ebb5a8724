#pragma once
// A grid of text cells (rows of columns), as the string grids of the
// spreadsheet, statistics and profile windows hold them, and the two grid
// writers shared by those windows.

#include <string>
#include <vector>

namespace ivra {

class TTextGrid {
public:
    TTextGrid() = default;
    TTextGrid(int columns, int rows) { SetSize(columns, rows); }

    int ColCount() const { return cols_; }
    int RowCount() const { return int(cells_.size()); }
    // Keeps the cells that stay inside; new cells are empty.
    void SetSize(int columns, int rows);
    void SetColCount(int columns) { SetSize(columns, RowCount()); }
    void SetRowCount(int rows) { SetSize(cols_, rows); }

    const std::string& Cell(int col, int row) const { return cells_[std::size_t(row)][std::size_t(col)]; }
    void SetCell(int col, int row, std::string text) { cells_[std::size_t(row)][std::size_t(col)] = std::move(text); }
    const std::vector<std::string>& Row(int row) const { return cells_[std::size_t(row)]; }

private:
    int cols_ = 0;
    std::vector<std::vector<std::string>> cells_;
};

// Every row from 0, every column from 0: the cell text and a tab; CR LF
// after each row.
std::string GridToTextString(const TTextGrid& grid);
// The bare HTML table fragment, one item per line, CR LF endings. The cell
// texts have "&", "<" and ">" written as entities (numbers are unchanged).
std::string GridToHTMLString(const TTextGrid& grid);
// Write those texts to a file (safely: temporary file and rename).
void GridToText(const TTextGrid& grid, const std::string& path);
void GridToHTML(const TTextGrid& grid, const std::string& path);

} // namespace ivra
