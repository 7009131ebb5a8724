#pragma once
// TMainForm: the main window, an MDI frame and the program's shell. It holds
// the menu bar and the command toolbars, which it builds from the command
// registry, the pen and tool bars, the zoom bar, the status bar, the
// messages pane and the two floating panel windows; it owns the drawing
// state, the command and tool registries, and runs the idle handler that
// enables the commands. The windows below it reach it only through TShell.

#include "services/Commands.h"
#include "services/DrawingState.h"
#include "services/Shell.h"
#include "services/Tools.h"

#include <QList>
#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QDockWidget;
class QGridLayout;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPlainTextEdit;
class QRect;
class QToolBar;
class QToolButton;

namespace ivra {

class TAboutBoxFrm;
class TColorPanel;
class THelpWindow;
class TMDIChild;
class TNewImageForm;
class TUpDown;

class TMainForm : public QMainWindow, public TShell {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // ---- Image windows -----------------------------------------------------
    QMdiArea* MdiArea() const { return mdiArea_; }
    // The active (current) MDI child if it is an image window, else none.
    TMDIChild* ActiveImageWindow() const override;
    // Every image window, in creation order.
    QList<TMDIChild*> ImageWindows() const override;
    // A new image window captioned name; when a file of that name exists it
    // is loaded (a load error reaches the caller, the window stays).
    TMDIChild* CreateImageWindow(const QString& name);
    // A new, visible and active image window with that caption, no image
    // loaded.
    TMDIChild* NewImageWindow(const QString& caption) override;

    // ---- Tool modes and drawing settings -------------------------------------
    // Releases every tool button; unless n is the current tool, the handler
    // of the tool in force is cancelled, ToolState := 0 and CurrentTool := n.
    void SetMode(std::uint32_t n) override;
    // The tool button of a tool number (none for an unused number).
    QToolButton* ToolButton(std::uint32_t n) const;

    // ---- Zoom combo ----------------------------------------------------------
    // Shows a scale as its percentage ("250%") in the zoom combo.
    void ShowZoom(float scale) override;
    // round(scale * 100) followed by "%".
    static QString ZoomText(float scale);
    // The number in a zoom text: "%" and blanks removed; nothing left gives
    // no value, anything but an integer -1.
    static std::optional<int> ParseZoomText(const QString& text);

    // ---- Idle handler ---------------------------------------------------------
    // Enables the commands by the active image window.
    void AppOnIdle();
    void AddIdleHandler(std::function<void()> handler) override;
    void AddImageWindowHandler(std::function<void(TMDIChild&)> handler) override {
        windowHandlers_.push_back(std::move(handler));
    }
    // Makes AppOnIdle run whenever the event queue becomes empty, and routes
    // every hint of the application to status panel 2.
    void InstallAppHandlers();

    // ---- Shell -----------------------------------------------------------------
    QWidget* Window() override { return this; }
    TDrawingState& Drawing() override { return drawing_; }
    bool DrawSwitchOn() const override;
    void SetForeColor(const QColor& c) override;
    TCommandRegistry& Commands() override { return *commands_; }
    TToolRegistry& Tools() override { return tools_; }
    TToolWindowRegistry& ToolWindows() override { return toolWindows_; }
    TRunObjects& RunObjects() override { return runObjects_; }
    void ShowAbout() override { HelpAboutItemClick(); }
    void AddCloseQuery(std::function<bool()> query) override { closeQueries_.push_back(std::move(query)); }
    // A registered command's action, none for an unknown id.
    QAction* Command(const QString& id) const { return commands_->Action(id); }
    // A registered menu, none for an unknown id ("File", "Tools", "Edit" ...).
    QMenu* Menu(const QString& id) const { return menus_.value(id); }

    // ---- Status bar and messages ----------------------------------------------
    QLabel* StatusPanel(int index) const { return statusPanels_[index]; }
    void SetStatusText(int panel, const QString& text) override;
    QString StatusText(int panel) const override;
    // Appends a line to the messages pane.
    void AddMessage(const QString& line) override;

