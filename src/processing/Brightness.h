#pragma once
// TfrmBrightness ("Adjust Brightness"): adds one signed amount to the red,
// green and blue components of every pixel of the active image. One
// instance lives for the whole run and keeps its value between uses.

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace ivra {

class TShell;
class TUpDown;

class TfrmBrightness : public QDialog {
    Q_OBJECT
public:
    TfrmBrightness(TShell& shell, QWidget* parent = nullptr);

    QLineEdit* leBrightness = nullptr;
    TUpDown* UpDown = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    // OK: the typed change applied to the active image window's image (with
    // an undo snapshot), then the dialog closes. A text that is no integer
    // is refused with "'%s' is not a valid integer value"; the dialog then
    // stays open and nothing changes, the undo snapshot included. Values
    // beyond -255..255 are accepted (the levels saturate).
    void Button1Click();

private:
    TShell& shell_;
};

} // namespace ivra
