#include "imagewin/RGBALoader.h"

#include "core/processing/ColorOps.h"
#include "engine/ImgView32.h"
#include "imagewin/PictureLoader.h"
#include "services/CommandGuard.h"
#include "services/Prompts.h"
#include "services/Shell.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace ivra {

namespace {

constexpr int PreviewSize = 169;

TImgView32* MakePreview(QWidget* parent, const char* name) {
    auto* v = new TImgView32(parent);
    v->setObjectName(QLatin1String(name));
    v->setFixedSize(PreviewSize, PreviewSize);
    v->setFrameShape(QFrame::StyledPanel);
    return v;
}

QPushButton* MakeButton(const QString& text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

TRGBALoaderForm::TRGBALoaderForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("RGBALoaderForm"));
    setWindowTitle(QStringLiteral("New Bitmap Layer with Alpha Channel"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* header = new QLabel(QStringLiteral("Load two images, one of them will be used to fill RGB components \n"
                                             "of the layer, another will be converted to a grayscale image and \n"
                                             "used as alpha channel"),
                              this);
    header->setAutoFillBackground(true);
    QPalette pal = header->palette();
    pal.setColor(QPalette::Window, Qt::white);
    header->setPalette(pal);
    header->setContentsMargins(10, 8, 10, 8);

    ImgRGB = MakePreview(this, "ImgRGB");
    ImgAlpha = MakePreview(this, "ImgAlpha");
    btnLoadRGB = MakeButton(QStringLiteral("Load..."), "btnLoadRGB", this);
    btnLoadAlpha = MakeButton(QStringLiteral("Load..."), "btnLoadAlpha", this);
    btnRGBPlus = MakeButton(QStringLiteral("+"), "btnRGBPlus", this);
    btnRGBMinus = MakeButton(QStringLiteral("-"), "btnRGBMinus", this);
    btnAlphaPlus = MakeButton(QStringLiteral("+"), "btnAlphaPlus", this);
    btnAlphaMinus = MakeButton(QStringLiteral("-"), "btnAlphaMinus", this);
    btnResetScales = MakeButton(QStringLiteral("Reset Scales"), "btnResetScales", this);

    auto* grid = new QGridLayout;
    auto column = [&](int col, const QString& caption, QPushButton* load, QPushButton* plus, QPushButton* minus,
                      TImgView32* view) {
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(caption, this));
        row->addStretch(1);
        row->addWidget(load);
        row->addWidget(plus);
        row->addWidget(minus);
        plus->setFixedWidth(24);
        minus->setFixedWidth(24);
        grid->addLayout(row, 0, col);
        grid->addWidget(view, 1, col, Qt::AlignCenter);
    };
    column(0, QStringLiteral("RGB Image:"), btnLoadRGB, btnRGBPlus, btnRGBMinus, ImgRGB);
    column(1, QStringLiteral("Alpha Image:"), btnLoadAlpha, btnAlphaPlus, btnAlphaMinus, ImgAlpha);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->addButton(btnResetScales, QDialogButtonBox::ResetRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 8);
    lay->addWidget(header);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(10, 4, 10, 0);
    body->addLayout(grid);
    body->addWidget(new QLabel(QStringLiteral("If the images have different sizes, the alpha image will be rescaled."), this));
    body->addWidget(buttons);
    lay->addLayout(body);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    ConnectGuarded(btnLoadRGB, &QPushButton::clicked, this, [this](bool) { LoadRGBClick(); });
    ConnectGuarded(btnLoadAlpha, &QPushButton::clicked, this, [this](bool) { LoadAlphaClick(); });
    ConnectGuarded(btnRGBPlus, &QPushButton::clicked, this, [this](bool) { Zoom(*ImgRGB, true); });
    ConnectGuarded(btnRGBMinus, &QPushButton::clicked, this, [this](bool) { Zoom(*ImgRGB, false); });
    ConnectGuarded(btnAlphaPlus, &QPushButton::clicked, this, [this](bool) { Zoom(*ImgAlpha, true); });
    ConnectGuarded(btnAlphaMinus, &QPushButton::clicked, this, [this](bool) { Zoom(*ImgAlpha, false); });
    ConnectGuarded(btnResetScales, &QPushButton::clicked, this, [this](bool) { ResetScalesClick(); });
}

const TBitmap32& TRGBALoaderForm::RGBBitmap() const { return ImgRGB->Bitmap(); }

const TBitmap32& TRGBALoaderForm::AlphaBitmap() const { return ImgAlpha->Bitmap(); }

void TRGBALoaderForm::Reset() {
    ImgRGB->Bitmap().SetSize(0, 0);
    ImgAlpha->Bitmap().SetSize(0, 0);
    ResetScalesClick();
}

namespace {

// The shared open dialog under its own title; false on Cancel.
bool LoadInto(QWidget* parent, TImgView32& view, const QString& title) {
    TFileDialogRequest r;
    r.Caption = title;
    r.Filter = OpenPictureFilter();
    const QString file = AppPrompts().GetOpenFileName(parent, r);
    if (file.isEmpty()) return false;
    TBitmap32 loaded;
    LoadPicture(file, loaded);
    view.Bitmap().SwapPixels(loaded);
    return true;
}

} // namespace

void TRGBALoaderForm::LoadRGBClick() { LoadInto(this, *ImgRGB, QStringLiteral("Open Color Picture")); }

void TRGBALoaderForm::LoadAlphaClick() {
    if (LoadInto(this, *ImgAlpha, QStringLiteral("Open Alpha Channel Picture")))
        GrayscaleBitmap(&ImgAlpha->Bitmap(), &ImgAlpha->Bitmap());
}

void TRGBALoaderForm::Zoom(TImgView32& view, bool in) { view.SetScale(in ? view.Scale() * 1.5f : view.Scale() / 1.5f); }

void TRGBALoaderForm::ResetScalesClick() {
    ImgRGB->SetScale(1.0f);
    ImgAlpha->SetScale(1.0f);
}

TRGBALoaderForm& RGBALoaderForm(TShell& shell) {
    return shell.ToolWindows().Get<TRGBALoaderForm>([&shell] { return new TRGBALoaderForm(shell.Window()); });
}

void ComposeAlphaChannel(TBitmap32& layer, const TBitmap32& alpha) {
    if (alpha.Empty() || layer.Empty()) return;
    TBitmap32 stretched(layer.Width(), layer.Height());
    TBitmap32 source;
    source.Assign(alpha);
    source.SetDrawMode(TDrawMode::dmOpaque);
    source.SetStretchFilter(TStretchFilter::sfNearest);
    source.DrawTo(stretched, stretched.BoundsRect());
    IntensityToAlpha(&layer, &stretched);
}

} // namespace ivra
