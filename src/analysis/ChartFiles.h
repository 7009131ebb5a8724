#pragma once
// Saving and printing the analysis windows' charts: the picture file types
// of the document-file flow, and the print dialog with the program's printer.

#include "services/DocumentFile.h"

#include <QList>
#include <QString>

class QPrinter;
class QWidget;

namespace ivra {

class TChart;

// The chart's file types for the document-file flow: bitmap first, then
// the vector format that stands in for the metafiles, then PNG; each writes
// its own format whatever the name.
QList<TDocumentFileType> ChartFileTypes(TChart& chart);

// The printer of the analysis windows (kept between prints).
QPrinter& ChartPrinter();
// The print dialog; on OK the chart prints itself on one page.
void PrintChart(TChart& chart, QWidget* parent);
// The page itself, without a dialog.
void PrintChartTo(TChart& chart, QPrinter& printer);

} // namespace ivra
