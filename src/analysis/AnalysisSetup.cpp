#include "analysis/AnalysisSetup.h"

#include "analysis/Analysis.h"
#include "analysis/Histogram.h"
#include "analysis/PixelProfile.h"
#include "analysis/SelChannels.h"
#include "analysis/Stats.h"
#include "imagewin/ChildWin.h"
#include "measure/MeasureController.h"
#include "services/Shell.h"

#include <QAction>
#include <QPointer>

#include <vector>

namespace ivra {

void StatisticsClick(TShell& shell) { ShowToolWindow(StatsForm(shell)); }

void HistogramClick(TShell& shell) {
    TMDIChild* w = shell.ActiveImageWindow();
    if (!w) return;
    AnalyseImage(w, TChannelSet::None);
    ShowToolWindow(HistogramForm(shell));
}

void PixelProfileClick(TShell& shell) {
    TfrmPixel* pixel = PixelForm(shell);
    if (!pixel) return;
    if (TMDIChild* w = shell.ActiveImageWindow()) pixel->SetSource(w);
    if (!pixel->HasCopy()) pixel->Refresh();
    ShowToolWindow(pixel);
}

TAnalysisCommands InstallAnalysis(TShell& shell) {
    CreateStatsForm(shell);
    SelChanDialog(shell);
    CreateHistogramForm(shell);
    FreqSelDialog(shell);
    CreatePixelForm(shell);

    // A closed image window's last measured shape is forgotten, so that a
    // new window never finds the shape of an old one.
    shell.AddIdleHandler([&shell] {
        std::vector<const TBitmap32*> open;
        for (TMDIChild* w : shell.ImageWindows()) open.push_back(&w->Document().Bitmap());
        TMeasureController::Of(shell).KeepShapesOf(open);
    });

    TShell* s = &shell;
    const auto imageActive = [s] { return s->ActiveImageWindow() != nullptr; };

    TCommandSpec stats;
    stats.Id = QStringLiteral("StatisticsItem");
    stats.Caption = QStringLiteral("&Statistics");
    stats.Hint = QStringLiteral("Statistics Tool|Statistical analysis of the image.");
    stats.Icon = QStringLiteral("statistics");
    stats.Menu = MenuIds::Tools;
    stats.MenuOrder = 20;
    stats.Toolbar = QStringLiteral("tbSpecials");
    stats.ToolbarOrder = 30;
    stats.Enabled = imageActive;
    stats.Run = [s] { StatisticsClick(*s); };

    TCommandSpec histogram;
    histogram.Id = QStringLiteral("HistogramButton");
    histogram.Caption = QStringLiteral("Histogram");
    histogram.Hint = QStringLiteral("Histogram|Shows distribution of colors in the image.");
    histogram.Icon = QStringLiteral("histogram");
    histogram.Toolbar = QStringLiteral("tbSpecials");
    histogram.ToolbarOrder = 40;
    histogram.Enabled = imageActive;
    histogram.Run = [s] { HistogramClick(*s); };

    TCommandSpec profile;
    profile.Id = QStringLiteral("PixelProfileItem");
    profile.Caption = QStringLiteral("&Pixel profile");
    profile.Hint = QStringLiteral("Pixel profile|Analyses pixel profile.");
    profile.Icon = QStringLiteral("profile");
    profile.Menu = MenuIds::Tools;
    profile.MenuOrder = 30;
    profile.Toolbar = QStringLiteral("tbSpecials");
    profile.ToolbarOrder = 50;
    profile.Enabled = imageActive;
    profile.Run = [s] { PixelProfileClick(*s); };

    TAnalysisCommands c;
    c.Statistics = shell.Commands().Add(stats);
    c.Histogram = shell.Commands().Add(histogram);
    c.PixelProfile = shell.Commands().Add(profile);
    // Disabled until the idle handler finds an image window.
    for (QAction* a : {c.Statistics, c.Histogram, c.PixelProfile}) a->setEnabled(imageActive());
    return c;
}

} // namespace ivra
