#pragma once
// The program's start-up: the splash window with its progress lines, the main
// window and the single-instance windows, the idle and hint handlers, and the
// wait until the splash may close.

#include <QStringList>

#include <functional>
#include <memory>

namespace ivra {

class TMainForm;

struct TStartupOptions {
    // Sleep after the banner lines, without serving events.
    int SleepMs = 2000;
    // The splash may close this long after it appeared (or on a click).
    int SplashMs = 5000;
    // Called in the wait loop after each pass over the pending events, with
    // the splash still up (tests click it from here).
    std::function<void()> OnWaitPass;

    // "--no-splash": no sleep and no wait; nothing else differs.
    static TStartupOptions FromArguments(const QStringList& arguments);
};

struct TStartupResult {
    std::unique_ptr<TMainForm> Main;
    // The progress lines the splash showed, in order.
    QStringList SplashLines;
};

// Runs the start-up sequence and shows the main window maximised. The
// application's event loop is the caller's.
TStartupResult RunStartup(const TStartupOptions& options);

// Opens the file named on the command line (file, "" for none) in an image
// window when it is a picture the platform reads, as the desktop's "Open
// with" expects; returns that window, or nullptr for no picture. A picture
// that cannot be loaded shows the error box.
class TMDIChild;
TMDIChild* OpenPictureArgument(TMainForm& main, const QString& file);

} // namespace ivra
