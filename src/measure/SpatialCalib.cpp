#include "measure/SpatialCalib.h"

#include "services/CommandGuard.h"
#include "services/DrawingState.h"
#include "services/Prompts.h"
#include "core/measure/Calibration.h"
#include "measure/MeasureController.h"

#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace ivra {

bool CalibrationMode = false;

namespace {

QPointer<TfrmSpatialCalib> g_calibForm;

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, bool bold, QRect geometry) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    l->setGeometry(geometry);
    return l;
}

const QString CalibFilter = QStringLiteral("Conversion Factor (*.cnv)");

} // namespace

TfrmSpatialCalib* SpatialCalibForm() { return g_calibForm.data(); }

TfrmSpatialCalib* CreateSpatialCalibForm(QWidget* parent, TDrawingState& drawing) {
    auto* f = new TfrmSpatialCalib(parent, drawing);
    g_calibForm = f;
    return f;
}

TfrmSpatialCalib::TfrmSpatialCalib(QWidget* parent, TDrawingState& drawing)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      drawing_(drawing) {
    setObjectName(QStringLiteral("frmSpatialCalib"));
    setWindowTitle(QStringLiteral("Spatial Calibration"));
    setModal(false);
    setFixedSize(313, 265);

    auto* bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::Panel);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(8, 8, 297, 201);

    Label2 = MakeLabel(this, "Label2", QStringLiteral("1. Draw a line of known length on some image"), true,
                       {16, 16, 285, 16});
    Label3 = MakeLabel(this, "Label3", QStringLiteral("2. Write down the length"), true, {16, 40, 285, 16});
    labPixLength = MakeLabel(this, "labPixLength", QString::fromLatin1(PixelLabelUnmeasured), false, {24, 68, 60, 20});
    labPixLength->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label4 = MakeLabel(this, "Label4", QStringLiteral("pixels ="), false, {90, 68, 52, 20});
    edLineLength = new QLineEdit(QStringLiteral("1"), this);
    edLineLength->setObjectName(QStringLiteral("edLineLength"));
    edLineLength->setGeometry(146, 66, 70, 22);
    edLineLength->installEventFilter(this);
    Label1 = MakeLabel(this, "Label1", QStringLiteral("units of measuring system"), false, {222, 62, 78, 32});
    Label1->setWordWrap(true);
    Label7 = MakeLabel(this, "Label7", QStringLiteral("Conversion Factor:"), true, {16, 108, 140, 20});
    LbConvFact = MakeLabel(this, "LbConvFact", QStringLiteral("??????"), true, {160, 108, 130, 20});

    Label5 = MakeLabel(this, "Label5", QStringLiteral("Save"), true, {60, 140, 40, 16});
    Label5->setAlignment(Qt::AlignCenter);
    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    SpeedButton1->setToolTip(QStringLiteral("Save"));
    SpeedButton1->setGeometry(66, 160, 28, 28);
    SpeedButton1->setEnabled(false);
    Label6 = MakeLabel(this, "Label6", QStringLiteral("Load"), true, {200, 140, 40, 16});
    Label6->setAlignment(Qt::AlignCenter);
    SpeedButton2 = new QToolButton(this);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    SpeedButton2->setToolTip(QStringLiteral("Load"));
    SpeedButton2->setGeometry(206, 160, 28, 28);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(70, 224, 75, 25);
    OKBtn->setDefault(true);
    OKBtn->setEnabled(false);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(166, 224, 75, 25);

    connect(edLineLength, &QLineEdit::textChanged, this, [this] { RunGuarded([this] { edLineLengthChange(); }); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { RunGuarded([this] { SpeedButton1Click(); }); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { RunGuarded([this] { SpeedButton2Click(); }); });
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmSpatialCalib::~TfrmSpatialCalib() {
    if (isVisible()) CalibrationMode = false;
}

void TfrmSpatialCalib::showEvent(QShowEvent* e) {
    CalibrationMode = true;
    // Centred on the screen the first time; later where the user left it.
    if (!placed_) {
        placed_ = true;
        if (const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen())
            move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
    QDialog::showEvent(e);
}

void TfrmSpatialCalib::hideEvent(QHideEvent* e) {
    CalibrationMode = false;
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
    SpeedButton1->setEnabled(true);
    OKBtn->setEnabled(true);
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
    SaveCalibrationFile(path.toStdString(), drawing_.CalibrationFactor, TMeasureController::LocaleDecimalSeparator());
}

void TfrmSpatialCalib::SpeedButton2Click() {
    TFileDialogRequest r;
    r.Caption = QStringLiteral("Open");
    r.Filter = CalibFilter;
    const QString path = AppPrompts().GetOpenFileName(this, r);
    if (path.isEmpty()) return;
    // A bad file throws here, before anything changed.
    const float f = LoadCalibrationFile(path.toStdString());
    drawing_.CalibrationFactor = f;
    LbConvFact->setText(QString::fromStdString(CalibrationFactorText(f, TMeasureController::LocaleDecimalSeparator())));
    OKBtn->setEnabled(true);
    close();
}

} // namespace ivra
