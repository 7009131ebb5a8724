#pragma once
// The program's answer to SIGTERM, SIGINT and SIGHUP (logging out, kill,
// Ctrl+C or a closed terminal): the temporary files of saves under way are
// removed at once, inside the signal handler, and the main window is then
// closed from the event loop as its close box closes it (not while a file is
// being read or written, and after the questions of windows with unsaved
// work). A second signal before the window has answered the first ends the
// program at once.

class QWidget;

namespace ivra {

// Installs the handlers for the program's main window. Signals the caller
// chose to ignore (nohup) stay ignored.
void QuitOnTerminatingSignals(QWidget& mainWindow);

} // namespace ivra
