#pragma once
// 32-bit ARGB pixels, platform colours, intensity and the HSL conversions.

#include <cstdint>

namespace ivra {

// Alpha in bits 24-31, red 16-23, green 8-15, blue 0-7; alpha 255 is opaque.
using TColor32 = std::uint32_t;

// The windowing system's colour value 00BBGGRR. Negative values name system
// colours by index (the low byte); they are resolved to fixed RGB values.
using TColor = std::int32_t;

constexpr TColor32 clBlack32 = 0xFF000000u;
constexpr TColor32 clWhite32 = 0xFFFFFFFFu;

constexpr TColor32 Color32(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255) {
    return (TColor32(a) << 24) | (TColor32(r) << 16) | (TColor32(g) << 8) | TColor32(b);
}

// A gray pixel: the intensity in each of red, green and blue.
constexpr TColor32 Gray32(std::uint8_t intensity, std::uint8_t alpha = 255) {
    return (TColor32(alpha) << 24) | (TColor32(intensity) << 16) | (TColor32(intensity) << 8) |
           TColor32(intensity);
}

constexpr std::uint8_t AlphaComponent(TColor32 c) { return std::uint8_t(c >> 24); }
constexpr std::uint8_t RedComponent(TColor32 c) { return std::uint8_t(c >> 16); }
constexpr std::uint8_t GreenComponent(TColor32 c) { return std::uint8_t(c >> 8); }
constexpr std::uint8_t BlueComponent(TColor32 c) { return std::uint8_t(c); }

inline void Color32ToRGB(TColor32 c, std::uint8_t& r, std::uint8_t& g, std::uint8_t& b) {
    r = RedComponent(c);
    g = GreenComponent(c);
    b = BlueComponent(c);
}

inline void Color32ToRGBA(TColor32 c, std::uint8_t& r, std::uint8_t& g, std::uint8_t& b,
                          std::uint8_t& a) {
    Color32ToRGB(c, r, g, b);
    a = AlphaComponent(c);
}

// (61 R + 174 G + 21 B) >> 8, an integer from 0 to 255.
constexpr std::uint8_t Intensity(TColor32 c) {
    return std::uint8_t((61u * RedComponent(c) + 174u * GreenComponent(c) + 21u * BlueComponent(c)) >> 8);
}

// Platform colour to pixel: system colours resolved, red and blue swapped,
// alpha 255.
TColor32 Color32FromPlatform(TColor c);
// Pixel to platform colour: alpha dropped, red and blue swapped.
constexpr TColor PlatformColor(TColor32 c) {
    return TColor((TColor32(BlueComponent(c)) << 16) | (TColor32(GreenComponent(c)) << 8) |
                  TColor32(RedComponent(c)));
}
// The RGB value (00BBGGRR) that a system colour index stands for.
TColor ResolveSystemColor(TColor c);

// HSL on floats 0 to 1, computed in single precision exactly as the colour
// operations and the statistics expect (ties of Round go to even).
void RGBToHSL(TColor32 c, float& h, float& s, float& l);
TColor32 HSLToRGB(float h, float s, float l);

} // namespace ivra
