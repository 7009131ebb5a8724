#include "app/AboutBox.h"

#include "services/AppInfo.h"
#include "app/Splash.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ivra {

TAboutBoxFrm::TAboutBoxFrm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBoxFrm"));
    setWindowTitle(QStringLiteral("About"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    auto* picture = new QLabel(this);
    picture->setPixmap(TfrmSplash::Picture().copy(250, 30, 170, 170));
    picture->setFixedSize(170, 170);

    auto* product = new QLabel(AppTitle, this);
    product->setObjectName(QStringLiteral("ProductName"));
    QFont f = product->font();
    f.setPointSizeF(f.pointSizeF() * 1.4);
    f.setBold(true);
    product->setFont(f);
    auto* version = new QLabel(AppVersionText, this);
    version->setObjectName(QStringLiteral("Version"));
    auto* comments = new QLabel(
        QStringLiteral("Measures distances, lengths, angles and areas on raster images, "
                       "counts objects, and analyses and processes the pictures."),
        this);
    comments->setWordWrap(true);

    auto* text = new QVBoxLayout;
    text->addWidget(product);
    text->addWidget(version);
    text->addSpacing(12);
    text->addWidget(comments);
    text->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addSpacing(12);
    top->addLayout(text, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(buttons);
    setFixedWidth(460);
}

} // namespace ivra
