#pragma once
// The image window's "Layers" and "Selection" menus, the Layers toolbar's
// Delete, Flatten and Grid buttons (a right press on Grid opens "Grid size"),
// registered with the shell at start-up, and the commands they run on an
// image window.

namespace ivra {

class TMDIChild;
class TShell;

void InstallLayerCommands(TShell& shell);

// ---- Layers menu -------------------------------------------------------------------
// A picture file as a new centred picture layer (the open dialog first).
void NewBitmapLayer(TMDIChild& w);
// A picture with a separate alpha picture (the RGBA loader dialog).
void NewBitmapRGBALayer(TShell& shell, TMDIChild& w);
// A new magnifier layer, centred and selected.
void NewMagnifier(TMDIChild& w);
// The image and every visible layer composed into the image (undoable);
// every layer goes.
void FlattenLayers(TMDIChild& w);

// ---- Selection menu (the selected layer) -------------------------------------------
enum class TLayerMove { BringToFront, SendToBack, LevelUp, LevelDown };
// Bring to front keeps it just below the rubber band.
void MoveSelectedLayer(TMDIChild& w, TLayerMove move);
// Up One Level has a layer to pass: one lies above the selected layer and it
// is not the selection frame.
bool CanLevelUp(const TMDIChild& w);
// Flips the selected layer's scaled flag (and the rubber band's).
void ToggleScaled(TMDIChild& w);
// Removes the selected layer (the selection rectangle included).
void DeleteSelectedLayer(TMDIChild& w);
// Flips the selected picture layer horizontally or vertically.
void FlipSelectedLayer(TMDIChild& w, bool horizontally);
// Turns the selected picture layer by quarters clockwise (1, 2 or 3) about
// its centre.
void TurnSelectedLayer(TMDIChild& w, int quarters);
// Gray levels of the selected picture layer; with none nothing.
void GrayscaleSelectedLayer(TMDIChild& w);

} // namespace ivra
