// The bootstrap intervals: how often they hold the true value on synthetic
// samples of known medians, their repeatability, and the quantile rule.
#include "bench/stats/bootstrap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

// Skewed like sort times: a floor plus an exponential tail. The median of
// floor + scale * Exp(1) is floor + scale * ln 2.
std::vector<double> SkewedSample(std::mt19937_64& random, int size, double floor, double scale) {
    std::vector<double> sample;
    for (int k = 0; k < size; ++k) {
        const double uniform = static_cast<double>(random() >> 11) * 0x1.0p-53;
        sample.push_back(floor - scale * std::log1p(-uniform));
    }
    return sample;
}

// Fewer than a report takes, to keep the test quick; the coverage hardly
// depends on it.
constexpr int kResamples = 1000;

struct Coverage {
    int ratio = 0;
    int median = 0;
};

// Trials in which the intervals hold the true ratio 0.8 of the medians and
// the baseline's true median.
Coverage CountCoverage(int trials, int size, int resamples = kResamples) {
    const double trueMedian = 100 + 20 * std::log(2.0);
    std::mt19937_64 random(size);
    Coverage covered;
    for (int trial = 0; trial < trials; ++trial) {
        const std::vector<double> baseline = SkewedSample(random, size, 100, 20);
        const std::vector<double> current = SkewedSample(random, size, 80, 16);  // every figure times 0.8
        const Interval ratio = BootstrapRatioInterval(baseline, current, resamples);
        const Interval median = BootstrapMedianInterval(baseline, resamples);
        covered.ratio += ratio.low <= 0.8 && 0.8 <= ratio.high;
        covered.median += median.low <= trueMedian && trueMedian <= median.high;
    }
    return covered;
}

}  // namespace

TEST(BenchBootstrap, IntervalsHoldTheTrueValueAboutNineteenTimesInTwenty) {
    // With 200 trials a true coverage of 95 % lands in 87.5 ... 99.5 %
    // almost surely; the seeds are fixed, so the counts do not vary between
    // runs. (Percentile intervals of a median from fewer runs are wider
    // than they need be: the resampled medians take few values.)
    for (int size : {15, 31}) {
        const Coverage covered = CountCoverage(200, size);
        EXPECT_GE(covered.ratio, 175) << size << " runs";
        EXPECT_LE(covered.ratio, 199) << size << " runs";
        EXPECT_GE(covered.median, 175) << size << " runs";
        EXPECT_LE(covered.median, 199) << size << " runs";
    }
}

// Samples of more runs than a resample draws: resampled m out of n, the
// intervals must still hold the truth about as often, neither as rarely as
// intervals too narrow nor as always as ones sqrt(n / m) too wide.
TEST(BenchBootstrap, IntervalsOfPartResamplesHoldTheTrueValueAboutNineteenTimesInTwenty) {
    const int size = static_cast<int>(4 * kLargestResample);
    const Coverage covered = CountCoverage(100, size, 300);
    EXPECT_GE(covered.ratio, 85);
    EXPECT_LE(covered.ratio, 99);
    EXPECT_GE(covered.median, 85);
    EXPECT_LE(covered.median, 99);
}

// A sample a resample draws whole gets the interval the bootstrap gave when
// every sample was drawn whole: these figures are that version's, for the
// largest such sample and a small one, so reports of ordinary runs compare
// to the same bytes.
TEST(BenchBootstrap, WholeSamplesKeepTheirIntervals) {
    struct Row {
        int size;
        Interval median, ratio;
    };
    const Row rows[] = {
        {7, {0x1.9c2f27f897bddp+6, 0x1.0061b7827fb9bp+7}, {0x1.85459d32eb17p-1, 0x1.4e2208dad3aep+0}},
        {1000, {0x1.c3b57e0d49274p+6, 0x1.cd9197f7b61bep+6}, {0x1.c62b7dfdf48dap-1, 0x1.d51e8930130dp-1}},
    };
    ASSERT_EQ(static_cast<std::size_t>(rows[1].size), kLargestResample);
    for (const Row& row : rows) {
        std::mt19937_64 random(static_cast<std::uint64_t>(row.size));
        std::vector<double> baseline, current;
        for (int k = 0; k < row.size; ++k) {
            baseline.push_back(100 - 20 * std::log1p(-static_cast<double>(random() >> 11) * 0x1.0p-53));
            current.push_back(90 - 20 * std::log1p(-static_cast<double>(random() >> 11) * 0x1.0p-53));
        }
        const Interval median = BootstrapMedianInterval(baseline), ratio = BootstrapRatioInterval(baseline, current);
        EXPECT_EQ(median.low, row.median.low) << row.size;
        EXPECT_EQ(median.high, row.median.high) << row.size;
        EXPECT_EQ(ratio.low, row.ratio.low) << row.size;
        EXPECT_EQ(ratio.high, row.ratio.high) << row.size;
    }
}

