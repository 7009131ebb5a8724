#include "measure/SpatialCalib.h"

#include "services/CommandGuard.h"
#include "services/DrawingState.h"
#include "services/Prompts.h"
#include "services/Shell.h"
#include "core/measure/Calibration.h"
#include "measure/MeasureController.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSignalBlocker>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace ivra {

namespace {


QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, bool bold) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    return l;
}

const QString CalibFilter = QStringLiteral("Conversion Factor (*.cnv)");

} // namespace

TfrmSpatialCalib* SpatialCalibForm(TShell& shell) { return shell.ToolWindows().Find<TfrmSpatialCalib>(); }

TfrmSpatialCalib* CreateSpatialCalibForm(TShell& shell) {
    return &shell.ToolWindows().Get<TfrmSpatialCalib>(
        [&shell] { return new TfrmSpatialCalib(shell.Window(), shell.Drawing()); });
}

TfrmSpatialCalib::TfrmSpatialCalib(QWidget* parent, TDrawingState& drawing)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      drawing_(drawing) {
    setObjectName(QStringLiteral("frmSpatialCalib"));
    setWindowTitle(QStringLiteral("Spatial Calibration"));
    setModal(false);

    // The arrangement of the original dialog, laid out by the fonts in use so
    // that every text shows whole at any font size: a sunken panel with the
    // two steps, the length row, the factor and the Save and Load buttons,
    // then OK and Cancel.
    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameShape(QFrame::Panel);
    bevel->setFrameShadow(QFrame::Sunken);
    auto* grid = new QGridLayout(bevel);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setVerticalSpacing(8);

    Label2 = MakeLabel(bevel, "Label2", QStringLiteral("1. Draw a line of known length on some image"), true);
    Label3 = MakeLabel(bevel, "Label3", QStringLiteral("2. Write down the length"), true);
    grid->addWidget(Label2, 0, 0, 1, 4);
    grid->addWidget(Label3, 1, 0, 1, 4);

    labPixLength = MakeLabel(bevel, "labPixLength", QString::fromLatin1(PixelLabelUnmeasured), false);
    labPixLength->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    labPixLength->setMinimumWidth(labPixLength->fontMetrics().horizontalAdvance(QStringLiteral("000000")));
    Label4 = MakeLabel(bevel, "Label4", QStringLiteral("pixels ="), false);
    edLineLength = new QLineEdit(QStringLiteral("1"), bevel);
    edLineLength->setObjectName(QStringLiteral("edLineLength"));
    edLineLength->setFixedWidth(edLineLength->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 10);
    edLineLength->installEventFilter(this);
    Label1 = MakeLabel(bevel, "Label1", QStringLiteral("units of measuring system"), false);
    cbUnit = new QComboBox(bevel);
    cbUnit->setObjectName(QStringLiteral("cbUnit"));
    cbUnit->setEditable(true);
    cbUnit->setInsertPolicy(QComboBox::NoInsert);
    cbUnit->addItems({QStringLiteral("nm"), QStringLiteral("\u00B5m"), QStringLiteral("mm"), QStringLiteral("cm"),
                      QStringLiteral("m"), QStringLiteral("in")});
    cbUnit->setCurrentIndex(-1);
    cbUnit->setEditText(QString());
    cbUnit->lineEdit()->setMaxLength(int(MaxCalibrationUnitLength));
    cbUnit->setMinimumContentsLength(6);
    cbUnit->setToolTip(QStringLiteral("The unit of the real length; empty for none"));
    auto* lengthRow = new QHBoxLayout;
    // Its own spacing: inside the grid (whose two spacings differ) it would
    // get none, and the number would run into "pixels =".
    const int spacing = style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing);
    lengthRow->setSpacing(spacing >= 0 ? spacing : 6);
    lengthRow->addWidget(labPixLength);
    lengthRow->addWidget(Label4);
    lengthRow->addWidget(edLineLength);
    lengthRow->addWidget(Label1);
    lengthRow->addWidget(cbUnit);
    lengthRow->addStretch(1);
    grid->addLayout(lengthRow, 2, 0, 1, 4);

    Label7 = MakeLabel(bevel, "Label7", QStringLiteral("Conversion Factor:"), true);
    LbConvFact = MakeLabel(bevel, "LbConvFact", QStringLiteral("??????"), true);
    LbConvFact->setMinimumWidth(LbConvFact->fontMetrics().horizontalAdvance(QStringLiteral("0.000000000E+00")));
    grid->addWidget(Label7, 3, 0, 1, 2);
    grid->addWidget(LbConvFact, 3, 2, 1, 2);

    Label5 = MakeLabel(bevel, "Label5", QStringLiteral("Save"), true);
    Label5->setAlignment(Qt::AlignCenter);
    SpeedButton1 = new QToolButton(bevel);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    SpeedButton1->setToolTip(QStringLiteral("Save"));
    SpeedButton1->setFixedSize(28, 28);
    SpeedButton1->setEnabled(false);
    Label6 = MakeLabel(bevel, "Label6", QStringLiteral("Load"), true);
    Label6->setAlignment(Qt::AlignCenter);
    SpeedButton2 = new QToolButton(bevel);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    SpeedButton2->setToolTip(QStringLiteral("Load"));
    SpeedButton2->setFixedSize(28, 28);
    grid->addWidget(Label5, 4, 0, 1, 2, Qt::AlignHCenter);
    grid->addWidget(SpeedButton1, 5, 0, 1, 2, Qt::AlignHCenter);
    grid->addWidget(Label6, 4, 2, 1, 2, Qt::AlignHCenter);
    grid->addWidget(SpeedButton2, 5, 2, 1, 2, Qt::AlignHCenter);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    OKBtn->setEnabled(false);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addSpacing(16);
    buttons->addWidget(CancelBtn);
    buttons->addStretch(1);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    outer->addWidget(bevel);
    outer->addLayout(buttons);
    // The dialog keeps the size its contents need; the user cannot resize it.
    outer->setSizeConstraint(QLayout::SetFixedSize);

    connect(edLineLength, &QLineEdit::textChanged, this, [this] { RunGuarded([this] { edLineLengthChange(); }); });
    connect(cbUnit, &QComboBox::editTextChanged, this, [this] { RunGuarded([this] { cbUnitChange(); }); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { RunGuarded([this] { SpeedButton1Click(); }); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { RunGuarded([this] { SpeedButton2Click(); }); });
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmSpatialCalib::~TfrmSpatialCalib() = default;

void TfrmSpatialCalib::showEvent(QShowEvent* e) {
    calibrating_ = true;
    // Centred on the screen the first time; later where the user left it.
    if (!placed_) {
        placed_ = true;
        if (const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen())
            move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
    QDialog::showEvent(e);
}

void TfrmSpatialCalib::hideEvent(QHideEvent* e) {
    calibrating_ = false;
    QDialog::hideEvent(e);
}

bool TfrmSpatialCalib::eventFilter(QObject* watched, QEvent* e) {
    // Only digits, backspace and the decimal separator may be typed; keys
    // that type nothing (arrows, Delete) keep their editing role.
    if (watched == edLineLength && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        const QString text = k->text();
        if (!text.isEmpty() && k->key() != Qt::Key_Delete &&
            !AcceptLengthKey(char32_t(text.at(0).unicode()), TMeasureController::LocaleDecimalSeparator()))
            return true;
    }
    return QDialog::eventFilter(watched, e);
}

void TfrmSpatialCalib::SetPixelLength(const std::string& text) { labPixLength->setText(QString::fromStdString(text)); }

void TfrmSpatialCalib::edLineLengthChange() {
    const std::optional<float> f =
        ComputeCalibrationFactor(labPixLength->text().toStdString(), edLineLength->text().toStdString());
    if (!f) return;
    // A factor the tools cannot use (a length of 0, typed on the way to
    // "0.5", or one giving infinite areas) is not taken: the factor in
    // force stays, and nothing can be saved or confirmed until the length
    // gives a usable one.
    const bool usable = *f >= MinCalibrationFactor && *f <= MaxCalibrationFactor;
    SpeedButton1->setEnabled(usable);
    OKBtn->setEnabled(usable);
    if (!usable) {
        LbConvFact->setText(QStringLiteral("??????"));
        return;
    }
    drawing_.CalibrationFactor = *f;
    LbConvFact->setText(
        QString::fromStdString(CalibrationFactorText(drawing_.CalibrationFactor, TMeasureController::LocaleDecimalSeparator())));
    emit FactorChanged();
    SpeedButton1->setEnabled(true);
    OKBtn->setEnabled(true);
}

void TfrmSpatialCalib::cbUnitChange() {
    try {
        drawing_.CalibrationUnit = CheckCalibrationUnit(cbUnit->currentText().toStdString());
    } catch (...) {
        // The box shows the unit in force again, then the reason is shown.
        const QSignalBlocker quiet(cbUnit);
        cbUnit->setEditText(QString::fromStdString(drawing_.CalibrationUnit));
        throw;
    }
    emit FactorChanged();
}

void TfrmSpatialCalib::SpeedButton1Click() {
    TFileDialogRequest r;
    r.Caption = QStringLiteral("Save");
    r.Filter = CalibFilter;
    r.DefaultSuffix = QStringLiteral("cnv");
    const QString path = AppPrompts().GetSaveFileName(this, r);
    if (path.isEmpty()) return;
    if (QFileInfo::exists(path) &&
        AppPrompts().Confirm(this, QStringLiteral("Overwrite existing file?"), QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::No) != QMessageBox::Yes)
        return;
    SaveCalibrationFile(path.toStdString(), drawing_.CalibrationFactor, TMeasureController::LocaleDecimalSeparator(),
                        drawing_.CalibrationUnit);
}

void TfrmSpatialCalib::SpeedButton2Click() {
    TFileDialogRequest r;
    r.Caption = QStringLiteral("Open");
    r.Filter = CalibFilter;
    const QString path = AppPrompts().GetOpenFileName(this, r);
    if (path.isEmpty()) return;
    // A bad file throws here, before anything changed. A file without a
    // unit line leaves no unit.
    const TCalibration c = ReadCalibrationFile(path.toStdString());
    SetCalibration(c.Factor, c.Unit);
    close();
}

void TfrmSpatialCalib::SetCalibration(float factor, const std::string& unit) {
    drawing_.CalibrationFactor = factor;
    drawing_.CalibrationUnit = unit;
    {
        const QSignalBlocker quiet(cbUnit);
        cbUnit->setEditText(QString::fromStdString(unit));
    }
    LbConvFact->setText(QString::fromStdString(CalibrationFactorText(factor, TMeasureController::LocaleDecimalSeparator())));
    OKBtn->setEnabled(true);
    emit FactorChanged();
}

} // namespace ivra
