#pragma once
// The one guard between Qt's event loop and the program's commands.
//
// Commands report failures by throwing (ivra::Error carries the message the
// user sees). Every command handler is connected through ConnectGuarded, and
// every event handler that runs program code wraps it in RunGuarded: the
// exception is caught there and shown in the application's error box
// (through Prompts); nothing throws through the event loop. What the command
// changed before it failed stays as it is.

#include <QObject>
#include <QString>

#include <exception>
#include <functional>
#include <utility>

class QWidget;

namespace ivra {

// Runs fn; an exception it throws is shown in the error box. Returns false
// when fn failed.
bool RunGuarded(const std::function<void()>& fn);

// The text shown for an exception caught by the guard.
QString ErrorText(std::exception_ptr e);

// The window the error box is parented to (the main window once it exists).
void SetErrorBoxParent(QWidget* parent);

// QObject::connect with the handler run through RunGuarded. The handler gets
// the signal's arguments as a plain connected functor would.
template <typename Sender, typename Signal, typename Fn>
QMetaObject::Connection ConnectGuarded(Sender* sender, Signal signal, QObject* context, Fn fn) {
    return QObject::connect(sender, signal, context, [fn = std::move(fn)](auto&&... args) {
        RunGuarded([&] { fn(std::forward<decltype(args)>(args)...); });
    });
}

} // namespace ivra
