#pragma once
// "Scale Bar..." in the Image menu: the dialog TdlgScaleBar and the command
// that puts the bar it makes on the active image as a picture layer of its
// own (selectable, movable, deletable; Flatten burns it in).

#include "core/measure/ScaleBar.h"
#include "core/raster/Bitmap32.h"
#include "services/DrawingState.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace ivra {

class TShell;

class TdlgScaleBar : public QDialog {
    Q_OBJECT
public:
    explicit TdlgScaleBar(QWidget* parent = nullptr);

    QLabel* lbNotCalibrated = nullptr;
    QLineEdit* edLength = nullptr;
    QLabel* lbLengthUnit = nullptr;
    QComboBox* cbCorner = nullptr;
    QSpinBox* sbHeight = nullptr;
    QPushButton* btnColor = nullptr;
    QSpinBox* sbLabelSize = nullptr;
    QCheckBox* cbShowLabel = nullptr;
    QCheckBox* cbBox = nullptr;

    // Fills the dialog for an image of this size and the program's
    // calibration: the proposed length, sizes that suit the image, the
    // colour ForeColor and the box colour BackColor. Corner and the switches
    // keep what the user chose last. Without a unit and with a factor of 1
    // the image is not calibrated: the dialog says so and the bar is in
    // pixels.
    void Prepare(int imageWidth, int imageHeight, const TDrawingState& drawing);

    // OK: makes the bar (Bar(), Location()); a length or height the image
    // cannot take is refused with its reason and the dialog stays open.
    void accept() override;

    // The bar made by OK: a transparent picture with bar, label and box, and
    // where it goes on the image (image pixels).
    TBitmap32& Bar() { return bar_; }
    const TRect& Location() const { return location_; }
    // The label the bar carries ("100 µm").
    const QString& LabelText() const { return labelText_; }

private:
    void ShowColor();
    void MakeBar();

    int width_ = 0, height_ = 0;
    float factor_ = 1.0f;
    std::string unit_;
    TColor color_ = 0x00FFFFFF;
    TColor boxColor_ = 0;
    TBitmap32 bar_;
    TRect location_;
    QString labelText_;
};

// The single instance, made on first use.
TdlgScaleBar& ScaleBarDialog(TShell& shell);

// Registers "Scale Bar..." in the Image menu.
void InstallScaleBar(TShell& shell);

} // namespace ivra
