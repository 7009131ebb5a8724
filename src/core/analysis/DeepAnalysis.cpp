#include "core/analysis/DeepAnalysis.h"

#include "core/processing/PixelLoops.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace ivra {

std::string DeepDataLabel(const std::string& imageName) { return imageName + " [16-bit]"; }

bool DeepChannel(TAnalysisChannel channel) {
    return channel == TAnalysisChannel::Red || channel == TAnalysisChannel::Green ||
           channel == TAnalysisChannel::Blue || channel == TAnalysisChannel::Gray;
}

std::span<const std::uint32_t> DeepChannelCounts(const TDeepHistograms& h, TAnalysisChannel channel) {
    switch (channel) {
    case TAnalysisChannel::Red: return h.Red;
    case TAnalysisChannel::Green: return h.Green;
    case TAnalysisChannel::Blue: return h.Blue;
    case TAnalysisChannel::Gray: return h.Gray;
    default: return {};
    }
}

namespace {

// One worker's counts; gray samples fill only the first table.
struct TDeepCounts {
    std::vector<std::uint32_t> t[4];
    explicit TDeepCounts(int tables) {
        for (int i = 0; i < tables; ++i) t[i].assign(DeepLevelCount, 0);
    }
};

// Counts n pixels of 1 or 3 interleaved channels.
void CountSamples(const std::uint16_t* p, std::size_t n, int channels, TDeepCounts& c) {
    if (channels == 1) {
        std::uint32_t* g = c.t[0].data();
        for (std::size_t i = 0; i < n; ++i) ++g[p[i]];
        return;
    }
    std::uint32_t *r = c.t[0].data(), *g = c.t[1].data(), *b = c.t[2].data(), *gray = c.t[3].data();
    for (std::size_t i = 0; i < n; ++i, p += 3) {
        ++r[p[0]];
        ++g[p[1]];
        ++b[p[2]];
        ++gray[(61u * p[0] + 174u * p[1] + 21u * p[2]) >> 8];
    }
}

// The tables of TDeepHistograms from summed worker counts.
void Fill(TDeepHistograms& h, TDeepCounts& sum, int channels) {
    if (channels == 1) {
        h.Gray = std::move(sum.t[0]);
        h.Red = h.Green = h.Blue = h.Gray;
    } else {
        h.Red = std::move(sum.t[0]);
        h.Green = std::move(sum.t[1]);
        h.Blue = std::move(sum.t[2]);
        h.Gray = std::move(sum.t[3]);
    }
}

int TableCount(int channels) { return channels == 1 ? 1 : 4; }

} // namespace

void AnalyseSamples(const TSamples16& samples, const std::string& imageName, TDeepHistograms& histograms) {
    const int channels = samples.Channels == 3 ? 3 : 1;
    const int tables = TableCount(channels);
    const std::size_t n = samples.Empty() ? 0 : samples.PixelCount();
    const int bands = n == 0 ? 1 : BandCount(n, std::size_t(1) << 20);
    std::vector<std::unique_ptr<TDeepCounts>> counts(std::size_t(WorkerCount(bands)));
    for (auto& c : counts) c = std::make_unique<TDeepCounts>(tables);
    if (n > 0)
        RunBands(bands, [&](int band, int worker) {
            const std::size_t b = n * std::size_t(band) / std::size_t(bands);
            const std::size_t e = n * std::size_t(band + 1) / std::size_t(bands);
            CountSamples(samples.Values.data() + b * std::size_t(channels), e - b, channels,
                         *counts[std::size_t(worker)]);
        });
    TDeepCounts& sum = *counts[0];
    for (std::size_t w = 1; w < counts.size(); ++w)
        for (int t = 0; t < tables; ++t)
            for (int i = 0; i < DeepLevelCount; ++i) sum.t[t][std::size_t(i)] += counts[w]->t[t][std::size_t(i)];
    TDeepHistograms result;
    result.ImageName = imageName;
    result.PixelCount = std::int64_t(n);
    Fill(result, sum, channels);
    histograms = std::move(result);
}

