#pragma once
// TChart: the one chart widget of the analysis windows, on Qt Charts. It
// has a title line, a bottom and a left value axis (manual or automatic
// ranges, fixed label increments, dotted silver grid lines), series drawn
// as filled stairs (histograms) or as lines (profiles), an optional legend
// at the top, a white background, zooming by a dragged rectangle (a drag
// towards the upper left undoes the zoom), panning with the right button,
// and output as a picture of its on-screen size or onto any painter (print
// page, vector file). The windows choose file names and printers; the chart
// only draws.

#include <QChartView>
#include <QColor>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <functional>
#include <vector>

class QAreaSeries;
class QLineSeries;
class QRubberBand;
class QValueAxis;

namespace ivra {

class TChart : public QChartView {
    Q_OBJECT
public:
    explicit TChart(QWidget* parent = nullptr);
    ~TChart() override;

    // ---- Title and look --------------------------------------------------------
    // Replaces the title by one line.
    void SetTitle(const QString& text);
    QString Title() const;
    void SetTitleFont(const QFont& font, const QColor& color);
    // Legend at the top listing the line series (stairs are never listed).
    void SetLegendVisible(bool visible);
    void SetChartMargins(int margin);

    // ---- Axes ------------------------------------------------------------------
    QValueAxis* BottomAxis() const { return bottom_; }
    QValueAxis* LeftAxis() const { return left_; }
    double BottomMin() const;
    double BottomMax() const;
    void SetBottomRange(double minimum, double maximum);
    void SetBottomMin(double minimum) { SetBottomRange(minimum, BottomMax()); }
    void SetBottomMax(double maximum) { SetBottomRange(BottomMin(), maximum); }
    double LeftMin() const;
    double LeftMax() const;
    void SetLeftRange(double minimum, double maximum);
    void SetLeftMin(double minimum);
    // With the automatic maximum on, the left axis runs from its minimum to
    // the highest value of the visible series (at least minimum + 1),
    // rounded up to a tidy number, and follows every change of the series.
    void SetLeftAutomaticMaximum(bool on);
    bool LeftAutomaticMaximum() const { return autoMax_; }
    // Labels every `step` units from 0, with `minorTicks` minor ticks between.
    void SetBottomIncrement(double step, int minorTicks = 0);
    void SetLeftIncrement(double step, int minorTicks = 0);
    void SetAxisTitles(const QString& bottomTitle, const QString& leftTitle);
    // The plotted part of the axes in widget pixels: the bottom axis runs
    // from its start to its end position, the left axis from its top to its
    // bottom position.
    int BottomAxisStartPos() const;
    int BottomAxisEndPos() const;
    int LeftAxisTopPos() const;
    int LeftAxisBottomPos() const;

    // ---- Series ------------------------------------------------------------------
    // A filled area in stairs form: the value of point i holds from its x to
    // the x of the next point (the last for one unit). No outline, no
    // markers, not in the legend. Returns the series index.
    int AddStairSeries(const QColor& color);
    // A line without point markers, listed in the legend under its title.
    int AddLineSeries(const QString& title, const QColor& color);
    int SeriesCount() const { return int(series_.size()); }
    void SetSeriesColor(int series, const QColor& color);
    QColor SeriesColor(int series) const;
    QString SeriesTitle(int series) const;
    void ClearSeries(int series);
    // Replaces the points of a series (in increasing x).
    void SetSeriesPoints(int series, const QList<QPointF>& points);
    // The points as they were given.
    const QList<QPointF>& SeriesPoints(int series) const;
    void SetSeriesVisible(int series, bool visible);
    bool SeriesVisible(int series) const;

    // ---- Zoom and panning --------------------------------------------------------
    void SetZoomEnabled(bool on) { zoomEnabled_ = on; }
    void SetPanEnabled(bool on) { panEnabled_ = on; }
    // Shows the value rectangle (both axes manual). The first zoom remembers
    // the ranges in force, which UndoZoom restores. Each emits AxesChanged
    // once the axes have their new ranges; so does ScrollBy.
    void ZoomTo(const QRectF& values);
    void UndoZoom();
    // Moves the visible ranges by pixels of the plot area.
    void ScrollBy(int dxPixels, int dyPixels);
    // Value under a widget pixel (bottom, left axis).
    QPointF ValueAt(QPoint widgetPos) const;

    // ---- Output ------------------------------------------------------------------
    // The chart as shown, on a white background, at its on-screen size.
    QImage ToImage();
    // The whole chart drawn into a target rectangle of any painter.
    void RenderTo(QPainter& painter, const QRectF& target);
    // One page: the chart fitted into the page rectangle less the print
    // margins (PrintMarginPercent of the page on each side), keeping its
    // proportions.
    static constexpr int PrintMarginPercent = 10;
    void PrintTo(QPainter& painter, const QRect& pageRect);
    // The picture as a 24-bit bitmap file or a PNG file (written safely).
    void SaveBitmap(const QString& path);
    void SavePng(const QString& path);

    // Drawn over the chart after every repaint (lines that a window puts on
    // the chart's canvas); none by default.
    std::function<void(QPainter& painter)> ForegroundPainter;

signals:
    // A zoom, an undo of a zoom or a scroll changed the axes.
    void AxesChanged();
    // The pointer moved over the chart (widget pixels).
    void MouseMoved(QPoint pos, bool leftButtonDown);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void drawForeground(QPainter* painter, const QRectF& rect) override;

private:
    struct TSeries {
        QLineSeries* Line = nullptr;   // the line, or the upper edge of the stairs
        QAreaSeries* Area = nullptr;   // stairs only
        QList<QPointF> Points;
        QColor Color;
    };
    void Attach(QAbstractSeries* s);
    void UpdateAutoMaximum();
    QRectF PlotRect() const;  // widget pixels

    QValueAxis* bottom_ = nullptr;
    QValueAxis* left_ = nullptr;
    std::vector<TSeries> series_;
    bool autoMax_ = false;
    bool zoomEnabled_ = true;
    bool panEnabled_ = true;
    bool zoomed_ = false;
    QRectF unzoomed_;          // ranges before the first zoom
    bool unzoomedAuto_ = false;
    QRubberBand* band_ = nullptr;
    QPoint pressPos_;
    QPoint lastPanPos_;
    bool zooming_ = false;
    bool panning_ = false;
};

// A value rounded up to a tidy axis maximum: 1, 2, 2.5 or 5 times a power
// of ten, at least the value.
double TidyMaximum(double value);

} // namespace ivra
