#pragma once
// The image analysis as the windows run it, and the shell's one store of
// its counts (ChannelHistograms), which the histogram window, the stretch
// dialog and the statistics window read.

#include "services/ToolWindows.h"
#include "core/analysis/ChannelStats.h"
#include "core/analysis/ImageAnalysis.h"
#include "core/raster/Samples16.h"

class QWidget;

namespace ivra {

class TMDIChild;
class TShell;

// The counts of the shell's last analysis (all 0 before the first).
TChannelHistograms& ChannelHistograms(TShell& shell);

// AnalyseImage on an image window: shows "Analysing image. Please wait"
// while it counts every pixel of the window's image (layers, overlays and
// the selection play no part), replaces the ChannelHistograms of the
// window's shell, enables the statistics window's "&Histogram" item and adds
// the statistics rows of the channel set there. Returns false, doing nothing, when w is none.
bool AnalyseImage(TMDIChild* w, TChannelSet set);

// The 16-bit samples the statistics measure on an image window: those of
// its document while it has them and the statistics window's "16-bit
// values" box is checked; none otherwise.
const TSamples16* SixteenBitSamples(TMDIChild* w);

// The decimal separator of the user's locale ('.' when it is not one 8-bit
// character).
char LocaleSeparator();


} // namespace ivra
