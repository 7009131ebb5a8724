#include "analysis/SelChannels.h"

#include "services/Shell.h"
#include "services/UpDown.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace ivra {

namespace {

// A radio group of items, the first checked.
QGroupBox* RadioGroup(const QString& title, const QStringList& items, QRadioButton** buttons, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(box);
    for (int i = 0; i < items.size(); ++i) {
        buttons[i] = new QRadioButton(items[i], box);
        layout->addWidget(buttons[i]);
    }
    buttons[0]->setChecked(true);
    return box;
}

int Checked(QRadioButton* const* buttons, int n) {
    for (int i = 0; i < n; ++i)
        if (buttons[i]->isChecked()) return i;
    return 0;
}

// OK (default) and Cancel, each 75 by 25.
void OkCancel(QDialog* d, int x, int y, int gap) {
    auto* ok = new QPushButton(QStringLiteral("OK"), d);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setGeometry(x, y, 75, 25);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), d);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setGeometry(x + 75 + gap, y, 75, 25);
    QObject::connect(ok, &QPushButton::clicked, d, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, d, &QDialog::reject);
}

void CentreOnScreen(QWidget* w) {
    if (const QScreen* s = w->screen()) w->move(s->availableGeometry().center() - w->rect().center());
}

} // namespace

TdlgSelChan::TdlgSelChan(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgSelChan"));
    setWindowTitle(QStringLiteral("Select channels"));
    setFixedSize(216, 177);
    QGroupBox* g = RadioGroup(QStringLiteral("Channels"),
                              {QStringLiteral("Red, Green, Blue"), QStringLiteral("Hue, Saturation, Value"),
                               QStringLiteral("Grayscale")},
                              Items, this);
    g->setGeometry(8, 8, 200, 120);
    OkCancel(this, 24, 140, 18);
    CentreOnScreen(this);
}

int TdlgSelChan::ItemIndex() const { return Checked(Items, 3); }
void TdlgSelChan::SetItemIndex(int index) { Items[std::clamp(index, 0, 2)]->setChecked(true); }

TfrmFreqSel::TfrmFreqSel(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmFreqSel"));
    setWindowTitle(QStringLiteral("Channel selection"));
    setFixedSize(186, 286);
    QGroupBox* g = RadioGroup(QStringLiteral("Channel"),
                              {QStringLiteral("Red"), QStringLiteral("Green"), QStringLiteral("Blue"),
                               QStringLiteral("Grayscale"), QStringLiteral("Hue"), QStringLiteral("Saturation"),
                               QStringLiteral("Value")},
                              Items, this);
    g->setGeometry(8, 8, 170, 196);
    auto* label = new QLabel(QStringLiteral("Bin size "), this);
    label->move(16, 218);
    label->adjustSize();
    edBinSize = new QLineEdit(QStringLiteral("20"), this);
    edBinSize->setObjectName(QStringLiteral("edBinSize"));
    const int x = std::max(80, label->x() + label->width() + 4);
    edBinSize->setGeometry(x, 214, 41, 23);
    udBinSize = new TUpDown(edBinSize, 1, 255, 20, this);
    udBinSize->setGeometry(x + 41, 214, 15, 23);
    OkCancel(this, 8, 252, 20);
    CentreOnScreen(this);
}

int TfrmFreqSel::ItemIndex() const { return Checked(Items, 7); }
void TfrmFreqSel::SetItemIndex(int index) { Items[std::clamp(index, 0, 6)]->setChecked(true); }

TAnalysisChannel TfrmFreqSel::Channel() const {
    static const TAnalysisChannel channels[] = {TAnalysisChannel::Red,   TAnalysisChannel::Green,
                                                TAnalysisChannel::Blue,  TAnalysisChannel::Gray,
                                                TAnalysisChannel::Hue,   TAnalysisChannel::Saturation,
                                                TAnalysisChannel::Value};
    return channels[ItemIndex()];
}

int TfrmFreqSel::BinSize() const { return StrToIntDef(edBinSize->text(), 10); }

void TfrmFreqSel::SetSixteenBit(bool on) {
    if (on == sixteenBit_) return;
    sixteenBit_ = on;
    const QString text = edBinSize->text();
    edBinSize->setText(otherBinText_);
    otherBinText_ = text;
    udBinSize->SetRange(1, on ? 65535 : 255);
    udBinSize->SetPosition(StrToIntDef(edBinSize->text(), on ? 4096 : 20));
}

TdlgSelChan* SelChanDialog(TShell& shell) {
    return &shell.ToolWindows().Get<TdlgSelChan>([&shell] { return new TdlgSelChan(shell.Window()); });
}

TfrmFreqSel* FreqSelDialog(TShell& shell) {
    return &shell.ToolWindows().Get<TfrmFreqSel>([&shell] { return new TfrmFreqSel(shell.Window()); });
}

} // namespace ivra
