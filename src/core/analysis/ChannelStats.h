#pragma once
// The statistics of one channel table and the rows of the statistics grid.

#include "core/analysis/ImageAnalysis.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ivra {

// The reals are held in double precision for the 16-bit statistics
// (DeepAnalysis.h); those of the 8-bit rows are single-precision values.
struct TChannelStats {
    std::uint32_t n = 0;  // number of pixels (PixelCount)
    double Mean = 0;      // mean level
    double StErr = 0;     // standard error of the mean, StDev / sqrt(n)
    double StDev = 0;     // sqrt(Var)
    double Var = 0;       // population variance (divided by n)
    double CoefVar = 0;   // StDev / Mean x 100; 0 when Mean is 0
    double Skew = 0;      // third standardised moment; 0 when Var is 0
    double Kurtosis = 0;  // plain fourth standardised moment (3 for a normal
                          // distribution); 0 when Var is 0
    std::int32_t Range = 0; // Max - Min
    std::int32_t Min = 0;   // lowest level that occurs
    std::int32_t Max = 0;   // highest level that occurs
    std::uint32_t Median = 0;
};

// The statistics of counts c[0 .. K] with n = pixelCount:
// - Mean = (sum of i c[i]) / n, the sum accumulated in single precision;
// - Median = the lowest level m with c[0] + ... + c[m] >= max(n div 2, 1)
//   (so a one-pixel image has its pixel's level as median);
// - e = i - Mean rounded to single precision; Var = (sum of c[i] e^2) / n,
//   Skew = (sum of c[i] e^3) / (n Var StDev), Kurtosis = (sum of c[i] e^4) /
//   (n Var^2), each sum accumulated in single precision from terms formed in
//   double precision;
// - every result is stored in single precision.
// With n = 0 (or no counts) every field is 0.
TChannelStats ComputeChannelStats(std::span<const std::uint32_t> counts, std::int32_t pixelCount);

// Which rows an analysis adds (the channel dialog's item index plus one).
enum class TChannelSet { None = 0, RGB = 1, HSV = 2, Gray = 3 };

// The channels of a set in row order: Red, Green, Blue; Hue, Saturation,
// Value; Gray; none for None.
std::vector<TAnalysisChannel> ChannelSetChannels(TChannelSet set);

// The 14 header cells: "Data", "Channel", "n", "Mean", "Median", "Min",
// "Max", "Range", "Var", "StDev", "StErr", "CoefVar", "Skew", "Kurtosis".
std::vector<std::string> StatsHeaderCells();

// The 14 cells of one data row: the image name, the channel label, n,
// Mean, Median, Min, Max, Range, Var, StDev, StErr, CoefVar, Skew,
// Kurtosis. Integers in decimal; reals as FloatToText with the given number
// of decimals and decimal separator.
std::vector<std::string> StatsRowCells(const std::string& imageName, const std::string& label,
                                       const TChannelStats& stats, int decimals, char decimalSeparator);

// The rows an analysis with a channel set adds, in order, each from the
// statistics of its table with n = PixelCount and the image name of the
// histograms in its first cell.
std::vector<std::vector<std::string>> StatsRows(const TChannelHistograms& histograms, TChannelSet set,
                                                int decimals, char decimalSeparator);

} // namespace ivra
