#pragma once
// The tool registry: each tool number maps to a handler with press, move,
// release and cancel. The image windows hand every mouse event over their
// view to the handler of the tool in force; subsystems register their tools
// at start-up, and none replaces the routing.

#include "core/raster/FixedPoint.h"
#include "core/raster/MouseButton.h"
#include "engine/ViewMapping.h"

#include <cstdint>
#include <map>
#include <memory>

namespace ivra {

class TCustomLayer;
class TMDIChild;

// One mouse event over an image window's view.
struct TToolEvent {
    TMDIChild& Window;
    TMouseButton Button = TMouseButton::mbLeft;  // press and release
    TShiftState Shift = 0;
    TPoint ViewPos;    // view pixels
    TPoint BitmapPos;  // image pixels
    TCustomLayer* Layer = nullptr;  // the layer under the pointer (press), none when no layer lies there
};

class TToolHandler {
public:
    virtual ~TToolHandler() = default;
    virtual void Press(const TToolEvent& e) {}
    virtual void Move(const TToolEvent& e) {}
    virtual void Release(const TToolEvent& e) {}
    // The user picked another tool while this one was in force.
    virtual void Cancel() {}
    // A new image window opened.
    virtual void NewWindow() {}
};

class TToolRegistry {
public:
    // Registers the handler of a tool number; a number registered before is
    // refused with an Error.
    void Register(std::uint32_t tool, std::shared_ptr<TToolHandler> handler);
    // The handler of a tool number, none for an unregistered one.
    TToolHandler* Handler(std::uint32_t tool) const;
    // Tells every handler (once, also when it serves several tools) that a
    // new image window opened.
    void NewWindow();

private:
    std::map<std::uint32_t, std::shared_ptr<TToolHandler>> handlers_;
};

} // namespace ivra
