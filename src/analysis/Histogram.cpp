#include "analysis/Histogram.h"

#include "analysis/Analysis.h"
#include "analysis/ChartFiles.h"
#include "chart/Chart.h"
#include "services/CommandGuard.h"
#include "services/Hints.h"
#include "services/Shell.h"

#include <QComboBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace ivra {

namespace {


// The stair of level v runs from v to v + 1: the axis ends after the last
// one, so that level 255 shows.
constexpr double LevelsEnd = 256;

struct TChannelRow {
    TAnalysisChannel Channel;
    QColor SeriesColor;
    const char* Title;
    int RampMode;
};

// Per item of cbChannel: the counts, series colour, chart title, ramp mode.
const TChannelRow Channels[] = {
    {TAnalysisChannel::Red, QColor(255, 0, 0), "Distribution of Red", 0},
    {TAnalysisChannel::Green, QColor(0, 128, 0), "Distribution of Green", 8},
    {TAnalysisChannel::Blue, QColor(0, 0, 255), "Distribution of Blue", 16},
    {TAnalysisChannel::Gray, QColor(128, 128, 128), "Grayscale Distribution", 24},
};

QPushButton* Button(const char* caption, int x, QWidget* parent) {
    auto* b = new QPushButton(QLatin1String(caption), parent);
    b->setGeometry(x, 296, 75, 25);
    return b;
}

} // namespace

TfrmHistogram::TfrmHistogram(TShell& shell, QWidget* parent) : QWidget(parent, Qt::Window), shell_(shell) {
    setObjectName(QStringLiteral("frmHistogram"));
    setWindowTitle(QStringLiteral("Histogram"));
    setFixedSize(572, 333);

    Chart1 = new TChart(this);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->setGeometry(24, 16, 521, 250);
    series_ = Chart1->AddStairSeries(Channels[0].SeriesColor);
    Chart1->SetBottomRange(0, LevelsEnd);
    Chart1->SetLeftAutomaticMaximum(true);

    ImagePixelRow = new QLabel(this);
    ImagePixelRow->setObjectName(QStringLiteral("ImagePixelRow"));
    ImagePixelRow->setGeometry(72, 268, 457, 16);
    ImagePixelRow->setScaledContents(true);

    auto* label = new QLabel(QStringLiteral("Select channel:"), this);
    label->move(24, 300);
    label->adjustSize();
    cbChannel = new QComboBox(this);
    cbChannel->setObjectName(QStringLiteral("cbChannel"));
    cbChannel->addItems({QStringLiteral("Red"), QStringLiteral("Green"), QStringLiteral("Blue"), QStringLiteral("Gray")});
    SetHint(cbChannel, QStringLiteral("Channel"));
    // The label keeps its whole text whatever the font: the list moves right
    // when the text needs more room than the form gives it.
    const int comboX = std::max(104, label->x() + label->width() + 4);
    const int comboW = std::max(65, cbChannel->sizeHint().width());
    cbChannel->setGeometry(comboX, 296, comboW, 25);

    btnRescale = Button("Rescale", 232, this);
    btnRefresh = Button("Refresh", 312, this);
    btnPrint = Button("Print", 392, this);
    btnClose = Button("Close", 472, this);

    ConnectGuarded(cbChannel, &QComboBox::currentIndexChanged, this, [this](int) { cbChannelChange(); });
    ConnectGuarded(Chart1, &TChart::AxesChanged, this, [this] { Chart1Zoom(); });
    ConnectGuarded(btnRescale, &QPushButton::clicked, this, [this](bool) { btnRescaleClick(); });
    ConnectGuarded(btnRefresh, &QPushButton::clicked, this, [this](bool) { btnRefreshClick(); });
    ConnectGuarded(btnPrint, &QPushButton::clicked, this, [this](bool) { btnPrintClick(); });
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
    // The ramp follows the plot area whenever the chart lays itself out anew.
    connect(Chart1->chart(), &QChart::plotAreaChanged, this, [this](const QRectF&) { DrawRamp(); });
}

void TfrmHistogram::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    RunGuarded([this] { cbChannelChange(); });
}

