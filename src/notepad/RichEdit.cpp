#include "notepad/RichEdit.h"

#include "core/Error.h"
#include "core/notes/NoteFiles.h"
#include "core/notes/NoteRuler.h"
#include "notepad/NoteTextDocument.h"
#include "services/AppInfo.h"
#include "services/CommandGuard.h"
#include "services/FileNames.h"
#include "services/Hints.h"
#include "services/Shell.h"
#include "services/ToolWindows.h"
#include "services/Icons.h"
#include "services/Prompts.h"
#include "services/UpDown.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QStatusBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace ivra {

namespace {

constexpr int TextInset = 6;
constexpr int RulerHeight = 26;


// The local files among the URLs of a drop.
QStringList LocalFiles(const QMimeData* mime) {
    QStringList paths;
    if (!mime || !mime->hasUrls()) return paths;
    for (const QUrl& u : mime->urls())
        if (u.isLocalFile()) paths << u.toLocalFile();
    return paths;
}

// Sets a flag for as long as it lives, also when an exception leaves, and
// puts back what it was.
struct TFlagScope {
    explicit TFlagScope(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~TFlagScope() { flag_ = old_; }
    bool& flag_;
    bool old_;
};

std::string Native(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The ruler's panel: a top-line bevel and a tick at every tab stop, as its
// caption of tab characters and bars draws them.
class TRulerPanel : public QWidget {
public:
    TRulerPanel(QWidget* parent, const QTextEdit* editor) : QWidget(parent), editor_(editor) {
        QFont f(QStringLiteral("Arial"));
        f.setPixelSize(11);
        setFont(f);
        QPalette pal = palette();
        pal.setColor(QPalette::WindowText, Qt::black);
        setPalette(pal);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(palette().color(QPalette::Dark));
        p.drawLine(0, 0, width(), 0);
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(0, 1, width(), 1);
        p.setPen(Qt::black);
        const qreal tab = editor_->tabStopDistance() > 0 ? editor_->tabStopDistance() : 80;
        for (int k = 1; k <= 100; ++k) {
            const int x = TextInset + int(k * tab);
            if (x > width()) break;
            p.drawText(QRect(x - 3, 0, 6, height()), Qt::AlignCenter, QStringLiteral("|"));
        }
    }

private:
    const QTextEdit* editor_;
};

// Small pictures of the paragraph buttons: four lines of text set left,
// centred or right, or a bulleted list.
enum class TParagraphIcon { Left, Center, Right, Bullets };

QIcon ParagraphIcon(TParagraphIcon kind) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QPen(Qt::black, 1));
    const int widths[] = {12, 8, 12, 6};
    for (int i = 0; i < 4; ++i) {
        const int y = 3 + 3 * i;
        int x0 = 2, w = widths[i];
        if (kind == TParagraphIcon::Center) x0 = 2 + (12 - w) / 2;
        else if (kind == TParagraphIcon::Right) x0 = 14 - w;
        else if (kind == TParagraphIcon::Bullets) {
            p.fillRect(2, y - 1, 2, 2, Qt::black);
            x0 = 6, w = 8;
        }
        p.drawLine(x0, y, x0 + w, y);
    }
    return QIcon(pm);
}

} // namespace

// ---- The editor ------------------------------------------------------------------------------

TNoteEditor::TNoteEditor(TfrmEdit* form) : QTextEdit(form), form_(form) {}

void TNoteEditor::SetTextInset(int inset) { setViewportMargins(inset, 0, inset, 0); }

bool TNoteEditor::canInsertFromMimeData(const QMimeData* source) const {
    return LocalFiles(source).isEmpty() && QTextEdit::canInsertFromMimeData(source);
}

void TNoteEditor::insertFromMimeData(const QMimeData* source) {
    if (LocalFiles(source).isEmpty()) QTextEdit::insertFromMimeData(source);
}

void TNoteEditor::dragEnterEvent(QDragEnterEvent* e) {
    if (!LocalFiles(e->mimeData()).isEmpty()) e->acceptProposedAction();
    else QTextEdit::dragEnterEvent(e);
}

