#pragma once
// Puts the analysis windows into the program: the statistics window with
// its two channel dialogs, the histogram window and the pixel profile
// window (made hidden when absent), the Tools menu items "&Statistics" and
// "&Pixel profile" and the Statistics, Histogram and Pixel profile buttons
// of the "Specials" toolbar, all enabled only while an image window is
// active.

class QAction;

namespace ivra {

class TShell;

struct TAnalysisCommands {
    QAction* Statistics = nullptr;        // menu item and button
    QAction* Histogram = nullptr;         // button
    QAction* PixelProfile = nullptr;      // menu item and button
};

TAnalysisCommands InstallAnalysis(TShell& shell);

// The three commands.
void StatisticsClick(TShell& shell);
void HistogramClick(TShell& shell);
void PixelProfileClick(TShell& shell);

} // namespace ivra
