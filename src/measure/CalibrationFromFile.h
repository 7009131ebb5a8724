#pragma once
// "Calibration from File" in the Image menu: sets the program's calibration
// from the resolution the active image's file states (a TIFF's XResolution in
// pixels per centimetre or inch, a PNG's pHYs in pixels per metre), after
// showing what the file states.

namespace ivra {

class TShell;

void InstallCalibrationFromFile(TShell& shell);

} // namespace ivra
