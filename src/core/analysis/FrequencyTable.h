#pragma once
// The frequency table of one channel: pixel counts in intervals of a bin
// size, with cumulative counts and percentages.

#include "core/analysis/DeepAnalysis.h"
#include "core/analysis/ImageAnalysis.h"

#include <cstdint>
#include <span>

#include <string>
#include <vector>

namespace ivra {

// "Red", "Green", "Blue", "Grayscale", "Hue", "Saturation", "Value": the
// items of the frequency dialog, used in the table label.
const char* FrequencyChannelLabel(TAnalysisChannel channel);

// The 6 header cells: "Data", "Interval", "Count", "Cumul.Count", "Percent",
// "Cumul.Percent".
std::vector<std::string> FrequencyHeaderCells();

// The rows of the table for one channel of the last analysis. Intervals of
// binSize levels from 0 up to the channel's last level (255, or 100 for hue,
// saturation and value), the last one possibly shorter: lower-upper, the
// count, the cumulative count, count x 100 / n and cumulative x 100 / n
// (n = PixelCount) as FloatToText with the given decimals and separator.
// The first row carries the label ImageName + " - " + channel label in its
// first cell. No rows when PixelCount is 0. A bin size below 1 is refused
// with an Error.
std::vector<std::vector<std::string>> FrequencyRows(const TChannelHistograms& histograms, TAnalysisChannel channel,
                                                    int binSize, int decimals, char decimalSeparator);

// The same table over any counts (levels 0 .. counts.size() - 1) with n =
// pixelCount and the given label on its first row.
std::vector<std::vector<std::string>> FrequencyRowsOfCounts(std::span<const std::uint32_t> counts,
                                                            std::int64_t pixelCount, const std::string& label,
                                                            int binSize, int decimals, char decimalSeparator);

// The table over 16-bit counts (levels 0 .. 65535), labelled
// DeepDataLabel(ImageName) + " - " + channel label; no rows for hue,
// saturation and value. The usual bin size is DeepDefaultBinSize.
constexpr int DeepDefaultBinSize = 4096;
std::vector<std::vector<std::string>> DeepFrequencyRows(const TDeepHistograms& histograms, TAnalysisChannel channel,
                                                        int binSize, int decimals, char decimalSeparator);

} // namespace ivra
