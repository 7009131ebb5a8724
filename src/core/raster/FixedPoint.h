#pragma once
// 16.16 fixed point and the conversions of float rectangles to integer ones.

#include <cmath>
#include <cstdint>

namespace ivra {

using TFixed = std::int32_t;
constexpr TFixed FixedOne = 0x10000;

struct TFixedPoint {
    TFixed X = 0;
    TFixed Y = 0;
    friend bool operator==(const TFixedPoint&, const TFixedPoint&) = default;
};

struct TPoint {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
    std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    std::int32_t Width() const { return Right - Left; }
    std::int32_t Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

struct TFloatRect {
    float Left = 0, Top = 0, Right = 0, Bottom = 0;
    friend bool operator==(const TFloatRect&, const TFloatRect&) = default;
};

// round(x * 65536), halves to even.
inline TFixed Fixed(float x) { return TFixed(std::lrint(double(x) * 65536.0)); }
inline TFixed Fixed(double x) { return TFixed(std::lrint(x * 65536.0)); }
constexpr TFixed Fixed(std::int32_t x) { return TFixed(std::uint32_t(x) << 16); }
constexpr TFixedPoint FixedPoint(std::int32_t x, std::int32_t y) { return {Fixed(x), Fixed(y)}; }
inline TFixedPoint FixedPoint(float x, float y) { return {Fixed(x), Fixed(y)}; }
constexpr double FixedToFloat(TFixed f) { return double(f) / 65536.0; }

enum class TRectRounding { rrClosest, rrOutside, rrInside };

// Each edge rounded (halves to even); expanded (floor left/top, ceil
// right/bottom); or shrunk (ceil left/top, floor right/bottom).
inline TRect MakeRect(const TFloatRect& r, TRectRounding how = TRectRounding::rrClosest) {
    switch (how) {
    case TRectRounding::rrOutside:
        return {std::int32_t(std::floor(r.Left)), std::int32_t(std::floor(r.Top)),
                std::int32_t(std::ceil(r.Right)), std::int32_t(std::ceil(r.Bottom))};
    case TRectRounding::rrInside:
        return {std::int32_t(std::ceil(r.Left)), std::int32_t(std::ceil(r.Top)),
                std::int32_t(std::floor(r.Right)), std::int32_t(std::floor(r.Bottom))};
    case TRectRounding::rrClosest:
    default:
        return {std::int32_t(std::lrint(r.Left)), std::int32_t(std::lrint(r.Top)),
                std::int32_t(std::lrint(r.Right)), std::int32_t(std::lrint(r.Bottom))};
    }
}

} // namespace ivra
