#include "chart/Chart.h"

#include "core/codecs/ImageFiles.h"
#include "engine/Drawing.h"

#include <QAreaSeries>
#include <QFile>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace ivra {

namespace {

const QPen GridPen() { return QPen(QColor(192, 192, 192), 1, Qt::DotLine); }

// The corner points of stairs through the given points.
QList<QPointF> StairPoints(const QList<QPointF>& points) {
    QList<QPointF> steps;
    steps.reserve(points.size() * 2);
    for (qsizetype i = 0; i < points.size(); ++i) {
        const double next = i + 1 < points.size() ? points[i + 1].x() : points[i].x() + 1.0;
        steps.append(points[i]);
        steps.append(QPointF(next, points[i].y()));
    }
    return steps;
}

std::string NativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

} // namespace

double TidyMaximum(double value) {
    if (!(value > 0)) return 1.0;
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (double f : {1.0, 1.2, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 6.0, 8.0, 10.0})
        if (f * power >= value) return f * power;
    return 10.0 * power;
}

TChart::TChart(QWidget* parent) : QChartView(new QChart, parent) {
    QChart* c = chart();
    c->setBackgroundBrush(Qt::white);
    c->setBackgroundRoundness(0);
    c->setPlotAreaBackgroundVisible(false);
    c->setAnimationOptions(QChart::NoAnimation);
    c->legend()->setVisible(false);
    c->legend()->setAlignment(Qt::AlignTop);
    c->setMargins(QMargins(4, 4, 4, 4));
    setRenderHint(QPainter::Antialiasing, false);
    setBackgroundBrush(Qt::white);
    setFrameShape(QFrame::NoFrame);
    bottom_ = new QValueAxis;
    left_ = new QValueAxis;
    for (QValueAxis* a : {bottom_, left_}) {
        a->setGridLinePen(GridPen());
        a->setLabelFormat(QStringLiteral("%.0f"));
        a->setMinorGridLineVisible(false);
    }
    c->addAxis(bottom_, Qt::AlignBottom);
    c->addAxis(left_, Qt::AlignLeft);
    bottom_->setRange(0, 1);
    left_->setRange(0, 1);
    band_ = new QRubberBand(QRubberBand::Rectangle, this);
    band_->hide();
    setMouseTracking(true);
}

TChart::~TChart() = default;

void TChart::SetTitle(const QString& text) { chart()->setTitle(text); }
QString TChart::Title() const { return chart()->title(); }

void TChart::SetTitleFont(const QFont& font, const QColor& color) {
    chart()->setTitleFont(font);
    chart()->setTitleBrush(color);
}

void TChart::SetLegendVisible(bool visible) { chart()->legend()->setVisible(visible); }

void TChart::SetChartMargins(int margin) { chart()->setMargins(QMargins(margin, margin, margin, margin)); }

double TChart::BottomMin() const { return bottom_->min(); }
double TChart::BottomMax() const { return bottom_->max(); }
double TChart::LeftMin() const { return left_->min(); }
double TChart::LeftMax() const { return left_->max(); }

void TChart::SetBottomRange(double minimum, double maximum) { bottom_->setRange(minimum, maximum); }

void TChart::SetLeftRange(double minimum, double maximum) {
    autoMax_ = false;
    left_->setRange(minimum, maximum);
}

void TChart::SetLeftMin(double minimum) {
    if (autoMax_) {
        left_->setMin(minimum);
        UpdateAutoMaximum();
    } else {
        left_->setRange(minimum, std::max(left_->max(), minimum));
    }
}

void TChart::SetLeftAutomaticMaximum(bool on) {
    autoMax_ = on;
    UpdateAutoMaximum();
}

void TChart::UpdateAutoMaximum() {
    if (!autoMax_) return;
    double top = -HUGE_VAL;
    for (const TSeries& s : series_) {
        const bool visible = s.Area ? s.Area->isVisible() : s.Line->isVisible();
        if (!visible) continue;
        for (const QPointF& p : s.Points) top = std::max(top, p.y());
    }
    const double lo = left_->min();
    left_->setRange(lo, lo + TidyMaximum(std::max(top - lo, 1.0)));
}

void TChart::SetBottomIncrement(double step, int minorTicks) {
    bottom_->setTickType(QValueAxis::TicksDynamic);
    bottom_->setTickAnchor(0);
    bottom_->setTickInterval(step);
    bottom_->setMinorTickCount(minorTicks);
}

