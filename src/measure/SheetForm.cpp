#include "measure/SheetForm.h"

#include "services/AppInfo.h"
#include "services/CommandGuard.h"
#include "services/DrawingState.h"
#include "services/Hints.h"
#include "services/ToolWindows.h"
#include "services/Icons.h"
#include "services/Shell.h"
#include "services/Prompts.h"
#include "services/UpDown.h"
#include "core/text/NumberText.h"
#include "measure/MeasureController.h"

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QStatusBar>
#include <QTableView>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <algorithm>

namespace ivra {

namespace {


// Light blue of the count row.
const QColor CountRowColor(166, 202, 240);
constexpr int DefaultColWidth = 50;
constexpr int DefaultRowHeight = 20;

QString Latin1(const std::string& s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }

// What a cell shows: its text, cut after MaxShownChars characters with an
// ellipsis. No cell is that wide, and the grid would otherwise measure and
// elide the whole value (megabytes from a file) on every paint. The whole
// value stays in the model, the editor and the files.
constexpr std::size_t MaxShownChars = 1000;
QString ShownText(const std::string& s) {
    if (s.size() <= MaxShownChars) return Latin1(s);
    return QString::fromLatin1(s.data(), qsizetype(MaxShownChars)) + QChar(0x2026);
}

std::string ToLatin1(const QString& s) { return s.toLatin1().toStdString(); }

// Draws a fixed cell's text centred horizontally, 2 pixels below its top.
void DrawFixedText(QPainter& p, const QRect& cell, const QString& text) {
    const QFontMetrics fm(p.font());
    const int w = fm.horizontalAdvance(text);
    p.drawText(cell.left() + (cell.width() - w) / 2, cell.top() + 2 + fm.ascent(), text);
}

// The column header: the letter row (row 0) above the count row (row 1).
class TSheetHeader : public QHeaderView {
public:
    TSheetHeader(const TSheetModel& model, QWidget* parent) : QHeaderView(Qt::Horizontal, parent), model_(model) {
        setDefaultSectionSize(DefaultColWidth);
        setSectionsClickable(true);
        setHighlightSections(false);
    }
    QSize sizeHint() const override { return {QHeaderView::sizeHint().width(), 2 * DefaultRowHeight}; }

protected:
    void paintSection(QPainter* p, const QRect& rect, int logicalIndex) const override {
        const int col = logicalIndex + 1;
        if (col >= model_.ColCount()) return;
        p->save();
        const QRect top(rect.left(), rect.top(), rect.width(), DefaultRowHeight);
        const QRect bottom(rect.left(), rect.top() + DefaultRowHeight, rect.width(), rect.height() - DefaultRowHeight);
        p->fillRect(top, palette().button());
        p->fillRect(bottom, CountRowColor);
        p->setPen(palette().mid().color());
        p->drawRect(top.adjusted(0, 0, -1, -1));
        p->drawRect(bottom.adjusted(0, 0, -1, -1));
        p->setPen(palette().buttonText().color());
        DrawFixedText(*p, top, Latin1(model_.Cell(col, 0)));
        DrawFixedText(*p, bottom, Latin1(model_.Cell(col, 1)));
        p->restore();
    }

private:
    const TSheetModel& model_;
};

} // namespace

// The data cells of the sheet (grid rows 2.., columns 1..) as a table model;
// the row labels are its vertical header.
class TSheetTableModel : public QAbstractTableModel {
public:
    TSheetTableModel(TfrmSheet& form, TSheetModel& model) : QAbstractTableModel(&form), form_(form), model_(model) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : std::max(0, model_.RowCount() - TSheetModel::FixedRows);
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : std::max(0, model_.ColCount() - TSheetModel::FixedCols);
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return {};
        if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
        const std::string& text =
            model_.Cell(index.column() + TSheetModel::FixedCols, index.row() + TSheetModel::FixedRows);
        return role == Qt::DisplayRole ? ShownText(text) : Latin1(text);
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (role != Qt::DisplayRole) return {};
        if (o == Qt::Vertical) {
            const int row = section + TSheetModel::FixedRows;
            return row < model_.RowCount() ? ShownText(model_.Cell(0, row)) : QVariant();
        }
        const int col = section + TSheetModel::FixedCols;
        return col < model_.ColCount() ? ShownText(model_.Cell(col, 0)) : QVariant();
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags f = QAbstractTableModel::flags(index);
        if (model_.EditingEnabled()) f |= Qt::ItemIsEditable;
        return f;
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (!index.isValid() || role != Qt::EditRole) return false;
        model_.EditCell(index.column() + TSheetModel::FixedCols, index.row() + TSheetModel::FixedRows,
                        ToLatin1(value.toString()));
        form_.SyncView();
        return true;
    }

