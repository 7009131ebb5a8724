#pragma once
// TBitmap32: a 32-bit ARGB bitmap in plain memory, rows stored from the top
// down, each row contiguous, so that row y starts at pixel index y * width.
//
// The Qt layers wrap the same memory in a QImage (Format_ARGB32) without
// copying when they paint on it.

#include "core/raster/Color32.h"
#include "core/raster/FixedPoint.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace ivra {

enum class TDrawMode { dmOpaque, dmBlend, dmCustom };
enum class TStretchFilter { sfNearest, sfLinear, sfSpline, sfLanczos, sfMitchell };

// The largest bitmap the program makes or decodes: 2^28 pixels (268 million,
// 1 GiB of pixel memory). Readers check a file's header against it before they
// allocate anything.
constexpr std::uint64_t MaxBitmapPixels = std::uint64_t(1) << 28;

class TBitmap32 {
public:
    using TNotifyEvent = std::function<void()>;

    TBitmap32() = default;
    TBitmap32(int width, int height);
    ~TBitmap32() = default;
    TBitmap32(const TBitmap32&) = delete;
    TBitmap32& operator=(const TBitmap32&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    std::size_t PixelCount() const { return std::size_t(width_) * std::size_t(height_); }
    // True when there is no pixel memory or a dimension is zero.
    bool Empty() const { return !bits_ || width_ == 0 || height_ == 0; }
    TRect BoundsRect() const { return {0, 0, width_, height_}; }

    // Negative sizes count as 0. When the size really changes the pixels are
    // reallocated, all 0 (transparent black: a new image window shows its
    // background through them), then OnChange and OnResize fire. No memory
    // is ever shown that was not written.
    // Throws "Can't allocate the DIB handle" when the memory cannot be had
    // or the size is beyond MaxBitmapPixels.
    void SetSize(int width, int height);
    void SetWidth(int width) { SetSize(width, height_); }
    void SetHeight(int height) { SetSize(width_, height); }

    // Fills every pixel (nothing on an empty bitmap).
    void Clear(TColor32 color = clBlack32);
    // Sets every alpha to 255.
    void ResetAlpha();

    // Copies size, pixels and the drawing properties of another bitmap.
    void Assign(const TBitmap32& src);
    // Exchanges size and pixel memory with another bitmap (no copy); both
    // fire their change notifications.
    void SwapPixels(TBitmap32& other);

    TColor32* Bits() { return bits_.get(); }
    const TColor32* Bits() const { return bits_.get(); }
    TColor32* ScanLine(int y) { return bits_.get() + std::size_t(y) * std::size_t(width_); }
    const TColor32* ScanLine(int y) const {
        return bits_.get() + std::size_t(y) * std::size_t(width_);
    }

    // Unchecked access.
    TColor32 Pixel(int x, int y) const { return ScanLine(y)[x]; }
    void SetPixel(int x, int y, TColor32 c) { ScanLine(y)[x] = c; }
    // Bounds-checked access: reads outside give OuterColor, writes are ignored.
    TColor32 PixelS(int x, int y) const {
        return (x >= 0 && y >= 0 && x < width_ && y < height_) ? Pixel(x, y) : outerColor_;
    }
    void SetPixelS(int x, int y, TColor32 c) {
        if (x >= 0 && y >= 0 && x < width_ && y < height_) SetPixel(x, y, c);
    }

    TDrawMode DrawMode() const { return drawMode_; }
    void SetDrawMode(TDrawMode m);
    std::uint8_t MasterAlpha() const { return masterAlpha_; }
    void SetMasterAlpha(int a);
    TColor32 OuterColor() const { return outerColor_; }
    void SetOuterColor(TColor32 c) { outerColor_ = c; }
    TStretchFilter StretchFilter() const { return stretchFilter_; }
    void SetStretchFilter(TStretchFilter f);

    // Change notification. Updates nest; OnChange fires only at level 0.
    TNotifyEvent OnChange;
    TNotifyEvent OnResize;
    void BeginUpdate() { ++updateCount_; }
    // Throws "Unpaired TThreadPersistent.EndUpdate" without a BeginUpdate.
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }
    void Changed();

    // Draws this bitmap 1:1 with its top-left corner at (dstX, dstY) of dst,
    // combined by this bitmap's DrawMode and MasterAlpha.
    void DrawTo(TBitmap32& dst, int dstX, int dstY) const;
    // Draws the whole bitmap stretched into dstRect of dst with this bitmap's
    // StretchFilter, DrawMode and MasterAlpha. Nothing when either is empty.
    void DrawTo(TBitmap32& dst, const TRect& dstRect) const;
    // Draws srcRect of this bitmap stretched into dstRect of dst.
    void DrawTo(TBitmap32& dst, const TRect& dstRect, const TRect& srcRect) const;
    // The same, writing only the destination pixels inside clipRect; they
    // are sampled exactly as the whole dstRect would be.
    void DrawTo(TBitmap32& dst, const TRect& dstRect, const TRect& srcRect, const TRect& clipRect) const;

    // Pen position and stipple pattern used by the line drawing of the engine.
    TPoint PenPos;
    TFixedPoint PenPosF;
    std::vector<TColor32> StipplePattern;
    float StippleCounter = 0.0f;
    float StippleStep = 1.0f;
    void SetStipple(const std::vector<TColor32>& colors) {
        StipplePattern = colors;
        StippleCounter = 0.0f;
    }

private:
    struct TFreeBits {
        void operator()(TColor32* p) const;
    };
    std::unique_ptr<TColor32[], TFreeBits> bits_;
    int width_ = 0;
    int height_ = 0;
    TDrawMode drawMode_ = TDrawMode::dmOpaque;
    std::uint8_t masterAlpha_ = 255;
    TColor32 outerColor_ = 0;
    TStretchFilter stretchFilter_ = TStretchFilter::sfNearest;
    int updateCount_ = 0;
};

// x / 255 rounded to the nearest, exact for 0 <= x <= 255 * 255.
constexpr std::uint32_t Div255Round(std::uint32_t x) {
    x += 128;
    return (x + (x >> 8)) >> 8;
}

// Combines a foreground pixel over a background pixel by the foreground's
// alpha scaled by a master alpha (0 to 255), rounding to the nearest.
inline TColor32 BlendPixel(TColor32 f, TColor32 b, std::uint32_t master) {
    const std::uint32_t a = Div255Round(AlphaComponent(f) * master);
    if (a == 0) return b;
    if (a == 255) return f | 0xFF000000u;
    const std::uint32_t na = 255 - a;
    auto mix = [&](std::uint32_t fc, std::uint32_t bc) { return Div255Round(fc * a + bc * na); };
    const std::uint32_t ra = a + Div255Round(AlphaComponent(b) * na);
    return (ra << 24) | (mix(RedComponent(f), RedComponent(b)) << 16) |
           (mix(GreenComponent(f), GreenComponent(b)) << 8) | mix(BlueComponent(f), BlueComponent(b));
}

} // namespace ivra
