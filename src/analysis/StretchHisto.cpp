#include "analysis/StretchHisto.h"

#include "analysis/Analysis.h"
#include "core/processing/Levels.h"
#include "imagewin/ChildWin.h"
#include "processing/ImageCommand.h"
#include "services/CommandGuard.h"
#include "services/Prompts.h"
#include "services/Shell.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace ivra {

namespace {

constexpr int Margin = 8;
constexpr int TickLength = 4;

// A round step (1, 2 or 5 times a power of ten) for about five grid lines
// up to max.
std::uint32_t NiceStep(std::uint32_t max) {
    const double raw = std::max(1.0, double(max) / 5.0);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double f : {1.0, 2.0, 5.0, 10.0})
        if (f * magnitude >= raw) return std::uint32_t(f * magnitude);
    return std::uint32_t(10.0 * magnitude);
}

} // namespace

// ---- THistogramChart ------------------------------------------------------------

THistogramChart::THistogramChart(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void THistogramChart::SetTitle(const QString& title) {
    title_ = title;
    update();
}

void THistogramChart::SetCounts(const std::array<std::uint32_t, 256>& counts) {
    counts_ = counts;
    update();
}

void THistogramChart::SetCutoffs(TStretchCutoffs cutoffs) {
    cutoffs_ = cutoffs;
    update();
}

std::uint32_t THistogramChart::AxisMaximum() const {
    const std::uint32_t max = std::max<std::uint32_t>(1, *std::max_element(counts_.begin(), counts_.end()));
    const std::uint32_t step = NiceStep(max);
    return (max + step - 1) / step * step;
}

int THistogramChart::LabelWidth() const {
    return fontMetrics().horizontalAdvance(QString::number(AxisMaximum()));
}

QRect THistogramChart::PlotRect() const {
    const QFontMetrics fm = fontMetrics();
    const int left = Margin + LabelWidth() + TickLength + 2;
    const int top = Margin + fm.height() + Margin / 2;
    // Room on the right for half of the last level's label.
    const int right = width() - Margin - fm.horizontalAdvance(QStringLiteral("255")) / 2;
    const int bottom = height() - Margin / 2 - fm.height() - TickLength;
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

int THistogramChart::AxisStart() const { return PlotRect().left(); }
int THistogramChart::AxisLength() const { return PlotRect().right() - PlotRect().left(); }
int THistogramChart::PlotTop() const { return PlotRect().top(); }
int THistogramChart::PlotBottom() const { return PlotRect().bottom(); }

void THistogramChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const QRect plot = PlotRect();
    const int s = AxisStart(), w = AxisLength();
    const double top = plot.top(), bottom = plot.bottom();
    const std::uint32_t ymax = AxisMaximum(), ystep = NiceStep(ymax);
    const auto X = [&](double level) { return s + w * level / 255.0; };
    const auto Y = [&](double count) { return bottom - (bottom - top) * count / double(ymax); };
    const QFontMetrics fm = fontMetrics();

    p.setPen(Qt::black);
    p.drawText(QRect(0, Margin / 2, width(), fm.height()), Qt::AlignHCenter | Qt::AlignTop, title_);

    // Grid lines and axis labels.
    QPen grid(QColor(192, 192, 192), 1, Qt::DotLine);
    for (int level = 0; level <= 255; level += 50) {
        const int x = int(std::lround(X(level)));
        p.setPen(grid);
        p.drawLine(x, plot.top(), x, plot.bottom());
        p.setPen(Qt::black);
        p.drawLine(x, plot.bottom(), x, plot.bottom() + TickLength);
        const QString t = QString::number(level);
        p.drawText(x - fm.horizontalAdvance(t) / 2, plot.bottom() + TickLength + fm.ascent(), t);
    }
    for (std::uint32_t v = 0; v <= ymax; v += ystep) {
        const int y = int(std::lround(Y(v)));
        p.setPen(grid);
        p.drawLine(plot.left(), y, plot.right(), y);
        p.setPen(Qt::black);
        p.drawLine(plot.left() - TickLength, y, plot.left(), y);
        const QString t = QString::number(v);
        p.drawText(QRect(Margin, y - fm.height() / 2, LabelWidth(), fm.height()), Qt::AlignRight | Qt::AlignVCenter,
                   t);
    }

    // The counts as a filled area in stairs form, no outline. Each level's
    // stair is centred on its place on the axis (where its cut-off line
    // stands), so that levels 0 and 255 show as wide as the others.
    QPainterPath area;
    area.moveTo(X(-0.5), bottom);
    for (int level = 0; level < 256; ++level) {
        const double y = Y(counts_[std::size_t(level)]);
        area.lineTo(X(level - 0.5), y);
        area.lineTo(X(level + 0.5), y);
    }
    area.lineTo(X(255.5), bottom);
    area.closeSubpath();
    p.fillPath(area, QColor(128, 128, 128));

    p.setPen(Qt::black);
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.drawLine(plot.bottomLeft(), plot.topLeft());

    // The cut-off lines.
    const int pLow = CutoffToPixel(cutoffs_.Low, s, w), pHigh = CutoffToPixel(cutoffs_.High, s, w);
    p.setPen(QPen(QColor(255, 0, 0), 2));
    p.drawLine(pLow, plot.bottom(), pLow, plot.top());
    p.setPen(QPen(QColor(0, 128, 0), 2));
    p.drawLine(pHigh, plot.bottom(), pHigh, plot.top());
}

void THistogramChart::mouseMoveEvent(QMouseEvent* e) {
    if (e->buttons() & Qt::LeftButton) emit DraggedTo(int(e->position().x()));
}

// ---- TfrmStretchHisto ------------------------------------------------------------

TfrmStretchHisto::TfrmStretchHisto(TShell& shell, QWidget* parent) : QDialog(parent), shell_(shell) {
    setObjectName(QStringLiteral("frmStretchHisto"));
    setWindowTitle(QStringLiteral("Stretch Histogram"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);
    setFixedSize(380, 333);

    Chart1 = new THistogramChart(this);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->setGeometry(24, 16, 337, 250);
    Chart1->SetTitle(QStringLiteral("Grayscale Distribution"));

    const auto field = [this](const char* name, const QString& caption, int x) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setReadOnly(true);
        edit->setMaxLength(3);
        const int h = edit->sizeHint().height();
        edit->setGeometry(x, 296 + (25 - h) / 2, 57, h);
        auto* label = new QLabel(caption, this);
        label->adjustSize();
        label->move(x, edit->y() - label->height() - 2);
        return edit;
    };
    leLoCut = field("leLoCut", QStringLiteral("Low cutoff"), 24);
    leHiCut = field("leHiCut", QStringLiteral("High cutoff"), 96);

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("Button1"));
    btnOK->setGeometry(168, 292, 75, 25);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("Button2"));
    btnCancel->setGeometry(248, 292, 75, 25);

    connect(Chart1, &THistogramChart::DraggedTo, this, [this](int x) { Chart1MouseMove(x); });
    ConnectGuarded(btnOK, &QPushButton::clicked, this, [this](bool) { Button1Click(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmStretchHisto::FormShow() {
    // The program's analysis, whose counts the other analysis windows read
    // too; no statistics rows.
    if (!AnalyseImage(shell_.ActiveImageWindow(), TChannelSet::None)) return;
    Chart1->SetCounts(ChannelHistograms().Gray);
    ShowCutoffs(ProposeStretchCutoffs(ChannelHistograms()));
}

TStretchCutoffs TfrmStretchHisto::Cutoffs() const { return {leLoCut->text().toInt(), leHiCut->text().toInt()}; }

void TfrmStretchHisto::ShowCutoffs(TStretchCutoffs c) {
    leLoCut->setText(QString::number(c.Low));
    leHiCut->setText(QString::number(c.High));
    Chart1->SetCutoffs(c);
}

void TfrmStretchHisto::Chart1MouseMove(int x) {
    // The fields are the source of truth while dragging.
    ShowCutoffs(DragCutoffs(Cutoffs(), x, Chart1->AxisStart(), Chart1->AxisLength()));
}

void TfrmStretchHisto::Button1Click() {
    const TStretchCutoffs c = Cutoffs();
    if (TMDIChild* w = shell_.ActiveImageWindow())
        RunImageTransform(shell_, *w, QStringLiteral("Stretch Histogram"),
                          [c](const TBitmap32& image, TBitmap32& result) { StretchLevels(image, result, c.Low, c.High); });
    accept();
}

TfrmStretchHisto* StretchHistoDialog(TShell& shell) { return shell.Window()->findChild<TfrmStretchHisto*>(); }

void InstallStretchHisto(TShell& shell) {
    new TfrmStretchHisto(shell, shell.Window());
    TShell* s = &shell;
    TCommandSpec c;
    c.Id = QStringLiteral("StretchHistogram1");
    c.Caption = QStringLiteral("Stretch Histogram");
    c.Hint = QStringLiteral("Stretch Histogram|Stretches the levels of the image between two cut-offs");
    c.Menu = MenuIds::Image;
    c.MenuOrder = 60;
    c.Enabled = [s] { return s->ActiveImageWindow() != nullptr; };
    c.Run = [s] {
        TfrmStretchHisto* dlg = StretchHistoDialog(*s);
        if (!dlg || !s->ActiveImageWindow()) return;
        dlg->FormShow();
        AppPrompts().ExecDialog(*dlg);
    };
    shell.Commands().Add(c);
}

} // namespace ivra