    // Tells the view about the model's state: a new shape resets it,
    // otherwise every cell and header is refreshed.
    void Refresh() {
        const int rows = rowCount(), cols = columnCount();
        if (rows != rows_ || cols != cols_) {
            beginResetModel();
            rows_ = rows;
            cols_ = cols;
            endResetModel();
        } else if (rows > 0 && cols > 0) {
            emit dataChanged(index(0, 0), index(rows - 1, cols - 1));
            emit headerDataChanged(Qt::Horizontal, 0, cols - 1);
            emit headerDataChanged(Qt::Vertical, 0, rows - 1);
        }
    }

private:
    TfrmSheet& form_;
    TSheetModel& model_;
    int rows_ = -1, cols_ = -1;
};

TfrmSheet* SheetForm(TShell& shell) { return shell.ToolWindows().Find<TfrmSheet>(); }

TfrmSheet* CreateSheetForm(TShell& shell) {
    return &shell.ToolWindows().Get<TfrmSheet>([&shell] { return new TfrmSheet(shell, shell.Window()); });
}

TfrmSheet::TfrmSheet(TShell& shell, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowStaysOnTopHint), shell_(shell), drawing_(shell.Drawing()) {
    setObjectName(QStringLiteral("frmSheet"));
    setWindowTitle(QStringLiteral("Ivra Spreadsheet"));
    setWindowIcon(AppIcon(QStringLiteral("spreadsheet")));
    resize(551, 636);
    setAcceptDrops(true);
    model_.SetDecimalSeparator(TMeasureController::LocaleDecimalSeparator());
    StartupFile = StartupFileArgument();

    sg1 = new QTableView(this);
    sg1->setObjectName(QStringLiteral("sg1"));
    tableModel_ = new TSheetTableModel(*this, model_);
    sg1->setHorizontalHeader(new TSheetHeader(model_, sg1));
    // Columns are 50 pixels wide, or as wide as a number of eight characters
    // needs in the platform's font when that is more.
    const int numberWidth = sg1->fontMetrics().horizontalAdvance(QStringLiteral("00000.00")) + 12;
    sg1->horizontalHeader()->setDefaultSectionSize(std::max(DefaultColWidth, numberWidth));
    sg1->setModel(tableModel_);
    sg1->verticalHeader()->setDefaultSectionSize(DefaultRowHeight);
    sg1->verticalHeader()->setMinimumSectionSize(DefaultRowHeight);
    sg1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    sg1->verticalHeader()->setHighlightSections(false);
    sg1->verticalHeader()->setMinimumWidth(DefaultColWidth);
    sg1->verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    sg1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    sg1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    sg1->setSelectionBehavior(QAbstractItemView::SelectItems);
    sg1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::AnyKeyPressed);
    sg1->setContextMenuPolicy(Qt::CustomContextMenu);
    sg1->setCornerButtonEnabled(false);
    setCentralWidget(sg1);
    // The corner shows the address above "n"; it is painted here.
    if ((corner_ = sg1->findChild<QAbstractButton*>())) corner_->installEventFilter(this);
    sg1->viewport()->installEventFilter(this);

    CreateActions();
    CreateMenus();
    CreateToolBar();

    AddStatusPanels(*this, panels_);

    connect(sg1->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { ViewSelectionChanged(); });
    connect(sg1->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { ViewSelectionChanged(); });
    connect(tableModel_, &QAbstractItemModel::modelReset, this, [this] {
        // A new shape brings a new selection model state: show the model's.
        SyncView();
    });
    connect(sg1, &QTableView::doubleClicked, this, [this] { RunGuarded([this] { GridDoubleClick(); }); });
    connect(sg1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu1->popup(sg1->viewport()->mapToGlobal(pos)); });

    model_.ClearData();
    SyncView();
}

