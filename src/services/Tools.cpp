#include "services/Tools.h"

#include "core/Error.h"

#include <algorithm>
#include <set>
#include <string>

namespace ivra {

void TToolRegistry::Register(const TToolSpec& tool, std::shared_ptr<TToolHandler> handler) {
    if (handlers_.count(tool.Number)) throw Error("Tool " + std::to_string(tool.Number) + " is registered twice");
    handlers_[tool.Number] = std::move(handler);
    tools_.push_back(tool);
    if (changed_) changed_();
}

std::vector<TToolSpec> TToolRegistry::Tools() const {
    std::vector<TToolSpec> list = tools_;
    std::stable_sort(list.begin(), list.end(), [](const TToolSpec& a, const TToolSpec& b) { return a.Place < b.Place; });
    return list;
}

TToolHandler* TToolRegistry::Handler(std::uint32_t tool) const {
    const auto it = handlers_.find(tool);
    return it == handlers_.end() ? nullptr : it->second.get();
}

void TToolRegistry::NewWindow() {
    std::set<TToolHandler*> told;
    for (const auto& [tool, handler] : handlers_)
        if (told.insert(handler.get()).second) handler->NewWindow();
}

} // namespace ivra
