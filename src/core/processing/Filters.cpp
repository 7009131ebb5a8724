#include "core/processing/Filters.h"

#include "core/processing/Convolution.h"

#include <algorithm>

namespace ivra {

namespace {

constexpr const char* Normal = "Normal Filters";
constexpr const char* Edge = "Edge Filters";
constexpr const char* Gradient = "Gradient Filters";
constexpr const char* Misc = "Misc. Filters";

// 3x3 kernels are written as their nine weights followed by zeros.
constexpr TFilterInfo Table[] = {
    {3, Normal, "Sharpen", "sharpen", 3, {-1, -1, -1, -1, 16, -1, -1, -1, -1}, 8, 0},
    {21, Normal, "Unsharp Mask", "unsharp-mask", 5,
     {0, 0, -1, 0, 0, 0, -8, -21, -8, 0, -1, -21, 299, -21, -1, 0, -8, -21, -8, 0, 0, 0, -1, 0, 0}, 179, 0},
    {6, Normal, "Soften", "soften", 3, {1, 1, 1, 1, 10, 1, 1, 1, 1}, 18, 0},
    {20, Normal, "Soften (5x5)", "soften-5x5", 5,
     {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 25, 0},
    {7, Normal, "Blur", "blur", 3, {1, 1, 1, 1, 2, 1, 1, 1, 1}, 10, 0},
    {17, Normal, "Gaussian Blur", "gaussian-blur", 3, {1, 2, 1, 2, 4, 2, 1, 2, 1}, 16, 0},
    {16, Normal, "Laplace - Origin", "laplace-origin", 3, {-1, -1, -1, -1, 7, -1, -1, -1, -1}, 1, 0},
    {4, Edge, "Edge Enhance", "edge-enhance", 3, {0, -1, 0, -1, 8, -1, 0, -1, 0}, 4, 0},
    {2, Edge, "Find Edges (up-down)", "find-edges-up-down", 3, {1, 1, 1, 1, -2, 1, -1, -1, -1}, 1, 0},
    {11, Edge, "Find Edges (down-up )", "find-edges-down-up", 3, {-1, -1, -1, 1, -2, 1, 1, 1, 1}, 1, 0},
    {0, Gradient, "Laplace", "laplace", 3, {-1, -1, -1, -1, 8, -1, -1, -1, -1}, 1, 0},
    {12, Gradient, "Sobel horizontal", "sobel-horizontal", 3, {1, 2, 1, 0, 0, 0, -1, -2, -1}, 1, 0},
    {13, Gradient, "Sobel vertical", "sobel-vertical", 3, {1, 0, -1, 2, 0, -2, 1, 0, -1}, 1, 0},
    {14, Gradient, "Prewit horizontal", "prewit-horizontal", 3, {1, 1, 1, 0, 0, 0, -1, -1, -1}, 1, 0},
    {15, Gradient, "Prewit vertical", "prewit-vertical", 3, {1, 0, -1, 1, 0, -1, 1, 0, -1}, 1, 0},
    {1, Misc, "Hi-Pass", "hi-pass", 3, {-1, -1, -1, -1, 9, -1, -1, -1, -1}, 1, 0},
    {19, Misc, "Emboss", "emboss", 3, {1, 1, 0, 1, 0, -1, 0, -1, -1}, 1, 128},
    {5, Misc, "Color Emboss", "color-emboss", 3, {1, 0, 1, 0, 0, 0, 1, 0, -2}, 1, 0},
    {8, Misc, "LAP1", "lap1", 3, {0, 1, 0, 1, -4, 1, 0, 1, 0}, 1, 0},
    {10, Misc, "HP3", "hp3", 3, {1, -2, 1, -2, 5, -2, 1, -2, 1}, 1, 0},
};

} // namespace

std::span<const TFilterInfo> FilterTable() { return Table; }

const TFilterInfo* FindFilterByTag(int tag) {
    for (const auto& f : Table)
        if (f.tag == tag) return &f;
    return nullptr;
}

const TFilterInfo* FindFilterByName(std::string_view name) {
    for (const auto& f : Table)
        if (name == f.name) return &f;
    return nullptr;
}

std::string FilterCommandName(std::string_view caption) {
    std::string out;
    bool pendingHyphen = false;
    for (char ch : caption) {
        const bool alnum = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9');
        if (!alnum) {
            pendingHyphen = !out.empty();
            continue;
        }
        if (pendingHyphen) out += '-';
        pendingHyphen = false;
        out += (ch >= 'A' && ch <= 'Z') ? char(ch - 'A' + 'a') : ch;
    }
    return out;
}

void ApplyFilter(const TFilterInfo& filter, TBitmap32& bitmap) { ApplyFilter(filter, bitmap, bitmap); }

void ApplyFilter(const TFilterInfo& filter, const TBitmap32& source, TBitmap32& destination) {
    if (filter.size == 5) {
        TKernel5x5 k;
        std::copy_n(filter.kernel.begin(), 25, k.begin());
        Convolve5x5(k, filter.divisor, source, destination);
    } else {
        TKernel3x3 k;
        std::copy_n(filter.kernel.begin(), 9, k.begin());
        Convolve3x3(k, filter.divisor, filter.bias, source, destination);
    }
}

} // namespace ivra
