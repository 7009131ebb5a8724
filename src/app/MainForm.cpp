// The main window's frame: menus, toolbars, status bar, messages pane,
// floating panels, the Window and Help menus and the hint handler.

#include "app/MainForm.h"

#include "app/AboutBox.h"
#include "imagewin/ImageCommands.h"
#include "services/AppInfo.h"
#include "services/Busy.h"
#include "services/ColorPanel.h"
#include "services/CommandGuard.h"
#include "app/HelpWindow.h"
#include "services/Hints.h"
#include "services/Icons.h"
#include "app/NewImageUnit.h"
#include "services/Prompts.h"
#include "services/UpDown.h"
#include "imagewin/ChildWin.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace ivra {

QRect TMainForm::ScreenRect() {
    if (QScreen* s = QGuiApplication::primaryScreen()) return s->geometry();
    return QRect(0, 0, 1920, 1080);
}

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent), commands_(new TCommandRegistry(this)) {
    SetAppShell(this);
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(AppTitle);
    setWindowIcon(AppIcon(QStringLiteral("app")));
    resize(991, 693);
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowNestedDocks);

    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName(QStringLiteral("MdiArea"));
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setBackground(QApplication::palette().brush(QPalette::Dark));
    // Closing a window activates the one used before it.
    mdiArea_->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    setCentralWidget(mdiArea_);
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, &TMainForm::SubWindowActivated);

    // The help pages and the sample pictures stand beside the program.
    helpFolder_ = ProgramDataFolder() + QStringLiteral("/help");
    OpenDir = ProgramDataFolder() + QStringLiteral("/images");
    setWindowState(windowState() | Qt::WindowMaximized);

    CreateToolBars();
    CreateStatusBar();
    CreateMessagesPane();
    CreatePanels();
    // A tool registered shows its button as a registered command does.
    tools_.SetChangedHandler([this] { commands_->MarkChanged(); });
    commands_->Batch([this] {
        RegisterCommands();
        InstallImageWindowCommands(*this);
    });
    // Commands registered from now on (by the subsystems at start-up, in
    // one batch) show once the batch is over.
    connect(commands_, &TCommandRegistry::Changed, this, &TMainForm::RebuildMenusAndBars);
    RebuildMenusAndBars();

    // The drawing state follows the pen panel.
    drawing_.PenWidth = StrToIntDef(edWidth->text(), 1);
    drawing_.ForeColor = FromQColor(pnlForeColor->Color());
    drawing_.BackColor = FromQColor(pnlBackColor->Color());

    // The messages pane floats near the right edge of the screen.
    const QRect screen = ScreenRect();
    tbMessages->setFloating(true);
    tbMessages->setGeometry(QRect(screen.x() + screen.width() - 150, screen.y() + 150, 125, 215));

    AppOnIdle();
    SetErrorBoxParent(this);
}

TMainForm::~TMainForm() {
    // The image windows go first: they still talk to the main window.
    if (mdiArea_) {
        disconnect(mdiArea_, nullptr, this, nullptr);
        for (QMdiSubWindow* w : mdiArea_->subWindowList()) delete w;
    }
    // So do the tool windows, before the objects they share with the image
    // windows (RunObjects) are freed with the members.
    toolWindows_.DeleteAll();
    if (appHandlersInstalled_) qApp->removeEventFilter(this);
    disconnect(commands_, nullptr, this, nullptr);
    if (AppShell() == this) SetAppShell(nullptr);
}

// ---- Building the window --------------------------------------------------------