void TNoteEditor::dragMoveEvent(QDragMoveEvent* e) {
    if (!LocalFiles(e->mimeData()).isEmpty()) e->acceptProposedAction();
    else QTextEdit::dragMoveEvent(e);
}

void TNoteEditor::dropEvent(QDropEvent* e) {
    const QStringList paths = LocalFiles(e->mimeData());
    if (paths.isEmpty()) {
        QTextEdit::dropEvent(e);
        return;
    }
    e->acceptProposedAction();
    RunGuarded([&] { form_->DropFiles(paths); });
}

// ---- Ruler markers ---------------------------------------------------------------------------

TRulerMarker::TRulerMarker(TKind kind, QWidget* ruler, TfrmEdit* form) : QWidget(ruler), kind_(kind), form_(form) {
    static const char* const names[] = {"FirstInd", "LeftInd", "RightInd"};
    setObjectName(QLatin1String(names[int(kind)]));
    // FirstInd 10 by 9 at the top, LeftInd 10 by 11 below it, RightInd 9 by 12.
    if (kind == TKind::First) setFixedSize(10, 9);
    else if (kind == TKind::Left) setFixedSize(10, 11);
    else setFixedSize(9, 12);
    setCursor(Qt::SizeHorCursor);
}

void TRulerMarker::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::black);
    p.setBrush(Qt::gray);
    const qreal w = width() - 1, h = height() - 1;
    QPolygonF shape;
    if (kind_ == TKind::First) shape << QPointF(0, 0) << QPointF(w, 0) << QPointF(w / 2, h); // pointing down
    else if (kind_ == TKind::Left) shape << QPointF(w / 2, 0) << QPointF(w, h / 2) << QPointF(w, h) << QPointF(0, h)
                                         << QPointF(0, h / 2);
    else shape << QPointF(w / 2, 0) << QPointF(w, h) << QPointF(0, h); // pointing up
    p.drawPolygon(shape);
}

void TRulerMarker::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) form_->RulerItemMouseDown(this, int(e->position().x()));
}

void TRulerMarker::mouseMoveEvent(QMouseEvent* e) { form_->RulerItemMouseMove(this, int(e->position().x())); }

void TRulerMarker::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) RunGuarded([&] { form_->RulerItemMouseUp(this); });
}

// ---- The window ------------------------------------------------------------------------------

TfrmEdit* EditForm(TShell& shell) { return shell.ToolWindows().Find<TfrmEdit>(); }

TfrmEdit* CreateEditForm(TShell& shell) {
    return &shell.ToolWindows().Get<TfrmEdit>([&shell] { return new TfrmEdit(shell.Window()); });
}

TfrmEdit::TfrmEdit(QWidget* parent) : QMainWindow(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmEdit"));
    setWindowIcon(AppIcon(QStringLiteral("notepad")));
    resize(625, 209);
    StartupFile = StartupFileArgument();

    Editor = new TNoteEditor(this);
    Editor->setObjectName(QStringLiteral("Editor"));
    Editor->setAcceptRichText(true);
    Editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Editor->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Editor->SetTextInset(TextInset);
    // The editor's default character attributes: the toolkit's font at 8 points.
    QFont base = QApplication::font();
    base.setPointSize(8);
    Editor->document()->setDefaultFont(base);

    CreateActions();
    CreateToolBar();
    CreateRuler();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Ruler);
    layout->addWidget(Editor, 1);
    setCentralWidget(central);

    AddStatusPanels(*this, panels_);
    statusBar()->setObjectName(QStringLiteral("StatusBar"));

    connect(Editor, &QTextEdit::cursorPositionChanged, this, [this] { RunGuarded([this] { SelectionChange(); }); });
    connect(Editor, &QTextEdit::selectionChanged, this, [this] { RunGuarded([this] { SelectionChange(); }); });
    ConnectDocument();
    connect(Editor, &QTextEdit::textChanged, this, [this] { RichEditChange(); });
    connect(Editor, &QTextEdit::copyAvailable, this, [this] { ActionList2Update(); });
    connect(Editor, &QTextEdit::undoAvailable, this, [this] { ActionList2Update(); });
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] { ActionList2Update(); });

    // The document's two file types, RTF first; the flow keeps its name.
    file_ = std::make_unique<TDocumentFile>(
        this, QList<TDocumentFileType>{
                  {QStringLiteral("Rich Text Files (*.RTF *.rtf)"), {QStringLiteral("rtf")},
                   [this](QString& path) { WriteDocument(path, false); }},
                  {QStringLiteral("Text Files (*.TXT *.txt)"), {QStringLiteral("txt")},
                   [this](QString& path) { WriteDocument(path, true); }},
              });
    file_->Directory = ProgramFolder();
    file_->IsModified = [this] { return Editor->document()->isModified(); };
    file_->Saved = [this] {
        Editor->document()->setModified(false);
        RichEditChange();
    };
    file_->Changed = [this] { ShowFileName(); };
    ShowFileName();
    SelectionChange();
    ActionList2Update();
}

