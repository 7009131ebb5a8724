#pragma once
// Long work kept visible: while work started through RunWithProgress lasts
// longer than about a second, the main window's status bar shows its name,
// the seconds spent and a running indicator (the core's operations do not
// report how far they are). Work started from within other work shows no
// second display.

#include <QString>

#include <functional>

namespace ivra {

class TShell;

// When the status bar starts to show progress (milliseconds of work), and
// how often it counts the seconds. The shell keeps one for the run
// (RunObjects); tests shorten it.
struct TProgressTiming {
    int ProgressAfterMs = 1000;
    int UpdateEveryMs = 250;
};

// Runs work (which waits for a worker through RunBusy) with the display.
// Everything shown goes away when the work ends, also when it fails.
void RunWithProgress(TShell& shell, const QString& what, const std::function<void()>& work);

} // namespace ivra