void TMainForm::RegisterCommands() {
    TCommandRegistry& c = *commands_;
    c.AddMenu({MenuIds::File, QStringLiteral("&File"), {}, 10});
    c.AddMenu({MenuIds::View, QStringLiteral("&View"), {}, 20});
    c.AddMenu({MenuIds::Tools, QStringLiteral("&Tools"), {}, 30});
    c.AddMenu({MenuIds::Window, QStringLiteral("&Window"), {}, 70});
    c.AddMenu({MenuIds::Help, QStringLiteral("&Help"), {}, 90});

    auto active = [this] { return ActiveImageWindow() != nullptr; };
    struct TItem {
        const char* Id;
        const char* Caption;
        const char* Hint;
        const char* Icon;
        QKeySequence Shortcut;
        TMenuId Menu;
        int Order;
        bool Separator;
        const char* Toolbar;
        int ToolbarOrder;
        std::function<bool()> Enabled;
        std::function<void()> Run;
    };
    const TItem items[] = {
        {"FileNewItem", "&New", "New|Create a new file", "new", QKeySequence(Qt::CTRL | Qt::Key_N), MenuIds::File, 10,
         false, "tbFile", 10, nullptr, [this] { FileNewItemClick(); }},
        {"FileOpenItem", "&Open", "Open|Open a file", "open", QKeySequence(Qt::CTRL | Qt::Key_O), MenuIds::File, 20, false,
         "tbFile", 20, nullptr, [this] { FileOpenItemClick(); }},
        {"FileCloseItem", "&Close", "Close|Close current file", "", {}, MenuIds::File, 30, false, "", 0, nullptr,
         [this] { FileCloseItemClick(); }},
        {"FileSaveItem", "&Save", "Save|Save current file", "save", QKeySequence(Qt::CTRL | Qt::Key_S), MenuIds::File, 40,
         false, "tbFile", 30, active, [this] { FileSaveItemClick(); }},
        {"FileSaveAsItem", "Save &As...", "Save As|Save current file with different name", "", {}, MenuIds::File, 50,
         false, "", 0, active, [this] { FileSaveAsItemClick(); }},
        {"FileExitItem", "E&xit", "Exit|Exit application", "", {}, MenuIds::File, 90, true, "", 0, nullptr,
         [this] { FileExitItemClick(); }},
        {"btnClearDrawing", "Clear Drawing", "Clear Drawing|Clears user drawing layer.", "cleardrawing", {}, {}, 0,
         false, "tbLayers", 30, active, [this] { btnClearDrawingClick(); }},
        {"HelpContentsItem", "&Contents", "", "", {}, MenuIds::Help, 10, false, "", 0, nullptr,
         [this] { HelpContentsItemClick(); }},
        {"HelpLessonsItem", "&Lessons", "", "", {}, MenuIds::Help, 20, false, "", 0, nullptr,
         [this] { HelpLessonsItemClick(); }},
        {"HelpAboutItem", "&About...", "", "", {}, MenuIds::Help, 30, true, "", 0, nullptr, [this] { HelpAboutItemClick(); }},
    };
    for (const TItem& i : items) {
        TCommandSpec command;
        command.Id = QLatin1String(i.Id);
        command.Caption = QLatin1String(i.Caption);
        command.Hint = QLatin1String(i.Hint);
        command.Icon = QLatin1String(i.Icon);
        command.Shortcut = i.Shortcut;
        command.Menu = i.Menu;
        command.MenuOrder = i.Order;
        command.SeparatorBefore = i.Separator;
        command.Toolbar = QLatin1String(i.Toolbar);
        command.ToolbarOrder = i.ToolbarOrder;
        command.Enabled = i.Enabled;
        command.Run = i.Run;
        c.Add(std::move(command));
    }

    // The View toggles: each item flips its own tick, then its bar follows it.
    AddViewToggle("ViewToolbarItem", QStringLiteral("Toolbar"), tbTools, 10);
    AddViewToggle("ViewScaleBarItem", QStringLiteral("Scale bar"), tbZoom, 20);
    AddViewToggle("ViewSpecialsItem", QStringLiteral("Specials"), tbSpecials, 30);
    AddViewToggle("ViewLayersBarItem", QStringLiteral("Layers bar"), tbLayers, 40);
    AddViewToggle("ViewFileBarItem", QStringLiteral("File bar"), tbFile, 50);
    AddViewToggle("ViewPenBarItem", QStringLiteral("Color+Pen bar"), tbPen, 60);
    AddViewToggle("ViewMessagesItem", QStringLiteral("Messages"), tbMessages, 70);
    RegisterWindowMenu();
}

