#include "bench/stats/bootstrap.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include "bench/stats/statistics.h"

namespace {

// std::mt19937_64 gives the same numbers with every standard library; the
// distributions of <random> do not, so the index is scaled from the top 53
// bits, exactly as a double holds them.
constexpr std::uint64_t kSeed = 20240917;

// One sample as its resamples see it: its median, and how far a resampled
// median of ResampleSize values is scaled toward it.
struct Resampled {
    const std::vector<double>& sample;
    double median = 0;
    double scale = 1;
};

Resampled Prepare(const std::vector<double>& sample) {
    Resampled prepared{sample};
    const std::size_t size = ResampleSize(sample.size());
    if (size == sample.size()) return prepared;
    // A median of m draws spreads as 1 / sqrt(m), one of n as 1 / sqrt(n).
    prepared.median = Median(sample);
    prepared.scale = std::sqrt(static_cast<double>(size) / static_cast<double>(sample.size()));
    return prepared;
}

double ResampledMedian(const Resampled& from, std::mt19937_64& random, std::vector<double>& buffer) {
    buffer.resize(ResampleSize(from.sample.size()));
    const double size = static_cast<double>(from.sample.size());
    for (double& value : buffer)
        value = from.sample[static_cast<std::size_t>(static_cast<double>(random() >> 11) * 0x1.0p-53 * size)];
    const double median = MedianInPlace(buffer);
    // A whole sample's resamples are kept exactly as drawn.
    if (from.scale == 1) return median;
    return from.median + from.scale * (median - from.median);
}

template <typename Figure>
Interval Percentiles(int resamples, Figure figure) {
    std::mt19937_64 random(kSeed);
    std::vector<double> figures(static_cast<std::size_t>(resamples));
    for (double& value : figures) value = figure(random);
    std::sort(figures.begin(), figures.end());
    const double tail = (1 - kConfidence) / 2;
    return {SortedQuantile(figures, tail), SortedQuantile(figures, 1 - tail)};
}

}  // namespace

std::size_t ResampleSize(std::size_t runs) {
    return std::min(runs, kLargestResample);
}

int ResamplesWithin(std::uint64_t valuesPerResample) {
    if (valuesPerResample == 0) return kBootstrapResamples;
    const std::uint64_t within = kResampledValues / valuesPerResample;
    return static_cast<int>(std::clamp<std::uint64_t>(within, 1, kBootstrapResamples));
}

Interval BootstrapRatioInterval(const std::vector<double>& baseline,
                                const std::vector<double>& current, int resamples) {
    std::vector<double> buffer;
    const Resampled before = Prepare(baseline), after = Prepare(current);
    return Percentiles(resamples, [&](std::mt19937_64& random) {
        const double resampledBefore = ResampledMedian(before, random, buffer);
        const double resampledAfter = ResampledMedian(after, random, buffer);
        return MedianRatio(resampledBefore, resampledAfter);
    });
}

Interval BootstrapMedianInterval(const std::vector<double>& sample, int resamples) {
    std::vector<double> buffer;
    const Resampled from = Prepare(sample);
    return Percentiles(resamples, [&](std::mt19937_64& random) { return ResampledMedian(from, random, buffer); });
}

GeometricMean GeometricMeanRatio(const std::vector<RatioCell>& cells, int resamples) {
    std::vector<Resampled> before, after;
    double logSum = 0;
    for (const RatioCell& cell : cells) {
        before.push_back(Prepare(*cell.before));
        after.push_back(Prepare(*cell.after));
        logSum += std::log(Median(*cell.after) / Median(*cell.before));
    }
    const double count = static_cast<double>(cells.size());
    std::vector<double> buffer;
    const Interval interval = Percentiles(resamples, [&](std::mt19937_64& random) {
        double sum = 0;
        for (std::size_t k = 0; k < cells.size(); ++k) {
            const double resampledBefore = ResampledMedian(before[k], random, buffer);
            sum += std::log(ResampledMedian(after[k], random, buffer) / resampledBefore);
        }
        return std::exp(sum / count);
    });
    return {std::exp(logSum / count), interval};
}

std::uint64_t ValuesPerResample(const std::vector<RatioCell>& cells) {
    std::uint64_t values = 0;
    for (const RatioCell& cell : cells) values += ResampleSize(cell.before->size()) + ResampleSize(cell.after->size());
    return values;
}

double MedianRatio(double before, double after) {
    if (before > 0) return after / before;
    return after > 0 ? std::numeric_limits<double>::infinity() : 1;
}

double SortedQuantile(const std::vector<double>& sorted, double q) {
    const double position = q * static_cast<double>(sorted.size() - 1);
    const std::size_t below = static_cast<std::size_t>(position);
    if (below + 1 >= sorted.size() || sorted[below] == sorted[below + 1]) return sorted[below];
    const double fraction = position - static_cast<double>(below);
    return sorted[below] + fraction * (sorted[below + 1] - sorted[below]);
}
