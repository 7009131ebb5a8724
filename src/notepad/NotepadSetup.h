#pragma once
// Puts the notepad into the program: the window (made hidden when absent),
// the "&Editor" item of the Tools menu and the Notepad button of the
// "Specials" toolbar, and its save question when the program ends.

namespace ivra {

class TShell;

void InstallNotepad(TShell& shell);

} // namespace ivra