void TMainForm::AddViewToggle(const char* id, const QString& text, QWidget* bar, int order) {
    TCommandSpec command;
    command.Id = QLatin1String(id);
    command.Caption = text;
    command.Menu = MenuIds::View;
    command.MenuOrder = order;
    command.Checkable = true;
    command.Checked = true;
    command.Run = [this, id = command.Id, bar] { bar->setVisible(Command(id)->isChecked()); };
    commands_->Add(std::move(command));
}

void TMainForm::CreateToolBars() {
    auto makeBar = [this](const QString& caption, const char* name) {
        auto* tb = new QToolBar(caption, this);
        tb->setObjectName(QLatin1String(name));
        tb->setMovable(true);
        tb->setFloatable(true);
        tb->setIconSize(QSize(20, 20));
        return tb;
    };
    tbFile = makeBar(QStringLiteral("File/Edit"), "tbFile");

    tbSpecials = makeBar(QStringLiteral("Specials"), "tbSpecials");

    tbZoom = makeBar(QStringLiteral("Zoom"), "tbZoom");
    ImageInterpolate = new QCheckBox(QStringLiteral("Interpol."), tbZoom);
    ImageInterpolate->setObjectName(QStringLiteral("ImageInterpolate"));
    SetHint(ImageInterpolate,
            QStringLiteral("Image interpolate switch|Interpolates values between two pixels at great magnifications."));
    ScaleCombo = new QComboBox(tbZoom);
    ScaleCombo->setObjectName(QStringLiteral("ScaleCombo"));
    ScaleCombo->setEditable(true);
    ScaleCombo->setInsertPolicy(QComboBox::NoInsert);
    ScaleCombo->setMaxVisibleItems(9);
    ScaleCombo->addItems({"10%", "25%", "50%", "60%", "100%", "150%", "200%", "400%", "800%", "1600%", "3200%"});
    ScaleCombo->setEditText(QStringLiteral("100%"));
    ScaleCombo->setMinimumContentsLength(6);
    SetHint(ScaleCombo, QStringLiteral("Zoom-factor"));
    tbZoom->addWidget(ImageInterpolate);
    tbZoom->addWidget(ScaleCombo);
    ConnectGuarded(ImageInterpolate, &QCheckBox::clicked, this, [this](bool) { ImageInterpolateClick(); });
    // Only the user's edits and list choices count, not text set by the program.
    ConnectGuarded(ScaleCombo->lineEdit(), &QLineEdit::textEdited, this,
                   [this](const QString& t) { ScaleComboChange(t); });
    ConnectGuarded(ScaleCombo, &QComboBox::textActivated, this, [this](const QString& t) { ScaleComboChange(t); });
    // Enter ends typing a zoom: the keyboard goes back to the image window,
    // so that its shortcuts (Paste, Undo ...) work again.
    connect(ScaleCombo->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        if (TMDIChild* w = ActiveImageWindow()) w->ImgView->setFocus(Qt::OtherFocusReason);
    });

    tbLayers = makeBar(QStringLiteral("Layers"), "tbLayers");

    tbPen = makeBar(QStringLiteral("Pen"), "tbPen");
    tbPen->addWidget(CreatePenPanel());

    tbTools = makeBar(QStringLiteral("Tools"), "tbTools");
    tbTools->addWidget(CreateToolButtons());

    // Two rows: File/Edit, Layers, Pen and Tools; then Specials and Zoom.
    addToolBar(Qt::TopToolBarArea, tbFile);
    addToolBar(Qt::TopToolBarArea, tbLayers);
    addToolBar(Qt::TopToolBarArea, tbPen);
    addToolBar(Qt::TopToolBarArea, tbTools);
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, tbSpecials);
    addToolBar(Qt::TopToolBarArea, tbZoom);

    // Disabled until an image window is active (the idle handler).
    tbTools->setEnabled(false);
    tbZoom->setEnabled(false);

}

