#include "bench/stats/bootstrap.h"

#include <algorithm>
#include <limits>
#include <random>

#include "bench/stats/statistics.h"

namespace {

// std::mt19937_64 gives the same numbers with every standard library; the
// distributions of <random> do not, so the index is scaled from the top 53
// bits, exactly as a double holds them.
constexpr std::uint64_t kSeed = 20240917;

double ResampledMedian(const std::vector<double>& sample, std::mt19937_64& random,
                       std::vector<double>& buffer) {
    buffer.resize(sample.size());
    const double size = static_cast<double>(sample.size());
    for (double& value : buffer)
        value = sample[static_cast<std::size_t>(static_cast<double>(random() >> 11) * 0x1.0p-53 * size)];
    return MedianInPlace(buffer);
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

Interval BootstrapRatioInterval(const std::vector<double>& baseline,
                                const std::vector<double>& current, int resamples) {
    std::vector<double> buffer;
    return Percentiles(resamples, [&](std::mt19937_64& random) {
        const double before = ResampledMedian(baseline, random, buffer);
        const double after = ResampledMedian(current, random, buffer);
        return MedianRatio(before, after);
    });
}

Interval BootstrapMedianInterval(const std::vector<double>& sample, int resamples) {
    std::vector<double> buffer;
    return Percentiles(resamples, [&](std::mt19937_64& random) { return ResampledMedian(sample, random, buffer); });
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