TfrmSheet::~TfrmSheet() {
    // The grid reads the model, which goes before the base class destructor
    // takes the children down.
    corner_ = nullptr;
    delete sg1;
    sg1 = nullptr;
}

void TfrmSheet::CreateActions() {
    auto make = [this](const QString& text, const QString& hint, const char* name, const char* icon,
                       auto handler) {
        auto* a = new QAction(text, this);
        a->setObjectName(QLatin1String(name));
        if (icon) a->setIcon(AppIcon(QLatin1String(icon)));
        if (!hint.isEmpty()) SetHint(a, hint);
        ConnectGuarded(a, &QAction::triggered, this, [this, handler](bool) { (this->*handler)(); });
        return a;
    };
    FileNewItem = make(QStringLiteral("&New"), QStringLiteral("New|Create a new file"), "FileNewItem", "new",
                       &TfrmSheet::FileNew);
    FileNewItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    FileOpenItem = make(QStringLiteral("&Open..."), QStringLiteral("Open|Open an existing file"), "FileOpenItem", "open",
                        &TfrmSheet::FileOpen);
    FileOpenItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    FileSaveItem = new QAction(QStringLiteral("&Save"), this);
    FileSaveItem->setObjectName(QStringLiteral("FileSaveItem"));
    FileSaveItem->setIcon(AppIcon(QStringLiteral("save")));
    SetHint(FileSaveItem, QStringLiteral("Save|Save current file"));
    FileSaveItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    ConnectGuarded(FileSaveItem, &QAction::triggered, this, [this](bool) { FileSave(); });
    FileSaveAsItem = new QAction(QStringLiteral("Save &As..."), this);
    FileSaveAsItem->setObjectName(QStringLiteral("FileSaveAsItem"));
    SetHint(FileSaveAsItem, QStringLiteral("Save As|Save current file under a new name"));
    ConnectGuarded(FileSaveAsItem, &QAction::triggered, this, [this](bool) { FileSaveAs(); });
    FilePrintItem = make(QStringLiteral("&Print"), QStringLiteral("Print|Print current file"), "FilePrintItem", nullptr,
                         &TfrmSheet::FilePrint);
    FilePrintItem->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    FilePrintItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    FileExitItem = new QAction(QStringLiteral("E&xit"), this);
    FileExitItem->setObjectName(QStringLiteral("FileExitItem"));
    SetHint(FileExitItem, QStringLiteral("Exit|Exit this application"));
    FileExitItem->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));
    connect(FileExitItem, &QAction::triggered, this, [this] { close(); });

    EditCutItem = new QAction(QStringLiteral("Cu&t"), this);
    EditCutItem->setObjectName(QStringLiteral("EditCutItem"));
    EditCutItem->setIcon(AppIcon(QStringLiteral("cut")));
    SetHint(EditCutItem, QStringLiteral("Cut|Cuts the selection and puts it on the Clipboard"));
    EditCutItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    ConnectGuarded(EditCutItem, &QAction::triggered, this, [this](bool) { CopyToClipboard(true); });
    EditCopyItem = new QAction(QStringLiteral("&Copy"), this);
    EditCopyItem->setObjectName(QStringLiteral("EditCopyItem"));
    EditCopyItem->setIcon(AppIcon(QStringLiteral("copy")));
    SetHint(EditCopyItem, QStringLiteral("Copy|Copies the selection and puts it on the Clipboard"));
    EditCopyItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    ConnectGuarded(EditCopyItem, &QAction::triggered, this, [this](bool) { CopyToClipboard(false); });
    EditPasteItem = make(QStringLiteral("&Paste"), QStringLiteral("Paste|Inserts Clipboard contents"),
                         "EditPasteItem", "paste", &TfrmSheet::PasteFromClipboard);
    EditPasteItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    for (QAction* a : {EditCutItem, EditCopyItem, EditPasteItem}) a->setShortcutContext(Qt::WidgetWithChildrenShortcut);

    HelpAboutItem = new QAction(QStringLiteral("&About..."), this);
    HelpAboutItem->setObjectName(QStringLiteral("HelpAboutItem"));
    connect(HelpAboutItem, &QAction::triggered, this, [this] { RunGuarded([this] { shell_.ShowAbout(); }); });

    btnInsertRow = make(QStringLiteral("Insert row"), QStringLiteral("Insert row"), "btnInsertRow", nullptr,
                        &TfrmSheet::InsertRow);
    btnInsertColumn = make(QStringLiteral("Insert column"), QStringLiteral("Insert column"), "btnInsertColumn",
                           nullptr, &TfrmSheet::InsertColumn);
    btnDeleteRow = make(QStringLiteral("Delete entire row"), QStringLiteral("Delete entire row"), "btnDeleteRow",
                        nullptr, &TfrmSheet::DeleteRow);
    btnDeleteColumn = make(QStringLiteral("Delete entire column"), QStringLiteral("Delete entire column"),
                           "btnDeleteColumn", nullptr, &TfrmSheet::DeleteColumn);

    disableAutoInc = new QAction(QStringLiteral("+="), this);
    disableAutoInc->setObjectName(QStringLiteral("disableAutoInc"));
    disableAutoInc->setCheckable(true);
    SetHint(disableAutoInc, QStringLiteral("Disables automatic advancing - enables auto addition of values"));
    ConnectGuarded(disableAutoInc, &QAction::toggled, this, [this](bool on) { SetDisableAutoInc(on); });
    SelectionMode = new QAction(QStringLiteral("Sel"), this);
    SelectionMode->setObjectName(QStringLiteral("SelectionMode"));
    SelectionMode->setCheckable(true);
    SetHint(SelectionMode, QStringLiteral("Selection Mode"));
    ConnectGuarded(SelectionMode, &QAction::triggered, this, [this](bool) { PressSelectionMode(); });
}