void TMainForm::CreateStatusBar() {
    QStatusBar* sb = statusBar();
    sb->setObjectName(QStringLiteral("StatusBar1"));
    sb->setSizeGripEnabled(true);
    const int widths[3] = {120, 240, 0};
    for (int i = 0; i < 3; ++i) {
        auto* l = new QLabel(sb);
        l->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setIndent(3);
        if (i == 0) {
            // The pointer position; over an image of a 16-bit file also its
            // 16-bit value, which may need more room.
            l->setMinimumWidth(widths[i]);
            sb->addWidget(l, 0);
        } else if (widths[i] > 0) {
            l->setFixedWidth(widths[i]);
            sb->addWidget(l, 0);
        } else {
            l->setMinimumWidth(10);
            sb->addWidget(l, 1);
        }
        statusPanels_[i] = l;
    }
}

void TMainForm::CreateMessagesPane() {
    tbMessages = new QDockWidget(QStringLiteral("Messages"), this);
    tbMessages->setObjectName(QStringLiteral("tbMessages"));
    // Hidden and shown again through View > Messages.
    tbMessages->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    memo1 = new QPlainTextEdit(tbMessages);
    memo1->setObjectName(QStringLiteral("memo1"));
    memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    SetHint(memo1, QStringLiteral("Messages window|Select View->Messages if you want to hide it."));
    tbMessages->setWidget(memo1);
    addDockWidget(Qt::RightDockWidgetArea, tbMessages);
}

QMenu* TMainForm::createPopupMenu() {
    // The bars' context menu offers the View toggles, so that the ticks stay true.
    auto* m = new QMenu(this);
    m->addActions(Menu(MenuIds::View.Name())->actions());
    return m;
}

void TMainForm::RebuildMenusAndBars() {
    QMenuBar* bar = menuBar();
    bar->clear();
    const std::vector<TMenuSpec> menuList = commands_->Menus();
    for (const TMenuSpec& m : menuList) {
        QMenu*& menu = menus_[m.Id.Name()];
        if (!menu) {
            menu = new QMenu(m.Caption, this);
            menu->setObjectName(QStringLiteral("mn") + m.Id.Name());
            if (m.Id == MenuIds::Window) connect(menu, &QMenu::aboutToShow, this, &TMainForm::UpdateWindowMenu);
        }
        menu->clear();
    }
    windowListActions_.clear();
    // Each menu's items and submenus, by order.
    for (const TMenuSpec& m : menuList) {
        QMenu* menu = menus_[m.Id.Name()];
        std::vector<std::pair<int, QAction*>> entries;
        for (QAction* a : commands_->MenuActions(m.Id)) entries.emplace_back(commands_->Description(a->objectName())->MenuOrder, a);
        for (const TMenuSpec& child : menuList)
            if (child.Parent == m.Id) entries.emplace_back(child.Order, menus_[child.Id.Name()]->menuAction());
        std::stable_sort(entries.begin(), entries.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [order, a] : entries) {
            if (commands_->SeparatorBefore(a, false) && !menu->actions().isEmpty()) menu->addSeparator();
            menu->addAction(a);
        }
        if (m.Parent.IsNone()) bar->addAction(menu->menuAction());
    }
    // A bar whose commands are the same as before keeps its buttons.
    for (QToolBar* tb : {tbFile, tbSpecials, tbLayers}) {
        const std::vector<QAction*> wanted = commands_->ToolbarActions(tb->objectName());
        std::vector<QAction*>& shown = toolbarActions_[tb->objectName()];
        if (wanted == shown) continue;
        shown = wanted;
        tb->clear();
        for (QAction* a : wanted) {
            if (commands_->SeparatorBefore(a, true) && !tb->actions().isEmpty()) tb->addSeparator();
            tb->addAction(a);
            commands_->AttachButton(a, tb->widgetForAction(a));
        }
    }
    AddToolButtons();
    RefreshMenusAndBars();
}