    // ---- Dialogs ------------------------------------------------------------------
    // Single-instance dialogs, made at start-up (or on first use).
    TNewImageForm& NewImageDialog();
    TAboutBoxFrm& AboutDialog();
    // The folder the help window reads its pages from when it first opens
    // (at start the "help" folder beside the program).
    void SetHelpFolder(const QString& folder) { helpFolder_ = folder; }

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    QMenu* createPopupMenu() override;

private:
    // ---- Building the window (MainForm.cpp, MainTools.cpp, MainPanels.cpp) ----
    void RegisterCommands();
    void CreateToolBars();
    QWidget* CreatePenPanel();
    QWidget* CreateToolButtons();
    // Buttons on the Tools bar for the registered tools that have none yet.
    void AddToolButtons();
    void CreateStatusBar();
    void CreateMessagesPane();
    // The floating " Bitmap Layer" and " Magnifier" windows, handed to the
    // image windows through the shell's run objects.
    void CreatePanels();
    void AddViewToggle(const char* id, const QString& text, QWidget* bar, int order);
    // Builds the menu bar and the command toolbars from the command registry
    // (again after each batch of registrations; a toolbar whose commands did
    // not change keeps its buttons), then shows each menu only while it has a
    // visible item (the image window's menus only while one is active) and
    // an optional bar (and its View item) only while it holds something.
    void RebuildMenusAndBars();
    void RefreshMenusAndBars();
    // The primary screen's area.
    static QRect ScreenRect();
    void SubWindowActivated(QMdiSubWindow* w);
    // The hint handler: status panel 2 shows the long part of a hint.
    void ShowHint(const QString& hint);

    // ---- Tools bar, pen panel and zoom bar (MainTools.cpp) ----------------------
    // A tool button's click: SetMode, then the button shows pressed.
    void ToolButtonClick(std::uint32_t n);
    void pnlForeColorDblClick();
    void pnlBackColorDblClick();
    void imgChangeDblClick();
    void UpDownClick();
    void edWidthExit();
    void SetBackColor(const QColor& c);
    // "Interpol.": linear or nearest stretching of the active image.
    void ImageInterpolateClick();
    // A user's edit or list choice in the zoom combo.
    void ScaleComboChange(const QString& text);
    void btnClearDrawingClick();

    // ---- File and Help commands (MainFile.cpp, MainForm.cpp) --------------------
    void FileNewItemClick();
    void FileOpenItemClick();
    void FileCloseItemClick();
    void FileSaveItemClick();
    void FileSaveAsItemClick();
    void FileExitItemClick();
    // Saves W's image to W's ImageName in the format of its extension.
    void SaveImage(TMDIChild& w);
    void SaveImageAs(TMDIChild& w);
    // "Save changes to %s?" for a modified image window; false on Cancel.
    bool QuerySaveImage(TMDIChild& w);
    THelpWindow& HelpWindow();
    void HelpContentsItemClick();
    void HelpLessonsItemClick();
    void HelpAboutItemClick();

    // ---- The Window menu (WindowMenu.cpp) ---------------------------------------
    void RegisterWindowMenu();
    void Cascade();
    void TileHorizontally();
    void TileVertically();
    void MinimizeAll();
    void ArrangeAll();
    // Rebuilds the list of image windows at the end of the Window menu.
    void UpdateWindowMenu();

    // ---- Controls ----------------------------------------------------------------
    QToolBar* tbFile = nullptr;
    QToolBar* tbSpecials = nullptr;
    QToolBar* tbZoom = nullptr;
    QToolBar* tbLayers = nullptr;
    QToolBar* tbPen = nullptr;
    QToolBar* tbTools = nullptr;
    QDockWidget* tbMessages = nullptr;
    QPlainTextEdit* memo1 = nullptr;
    QComboBox* ScaleCombo = nullptr;
    QCheckBox* ImageInterpolate = nullptr;
    TColorPanel* pnlForeColor = nullptr;
    TColorPanel* pnlBackColor = nullptr;
    QLabel* imgChange = nullptr;
    QLineEdit* edWidth = nullptr;
    TUpDown* UpDown1 = nullptr;
    QCheckBox* cbDraw = nullptr;
    QMdiArea* mdiArea_ = nullptr;
    QLabel* statusPanels_[3] = {nullptr, nullptr, nullptr};
    std::vector<std::pair<std::uint32_t, QToolButton*>> toolButtons_;
    QGridLayout* toolGrid_ = nullptr;
    QMap<QString, QMenu*> menus_;
    // The commands each command toolbar shows, by the bar's object name.
    std::map<QString, std::vector<QAction*>> toolbarActions_;
    QList<QAction*> windowListActions_;
    TNewImageForm* NewImageForm = nullptr;
    TAboutBoxFrm* AboutBox = nullptr;
    QPointer<THelpWindow> helpWindow_;

    // ---- State -------------------------------------------------------------------
    // The folder of the help pages.
    QString helpFolder_;
    // The folder the open dialog starts in.
    QString OpenDir;
    std::vector<std::function<void()>> idleHandlers_;
    std::vector<std::function<void(TMDIChild&)>> windowHandlers_;
    std::vector<std::function<bool()>> closeQueries_;
    TDrawingState drawing_;
    TCommandRegistry* commands_ = nullptr;
    TToolRegistry tools_;
    TToolWindowRegistry toolWindows_;
    TRunObjects runObjects_;
    bool inIdle_ = false;
    bool appHandlersInstalled_ = false;
};


} // namespace ivra
