#include "core/analysis/FrequencyTable.h"

#include "core/Error.h"
#include "core/text/NumberText.h"

#include <algorithm>
#include <cstdint>

namespace ivra {

const char* FrequencyChannelLabel(TAnalysisChannel channel) {
    return channel == TAnalysisChannel::Gray ? "Grayscale" : AnalysisChannelName(channel);
}

std::vector<std::string> FrequencyHeaderCells() {
    return {"Data", "Interval", "Count", "Cumul.Count", "Percent", "Cumul.Percent"};
}

std::vector<std::vector<std::string>> FrequencyRowsOfCounts(std::span<const std::uint32_t> counts,
                                                            std::int64_t pixelCount, const std::string& label,
                                                            int binSize, int decimals, char sep) {
    if (binSize < 1) throw Error("The bin size must be at least 1, not " + std::to_string(binSize));
    std::vector<std::vector<std::string>> rows;
    if (pixelCount <= 0 || counts.empty()) return rows;
    const std::int64_t last = std::int64_t(counts.size()) - 1;
    const double n = double(pixelCount);
    std::int64_t upper = -1;
    std::uint64_t cumulative = 0;
    do {
        const std::int64_t lower = upper + 1;
        upper = std::min<std::int64_t>(upper + binSize, last);
        std::uint64_t count = 0;
        for (std::int64_t i = lower; i <= upper; ++i) count += counts[std::size_t(i)];
        cumulative += count;
        rows.push_back({lower == 0 ? label : std::string(), std::to_string(lower) + "-" + std::to_string(upper),
                        std::to_string(count), std::to_string(cumulative),
                        FloatToText(double(count * 100) / n, decimals, sep),
                        FloatToText(double(cumulative * 100) / n, decimals, sep)});
    } while (upper < last);
    return rows;
}

std::vector<std::vector<std::string>> FrequencyRows(const TChannelHistograms& h, TAnalysisChannel channel,
                                                    int binSize, int decimals, char sep) {
    return FrequencyRowsOfCounts(ChannelCounts(h, channel), h.PixelCount,
                                 h.ImageName + " - " + FrequencyChannelLabel(channel), binSize, decimals, sep);
}

std::vector<std::vector<std::string>> DeepFrequencyRows(const TDeepHistograms& h, TAnalysisChannel channel,
                                                        int binSize, int decimals, char sep) {
    return FrequencyRowsOfCounts(DeepChannelCounts(h, channel), h.PixelCount,
                                 DeepDataLabel(h.ImageName) + " - " + FrequencyChannelLabel(channel), binSize,
                                 decimals, sep);
}

} // namespace ivra
