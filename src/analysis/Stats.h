#pragma once
// TfrmStats: the statistics window. Its Statistics tab lists the rows of
// the channel statistics (one per channel and analysis, accumulating across
// images), its Frequency tab the frequency tables. The grid of the visible
// tab is the current grid, which Save, Export, Delete row and Clear all
// data act on. Each tab is its own document with its own file name and
// modified flag (set by rows added): closing asks "Save changes to %s?" for
// each modified tab, Clear all data for the visible one.

#include "analysis/GridModel.h"
#include "core/analysis/ChannelStats.h"
#include "core/analysis/DeepAnalysis.h"
#include "core/analysis/RegionStats.h"

#include <QMainWindow>
#include <QString>

#include <memory>

class QAction;
class QCheckBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QTableView;

namespace ivra {

class TDocumentFile;
class TShell;
class TUpDown;

class TfrmStats : public QMainWindow {
    Q_OBJECT
public:
    TfrmStats(TShell& shell, QWidget* parent);
    ~TfrmStats() override;

    // ---- Controls -----------------------------------------------------------
    QTabWidget* pcTab = nullptr;
    QTableView* sgStat = nullptr;
    QTableView* sgFreq = nullptr;
    QLineEdit* edDecimals = nullptr;
    TUpDown* udDecimals = nullptr;
    // "16-bit values": measure the 16-bit samples of an image opened from a
    // 16-bit file (checked at start); unchecked, every image is measured on
    // its 8-bit bitmap.
    QCheckBox* cbSixteenBit = nullptr;
    QPushButton* btnClose = nullptr;
    QAction* DataSaveItem = nullptr;
    QAction* ExportHTMLItem = nullptr;
    QAction* DeleteRowItem = nullptr;
    QAction* ClearAllItem = nullptr;
    QAction* ChannelStatsItem = nullptr;
    QAction* FrequencyItem = nullptr;
    QAction* LastShapeItem = nullptr;
    QAction* HistogramItem = nullptr;
    QAction* tbSave = nullptr;
    QMenu* PopupMenu1 = nullptr;

    TTextGridModel& StatGrid() { return *stat_; }
    TTextGridModel& FreqGrid() { return *freq_; }
    // The grid of the visible tab.
    TTextGridModel& CurrentGrid();
    QTableView* CurrentView();

    // The document of the visible tab, and of each tab (0 statistics,
    // 1 frequency table).
    TDocumentFile& CurrentFile();
    TDocumentFile& File(int tab) { return *files_[tab]; }
    // Whether either tab has unsaved rows; the visible tab's file name.
    bool Modified() const;
    QString FileName() const;
    int Decimals() const { return decimals_; }

    // ---- What the analysis calls -------------------------------------------
    // The "&Histogram" item: enabled by the first analysis.
    void EnableHistogram();
    // One row per channel of the set, from the counts (None adds nothing).
    void AddStatRows(const TChannelHistograms& histograms, TChannelSet set);
    // The rows of red, green and blue or gray at 16 bits.
    void AddDeepStatRows(const TDeepHistograms& histograms, TChannelSet set);
    bool SixteenBit() const;
    // Says in the status bar that hue, saturation and value were measured at
    // 8 bits for an image that has 16-bit values.
    void NoteEightBitChannels();

    // ---- Commands ------------------------------------------------------------
    void ChannelStatistics();
    void Frequency();
    // The channel statistics of the pixels inside the last polygon,
    // rectangle or ellipse measured on the active image window.
    void StatisticsOfLastShape();
    void ShowHistogram();
    void DeleteRow();
    void ClearAllData();
    // Save: Save As while the visible tab's file name is "Untitled". Both
    // return whether the grid was written.
    bool Save();
    bool SaveAs();
    void ExportHTML();
    // "Save changes to %s?" for each modified tab: false when the operation
    // that asked is abandoned (Cancel, or Yes with a save that did not
    // happen).
    bool QuerySave();
    // Reads edDecimals (2 when it is not a number).
    void ReadDecimals();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    QTableView* MakeGrid(TTextGridModel* model, int otherWidth);
    void WriteHeaders();
    void AddRows(TTextGridModel& grid, const std::vector<std::vector<std::string>>& rows);
    // The caption: the visible tab's file name.
    void ShowFileName();

    TTextGridModel* stat_ = nullptr;
    TTextGridModel* freq_ = nullptr;
    std::unique_ptr<TDocumentFile> files_[2];
    int decimals_ = 2;
    TShell& shell_;
};

// The program's statistics window (none before it is made).
TfrmStats* StatsForm(TShell& shell);
TfrmStats* CreateStatsForm(TShell& shell);

} // namespace ivra
