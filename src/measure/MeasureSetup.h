#pragma once
// Puts the measuring subsystem into the program: the spatial calibration and
// spreadsheet windows (made hidden when absent), the measuring tools in the
// shell's tool registry, and the "Spatial Calibration" and "Spreadsheet"
// commands in the Tools menu and on the "Specials" toolbar.

class QAction;

namespace ivra {

class TShell;

struct TMeasureCommands {
    QAction* SpatialCalibration = nullptr;
    QAction* Spreadsheet = nullptr;
};

TMeasureCommands InstallMeasuring(TShell& shell);

// The two commands: the line tool and the calibration window; the
// spreadsheet window.
void SpatialCalibrationClick(TShell& shell);
void SpreadsheetClick(TShell& shell);

} // namespace ivra
