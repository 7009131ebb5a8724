#pragma once
// The image window's "Layers" and "Selection" menus, the Layers toolbar's
// Delete, Flatten and Grid buttons (a right press on Grid opens "Grid size"),
// registered with the shell at start-up.

class QAction;

namespace ivra {

class TShell;

void InstallLayerCommands(TShell& shell);

} // namespace ivra
