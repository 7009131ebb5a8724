#pragma once
// TMainForm: the main window, an MDI frame. It holds the menus, the six
// toolbars, the status bar, the messages pane and the two floating panel
// windows, owns the program-wide drawing state (DrawingState.h), and runs the
// idle handler that enables the commands.
//
// Hooks for the windows and commands built on top of it:
// - menus and bars: mnTools, tbSpecials, tbFile, tbLayers, the image
//   window's merged menus; after adding actions call RefreshMenusAndBars(),
//   which shows a menu or optional bar only while it has something in it;
// - AddIdleHandler: code run by AppOnIdle for the active image window (or
//   none), before the Save items follow the Save button;
// - SetToolRouter: the routing of presses and moves in the image windows.

#include "app/ToolRouter.h"
#include "core/raster/Color32.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QDockWidget;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QToolBar;
class QToolButton;

namespace ivra {

class TAboutBoxFrm;
class TColorPanel;
class TGaugeBar;
class THelpWindow;
class TMDIChild;
class TNewImageForm;
class TUpDown;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // ---- Image windows -----------------------------------------------------
    QMdiArea* MdiArea() const { return mdiArea_; }
    // The active (current) MDI child if it is an image window, else none.
    TMDIChild* ActiveImageWindow() const;
    // Every image window, in creation order.
    QList<TMDIChild*> ImageWindows() const;
    // A new image window captioned name; when a file of that name exists it
    // is loaded (a load error reaches the caller, the window stays).
    TMDIChild* CreateImageWindow(const QString& name);
    // A new, visible and active image window with that caption, no image
    // loaded.
    TMDIChild* NewImageWindow(const QString& caption);

    // ---- Tool modes and drawing settings -------------------------------------
    // Releases every tool button; unless n is the current tool, ToolState := 0
    // and CurrentTool := n.
    void SetMode(std::uint32_t n);
    // The tool button of a tool number (none for an unused number).
    QToolButton* ToolButton(std::uint32_t n) const;
    // A tool button's click: SetMode, then the button shows pressed.
    void ToolButtonClick(std::uint32_t n);
    // Pen panel.
    void pnlForeColorDblClick();
    void pnlBackColorDblClick();
    void imgChangeDblClick();
    void UpDownClick();
    void edWidthExit();
    // "Interpol.": linear or nearest stretching of the active image.
    void ImageInterpolateClick();

    // ---- Zoom combo ----------------------------------------------------------
    // A user's edit or list choice in the zoom combo.
    void ScaleComboChange(const QString& text);
    // Shows a scale as its percentage ("250%") in the zoom combo.
    void ShowZoom(float scale);
    // round(scale * 100) followed by "%".
    static QString ZoomText(float scale);
    // The number in a zoom text: "%" and blanks removed; nothing left gives
    // no value, anything but an integer -1.
    static std::optional<int> ParseZoomText(const QString& text);

    // ---- Idle handler ---------------------------------------------------------
    // Enables the commands by the active image window.
    void AppOnIdle();
    void AddIdleHandler(std::function<void(TMDIChild* active)> handler);
    // Makes AppOnIdle run whenever the event queue becomes empty, and routes
    // every hint of the application to status panel 2.
    void InstallAppHandlers();

    // ---- Tool routing ---------------------------------------------------------
    TToolRouter& ToolRouter() { return *toolRouter_; }
    void SetToolRouter(std::unique_ptr<TToolRouter> router);

    // ---- Status bar and messages ----------------------------------------------
    QLabel* StatusPanel(int index) const { return statusPanels_[index]; }
    void SetStatusText(int panel, const QString& text);
    QString StatusText(int panel) const;
    // The hint handler: status panel 2 shows the long part of a hint.
    void ShowHint(const QString& hint);
    // Appends a line to the messages pane.
    void AddMessage(const QString& line);

    // ---- Commands ---------------------------------------------------------------
    void FileNewItemClick();
    void FileOpenItemClick();
    void FileCloseItemClick();
    void FileSaveItemClick();
    void FileSaveAsItemClick();
    void FileExitItemClick();
    void HelpContentsItemClick();
    void HelpLessonsItemClick();
    void HelpAboutItemClick();
    void btnClearDrawingClick();
    void TileHorizontally();
    void TileVertically();
    void MinimizeAll();
    void ArrangeAll();
    // Rebuilds the list of image windows at the end of the Window menu.
    void UpdateWindowMenu();
    // Saves W's image to W's ImageName in the format of its extension.
    void SaveImage(TMDIChild& w);

