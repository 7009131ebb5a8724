#include "analysis/GridModel.h"

#include <QFile>

#include <algorithm>

namespace ivra {

void TTextGridModel::SetHeader(const std::vector<std::string>& cells) {
    beginResetModel();
    grid_.SetSize(int(cells.size()), 1);
    for (std::size_t c = 0; c < cells.size(); ++c) grid_.SetCell(int(c), 0, cells[c]);
    endResetModel();
}

void TTextGridModel::SetGrid(TTextGrid grid) {
    beginResetModel();
    grid_ = std::move(grid);
    if (grid_.RowCount() == 0) grid_.SetRowCount(1);
    endResetModel();
}

void TTextGridModel::WriteHeader(const std::vector<std::string>& cells) {
    if (int(cells.size()) != grid_.ColCount()) grid_.SetColCount(int(cells.size()));
    for (std::size_t c = 0; c < cells.size(); ++c) grid_.SetCell(int(c), 0, cells[c]);
    emit headerDataChanged(Qt::Horizontal, 0, std::max(0, grid_.ColCount() - 1));
}

void TTextGridModel::AppendRows(const std::vector<std::vector<std::string>>& rows) {
    if (rows.empty()) return;
    const int first = grid_.RowCount();
    beginInsertRows({}, first - 1, first - 1 + int(rows.size()) - 1);
    grid_.SetRowCount(first + int(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (std::size_t c = 0; c < rows[i].size() && int(c) < grid_.ColCount(); ++c)
            grid_.SetCell(int(c), first + int(i), rows[i][c]);
    endInsertRows();
}

bool TTextGridModel::DeleteRow(int r) {
    if (r < 1 || r >= grid_.RowCount()) return false;
    beginRemoveRows({}, r - 1, r - 1);
    for (int row = r; row + 1 < grid_.RowCount(); ++row)
        for (int c = 0; c < grid_.ColCount(); ++c) grid_.SetCell(c, row, grid_.Cell(c, row + 1));
    grid_.SetRowCount(grid_.RowCount() - 1);
    endRemoveRows();
    return true;
}

void TTextGridModel::ClearData() {
    beginResetModel();
    grid_.SetRowCount(1);
    endResetModel();
}

void TTextGridModel::MoveColumn(int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= grid_.ColCount() || to >= grid_.ColCount()) return;
    beginResetModel();
    for (int r = 0; r < grid_.RowCount(); ++r) {
        std::vector<std::string> row = grid_.Row(r);
        std::string moved = std::move(row[std::size_t(from)]);
        row.erase(row.begin() + from);
        row.insert(row.begin() + to, std::move(moved));
        for (int c = 0; c < grid_.ColCount(); ++c) grid_.SetCell(c, r, std::move(row[std::size_t(c)]));
    }
    endResetModel();
}

void TTextGridModel::MoveDataRow(int from, int to) {
    if (from == to || from < 1 || to < 1 || from >= grid_.RowCount() || to >= grid_.RowCount()) return;
    beginResetModel();
    std::vector<std::string> moved = grid_.Row(from);
    const int step = from < to ? 1 : -1;
    for (int r = from; r != to; r += step)
        for (int c = 0; c < grid_.ColCount(); ++c) grid_.SetCell(c, r, grid_.Cell(c, r + step));
    for (int c = 0; c < grid_.ColCount(); ++c) grid_.SetCell(c, to, std::move(moved[std::size_t(c)]));
    endResetModel();
}

int TTextGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : std::max(0, grid_.RowCount() - 1);
}

int TTextGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : grid_.ColCount(); }

QVariant TTextGridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return QString::fromStdString(grid_.Cell(index.column(), index.row() + 1));
}

QVariant TTextGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal && section < grid_.ColCount())
        return QString::fromStdString(grid_.Cell(section, 0));
    return {};
}

TDocumentFileType GridTextType(const TTextGridModel& grid) {
    const TTextGridModel* g = &grid;
    return {QStringLiteral("Tab delimited files (*.txt)"), {QStringLiteral("txt")},
            [g](QString& path) { GridToText(g->Grid(), QFile::encodeName(path).toStdString()); }};
}

TDocumentFileType GridHtmlType(const TTextGridModel& grid) {
    const TTextGridModel* g = &grid;
    return {QStringLiteral("HTML files (*.html)"), {QStringLiteral("html"), QStringLiteral("htm")},
            [g](QString& path) { GridToHTML(g->Grid(), QFile::encodeName(path).toStdString()); }};
}

} // namespace ivra
