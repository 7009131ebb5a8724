#pragma once
// The narrow interface through which the image, measuring, analysis and
// notepad windows reach the program's shell (the main window): the image
// windows, the read-out places, the drawing state, the command and tool
// registries. The main window implements it and hands itself to every
// window and install function it makes; the windows below the shell never
// include its header.

#include "services/Commands.h"
#include "services/DrawingState.h"
#include "services/MenuIds.h"
#include "services/RunObjects.h"
#include "services/ToolWindows.h"
#include "services/Tools.h"

#include <QColor>
#include <QList>
#include <QString>

#include <functional>

class QWidget;

namespace ivra {

class TMDIChild;

class TShell {
public:
    virtual ~TShell() = default;

    // The main window (parent of dialogs and tool windows).
    virtual QWidget* Window() = 0;

    // Image windows: the active one (none when no image window is active),
    // all of them in creation order, and a new, visible, active one.
    virtual TMDIChild* ActiveImageWindow() const = 0;
    virtual QList<TMDIChild*> ImageWindows() const = 0;
    virtual TMDIChild* NewImageWindow(const QString& caption) = 0;

    // Status panels 0 (position), 1 (read-out) and 2 (hint); the messages pane.
    virtual void SetStatusText(int panel, const QString& text) = 0;
    virtual QString StatusText(int panel) const = 0;
    virtual void AddMessage(const QString& line) = 0;
    // The zoom combo shows a scale.
    virtual void ShowZoom(float scale) = 0;

    // The program-wide drawing state, the Draw switch, and a new foreground
    // colour for the pen panel and the state.
    virtual TDrawingState& Drawing() = 0;
    virtual bool DrawSwitchOn() const = 0;
    virtual void SetForeColor(const QColor& color) = 0;
    // Picks a tool: unless it is the current one, ToolState := 0 and the
    // handler of the tool that was in force is cancelled.
    virtual void SetMode(std::uint32_t tool) = 0;

    virtual TCommandRegistry& Commands() = 0;
    virtual TToolRegistry& Tools() = 0;
    // The single-instance tool windows (statistics, spreadsheet, notepad...).
    virtual TToolWindowRegistry& ToolWindows() = 0;
    // The objects the windows share for the run that are not windows.
    virtual TRunObjects& RunObjects() = 0;
    // Code run by the idle handler after the commands' enabled rules.
    virtual void AddIdleHandler(std::function<void()> handler) = 0;
    // Code run for every new image window, before it shows (a command
    // family connects to the window's signals here).
    virtual void AddImageWindowHandler(std::function<void(TMDIChild&)> handler) = 0;

    // The about box, modal.
    virtual void ShowAbout() = 0;

    // A question asked when the program is about to end (File > Exit or the
    // main window's close), before anything hides: a window with unsaved
    // work asks to save it and closes, or returns false (Cancel), which
    // keeps the program running exactly as it was.
    virtual void AddCloseQuery(std::function<bool()> query) = 0;
};

// The shell while it exists (none before and after), for start-up and the
// tests' fixture; windows get theirs passed in.
TShell* AppShell();
void SetAppShell(TShell* shell);

} // namespace ivra
