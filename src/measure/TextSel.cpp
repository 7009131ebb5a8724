#include "measure/TextSel.h"

#include "engine/Drawing.h"
#include "imagewin/ChildWin.h"
#include "services/CommandGuard.h"
#include "services/Prompts.h"
#include "services/Shell.h"
#include "services/Tools.h"

#include <QDialogButtonBox>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <optional>

namespace ivra {

TfrmTextSel::TfrmTextSel(TShell& shell, QWidget* parent) : QDialog(parent), shell_(shell) {
    setObjectName(QStringLiteral("frmTextSel"));
    setWindowTitle(QStringLiteral("Enter text:"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    btnFont = buttons->addButton(QStringLiteral("Font"), QDialogButtonBox::ActionRole);
    btnFont->setObjectName(QStringLiteral("btnFont"));
    btnFont->setAutoDefault(false);
    btnColor = buttons->addButton(QStringLiteral("Color"), QDialogButtonBox::ActionRole);
    btnColor->setObjectName(QStringLiteral("btnColor"));
    btnColor->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ConnectGuarded(btnFont, &QPushButton::clicked, this, [this](bool) { FontClick(); });
    ConnectGuarded(btnColor, &QPushButton::clicked, this, [this](bool) { ColorClick(); });
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(Memo1);
    lay->addWidget(buttons);
    setFixedSize(360, 240);
}

QStringList TfrmTextSel::Lines() const {
    QStringList lines = Memo1->toPlainText().split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

void TfrmTextSel::FontClick() {
    if (auto f = AppPrompts().GetFont(this, font_)) font_ = *f;
}

void TfrmTextSel::ColorClick() {
    const TColor32 c = TextColor();
    if (auto chosen = AppPrompts().GetColor(this, QColor::fromRgb(c | 0xFF000000u))) {
        SetTextColor(chosen->rgb());
        ShowColor();
    }
}

void TfrmTextSel::ShowColor() {
    // A swatch of the colour in front of the caption.
    const int side = fontMetrics().height() - 2;
    QPixmap swatch(side, side);
    swatch.fill(QColor::fromRgb(TextColor()));
    QPainter p(&swatch);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawRect(0, 0, side - 1, side - 1);
    p.end();
    btnColor->setIcon(QIcon(swatch));
    btnColor->setIconSize(swatch.size());
}

void TfrmTextSel::showEvent(QShowEvent* e) {
    ShowColor();
    QDialog::showEvent(e);
}

TfrmTextSel& TextSelForm(TShell& shell) {
    return shell.ToolWindows().Get<TfrmTextSel>([&shell] { return new TfrmTextSel(shell, shell.Window()); });
}

TColor32 TfrmTextSel::TextColor() const {
    if (color_) return *color_;
    return Color32FromPlatform(shell_.Drawing().ForeColor);
}

void TfrmTextSel::SetTextColor(std::optional<TColor32> color) {
    if (color) *color |= 0xFF000000u;
    color_ = color;
}

int RenderTextLines(TBitmap32& bmp, int x, int y, const QStringList& lines, int aaLevel, TColor32 color,
                    const QFont& font) {
    const int h = TextHeight(font, QStringLiteral("Fj"));
    int widest = 0;
    for (int i = 0; i < lines.size(); ++i) {
        RenderText(bmp, x, RoundHalfEven((long double)y + (long double)i * h), lines[i], aaLevel, color, font);
        widest = std::max(widest, TextWidth(font, lines[i]));
    }
    return widest;
}

namespace {

class TTextTool : public TToolHandler {
public:
    explicit TTextTool(TShell& shell) : shell_(shell) {}

    void Press(const TToolEvent& e) override {
        std::int32_t& state = shell_.Drawing().ToolState;
        if (e.Button == TMouseButton::mbRight) {
            state = 0;
            FrameTakesMouse(e.Window, true);
            return;
        }
        if (e.Button != TMouseButton::mbLeft) return;
        if (state == 0) Start(e.Window, e.BitmapPos);
        else Stamp(e.Window, e.BitmapPos);
    }

    void Move(const TToolEvent& e) override {
        if (shell_.Drawing().ToolState != 1) return;
        TImageDocument& d = e.Window.Document();
        TBitmapLayer* layer = d.TextLayer();
        if (!layer) return;
        const TFloatRect o = layer->Location();
        const TFloatRect n{float(e.BitmapPos.X), float(e.BitmapPos.Y), float(e.BitmapPos.X) + (o.Right - o.Left),
                           float(e.BitmapPos.Y) + (o.Bottom - o.Top)};
        if (d.RBLayer() && d.RBLayer()->ChildLayer() == layer) d.RBLayer()->SetLocation(n);
        else layer->SetLocation(n);
    }

    void Cancel() override {
        if (TMDIChild* w = shell_.ActiveImageWindow()) FrameTakesMouse(*w, true);
    }

private:
    static void FrameTakesMouse(TMDIChild& w, bool on) {
        TImageDocument& d = w.Document();
        if (d.RBLayer() && d.RBLayer()->Visible()) d.RBLayer()->SetMouseEvents(on);
    }

    void Start(TMDIChild& w, TPoint p) {
        TfrmTextSel& dlg = TextSelForm(shell_);
        if (AppPrompts().ExecDialog(dlg) != QDialog::Accepted) return;
        shell_.Drawing().ToolState = 1;
        auto* layer = w.Document().Layers().Add<TBitmapLayer>();
        layer->SetLocation({float(p.X), float(p.Y), float(p.X) + 20, float(p.Y) + 20});
        layer->SetScaled(true);
        layer->SetMouseEvents(true);
        layer->Tag = TextLayerTag;
        TMDIChild* window = &w;
        layer->OnMouseDown = [window](TCustomLayer* l, TMouseButton b, TShiftState s, int x, int y) {
            window->LayerMouseDown(l, b, s, x, y);
        };
        TShell* shell = &shell_;
        layer->OnPaint = [shell, window](TCustomLayer* l, TBitmap32& buffer) {
            PaintProvisional(*shell, *window, l, buffer);
        };
        w.SelectLayer(layer);
        w.Document().SetTextLayer(layer);
        FrameTakesMouse(w, false);
    }

    void Stamp(TMDIChild& w, TPoint p) {
        shell_.Drawing().ToolState = 0;
        w.SelectLayer(nullptr);
        TBitmap32& anim = w.ImgView->GetAnimLayer()->Bitmap();
        const TfrmTextSel& form = TextSelForm(shell_);
        RenderTextLines(anim, p.X, p.Y, form.Lines(), 1, form.TextColor(), form.TextFont());
        if (TBitmapLayer* layer = w.Document().TextLayer()) w.Document().DeleteLayer(layer);
        FrameTakesMouse(w, true);
    }

    // The provisional layer's painter: the memo's lines at the layer's
    // top-left corner on the screen, unsmoothed; the layer (and its frame)
    // then takes the widest line's width.
    static void PaintProvisional(TShell& shell, TMDIChild& w, TCustomLayer* l, TBitmap32& buffer) {
        auto* layer = dynamic_cast<TBitmapLayer*>(l);
        if (!layer) return;
        const TFloatRect r = layer->GetAdjustedLocation();
        const TfrmTextSel& form = TextSelForm(shell);
        const int widest = RenderTextLines(buffer, RoundHalfEven(r.Left), RoundHalfEven(r.Top), form.Lines(), 0,
                                           form.TextColor(), form.TextFont());
        TFloatRect n = layer->Location();
        n.Right = n.Left + float(widest);
        if (n == layer->Location()) return;
        TImageDocument& d = w.Document();
        if (d.RBLayer() && d.RBLayer()->ChildLayer() == layer) d.RBLayer()->SetLocation(n);
        else layer->SetLocation(n);
    }

    TShell& shell_;
};

} // namespace

std::shared_ptr<TToolHandler> MakeTextTool(TShell& shell) { return std::make_shared<TTextTool>(shell); }

} // namespace ivra