void TfrmSheet::CreateMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addActions({FileNewItem, FileOpenItem, FileSaveItem, FileSaveAsItem, FilePrintItem});
    file->addSeparator();
    file->addAction(FileExitItem);
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addActions({EditCutItem, EditCopyItem, EditPasteItem});
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(HelpAboutItem);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto popup = [this](const QString& text, QAction* same) {
        QAction* a = PopupMenu1->addAction(text);
        connect(a, &QAction::triggered, same, &QAction::trigger);
    };
    popup(QStringLiteral("Insert Row"), btnInsertRow);
    popup(QStringLiteral("Insert Column"), btnInsertColumn);
    popup(QStringLiteral("Delete Row"), btnDeleteRow);
    popup(QStringLiteral("Delete Column"), btnDeleteColumn);
}

void TfrmSheet::CreateToolBar() {
    QToolBar* tb = addToolBar(QStringLiteral("Sheet"));
    tb->setObjectName(QStringLiteral("ToolBar1"));
    tb->setMovable(false);
    tb->setToolButtonStyle(Qt::ToolButtonIconOnly);
    tb->addActions({FileNewItem, FileOpenItem, FileSaveItem, FilePrintItem});
    tb->addSeparator();
    tb->addActions({EditCutItem, EditCopyItem, EditPasteItem});
    tb->addSeparator();
    // The row and column commands show their short captions as text.
    const struct {
        QAction* Action;
        const char* Text;
    } rc[] = {{btnInsertRow, "+Row"}, {btnInsertColumn, "+Col"}, {btnDeleteRow, "-Row"}, {btnDeleteColumn, "-Col"}};
    for (const auto& r : rc) {
        tb->addAction(r.Action);
        if (auto* b = qobject_cast<QToolButton*>(tb->widgetForAction(r.Action))) {
            b->setToolButtonStyle(Qt::ToolButtonTextOnly);
            b->setText(QLatin1String(r.Text));
        }
    }
    tb->addSeparator();
    tb->addAction(disableAutoInc);
    tb->addAction(SelectionMode);
    // The settings go on a second row, so that the window's design width
    // shows every control.
    addToolBarBreak();
    tb = addToolBar(QStringLiteral("Settings"));
    tb->setObjectName(QStringLiteral("ToolBar2"));
    tb->setMovable(false);
    tb->addWidget(new QLabel(QStringLiteral("Decimals: "), tb));
    edDecimals = new QLineEdit(QStringLiteral("2"), tb);
    edDecimals->setObjectName(QStringLiteral("edDecimals"));
    edDecimals->setReadOnly(true);
    edDecimals->setFixedWidth(30);
    tb->addWidget(edDecimals);
    udDecimals = new TUpDown(edDecimals, 0, TSheetModel::MaxDecimals, 2, tb);
    udDecimals->setObjectName(QStringLiteral("udDecimals"));
    udDecimals->setFixedSize(15, 21);
    tb->addWidget(udDecimals);
    connect(udDecimals, &TUpDown::Clicked, this, [this](bool) { RunGuarded([this] { SetDecimals(udDecimals->Position()); }); });
    tb->addSeparator();
    tb->addWidget(new QLabel(QStringLiteral("Con.Fac."), tb));
    edConvFact = new QLineEdit(QStringLiteral("1"), tb);
    edConvFact->setObjectName(QStringLiteral("edConvFact"));
    edConvFact->setReadOnly(true);
    edConvFact->setFixedWidth(70);
    tb->addWidget(edConvFact);
    lbConvUnit = new QLabel(tb);
    lbConvUnit->setObjectName(QStringLiteral("lbConvUnit"));
    tb->addWidget(lbConvUnit);
}

