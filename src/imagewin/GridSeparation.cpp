#include "imagewin/GridSeparation.h"

#include "core/Error.h"
#include "core/text/NumberText.h"
#include "imagewin/ChildWin.h"
#include "services/CommandGuard.h"
#include "services/Prompts.h"
#include "services/Shell.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QVBoxLayout>

namespace ivra {

TdlgGridSeparation::TdlgGridSeparation(TShell& shell, QWidget* parent) : QDialog(parent), shell_(shell) {
    setObjectName(QStringLiteral("dlgGridSeparation"));
    setWindowTitle(QStringLiteral("Grid size"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    auto* frame = new QGroupBox(this);
    auto* grid = new QGridLayout(frame);
    lePixels = new QLineEdit(QStringLiteral("50"), frame);
    lePixels->setObjectName(QStringLiteral("lePixels"));
    leUnits = new QLineEdit(QStringLiteral("50"), frame);
    leUnits->setObjectName(QStringLiteral("leUnits"));
    leUnits->setReadOnly(true);
    grid->addWidget(lePixels, 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("pixels"), frame), 0, 1);
    grid->addWidget(leUnits, 1, 0);
    lbUnits = new QLabel(QStringLiteral("units"), frame);
    lbUnits->setObjectName(QStringLiteral("lbUnits"));
    grid->addWidget(lbUnits, 1, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(frame);
    lay->addWidget(buttons);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    ConnectGuarded(lePixels, &QLineEdit::textEdited, this, [this](const QString&) { lePixelsChange(); });
}

void TdlgGridSeparation::FormShow() {
    if (Target) GridSeparation = Target->GetGridLayer()->GridSize();
    lePixels->setText(QString::number(GridSeparation));
    const std::string& unit = shell_.Drawing().CalibrationUnit;
    lbUnits->setText(unit.empty() ? QStringLiteral("units") : QString::fromStdString(unit));
    lePixelsChange();
}

void TdlgGridSeparation::lePixelsChange() {
    const QString text = lePixels->text();
    if (text.isEmpty()) return;
    bool ok = false;
    const std::int32_t v = text.trimmed().toInt(&ok);
    if (!ok) throw Error(QStringLiteral("'%1' is not a valid integer value").arg(text).toStdString());
    GridSeparation = v;
    const QString sep = QLocale::system().decimalPoint();
    const char c = sep.size() == 1 && sep[0].unicode() < 128 ? char(sep[0].unicode()) : '.';
    leUnits->setText(QString::fromStdString(
        FloatToText(double(GridSeparation) * double(shell_.Drawing().CalibrationFactor), 2, c)));
}

TdlgGridSeparation& GridSeparationDialog(TShell& shell) {
    return shell.ToolWindows().Get<TdlgGridSeparation>(
        [&shell] { return new TdlgGridSeparation(shell, shell.Window()); });
}

void GridButtonPress(TShell& shell, bool rightButton) {
    TdlgGridSeparation& dlg = GridSeparationDialog(shell);
    dlg.Target = shell.ActiveImageWindow();
    if (!rightButton) return;
    dlg.FormShow();
    if (AppPrompts().ExecDialog(dlg) != QDialog::Accepted || !dlg.Target) return;
    dlg.Target->GetGridLayer()->SetGridSize(dlg.GridSeparation);
    dlg.Target->GridSpacing = std::uint32_t(dlg.GridSeparation);
}

} // namespace ivra
