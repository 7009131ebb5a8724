#include "analysis/Stats.h"

#include "analysis/Analysis.h"
#include "analysis/Histogram.h"
#include "analysis/SelChannels.h"
#include "core/analysis/FrequencyTable.h"
#include "imagewin/ChildWin.h"
#include "measure/MeasureController.h"
#include "services/AppInfo.h"
#include "services/Busy.h"
#include "services/CommandGuard.h"
#include "services/FileNames.h"
#include "services/Hints.h"
#include "services/Icons.h"
#include "services/Prompts.h"
#include "services/Shell.h"
#include "services/UpDown.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

namespace ivra {

namespace {


template <typename Fn>
QAction* Item(QMenu* menu, const QString& caption, const char* name, QObject* owner, Fn fn) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    ConnectGuarded(a, &QAction::triggered, owner, [fn](bool) { fn(); });
    return a;
}

} // namespace

TfrmStats::TfrmStats(TShell& shell, QWidget* parent) : QMainWindow(parent, Qt::Window), shell_(shell) {
    setObjectName(QStringLiteral("frmStats"));
    resize(826, 597);
    stat_ = new TTextGridModel(this);
    freq_ = new TTextGridModel(this);
    stat_->SetHeader(StatsHeaderCells());
    freq_->SetHeader(FrequencyHeaderCells());

    // Menus.
    QMenu* data = menuBar()->addMenu(QStringLiteral("&Data"));
    DataSaveItem = Item(data, QStringLiteral("&Save"), "DataSaveItem", this, [this] { Save(); });
    QMenu* exportMenu = data->addMenu(QStringLiteral("&Export"));
    ExportHTMLItem = Item(exportMenu, QStringLiteral("HTML"), "ExportHTMLItem", this, [this] { ExportHTML(); });
    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    DeleteRowItem = Item(options, QStringLiteral("Delete row"), "DeleteRowItem", this, [this] { DeleteRow(); });
    ClearAllItem = Item(options, QStringLiteral("Clear all data"), "ClearAllItem", this, [this] { ClearAllData(); });
    QMenu* calc = menuBar()->addMenu(QStringLiteral("&Calculations"));
    ChannelStatsItem =
        Item(calc, QStringLiteral("Channel statistics"), "ChannelStatsItem", this, [this] { ChannelStatistics(); });
    FrequencyItem = Item(calc, QStringLiteral("Frequency"), "FrequencyItem", this, [this] { Frequency(); });
    LastShapeItem = Item(calc, QStringLiteral("Statistics of Last Shape"), "LastShapeItem", this,
                         [this] { StatisticsOfLastShape(); });
    SetHint(LastShapeItem, QStringLiteral("Statistics of Last Shape|Channel statistics of the pixels inside the last "
                                          "polygon, rectangle or ellipse measured on the image."));
    HistogramItem = menuBar()->addAction(QStringLiteral("&Histogram"));
    HistogramItem->setObjectName(QStringLiteral("HistogramItem"));
    HistogramItem->setEnabled(false);
    ConnectGuarded(HistogramItem, &QAction::triggered, this, [this](bool) { ShowHistogram(); });

    // Tool bar: Save, the number of decimals.
    QToolBar* tb = addToolBar(QStringLiteral("Statistics"));
    tb->setObjectName(QStringLiteral("ToolBar1"));
    tb->setMovable(false);
    tbSave = tb->addAction(AppIcon(QStringLiteral("save")), QStringLiteral("Save"));
    tbSave->setObjectName(QStringLiteral("tbSave"));
    ConnectGuarded(tbSave, &QAction::triggered, this, [this](bool) { Save(); });
    tb->addSeparator();
    auto* label = new QLabel(QStringLiteral("Decimals "), tb);
    tb->addWidget(label);
    edDecimals = new QLineEdit(QStringLiteral("2"), tb);
    edDecimals->setObjectName(QStringLiteral("edDecimals"));
    edDecimals->setFixedWidth(std::max(24, edDecimals->fontMetrics().horizontalAdvance(QStringLiteral("88")) + 10));
    tb->addWidget(edDecimals);
    udDecimals = new TUpDown(edDecimals, 0, 8, 2, tb);
    udDecimals->setObjectName(QStringLiteral("udDecimals"));
    udDecimals->setFixedSize(15, 21);
    tb->addWidget(udDecimals);
    connect(edDecimals, &QLineEdit::textChanged, this, [this](const QString&) { ReadDecimals(); });
    tb->addSeparator();
    cbSixteenBit = new QCheckBox(QStringLiteral("16-bit values"), tb);
    cbSixteenBit->setObjectName(QStringLiteral("cbSixteenBit"));
    cbSixteenBit->setChecked(true);
    SetHint(cbSixteenBit, QStringLiteral("16-bit values|Measures an image opened from a 16-bit file on its 16-bit "
                                         "values; hue, saturation and value are always measured at 8 bits."));
    tb->addWidget(cbSixteenBit);

    // The two grids on their tabs, the Close button below.
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    pcTab = new QTabWidget(central);
    pcTab->setObjectName(QStringLiteral("pcTab"));
    sgStat = MakeGrid(stat_, 50);
    sgStat->setObjectName(QStringLiteral("sgStat"));
    sgFreq = MakeGrid(freq_, 70);
    sgFreq->setObjectName(QStringLiteral("sgFreq"));
    pcTab->addTab(sgStat, QStringLiteral("Statistics"));
    pcTab->addTab(sgFreq, QStringLiteral("Frequency"));
    layout->addWidget(pcTab, 1);
    auto* bottom = new QWidget(central);
    auto* bl = new QHBoxLayout(bottom);
    btnClose = new QPushButton(QStringLiteral("Close"), bottom);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setFixedSize(std::max(75, btnClose->sizeHint().width()), 25);
    bl->addStretch();
    bl->addWidget(btnClose);
    layout->addWidget(bottom);
    setCentralWidget(central);
    statusBar();
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, &QWidget::close);

    PopupMenu1 = new QMenu(this);
    QAction* popupDelete = PopupMenu1->addAction(QStringLiteral("Delete Row"));
    popupDelete->setObjectName(QStringLiteral("PopupDeleteRow"));
    ConnectGuarded(popupDelete, &QAction::triggered, this, [this](bool) { DeleteRow(); });

    for (TTextGridModel* grid : {stat_, freq_}) {
        auto file = std::make_unique<TDocumentFile>(this, QList<TDocumentFileType>{GridTextType(*grid)});
        file->Changed = [this] { ShowFileName(); };
        files_[grid == stat_ ? 0 : 1] = std::move(file);
    }
    connect(pcTab, &QTabWidget::currentChanged, this, [this](int) { ShowFileName(); });
    ShowFileName();
}