// ---- View <-> model -------------------------------------------------------------------

void TfrmSheet::SyncView() {
    if (syncing_) return;
    syncing_ = true;
    tableModel_->Refresh();
    // The model's selection in the view.
    const TSheetRange& s = model_.Selection();
    auto idx = [this](int col, int row) {
        return tableModel_->index(row - TSheetModel::FixedRows, col - TSheetModel::FixedCols);
    };
    QItemSelectionModel* sel = sg1->selectionModel();
    const QModelIndex current = idx(model_.Col(), model_.Row());
    sel->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    sel->select(QItemSelection(idx(s.Left, s.Top), idx(s.Right, s.Bottom)), QItemSelectionModel::ClearAndSelect);
    if (current.isValid() && isVisible()) sg1->scrollTo(current);
    sg1->setEditTriggers(model_.EditingEnabled()
                             ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                   QAbstractItemView::AnyKeyPressed
                             : QAbstractItemView::NoEditTriggers);
    SelectionMode->setChecked(model_.SelectionMode());
    disableAutoInc->setChecked(model_.DisableAutoInc());
    panels_[0]->setText(Latin1(model_.Address()));
    panels_[1]->setText(Latin1(model_.ModifiedMark()));
    setWindowTitle(QString::fromStdString(model_.Caption(AppTitle.toStdString())));
    if (corner_) corner_->update();
    sg1->horizontalHeader()->viewport()->update();
    syncing_ = false;
}

