#include "services/Tools.h"

#include "core/Error.h"

#include <set>
#include <string>

namespace ivra {

void TToolRegistry::Register(std::uint32_t tool, std::shared_ptr<TToolHandler> handler) {
    if (handlers_.count(tool)) throw Error("Tool " + std::to_string(tool) + " is registered twice");
    handlers_[tool] = std::move(handler);
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
