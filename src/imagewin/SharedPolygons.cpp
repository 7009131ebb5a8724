#include "imagewin/SharedPolygons.h"

namespace ivra {

TPolygon32& ToolPolygon() {
    static TPolygon32 polygon;
    return polygon;
}

TPolygon32& ShapePolygon() {
    static TPolygon32 polygon;
    return polygon;
}

void ResetSharedPolygons() {
    TPolygon32& tool = ToolPolygon();
    tool.Clear();
    tool.Antialiased = true;
    tool.Closed = false;
    TPolygon32& shape = ShapePolygon();
    shape.Clear();
    shape.Antialiased = false;
    shape.Closed = false;
}

} // namespace ivra
