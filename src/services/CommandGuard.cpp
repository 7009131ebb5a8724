#include "services/CommandGuard.h"

#include "services/Prompts.h"
#include "core/Error.h"

#include <QPointer>
#include <QWidget>

#include <new>
#include <stdexcept>

namespace ivra {

namespace {
QPointer<QWidget> g_errorParent;
} // namespace

void SetErrorBoxParent(QWidget* parent) { g_errorParent = parent; }

QString ErrorText(std::exception_ptr e) {
    try {
        std::rethrow_exception(e);
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Out of memory.");
    } catch (const std::exception& ex) {
        return QString::fromUtf8(ex.what());
    } catch (...) {
        return QStringLiteral("Unknown error.");
    }
}

bool RunGuarded(const std::function<void()>& fn) {
    try {
        fn();
        return true;
    } catch (...) {
        const QString text = ErrorText(std::current_exception());
        try {
            AppPrompts().Error(g_errorParent.data(), text);
        } catch (...) {
            // A failing error box must not take the program down.
        }
        return false;
    }
}

} // namespace ivra
