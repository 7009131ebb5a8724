#pragma once
// TfrmStretchHisto ("Stretch Histogram"): shows the gray-level histogram of
// the active image with two cut-off lines, proposes the cut-offs at 2 % and
// 98 % of the pixels, lets the user drag either line, and on OK stretches
// the levels so that the low cut-off becomes 0 and the high one 255 (with
// an undo snapshot).

#include "chart/Chart.h"
#include "core/analysis/HistogramStretch.h"

#include <QDialog>
#include <QRect>

#include <array>
#include <cmath>
#include <cstdint>

class QLineEdit;
class QPushButton;

namespace ivra {

class TShell;

// The histogram chart of the dialog, a TChart: a gray area in stairs form
// over the levels 0 to 255 (each level's stair centred on its place on the
// axis, so that levels 0 and 255 show as wide as the others), dotted
// silver grid lines, the title above, no zooming or panning, and the two
// cut-off lines (red for the low, green for the high one) drawn over it.
class THistogramChart : public TChart {
    Q_OBJECT
public:
    explicit THistogramChart(QWidget* parent = nullptr);

    void SetCounts(const std::array<std::uint32_t, 256>& counts);
    void SetCutoffs(TStretchCutoffs cutoffs);
    TStretchCutoffs Cutoffs() const { return cutoffs_; }

    // The levels 0 to 255 in widget pixels: where level 0 stands and the
    // length up to level 255; the plot area's top and bottom.
    int AxisStart() const;
    int AxisLength() const;
    int PlotTop() const;
    int PlotBottom() const;
    // The upper end of the vertical axis (a tidy number at or above the
    // largest count).
    std::uint32_t AxisMaximum() const { return std::uint32_t(std::lround(LeftMax())); }

signals:
    // A mouse move over the chart with the left button held.
    void DraggedTo(int x);

private:
    // Lays the chart out for the widget's size now, also while the dialog
    // is hidden (a drag step or the first drawing may come before a show).
    void LayOut() const;
    // The widget x of a level.
    double LevelX(double level) const;
    void DrawCutoffs(QPainter& painter) const;

    int series_ = 0;
    TStretchCutoffs cutoffs_;
};

class TfrmStretchHisto : public QDialog {
    Q_OBJECT
public:
    TfrmStretchHisto(TShell& shell, QWidget* parent = nullptr);

    THistogramChart* Chart1 = nullptr;
    QLineEdit* leLoCut = nullptr;
    QLineEdit* leHiCut = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    // Analyses the active image window (the program's ChannelHistograms)
    // and proposes the cut-offs (each showing starts afresh).
    void FormShow();
    // The cut-offs as the fields show them.
    TStretchCutoffs Cutoffs() const;
    // One drag step at chart position x (left button held).
    void Chart1MouseMove(int x);
    // OK: stretches the active image (undo snapshot first) and closes. Equal
    // cut-offs have no gain: the core refuses them, the error box shows it,
    // the image is unchanged and the dialog stays open.
    void Button1Click();

private:
    void ShowCutoffs(TStretchCutoffs c);

    TShell& shell_;
};

// The "Stretch Histogram" item of the "&Image" menu and its dialog (made
// once for the shell).
void InstallStretchHisto(TShell& shell);
TfrmStretchHisto* StretchHistoDialog(TShell& shell);

} // namespace ivra
