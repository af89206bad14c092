// The bootstrap intervals: how often they hold the true value on synthetic
// samples of known medians, their repeatability, and the quantile rule.
#include "bench/stats/bootstrap.h"
#include "bench/stats/statistics.h"

#include <gtest/gtest.h>

#include <algorithm>
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

namespace {

// An independent model of the geometric mean's interval: the product of
// the cells' ratios, its root taken once, resampled with a generator and
// index rule of its own, so only the statistics, not the draws, agree.
Interval ModelGeometricInterval(const std::vector<std::pair<std::vector<double>, std::vector<double>>>& cells) {
    std::minstd_rand random(99);
    const auto resampledMedian = [&](const std::vector<double>& sample) {
        std::vector<double> drawn;
        std::uniform_int_distribution<std::size_t> index(0, sample.size() - 1);
        for (std::size_t k = 0; k < sample.size(); ++k) drawn.push_back(sample[index(random)]);
        std::sort(drawn.begin(), drawn.end());
        const std::size_t middle = drawn.size() / 2;
        return drawn.size() % 2 ? drawn[middle] : (drawn[middle - 1] + drawn[middle]) / 2;
    };
    std::vector<double> means;
    for (int resample = 0; resample < 20000; ++resample) {
        double product = 1;
        for (const auto& [before, after] : cells) product *= resampledMedian(after) / resampledMedian(before);
        means.push_back(std::pow(product, 1.0 / static_cast<double>(cells.size())));
    }
    std::sort(means.begin(), means.end());
    return {means[means.size() / 40], means[means.size() - 1 - means.size() / 40]};
}

std::vector<double> Scaled(std::vector<double> sample, double factor) {
    for (double& value : sample) value *= factor;
    return sample;
}

}  // namespace

// The geometric mean of a table of synthetic cells against the model: its
// value is the root of the product of the median ratios, and its interval
// comes from each cell's runs, so cells of steady runs give a point however
// far apart their ratios lie, and a noisy cell widens it.
TEST(BenchBootstrap, GeometricMeanOfRatiosAndItsIntervalFollowEachCellsRuns) {
    using Cells = std::vector<std::pair<std::vector<double>, std::vector<double>>>;
    const std::vector<double> steady = {10, 10, 10, 10, 10};
    const std::vector<double> runs = {9.6, 10.3, 9.9, 10.1, 10.8, 9.4, 10.0};
    const std::vector<double> noisy = {4, 19, 7, 13, 30, 9, 11};
    struct Row {
        const char* what;
        Cells cells;
        double value;
        double width;  // 0 for a point, else at least this wide
    };
    const Row rows[] = {
        {"one cell", {{runs, Scaled(runs, 1.5)}}, 1.5, 0.05},
        {"steady cells far apart", {{steady, Scaled(steady, 0.25)}, {steady, Scaled(steady, 4)}, {steady, steady}}, 1, 0},
        {"equal ratios, noisy runs", {{runs, Scaled(runs, 2)}, {Scaled(runs, 3), Scaled(runs, 6)}}, 2, 0.05},
        {"one very noisy cell", {{runs, Scaled(runs, 2)}, {Scaled(runs, 3), Scaled(runs, 6)}, {noisy, Scaled(noisy, 2)}},
         2, 0.5},
    };
    for (const Row& row : rows) {
        std::vector<RatioCell> cells;
        double product = 1;
        for (const auto& [before, after] : row.cells) {
            cells.push_back({&before, &after});
            product *= Median(after) / Median(before);
        }
        const GeometricMean mean = GeometricMeanRatio(cells);
        EXPECT_NEAR(mean.value, std::pow(product, 1.0 / static_cast<double>(cells.size())), 1e-12) << row.what;
        EXPECT_NEAR(mean.value, row.value, 1e-12) << row.what;
        const Interval model = ModelGeometricInterval(row.cells);
        const double width = mean.interval.high - mean.interval.low;
        EXPECT_LE(mean.interval.low, mean.value) << row.what;
        EXPECT_GE(mean.interval.high, mean.value) << row.what;
        if (row.width == 0) {
            EXPECT_EQ(width, 0) << row.what;
            continue;
        }
        EXPECT_GE(width, row.width) << row.what;
        // Two bootstraps of 5,000 and 20,000 resamples place each end within
        // a tenth of the width of one another.
        EXPECT_NEAR(mean.interval.low, model.low, width / 10) << row.what;
        EXPECT_NEAR(mean.interval.high, model.high, width / 10) << row.what;
    }
}

// Two runs of one build: every cell's runs on both sides come from one
// distribution, so the true ratio is 1, and the interval must hold it at
// least 95 times in 100 over a few hundred repeats, of one cell or several,
// of few runs or more.
TEST(BenchBootstrap, GeometricMeanIntervalHoldsNoChangeAsOftenAsItsLevelSays) {
    constexpr int kRepeats = 300;
    for (const auto& [cellCount, runs] : {std::pair{1, 5}, std::pair{6, 5}, std::pair{6, 15}, std::pair{10, 7}}) {
        std::mt19937_64 random(static_cast<std::uint64_t>(cellCount * 100 + runs));
        int covered = 0;
        for (int repeat = 0; repeat < kRepeats; ++repeat) {
            std::vector<std::vector<double>> samples;
            for (int cell = 0; cell < cellCount; ++cell) {
                const double floor = 10.0 + 10 * cell, tail = floor / 20;
                samples.push_back(SkewedSample(random, runs, floor, tail));
                samples.push_back(SkewedSample(random, runs, floor, tail));
            }
            std::vector<RatioCell> cells;
            for (std::size_t k = 0; k < samples.size(); k += 2) cells.push_back({&samples[k], &samples[k + 1]});
            const Interval interval = GeometricMeanRatio(cells, kResamples).interval;
            covered += interval.low <= 1 && 1 <= interval.high;
        }
        EXPECT_GE(covered, kRepeats * 95 / 100) << cellCount << " cells of " << runs << " runs";
        EXPECT_LT(covered, kRepeats) << cellCount << " cells of " << runs << " runs: never missing is no interval";
    }
}