void TChart::SetLeftIncrement(double step, int minorTicks) {
    left_->setTickType(QValueAxis::TicksDynamic);
    left_->setTickAnchor(0);
    left_->setTickInterval(step);
    left_->setMinorTickCount(minorTicks);
}

void TChart::SetAxisTitles(const QString& bottomTitle, const QString& leftTitle) {
    bottom_->setTitleText(bottomTitle);
    left_->setTitleText(leftTitle);
}

QRectF TChart::PlotRect() const {
    const QRectF plot = chart()->plotArea();
    const QPointF tl = mapFromScene(chart()->mapToScene(plot.topLeft()));
    const QPointF br = mapFromScene(chart()->mapToScene(plot.bottomRight()));
    return QRectF(tl, br);
}

int TChart::BottomAxisStartPos() const { return int(std::lround(PlotRect().left())); }
int TChart::BottomAxisEndPos() const { return int(std::lround(PlotRect().right())); }
int TChart::LeftAxisTopPos() const { return int(std::lround(PlotRect().top())); }
int TChart::LeftAxisBottomPos() const { return int(std::lround(PlotRect().bottom())); }

void TChart::Attach(QAbstractSeries* s) {
    chart()->addSeries(s);
    s->attachAxis(bottom_);
    s->attachAxis(left_);
}

int TChart::AddStairSeries(const QColor& color) {
    TSeries s;
    s.Line = new QLineSeries(this);
    s.Area = new QAreaSeries(s.Line);
    s.Area->setPen(Qt::NoPen);
    s.Area->setBrush(color);
    s.Area->setPointsVisible(false);
    s.Color = color;
    Attach(s.Area);
    for (QLegendMarker* m : chart()->legend()->markers(s.Area)) m->setVisible(false);
    series_.push_back(s);
    return int(series_.size()) - 1;
}

int TChart::AddLineSeries(const QString& title, const QColor& color) {
    TSeries s;
    s.Line = new QLineSeries;
    s.Line->setName(title);
    s.Line->setPen(QPen(color, 1));
    s.Line->setPointsVisible(false);
    s.Color = color;
    Attach(s.Line);
    series_.push_back(s);
    return int(series_.size()) - 1;
}

void TChart::SetSeriesColor(int i, const QColor& color) {
    TSeries& s = series_.at(std::size_t(i));
    s.Color = color;
    if (s.Area)
        s.Area->setBrush(color);
    else
        s.Line->setPen(QPen(color, 1));
}

QColor TChart::SeriesColor(int i) const { return series_.at(std::size_t(i)).Color; }
QString TChart::SeriesTitle(int i) const { return series_.at(std::size_t(i)).Line->name(); }

void TChart::ClearSeries(int i) { SetSeriesPoints(i, {}); }

void TChart::SetSeriesPoints(int i, const QList<QPointF>& points) {
    TSeries& s = series_.at(std::size_t(i));
    s.Points = points;
    s.Line->replace(s.Area ? StairPoints(points) : points);
    UpdateAutoMaximum();
}

const QList<QPointF>& TChart::SeriesPoints(int i) const { return series_.at(std::size_t(i)).Points; }

void TChart::SetSeriesVisible(int i, bool visible) {
    TSeries& s = series_.at(std::size_t(i));
    if (s.Area)
        s.Area->setVisible(visible);
    else
        s.Line->setVisible(visible);
    UpdateAutoMaximum();
}

bool TChart::SeriesVisible(int i) const {
    const TSeries& s = series_.at(std::size_t(i));
    return s.Area ? s.Area->isVisible() : s.Line->isVisible();
}

QPointF TChart::ValueAt(QPoint widgetPos) const {
    const QRectF r = PlotRect();
    const double fx = r.width() > 0 ? (widgetPos.x() - r.left()) / r.width() : 0.0;
    const double fy = r.height() > 0 ? (r.bottom() - widgetPos.y()) / r.height() : 0.0;
    return {BottomMin() + fx * (BottomMax() - BottomMin()), LeftMin() + fy * (LeftMax() - LeftMin())};
}