void TfrmHistogram::cbChannelChange() {
    const TChannelRow& row = Channels[std::max(0, cbChannel->currentIndex())];
    const auto counts = ChannelCounts(ChannelHistograms(shell_), row.Channel);
    std::copy(counts.begin(), counts.end(), counts_.begin());
    Chart1->SetSeriesColor(series_, row.SeriesColor);
    SetTitle(QLatin1String(row.Title));
    rampMode_ = row.RampMode;
    btnRescaleClick();
    LoadChart();
}

void TfrmHistogram::LoadChart() {
    QList<QPointF> points;
    points.reserve(256);
    for (int i = 0; i < 256; ++i) points.append(QPointF(i, double(counts_[std::size_t(i)])));
    Chart1->SetSeriesPoints(series_, points);
    Chart1->update();
    DrawRamp();
}

void TfrmHistogram::SetTitle(const QString& text) { Chart1->SetTitle(text); }

void TfrmHistogram::Chart1Zoom() {
    // A range beyond the levels or below zero counts is moved back whole:
    // panning past an end keeps the width the user zoomed to.
    if (Chart1->LeftMin() < 0 && !Chart1->LeftAutomaticMaximum())
        Chart1->SetLeftRange(0, Chart1->LeftMax() - Chart1->LeftMin());
    else Chart1->SetLeftMin(0);
    double lo = Chart1->BottomMin(), hi = Chart1->BottomMax();
    if (lo < 0) {
        hi -= lo;
        lo = 0;
    }
    if (hi > LevelsEnd) {
        lo = std::max(0.0, lo - (hi - LevelsEnd));
        hi = LevelsEnd;
    }
    Chart1->SetBottomRange(lo, hi);
    Chart1->update();
    DrawRamp();
}

void TfrmHistogram::btnRescaleClick() {
    Chart1->SetBottomRange(0, LevelsEnd);
    Chart1->SetLeftAutomaticMaximum(true);
    Chart1Zoom();
}

void TfrmHistogram::btnRefreshClick() {
    if (TMDIChild* w = shell_.ActiveImageWindow()) {
        AnalyseImage(w, TChannelSet::None);
        cbChannelChange();
    } else {
        btnRescaleClick();
    }
}

void TfrmHistogram::btnPrintClick() { PrintChart(*Chart1, shell_, this); }

void TfrmHistogram::DrawRamp() {
    // The chart lays itself out when it is shown; its axis positions are
    // known from then on.
    const double minimum = Chart1->BottomMin();
    const double span = std::nearbyint(Chart1->BottomMax() - minimum);
    const int start = Chart1->BottomAxisStartPos();
    const int width = Chart1->BottomAxisEndPos() - start;
    if (width <= 0) return;
    ramp_ = QImage(width, 10, QImage::Format_RGB32);
    for (int i = 0; i < width; ++i) {
        // The level whose stair lies over the middle of the column.
        const long v = std::clamp(long(std::floor((i + 0.5) / width * span + minimum)), 0L, 255L);
        QRgb c;
        if (rampMode_ == 24) {
            const int g = int(((v % 256) + 256) % 256);
            c = qRgb(g, g, g);
        } else {
            // A platform colour 00BBGGRR with the level shifted into place.
            const std::uint32_t platform = std::uint32_t(v) << rampMode_;
            c = qRgb(int(platform & 0xFF), int((platform >> 8) & 0xFF), int((platform >> 16) & 0xFF));
        }
        for (int y = 0; y < 10; ++y) reinterpret_cast<QRgb*>(ramp_.scanLine(y))[i] = c;
    }
    ImagePixelRow->setPixmap(QPixmap::fromImage(ramp_));
    ImagePixelRow->setGeometry(Chart1->x() + start, ImagePixelRow->y(), width, ImagePixelRow->height());
}

TfrmHistogram* HistogramForm(TShell& shell) { return shell.ToolWindows().Find<TfrmHistogram>(); }

TfrmHistogram* CreateHistogramForm(TShell& shell) {
    return &shell.ToolWindows().Get<TfrmHistogram>([&shell] { return new TfrmHistogram(shell, shell.Window()); });
}

} // namespace ivra
