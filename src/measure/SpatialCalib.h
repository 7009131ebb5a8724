#pragma once
// TfrmSpatialCalib: the spatial calibration window. The user measures a line
// of known length with the line tool (its length in image pixels appears in
// the pixel label), types the real length, and the window sets the
// program's CalibrationFactor; the unit box names the real unit. Factor and
// unit can be saved to and loaded from a calibration file. The window stays on top and does not block the others.

#include "services/DrawingState.h"

#include <QDialog>

#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace ivra {

class TShell;

class TfrmSpatialCalib : public QDialog {
    Q_OBJECT
public:
    // The factor it sets is the drawing state's.
    TfrmSpatialCalib(QWidget* parent, TDrawingState& drawing);
    ~TfrmSpatialCalib() override;

    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* labPixLength = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* edLineLength = nullptr;
    QLabel* Label1 = nullptr;
    // The unit's name: nm, µm, mm, cm, m, in or any other of at most 16
    // characters; empty (as at start) for none.
    QComboBox* cbUnit = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* LbConvFact = nullptr;
    QLabel* Label5 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QLabel* Label6 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    // True while the window is shown: finished line measurements then report
    // their pixel length to it.
    bool CalibrationMode() const { return calibrating_; }
    // The line tool's report: the measured length as the label shows it.
    void SetPixelLength(const std::string& text);
    // A change of the length text: a new factor when a line was measured.
    void edLineLengthChange();
    // A change of the unit's text: the program's unit (an unusable name is
    // refused with its reason and the unit stays).
    void cbUnitChange();
    // Sets the program's factor and unit (a loaded file, the resolution an
    // image file states) and shows them.
    void SetCalibration(float factor, const std::string& unit);
    // Save and Load buttons.
    void SpeedButton1Click();
    void SpeedButton2Click();

signals:
    // The window set a new CalibrationFactor or unit.
    void FactorChanged();

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    TDrawingState& drawing_;
    bool placed_ = false;
    bool calibrating_ = false;
};

// The program's calibration window (none before it is made).
TfrmSpatialCalib* SpatialCalibForm(TShell& shell);
// The window, made (hidden, owned by the main window) when there is none.
TfrmSpatialCalib* CreateSpatialCalibForm(TShell& shell);

} // namespace ivra
