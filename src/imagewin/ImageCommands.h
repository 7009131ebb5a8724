#pragma once
// The image window's menus and commands (Image, Edit, Filters, Layers and
// Selection, shown in the main menu bar while an image window is active),
// the Undo button and the zoom tool, registered with the shell at start-up.

namespace ivra {

class TBitmapLayer;
class TShell;
class TMDIChild;

void InstallImageWindowCommands(TShell& shell);

// ---- Edit menu ------------------------------------------------------------------------
// Restores the image's undo snapshot, when there is one.
void UndoLastChange(TMDIChild& w);
// What Copy puts on the clipboard: the selected picture layer (the selection
// rectangle when it is selected), else the selection rectangle, else none.
TBitmapLayer* CopySource(const TMDIChild& w);
// Puts CopySource's bitmap on the clipboard as an image; with none it does
// nothing. The layer's drawing is left as it is (ChildClipboard.cpp).
void CopySelection(TMDIChild& w);
// The mover becomes the tool in force, and the clipboard's image a new
// centred picture layer (ChildClipboard.cpp).
void PasteFromClipboard(TShell& shell, TMDIChild& w);
// The clipboard's image as a new centred picture layer.
void PasteAsLayer(TMDIChild& w);

// The active image window of the shell, none when there is none.
TMDIChild* ActiveImage(TShell& shell);

// True while the system clipboard holds a picture.
bool ClipboardHasImage();

} // namespace ivra
