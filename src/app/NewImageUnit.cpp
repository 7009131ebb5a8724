#include "app/NewImageUnit.h"

#include "services/ColorPanel.h"
#include "services/CommandGuard.h"
#include "services/Prompts.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>

namespace ivra {

namespace {

QSpinBox* MakeSizeBox(QWidget* parent, const char* name, int value) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(1, 2000);
    box->setValue(value);
    box->setAlignment(Qt::AlignRight);
    box->setAccelerated(true);
    return box;
}

} // namespace

TNewImageForm::TNewImageForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("NewImageForm"));
    setWindowTitle(QStringLiteral("New Image"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    ImageWidth_ = MakeSizeBox(this, "ImageWidth", 640);
    ImageHeight_ = MakeSizeBox(this, "ImageHeight", 480);
    pnlColor_ = new TColorPanel(Qt::white, this);
    pnlColor_->setObjectName(QStringLiteral("pnlColor"));
    pnlColor_->setMinimumSize(60, 24);
    btnSelect_ = new QPushButton(QStringLiteral("Select"), this);
    btnSelect_->setObjectName(QStringLiteral("btnSelect"));
    btnSelect_->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Width:"), this), 0, 0);
    grid->addWidget(ImageWidth_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("pixels"), this), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Height:"), this), 1, 0);
    grid->addWidget(ImageHeight_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("pixels"), this), 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Color:"), this), 2, 0);
    grid->addWidget(pnlColor_, 2, 1);
    grid->addWidget(btnSelect_, 2, 2);
    grid->setColumnStretch(1, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* outer = new QVBoxLayout(this);
    outer->addLayout(grid);
    outer->addStretch(1);
    outer->addWidget(buttons);

    ConnectGuarded(btnSelect_, &QPushButton::clicked, this, [this](bool) { btnSelectClick(); });

    setFixedSize(245, 194);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->availableGeometry();
        move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height()) / 2);
    }
}

TColor32 TNewImageForm::SelectedColor32() const {
    const QColor c = pnlColor_->Color();
    return Color32(std::uint8_t(c.red()), std::uint8_t(c.green()), std::uint8_t(c.blue()), 255);
}

void TNewImageForm::btnSelectClick() {
    if (auto c = AppPrompts().GetColor(this, pnlColor_->Color(), true)) pnlColor_->SetColor(*c);
}

} // namespace ivra
