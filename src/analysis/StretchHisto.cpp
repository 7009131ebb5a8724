#include "analysis/StretchHisto.h"

#include "analysis/Analysis.h"
#include "core/processing/Levels.h"
#include "imagewin/ChildWin.h"
#include "processing/ImageCommand.h"
#include "services/CommandGuard.h"
#include "services/Prompts.h"
#include "services/Shell.h"

#include <QGraphicsLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace ivra {

// ---- THistogramChart ------------------------------------------------------------

THistogramChart::THistogramChart(QWidget* parent) : TChart(parent) {
    series_ = AddStairSeries(QColor(128, 128, 128));
    // Half a level more on each side: the stairs of levels 0 and 255 show
    // whole; the labels stand every 50 levels from 0.
    SetBottomRange(-0.5, 255.5);
    SetBottomIncrement(50);
    SetLeftMin(0);
    SetLeftAutomaticMaximum(true);
    SetZoomEnabled(false);
    SetPanEnabled(false);
    ForegroundPainter = [this](QPainter& p) { DrawCutoffs(p); };
    connect(this, &TChart::MouseMoved, this, [this](QPoint pos, bool left) {
        if (left) emit DraggedTo(pos.x());
    });
}

void THistogramChart::SetCounts(const std::array<std::uint32_t, 256>& counts) {
    // Each level's stair runs from half a level before it to half after it.
    QList<QPointF> points;
    points.reserve(256);
    for (int level = 0; level < 256; ++level) points.append(QPointF(level - 0.5, double(counts[std::size_t(level)])));
    SetSeriesPoints(series_, points);
}

void THistogramChart::SetCutoffs(TStretchCutoffs cutoffs) {
    cutoffs_ = cutoffs;
    viewport()->update();
}

void THistogramChart::LayOut() const {
    auto* self = const_cast<THistogramChart*>(this);
    // Shown, the view fits the chart to itself.
    if (isVisible()) return;
    const QRectF whole(QPointF(0, 0), QSizeF(size()));
    if (self->chart()->geometry() != whole) {
        self->chart()->setGeometry(whole);
        self->setSceneRect(whole);
    }
    if (QGraphicsLayout* l = self->chart()->layout()) l->activate();
}

int THistogramChart::PlotTop() const {
    LayOut();
    return LeftAxisTopPos();
}

int THistogramChart::PlotBottom() const {
    LayOut();
    return LeftAxisBottomPos();
}

double THistogramChart::LevelX(double level) const {
    LayOut();
    const double start = BottomAxisStartPos(), end = BottomAxisEndPos();
    const double span = BottomMax() - BottomMin();
    return span > 0 ? start + (end - start) * (level - BottomMin()) / span : start;
}

int THistogramChart::AxisStart() const { return int(std::lround(LevelX(0))); }
int THistogramChart::AxisLength() const { return int(std::lround(LevelX(255))) - AxisStart(); }

void THistogramChart::DrawCutoffs(QPainter& p) const {
    const int s = AxisStart(), w = AxisLength();
    const int pLow = CutoffToPixel(cutoffs_.Low, s, w), pHigh = CutoffToPixel(cutoffs_.High, s, w);
    p.setPen(QPen(QColor(255, 0, 0), 2));
    p.drawLine(pLow, PlotBottom(), pLow, PlotTop());
    p.setPen(QPen(QColor(0, 128, 0), 2));
    p.drawLine(pHigh, PlotBottom(), pHigh, PlotTop());
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
    const TChannelHistograms& counts = ChannelHistograms(shell_);
    Chart1->SetCounts(counts.Gray);
    ShowCutoffs(ProposeStretchCutoffs(counts));
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
        RunImageChange(shell_, *w, QStringLiteral("Stretch Histogram"),
                       TImageChange::Transform([c](const TBitmap32& image, TBitmap32& result) {
                           StretchLevels(image, result, c.Low, c.High);
                       }));
    accept();
}

TfrmStretchHisto* StretchHistoDialog(TShell& shell) { return shell.ToolWindows().Find<TfrmStretchHisto>(); }

void InstallStretchHisto(TShell& shell) {
    shell.ToolWindows().Get<TfrmStretchHisto>([&shell] { return new TfrmStretchHisto(shell, shell.Window()); });
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
