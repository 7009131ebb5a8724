#include "core/analysis/ChannelStats.h"

#include "core/text/NumberText.h"

#include <algorithm>
#include <cmath>

namespace ivra {

TChannelStats ComputeChannelStats(std::span<const std::uint32_t> c, std::int32_t pixelCount) {
    TChannelStats s;
    if (pixelCount <= 0) return s;
    s.n = std::uint32_t(pixelCount);
    const double n = double(pixelCount);
    const int levels = int(c.size());

    // Each i * c[i] is exact in double; the running sum is single.
    float sum = 0;
    int lo = -1, hi = -1;
    for (int i = 0; i < levels; ++i) {
        const std::uint32_t k = c[std::size_t(i)];
        if (k == 0) continue;
        sum = float(double(sum) + double(i) * double(k));
        if (lo < 0) lo = i;
        hi = i;
    }
    if (lo < 0) return s; // no pixel counted
    s.Mean = float(double(sum) / n);
    s.Min = lo;
    s.Max = hi;
    s.Range = hi - lo;

    const std::uint64_t need = std::max<std::uint64_t>(std::uint64_t(pixelCount) / 2, 1);
    std::uint64_t running = 0;
    s.Median = std::uint32_t(hi); // when the counts hold fewer pixels than n
    for (int i = 0; i < levels; ++i) {
        running += c[std::size_t(i)];
        if (running >= need) {
            s.Median = std::uint32_t(i);
            break;
        }
    }

    float m2 = 0, m3 = 0, m4 = 0;
    for (int i = lo; i <= hi; ++i) {
        const std::uint32_t k = c[std::size_t(i)];
        if (k == 0) continue; // a zero term leaves a sum as it is
        const double e = double(float(double(i) - double(s.Mean)));
        const double e2 = e * e; // exact
        m2 = float(double(m2) + double(k) * e2);
        m3 = float(double(m3) + double(k) * (e2 * e));
        m4 = float(double(m4) + double(k) * (e2 * e2));
    }
    s.Var = float(double(m2) / n);
    s.StDev = std::sqrt(float(s.Var));
    if (s.Var != 0) {
        s.Skew = float(double(m3) / (n * double(s.Var) * double(s.StDev)));
        s.Kurtosis = float(double(m4) / (n * double(s.Var) * double(s.Var)));
    }
    s.StErr = float(double(s.StDev) / std::sqrt(n));
    s.CoefVar = s.Mean != 0 ? float(double(s.StDev) / double(s.Mean) * 100.0) : 0.0f;
    return s;
}

std::vector<TAnalysisChannel> ChannelSetChannels(TChannelSet set) {
    switch (set) {
    case TChannelSet::RGB: return {TAnalysisChannel::Red, TAnalysisChannel::Green, TAnalysisChannel::Blue};
    case TChannelSet::HSV: return {TAnalysisChannel::Hue, TAnalysisChannel::Saturation, TAnalysisChannel::Value};
    case TChannelSet::Gray: return {TAnalysisChannel::Gray};
    case TChannelSet::None: break;
    }
    return {};
}

std::vector<std::string> StatsHeaderCells() {
    return {"Data", "Channel", "n",     "Mean",  "Median",  "Min",  "Max",
            "Range", "Var",    "StDev", "StErr", "CoefVar", "Skew", "Kurtosis"};
}

std::vector<std::string> StatsRowCells(const std::string& imageName, const std::string& label,
                                       const TChannelStats& s, int decimals, char sep) {
    auto real = [&](double v) { return FloatToText(v, decimals, sep); };
    return {imageName,
            label,
            std::to_string(s.n),
            real(s.Mean),
            std::to_string(s.Median),
            std::to_string(s.Min),
            std::to_string(s.Max),
            std::to_string(s.Range),
            real(s.Var),
            real(s.StDev),
            real(s.StErr),
            real(s.CoefVar),
            real(s.Skew),
            real(s.Kurtosis)};
}

std::vector<std::vector<std::string>> StatsRows(const TChannelHistograms& h, TChannelSet set, int decimals,
                                                char sep) {
    std::vector<std::vector<std::string>> rows;
    for (TAnalysisChannel ch : ChannelSetChannels(set))
        rows.push_back(StatsRowCells(h.ImageName, AnalysisChannelName(ch),
                                     ComputeChannelStats(ChannelCounts(h, ch), h.PixelCount), decimals, sep));
    return rows;
}

} // namespace ivra
