#include "measure/ScaleBarCommand.h"

#include "core/Error.h"
#include "core/measure/Calibration.h"
#include "core/text/NumberText.h"
#include "engine/Layers.h"
#include "imagewin/ChildWin.h"
#include "measure/MeasureController.h"
#include "services/ColorPanel.h"
#include "services/CommandGuard.h"
#include "services/Prompts.h"
#include "services/Shell.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace ivra {

namespace {

// The label's glyphs in the program's font at a height of pixelSize image
// pixels, as coverage.
TLabelMask RenderLabel(const QString& text, int pixelSize) {
    QFont font = QApplication::font();
    font.setPixelSize(std::max(1, pixelSize));
    const QFontMetrics metrics(font);
    const int w = std::max(1, metrics.horizontalAdvance(text)), h = std::max(1, metrics.height());
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(0, metrics.ascent(), text);
    }
    TLabelMask mask;
    mask.Width = w;
    mask.Height = h;
    mask.Coverage.resize(std::size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) mask.Coverage[std::size_t(y) * w + x] = std::uint8_t(qAlpha(row[x]));
    }
    return mask;
}

} // namespace

TdlgScaleBar::TdlgScaleBar(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgScaleBar"));
    setWindowTitle(QStringLiteral("Scale Bar"));

    lbNotCalibrated = new QLabel(
        QStringLiteral("The image is not calibrated: the bar is measured in pixels."), this);
    lbNotCalibrated->setObjectName(QStringLiteral("lbNotCalibrated"));
    lbNotCalibrated->setWordWrap(true);

    auto* form = new QFormLayout;
    edLength = new QLineEdit(this);
    edLength->setObjectName(QStringLiteral("edLength"));
    lbLengthUnit = new QLabel(this);
    lbLengthUnit->setObjectName(QStringLiteral("lbLengthUnit"));
    auto* lengthRow = new QHBoxLayout;
    lengthRow->addWidget(edLength);
    lengthRow->addWidget(lbLengthUnit);
    form->addRow(QStringLiteral("Length:"), lengthRow);

    cbCorner = new QComboBox(this);
    cbCorner->setObjectName(QStringLiteral("cbCorner"));
    // In the order of TScaleBarCorner.
    cbCorner->addItems({QStringLiteral("Lower right"), QStringLiteral("Lower left"), QStringLiteral("Upper right"),
                        QStringLiteral("Upper left")});
    form->addRow(QStringLiteral("Corner:"), cbCorner);

    sbHeight = new QSpinBox(this);
    sbHeight->setObjectName(QStringLiteral("sbHeight"));
    sbHeight->setRange(1, 100000);
    sbHeight->setSuffix(QStringLiteral(" px"));
    form->addRow(QStringLiteral("Bar height:"), sbHeight);

    btnColor = new QPushButton(this);
    btnColor->setObjectName(QStringLiteral("btnColor"));
    form->addRow(QStringLiteral("Colour:"), btnColor);

    sbLabelSize = new QSpinBox(this);
    sbLabelSize->setObjectName(QStringLiteral("sbLabelSize"));
    sbLabelSize->setRange(4, 10000);
    sbLabelSize->setSuffix(QStringLiteral(" px"));
    cbShowLabel = new QCheckBox(QStringLiteral("Show label"), this);
    cbShowLabel->setObjectName(QStringLiteral("cbShowLabel"));
    cbShowLabel->setChecked(true);
    auto* labelRow = new QHBoxLayout;
    labelRow->addWidget(sbLabelSize);
    labelRow->addWidget(cbShowLabel);
    form->addRow(QStringLiteral("Label size:"), labelRow);

    cbBox = new QCheckBox(QStringLiteral("Background box in the background colour"), this);
    cbBox->setObjectName(QStringLiteral("cbBox"));
    form->addRow(QString(), cbBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TdlgScaleBar::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(lbNotCalibrated);
    lay->addLayout(form);
    lay->addWidget(buttons);
    lay->setSizeConstraint(QLayout::SetFixedSize);

    connect(cbShowLabel, &QCheckBox::toggled, sbLabelSize, &QWidget::setEnabled);
    ConnectGuarded(btnColor, &QPushButton::clicked, this, [this](bool) {
        if (const std::optional<QColor> c = AppPrompts().GetColor(this, ToQColor(color_))) {
            color_ = FromQColor(*c);
            ShowColor();
        }
    });
}

void TdlgScaleBar::ShowColor() {
    const QColor c = ToQColor(color_);
    btnColor->setText(c.name(QColor::HexRgb).toUpper());
    QPixmap swatch(16, 16);
    swatch.fill(c);
    btnColor->setIcon(QIcon(swatch));
}

void TdlgScaleBar::Prepare(int imageWidth, int imageHeight, const TDrawingState& drawing) {
    width_ = imageWidth;
    height_ = imageHeight;
    const bool calibrated = !drawing.CalibrationUnit.empty() || drawing.CalibrationFactor != 1.0f;
    factor_ = drawing.CalibrationFactor;
    unit_ = calibrated ? drawing.CalibrationUnit : std::string("px");
    lbNotCalibrated->setVisible(!calibrated);
    lbLengthUnit->setText(unit_.empty() ? QStringLiteral("units") : QString::fromStdString(unit_));
    const char sep = TMeasureController::LocaleDecimalSeparator();
    edLength->setText(QString::fromStdString(FloatToGeneralText(ProposeScaleBarLength(imageWidth, factor_), 6, sep)));
    sbHeight->setValue(DefaultScaleBarHeight(imageWidth, imageHeight));
    sbLabelSize->setValue(DefaultScaleBarLabelSize(imageWidth, imageHeight));
    color_ = drawing.ForeColor;
    boxColor_ = drawing.BackColor;
    ShowColor();
    bar_.SetSize(0, 0);
    location_ = {};
}

void TdlgScaleBar::MakeBar() {
    double length = 0;
    if (!TextToFloat(edLength->text().toStdString(), length))
        throw Error("\"" + edLength->text().toStdString() + "\" is not a valid number.");
    TScaleBarGeometry g;
    g.BarPixels = ScaleBarPixels(length, factor_, width_, height_);
    g.BarHeight = sbHeight->value();
    g.Corner = TScaleBarCorner(cbCorner->currentIndex());
    g.Box = cbBox->isChecked();
    labelText_ = QString::fromStdString(ScaleBarLabel(length, unit_, TMeasureController::LocaleDecimalSeparator()));
    TLabelMask label;
    if (cbShowLabel->isChecked()) {
        // A label taller than the image cannot fit: refused before its glyphs
        // are drawn, which at such sizes would take gigabytes.
        if (sbLabelSize->value() > height_)
            throw Error("A label of " + std::to_string(sbLabelSize->value()) + " pixels is taller than the image (" +
                        std::to_string(height_) + " pixels).");
        label = RenderLabel(labelText_, sbLabelSize->value());
        g.LabelWidth = label.Width;
        g.LabelHeight = label.Height;
    }
    const TScaleBarLayout layout = PlaceScaleBar(width_, height_, g);
    TBitmap32 bar(layout.Bounds.Width(), layout.Bounds.Height());
    DrawScaleBar(bar, {layout.Bounds.Left, layout.Bounds.Top}, layout, Color32FromPlatform(color_),
                 Color32FromPlatform(boxColor_), cbShowLabel->isChecked() ? &label : nullptr);
    bar_.SwapPixels(bar);
    location_ = layout.Bounds;
}

void TdlgScaleBar::accept() {
    RunGuarded([this] {
        MakeBar();
        QDialog::accept();
    });
}

TdlgScaleBar& ScaleBarDialog(TShell& shell) {
    return shell.ToolWindows().Get<TdlgScaleBar>([&shell] { return new TdlgScaleBar(shell.Window()); });
}

void InstallScaleBar(TShell& shell) {
    TCommandSpec c;
    c.Id = QStringLiteral("mnScaleBar");
    c.Caption = QStringLiteral("Scale Bar...");
    c.Hint = QStringLiteral("Scale Bar|Puts a scale bar of the calibrated length on the image");
    c.Menu = MenuIds::Image;
    c.MenuOrder = 80;
    c.SeparatorBefore = true;
    c.Enabled = [&shell] { return shell.ActiveImageWindow() != nullptr; };
    c.Run = [&shell] {
        QPointer<TMDIChild> w = shell.ActiveImageWindow();
        if (!w) return;
        const TBitmap32& image = w->Document().Bitmap();
        TdlgScaleBar& dlg = ScaleBarDialog(shell);
        dlg.Prepare(image.Width(), image.Height(), shell.Drawing());
        if (AppPrompts().ExecDialog(dlg) != QDialog::Accepted || dlg.Bar().Empty()) return;
        // The window may have closed while the dialog was open.
        if (!w) return;
        auto layer = std::make_unique<TBitmapLayer>();
        layer->Bitmap().SwapPixels(dlg.Bar());
        const TRect r = dlg.Location();
        w->AddBitmapLayerAt(std::move(layer), TFloatRect{float(r.Left), float(r.Top), float(r.Right), float(r.Bottom)});
    };
    shell.Commands().Add(c);
    // Made now, hidden, like the program's other dialogs.
    ScaleBarDialog(shell);
}

} // namespace ivra
