#pragma once
// The mouse buttons, shared by the view's events and the measuring tools.

namespace ivra {

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

} // namespace ivra
