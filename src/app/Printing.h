#pragma once
// Printing of the active image: "&Printer Setup" and "&Print" (Ctrl+P) on
// the File menu. The image is printed with its visible layers, one image
// pixel per bitmap pixel, on one page, scaled to the largest size that fits
// the page without distortion (FitRect) and centred along the axis with
// room to spare.

class QPrinter;

namespace ivra {

class TShell;
class TMDIChild;

void InstallPrinting(TShell& shell);

// The printer of the shell's print jobs: the printer set-up dialog changes
// it, and every later job uses it.
QPrinter& ImagePrinter(TShell& shell);

// Prints w on printer: clears w's selection (so that the frame's handles are
// not printed), renders the image with its visible layers at one image pixel
// per bitmap pixel, and copies it stretched into the FitRect target of the
// page. The busy cursor shows meanwhile and is restored also when printing
// fails; the failure then reaches the caller.
void mnPrintClick(TMDIChild& w, QPrinter& printer);

} // namespace ivra