TfrmEdit::~TfrmEdit() = default;

void TfrmEdit::ConnectDocument() {
    connect(Editor->document(), &QTextDocument::modificationChanged, this, [this] { RichEditChange(); });
}

void TfrmEdit::ShowNote(const TNoteDocument& note) {
    // The text is built in a document of its own and then handed to the
    // editor. Built inside the editor's document, the change would be laid
    // out completely at once (seconds for a few megabytes); a new document is
    // laid out as it is shown, the visible part first and the rest in the
    // background.
    QTextDocument* old = Editor->document();
    auto* doc = new QTextDocument(Editor);
    doc->setDefaultFont(old->defaultFont());
    doc->setDefaultTextOption(old->defaultTextOption());
    NoteToTextDocument(note, *doc);
    // The editor deletes the document it made itself; the ones made here
    // are deleted here.
    const bool ours = old->parent() == Editor;
    Editor->setDocument(doc);
    if (ours) delete old;
    ConnectDocument();
    // The new document has no undo history; the editor does not say so.
    ActionList2Update();
}

void TfrmEdit::CreateActions() {
    struct TCmd {
        QAction** action;
        const char* name;
        const char* caption;
        QKeySequence shortcut;
        const char* hint;
        const char* icon;
        void (TfrmEdit::*run)();
    };
    const TCmd cmds[] = {
        {&FileNewCmd, "FileNewCmd", "&New", QKeySequence(Qt::CTRL | Qt::Key_N), "Create a new file", "new",
         &TfrmEdit::FileNew},
        {&FileOpenCmd, "FileOpenCmd", "&Open...", QKeySequence(Qt::CTRL | Qt::Key_O), "Open an existing file", "open",
         &TfrmEdit::FileOpen},
        {&FileSaveCmd, "FileSaveCmd", "&Save", QKeySequence(Qt::CTRL | Qt::Key_S), "Save current file", "save",
         nullptr},
        {&FileSaveAsCmd, "FileSaveAsCmd", "Save &As...", QKeySequence(), "Save current file under a new name",
         nullptr, nullptr},
        {&FilePrintCmd, "FilePrintCmd", "&Print", QKeySequence(Qt::CTRL | Qt::Key_P), "Print current file", nullptr,
         &TfrmEdit::FilePrint},
        {&FileExitCmd, "FileExitCmd", "E&xit", QKeySequence(Qt::ALT | Qt::Key_X), "Exit this application", nullptr,
         &TfrmEdit::FileExit},
        {&EditUndoCmd, "EditUndoCmd", "&Undo", QKeySequence(Qt::CTRL | Qt::Key_Z), "Undo the last action", "undo",
         &TfrmEdit::EditUndo},
        {&EditCutCmd, "EditCutCmd", "Cu&t", QKeySequence(Qt::CTRL | Qt::Key_X), "Delete selected item", "cut",
         &TfrmEdit::EditCut},
        {&EditCopyCmd, "EditCopyCmd", "&Copy", QKeySequence(Qt::CTRL | Qt::Key_C),
         "Copy selected item to clipboard", "copy", &TfrmEdit::EditCopy},
        {&EditPasteCmd, "EditPasteCmd", "&Paste", QKeySequence(Qt::CTRL | Qt::Key_V), "Paste contents of clipboard",
         "paste", &TfrmEdit::EditPaste},
        {&EditFontCmd, "EditFontCmd", "&Font...", QKeySequence(), "", nullptr, &TfrmEdit::SelectFont},
    };
    for (const TCmd& c : cmds) {
        auto* a = new QAction(QString::fromUtf8(c.caption), this);
        a->setObjectName(QLatin1String(c.name));
        a->setShortcut(c.shortcut);
        // The window's shortcuts must not take the editor's own keys away
        // from it while it has the focus.
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        if (*c.hint) SetHint(a, QString::fromUtf8(c.hint));
        if (c.icon) a->setIcon(AppIcon(QLatin1String(c.icon)));
        if (c.run) ConnectGuarded(a, &QAction::triggered, this, [this, run = c.run](bool) { (this->*run)(); });
        addAction(a);
        *c.action = a;
    }
    FilePrintCmd->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    ConnectGuarded(FileSaveCmd, &QAction::triggered, this, [this](bool) { FileSave(); });
    ConnectGuarded(FileSaveAsCmd, &QAction::triggered, this, [this](bool) { FileSaveAs(); });

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addActions({FileNewCmd, FileOpenCmd, FileSaveCmd, FileSaveAsCmd});
    file->addSeparator();
    file->addAction(FilePrintCmd);
    file->addSeparator();
    file->addAction(FileExitCmd);
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addAction(EditUndoCmd);
    edit->addSeparator();
    edit->addActions({EditCutCmd, EditCopyCmd, EditPasteCmd});
    edit->addSeparator();
    edit->addAction(EditFontCmd);
}

