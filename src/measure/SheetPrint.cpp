// Printing of the spreadsheet: the used cells as a table with the column
// letters above and the row labels beside, split over as many pages as the
// table needs.

#include "services/Prompts.h"
#include "core/Error.h"
#include "measure/SheetForm.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace ivra {

void UsedSheetExtent(const TSheetModel& model, int& lastRow, int& lastCol) {
    lastRow = TSheetModel::FixedRows;
    lastCol = TSheetModel::FixedCols;
    for (int r = TSheetModel::FixedRows; r < model.RowCount(); ++r)
        for (int c = TSheetModel::FixedCols; c < model.ColCount(); ++c)
            if (!model.Cell(c, r).empty()) {
                lastRow = std::max(lastRow, r);
                lastCol = std::max(lastCol, c);
            }
}

std::vector<TSheetPage> PlanSheetPages(const std::vector<int>& colWidths, int labelWidth, int lastRow, int rowHeight,
                                       int headerHeight, int pageWidth, int pageHeight) {
    std::vector<TSheetPage> pages;
    if (colWidths.empty()) return pages;
    const int rowsPerPage = std::max(1, (pageHeight - headerHeight) / std::max(1, rowHeight));
    const int room = pageWidth - labelWidth;
    const int colCount = int(colWidths.size());
    int first = 0;
    while (first < colCount) {
        // As many columns as fit; at least one.
        int last = first, used = colWidths[std::size_t(first)];
        while (last + 1 < colCount && used + colWidths[std::size_t(last + 1)] <= room)
            used += colWidths[std::size_t(++last)];
        for (int r = TSheetModel::FixedRows; r <= lastRow; r += rowsPerPage)
            pages.push_back({r, std::min(lastRow, r + rowsPerPage - 1), first + TSheetModel::FixedCols,
                             last + TSheetModel::FixedCols});
        first = last + 1;
    }
    return pages;
}

void TfrmSheet::FilePrint() {
    QPrinter printer(QPrinter::HighResolution);
    if (!AppPrompts().PrintDialog(this, printer)) return;
    PrintTo(printer);
}

void TfrmSheet::PrintTo(QPrinter& printer) {
    int lastRow = 0, lastCol = 0;
    UsedSheetExtent(model_, lastRow, lastCol);

    QPainter p;
    if (!p.begin(&printer)) throw Error("The printer could not be started.");
    QFont font(QStringLiteral("Sans Serif"), 10);
    p.setFont(font);
    const QFontMetrics fm(p.font(), p.device());
    const int pad = fm.averageCharWidth();
    const int rowHeight = fm.height() + pad / 2 + 2;
    auto text = [](const std::string& s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); };

    // Column widths from the widest text of each column (letters included).
    int labelWidth = fm.horizontalAdvance(text(model_.Cell(0, 1))) + 2 * pad;
    for (int r = TSheetModel::FixedRows; r <= lastRow; ++r)
        labelWidth = std::max(labelWidth, fm.horizontalAdvance(text(model_.Cell(0, r))) + 2 * pad);
    std::vector<int> widths;
    for (int c = TSheetModel::FixedCols; c <= lastCol; ++c) {
        int w = fm.horizontalAdvance(text(model_.Cell(c, 0))) + 2 * pad;
        for (int r = TSheetModel::FixedRows; r <= lastRow; ++r)
            w = std::max(w, fm.horizontalAdvance(text(model_.Cell(c, r))) + 2 * pad);
        widths.push_back(std::max(w, 4 * pad));
    }
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const std::vector<TSheetPage> pages =
        PlanSheetPages(widths, labelWidth, lastRow, rowHeight, rowHeight, page.width(), page.height());

    const QColor headerFill(0xA0, 0xA8, 0xC0);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0) printer.newPage();
        const TSheetPage& pg = pages[i];
        auto cell = [&](const QRect& r, const QString& s, Qt::Alignment align, const QColor* fill) {
            if (fill) p.fillRect(r, *fill);
            p.drawRect(r);
            p.drawText(r.adjusted(pad, 0, -pad, 0), int(align | Qt::AlignVCenter), s);
        };
        // The letter row.
        int x = 0, y = 0;
        cell(QRect(x, y, labelWidth, rowHeight), QString(), Qt::AlignLeft, &headerFill);
        x += labelWidth;
        for (int c = pg.FirstCol; c <= pg.LastCol; ++c) {
            const int w = widths[std::size_t(c - TSheetModel::FixedCols)];
            cell(QRect(x, y, w, rowHeight), text(model_.Cell(c, 0)), Qt::AlignHCenter, &headerFill);
            x += w;
        }
        // The data rows with their labels.
        for (int r = pg.FirstRow; r <= pg.LastRow; ++r) {
            y += rowHeight;
            x = 0;
            cell(QRect(x, y, labelWidth, rowHeight), text(model_.Cell(0, r)), Qt::AlignLeft, &headerFill);
            x += labelWidth;
            for (int c = pg.FirstCol; c <= pg.LastCol; ++c) {
                const int w = widths[std::size_t(c - TSheetModel::FixedCols)];
                cell(QRect(x, y, w, rowHeight), text(model_.Cell(c, r)), Qt::AlignRight, nullptr);
                x += w;
            }
        }
    }
    p.end();
}

} // namespace ivra
