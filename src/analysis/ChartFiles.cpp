#include "analysis/ChartFiles.h"

#include "chart/Chart.h"
#include "core/Error.h"
#include "core/io/FileIO.h"
#include "services/Prompts.h"
#include "services/Shell.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QSvgGenerator>

namespace ivra {

namespace {

void SaveSvg(TChart& chart, const QString& path) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(chart.size());
        svg.setViewBox(QRect(QPoint(0, 0), chart.size()));
        svg.setTitle(chart.Title());
        QPainter p(&svg);
        p.fillRect(QRect(QPoint(0, 0), chart.size()), Qt::white);
        chart.RenderTo(p, QRectF(QPointF(0, 0), QSizeF(chart.size())));
    }
    const QByteArray bytes = buffer.data();
    WriteFileAtomically(QFile::encodeName(path).toStdString(), bytes.constData(), std::size_t(bytes.size()));
}

// The printer as a run object: made at high resolution on the first print.
struct TChartPrinter {
    QPrinter Printer{QPrinter::HighResolution};
};

} // namespace

QList<TDocumentFileType> ChartFileTypes(TChart& chart) {
    TChart* c = &chart;
    return {
        {QStringLiteral("Bitmaps (*.bmp)"), {QStringLiteral("bmp")}, [c](QString& path) { c->SaveBitmap(path); }},
        {QStringLiteral("Scalable Vector Graphics (*.svg)"), {QStringLiteral("svg")},
         [c](QString& path) { SaveSvg(*c, path); }},
        {QStringLiteral("Portable Network Graphics (*.png)"), {QStringLiteral("png")},
         [c](QString& path) { c->SavePng(path); }},
    };
}

QPrinter& ChartPrinter(TShell& shell) { return shell.RunObjects().Get<TChartPrinter>().Printer; }

void PrintChartTo(TChart& chart, QPrinter& printer) {
    QPainter p;
    if (!p.begin(&printer)) throw Error("The chart could not be printed: the printer did not start the job.");
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    chart.PrintTo(p, QRect(QPoint(0, 0), page.size()));
    p.end();
}

void PrintChart(TChart& chart, TShell& shell, QWidget* parent) {
    QPrinter& printer = ChartPrinter(shell);
    if (!AppPrompts().PrintDialog(parent, printer)) return;
    PrintChartTo(chart, printer);
}

} // namespace ivra
