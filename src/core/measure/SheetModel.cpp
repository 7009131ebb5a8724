#include "core/measure/SheetModel.h"

#include "core/Error.h"
#include "core/io/FileIO.h"
#include "core/text/NumberText.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace ivra {

bool SplitToken(std::string_view& text, char separator, std::string_view& piece) {
    if (text.empty()) return false;
    const auto pos = text.find(separator);
    if (pos != std::string_view::npos) {
        piece = text.substr(0, pos);
        text.remove_prefix(pos + 1);
    } else {
        piece = text;
        text = {};
    }
    return true;
}

bool SplitToken(std::string& text, char separator, std::string& piece) {
    std::string_view rest(text), view;
    if (!SplitToken(rest, separator, view)) return false;
    piece = std::string(view);
    text.erase(0, text.size() - rest.size());
    return true;
}

namespace {

// The biggest file LoadFromFile reads; a sheet within MaxCells is far smaller.
constexpr std::size_t MaxSheetFileBytes = std::size_t(64) << 20;

// Grows the grid to at least cols x rows in one step (one pass over the
// rows, however many are added), labelling the new rows and columns.
void GrowGrid(TTextGrid& g, std::int64_t cols, std::int64_t rows) {
    const int oldCols = g.ColCount(), oldRows = g.RowCount();
    if (cols <= oldCols && rows <= oldRows) return;
    g.SetSize(int(std::max<std::int64_t>(cols, oldCols)), int(std::max<std::int64_t>(rows, oldRows)));
    for (int c = oldCols; c < g.ColCount(); ++c) g.SetCell(c, 0, TSheetModel::ColumnLetter(c));
    for (int r = oldRows; r < g.RowCount(); ++r) g.SetCell(0, r, std::to_string(r - 1));
}

void AppendRow(TTextGrid& g) { GrowGrid(g, g.ColCount(), std::int64_t(g.RowCount()) + 1); }
void AppendColumn(TTextGrid& g) { GrowGrid(g, std::int64_t(g.ColCount()) + 1, g.RowCount()); }

// Calls f for each line of a text: lines end at LF, a CR before it dropped;
// a last line without a line end counts, the empty rest after a final line
// end does not.
template <class F> void ForEachLine(std::string_view text, F&& f) {
    while (!text.empty()) {
        const auto lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        if (!line.empty() && line.back() == '\r' && lf != std::string_view::npos) line.remove_suffix(1);
        f(line);
        if (lf == std::string_view::npos) break;
        text.remove_prefix(lf + 1);
    }
}

void CheckCells(std::int64_t cols, std::int64_t rows, const std::string& what) {
    if (cols * rows > TSheetModel::MaxCells)
        throw Error(what + " would make the spreadsheet too large (" + std::to_string(cols) + " columns, " +
                    std::to_string(rows) + " rows; at most " + std::to_string(TSheetModel::MaxCells) +
                    " cells).");
}

} // namespace

TSheetModel::TSheetModel() { ClearData(); }

bool TSheetModel::IsDataCell(int col, int row) const {
    return col >= FixedCols && col < ColCount() && row >= FixedRows && row < RowCount();
}

std::string TSheetModel::ColumnLetter(int col) {
    if (col >= 1 && 64 + col <= 255) return std::string(1, char(static_cast<unsigned char>(64 + col)));
    std::string text(1, '#');
    text += std::to_string(col);
    return text;
}

std::string TSheetModel::CellAddress(int col, int row) {
    return ColumnLetter(col) + std::to_string(row - 1);
}

void TSheetModel::RefreshCounts() {
    for (int c = FixedCols; c < ColCount(); ++c) {
        int n = 0;
        for (int r = FixedRows; r < RowCount(); ++r)
            if (!grid_.Cell(c, r).empty()) ++n;
        grid_.SetCell(c, 1, std::to_string(n));
    }
}

void TSheetModel::RefreshAddress() { grid_.SetCell(0, 0, CellAddress(col_, row_)); }

void TSheetModel::ClampSelection() {
    auto clampCol = [&](int& c) { c = std::clamp(c, FixedCols, LastCol()); };
    auto clampRow = [&](int& r) { r = std::clamp(r, FixedRows, LastRow()); };
    clampCol(selection_.Left);
    clampCol(selection_.Right);
    clampRow(selection_.Top);
    clampRow(selection_.Bottom);
    clampCol(col_);
    clampRow(row_);
    RefreshAddress();
}

void TSheetModel::SetData(int col, int row, std::string text) { grid_.SetCell(col, row, std::move(text)); }

void TSheetModel::EditCell(int col, int row, std::string text) {
    if (!IsDataCell(col, row) || grid_.Cell(col, row) == text) return;
    SetData(col, row, std::move(text));
    RefreshCounts();
    SetSheetModified(true);
    Changed();
}