    // Shows a menu only while it has a visible item, an optional bar (and its
    // View item) only while it holds something.
    void RefreshMenusAndBars();
    // Puts the active image window's menus between Tools and Window.
    void MergeChildMenus();

    // Single-instance dialogs, made at start-up (or on first use).
    TNewImageForm* NewImageForm = nullptr;
    TAboutBoxFrm* AboutBox = nullptr;
    TNewImageForm& NewImageDialog();
    TAboutBoxFrm& AboutDialog();
    THelpWindow& HelpWindow();

    // Folders: the open dialog starts in OpenDir; help pages are in HelpFolder.
    QString OpenDir;
    QString HelpFolder;

    // ---- Menus and actions --------------------------------------------------
    QMenu* mnFile = nullptr;
    QMenu* mnView = nullptr;
    QMenu* mnTools = nullptr;
    QMenu* mnWindow = nullptr;
    QMenu* mnHelp = nullptr;
    QAction* FileNewItem = nullptr;
    QAction* FileOpenItem = nullptr;
    QAction* FileCloseItem = nullptr;
    QAction* FileSaveItem = nullptr;
    QAction* FileSaveAsItem = nullptr;
    QAction* FileExitItem = nullptr;
    QAction* btnClearDrawing = nullptr;
    QAction* ViewToolbarItem = nullptr;
    QAction* ViewScaleBarItem = nullptr;
    QAction* ViewSpecialsItem = nullptr;
    QAction* ViewLayersBarItem = nullptr;
    QAction* ViewFileBarItem = nullptr;
    QAction* ViewPenBarItem = nullptr;
    QAction* ViewMessagesItem = nullptr;
    QAction* WindowCascadeItem = nullptr;
    QAction* WindowTileHorzItem = nullptr;
    QAction* WindowTileVertItem = nullptr;
    QAction* WindowMinimizeItem = nullptr;
    QAction* WindowArrangeItem = nullptr;
    QAction* HelpContentsItem = nullptr;
    QAction* HelpLessonsItem = nullptr;
    QAction* HelpAboutItem = nullptr;

    // ---- Toolbars and their controls ---------------------------------------------
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

    // ---- Floating panel windows ------------------------------------------------
    QWidget* MagnifierWindow = nullptr;
    QWidget* LayerWindow = nullptr;
    QWidget* pnlBitmapLayer = nullptr;
    QWidget* PnlMagn = nullptr;
    TGaugeBar* LayerOpacity = nullptr;
    QCheckBox* LayerInterpolate = nullptr;
    QCheckBox* Cropped = nullptr;
    QPushButton* Button1 = nullptr;
    TGaugeBar* MagnOpacity = nullptr;
    TGaugeBar* MagnMagnification = nullptr;
    TGaugeBar* MagnRotation = nullptr;
    QCheckBox* MagnInterpolate = nullptr;

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    QMenu* createPopupMenu() override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    QWidget* CreatePenPanel();
    QWidget* CreateToolButtons();
    void CreateStatusBar();
    void CreateMessagesPane();
    void CreatePanels();
    void MakeToolbars();
    QAction* AddViewToggle(const QString& text, QWidget* bar);
    void SubWindowActivated(QMdiSubWindow* w);
    void SetForeColor(const QColor& c);
    void SetBackColor(const QColor& c);
    void SaveImageAs(TMDIChild& w);

    QMdiArea* mdiArea_ = nullptr;
    QLabel* statusPanels_[3] = {nullptr, nullptr, nullptr};
    std::vector<std::pair<std::uint32_t, QToolButton*>> toolButtons_;
    std::vector<std::function<void(TMDIChild*)>> idleHandlers_;
    std::unique_ptr<TToolRouter> toolRouter_;
    QList<QAction*> windowListActions_;
    QList<QAction*> mergedMenuActions_;
    QPointer<THelpWindow> helpWindow_;
    bool inIdle_ = false;
    bool appHandlersInstalled_ = false;
};

// The main window while it exists (none before and after).
TMainForm* MainForm();

// Platform colour (00BBGGRR) and QColor.
QColor ToQColor(TColor c);
TColor FromQColor(const QColor& c);

} // namespace ivra
