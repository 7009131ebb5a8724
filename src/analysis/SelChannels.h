#pragma once
// The two channel dialogs of the statistics window: TdlgSelChan (which rows
// the channel statistics add) and TfrmFreqSel (the channel and bin size of
// a frequency table). One instance of each lives for the whole run, so
// their choices persist.

#include "core/analysis/ImageAnalysis.h"

#include <QDialog>

class QLineEdit;
class QRadioButton;

namespace ivra {

class TShell;
class TUpDown;

class TdlgSelChan : public QDialog {
    Q_OBJECT
public:
    explicit TdlgSelChan(QWidget* parent);
    // 0 "Red, Green, Blue", 1 "Hue, Saturation, Value", 2 "Grayscale".
    int ItemIndex() const;
    void SetItemIndex(int index);
    QRadioButton* Items[3] = {};
};

class TfrmFreqSel : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFreqSel(QWidget* parent);
    // The radio group's item: 0 "Red" to 6 "Value".
    int ItemIndex() const;
    void SetItemIndex(int index);
    // The channel of the chosen item.
    TAnalysisChannel Channel() const;
    // The "Bin size " text as an integer, 10 when it is not a number.
    int BinSize() const;
    // Bins of 16-bit levels (range 1 to 65535, 4096 at first) or of 8-bit
    // ones (1 to 255, 20 at first); each kind keeps the last size chosen.
    void SetSixteenBit(bool on);
    bool SixteenBit() const { return sixteenBit_; }
    QRadioButton* Items[7] = {};
    QLineEdit* edBinSize = nullptr;
    TUpDown* udBinSize = nullptr;

private:
    bool sixteenBit_ = false;
    QString otherBinText_ = QStringLiteral("4096");  // the bin size of the other kind
};

TdlgSelChan* SelChanDialog(TShell& shell);
TfrmFreqSel* FreqSelDialog(TShell& shell);

} // namespace ivra
