#include "analysis/PixelProfile.h"

#include "analysis/Analysis.h"
#include "analysis/ChartFiles.h"
#include "chart/Chart.h"
#include "engine/Drawing.h"
#include "imagewin/ChildWin.h"
#include "measure/CursorConfine.h"
#include "services/AppInfo.h"
#include "services/CommandGuard.h"
#include "services/FileNames.h"
#include "services/Shell.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableView>
#include <QValueAxis>

#include <algorithm>

namespace ivra {

namespace {

struct TPlane {
    const char* Title;
    QColor Color;
    bool On;
};

const TPlane PlaneTable[7] = {
    {"Red", QColor(255, 0, 0), true},         {"Green", QColor(128, 255, 0), true},
    {"Blue", QColor(0, 0, 255), true},        {"Intensity", QColor(0, 0, 0), false},
    {"Hue", QColor(255, 128, 0), false},      {"Saturation", QColor(255, 0, 255), false},
    {"Value", QColor(128, 128, 128), false},
};

QPushButton* Button(const char* caption, int x, int y, QWidget* parent) {
    auto* b = new QPushButton(QLatin1String(caption), parent);
    b->setGeometry(x, y, 75, 25);
    return b;
}

// The hourglass while the profile is computed, the normal cursor after it,
// also when it fails.
struct TWaitCursor {
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
};

// The end marker: 8 x 8 pixels from (x - 4, y - 4), black outline, red inside.
void DrawMarker(QPainter& p, TPoint c) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(255, 0, 0));
    p.drawRect(QRect(c.X - 4, c.Y - 4, 7, 7));
}

} // namespace

// ---- TProfileImage ------------------------------------------------------------

