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
    if (gui) QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
    ++g_busyDepth;
    struct TRestore {
        bool gui;
        ~TRestore() {
            --g_busyDepth;
            if (gui) QGuiApplication::restoreOverrideCursor();
        }
    } restore{gui};

    std::future<void> done = std::async(std::launch::async, work);
    using namespace std::chrono_literals;
    while (done.wait_for(15ms) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    done.get();
}

} // namespace ivra