void TfrmSheet::ViewSelectionChanged() {
    if (syncing_) return;
    const QModelIndex cur = sg1->selectionModel()->currentIndex();
    if (!cur.isValid()) return;
    int col = cur.column() + TSheetModel::FixedCols, row = cur.row() + TSheetModel::FixedRows;
    int anchorCol = col, anchorRow = row;
    const QItemSelection selection = sg1->selectionModel()->selection();
    for (const QItemSelectionRange& r : selection) {
        if (!r.contains(cur)) continue;
        anchorCol = (cur.column() == r.left() ? r.right() : r.left()) + TSheetModel::FixedCols;
        anchorRow = (cur.row() == r.top() ? r.bottom() : r.top()) + TSheetModel::FixedRows;
        break;
    }
    model_.SelectRange(anchorCol, anchorRow, col, row);
    // Only the read-outs follow; the view already shows the selection.
    panels_[0]->setText(Latin1(model_.Address()));
    if (corner_) corner_->update();
}

void TfrmSheet::PaintCorner(QWidget* corner) {
    QPainter p(corner);
    const QRect r = corner->rect();
    const QRect top(0, 0, r.width(), DefaultRowHeight);
    const QRect bottom(0, DefaultRowHeight, r.width(), r.height() - DefaultRowHeight);
    p.fillRect(top, Qt::white);
    p.fillRect(bottom, CountRowColor);
    p.setPen(palette().mid().color());
    p.drawRect(top.adjusted(0, 0, -1, -1));
    p.drawRect(bottom.adjusted(0, 0, -1, -1));
    p.setPen(Qt::black);
    DrawFixedText(p, top, Latin1(model_.Address()));
    DrawFixedText(p, bottom, Latin1(model_.Cell(0, 1)));
}

bool TfrmSheet::eventFilter(QObject* watched, QEvent* e) {
    if (watched == corner_ && e->type() == QEvent::Paint) {
        PaintCorner(corner_);
        return true;
    }
    return QMainWindow::eventFilter(watched, e);
}

// ---- Values from the tools ---------------------------------------------------------------

void TfrmSheet::AddValue(float x) {
    model_.AddValue(x);
    SyncView();
}

void TfrmSheet::AddTag(int x, int y) {
    model_.AddTag(x, y);
    SyncView();
}

// ---- Editing commands -----------------------------------------------------------------

void TfrmSheet::CopyToClipboard(bool cut) {
    const std::string text = model_.CopyToText(cut);
    QApplication::clipboard()->setText(Latin1(text));
    SyncView();
}

void TfrmSheet::PasteFromClipboard() {
    const QString text = QApplication::clipboard()->text();
    if (text.isEmpty()) return;
    model_.PasteText(ToLatin1(text));
    SyncView();
}

void TfrmSheet::InsertRow() {
    model_.InsertRow();
    SyncView();
}

void TfrmSheet::InsertColumn() {
    model_.InsertColumn();
    SyncView();
}

void TfrmSheet::DeleteRow() {
    model_.DeleteRow(model_.Selection().Top);
    SyncView();
}

void TfrmSheet::DeleteColumn() {
    model_.DeleteColumn(model_.Selection().Left);
    SyncView();
}

void TfrmSheet::SetDecimals(int decimals) {
    model_.SetDecimals(decimals);
    edDecimals->setText(QString::number(model_.Decimals()));
    SyncView();
}

void TfrmSheet::SetDisableAutoInc(bool down) {
    if (down == model_.DisableAutoInc()) return;
    model_.SetDisableAutoInc(down);
    SyncView();
}

void TfrmSheet::PressSelectionMode() {
    model_.PressSelectionMode();
    SyncView();
}

void TfrmSheet::GridDoubleClick() {
    const bool wasOff = !model_.EditingEnabled();
    model_.GridDoubleClick();
    SyncView();
    // The double click that switches editing on also starts it in the cell.
    if (wasOff && sg1->currentIndex().isValid()) sg1->edit(sg1->currentIndex());
}

