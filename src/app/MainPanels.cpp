// The main window's two floating panel windows, " Bitmap Layer" and
// " Magnifier", which edit the active image window's selected layer.

#include "app/MainForm.h"

#include "engine/GaugeBar.h"
#include "imagewin/LayerPanels.h"

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
    auto check = [](const QString& text, const char* name, QWidget* parent) {
        auto* c = new QCheckBox(text, parent);
        c->setObjectName(QLatin1String(name));
        return c;
    };
    // A floating tool window of the main window holding a fixed-size panel.
    auto makeWindow = [this](const QString& caption, const char* name, const char* panelName, QSize size) {
        auto* w = new QWidget(this, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
        w->setObjectName(QLatin1String(name));
        w->setWindowTitle(caption);
        w->setFixedSize(size);
        auto* panel = new QWidget(w);
        panel->setObjectName(QLatin1String(panelName));
        panel->setFixedSize(size);
        auto* lay = new QVBoxLayout(panel);
        lay->setContentsMargins(8, 6, 8, 8);
        w->hide();
        return std::pair{w, lay};
    };
    TLayerPanels p;
    const QRect screen = ScreenRect();

    auto [layerWindow, layerLay] = makeWindow(QStringLiteral(" Bitmap Layer"), "LayerWindow", "pnlBitmapLayer",
                                              QSize(137, 152));
    QWidget* layerPanel = layerLay->parentWidget();
    layerLay->addWidget(label(QStringLiteral("Opacity:"), layerPanel));
    layerLay->addWidget(p.LayerOpacity = gauge("LayerOpacity", 0, 255, 255, layerPanel));
    layerLay->addWidget(p.LayerInterpolate = check(QStringLiteral("Interpolated"), "LayerInterpolate", layerPanel));
    layerLay->addWidget(p.Cropped = check(QStringLiteral("Cropped"), "Cropped", layerPanel));
    p.Button1 = new QPushButton(QStringLiteral("Delete"), layerPanel);
    p.Button1->setObjectName(QStringLiteral("Button1"));
    layerLay->addWidget(p.Button1);
    layerLay->addStretch(1);
    layerWindow->move(screen.x() + screen.width() - 320, screen.y() + 550);
    p.LayerWindow = layerWindow;

    auto [magnWindow, magnLay] = makeWindow(QStringLiteral(" Magnifier"), "MagnifierWindow", "PnlMagn",
                                            QSize(134, 185));
    QWidget* magnPanel = magnLay->parentWidget();
    magnLay->setSpacing(3);
    magnLay->addWidget(label(QStringLiteral("Opacity:"), magnPanel));
    magnLay->addWidget(p.MagnOpacity = gauge("MagnOpacity", 0, 255, 255, magnPanel));
    magnLay->addWidget(label(QStringLiteral("Magnification:"), magnPanel));
    magnLay->addWidget(p.MagnMagnification = gauge("MagnMagnification", 0, 50, 10, magnPanel));
    magnLay->addWidget(label(QStringLiteral("Rotation:"), magnPanel));
    magnLay->addWidget(p.MagnRotation = gauge("MagnRotation", -180, 180, 0, magnPanel));
    magnLay->addWidget(p.MagnInterpolate = check(QStringLiteral("Interpolated"), "MagnInterpolate", magnPanel));
    magnLay->addStretch(1);
    magnWindow->move(screen.x() + screen.width() - 320, screen.y() + 350);
    p.MagnifierWindow = magnWindow;

    // The image windows find the panels among the shell's run objects, and
    // the panels' changes reach the active image window.
    ConnectLayerPanels(*this, p);
}

} // namespace ivra
