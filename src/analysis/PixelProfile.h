#pragma once
// TfrmPixel: the pixel profile window. It keeps its own 24-bit working copy
// of an image window's pixels (or of its selected picture layer), shows it
// at full scale, lets the user drag a profile line across it and presents
// the samples along the line as a table (Data tab), as a chart of seven
// colour quantities against the distance (Graphs tab) and as a strip of
// the sampled colours (the pixel slice). The samples come from the core's
// ComputeProfile; the window only shows them.

#include "analysis/GridModel.h"
#include "core/analysis/PixelProfile.h"
#include "core/raster/Bitmap32.h"
#include "imagewin/ChildWin.h"
#include "measure/CursorConfine.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QTabWidget;
class QTableView;

namespace ivra {

class TChart;
class TDocumentFile;
class TMDIChild;
class TShell;
class TfrmPixel;

// The image control: paints the working copy and the profile line, and
// hands the mouse to the window.
class TProfileImage : public QWidget {
    Q_OBJECT
public:
    explicit TProfileImage(TfrmPixel& owner, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    TfrmPixel& owner_;
};

class TfrmPixel : public QWidget {
    Q_OBJECT
public:
    TfrmPixel(TShell& shell, QWidget* parent);
    ~TfrmPixel() override;

    // Tab indexes of pcPages.
    enum { ImageTab = 0, DataTab = 1, GraphsTab = 2 };

    // ---- Controls -----------------------------------------------------------
    QTabWidget* pcPages = nullptr;
    QLabel* LabelFilename = nullptr;
    QLabel* LabelPoints = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    TProfileImage* Image1 = nullptr;
    QPushButton* btnRefresh = nullptr;
    QPushButton* btnCloseImage = nullptr;
    QTableView* sgData = nullptr;
    QPushButton* btnSaveData = nullptr;
    QLabel* PixelSlice = nullptr;
    TChart* ChartPixelProfile = nullptr;
    QCheckBox* Planes[7] = {};  // Red, Green, Blue, Intensity, Hue, Saturation, Value
    QPushButton* btnSaveChart = nullptr;
    QPushButton* btnPrint = nullptr;
    QPushButton* btnCloseGraphs = nullptr;

    // ---- State -----------------------------------------------------------------
    // The image window whose pixels Refresh copies (none when it closed).
    void SetSource(TMDIChild* w) { source_ = w; }
    TMDIChild* Source() const { return source_; }
    bool HasCopy() const { return hasCopy_; }
    const TBitmap32& WorkingCopy() const { return copy_; }
    TPoint StartPoint = AbsentProfilePoint;
    TPoint EndPoint = AbsentProfilePoint;
    bool DrawingLine() const { return drawing_; }
    // The rectangle the pointer is held in while a line is drawn (empty
    // otherwise).
    QRect ConfinementRect() const { return confinement_.Rect(); }
    TTextGridModel& DataGrid() { return *data_; }
    // The pixel slice's picture (null while there is no profile).
    const QImage& Slice() const { return slice_; }

    // ---- Commands ---------------------------------------------------------------
    // A new working copy from the source window; the line stays.
    void Refresh();
    // The copy, the line and its markers, the labels and title, the profile.
    void Redraw();
    void UpdateLabels();
    void ComputeProfile();
    void SaveData();
    void SaveChart();
    void PrintChart();

    // ---- Mouse on the image control (control pixels = copy pixels) -------------
    void ImageMouseDown(Qt::MouseButton button, QPoint p);
    void ImageMouseMove(QPoint p);
    void ImageMouseUp(Qt::MouseButton button, QPoint p);

    // Paints the copy's part in rect and the line on it.
    void PaintImage(QPainter& painter, const QRect& rect);

private:
    // The point held inside the working copy.
    TPoint Clamped(QPoint p) const;
    QRect LineRect(TPoint a, TPoint b) const;

    TShell& shell_;
    QPointer<TMDIChild> source_;
    TBitmap32 copy_;
    // The 16-bit samples of the copied image when it has them (the Data
    // grid shows them); empty otherwise.
    TSamples16 deepCopy_;
    bool hasCopy_ = false;
    bool drawing_ = false;
    TCursorConfinement confinement_;
    QString fileLabel_;
    TTextGridModel* data_ = nullptr;
    QImage slice_;
    int series_[7] = {};
    // The table's and the chart's files, each its own document.
    std::unique_ptr<TDocumentFile> dataFile_;
    std::unique_ptr<TDocumentFile> chartFile_;
};

// The program's pixel profile window (none before it is made).
TfrmPixel* PixelForm(TShell& shell);
TfrmPixel* CreatePixelForm(TShell& shell);

} // namespace ivra