void TfrmEdit::CreateToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Standard"));
    bar->setObjectName(QStringLiteral("StandardToolBar"));
    bar->setMovable(false);
    bar->setIconSize(QSize(16, 16));
    bar->addActions({FileNewCmd, FileOpenCmd, FileSaveCmd, FilePrintCmd});
    bar->addSeparator();
    bar->addActions({EditCutCmd, EditCopyCmd, EditPasteCmd, EditUndoCmd});
    bar->addSeparator();

    FontName = new QComboBox(bar);
    FontName->setObjectName(QStringLiteral("FontName"));
    FontName->setEditable(true);
    FontName->setInsertPolicy(QComboBox::NoInsert);
    FontName->setMaxVisibleItems(10);
    FontName->setMinimumWidth(130);
    QStringList families = QFontDatabase::families();
    families.sort(Qt::CaseInsensitive);
    FontName->addItems(families);
    SetHint(FontName, QStringLiteral("Font Name|Select font name"));
    bar->addWidget(FontName);
    connect(FontName, &QComboBox::textActivated, this,
            [this](const QString& name) { RunGuarded([&] { FontNameChange(name); }); });

    FontSize = new QLineEdit(bar);
    FontSize->setObjectName(QStringLiteral("FontSize"));
    FontSize->setFixedWidth(36);
    SetHint(FontSize, QStringLiteral("Font Size|Select font size"));
    bar->addWidget(FontSize);
    UpDown1 = new TUpDown(FontSize, 0, 100, 0, bar);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    // Its arrows keep their own width however wide the toolbar grows.
    UpDown1->setFixedSize(15, FontSize->sizeHint().height());
    bar->addWidget(UpDown1);
    // The size is taken when the user has finished typing it (Enter or
    // leaving the field) and on every arrow click.
    connect(FontSize, &QLineEdit::editingFinished, this, [this] { RunGuarded([this] { FontSizeChange(); }); });
    connect(UpDown1, &TUpDown::Clicked, this, [this](bool) {
        FontSize->setModified(true);
        RunGuarded([this] { FontSizeChange(); });
    });

    auto check = [&](QAction*& a, const char* name, const QString& text, const QString& hint) {
        a = bar->addAction(text);
        a->setObjectName(QLatin1String(name));
        a->setCheckable(true);
        SetHint(a, hint);
    };
    check(BoldButton, "BoldButton", QStringLiteral("B"), QStringLiteral("Bold"));
    check(ItalicButton, "ItalicButton", QStringLiteral("I"), QStringLiteral("Italic"));
    check(UnderlineButton, "UnderlineButton", QStringLiteral("U"), QStringLiteral("Underline"));
    QFont bold = font(), italic = font(), underline = font();
    bold.setBold(true);
    italic.setItalic(true);
    underline.setUnderline(true);
    BoldButton->setFont(bold);
    ItalicButton->setFont(italic);
    UnderlineButton->setFont(underline);
    ConnectGuarded(BoldButton, &QAction::triggered, this, [this](bool down) { BoldButtonClick(down); });
    ConnectGuarded(ItalicButton, &QAction::triggered, this, [this](bool down) { ItalicButtonClick(down); });
    ConnectGuarded(UnderlineButton, &QAction::triggered, this, [this](bool down) { UnderlineButtonClick(down); });
    bar->addSeparator();

    alignGroup_ = new QActionGroup(this);
    alignGroup_->setExclusive(true);
    check(LeftAlign, "LeftAlign", QStringLiteral("Left"), QStringLiteral("Align Left"));
    check(CenterAlign, "CenterAlign", QStringLiteral("Center"), QStringLiteral("Center"));
    check(RightAlign, "RightAlign", QStringLiteral("Right"), QStringLiteral("Align Right"));
    LeftAlign->setIcon(ParagraphIcon(TParagraphIcon::Left));
    CenterAlign->setIcon(ParagraphIcon(TParagraphIcon::Center));
    RightAlign->setIcon(ParagraphIcon(TParagraphIcon::Right));
    for (QAction* a : {LeftAlign, CenterAlign, RightAlign}) {
        alignGroup_->addAction(a);
        ConnectGuarded(a, &QAction::triggered, this, [this, a](bool) { AlignButtonClick(a); });
    }
    bar->addSeparator();
    check(BulletsButton, "BulletsButton", QStringLiteral("Bullets"), QStringLiteral("Bullets|Enter bullet mode"));
    BulletsButton->setIcon(ParagraphIcon(TParagraphIcon::Bullets));
    ConnectGuarded(BulletsButton, &QAction::triggered, this, [this](bool down) { BulletsButtonClick(down); });
}

