#pragma once
// The main window's two floating panels, " Bitmap Layer" and " Magnifier",
// as the image windows see them. The main window builds the panels and hands
// their controls over once (ConnectLayerPanels), which keeps them among the
// shell's run objects; their changes then reach the active image window's
// panel methods, and the image windows show, hide and fill them when the
// selection changes.

#include <QPointer>

class QCheckBox;
class QPushButton;
class QWidget;

namespace ivra {

class TGaugeBar;
class TShell;

struct TLayerPanels {
    QPointer<QWidget> LayerWindow;
    QPointer<TGaugeBar> LayerOpacity;
    QPointer<QCheckBox> LayerInterpolate;
    QPointer<QCheckBox> Cropped;
    QPointer<QPushButton> Button1;  // "Delete"
    QPointer<QWidget> MagnifierWindow;
    QPointer<TGaugeBar> MagnOpacity;
    QPointer<TGaugeBar> MagnMagnification;
    QPointer<TGaugeBar> MagnRotation;
    QPointer<QCheckBox> MagnInterpolate;
};

// Remembers the panels in the shell's run objects and forwards their
// changes to the shell's active image window.
void ConnectLayerPanels(TShell& shell, const TLayerPanels& panels);
// The panels handed over to the shell (every pointer none before, or after
// they went).
const TLayerPanels& LayerPanels(TShell& shell);

// What the shell's magnifier panel says now (the panel's initial values
// when there is no panel).
struct TMagnifierSettings {
    int Opacity = 255;
    int Magnification = 10;
    int Rotation = 0;
    bool Interpolate = false;
};
TMagnifierSettings MagnifierSettings(TShell& shell);

// Shows or hides a panel window (nothing when it is gone).
void ShowPanel(QWidget* window, bool show);

} // namespace ivra