TfrmStats::~TfrmStats() = default;

QTableView* TfrmStats::MakeGrid(TTextGridModel* model, int otherWidth) {
    auto* v = new QTableView;
    v->setModel(model);
    v->setShowGrid(true);
    v->setEditTriggers(QAbstractItemView::NoEditTriggers);
    v->setSelectionMode(QAbstractItemView::ContiguousSelection);
    v->horizontalHeader()->setDefaultSectionSize(otherWidth);
    v->horizontalHeader()->setSectionsMovable(true);
    v->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    v->verticalHeader()->setSectionsMovable(true);
    v->verticalHeader()->setDefaultSectionSize(v->fontMetrics().height() + 6);
    v->setColumnWidth(0, 120);
    // Every heading shows whole from the start.
    for (int c = 0; c < model->columnCount(); ++c)
        v->setColumnWidth(c, std::max(v->columnWidth(c), v->horizontalHeader()->sectionSizeHint(c)));
    // A dragged column or row moves its cells in the grid itself, so that
    // the saved files follow what the user sees.
    QHeaderView* h = v->horizontalHeader();
    connect(h, &QHeaderView::sectionMoved, this, [h, model](int, int from, int to) {
        QSignalBlocker block(h);
        h->moveSection(to, from);
        model->MoveColumn(from, to);
    });
    QHeaderView* rows = v->verticalHeader();
    connect(rows, &QHeaderView::sectionMoved, this, [rows, model](int, int from, int to) {
        QSignalBlocker block(rows);
        rows->moveSection(to, from);
        model->MoveDataRow(from + 1, to + 1);
    });
    v->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(v, &QWidget::customContextMenuRequested, this,
            [this, v](const QPoint& p) { PopupMenu1->popup(v->viewport()->mapToGlobal(p)); });
    return v;
}

