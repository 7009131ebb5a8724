#include "measure/MeasureSetup.h"

#include "app/CommandGuard.h"
#include "app/DrawingState.h"
#include "app/Hints.h"
#include "app/Icons.h"
#include "app/MainForm.h"
#include "imagewin/ChildWin.h"
#include "measure/MeasureRouter.h"
#include "measure/SheetForm.h"
#include "measure/SpatialCalib.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>

namespace ivra {

namespace {

QAction* FindAction(const QList<QAction*>& actions, const QString& text) {
    for (QAction* a : actions)
        if (a->text() == text) return a;
    return nullptr;
}

} // namespace

void SpatialCalibrationClick(TMainForm& main) {
    main.SetMode(toolLine);
    TfrmSpatialCalib* calib = SpatialCalibForm();
    if (!calib) calib = CreateSpatialCalibForm(&main);
    calib->show();
    calib->raise();
    calib->activateWindow();
}

void SpreadsheetClick() {
    TfrmSheet* sheet = SheetForm();
    if (!sheet) return;
    sheet->show();
    sheet->raise();
    sheet->activateWindow();
}

TMeasureCommands InstallMeasuring(TMainForm& main) {
    if (!SpatialCalibForm()) CreateSpatialCalibForm(&main);
    if (!SheetForm()) CreateSheetForm(&main);
    main.SetToolRouter(std::make_unique<TMeasureRouter>());

    TMeasureCommands c;
    c.SpatialCalibration = new QAction(AppIcon(QStringLiteral("calibration")), QStringLiteral("Spatial Calibration"), &main);
    c.SpatialCalibration->setObjectName(QStringLiteral("SpatialCalibrationItem"));
    SetHint(c.SpatialCalibration,
            QStringLiteral("Spatial Calibration|Sets conversion factor between pixel distance and real distance."));
    c.SpatialCalibration->setEnabled(false);
    ConnectGuarded(c.SpatialCalibration, &QAction::triggered, &main, [&main](bool) { SpatialCalibrationClick(main); });

    c.Spreadsheet = new QAction(AppIcon(QStringLiteral("spreadsheet")), QStringLiteral("Spreadsheet"), &main);
    c.Spreadsheet->setObjectName(QStringLiteral("SpreadsheetItem"));
    SetHint(c.Spreadsheet, QStringLiteral("Spreadsheet|Shows spreadsheet with measured data."));
    ConnectGuarded(c.Spreadsheet, &QAction::triggered, &main, [](bool) { SpreadsheetClick(); });

    // Tools menu: "Spatial Calibration" first, "Spreadsheet" after "&Pixel
    // profile" (before "&Editor").
    if (main.mnTools) {
        const QList<QAction*> items = main.mnTools->actions();
        main.mnTools->insertAction(items.isEmpty() ? nullptr : items.first(), c.SpatialCalibration);
        QAction* before = FindAction(items, QStringLiteral("&Editor"));
        if (QAction* profile = FindAction(items, QStringLiteral("&Pixel profile"))) {
            const qsizetype i = items.indexOf(profile);
            before = i + 1 < items.size() ? items[i + 1] : nullptr;
        }
        main.mnTools->insertAction(before, c.Spreadsheet);
    }
    // Specials bar: the calibration button first, the spreadsheet second.
    if (main.tbSpecials) {
        const QList<QAction*> buttons = main.tbSpecials->actions();
        QAction* first = buttons.isEmpty() ? nullptr : buttons.first();
        main.tbSpecials->insertAction(first, c.SpatialCalibration);
        main.tbSpecials->insertAction(first, c.Spreadsheet);
    }
    main.RefreshMenusAndBars();

    QAction* calib = c.SpatialCalibration;
    main.AddIdleHandler([calib](TMDIChild* active) { calib->setEnabled(active != nullptr); });
    return c;
}

} // namespace ivra
