#pragma once
// The tests reach a window's bars, boxes and panels by their object names,
// as the user finds them on screen, rather than through the window's members.

#include <QList>
#include <QObject>
#include <QString>
#include <QWidget>

namespace ivra::test {

// The one object of type T named name among parent's children at any depth.
// None, or more than one, ends the test program with a message that names
// what was sought: a test never goes on with the wrong control.
template <class T = QWidget> T* Named(const QObject& parent, const QString& name) {
    const QList<T*> found = parent.findChildren<T*>(name);
    if (found.size() != 1)
        qFatal("%lld objects of type %s named \"%s\" under \"%s\" (one expected)", qlonglong(found.size()),
               T::staticMetaObject.className(), qPrintable(name), qPrintable(parent.objectName()));
    return found.front();
}

} // namespace ivra::test