void TfrmEdit::CreateRuler() {
    Ruler = new TRulerPanel(this, Editor);
    Ruler->setObjectName(QStringLiteral("Ruler"));
    Ruler->setFixedHeight(RulerHeight);
    Ruler->installEventFilter(this);
    RulerLine = new QFrame(Ruler);
    RulerLine->setObjectName(QStringLiteral("RulerLine"));
    RulerLine->setFrameShape(QFrame::HLine);
    RulerLine->setFrameShadow(QFrame::Sunken);
    RulerLine->setGeometry(4, 12, 100, 2);
    FirstInd = new TRulerMarker(TRulerMarker::TKind::First, Ruler, this);
    LeftInd = new TRulerMarker(TRulerMarker::TKind::Left, Ruler, this);
    RightInd = new TRulerMarker(TRulerMarker::TKind::Right, Ruler, this);
    FirstInd->move(2, 2);
    LeftInd->move(2, 12);
    RightInd->move(Ruler->width() - 14, 12);
}

bool TfrmEdit::eventFilter(QObject* watched, QEvent* e) {
    // When the ruler resizes, RulerLine keeps its left margin on both sides
    // and RightInd keeps its distance from the right end (the first show
    // gives the ruler its width after the window's own resize).
    if (watched == Ruler && e->type() == QEvent::Resize) {
        RulerLine->resize(std::max(0, Ruler->width() - 2 * RulerLine->x()), RulerLine->height());
        PlaceRulerMarkers();
    }
    return QMainWindow::eventFilter(watched, e);
}

void TfrmEdit::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    Editor->SetTextInset(TextInset);
    RunGuarded([this] { SelectionChange(); });
}

// ---- File name, caption, status --------------------------------------------------------------

void TfrmEdit::ShowFileName() {
    setWindowTitle(QStringLiteral("%1 - %2").arg(FileNamePart(file_->FileName()), AppTitle));
}

void TfrmEdit::ShowCaretPosition() {
    const QTextCursor c = Editor->textCursor();
    const int start = c.selectionStart();
    const QTextBlock block = Editor->document()->findBlock(start);
    const int line = block.blockNumber();
    const int col = start - block.position();
    panels_[0]->setText(QString::asprintf("Line: %3d   Col: %3d", line + 1, col + 1));
}

