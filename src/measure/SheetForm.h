#pragma once
// TfrmSheet: the measurement spreadsheet window. It shows the program's
// TSheetModel in a grid (fixed address/header row, count row and row-label
// column), forwards the user's commands to it and runs the file commands
// with their questions. Measured values arrive through AddValue and AddTag.

#include "core/measure/SheetModel.h"
#include "services/DocumentFile.h"
#include "services/DrawingState.h"

#include <QMainWindow>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPrinter;
class QTableView;
class QToolButton;

namespace ivra {

class TSheetTableModel;
class TShell;
class TUpDown;

class TfrmSheet : public QMainWindow {
    Q_OBJECT
public:
    // The calibration factor it shows is the drawing state's.
    TfrmSheet(TShell& shell, QWidget* parent);
    ~TfrmSheet() override;

    TSheetModel& Model() { return model_; }
    const TSheetModel& Model() const { return model_; }

    // ---- Controls
    QTableView* sg1 = nullptr;
    QLineEdit* edDecimals = nullptr;
    TUpDown* udDecimals = nullptr;
    QLineEdit* edConvFact = nullptr;
    // The unit of the factor beside it ("µm/px"), empty without a unit.
    QLabel* lbConvUnit = nullptr;
    QAction* disableAutoInc = nullptr;
    QAction* SelectionMode = nullptr;
    QAction* FileNewItem = nullptr;
    QAction* FileOpenItem = nullptr;
    QAction* FileSaveItem = nullptr;
    QAction* FileSaveAsItem = nullptr;
    QAction* FilePrintItem = nullptr;
    QAction* FileExitItem = nullptr;
    QAction* EditCutItem = nullptr;
    QAction* EditCopyItem = nullptr;
    QAction* EditPasteItem = nullptr;
    QAction* HelpAboutItem = nullptr;
    QAction* btnInsertRow = nullptr;
    QAction* btnInsertColumn = nullptr;
    QAction* btnDeleteRow = nullptr;
    QAction* btnDeleteColumn = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QLabel* StatusPanel(int index) const { return panels_[index]; }

    // ---- Called by the measuring tools
    void AddValue(float x);
    void AddTag(int x, int y);

    // ---- Commands
    void FileNew();
    void FileOpen();
    // Save: Save As for an untitled sheet. Returns whether the sheet was
    // written.
    bool FileSave();
    bool FileSaveAs();
    void FilePrint();
    void OpenSheetFile(const QString& path);
    // Asks "Save changes to %s?" when the sheet is modified. Returns false
    // when the operation that asked is abandoned (Cancel, or a save that did
    // not happen).
    bool QuerySave();
    // The sheet's document file (the save flow) under the model's name.
    TDocumentFile& SheetFile();
    void CopyToClipboard(bool cut);
    void PasteFromClipboard();
    void InsertRow();
    void InsertColumn();
    void DeleteRow();
    void DeleteColumn();
    void SetDecimals(int decimals);
    void SetDisableAutoInc(bool down);
    void PressSelectionMode();
    void GridDoubleClick();
    // Loads the file of the first drop, after QuerySave.
    void DropFiles(const QStringList& paths);
    // Prints the used cells (with the column letters and row labels) as a
    // table on as many pages as needed.
    void PrintTo(QPrinter& printer);

    // The file opened each time the window is shown: the program's first
    // argument that is not an option ("--..."), when it names an existing
    // file. Tests may set it.
    QString StartupFile;

    // Brings the grid, the status panels and the caption up to date with
    // the model (every command calls it).
    void SyncView();
    // "Con.Fac." shows the program's calibration factor now (on every show,
    // and whenever the calibration window sets a new one).
    void ShowConversionFactor();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    TShell& shell_;
    const TDrawingState& drawing_;
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void ViewSelectionChanged();
    void PaintCorner(QWidget* corner);

    TSheetModel model_;
    // The save flow; the sheet's file name itself lives in the model.
    std::unique_ptr<TDocumentFile> file_;
    TSheetTableModel* tableModel_ = nullptr;
    QLabel* panels_[3] = {nullptr, nullptr, nullptr};
    QWidget* corner_ = nullptr;
    bool syncing_ = false;
};

// One printed page of the sheet: data rows and data columns (grid indices,
// inclusive).
struct TSheetPage {
    int FirstRow = 2, LastRow = 2, FirstCol = 1, LastCol = 1;
    friend bool operator==(const TSheetPage&, const TSheetPage&) = default;
};
// The last data row and column that hold text (row 2 and column 1 at least).
void UsedSheetExtent(const TSheetModel& model, int& lastRow, int& lastCol);
// Splits data rows 2..lastRow and the columns of colWidths (data columns from
// 1) into pages of pageWidth x pageHeight: every page repeats the header row
// (headerHeight) and the label column (labelWidth); pages run down the rows
// first, then across the columns. A column wider than the room left still
// gets a page of its own.
std::vector<TSheetPage> PlanSheetPages(const std::vector<int>& colWidths, int labelWidth, int lastRow, int rowHeight,
                                       int headerHeight, int pageWidth, int pageHeight);

// The program's spreadsheet window (none before it is made).
TfrmSheet* SheetForm(TShell& shell);
TfrmSheet* CreateSheetForm(TShell& shell);

} // namespace ivra
