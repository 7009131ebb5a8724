#include "imagewin/LayerPanels.h"

#include "engine/GaugeBar.h"
#include "imagewin/ChildWin.h"
#include "imagewin/LayerCommands.h"
#include "services/CommandGuard.h"
#include "services/Shell.h"

#include <QCheckBox>
#include <QPushButton>

namespace ivra {

const TLayerPanels& LayerPanels(TShell& shell) { return shell.RunObjects().Get<TLayerPanels>(); }

void ConnectLayerPanels(TShell& shell, const TLayerPanels& panels) {
    shell.RunObjects().Get<TLayerPanels>() = panels;
    TShell* s = &shell;
    // Each control calls the active window's method of the same role.
    auto forward = [s](void (TMDIChild::*method)()) {
        return [s, method] {
            RunGuarded([s, method] {
                if (TMDIChild* w = s->ActiveImageWindow()) (w->*method)();
            });
        };
    };
    if (panels.LayerOpacity) {
        auto f = forward(&TMDIChild::LayerOpacityChange);
        panels.LayerOpacity->OnChange = [f](TGaugeBar*) { f(); };
    }
    if (panels.LayerInterpolate)
        QObject::connect(panels.LayerInterpolate, &QCheckBox::toggled, panels.LayerInterpolate,
                         [f = forward(&TMDIChild::LayerInterpolateClick)](bool) { f(); });
    if (panels.Cropped)
        QObject::connect(panels.Cropped, &QCheckBox::toggled, panels.Cropped,
                         [f = forward(&TMDIChild::CroppedClick)](bool) { f(); });
    if (panels.Button1)
        QObject::connect(panels.Button1, &QPushButton::clicked, panels.Button1,
                         [s](bool) {
                             RunGuarded([s] {
                                 if (TMDIChild* w = s->ActiveImageWindow()) DeleteSelectedLayer(*w);
                             });
                         });
    auto magn = forward(&TMDIChild::MagnChange);
    for (TGaugeBar* g : {panels.MagnOpacity.data(), panels.MagnMagnification.data(), panels.MagnRotation.data()})
        if (g) g->OnChange = [magn](TGaugeBar*) { magn(); };
    if (panels.MagnInterpolate)
        QObject::connect(panels.MagnInterpolate, &QCheckBox::toggled, panels.MagnInterpolate,
                         [magn](bool) { magn(); });
}

TMagnifierSettings MagnifierSettings(TShell& shell) {
    const TLayerPanels& p = LayerPanels(shell);
    TMagnifierSettings m;
    if (p.MagnOpacity) m.Opacity = p.MagnOpacity->Position();
    if (p.MagnMagnification) m.Magnification = p.MagnMagnification->Position();
    if (p.MagnRotation) m.Rotation = p.MagnRotation->Position();
    if (p.MagnInterpolate) m.Interpolate = p.MagnInterpolate->isChecked();
    return m;
}

void ShowPanel(QWidget* window, bool show) {
    if (window) window->setVisible(show);
}

} // namespace ivra