void TChart::ZoomTo(const QRectF& values) {
    if (!zoomed_) {
        unzoomed_ = QRectF(QPointF(BottomMin(), LeftMin()), QPointF(BottomMax(), LeftMax()));
        unzoomedAuto_ = autoMax_;
        zoomed_ = true;
    }
    const QRectF v = values.normalized();
    autoMax_ = false;
    bottom_->setRange(v.left(), v.right());
    left_->setRange(v.top(), v.bottom());
    emit AxesChanged();
}

void TChart::UndoZoom() {
    if (zoomed_) {
        zoomed_ = false;
        bottom_->setRange(unzoomed_.left(), unzoomed_.right());
        left_->setRange(unzoomed_.top(), unzoomed_.bottom());
        autoMax_ = unzoomedAuto_;
        UpdateAutoMaximum();
    }
    emit AxesChanged();
}

void TChart::ScrollBy(int dxPixels, int dyPixels) {
    const QRectF r = PlotRect();
    if (r.width() <= 0 || r.height() <= 0) return;
    const double dx = -dxPixels * (BottomMax() - BottomMin()) / r.width();
    const double dy = dyPixels * (LeftMax() - LeftMin()) / r.height();
    autoMax_ = false;
    bottom_->setRange(BottomMin() + dx, BottomMax() + dx);
    left_->setRange(LeftMin() + dy, LeftMax() + dy);
    emit AxesChanged();
}

void TChart::mousePressEvent(QMouseEvent* e) {
    pressPos_ = e->position().toPoint();
    if (e->button() == Qt::LeftButton && zoomEnabled_) {
        zooming_ = true;
        band_->setGeometry(QRect(pressPos_, QSize()));
        band_->show();
    } else if (e->button() == Qt::RightButton && panEnabled_) {
        panning_ = true;
        lastPanPos_ = pressPos_;
    }
    e->accept();
}

void TChart::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    if (zooming_) band_->setGeometry(QRect(pressPos_, p).normalized());
    if (panning_ && p != lastPanPos_) {
        ScrollBy(p.x() - lastPanPos_.x(), p.y() - lastPanPos_.y());
        lastPanPos_ = p;
    }
    emit MouseMoved(p, (e->buttons() & Qt::LeftButton) != 0);
    e->accept();
}

void TChart::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    if (zooming_ && e->button() == Qt::LeftButton) {
        zooming_ = false;
        band_->hide();
        const QPoint d = p - pressPos_;
        if (std::abs(d.x()) >= 3 && std::abs(d.y()) >= 3) {
            // Dragged to the lower right: zoom in; to the upper left: undo.
            if (d.x() > 0 && d.y() > 0) {
                const QPointF a = ValueAt(pressPos_), b = ValueAt(p);
                ZoomTo(QRectF(QPointF(a.x(), b.y()), QPointF(b.x(), a.y())));
            } else if (d.x() < 0 && d.y() < 0) {
                UndoZoom();
            }
        }
    }
    if (e->button() == Qt::RightButton) panning_ = false;
    e->accept();
}

void TChart::drawForeground(QPainter* painter, const QRectF& rect) {
    QChartView::drawForeground(painter, rect);
    if (!ForegroundPainter) return;
    painter->save();
    painter->resetTransform();
    ForegroundPainter(*painter);
    painter->restore();
}

QImage TChart::ToImage() {
    QImage img(size(), QImage::Format_ARGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.drawPixmap(0, 0, grab());
    return img;
}

void TChart::RenderTo(QPainter& painter, const QRectF& target) { render(&painter, target, rect()); }

void TChart::PrintTo(QPainter& painter, const QRect& pageRect) {
    const int mx = pageRect.width() * PrintMarginPercent / 100;
    const int my = pageRect.height() * PrintMarginPercent / 100;
    const QRect room = pageRect.adjusted(mx, my, -mx, -my);
    QSizeF s = QSizeF(size());
    s.scale(QSizeF(room.size()), Qt::KeepAspectRatio);
    const QRectF target(room.left() + (room.width() - s.width()) / 2, room.top(), s.width(), s.height());
    RenderTo(painter, target);
}

void TChart::SaveBitmap(const QString& path) {
    TBitmap32 bmp;
    AssignFromImage(bmp, ToImage());
    SaveToBmp(bmp, NativePath(path));
}

void TChart::SavePng(const QString& path) {
    TBitmap32 bmp;
    AssignFromImage(bmp, ToImage());
    std::uint8_t filter = 0;
    SaveToPng(bmp, NativePath(path), filter);
}

} // namespace ivra