void TfrmEdit::RichEditChange() {
    panels_[1]->setText(Editor->document()->isModified() ? QStringLiteral("Modified") : QString());
}

void TfrmEdit::ActionList2Update() {
    const bool selection = Editor->textCursor().hasSelection();
    EditCutCmd->setEnabled(selection);
    EditCopyCmd->setEnabled(selection);
    EditUndoCmd->setEnabled(Editor->document()->isUndoAvailable());
    EditPasteCmd->setEnabled(Editor->canPaste());
}

// ---- Refresh from the selection ----------------------------------------------------------------

void TfrmEdit::PlaceRulerMarkers() {
    if (dragging_) return;
    TNoteParagraph p;
    BlockIndents(Editor->textCursor().blockFormat(), p.firstIndent, p.leftIndent, p.rightIndent);
    const TRulerMarkers m = RulerMarkerLefts(RulerIndentsOf(p), Ruler->contentsRect().width());
    FirstInd->move(m.first, FirstInd->y());
    LeftInd->move(m.left, LeftInd->y());
    RightInd->move(m.right, RightInd->y());
}

void TfrmEdit::SelectionChange() {
    TFlagScope guard(updating_);
    const QTextCursor c = Editor->textCursor();
    PlaceRulerMarkers();
    const QTextCharFormat cf = Editor->currentCharFormat();
    const QFont font = cf.font().resolve(Editor->document()->defaultFont());
    BoldButton->setChecked(cf.fontWeight() >= QFont::DemiBold);
    ItalicButton->setChecked(cf.fontItalic());
    UnderlineButton->setChecked(cf.fontUnderline());
    BulletsButton->setChecked(c.currentList() != nullptr);
    const qreal size = cf.hasProperty(QTextFormat::FontPointSize) ? cf.fontPointSize()
                                                                  : Editor->document()->defaultFont().pointSizeF();
    FontSize->setText(QString::number(qRound(size)));
    const QString family = cf.fontFamilies().toStringList().value(0);
    FontName->setEditText(family.isEmpty() ? font.family() : family);
    const Qt::Alignment a = c.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
    (a & Qt::AlignHCenter ? CenterAlign : a & Qt::AlignRight ? RightAlign : LeftAlign)->setChecked(true);
    ShowCaretPosition();
}

// ---- Font and paragraph commands -------------------------------------------------------------

void TfrmEdit::ApplyToActiveAttributes(const QTextCharFormat& format) {
    // With a selection the selected text changes; without one the format of
    // the text typed next (the editor's default attributes) does.
    Editor->mergeCurrentCharFormat(format);
}

void TfrmEdit::FontNameChange(const QString& name) {
    if (updating_ || name.isEmpty()) return;
    QTextCharFormat f;
    f.setFontFamilies({name});
    ApplyToActiveAttributes(f);
}

void TfrmEdit::FontSizeChange() {
    if (updating_ || !FontSize->isModified()) return;
    FontSize->setModified(false);
    const QString text = FontSize->text();
    bool ok = false;
    const int size = text.trimmed().toInt(&ok);
    if (!ok) throw Error(QStringLiteral("'%1' is not a valid integer value").arg(text).toStdString());
    if (size <= 0) return; // no font has that size
    QTextCharFormat f;
    f.setFontPointSize(std::min(size, 1638));
    ApplyToActiveAttributes(f);
}

void TfrmEdit::BoldButtonClick(bool down) {
    if (updating_) return;
    QTextCharFormat f;
    f.setFontWeight(down ? QFont::Bold : QFont::Normal);
    ApplyToActiveAttributes(f);
}

void TfrmEdit::ItalicButtonClick(bool down) {
    if (updating_) return;
    QTextCharFormat f;
    f.setFontItalic(down);
    ApplyToActiveAttributes(f);
}

void TfrmEdit::UnderlineButtonClick(bool down) {
    if (updating_) return;
    QTextCharFormat f;
    f.setFontUnderline(down);
    ApplyToActiveAttributes(f);
}

