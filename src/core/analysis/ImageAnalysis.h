#pragma once
// The image analysis shared by the analysis windows: one pass over every
// pixel counting how often each level of seven channels occurs.

#include "core/raster/Bitmap32.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace ivra {

enum class TAnalysisChannel { Red, Green, Blue, Gray, Hue, Saturation, Value };

// The counts of the last analysis. The program keeps one instance of it
// (ChannelHistograms), which the histogram window, the stretch dialog and
// the statistics window all read.
struct TChannelHistograms {
    std::array<std::uint32_t, 256> Red{};
    std::array<std::uint32_t, 256> Green{};
    std::array<std::uint32_t, 256> Blue{};
    std::array<std::uint32_t, 256> Gray{};       // intensity (61 R + 174 G + 21 B) >> 8
    std::array<std::uint32_t, 101> Hue{};        // round(H x 100) of RGBToHSL
    std::array<std::uint32_t, 101> Saturation{}; // round(S x 100)
    std::array<std::uint32_t, 101> Value{};      // round(L x 100), the lightness
    std::int32_t PixelCount = 0;                 // width x height
    std::string ImageName;                       // the analysed image's name, folder included
};

// "Red", "Green", "Blue", "Gray", "Hue", "Saturation", "Value": the labels
// of the statistics rows.
const char* AnalysisChannelName(TAnalysisChannel channel);

// 256 for red, green, blue and gray; 101 for hue, saturation and value.
int ChannelLevelCount(TAnalysisChannel channel);

// The counts of one channel, levels 0 .. ChannelLevelCount - 1.
std::span<const std::uint32_t> ChannelCounts(const TChannelHistograms& histograms, TAnalysisChannel channel);

// AnalyseImage as a computation: sets every count to 0, then counts every
// pixel of bitmap (alpha ignored) in all seven tables; records the pixel
// count and the image name. Rounding of the HSL levels is to the nearest,
// halves to even, from the exact product. Large images are counted in bands
// on several threads (counts are added up, so the result is the same).
void AnalyseImage(const TBitmap32& bitmap, const std::string& imageName, TChannelHistograms& histograms);

} // namespace ivra
