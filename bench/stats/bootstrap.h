// Percentile bootstrap intervals of medians and of the ratio of two
// medians: resample each sample with replacement, recompute the figure,
// and take the middle 95 % of the figures. The generator is seeded with a
// constant, so the same samples always give the same interval.
#pragma once

#include <cstdint>
#include <vector>

struct Interval {
    double low = 0;
    double high = 0;
};

constexpr int kBootstrapResamples = 5000;
constexpr double kConfidence = 0.95;

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

// The q-quantile (0 <= q <= 1) of sorted, non-empty figures, interpolated
// linearly between neighbouring order statistics.
double SortedQuantile(const std::vector<double>& sorted, double q);
