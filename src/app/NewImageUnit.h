#pragma once
// The "New Image" dialog: width, height and colour of a blank image. It is
// made once at start-up and keeps its values from one use to the next.

#include "core/raster/Color32.h"

#include <QDialog>

class QPushButton;
class QSpinBox;

namespace ivra {

class TColorPanel;

class TNewImageForm : public QDialog {
    Q_OBJECT
public:
    explicit TNewImageForm(QWidget* parent = nullptr);

    QSpinBox* ImageWidth() const { return ImageWidth_; }
    QSpinBox* ImageHeight() const { return ImageHeight_; }
    TColorPanel* ColorPanel() const { return pnlColor_; }
    QPushButton* SelectButton() const { return btnSelect_; }

    // The panel's colour as an opaque 32-bit ARGB pixel.
    TColor32 SelectedColor32() const;

    // "Select": the colour dialog (custom part open) starting at the panel's
    // colour; on OK the panel takes the chosen colour.
    void btnSelectClick();

private:
    QSpinBox* ImageWidth_ = nullptr;
    QSpinBox* ImageHeight_ = nullptr;
    TColorPanel* pnlColor_ = nullptr;
    QPushButton* btnSelect_ = nullptr;
};

} // namespace ivra