TTextGridModel& TfrmStats::CurrentGrid() { return pcTab->currentIndex() == 1 ? *freq_ : *stat_; }
QTableView* TfrmStats::CurrentView() { return pcTab->currentIndex() == 1 ? sgFreq : sgStat; }

void TfrmStats::WriteHeaders() {
    stat_->WriteHeader(StatsHeaderCells());
    freq_->WriteHeader(FrequencyHeaderCells());
    sgStat->setColumnWidth(0, 120);
    sgFreq->setColumnWidth(0, 120);
}

void TfrmStats::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    WriteHeaders();
    ReadDecimals();
}

void TfrmStats::closeEvent(QCloseEvent* e) {
    bool go = true;
    RunGuarded([&] { go = QuerySave(); });
    if (go)
        e->accept();
    else
        e->ignore();
}

void TfrmStats::ReadDecimals() { decimals_ = StrToIntDef(edDecimals->text(), 2); }

void TfrmStats::EnableHistogram() { HistogramItem->setEnabled(true); }

void TfrmStats::AddRows(TTextGridModel& grid, const std::vector<std::vector<std::string>>& rows) {
    statusBar()->clearMessage();  // a note on the previous rows
    if (rows.empty()) return;
    File(&grid == stat_ ? 0 : 1).SetModified(true);
    grid.AppendRows(rows);
    // Columns widen to show their texts whole; they never get narrower
    // than the form's widths.
    QTableView* v = &grid == stat_ ? sgStat : sgFreq;
    const int other = &grid == stat_ ? 50 : 70;
    const QFontMetrics fm(v->font());
    const int first = grid.Grid().RowCount() - int(rows.size());
    for (int c = 0; c < grid.columnCount(); ++c) {
        int wanted = std::max(c == 0 ? 120 : other, v->horizontalHeader()->sectionSizeHint(c));
        for (int r = first; r < grid.Grid().RowCount(); ++r)
            wanted = std::max(wanted, fm.horizontalAdvance(QString::fromStdString(grid.Grid().Cell(c, r))) + 12);
        if (v->columnWidth(c) < wanted) v->setColumnWidth(c, wanted);
    }
}

void TfrmStats::AddStatRows(const TChannelHistograms& histograms, TChannelSet set) {
    AddRows(*stat_, StatsRows(histograms, set, decimals_, LocaleSeparator()));
}

void TfrmStats::AddDeepStatRows(const TDeepHistograms& histograms, TChannelSet set) {
    AddRows(*stat_, DeepStatsRows(histograms, set, decimals_, LocaleSeparator()));
}

bool TfrmStats::SixteenBit() const { return cbSixteenBit->isChecked(); }

void TfrmStats::NoteEightBitChannels() {
    statusBar()->showMessage(QStringLiteral("Hue, saturation and value are measured at 8 bits."));
}

void TfrmStats::ChannelStatistics() {
    TdlgSelChan* dlg = SelChanDialog(shell_);
    if (AppPrompts().ExecDialog(*dlg) == QDialog::Accepted)
        AnalyseImage(shell_.ActiveImageWindow(), TChannelSet(dlg->ItemIndex() + 1));
    pcTab->setCurrentIndex(0);
}

void TfrmStats::Frequency() {
    TfrmFreqSel* dlg = FreqSelDialog(shell_);
    TMDIChild* w = shell_.ActiveImageWindow();
    const TSamples16* samples = SixteenBitSamples(w);
    // The bin size is of 16-bit levels while the table will be of them.
    dlg->SetSixteenBit(samples != nullptr);
    if (AppPrompts().ExecDialog(*dlg) != QDialog::Accepted) return;
    AnalyseImage(w, TChannelSet::None);
    const int bin = dlg->BinSize();
    // Hue, saturation and value give tables of their levels 0 to 100; a bin
    // size below 1 gives no table.
    if (bin >= 1 && samples) {
        if (DeepChannel(dlg->Channel())) {
            TDeepHistograms deep;
            RunBusy([&] { AnalyseSamples(*samples, w->ImageName().toStdString(), deep); });
            AddRows(*freq_, DeepFrequencyRows(deep, dlg->Channel(), bin, decimals_, LocaleSeparator()));
        } else {
            NoteEightBitChannels();
        }
    } else if (bin >= 1) {
        AddRows(*freq_, FrequencyRows(ChannelHistograms(shell_), dlg->Channel(), bin, decimals_, LocaleSeparator()));
    }
    pcTab->setCurrentIndex(1);
}