void AnalyseSamplesRegion(const TSamples16& samples, const TRegionShape& shape, const std::string& name,
                          TDeepHistograms& histograms) {
    const int channels = samples.Channels == 3 ? 3 : 1;
    TDeepCounts counts(TableCount(channels));
    std::int64_t pixels = 0;
    if (!samples.Empty())
        ForEachRegionSpan(shape, samples.Width, samples.Height, [&](int y, int x0, int x1) {
            CountSamples(samples.Row(y) + std::size_t(x0) * std::size_t(channels), std::size_t(x1 - x0), channels,
                         counts);
            pixels += x1 - x0;
        });
    TDeepHistograms result;
    result.ImageName = name;
    result.PixelCount = pixels;
    Fill(result, counts, channels);
    histograms = std::move(result);
}

TChannelStats ComputeDeepChannelStats(std::span<const std::uint32_t> c, std::int64_t pixelCount) {
    TChannelStats s;
    if (pixelCount <= 0) return s;
    const int levels = int(c.size());
    std::uint64_t sum = 0;
    int lo = -1, hi = -1;
    for (int i = 0; i < levels; ++i) {
        const std::uint64_t k = c[std::size_t(i)];
        if (k == 0) continue;
        sum += std::uint64_t(i) * k;
        if (lo < 0) lo = i;
        hi = i;
    }
    if (lo < 0) return s;
    s.n = std::uint32_t(pixelCount);
    const double n = double(pixelCount);
    s.Mean = double(sum) / n;
    s.Min = lo;
    s.Max = hi;
    s.Range = hi - lo;

    const std::uint64_t need = std::max<std::uint64_t>(std::uint64_t(pixelCount) / 2, 1);
    std::uint64_t running = 0;
    s.Median = std::uint32_t(hi);
    for (int i = lo; i <= hi; ++i) {
        running += c[std::size_t(i)];
        if (running >= need) {
            s.Median = std::uint32_t(i);
            break;
        }
    }

    // The deviations from the mean over at most 65536 levels, each term in
    // double precision: the sums have a relative error near 1e-12.
    double m2 = 0, m3 = 0, m4 = 0;
    for (int i = lo; i <= hi; ++i) {
        const std::uint32_t k = c[std::size_t(i)];
        if (k == 0) continue;
        const double e = double(i) - s.Mean, e2 = e * e;
        m2 += k * e2;
        m3 += k * e2 * e;
        m4 += k * e2 * e2;
    }
    s.Var = m2 / n;
    s.StDev = std::sqrt(s.Var);
    if (s.Var != 0) {
        s.Skew = m3 / (n * s.Var * s.StDev);
        s.Kurtosis = m4 / (n * s.Var * s.Var);
    }
    s.StErr = s.StDev / std::sqrt(n);
    s.CoefVar = s.Mean != 0 ? s.StDev / s.Mean * 100.0 : 0.0;
    return s;
}

std::string DeepValueText(const TSamples16& samples, TPoint p) {
    if (samples.Empty() || p.X < 0 || p.Y < 0 || p.X >= samples.Width || p.Y >= samples.Height) return {};
    std::string text = std::to_string(samples.At(p.X, p.Y, 0));
    for (int c = 1; c < samples.Channels; ++c) text += " " + std::to_string(samples.At(p.X, p.Y, c));
    return text;
}

std::vector<std::vector<std::string>> DeepStatsRows(const TDeepHistograms& h, TChannelSet set, int decimals,
                                                    char sep) {
    std::vector<std::vector<std::string>> rows;
    if (set != TChannelSet::RGB && set != TChannelSet::Gray) return rows;
    for (TAnalysisChannel ch : ChannelSetChannels(set))
        rows.push_back(StatsRowCells(DeepDataLabel(h.ImageName), AnalysisChannelName(ch),
                                     ComputeDeepChannelStats(DeepChannelCounts(h, ch), h.PixelCount), decimals, sep));
    return rows;
}

} // namespace ivra