TProfileImage::TProfileImage(TfrmPixel& owner, QWidget* parent) : QWidget(parent), owner_(owner) {
    setObjectName(QStringLiteral("Image1"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TProfileImage::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    owner_.PaintImage(p, e->rect());
}

void TProfileImage::mousePressEvent(QMouseEvent* e) {
    RunGuarded([&] { owner_.ImageMouseDown(e->button(), e->position().toPoint()); });
}

void TProfileImage::mouseMoveEvent(QMouseEvent* e) {
    RunGuarded([&] { owner_.ImageMouseMove(e->position().toPoint()); });
}

void TProfileImage::mouseReleaseEvent(QMouseEvent* e) {
    RunGuarded([&] { owner_.ImageMouseUp(e->button(), e->position().toPoint()); });
}

// ---- TfrmPixel --------------------------------------------------------------------

TfrmPixel::TfrmPixel(TShell& shell, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      shell_(shell) {
    setObjectName(QStringLiteral("frmPixel"));
    setWindowTitle(QStringLiteral("Pixel Profile"));
    setFixedSize(788, 603);
    pcPages = new QTabWidget(this);
    pcPages->setObjectName(QStringLiteral("pcPages"));
    pcPages->setGeometry(0, 0, 788, 603);

    // Image tab.
    auto* image = new QWidget;
    LabelFilename = new QLabel(image);
    LabelFilename->setObjectName(QStringLiteral("LabelFilename"));
    LabelFilename->setGeometry(16, 8, 729, 15);
    LabelPoints = new QLabel(image);
    LabelPoints->setObjectName(QStringLiteral("LabelPoints"));
    LabelPoints->setGeometry(16, 23, 729, 15);
    ScrollBox1 = new QScrollArea(image);
    ScrollBox1->setGeometry(16, 40, 729, 465);
    Image1 = new TProfileImage(*this, nullptr);
    Image1->resize(0, 0);
    ScrollBox1->setWidget(Image1);
    ScrollBox1->setWidgetResizable(false);
    auto* hint = new QLabel(QStringLiteral("To select profile line, click and hold left mouse button."), image);
    hint->move(16, 537);
    hint->adjustSize();
    btnRefresh = Button("Refresh", 590, 533, image);
    btnCloseImage = Button("Close", 670, 533, image);
    pcPages->addTab(image, QStringLiteral("Image "));

    // Data tab.
    auto* data = new QWidget;
    data_ = new TTextGridModel(this);
    data_->SetHeader(ProfileHeaderCells());
    sgData = new QTableView(data);
    sgData->setObjectName(QStringLiteral("sgData"));
    sgData->setGeometry(8, 16, 585, 513);
    sgData->setModel(data_);
    sgData->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgData->verticalHeader()->hide();
    sgData->verticalHeader()->setDefaultSectionSize(sgData->fontMetrics().height() + 6);
    // Columns of 55 pixels, wider where a header needs it.
    for (int c = 0; c < data_->columnCount(); ++c)
        sgData->setColumnWidth(c, std::max(55, sgData->horizontalHeader()->sectionSizeHint(c)));
    btnSaveData = Button("Save", 624, 16, data);
    pcPages->addTab(data, QStringLiteral("Data"));

    // Graphs tab.
    auto* graphs = new QWidget;
    auto* sliceLabel = new QLabel(QStringLiteral("Pixel Slice"), graphs);
    sliceLabel->move(359, 3);
    sliceLabel->adjustSize();
    PixelSlice = new QLabel(graphs);
    PixelSlice->setObjectName(QStringLiteral("PixelSlice"));
    PixelSlice->setGeometry(71, 20, 660, 29);
    PixelSlice->setScaledContents(true);
    ChartPixelProfile = new TChart(graphs);
    ChartPixelProfile->setObjectName(QStringLiteral("ChartPixelProfile"));
    ChartPixelProfile->setGeometry(16, 56, 729, 465);
    TChart& c = *ChartPixelProfile;
    for (int i = 0; i < 7; ++i) series_[i] = c.AddLineSeries(QLatin1String(PlaneTable[i].Title), PlaneTable[i].Color);
    c.SetLegendVisible(true);
    c.SetChartMargins(2);
    c.SetBottomRange(0, 640);
    c.SetBottomIncrement(50, 4);
    c.SetLeftRange(0, 255);
    c.SetLeftIncrement(20);
    c.SetAxisTitles(QStringLiteral("Linear Distance[Pixels]"), QStringLiteral("Pixel Value"));
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPixelSize(16);
    c.SetTitleFont(titleFont, QColor(0, 0, 255));
    c.SetTitle(QStringLiteral("Pixel Profile"));
    c.SetZoomEnabled(true);
    c.SetPanEnabled(false);
    int x = 21;
    for (int i = 0; i < 7; ++i) {
        Planes[i] = new QCheckBox(QLatin1String(PlaneTable[i].Title), graphs);
        Planes[i]->setObjectName(QStringLiteral("cb") + QLatin1String(PlaneTable[i].Title));
        Planes[i]->setChecked(PlaneTable[i].On);
        Planes[i]->adjustSize();
        Planes[i]->move(x, 536);
        x += Planes[i]->width() + 6;
        c.SetSeriesVisible(series_[i], PlaneTable[i].On);
        connect(Planes[i], &QCheckBox::toggled, this, [this, i](bool on) { ChartPixelProfile->SetSeriesVisible(series_[i], on); });
    }
    btnSaveChart = Button("Save", 510, 533, graphs);
    btnPrint = Button("Print", 590, 533, graphs);
    btnCloseGraphs = Button("Close", 670, 533, graphs);
    pcPages->addTab(graphs, QStringLiteral("Graphs"));
    pcPages->setTabVisible(DataTab, false);
    pcPages->setTabVisible(GraphsTab, false);

    // The table saves as text or HTML, the chart as a picture; the type
    // follows the name, a bare name takes the type picked.
    dataFile_ = std::make_unique<TDocumentFile>(this, QList<TDocumentFileType>{GridTextType(*data_), GridHtmlType(*data_)});
    dataFile_->DialogCaption = QStringLiteral("Save");
    dataFile_->Directory = ProgramFolder();
    chartFile_ = std::make_unique<TDocumentFile>(this, ChartFileTypes(*ChartPixelProfile));
    chartFile_->DialogCaption = QStringLiteral("Save chart");

    ConnectGuarded(btnRefresh, &QPushButton::clicked, this, [this](bool) { Refresh(); });
    ConnectGuarded(btnSaveData, &QPushButton::clicked, this, [this](bool) { SaveData(); });
    ConnectGuarded(btnSaveChart, &QPushButton::clicked, this, [this](bool) { SaveChart(); });
    ConnectGuarded(btnPrint, &QPushButton::clicked, this, [this](bool) { PrintChart(); });
    connect(btnCloseImage, &QPushButton::clicked, this, &QWidget::close);
    connect(btnCloseGraphs, &QPushButton::clicked, this, &QWidget::close);
    if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

TfrmPixel::~TfrmPixel() = default;

void TfrmPixel::Refresh() {
    TMDIChild* w = source_;
    if (!w) return;
    TImageDocument& doc = w->Document();
    const auto* layer = dynamic_cast<const TBitmapLayer*>(doc.Selection());
    const TBitmap32& from = layer ? layer->Bitmap() : w->Document().Bitmap();
    copy_.Assign(from);
    const TSamples16* samples = layer ? nullptr : doc.FullDepthSamples();
    if (samples)
        deepCopy_ = *samples;
    else
        deepCopy_.Clear();
    // Red, green and blue of every pixel; alpha is dropped, not blended.
    copy_.ResetAlpha();
    hasCopy_ = true;
    Image1->resize(copy_.Width(), copy_.Height());
    fileLabel_ = FileNamePart(w->ImageName());
    LabelFilename->setText(fileLabel_);
    Redraw();
}

void TfrmPixel::Redraw() {
    Image1->update();
    UpdateLabels();
    ComputeProfile();
}

void TfrmPixel::UpdateLabels() {
    const char sep = LocaleSeparator();
    LabelPoints->setText(QString::fromStdString(ProfilePointsText(StartPoint, EndPoint, sep)));
    if (ProfilePointPresent(StartPoint) && ProfilePointPresent(EndPoint))
        ChartPixelProfile->SetTitle(
            QString::fromStdString(ProfileChartTitle(fileLabel_.toStdString(), StartPoint, EndPoint)));
}

void TfrmPixel::ComputeProfile() {
    TWaitCursor wait;
    const std::vector<TProfileSample> samples =
        ivra::ComputeProfile(copy_, StartPoint, EndPoint, deepCopy_.Empty() ? nullptr : &deepCopy_);
    if (samples.empty()) {
        slice_ = QImage();
        PixelSlice->clear();
        pcPages->setTabVisible(DataTab, false);
        pcPages->setTabVisible(GraphsTab, false);
        return;
    }
    const int L = int(samples.size()) - 1;
    pcPages->setTabVisible(DataTab, true);
    pcPages->setTabVisible(GraphsTab, true);
    TChart& c = *ChartPixelProfile;
    c.SetBottomMax(L);
    c.SetBottomIncrement(ProfileLabelIncrement(L), 4);
    slice_ = QImage(L + 1, 10, QImage::Format_RGB32);
    QList<QPointF> points[7];
    for (auto& p : points) p.reserve(L + 1);
    for (const TProfileSample& s : samples) {
        const QRgb rgb = qRgb(s.R, s.G, s.B);
        for (int y = 0; y < 10; ++y) reinterpret_cast<QRgb*>(slice_.scanLine(y))[s.Index] = rgb;
        const int values[7] = {s.R, s.G, s.B, s.Q.I, s.Q.H, s.Q.S, s.Q.V};
        for (int i = 0; i < 7; ++i) points[i].append(QPointF(s.Index, values[i]));
    }
    for (int i = 0; i < 7; ++i) c.SetSeriesPoints(series_[i], points[i]);
    data_->SetGrid(ProfileGrid(samples, LocaleSeparator()));
    PixelSlice->setPixmap(QPixmap::fromImage(slice_));
}

TPoint TfrmPixel::Clamped(QPoint p) const {
    return {std::clamp(p.x(), 0, std::max(0, copy_.Width() - 1)), std::clamp(p.y(), 0, std::max(0, copy_.Height() - 1))};
}

QRect TfrmPixel::LineRect(TPoint a, TPoint b) const {
    return QRect(QPoint(std::min(a.X, b.X), std::min(a.Y, b.Y)), QPoint(std::max(a.X, b.X), std::max(a.Y, b.Y)))
        .adjusted(-5, -5, 5, 5);
}

void TfrmPixel::ImageMouseDown(Qt::MouseButton button, QPoint p) {
    if (!hasCopy_ || button != Qt::LeftButton) return;
    drawing_ = true;
    StartPoint = EndPoint = Clamped(p);
    Image1->setCursor(Qt::CrossCursor);
    confinement_.Confine(Image1);
    Image1->update();
}

void TfrmPixel::ImageMouseMove(QPoint p) {
    if (!drawing_) return;
    const TPoint old = EndPoint;
    EndPoint = Clamped(p);
    // Only the parts under the old and the new line are painted again.
    Image1->update(LineRect(StartPoint, old));
    Image1->update(LineRect(StartPoint, EndPoint));
    UpdateLabels();
}

void TfrmPixel::ImageMouseUp(Qt::MouseButton button, QPoint p) {
    if (!drawing_ || button != Qt::LeftButton) return;
    EndPoint = Clamped(p);
    drawing_ = false;
    Image1->unsetCursor();
    confinement_.Release();
    Redraw();
}

void TfrmPixel::PaintImage(QPainter& p, const QRect& rect) {
    p.fillRect(rect, palette().window());
    if (!hasCopy_) return;
    p.drawImage(rect.topLeft(), BitmapImage(copy_), rect);
    const bool both = ProfilePointPresent(StartPoint) && ProfilePointPresent(EndPoint);
    if (!both) return;
    const QPoint a(StartPoint.X, StartPoint.Y), b(EndPoint.X, EndPoint.Y);
    if (drawing_) {
        // While dragging: the marker at the start and a navy line mixed
        // NOT-XOR into the picture, so that it shows on any colour.
        DrawMarker(p, StartPoint);
        p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        p.setPen(QPen(QColor(0, 0, 128), 1));
        p.drawLine(a, b);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    } else {
        p.setPen(QPen(QColor(255, 0, 0), 1));
        p.drawLine(a, b);
        DrawMarker(p, StartPoint);
        DrawMarker(p, EndPoint);
    }
}

void TfrmPixel::SaveData() { dataFile_->SaveAs(); }

void TfrmPixel::SaveChart() { chartFile_->SaveAs(); }

void TfrmPixel::PrintChart() { ivra::PrintChart(*ChartPixelProfile, shell_, this); }

TfrmPixel* PixelForm(TShell& shell) { return shell.ToolWindows().Find<TfrmPixel>(); }

TfrmPixel* CreatePixelForm(TShell& shell) {
    return &shell.ToolWindows().Get<TfrmPixel>([&shell] { return new TfrmPixel(shell, shell.Window()); });
}

} // namespace ivra
