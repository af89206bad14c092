// Percentile bootstrap intervals of medians and of the ratio of two
// medians: resample each sample with replacement, recompute the figure,
// and take the middle 95 % of the figures. The generator is seeded with a
// constant, so the same samples always give the same interval.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Interval {
    double low = 0;
    double high = 0;
};

constexpr int kBootstrapResamples = 5000;
constexpr double kConfidence = 0.95;

// The work of a bootstrap is its resamples times the values each draws.
// A sample of more runs than kLargestResample is resampled m out of n: each
// resample draws kLargestResample of its values, and the resampled median's
// distance from the sample's is scaled by sqrt(m / n), as a median of n
// values spreads that much less than one of m. Smaller samples are
// resampled whole, as they always were.
constexpr std::size_t kLargestResample = 1000;
// The values all the resamples of one comparison draw together, at most:
// some 20 ns each on a desktop core, so two seconds or so however large
// the reports; a report of a few hundred runs a cell stays well within.
constexpr std::uint64_t kResampledValues = 100000000;
// Fewer resamples than this put too few figures in the interval's 2.5 %
// tails to place its ends: a comparison that would need fewer is refused.
constexpr int kFewestResamples = 500;

// The values one resample of a sample of this many runs draws.
std::size_t ResampleSize(std::size_t runs);

// The resamples each bootstrap of a comparison makes when one resample of
// every sample it bootstraps draws valuesPerResample values in all:
// kBootstrapResamples while they stay within kResampledValues, fewer
// beyond, but at least 1.
int ResamplesWithin(std::uint64_t valuesPerResample);

// after / before; a clock too coarse for a tiny sort can give a median of
// 0: then +infinity, or 1 when both are 0.
double MedianRatio(double before, double after);

// The interval of median(current) / median(baseline), the MedianRatio of
// the resampled medians. Both samples need at least one value.
Interval BootstrapRatioInterval(const std::vector<double>& baseline,
                                const std::vector<double>& current,
                                int resamples = kBootstrapResamples);

// The interval of the median of one sample, which needs at least one value.
Interval BootstrapMedianInterval(const std::vector<double>& sample,
                                 int resamples = kBootstrapResamples);

// One cell of a geometric mean: the sample its ratio is taken against and
// the sample taken, each of at least one value and a positive median.
struct RatioCell {
    const std::vector<double>* before;
    const std::vector<double>* after;
};

struct GeometricMean {
    double value = 1;  // of the cells' median ratios, after over before
    Interval interval;
};

// The geometric mean over cells of median(after) / median(before), and its
// interval: every resample draws each cell's runs on both sides again, so
// a noisy cell widens it and a cell of steady runs does not, however far
// the cells' ratios lie apart. cells is not empty.
GeometricMean GeometricMeanRatio(const std::vector<RatioCell>& cells, int resamples = kBootstrapResamples);

// The values one resample of GeometricMeanRatio over cells draws: for
// ResamplesWithin, by a caller that bootstraps many of them.
std::uint64_t ValuesPerResample(const std::vector<RatioCell>& cells);

// The q-quantile (0 <= q <= 1) of sorted, non-empty figures, interpolated
// linearly between neighbouring order statistics.
double SortedQuantile(const std::vector<double>& sorted, double q);