void TfrmEdit::AlignButtonClick(QAction* button) {
    if (updating_) return;
    QTextCursor c = Editor->textCursor();
    QTextBlockFormat f;
    f.setAlignment(button == CenterAlign ? Qt::AlignHCenter : button == RightAlign ? Qt::AlignRight : Qt::AlignLeft);
    c.mergeBlockFormat(f);
}

void TfrmEdit::BulletsButtonClick(bool down) {
    if (updating_) return;
    QTextCursor c = Editor->textCursor();
    QTextBlock block = c.block();
    if (down == (block.textList() != nullptr)) return;
    c.beginEditBlock();
    if (down) {
        // A bullet right after a bulleted paragraph joins its list.
        QTextList* previous = block.previous().isValid() ? block.previous().textList() : nullptr;
        if (previous) {
            previous->add(block);
        } else {
            QTextListFormat lf;
            lf.setStyle(QTextListFormat::ListDisc);
            lf.setIndent(1);
            c.createList(lf);
        }
    } else {
        block.textList()->remove(block);
        QTextBlockFormat f = c.blockFormat();
        f.setIndent(0);
        c.setBlockFormat(f);
    }
    c.endEditBlock();
    SelectionChange();
}

void TfrmEdit::SelectFont() {
    const QTextCharFormat cf = Editor->currentCharFormat();
    const auto chosen = AppPrompts().GetFont(this, cf.font().resolve(Editor->document()->defaultFont()));
    if (chosen) {
        QTextCharFormat f;
        f.setFont(*chosen);
        ApplyToActiveAttributes(f);
    }
    SelectionChange();
    Editor->setFocus();
}

// ---- The ruler ---------------------------------------------------------------------------------

void TfrmEdit::RulerItemMouseDown(TRulerMarker* marker, int x) {
    dragOffset_ = marker->width() / 2;
    marker->move(marker->x() + x - dragOffset_, marker->y());
    dragging_ = true;
}

void TfrmEdit::RulerItemMouseMove(TRulerMarker* marker, int x) {
    if (dragging_) marker->move(marker->x() + x - dragOffset_, marker->y());
}

void TfrmEdit::RulerItemMouseUp(TRulerMarker* marker) {
    if (!dragging_) return;
    dragging_ = false;
    TNoteParagraph p;
    BlockIndents(Editor->textCursor().blockFormat(), p.firstIndent, p.leftIndent, p.rightIndent);
    TRulerIndents in = RulerIndentsOf(p);
    switch (marker->Kind()) {
    case TRulerMarker::TKind::First:
        in.first = RulerFirstIndentAt(FirstInd->x(), dragOffset_);
        [[fallthrough]]; // then as the release of LeftInd
    case TRulerMarker::TKind::Left: in.left = RulerLeftIndentAt(LeftInd->x(), dragOffset_, in.first); break;
    case TRulerMarker::TKind::Right:
        in.right = RulerRightIndentAt(RightInd->x(), dragOffset_, Ruler->contentsRect().width());
        break;
    }
    SetRulerIndents(p, in);
    QTextBlockFormat f;
    SetBlockIndents(f, p.firstIndent, p.leftIndent, p.rightIndent);
    Editor->textCursor().mergeBlockFormat(f);
    SelectionChange();
}

// ---- Files -------------------------------------------------------------------------------------

void TfrmEdit::FileNew() {
    file_->Clear();
    // Read-only belongs to the file that was opened so.
    Editor->setReadOnly(false);
    NoteToTextDocument(TNoteDocument{}, *Editor->document());
    Editor->setCurrentCharFormat(QTextCharFormat());
    Editor->document()->setModified(false);
    RichEditChange();
    SelectionChange();
}

void TfrmEdit::LoadDocument(const QString& path, int type, bool readOnly) {
    if (type < 0) type = PlainText() ? TextType : RtfType;
    // The file is read completely, and refused when the editor could not
    // lay it out, before the editor changes.
    const TNoteDocument note =
        LoadNoteFile(Native(path), type == TextType ? TNoteFileType::PlainText : TNoteFileType::Rtf);
    try {
        CheckNoteLayoutLimits(note);
    } catch (const Error& e) {
        throw Error("Cannot open \"" + Native(path) + "\": " + e.what());
    }
    Editor->setReadOnly(readOnly);
    ShowNote(note);
    Editor->moveCursor(QTextCursor::Start);
    file_->SetFileName(path, type, readOnly);
    Editor->setFocus();
    Editor->document()->setModified(false);
    RichEditChange();
    SelectionChange();
}

