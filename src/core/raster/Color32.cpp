#include "core/raster/Color32.h"

#include <cmath>

namespace ivra {

TColor ResolveSystemColor(TColor c) {
    if (c >= 0) return c & 0x00FFFFFF;
    // The usual defaults of the system palette, indexed by the low byte.
    static constexpr TColor table[] = {
        0xC8D0D4, // scrollbar
        0xA56E3A, // background (desktop)
        0x6A240A, // active caption
        0x808080, // inactive caption
        0xC8D0D4, // menu
        0xFFFFFF, // window
        0x000000, // window frame
        0x000000, // menu text
        0x000000, // window text
        0xFFFFFF, // caption text
        0xC8D0D4, // active border
        0xC8D0D4, // inactive border
        0x808080, // application workspace
        0x6A240A, // highlight
        0xFFFFFF, // highlight text
        0xC8D0D4, // button face
        0x808080, // button shadow
        0x808080, // gray text
        0x000000, // button text
        0xC8D0D4, // inactive caption text
        0xFFFFFF, // button highlight
        0x404040, // 3D dark shadow
        0xC8D0D4, // 3D light
        0x000000, // info text
        0xE1FFFF, // info background
    };
    unsigned idx = unsigned(c) & 0xFF;
    if (idx < sizeof table / sizeof table[0]) return table[idx];
    return 0;
}

TColor32 Color32FromPlatform(TColor c) {
    TColor rgb = ResolveSystemColor(c);
    return Color32(std::uint8_t(rgb), std::uint8_t(rgb >> 8), std::uint8_t(rgb >> 16), 255);
}

void RGBToHSL(TColor32 c, float& h, float& s, float& l) {
    const float r = float(RedComponent(c)) / 255.0f;
    const float g = float(GreenComponent(c)) / 255.0f;
    const float b = float(BlueComponent(c)) / 255.0f;
    float mx = r > g ? r : g;
    if (b > mx) mx = b;
    float mn = r < g ? r : g;
    if (b < mn) mn = b;
    l = (mx + mn) / 2.0f;
    if (mx == mn) {
        h = 0.0f;
        s = 0.0f;
        return;
    }
    const float d = mx - mn;
    if (l >= 0.5f)
        s = d / (2.0f - mx - mn);
    else
        s = d / (mx + mn);
    float hh;
    if (mx == r)
        hh = (g - b) / d;
    else if (mx == g)
        hh = 2.0f + (b - r) / d;
    else
        hh = 4.0f + (r - g) / d;
    hh = hh / 6.0f;
    if (hh < 0.0f) hh = hh + 1.0f;
    h = hh;
}

namespace {

inline std::uint8_t RoundToByte(float v) {
    // lrintf rounds halves to even under the default rounding mode.
    long r = std::lrintf(v * 255.0f);
    return std::uint8_t(r < 0 ? 0 : (r > 255 ? 255 : r));
}

inline std::uint8_t HueChannel(float m1, float m2, float h) {
    h = h - std::floor(h);
    float v;
    if (6.0f * h < 1.0f)
        v = m1 + (m2 - m1) * 6.0f * h;
    else if (2.0f * h < 1.0f)
        v = m2;
    else if (3.0f * h < 2.0f)
        v = m1 + (m2 - m1) * (2.0f / 3.0f - h) * 6.0f;
    else
        v = m1;
    return RoundToByte(v);
}

} // namespace

TColor32 HSLToRGB(float h, float s, float l) {
    if (s == 0.0f) {
        std::uint8_t v = RoundToByte(l);
        return Color32(v, v, v, 255);
    }
    float m2 = l <= 0.5f ? l * (1.0f + s) : l + s - l * s;
    float m1 = 2.0f * l - m2;
    return Color32(HueChannel(m1, m2, h + 1.0f / 3.0f), HueChannel(m1, m2, h),
                   HueChannel(m1, m2, h - 1.0f / 3.0f), 255);
}

} // namespace ivra
