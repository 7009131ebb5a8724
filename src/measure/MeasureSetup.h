#pragma once
// Puts the measuring subsystem into the main window: the spatial calibration
// and spreadsheet windows (made hidden when absent), the mouse routing to the
// measuring tools, the "Spatial Calibration" and "Spreadsheet" commands in the
// Tools menu and on the "Specials" toolbar, and their enabling at idle time.

class QAction;

namespace ivra {

class TMainForm;

struct TMeasureCommands {
    QAction* SpatialCalibration = nullptr;
    QAction* Spreadsheet = nullptr;
};

TMeasureCommands InstallMeasuring(TMainForm& main);

// The two commands: the line tool and the calibration window; the
// spreadsheet window.
void SpatialCalibrationClick(TMainForm& main);
void SpreadsheetClick();

} // namespace ivra
