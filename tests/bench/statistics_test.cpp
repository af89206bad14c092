#include "bench/stats/statistics.h"

#include <gtest/gtest.h>

TEST(BenchStatistics, EmptySampleGivesZeros) {
    const Summary s = Summarise({});
    EXPECT_EQ(s.count, 0);
    EXPECT_EQ(s.min, 0);
    EXPECT_EQ(s.median, 0);
    EXPECT_EQ(s.mean, 0);
    EXPECT_EQ(s.stddev, 0);
    EXPECT_EQ(s.max, 0);
}

TEST(BenchStatistics, OneValueIsEveryFigureWithNoSpread) {
    const Summary s = Summarise({7.5});
    EXPECT_EQ(s.count, 1);
    EXPECT_EQ(s.min, 7.5);
    EXPECT_EQ(s.median, 7.5);
    EXPECT_EQ(s.mean, 7.5);
    EXPECT_EQ(s.stddev, 0);
    EXPECT_EQ(s.max, 7.5);
}

TEST(BenchStatistics, TwoValuesMedianIsTheirMean) {
    const Summary s = Summarise({10, 4});
    EXPECT_EQ(s.min, 4);
    EXPECT_EQ(s.median, 7);
    EXPECT_EQ(s.mean, 7);
    EXPECT_DOUBLE_EQ(s.stddev, 4.242640687119285);  // sqrt(18), divided by n - 1
    EXPECT_EQ(s.max, 10);
}

TEST(BenchStatistics, OddCountMedianIsTheMiddleOfTheSortedValues) {
    const Summary s = Summarise({9, 1, 5, 3, 100});
    EXPECT_EQ(s.median, 5);
    EXPECT_DOUBLE_EQ(s.mean, 23.6);
    EXPECT_DOUBLE_EQ(s.stddev, 42.81121348431974);
    EXPECT_EQ(s.min, 1);
    EXPECT_EQ(s.max, 100);
}

TEST(BenchStatistics, EvenCountMedianAveragesTheTwoMiddleValues) {
    EXPECT_EQ(Median({8, 2, 6, 4}), 5);
    EXPECT_EQ(Median({1, 1, 1, 50, 50, 50}), 25.5);
    EXPECT_EQ(Median({3, 3}), 3);
}

TEST(BenchStatistics, EqualValuesHaveNoSpread) {
    EXPECT_EQ(StandardDeviation({2.5, 2.5, 2.5}), 0);
}