void TSheetModel::ClearData() {
    grid_.SetSize(0, 0); // no old text survives into the new cells
    grid_.SetSize(DefaultColCount, DefaultRowCount);
    grid_.SetCell(0, 1, "n");
    for (int c = FixedCols; c < DefaultColCount; ++c) grid_.SetCell(c, 0, ColumnLetter(c));
    for (int r = FixedRows; r < DefaultRowCount; ++r) grid_.SetCell(0, r, std::to_string(r - 1));
    selection_ = TSheetRange{};
    col_ = FixedCols;
    row_ = FixedRows;
    RefreshAddress();
    RefreshCounts();
    modified_ = false; // the modified mark stays as it was
    Changed();
}

void TSheetModel::AddRow() {
    AppendRow(grid_);
    RefreshCounts();
    Changed();
}

void TSheetModel::AddColumn() {
    AppendColumn(grid_);
    RefreshCounts();
    Changed();
}

void TSheetModel::MoveSelectionDown() {
    ++selection_.Top;
    ++selection_.Bottom;
    ++row_;
    if (selection_.Top > LastRow()) AppendRow(grid_);
    ClampSelection();
}

void TSheetModel::AddValue(float x) {
    const int d = decimals_;
    const int left = selection_.Left, top = selection_.Top;
    SetSheetModified(true);
    if (disableAutoInc_) {
        double old = 0;
        const float v = TextToFloat(grid_.Cell(left, top), old) ? float(old) : 0.0f;
        SetData(left, top, FloatToText(double(x) + double(v), d, decimalSeparator_));
    } else {
        SetData(left, top, FloatToText(x, d, decimalSeparator_));
        MoveSelectionDown();
    }
    RefreshCounts();
    Changed();
}

void TSheetModel::AddTag(int x, int y) {
    const int left = selection_.Left, top = selection_.Top;
    SetSheetModified(true);
    if (disableAutoInc_) {
        std::int64_t n = 0;
        if (!TextToInteger(grid_.Cell(left, top), n)) n = 0;
        if (n < std::numeric_limits<std::int64_t>::max()) ++n;
        SetData(left, top, std::to_string(n));
    } else {
        SetData(left, top, std::to_string(x));
        if (left == LastCol()) AppendColumn(grid_);
        SetData(left + 1, top, std::to_string(y));
        MoveSelectionDown();
    }
    RefreshCounts();
    Changed();
}

void TSheetModel::InsertRow() {
    const int top = selection_.Top;
    AppendRow(grid_);
    for (int r = LastRow() - 1; r >= top; --r)
        for (int c = FixedCols; c < ColCount(); ++c) SetData(c, r + 1, grid_.Cell(c, r));
    for (int c = FixedCols; c < ColCount(); ++c) SetData(c, top, std::string());
    RefreshCounts();
    SetSheetModified(true);
    Changed();
}

void TSheetModel::InsertColumn() {
    const int left = selection_.Left;
    AppendColumn(grid_);
    for (int c = LastCol(); c > left; --c)
        for (int r = FixedRows; r < RowCount(); ++r) SetData(c, r, grid_.Cell(c - 1, r));
    for (int r = FixedRows; r < RowCount(); ++r) SetData(left, r, std::string());
    RefreshCounts();
    SetSheetModified(true);
    Changed();
}

void TSheetModel::DeleteRow(int row) {
    if (row < FixedRows || row >= RowCount() || RowCount() <= FixedRows + 1) return;
    for (int r = row; r < LastRow(); ++r)
        for (int c = 0; c < ColCount(); ++c) SetData(c, r, grid_.Cell(c, r + 1));
    grid_.SetRowCount(RowCount() - 1);
    for (int r = row; r < RowCount(); ++r) SetData(0, r, std::to_string(r - 1));
    ClampSelection();
    RefreshCounts();
    SetSheetModified(true);
    Changed();
}

void TSheetModel::DeleteColumn(int col) {
    if (col < FixedCols || col >= ColCount() || ColCount() <= FixedCols + 1) return;
    for (int r = 0; r < RowCount(); ++r)
        for (int c = col; c < LastCol(); ++c) SetData(c, r, grid_.Cell(c + 1, r));
    grid_.SetColCount(ColCount() - 1);
    for (int c = FixedCols; c < ColCount(); ++c) SetData(c, 0, ColumnLetter(c));
    ClampSelection();
    RefreshCounts();
    SetSheetModified(true);
    Changed();
}

std::string TSheetModel::CopyToText(bool cut) {
    std::string text;
    bool emptied = false;
    for (int r = selection_.Top; r <= selection_.Bottom; ++r) {
        for (int c = selection_.Left; c <= selection_.Right; ++c) {
            if (c > selection_.Left) text += '\t';
            text += grid_.Cell(c, r);
            if (cut && !grid_.Cell(c, r).empty()) {
                SetData(c, r, std::string());
                emptied = true;
            }
        }
        text += "\r\n";
    }
    if (emptied) {
        RefreshCounts();
        SetSheetModified(true);
        Changed();
    }
    return text;
}

