#include "measure/MeasureSetup.h"

#include "measure/CalibrationFromFile.h"
#include "measure/MeasureRouter.h"
#include "measure/SheetForm.h"
#include "measure/SpatialCalib.h"
#include "services/Shell.h"
#include "services/ToolWindows.h"

#include <QAction>

namespace ivra {

void SpatialCalibrationClick(TShell& shell) {
    shell.SetMode(toolLine);
    ShowToolWindow(CreateSpatialCalibForm(shell));
}

void SpreadsheetClick(TShell& shell) {
    ShowToolWindow(SheetForm(shell));
}

namespace {

TMeasureCommands RegisterMeasuring(TShell& shell) {
    TfrmSpatialCalib* calibForm = CreateSpatialCalibForm(shell);
    TfrmSheet* sheetForm = CreateSheetForm(shell);
    // The spreadsheet's "Con.Fac." follows the factor while the sheet is open.
    QObject::connect(calibForm, &TfrmSpatialCalib::FactorChanged, sheetForm,
                     &TfrmSheet::ShowConversionFactor, Qt::UniqueConnection);
    RegisterMeasuringTools(shell);
    InstallCalibrationFromFile(shell);
    // On exit the spreadsheet asks to save unsaved values before anything
    // hides; its Cancel keeps the program running.
    shell.AddCloseQuery([&shell] {
        TfrmSheet* sheet = SheetForm(shell);
        return !sheet || !sheet->isVisible() || sheet->close();
    });

    TShell* s = &shell;
    TCommandSpec calib;
    calib.Id = QStringLiteral("SpatialCalibrationItem");
    calib.Caption = QStringLiteral("Spatial Calibration");
    calib.Hint = QStringLiteral("Spatial Calibration|Sets conversion factor between pixel distance and real distance.");
    calib.Icon = QStringLiteral("calibration");
    calib.Menu = MenuIds::Tools;
    calib.MenuOrder = 10;
    calib.Toolbar = QStringLiteral("tbSpecials");
    calib.ToolbarOrder = 10;
    calib.Enabled = [s] { return s->ActiveImageWindow() != nullptr; };
    calib.Run = [s] { SpatialCalibrationClick(*s); };

    TCommandSpec sheet;
    sheet.Id = QStringLiteral("SpreadsheetItem");
    sheet.Caption = QStringLiteral("Spreadsheet");
    sheet.Hint = QStringLiteral("Spreadsheet|Shows spreadsheet with measured data.");
    sheet.Icon = QStringLiteral("spreadsheet");
    sheet.Menu = MenuIds::Tools;
    sheet.MenuOrder = 40;
    sheet.Toolbar = QStringLiteral("tbSpecials");
    sheet.ToolbarOrder = 20;
    sheet.Run = [s] { SpreadsheetClick(*s); };

    TMeasureCommands c;
    c.SpatialCalibration = shell.Commands().Add(calib);
    c.SpatialCalibration->setEnabled(false);
    c.Spreadsheet = shell.Commands().Add(sheet);
    return c;
}

} // namespace

TMeasureCommands InstallMeasuring(TShell& shell) {
    TMeasureCommands c;
    shell.Commands().Batch([&] { c = RegisterMeasuring(shell); });
    return c;
}

} // namespace ivra