void TfrmEdit::FileOpen() {
    if (!QuerySaveChanges()) return;
    TFileDialogRequest r;
    r.Caption = QStringLiteral("Open");
    r.Directory = ProgramFolder();
    QStringList filters;
    for (const TDocumentFileType& t : file_->Types()) filters << t.Filter;
    r.Filter = filters.join(QStringLiteral(";;"));
    r.ShowReadOnly = true;
    const QString path = AppPrompts().GetOpenFileName(this, r);
    if (path.isEmpty()) return;
    // The file type the dialog was left with decides how the file reads
    // (the dialog starts with its first type, RTF).
    LoadDocument(path, std::max(0, FileTypeOfFilter(file_->Types(), r.ChosenFilter)), r.ReadOnlyChosen);
}

void TfrmEdit::WriteDocument(const QString& path, bool plainText) {
    TNoteDocument note = NoteFromTextDocument(*Editor->document());
    // Text in the editor's default font is written with that font's name
    // and size, as the user saw it.
    const QFont base = Editor->document()->defaultFont();
    for (auto& name : note.fonts)
        if (name.empty()) name = base.family().toStdString();
    for (auto& para : note.paragraphs)
        for (auto& run : para.runs)
            if (run.format.halfPoints == 0) run.format.halfPoints = qRound(base.pointSizeF() * 2);
    SaveNoteFile(Native(path), note, plainText ? TNoteFileType::PlainText : TNoteFileType::Rtf);
}

bool TfrmEdit::FileSave() { return file_->Save(); }

bool TfrmEdit::FileSaveAs() { return file_->SaveAs(); }

bool TfrmEdit::QuerySaveChanges() { return file_->QuerySave(); }

void TfrmEdit::FilePrint() {
    QPrinter printer(QPrinter::HighResolution);
    if (!AppPrompts().PrintDialog(this, printer)) return;
    PrintTo(printer);
}

void TfrmEdit::PrintTo(QPrinter& printer) {
    printer.setDocName(file_->FileName());
    Editor->document()->print(&printer);
}

void TfrmEdit::FileExit() { close(); }

void TfrmEdit::EditUndo() { Editor->undo(); }
void TfrmEdit::EditCut() { Editor->cut(); }
void TfrmEdit::EditCopy() { Editor->copy(); }
void TfrmEdit::EditPaste() { Editor->paste(); }

void TfrmEdit::DropFiles(const QStringList& paths) {
    if (paths.isEmpty() || !dropsAccepted_) return;
    if (!QuerySaveChanges()) return;
    LoadDocument(paths.first());
}

// ---- Window events -----------------------------------------------------------------------------

void TfrmEdit::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    ShowCaretPosition();
    dropsAccepted_ = true;
    setAcceptDrops(true);
    RichEditChange();
    Editor->setFocus();
    // Only a real show loads the start-up file: restoring a minimised window
    // keeps the text typed meanwhile.
    if (e->spontaneous()) return;
    if (!StartupFile.isEmpty() && QFileInfo(StartupFile).isFile())
        RunGuarded([this] { LoadDocument(StartupFile); });
}

// Files dropped on the toolbar, the ruler or the status bar; the editor
// hands its own to DropFiles.
void TfrmEdit::dragEnterEvent(QDragEnterEvent* e) {
    if (!LocalFiles(e->mimeData()).isEmpty()) e->acceptProposedAction();
}

void TfrmEdit::dropEvent(QDropEvent* e) {
    const QStringList paths = LocalFiles(e->mimeData());
    if (paths.isEmpty()) return;
    e->acceptProposedAction();
    RunGuarded([&] { DropFiles(paths); });
}

void TfrmEdit::closeEvent(QCloseEvent* e) {
    bool goOn = false;
    RunGuarded([&] { goOn = QuerySaveChanges(); });
    if (!goOn) {
        e->ignore();
        return;
    }
    e->accept();
    QMainWindow::closeEvent(e);
    RunGuarded([this] { FileNew(); });
}

} // namespace ivra
