#pragma once
// The tool registry: each tool declares its number, its button's icon and
// hint and its place on the Tools bar, with a handler of press, move,
// release and cancel. The main window builds the Tools bar from the
// registry; the image windows hand every mouse event over their view to the
// handler of the tool in force. Subsystems register their tools at start-up,
// and none replaces the routing.

#include "core/raster/FixedPoint.h"
#include "core/raster/MouseButton.h"
#include "engine/ViewMapping.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

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

// What a tool shows: its button on the Tools bar.
struct TToolSpec {
    std::uint32_t Number = 0;  // a TToolNumber
    QString Icon;              // a name of AppIcon
    QString Hint;              // "short|long", see Hints.h
    int Place = 0;             // on the Tools bar: row Place / 6, column Place % 6
};

class TToolRegistry {
public:
    // Registers a tool and its handler; a number registered before is
    // refused with an Error.
    void Register(const TToolSpec& tool, std::shared_ptr<TToolHandler> handler);
    // The registered tools by place.
    std::vector<TToolSpec> Tools() const;
    // Called after each registration (the main window's bars follow).
    void SetChangedHandler(std::function<void()> changed) { changed_ = std::move(changed); }
    // The handler of a tool number, none for an unregistered one.
    TToolHandler* Handler(std::uint32_t tool) const;
    // Tells every handler (once, also when it serves several tools) that a
    // new image window opened.
    void NewWindow();

private:
    std::map<std::uint32_t, std::shared_ptr<TToolHandler>> handlers_;
    std::vector<TToolSpec> tools_;
    std::function<void()> changed_;
};

} // namespace ivra