// ---- Files ---------------------------------------------------------------------------------

namespace {
TFileDialogRequest SheetDialog(const QString& caption, const QString& filter) {
    TFileDialogRequest r;
    r.Caption = caption;
    r.Directory = ProgramFolder();
    r.Filter = filter;
    return r;
}
} // namespace

bool TfrmSheet::QuerySave() { return SheetFile().QuerySave(); }

TDocumentFile& TfrmSheet::SheetFile() {
    if (!file_) {
        file_ = std::make_unique<TDocumentFile>(
            this, QList<TDocumentFileType>{{QStringLiteral("Text (Tab-separated) (*.txt)"), {QStringLiteral("txt")},
                                            [this](QString& path) { model_.SaveSheetFile(path.toStdString()); }}});
        file_->Directory = ProgramFolder();
        file_->IsModified = [this] { return model_.SheetModified(); };
        file_->Saved = [this] { SyncView(); };
    }
    // The model keeps the sheet's name (Open, New and a drop change it there).
    const QString name = QString::fromStdString(model_.SheetFileName());
    if (file_->FileName() != name) file_->SetFileName(name, 0);
    return *file_;
}

void TfrmSheet::FileNew() {
    model_.NewSheet();
    SyncView();
}

void TfrmSheet::OpenSheetFile(const QString& path) {
    model_.OpenSheetFile(path.toStdString());
    SyncView();
}

void TfrmSheet::FileOpen() {
    if (!QuerySave()) return;
    const QString path = AppPrompts().GetOpenFileName(
        this, SheetDialog(QStringLiteral("Open"), QStringLiteral("Text (Tab-separated) (*.TXT *.txt)")));
    if (path.isEmpty()) return;
    OpenSheetFile(path);
}

bool TfrmSheet::FileSave() { return SheetFile().Save(); }

bool TfrmSheet::FileSaveAs() { return SheetFile().SaveAs(); }

void TfrmSheet::DropFiles(const QStringList& paths) {
    if (paths.isEmpty()) return;
    if (!QuerySave()) return;
    OpenSheetFile(paths.first());
}

// ---- Window events ---------------------------------------------------------------------------

void TfrmSheet::ShowConversionFactor() {
    const char sep = TMeasureController::LocaleDecimalSeparator();
    edConvFact->setText(QString::fromStdString(FloatToGeneralText(drawing_.CalibrationFactor, 15, sep)));
    lbConvUnit->setText(drawing_.CalibrationUnit.empty() ? QString()
                                                         : QString::fromStdString(drawing_.CalibrationUnit + "/px"));
}

void TfrmSheet::showEvent(QShowEvent* e) {
    ShowConversionFactor();
    QMainWindow::showEvent(e);
    // Only a real show loads the start-up file: the window system's show on
    // restoring a minimised window must not throw away unsaved values.
    if (e->spontaneous()) return;
    if (!StartupFile.isEmpty() && QFileInfo(StartupFile).isFile())
        RunGuarded([this] { OpenSheetFile(StartupFile); });
}

void TfrmSheet::closeEvent(QCloseEvent* e) {
    bool goOn = false;
    RunGuarded([&] { goOn = QuerySave(); });
    if (!goOn) {
        e->ignore();
        return;
    }
    e->accept();
    QMainWindow::closeEvent(e);
    // The cells go, and so does the file name: a later Save must ask for a
    // name instead of writing the empty sheet over the old file.
    model_.ClearData();
    model_.NewSheet();
    SyncView();
}

void TfrmSheet::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void TfrmSheet::dropEvent(QDropEvent* e) {
    QStringList paths;
    for (const QUrl& u : e->mimeData()->urls())
        if (u.isLocalFile()) paths << u.toLocalFile();
    if (paths.isEmpty()) return;
    e->acceptProposedAction();
    RunGuarded([&] { DropFiles(paths); });
}

} // namespace ivra
