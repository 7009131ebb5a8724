#pragma once
// The ids of the menu bar's menus. A command family's submenus are declared
// beside its commands, as TMenuId constants of its own.

#include "services/Commands.h"

namespace ivra::MenuIds {

inline constexpr TMenuId File{"File"};
inline constexpr TMenuId View{"View"};
inline constexpr TMenuId Tools{"Tools"};
// The image window's menus, shown while an image window is active.
inline constexpr TMenuId Image{"Image"};
inline constexpr TMenuId Edit{"Edit"};
inline constexpr TMenuId Filters{"Filters"};
inline constexpr TMenuId Layers{"Layers"};
inline constexpr TMenuId Selection{"Selection"};
inline constexpr TMenuId Window{"Window"};
inline constexpr TMenuId Help{"Help"};

} // namespace ivra::MenuIds