void TMainForm::RefreshMenusAndBars() {
    const bool imageActive = ActiveImageWindow() != nullptr;
    // Submenus first, so that a menu sees whether its submenus show.
    std::vector<TMenuSpec> menus = commands_->Menus();
    auto depth = [&menus](const TMenuSpec& m) {
        int d = 0;
        for (TMenuId parent = m.Parent; !parent.IsNone() && d < 16; ++d) {
            const auto it = std::find_if(menus.begin(), menus.end(), [&](const TMenuSpec& p) { return p.Id == parent; });
            parent = it == menus.end() ? TMenuId() : it->Parent;
        }
        return d;
    };
    std::stable_sort(menus.begin(), menus.end(), [&](const TMenuSpec& a, const TMenuSpec& b) { return depth(a) > depth(b); });
    for (const TMenuSpec& m : menus) {
        QMenu* menu = menus_.value(m.Id.Name());
        if (!menu) continue;
        const auto acts = menu->actions();
        const bool any = std::any_of(acts.begin(), acts.end(),
                                     [](QAction* a) { return a->isVisible() && !a->isSeparator(); });
        menu->menuAction()->setVisible(any && (!m.ImageWindowMenu || imageActive));
    }
    // An optional bar with nothing on it stays hidden, and so does its toggle.
    QAction* specials = Command(QStringLiteral("ViewSpecialsItem"));
    const bool hasSpecials = !tbSpecials->actions().isEmpty();
    specials->setVisible(hasSpecials);
    tbSpecials->setVisible(hasSpecials && specials->isChecked());
}

// ---- Image windows ----------------------------------------------------------------

TMDIChild* TMainForm::ActiveImageWindow() const {
    return qobject_cast<TMDIChild*>(mdiArea_->currentSubWindow());
}

QList<TMDIChild*> TMainForm::ImageWindows() const {
    QList<TMDIChild*> list;
    for (QMdiSubWindow* w : mdiArea_->subWindowList(QMdiArea::CreationOrder))
        if (auto* c = qobject_cast<TMDIChild*>(w)) list << c;
    return list;
}

TMDIChild* TMainForm::NewImageWindow(const QString& caption) {
    // A cascade: each new window a title bar's height below and right of the
    // one made before it, back at the corner when that lies too far down or
    // right to leave the window room.
    QPoint place(0, 0);
    const QList<TMDIChild*> before = ImageWindows();
    auto* w = new TMDIChild(*this);
    w->QuerySave = [this, w] { return QuerySaveImage(*w); };
    for (const auto& handler : windowHandlers_) handler(*w);
    mdiArea_->addSubWindow(w);
    w->setWindowTitle(caption);
    if (!before.isEmpty()) {
        const int step = std::max(w->FrameSize().height(), style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, w));
        place = before.last()->pos() + QPoint(step, step);
        const QSize room = mdiArea_->viewport()->size();
        const QSize least = w->minimumSizeHint().expandedTo(QSize(4 * step, 4 * step));
        if (place.x() + least.width() > room.width() || place.y() + least.height() > room.height()) place = {0, 0};
    }
    w->move(place);
    w->show();
    mdiArea_->setActiveSubWindow(w);
    return w;
}

TMDIChild* TMainForm::CreateImageWindow(const QString& name) {
    TMDIChild* w = NewImageWindow(name);
    // Anything of that name is read, so that a folder, device or FIFO gets
    // a clear error instead of an empty window.
    if (!name.isEmpty() && QFileInfo::exists(name)) w->LoadImage(name);
    return w;
}

void TMainForm::SubWindowActivated(QMdiSubWindow*) { RefreshMenusAndBars(); }

// ---- Status bar, hints and messages -----------------------------------------------------

