#pragma once
// The bitmap-to-view mapping of the layered view, and the small input types
// (mouse buttons, shift state) that the view and its layers report.
//
// Every conversion between image (bitmap) pixels and view (control) pixels
// goes through TViewMapping: the view's coordinate functions, the layers'
// view locations, the image paint stage and the hit test, so that all of
// them agree on the rounding.

#include "core/raster/FixedPoint.h"
#include "core/raster/MouseButton.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace ivra {

// Modifier keys and held mouse buttons, one bit each (an 8-bit set).
using TShiftState = std::uint8_t;
constexpr TShiftState ssShift = 0x01;
constexpr TShiftState ssAlt = 0x02;
constexpr TShiftState ssCtrl = 0x04;
constexpr TShiftState ssLeft = 0x08;
constexpr TShiftState ssRight = 0x10;
constexpr TShiftState ssMiddle = 0x20;
constexpr TShiftState ssDouble = 0x40;

// Rounds to the nearest integer, halves to the even neighbour (the default
// rounding mode). Values beyond the 32-bit range are limited to it, NaN
// gives 0.
inline std::int32_t RoundHalfEven(long double v) {
    if (!(v == v)) return 0;
    const long double r = std::nearbyintl(v);
    if (r <= -2147483648.0L) return INT32_MIN;
    if (r >= 2147483647.0L) return INT32_MAX;
    return std::int32_t(r);
}

struct TViewMapping {
    // Zoom factor, single precision like the view's Scale.
    float Scale = 1.0f;
    // View position of the bitmap's top-left corner (the bitmap rectangle's
    // Left and Top): scrolling and centring.
    std::int32_t OffsetX = 0;
    std::int32_t OffsetY = 0;

    friend bool operator==(const TViewMapping&, const TViewMapping&) = default;

    // View point to bitmap point: round((P - offset) / scale), the subtraction
    // in integers, the division in extended precision, halves to even.
    TPoint ControlToBitmap(TPoint p) const {
        return {RoundHalfEven((long double)(std::int64_t(p.X) - OffsetX) / (long double)Scale),
                RoundHalfEven((long double)(std::int64_t(p.Y) - OffsetY) / (long double)Scale)};
    }
    // View point to bitmap point, the quotient truncated toward zero.
    TPoint ControlToBitmapTrunc(TPoint p) const {
        return {RoundHalfEven(std::truncl((long double)(std::int64_t(p.X) - OffsetX) / (long double)Scale)),
                RoundHalfEven(std::truncl((long double)(std::int64_t(p.Y) - OffsetY) / (long double)Scale))};
    }
    // Bitmap point to view point: round(Q * scale + offset), halves to even.
    TPoint BitmapToControl(TPoint q) const {
        return {RoundHalfEven((long double)q.X * (long double)Scale + OffsetX),
                RoundHalfEven((long double)q.Y * (long double)Scale + OffsetY)};
    }
    // As BitmapToControl on the integer parts of a 16.16 point (the fraction
    // is dropped); the result has a zero fraction. Meant for non-negative
    // positions (the integer part is taken by an arithmetic shift).
    TFixedPoint BitmapToControlFP(TFixedPoint q) const {
        const TPoint p = BitmapToControl(TPoint{q.X >> 16, q.Y >> 16});
        return {Fixed(p.X), Fixed(p.Y)};
    }
    // Continuous forms, used for layer rectangles and sampling.
    double BitmapToControlX(double x) const { return x * double(Scale) + OffsetX; }
    double BitmapToControlY(double y) const { return y * double(Scale) + OffsetY; }
    double ControlToBitmapX(double x) const { return (x - OffsetX) / double(Scale); }
    double ControlToBitmapY(double y) const { return (y - OffsetY) / double(Scale); }
    TFloatRect BitmapToControl(const TFloatRect& r) const {
        return {float(BitmapToControlX(r.Left)), float(BitmapToControlY(r.Top)),
                float(BitmapToControlX(r.Right)), float(BitmapToControlY(r.Bottom))};
    }
    TFloatRect ControlToBitmap(const TFloatRect& r) const {
        return {float(ControlToBitmapX(r.Left)), float(ControlToBitmapY(r.Top)),
                float(ControlToBitmapX(r.Right)), float(ControlToBitmapY(r.Bottom))};
    }
    // Size in view pixels of a bitmap of the given size: round(size * scale),
    // halves to even, at most 2^30 so that view coordinates stay far from
    // overflowing at any zoom.
    std::int32_t ScaledLength(std::int32_t length) const {
        return std::min(RoundHalfEven((long double)length * (long double)Scale), MaxScaledLength);
    }
    static constexpr std::int32_t MaxScaledLength = std::int32_t(1) << 30;
    // Where a bitmap of the given size lies in view pixels.
    TRect BitmapRect(std::int32_t width, std::int32_t height) const {
        if (width <= 0 || height <= 0) return {};
        return {OffsetX, OffsetY, OffsetX + ScaledLength(width), OffsetY + ScaledLength(height)};
    }
};

} // namespace ivra
