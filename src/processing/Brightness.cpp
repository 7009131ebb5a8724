#include "processing/Brightness.h"

#include "core/Error.h"
#include "core/processing/Levels.h"
#include "imagewin/ChildWin.h"
#include "processing/ImageCommand.h"
#include "services/CommandGuard.h"
#include "services/Shell.h"
#include "services/UpDown.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ivra {

namespace {

// The text as a decimal integer, or an Error naming it.
int ParseInteger(const QString& text) {
    // StrToIntDef gives its default for anything but an integer: two
    // different defaults agree only for a real number.
    const int a = StrToIntDef(text, 0), b = StrToIntDef(text, 1);
    if (a != b) throw Error("'" + text.toStdString() + "' is not a valid integer value");
    return a;
}

} // namespace

TfrmBrightness::TfrmBrightness(TShell& shell, QWidget* parent) : QDialog(parent), shell_(shell) {
    setObjectName(QStringLiteral("frmBrightness"));
    setWindowTitle(QStringLiteral("Adjust Brightness"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    leBrightness = new QLineEdit(QStringLiteral("0"), panel);
    leBrightness->setObjectName(QStringLiteral("leBrightness"));
    leBrightness->setAlignment(Qt::AlignRight);
    leBrightness->setFixedWidth(leBrightness->fontMetrics().horizontalAdvance(QStringLiteral("-0000")) + 12);
    UpDown = new TUpDown(leBrightness, -255, 255, 0, panel);
    UpDown->setObjectName(QStringLiteral("UpDown1"));
    UpDown->setFixedSize(16, leBrightness->sizeHint().height());
    auto* label = new QLabel(QStringLiteral("Brightness Change"), panel);
    label->setBuddy(leBrightness);
    auto* row = new QHBoxLayout(panel);
    row->addWidget(label);
    row->addStretch(1);
    row->addWidget(leBrightness);
    row->setSpacing(4);
    row->addWidget(UpDown);

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("Button1"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("Button2"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(panel);
    outer->addLayout(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    ConnectGuarded(btnOK, &QPushButton::clicked, this, [this](bool) { Button1Click(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmBrightness::Button1Click() {
    const int change = ParseInteger(leBrightness->text());
    if (TMDIChild* w = shell_.ActiveImageWindow())
        RunImageChange(shell_, *w, QStringLiteral("Adjust Brightness"),
                       TImageChange::Transform([change](const TBitmap32& image, TBitmap32& result) {
                           AdjustBrightness(image, result, change);
                       }));
    accept();
}

} // namespace ivra