// However many values a comparison's resamples draw, all its resamples
// together draw no more than the bound, and as many as it allows: all of
// them while that fits.
TEST(BenchBootstrap, ResamplesStayWithinTheBound) {
    const std::uint64_t full = kResampledValues / kBootstrapResamples;
    for (const std::uint64_t values : {std::uint64_t{1}, std::uint64_t{40}, full, full + 1, 3 * full + 7,
                                       kResampledValues / kFewestResamples, kResampledValues - 1, kResampledValues,
                                       kResampledValues + 1, std::uint64_t{1} << 40}) {
        const auto resamples = static_cast<std::uint64_t>(ResamplesWithin(values));
        EXPECT_GE(resamples, 1u) << values;
        EXPECT_LE(resamples, static_cast<std::uint64_t>(kBootstrapResamples)) << values;
        if (values <= kResampledValues) {
            EXPECT_LE(resamples * values, kResampledValues) << values;
            if (resamples < static_cast<std::uint64_t>(kBootstrapResamples)) {
                EXPECT_GT((resamples + 1) * values, kResampledValues) << values;
            }
        }
        EXPECT_EQ(resamples == static_cast<std::uint64_t>(kBootstrapResamples), values <= full) << values;
    }
    EXPECT_EQ(ResamplesWithin(0), kBootstrapResamples);
}

TEST(BenchBootstrap, SameSamplesGiveTheSameInterval) {
    std::mt19937_64 random(7);
    const std::vector<double> baseline = SkewedSample(random, 11, 50, 5);
    const std::vector<double> current = SkewedSample(random, 13, 45, 5);
    const Interval first = BootstrapRatioInterval(baseline, current);
    const Interval second = BootstrapRatioInterval(baseline, current);
    EXPECT_EQ(first.low, second.low);
    EXPECT_EQ(first.high, second.high);
    EXPECT_LT(first.low, first.high);
}

// With few resamples of a sample of many distinct values, the interval's
// ends move with the generator's seed: the same samples must give the same
// interval in every call, as in every run, however many are asked.
TEST(BenchBootstrap, EveryCallDrawsTheSameResamples) {
    const std::vector<double> sample = {3, 41, 5, 97, 26, 53, 58, 9, 79, 32, 38, 46, 26, 43, 83};
    const std::vector<double> other = {27, 95, 2, 88, 41, 97, 16, 93, 99, 37, 51, 5, 82, 9};
    for (const int resamples : {3, 7, 20, 101}) {
        const Interval median = BootstrapMedianInterval(sample, resamples);
        const Interval ratio = BootstrapRatioInterval(sample, other, resamples);
        for (int call = 0; call < 8; ++call) {
            const Interval medianAgain = BootstrapMedianInterval(sample, resamples);
            const Interval ratioAgain = BootstrapRatioInterval(sample, other, resamples);
            EXPECT_EQ(medianAgain.low, median.low) << resamples;
            EXPECT_EQ(medianAgain.high, median.high) << resamples;
            EXPECT_EQ(ratioAgain.low, ratio.low) << resamples;
            EXPECT_EQ(ratioAgain.high, ratio.high) << resamples;
        }
        EXPECT_LE(median.low, median.high);
    }
}

TEST(BenchBootstrap, ConstantSamplesGiveAPoint) {
    const Interval ratio = BootstrapRatioInterval({10, 10, 10}, {5, 5, 5, 5});
    EXPECT_EQ(ratio.low, 0.5);
    EXPECT_EQ(ratio.high, 0.5);
    const Interval median = BootstrapMedianInterval({7});
    EXPECT_EQ(median.low, 7);
    EXPECT_EQ(median.high, 7);
}

TEST(BenchBootstrap, RatioOfMediansWithAZeroBaseline) {
    EXPECT_EQ(MedianRatio(4, 2), 0.5);
    EXPECT_EQ(MedianRatio(0, 2), std::numeric_limits<double>::infinity());
    EXPECT_EQ(MedianRatio(0, 0), 1);
    const Interval ratio = BootstrapRatioInterval({0, 0, 0}, {1, 2, 3});
    EXPECT_EQ(ratio.low, std::numeric_limits<double>::infinity());
    EXPECT_EQ(ratio.high, std::numeric_limits<double>::infinity());
}

TEST(BenchBootstrap, QuantilesInterpolateBetweenOrderStatistics) {
    const std::vector<double> sorted = {0, 10, 20, 30, 40};
    EXPECT_EQ(SortedQuantile(sorted, 0), 0);
    EXPECT_EQ(SortedQuantile(sorted, 1), 40);
    EXPECT_DOUBLE_EQ(SortedQuantile(sorted, 0.025), 1);   // position 0.1
    EXPECT_DOUBLE_EQ(SortedQuantile(sorted, 0.975), 39);  // position 3.9
    EXPECT_DOUBLE_EQ(SortedQuantile({1, 2, 3, 4}, 0.5), 2.5);
    EXPECT_EQ(SortedQuantile({6}, 0.975), 6);
}