void TSheetModel::PasteText(std::string_view text) {
    const int startCol = selection_.Left, startRow = selection_.Top;
    // The size the paste grows the sheet to, checked and made before anything
    // changes: a column is appended whenever the next column passes the last
    // one, and a row likewise.
    std::int64_t cols = ColCount(), lines = 0;
    ForEachLine(text, [&](std::string_view line) {
        ++lines;
        const std::int64_t pieces = std::int64_t(std::count(line.begin(), line.end(), '\t')) + 1;
        cols = std::max(cols, startCol + pieces + 1);
    });
    if (lines == 0) return;
    const std::int64_t rows = std::max<std::int64_t>(RowCount(), startRow + lines + 1);
    CheckCells(cols, rows, "Pasting this text");
    GrowGrid(grid_, cols, rows);

    bool changed = false;
    int row = startRow;
    ForEachLine(text, [&](std::string_view line) {
        int col = startCol;
        for (;;) {
            const auto tab = line.find('\t');
            const std::string_view piece = line.substr(0, tab);
            if (!piece.empty() && grid_.Cell(col, row) != piece) {
                SetData(col, row, std::string(piece));
                changed = true;
            }
            ++col;
            if (tab == std::string_view::npos) break;
            line.remove_prefix(tab + 1);
        }
        ++row;
    });
    RefreshCounts();
    if (changed) SetSheetModified(true);
    Changed();
}

void TSheetModel::SelectRange(int anchorCol, int anchorRow, int col, int row) {
    selection_ = {std::min(anchorCol, col), std::min(anchorRow, row), std::max(anchorCol, col),
                  std::max(anchorRow, row)};
    col_ = col;
    row_ = row;
    ClampSelection();
    Changed();
}

void TSheetModel::SetDecimals(int decimals) {
    decimals_ = std::clamp(decimals, 0, MaxDecimals);
    Changed();
}

void TSheetModel::SetDisableAutoInc(bool down) {
    disableAutoInc_ = down;
    Changed();
}

void TSheetModel::PressSelectionMode() {
    selectionMode_ = !selectionMode_;
    editingEnabled_ = false;
    Changed();
}

void TSheetModel::GridDoubleClick() {
    editingEnabled_ = true;
    selectionMode_ = false;
    Changed();
}

void TSheetModel::SetSheetModified(bool modified) {
    modified_ = modified;
    modifiedMark_ = modified ? "Modified" : "";
    Changed();
}

void TSheetModel::SetSheetFileName(std::string name) {
    fileName_ = std::move(name);
    Changed();
}

std::string TSheetModel::Caption(std::string_view appTitle) const {
    return FileNamePart(fileName_) + " - " + std::string(appTitle);
}

void TSheetModel::NewSheet() {
    SetSheetFileName(UntitledName);
    SetSheetModified(false);
}

void TSheetModel::OpenSheetFile(const std::string& path) {
    LoadFromFile(path);
    SetSheetFileName(path);
    SetSheetModified(false);
}

void TSheetModel::SaveSheetFile(const std::string& path) {
    SaveToFile(path);
    SetSheetFileName(path);
    SetSheetModified(false);
}

std::string TSheetModel::SaveToText() const {
    std::string out;
    for (int r = FixedRows; r < RowCount(); ++r) {
        for (int c = FixedCols; c < ColCount(); ++c) {
            out += grid_.Cell(c, r);
            out += '\t';
        }
        out += "\r\n";
    }
    return out;
}

void TSheetModel::SaveToFile(const std::string& path) const { WriteFileAtomically(path, SaveToText()); }

void TSheetModel::LoadFromFile(const std::string& path) {
    const auto bytes = ReadWholeFile(path, MaxSheetFileBytes);
    try {
        LoadFromText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (const Error& e) {
        throw Error("Cannot load \"" + path + "\": " + e.what());
    }
}

void TSheetModel::LoadFromText(std::string_view text) {
    // The final size first: a line of k pieces reaches column k + 1, which
    // must be a column before the last (a column is appended whenever the
    // next column passes the last one).
    std::int64_t cols = ColCount(), lines = 0;
    ForEachLine(text, [&](std::string_view line) {
        ++lines;
        const std::int64_t tabs = std::count(line.begin(), line.end(), '\t');
        const std::int64_t pieces = tabs + ((line.empty() || line.back() != '\t') ? 1 : 0);
        cols = std::max(cols, pieces + 2);
    });
    const std::int64_t rows = std::max<std::int64_t>(FixedRows + 1, FixedRows + lines);
    CheckCells(cols, rows, "The file");

    // Build the new grid apart, at its final size in one step, and put it in
    // place at the end. It keeps the fixed cells of the header rows and of
    // the first data row; every data cell starts empty: a loaded sheet shows
    // the file and nothing of what was there before.
    TTextGrid g(ColCount(), FixedRows + 1);
    for (int r = 0; r <= FixedRows; ++r)
        for (int c = 0; c < ColCount(); ++c)
            if (r < FixedRows || c < FixedCols) g.SetCell(c, r, grid_.Cell(c, r));
    GrowGrid(g, cols, rows);
    int row = FixedRows;
    ForEachLine(text, [&](std::string_view line) {
        int col = FixedCols;
        std::string_view piece;
        while (SplitToken(line, '\t', piece)) g.SetCell(col++, row, std::string(piece));
        ++row;
    });
    grid_ = std::move(g);
    ClampSelection();
    RefreshCounts();
    Changed();
}

} // namespace ivra
