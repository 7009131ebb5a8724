// The main window's tool modes and Tools bar, drawing settings and pen
// panel, zoom combo and idle handler.

#include "app/MainForm.h"

#include "services/ColorPanel.h"
#include "services/CommandGuard.h"
#include "services/Hints.h"
#include "services/Icons.h"
#include "services/Prompts.h"
#include "services/UpDown.h"
#include "imagewin/ChildWin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
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

// ---- Tool buttons and pen panel -------------------------------------------------------

QWidget* TMainForm::CreatePenPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("pnlPen"));

    // The background panel lies partly under the foreground panel.
    pnlBackColor = new TColorPanel(Qt::black, panel);
    pnlBackColor->setObjectName(QStringLiteral("pnlBackColor"));
    pnlBackColor->setGeometry(24, 18, 25, 20);
    SetHint(pnlBackColor, QStringLiteral("Background color|Double-click to change."));
    pnlForeColor = new TColorPanel(Qt::white, panel);
    pnlForeColor->setObjectName(QStringLiteral("pnlForeColor"));
    pnlForeColor->setGeometry(8, 4, 25, 20);
    SetHint(pnlForeColor, QStringLiteral("Foreground color|Double-click to change."));

    imgChange = new QLabel(panel);
    imgChange->setObjectName(QStringLiteral("imgChange"));
    imgChange->setGeometry(8, 26, 17, 17);
    imgChange->setPixmap(AppIcon(QStringLiteral("swapcolors")).pixmap(16, 16));
    imgChange->installEventFilter(this);
    SetHint(imgChange, QStringLiteral("Change fore- and background color|Double-click to change fore- and "
                                      "background color."));

    edWidth = new QLineEdit(QStringLiteral("3"), panel);
    edWidth->setObjectName(QStringLiteral("edWidth"));
    edWidth->setGeometry(56, 3, 30, 21);
    edWidth->installEventFilter(this);
    SetHint(edWidth, QStringLiteral("Pen Width|Width of drawing pen."));
    UpDown1 = new TUpDown(edWidth, 0, 50, 3, panel);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setGeometry(86, 3, 15, 21);
    SetHint(UpDown1, QStringLiteral("Pen Width|Width of drawing pen."));

    cbDraw = new QCheckBox(QStringLiteral("Draw"), panel);
    cbDraw->setObjectName(QStringLiteral("cbDraw"));
    cbDraw->move(54, 25);
    cbDraw->resize(cbDraw->sizeHint());
    SetHint(cbDraw, QStringLiteral("Draw switch|\"Draw-ON\": measurement lines remain on draw layer; "
                                   "\"Draw-off\": measure lines disappear after measurement."));

    panel->setFixedSize(std::max(105, cbDraw->x() + cbDraw->width() + 2),
                        std::max(44, cbDraw->y() + cbDraw->height() + 1));

    ConnectGuarded(pnlForeColor, &TColorPanel::DoubleClicked, this, [this] { pnlForeColorDblClick(); });
    ConnectGuarded(pnlBackColor, &TColorPanel::DoubleClicked, this, [this] { pnlBackColorDblClick(); });
    ConnectGuarded(UpDown1, &TUpDown::Clicked, this, [this](bool) { UpDownClick(); });
    return panel;
}

QWidget* TMainForm::CreateToolButtons() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("pnlTools"));
    toolGrid_ = new QGridLayout(panel);
    toolGrid_->setContentsMargins(0, 0, 0, 0);
    toolGrid_->setSpacing(1);
    return panel;
}

void TMainForm::AddToolButtons() {
    // Buttons made before stay; each new tool gets its button at its place.
    for (const TToolSpec& tool : tools_.Tools()) {
        if (ToolButton(tool.Number)) continue;
        auto* b = new QToolButton(toolGrid_->parentWidget());
        b->setObjectName(QStringLiteral("btnTool%1").arg(tool.Number));
        b->setIcon(AppIcon(tool.Icon));
        b->setIconSize(QSize(20, 20));
        b->setAutoRaise(true);
        b->setCheckable(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setProperty("ToolNumber", tool.Number);
        SetHint(b, tool.Hint);
        const std::uint32_t n = tool.Number;
        ConnectGuarded(b, &QToolButton::clicked, this, [this, n](bool) { ToolButtonClick(n); });
        toolGrid_->addWidget(b, tool.Place / 6, tool.Place % 6);
        // Made after the bar may have shown: shown with it.
        b->show();
        toolButtons_.emplace_back(n, b);
    }
    // The bar lays the grown panel out at once.
    toolGrid_->parentWidget()->adjustSize();
    toolGrid_->activate();
}


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
    w->Document().SetStretchFilter(ImageInterpolate->isChecked() ? TStretchFilter::sfLinear
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
