#pragma once
// TfrmHistogram: the chart of how often each level 0 to 255 of one channel
// (red, green, blue or gray) occurs in the image analysed last, with a
// colour ramp under the axis that gives the colour of each level. It copies
// its counts from ChannelHistograms when a channel is chosen, when it is
// shown and on Refresh; it computes nothing itself.

#include <QImage>
#include <QWidget>

#include <array>
#include <cstdint>

class QComboBox;
class QLabel;
class QPushButton;

namespace ivra {

class TChart;
class TShell;

class TfrmHistogram : public QWidget {
    Q_OBJECT
public:
    TfrmHistogram(TShell& shell, QWidget* parent);

    TChart* Chart1 = nullptr;
    QLabel* ImagePixelRow = nullptr;
    QComboBox* cbChannel = nullptr;
    QPushButton* btnRescale = nullptr;
    QPushButton* btnRefresh = nullptr;
    QPushButton* btnPrint = nullptr;
    QPushButton* btnClose = nullptr;

    // Copy of the selected channel's counts, colour, title, ramp mode,
    // rescale, then the chart.
    void cbChannelChange();
    void LoadChart();
    void SetTitle(const QString& text);
    // After a zoom, undo of a zoom or scroll: the axes held to levels 0 to 256.
    void Chart1Zoom();
    void btnRescaleClick();
    void btnRefreshClick();
    void btnPrintClick();
    void DrawRamp();

    const std::array<std::uint32_t, 256>& Counts() const { return counts_; }
    int RampMode() const { return rampMode_; }
    // The ramp's picture (10 pixels high, as wide as the axis).
    const QImage& Ramp() const { return ramp_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    std::array<std::uint32_t, 256> counts_{};
    int rampMode_ = 0;
    int series_ = 0;
    QImage ramp_;
    TShell& shell_;
};

// The program's histogram window (none before it is made).
TfrmHistogram* HistogramForm(TShell& shell);
TfrmHistogram* CreateHistogramForm(TShell& shell);

} // namespace ivra