void TMainForm::SetStatusText(int panel, const QString& text) {
    if (panel < 0 || panel >= 3) return;
    QLabel* l = statusPanels_[panel];
    l->setText(text);
    // The fixed panels widen for a longer readout (a large ellipse's "Area=")
    // and keep that width, so that the panels do not jump at every move.
    if (panel < 2) {
        const QMargins m = l->contentsMargins();
        const int need = l->fontMetrics().horizontalAdvance(text) + m.left() + m.right() +
                         2 * (l->frameWidth() + l->indent() + l->margin()) + 2;
        if (need > l->minimumWidth()) l->setFixedWidth(need);
    }
}

QString TMainForm::StatusText(int panel) const {
    return (panel >= 0 && panel < 3) ? statusPanels_[panel]->text() : QString();
}

void TMainForm::ShowHint(const QString& hint) { statusPanels_[2]->setText(LongHint(hint)); }

void TMainForm::AddMessage(const QString& line) { memo1->appendPlainText(line); }

bool TMainForm::DrawSwitchOn() const { return cbDraw && cbDraw->isChecked(); }

void TMainForm::closeEvent(QCloseEvent* e) {
    // Not while a file is being read or written. The windows with unsaved
    // work ask first, while everything is still on screen; a Cancel keeps
    // the program as it was.
    if (IsBusy()) {
        e->ignore();
        return;
    }
    // The modified images first, in the order they were made.
    for (TMDIChild* w : ImageWindows()) {
        bool goOn = false;
        RunGuarded([&] { goOn = QuerySaveImage(*w); });
        if (!goOn) {
            e->ignore();
            return;
        }
    }
    for (const auto& query : closeQueries_) {
        bool goOn = false;
        RunGuarded([&] { goOn = query(); });
        if (!goOn) {
            e->ignore();
            return;
        }
    }
    QMainWindow::closeEvent(e);
}

bool TMainForm::event(QEvent* e) {
    // Hints go to status panel 2, never over the panels as a status message.
    if (e->type() == QEvent::StatusTip) {
        ShowHint(static_cast<QStatusTipEvent*>(e)->tip());
        return true;
    }
    return QMainWindow::event(e);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* e) {
    switch (e->type()) {
    case QEvent::StatusTip:
        // The application's hints, also from the floating windows.
        if (watched != this) ShowHint(static_cast<QStatusTipEvent*>(e)->tip());
        break;
    case QEvent::MouseButtonDblClick:
        if (watched == imgChange) {
            RunGuarded([this] { imgChangeDblClick(); });
            return true;
        }
        break;
    case QEvent::FocusOut:
        if (watched == edWidth) RunGuarded([this] { edWidthExit(); });
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, e);
}

void TMainForm::InstallAppHandlers() {
    if (appHandlersInstalled_) return;
    appHandlersInstalled_ = true;
    if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance())
        connect(d, &QAbstractEventDispatcher::aboutToBlock, this, [this] { RunGuarded([this] { AppOnIdle(); }); });
    qApp->installEventFilter(this);
}

// ---- Help -------------------------------------------------------------------------------

THelpWindow& TMainForm::HelpWindow() {
    if (!helpWindow_) helpWindow_ = new THelpWindow(helpFolder_, this);
    return *helpWindow_;
}

void TMainForm::HelpContentsItemClick() { HelpWindow().ShowTopic(QStringLiteral("MAIN")); }

void TMainForm::HelpLessonsItemClick() { HelpWindow().ShowTopic(QStringLiteral("IDH_Lesson1")); }

TAboutBoxFrm& TMainForm::AboutDialog() {
    if (!AboutBox) AboutBox = new TAboutBoxFrm(this);
    return *AboutBox;
}

void TMainForm::HelpAboutItemClick() { AppPrompts().ExecDialog(AboutDialog()); }

TNewImageForm& TMainForm::NewImageDialog() {
    if (!NewImageForm) NewImageForm = new TNewImageForm(this);
    return *NewImageForm;
}

void TMainForm::FileExitItemClick() { close(); }

} // namespace ivra
