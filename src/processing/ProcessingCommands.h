#pragma once
// The image processing commands of the image window's menus: the twenty
// filters (menu "Filters"), Flip, Mirror and the quarter and half turns,
// the channel images, grayscale, inversion and the colour count (menu
// "&Image") and the brightness dialog. Registered with the shell at
// start-up.

#include "core/processing/Channels.h"

#include <QString>

#include <initializer_list>

namespace ivra {

class TShell;
class TMDIChild;
class TfrmBrightness;

void InstallProcessing(TShell& shell);

// The brightness dialog of a shell (made by InstallProcessing; kept for the
// whole run, so that it keeps its value between uses).
TfrmBrightness* BrightnessDialog(TShell& shell);

// Each channel of w's image in a new image window captioned w's image name,
// a blank and the channel's name, in the order given.
void SplitChannels(TShell& shell, TMDIChild& w, std::initializer_list<TColorChannel> channels);

} // namespace ivra