void TfrmStats::StatisticsOfLastShape() {
    TMDIChild* w = shell_.ActiveImageWindow();
    if (!w) {
        pcTab->setCurrentIndex(0);
        return;
    }
    TMeasureController& measuring = TMeasureController::Of(shell_);
    std::vector<const TBitmap32*> open;
    for (TMDIChild* c : shell_.ImageWindows()) open.push_back(&c->Document().Bitmap());
    measuring.KeepShapesOf(open);
    const TBitmap32& image = w->Document().Bitmap();
    const auto shape = measuring.LastShape(image);
    const QString name = FileNamePart(w->ImageName());
    if (!shape) {
        AppPrompts().Message(this, QStringLiteral("No polygon, rectangle or ellipse has been measured on %1 yet.")
                                       .arg(name));
        return;
    }
    if (RegionPixelCount(*shape, image.Width(), image.Height()) == 0) {
        AppPrompts().Message(this, QStringLiteral("The last %1 measured on %2 holds no pixel of the image.")
                                       .arg(QLatin1String(RegionShapeName(shape->Kind)), name));
        return;
    }
    TdlgSelChan* dlg = SelChanDialog(shell_);
    if (AppPrompts().ExecDialog(*dlg) == QDialog::Accepted) {
        const TChannelSet set = TChannelSet(dlg->ItemIndex() + 1);
        const std::string label = RegionLabel(w->ImageName().toStdString(), shape->Kind);
        const TSamples16* samples = SixteenBitSamples(w);
        if (samples && set != TChannelSet::HSV) {
            TDeepHistograms h;
            RunBusy([&] { AnalyseSamplesRegion(*samples, *shape, label, h); });
            AddDeepStatRows(h, set);
        } else {
            TChannelHistograms h;
            RunBusy([&] { AnalyseRegion(image, *shape, label, h); });
            AddStatRows(h, set);
            if (samples) NoteEightBitChannels();
        }
    }
    pcTab->setCurrentIndex(0);
}

void TfrmStats::ShowHistogram() { ShowToolWindow(CreateHistogramForm(shell_)); }

void TfrmStats::DeleteRow() {
    QTableView* v = CurrentView();
    const QModelIndexList sel = v->selectionModel()->selectedIndexes();
    if (sel.isEmpty()) return;
    int top = sel.first().row();
    for (const QModelIndex& i : sel) top = std::min(top, i.row());
    CurrentGrid().DeleteRow(top + 1);
}

void TfrmStats::ClearAllData() {
    if (!CurrentFile().QuerySave()) return;
    CurrentGrid().ClearData();
}

TDocumentFile& TfrmStats::CurrentFile() { return File(pcTab->currentIndex() == 1 ? 1 : 0); }

bool TfrmStats::Modified() const { return files_[0]->Modified() || files_[1]->Modified(); }

QString TfrmStats::FileName() const { return files_[pcTab->currentIndex() == 1 ? 1 : 0]->FileName(); }

bool TfrmStats::QuerySave() { return files_[0]->QuerySave() && files_[1]->QuerySave(); }

bool TfrmStats::Save() { return CurrentFile().Save(); }

bool TfrmStats::SaveAs() { return CurrentFile().SaveAs(); }

void TfrmStats::ExportHTML() { CurrentFile().SaveCopy({GridHtmlType(CurrentGrid())}); }

void TfrmStats::ShowFileName() {
    if (!files_[0] || !files_[1]) return;
    setWindowTitle(QStringLiteral("%1 - %2").arg(FileNamePart(FileName()), AppTitle));
}

TfrmStats* StatsForm(TShell& shell) { return shell.ToolWindows().Find<TfrmStats>(); }

TfrmStats* CreateStatsForm(TShell& shell) {
    return &shell.ToolWindows().Get<TfrmStats>([&shell] { return new TfrmStats(shell, shell.Window()); });
}

} // namespace ivra
