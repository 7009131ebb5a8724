// The main window's two floating panel windows, " Bitmap Layer" and
// " Magnifier", which edit the active image window's selected layer.

#include "app/MainForm.h"

#include "engine/GaugeBar.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ivra {

void TMainForm::CreatePanels() {
    auto label = [](const QString& text, QWidget* parent) { return new QLabel(text, parent); };
    auto gauge = [](const char* name, int lo, int hi, int pos, QWidget* parent) {
        auto* g = new TGaugeBar(parent);
        g->setObjectName(QLatin1String(name));
        g->SetRange(lo, hi);
        g->SetPosition(pos);
        return g;
    };

    pnlBitmapLayer = new QWidget(this);
    pnlBitmapLayer->setObjectName(QStringLiteral("pnlBitmapLayer"));
    {
        auto* lay = new QVBoxLayout(pnlBitmapLayer);
        lay->setContentsMargins(8, 6, 8, 8);
        lay->addWidget(label(QStringLiteral("Opacity:"), pnlBitmapLayer));
        LayerOpacity = gauge("LayerOpacity", 0, 255, 255, pnlBitmapLayer);
        lay->addWidget(LayerOpacity);
        LayerInterpolate = new QCheckBox(QStringLiteral("Interpolated"), pnlBitmapLayer);
        LayerInterpolate->setObjectName(QStringLiteral("LayerInterpolate"));
        lay->addWidget(LayerInterpolate);
        Cropped = new QCheckBox(QStringLiteral("Cropped"), pnlBitmapLayer);
        Cropped->setObjectName(QStringLiteral("Cropped"));
        lay->addWidget(Cropped);
        Button1 = new QPushButton(QStringLiteral("Delete"), pnlBitmapLayer);
        Button1->setObjectName(QStringLiteral("Button1"));
        lay->addWidget(Button1);
        lay->addStretch(1);
    }
    pnlBitmapLayer->setFixedSize(137, 152);

    PnlMagn = new QWidget(this);
    PnlMagn->setObjectName(QStringLiteral("PnlMagn"));
    {
        auto* lay = new QVBoxLayout(PnlMagn);
        lay->setContentsMargins(8, 6, 8, 8);
        lay->setSpacing(3);
        lay->addWidget(label(QStringLiteral("Opacity:"), PnlMagn));
        MagnOpacity = gauge("MagnOpacity", 0, 255, 255, PnlMagn);
        lay->addWidget(MagnOpacity);
        lay->addWidget(label(QStringLiteral("Magnification:"), PnlMagn));
        MagnMagnification = gauge("MagnMagnification", 0, 50, 10, PnlMagn);
        lay->addWidget(MagnMagnification);
        lay->addWidget(label(QStringLiteral("Rotation:"), PnlMagn));
        MagnRotation = gauge("MagnRotation", -180, 180, 0, PnlMagn);
        lay->addWidget(MagnRotation);
        MagnInterpolate = new QCheckBox(QStringLiteral("Interpolated"), PnlMagn);
        MagnInterpolate->setObjectName(QStringLiteral("MagnInterpolate"));
        lay->addWidget(MagnInterpolate);
        lay->addStretch(1);
    }
    PnlMagn->setFixedSize(134, 185);
}

void TMainForm::MakeToolbars() {
    drawing_.CalibrationFactor = 1.0f;
    const QRect screen = ScreenRect();
    auto makeWindow = [this](const QString& caption, const char* name, QWidget* panel) {
        auto* w = new QWidget(this, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
        w->setObjectName(QLatin1String(name));
        w->setWindowTitle(caption);
        panel->setParent(w);
        panel->move(0, 0);
        panel->show();
        w->setFixedSize(panel->size());
        w->hide();
        return w;
    };
    MagnifierWindow = makeWindow(QStringLiteral(" Magnifier"), "MagnifierWindow", PnlMagn);
    MagnifierWindow->move(screen.x() + screen.width() - 320, screen.y() + 350);
    LayerWindow = makeWindow(QStringLiteral(" Bitmap Layer"), "LayerWindow", pnlBitmapLayer);
    LayerWindow->move(screen.x() + screen.width() - 320, screen.y() + 550);
}

} // namespace ivra
