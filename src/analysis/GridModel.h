#pragma once
// The analysis windows' grids: a table model over a TTextGrid whose first
// row is the fixed header row (shown as the column headers) and whose other
// rows are the data rows. Nothing in it is editable.

#include "core/text/TextGrid.h"
#include "services/DocumentFile.h"

#include <QAbstractTableModel>

#include <vector>
#include <string>

namespace ivra {

class TTextGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TTextGridModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    TTextGrid& Grid() { return grid_; }
    const TTextGrid& Grid() const { return grid_; }

    // A new header row; the data rows go.
    void SetHeader(const std::vector<std::string>& cells);
    // Rewrites the header cells, keeping the data rows.
    void WriteHeader(const std::vector<std::string>& cells);
    // Replaces the whole grid (its first row is the header row).
    void SetGrid(TTextGrid grid);
    // Appends data rows.
    void AppendRows(const std::vector<std::vector<std::string>>& rows);
    // Removes data row r (1 = first data row) by moving the later rows up;
    // false when r is not a data row.
    bool DeleteRow(int r);
    // Only the header row stays.
    void ClearData();
    // Moves a column or a data row to another place (the user dragged it).
    void MoveColumn(int from, int to);
    void MoveDataRow(int from, int to);
    int DataRows() const { return grid_.RowCount() - 1; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    TTextGrid grid_{0, 1};
};

// The grid's file types for the document-file flow: tab-delimited text
// ("Tab delimited files (*.txt)") and an HTML table ("HTML files (*.html)"),
// written by the core's grid writers.
TDocumentFileType GridTextType(const TTextGridModel& grid);
TDocumentFileType GridHtmlType(const TTextGridModel& grid);

} // namespace ivra
