#pragma once
// TRunObjects: the objects the windows share for the whole run and that are
// not windows (the measuring tools' controller, the channel histograms, the
// text tool's font, the printer set-up...). The shell owns one and hands it
// to every window through TShell::RunObjects(), so none of this state lives
// in a global: a test shell gets fresh ones, and they go with the shell.

#include <memory>
#include <typeindex>
#include <unordered_map>
#include <vector>

namespace ivra {

class TRunObjects {
public:
    TRunObjects() = default;
    TRunObjects(const TRunObjects&) = delete;
    TRunObjects& operator=(const TRunObjects&) = delete;
    // Freed in the reverse order of their making, so that an object made
    // later (which may refer to an earlier one) goes first.
    ~TRunObjects() {
        while (!order_.empty()) {
            objects_.erase(order_.back());
            order_.pop_back();
        }
    }

    // The object of the type, default-made on the first request.
    template <class T> T& Get() {
        auto it = objects_.find(typeid(T));
        if (it == objects_.end()) {
            it = objects_.emplace(typeid(T), std::make_shared<T>()).first;
            order_.push_back(typeid(T));
        }
        return *static_cast<T*>(it->second.get());
    }
    // The object of the type when it was made (none otherwise).
    template <class T> T* Find() const {
        auto it = objects_.find(typeid(T));
        return it == objects_.end() ? nullptr : static_cast<T*>(it->second.get());
    }

private:
    // shared_ptr<void> keeps each object's own deleter.
    std::unordered_map<std::type_index, std::shared_ptr<void>> objects_;
    std::vector<std::type_index> order_;
};

} // namespace ivra
