#include "app/QuitOnSignal.h"

#include "core/io/FileIO.h"
#include "services/Busy.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace ivra {

namespace {

// The self-pipe: the handler writes the signal's number, the event loop
// reads it. Only async-signal-safe calls happen in the handler.
int g_pipe[2] = {-1, -1};

constexpr int QuitSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void OnQuitSignal(int signal) {
    const int saved = errno;
    RemovePendingTemporaryFiles();
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

// SA_RESETHAND: the first signal is answered by the handler, a second one
// (before the handler is installed again) takes the default action.
void InstallHandlers() {
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int signal : QuitSignals) sigaddset(&action.sa_mask, signal);
    for (int signal : QuitSignals) {
        struct sigaction old {};
        if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        ::sigaction(signal, &action, nullptr);
    }
}

// Closes the window as its close box does. While a file is read or written
// the window refuses to close; it is asked again when that work is done. A
// close that the user cancelled leaves the program running, ready for the
// next signal.
void CloseWhenIdle(const QPointer<QWidget>& window) {
    if (!window) return;
    if (IsBusy()) {
        QTimer::singleShot(50, window, [window] { CloseWhenIdle(window); });
        return;
    }
    if (!window->close()) InstallHandlers();
}

} // namespace

void QuitOnTerminatingSignals(QWidget& mainWindow) {
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, &mainWindow);
    QPointer<QWidget> window(&mainWindow);
    QObject::connect(notifier, &QSocketNotifier::activated, &mainWindow, [window] {
        unsigned char bytes[16];
        while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
        }
        CloseWhenIdle(window);
    });
    InstallHandlers();
}

} // namespace ivra
