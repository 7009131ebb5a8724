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
class TShell;

// The chart's file types for the document-file flow: bitmap first, then
// the vector format that stands in for the metafiles, then PNG; each writes
// its own format whatever the name.
QList<TDocumentFileType> ChartFileTypes(TChart& chart);

// The printer of the shell's analysis windows (kept between prints).
QPrinter& ChartPrinter(TShell& shell);
// The print dialog with the shell's printer; on OK the chart prints itself
// on one page.
void PrintChart(TChart& chart, TShell& shell, QWidget* parent);
// The page itself, without a dialog.
void PrintChartTo(TChart& chart, QPrinter& printer);

} // namespace ivra
