#pragma once
// A shell without a main window, for testing one window alone: no image
// windows, its own drawing state and registries, status texts and messages
// kept for the test to read.

#include "services/ColorPanel.h"
#include "services/Shell.h"

#include <QStringList>

namespace ivra {

class TTestShell : public TShell {
public:
    QWidget* Window() override { return nullptr; }
    TMDIChild* ActiveImageWindow() const override { return nullptr; }
    QList<TMDIChild*> ImageWindows() const override { return {}; }
    TMDIChild* NewImageWindow(const QString&) override { return nullptr; }
    void SetStatusText(int panel, const QString& text) override { status_[panel] = text; }
    QString StatusText(int panel) const override { return status_[panel]; }
    void AddMessage(const QString& line) override { Messages << line; }
    void ShowZoom(float) override {}
    TDrawingState& Drawing() override { return drawing_; }
    bool DrawSwitchOn() const override { return false; }
    void SetForeColor(const QColor& color) override { drawing_.ForeColor = FromQColor(color); }
    void SetMode(std::uint32_t tool) override { drawing_.CurrentTool = tool; }
    TCommandRegistry& Commands() override { return commands_; }
    TToolRegistry& Tools() override { return tools_; }
    TToolWindowRegistry& ToolWindows() override { return toolWindows_; }
    TRunObjects& RunObjects() override { return runObjects_; }
    void AddIdleHandler(std::function<void()>) override {}
    void AddImageWindowHandler(std::function<void(TMDIChild&)>) override {}
    void ShowAbout() override {}
    void AddCloseQuery(std::function<bool()>) override {}

    QStringList Messages;

private:
    QString status_[3];
    TDrawingState drawing_;
    TCommandRegistry commands_;
    TToolRegistry tools_;
    TToolWindowRegistry toolWindows_;
    TRunObjects runObjects_;
};

} // namespace ivra
