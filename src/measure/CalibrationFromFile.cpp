#include "measure/CalibrationFromFile.h"

#include "core/measure/Calibration.h"
#include "core/measure/StatedCalibration.h"
#include "core/text/NumberText.h"
#include "imagewin/ChildWin.h"
#include "imagewin/ImageDocument.h"
#include "measure/MeasureController.h"
#include "measure/SpatialCalib.h"
#include "services/Commands.h"
#include "services/MenuIds.h"
#include "services/Prompts.h"
#include "services/Shell.h"

#include <QFileInfo>
#include <QPointer>

namespace ivra {

namespace {

// The calibration the active image's file states, if it states one with a
// unit of length.
std::optional<TStatedCalibration> StatedByActiveImage(TShell& shell) {
    const TMDIChild* w = shell.ActiveImageWindow();
    if (!w) return std::nullopt;
    return CalibrationFromResolution(w->Document().FileResolution());
}

} // namespace

void InstallCalibrationFromFile(TShell& shell) {
    TCommandSpec c;
    c.Id = QStringLiteral("mnCalibrationFromFile");
    c.Caption = QStringLiteral("Calibration from File");
    c.Hint = QStringLiteral("Calibration from File|Calibrates with the resolution the image file states");
    c.Menu = MenuIds::Image;
    c.MenuOrder = 81;
    c.Enabled = [&shell] { return StatedByActiveImage(shell).has_value(); };
    c.Run = [&shell] {
        QPointer<TMDIChild> w = shell.ActiveImageWindow();
        const std::optional<TStatedCalibration> stated = StatedByActiveImage(shell);
        if (!w || !stated) return;
        // Many writers store a default resolution (72 dpi, 10 pixels per
        // centimetre) that says nothing about the scene: the user sees what
        // the file states before anything is set.
        const char sep = TMeasureController::LocaleDecimalSeparator();
        // A resolution so coarse or so fine that the measuring tools could not
        // use its factor is refused with the reason, before anything is asked.
        const float factor = CheckCalibrationFactor(stated->Factor);
        const QString perPixel =
            QString::fromStdString(FloatToGeneralText(factor, 15, sep) + " " + stated->Unit + " per pixel");
        const QString text = QStringLiteral("The file states %1.\nSet the calibration to %2?")
                                 .arg(QString::fromStdString(ResolutionText(w->Document().FileResolution())), perPixel);
        if (AppPrompts().Confirm(shell.Window(), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) !=
            QMessageBox::Yes)
            return;
        CreateSpatialCalibForm(shell)->SetCalibration(factor, stated->Unit);
        shell.AddMessage(QStringLiteral("Calibration from %1: %2").arg(QFileInfo(w->ImageName()).fileName(), perPixel));
    };
    shell.Commands().Add(c);
}

} // namespace ivra
