#pragma once
// The twenty filters of the image window's "Filters" menu: eighteen 3x3 and
// two 5x5 convolution kernels with their divisors and biases, looked up by
// the menu item's Tag or by the batch tool's name.

#include "core/raster/Bitmap32.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ivra {

struct TFilterInfo {
    int tag;             // the menu item's Tag
    const char* submenu; // "Normal Filters", "Edge Filters", ...
    const char* caption; // the menu caption, e.g. "Find Edges (down-up )"
    const char* name;    // the batch tool's name, e.g. "find-edges-down-up"
    int size;            // 3 (DoFilterClick) or 5 (DoFilter5x5Click)
    std::array<std::int32_t, 25> kernel; // row-major; the first 9 for a 3x3 kernel
    std::uint16_t divisor;
    std::uint8_t bias; // always 0 for the 5x5 kernels
};

// All twenty filters in menu order. (The hidden item "LAP4", Tag 9, has no
// kernel and is not among them.)
std::span<const TFilterInfo> FilterTable();

// nullptr when no filter has that tag or name.
const TFilterInfo* FindFilterByTag(int tag);
const TFilterInfo* FindFilterByName(std::string_view name);

// The caption in lower case with every run of other characters than letters
// and digits turned into one hyphen, without hyphens at either end:
// "Laplace - Origin" gives "laplace-origin", "Soften (5x5)" "soften-5x5".
std::string FilterCommandName(std::string_view caption);

// Convolve3x3 or Convolve5x5 of bitmap with the filter's kernel.
void ApplyFilter(const TFilterInfo& filter, TBitmap32& bitmap);
// The same written into destination, leaving the source as it is.
void ApplyFilter(const TFilterInfo& filter, const TBitmap32& source, TBitmap32& destination);

} // namespace ivra
