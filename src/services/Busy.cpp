#include "services/Busy.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QCursor>
#include <QGuiApplication>

#include <chrono>
#include <exception>
#include <future>

namespace ivra {

namespace {
int g_busyDepth = 0;
} // namespace

bool IsBusy() { return g_busyDepth > 0; }

void RunBusy(const std::function<void()>& work) {
    const bool gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    ++g_busyDepth;
    // The busy cursor only for work the user can notice (about 150 ms): a
    // quick command does not make the pointer flicker.
    bool cursorShown = false;
    struct TRestore {
        bool& shown;
        ~TRestore() {
            --g_busyDepth;
            if (shown) QGuiApplication::restoreOverrideCursor();
        }
    } restore{cursorShown};

    std::future<void> done = std::async(std::launch::async, work);
    using namespace std::chrono_literals;
    const auto start = std::chrono::steady_clock::now();
    // Work done within a tenth of a second serves no events meanwhile: a
    // repaint of the windows would only add to its time, and nobody sees a
    // pause that short. Longer work keeps the windows painting.
    if (done.wait_for(100ms) == std::future_status::ready) {
        done.get();
        return;
    }
    while (done.wait_for(15ms) != std::future_status::ready) {
        if (gui && !cursorShown && std::chrono::steady_clock::now() - start >= 150ms) {
            QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
            cursorShown = true;
        }
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    done.get();
}

} // namespace ivra
