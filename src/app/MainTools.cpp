// The main window's tool modes, drawing settings, zoom combo and idle handler.

#include "app/MainForm.h"

#include "services/ColorPanel.h"
#include "services/CommandGuard.h"
#include "services/Prompts.h"
#include "services/UpDown.h"
#include "imagewin/ChildWin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QToolBar>
#include <QToolButton>

#include <cmath>

namespace ivra {

// ---- Tool modes ---------------------------------------------------------------------

QToolButton* TMainForm::ToolButton(std::uint32_t n) const {
    for (const auto& [number, button] : toolButtons_)
        if (number == n) return button;
    return nullptr;
}

void TMainForm::SetMode(std::uint32_t n) {
    for (const auto& entry : toolButtons_) entry.second->setChecked(false);
    if (n == drawing_.CurrentTool) return;
    if (TToolHandler* old = tools_.Handler(drawing_.CurrentTool)) old->Cancel();
    drawing_.ToolState = 0;
    drawing_.CurrentTool = n;
}

void TMainForm::ToolButtonClick(std::uint32_t n) {
    SetMode(n);
    if (QToolButton* b = ToolButton(n)) b->setChecked(true);
}

void TMainForm::btnClearDrawingClick() {
    if (TMDIChild* w = ActiveImageWindow()) w->ClearAnimLayer();
}

// ---- Pen panel ------------------------------------------------------------------------

void TMainForm::SetForeColor(const QColor& c) {
    pnlForeColor->SetColor(c);
    drawing_.ForeColor = FromQColor(c);
}

void TMainForm::SetBackColor(const QColor& c) {
    pnlBackColor->SetColor(c);
    drawing_.BackColor = FromQColor(c);
}

void TMainForm::pnlForeColorDblClick() {
    if (auto c = AppPrompts().GetColor(this, pnlForeColor->Color())) SetForeColor(*c);
}

void TMainForm::pnlBackColorDblClick() {
    if (auto c = AppPrompts().GetColor(this, pnlBackColor->Color())) SetBackColor(*c);
}

void TMainForm::imgChangeDblClick() {
    const QColor fore = pnlForeColor->Color();
    SetForeColor(pnlBackColor->Color());
    SetBackColor(fore);
}

void TMainForm::UpDownClick() { drawing_.PenWidth = StrToIntDef(edWidth->text(), 1); }

void TMainForm::edWidthExit() {
    drawing_.PenWidth = StrToIntDef(edWidth->text(), 1);
    edWidth->setText(QString::number(drawing_.PenWidth));
}

void TMainForm::ImageInterpolateClick() {
    TMDIChild* w = ActiveImageWindow();
    if (!w) return;
    w->ImgView->Bitmap().SetStretchFilter(ImageInterpolate->isChecked() ? TStretchFilter::sfLinear
                                                                         : TStretchFilter::sfNearest);
    w->ImgView->Invalidate();
}

// ---- Zoom combo -----------------------------------------------------------------------

QString TMainForm::ZoomText(float scale) {
    return QString::number(std::lrint(double(scale) * 100.0)) + QLatin1Char('%');
}

std::optional<int> TMainForm::ParseZoomText(const QString& text) {
    QString t = text;
    t.remove(QLatin1Char('%'));
    t.remove(QLatin1Char(' '));
    if (t.isEmpty()) return std::nullopt;
    return StrToIntDef(t, -1);
}

void TMainForm::ShowZoom(float scale) { ScaleCombo->setEditText(ZoomText(scale)); }

void TMainForm::ScaleComboChange(const QString& text) {
    const std::optional<int> parsed = ParseZoomText(text);
    if (!parsed) return;
    TMDIChild* w = ActiveImageWindow();
    int n = *parsed;
    if (n >= 1 && n <= 2000) {
        if (w) w->ImgView->SetScale(float(n / 100.0));
    } else {
        n = w ? int(std::lrint(double(w->Scale()) * 100.0)) : 100;
    }
    const QString shown = QString::number(n) + QLatin1Char('%');
    ScaleCombo->setEditText(shown);
    ScaleCombo->lineEdit()->setCursorPosition(int(shown.size()) - 1);
    if (w) w->ImgView->RecomputeLayout();
}

// ---- Idle handler ---------------------------------------------------------------------

void TMainForm::AddIdleHandler(std::function<void()> handler) { idleHandlers_.push_back(std::move(handler)); }

void TMainForm::AppOnIdle() {
    if (inIdle_) return;
    inIdle_ = true;
    struct TLeave {
        bool& flag;
        ~TLeave() { flag = false; }
    } leave{inIdle_};

    const bool active = ActiveImageWindow() != nullptr;
    tbTools->setEnabled(active);
    tbZoom->setEnabled(active);
    commands_->UpdateEnabled();
    for (const auto& handler : idleHandlers_) handler();
}

} // namespace ivra
