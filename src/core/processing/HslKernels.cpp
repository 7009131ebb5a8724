#include "core/processing/HslKernels.h"

#include <memory>

namespace ivra::hsl {

const TMaxMinTables& MaxMinTables() {
    static const std::unique_ptr<TMaxMinTables> tables = [] {
        auto t = std::make_unique<TMaxMinTables>();
        for (int mx = 0; mx < 256; ++mx) {
            for (int mn = 0; mn < 256; ++mn) {
                // Pairs with min > max never occur; fill them all the same.
                float h, s, l;
                RGBToHSL(Color32(std::uint8_t(mx), std::uint8_t(mn), std::uint8_t(mn)), h, s, l);
                const std::size_t i = std::size_t(mx) * 256 + std::size_t(mn);
                t->saturation100[i] = std::uint8_t(Level(s, 100.0));
                t->lightness100[i] = std::uint8_t(Level(l, 100.0));
                t->saturation255[i] = std::uint8_t(Level(s, 255.0));
            }
        }
        return t;
    }();
    return *tables;
}

} // namespace ivra::hsl
