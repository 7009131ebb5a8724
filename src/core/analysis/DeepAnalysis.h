#pragma once
// The analysis of an image's 16-bit samples: counts of every level 0 ..
// 65535 of red, green, blue and gray, and the statistics, frequency table
// and region analysis over them. Sums are exact (64-bit integers) and the
// moments are formed in double precision, so a 100-megapixel image has its
// exact mean. Hue, saturation and value have no 16-bit form: they stay
// with the 8-bit analysis.

#include "core/analysis/ChannelStats.h"
#include "core/analysis/RegionStats.h"
#include "core/raster/Bitmap32.h"
#include "core/raster/Samples16.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ivra {

constexpr int DeepLevelCount = 65536;

// The counts of a 16-bit analysis. Gray samples count the same in all four
// tables; for RGB samples gray is (61 R + 174 G + 21 B) >> 8, the 8-bit
// analysis's weights at 16 bits.
struct TDeepHistograms {
    std::vector<std::uint32_t> Red, Green, Blue, Gray;  // DeepLevelCount each once analysed
    std::int64_t PixelCount = 0;
    std::string ImageName;
};

// The label of the Data column for rows of 16-bit values: "name [16-bit]".
std::string DeepDataLabel(const std::string& imageName);

// True for the channels the 16-bit analysis counts (red, green, blue, gray).
bool DeepChannel(TAnalysisChannel channel);

// The counts of a channel DeepChannel accepts (empty for the others).
std::span<const std::uint32_t> DeepChannelCounts(const TDeepHistograms& histograms, TAnalysisChannel channel);

// Counts every sample (bands on several threads; the counts are the same).
void AnalyseSamples(const TSamples16& samples, const std::string& imageName, TDeepHistograms& histograms);

// The same over the pixels of a region (the pixels AnalyseRegion counts).
void AnalyseSamplesRegion(const TSamples16& samples, const TRegionShape& shape, const std::string& name,
                          TDeepHistograms& histograms);

// The statistics of counts c[0 .. K] with n pixels, by the rules of
// ComputeChannelStats (the same median rule, population variance, plain
// skew and kurtosis, CoefVar 0 for a zero mean), but with the level sums
// exact in 64-bit integers and every moment in double precision, kept in
// double precision.
TChannelStats ComputeDeepChannelStats(std::span<const std::uint32_t> counts, std::int64_t pixelCount);

// The samples of pixel p as text: "4095" for gray, "17619 52320 32173" for
// red, green and blue; empty outside the image.
std::string DeepValueText(const TSamples16& samples, TPoint p);

// The rows of a channel set over 16-bit counts: RGB or Gray, each labelled
// DeepDataLabel(ImageName). HSV and None give no rows.
std::vector<std::vector<std::string>> DeepStatsRows(const TDeepHistograms& histograms, TChannelSet set,
                                                    int decimals, char decimalSeparator);

} // namespace ivra
