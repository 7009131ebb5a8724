#pragma once
// Saving and printing the analysis windows' charts: the picture save dialog
// and its formats, and the print dialog with the program's printer.

#include "services/DocumentFile.h"

#include <QList>
#include <QString>

class QPrinter;
class QWidget;

namespace ivra {

class TChart;

// Writes the chart to path in the format of its extension: ".svg" a
// scalable vector drawing, ".png" a PNG picture, anything else a 24-bit
// bitmap of the chart's on-screen size on a white background. Errors name
// the file.
void SaveChartPicture(TChart& chart, const QString& path);

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
