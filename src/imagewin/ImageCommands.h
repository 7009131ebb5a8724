#pragma once
// The image window's menus and commands (Image, Edit, Filters, Layers and
// Selection, shown in the main menu bar while an image window is active),
// the Undo button and the zoom tool, registered with the shell at start-up.

namespace ivra {

class TShell;
class TMDIChild;

void InstallImageWindowCommands(TShell& shell);

// The active image window of the shell, none when there is none.
TMDIChild* ActiveImage(TShell& shell);

// True while the system clipboard holds a picture.
bool ClipboardHasImage();

} // namespace ivra
