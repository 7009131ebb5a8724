#pragma once
// Small things every tool window does the same way, and the registry of the
// program's single-instance tool windows.

#include <QPointer>
#include <QWidget>

#include <typeindex>
#include <unordered_map>

class QLabel;
class QMainWindow;
class QWidget;

namespace ivra {

// Shows a tool window, raised and active (nothing for none).
void ShowToolWindow(QWidget* window);

// The three sunken status panels of a tool window's status bar, 120, 60
// (centred) and 50 pixels wide, whose hints show their long part.
void AddStatusPanels(QMainWindow& window, QLabel* (&panels)[3]);

// One window of each tool window type for the whole run, keyed by the
// window's type. A window is made on its first request and forgotten when it
// is destroyed (the next request makes a new one).
class TToolWindowRegistry {
public:
    // The window of the type; none before it is made or after it is gone.
    template <class T> T* Find() const { return static_cast<T*>(FindWindow(typeid(T))); }
    // The window of the type, made by make() (returning a new T*) when there
    // is none.
    template <class T, class Make> T& Get(Make&& make) {
        if (T* w = Find<T>()) return *w;
        T* w = make();
        windows_[typeid(T)] = w;
        return *w;
    }

    // Deletes every window still there (the shell is going, and the objects
    // the windows share go with it).
    void DeleteAll();

private:
    QWidget* FindWindow(std::type_index type) const;

    std::unordered_map<std::type_index, QPointer<QWidget>> windows_;
};

} // namespace ivra
