#pragma once
// TdlgGridSeparation: "Grid size". The spacing of an image window's grid in
// pixels and, read-only, in calibrated units. One instance for the whole
// run; the value typed last (GridSeparation) is kept for all windows.

#include <QDialog>
#include <QPointer>

#include <cstdint>

class QLabel;
class QLineEdit;

namespace ivra {

class TMDIChild;
class TShell;

class TdlgGridSeparation : public QDialog {
    Q_OBJECT
public:
    explicit TdlgGridSeparation(TShell& shell, QWidget* parent = nullptr);

    QLineEdit* lePixels = nullptr;
    QLineEdit* leUnits = nullptr;
    // "units", or the calibration's unit when one is named.
    QLabel* lbUnits = nullptr;
    // The window whose grid the dialog edits (set before it is shown).
    QPointer<TMDIChild> Target;
    // The spacing edited, kept from one use to the next.
    std::int32_t GridSeparation = 50;

    // Takes the target's grid spacing (making its grid, visible, when it has
    // none) and shows it, with the calibration's unit.
    void FormShow();
    // Every edit of the pixels: a non-empty text must be an integer ("'x' is
    // not a valid integer value" otherwise, nothing changes); the units show
    // it times the calibration factor with two decimals.
    void lePixelsChange();

private:
    TShell& shell_;
};

// The single instance, made on first use.
TdlgGridSeparation& GridSeparationDialog(TShell& shell);

// A press on the Grid button: the active window becomes the dialog's
// target; a right press shows the dialog and, on OK, gives the target's
// grid the new spacing.
void GridButtonPress(TShell& shell, bool rightButton);

} // namespace ivra
