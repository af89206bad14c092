// The Mann-Whitney U test (Wilcoxon rank-sum test) of two samples of times:
// does one tend to take longer than the other? It assumes nothing about the
// distribution of the times, which are skewed and have outliers.
#pragma once

#include <vector>

struct RankTestResult {
    double u = 0;        // pairs (x, y) with x > y, ties counted one half
    double p = 1;        // two-sided p-value
    bool exact = false;  // p from the exact distribution of U, not the normal
};

// Samples at most this large, and without a value occurring twice in the
// pooled sample, get the exact p-value; others the normal approximation.
constexpr int kExactRankTestLimit = 50;

// Tests first against second; u is first's statistic. With an empty sample
// there is nothing to test: u = 0 and p = 1. When every value is equal the
// ranks carry no information and p = 1.
RankTestResult MannWhitneyU(const std::vector<double>& first, const std::vector<double>& second);

// The probability that U <= u for samples of sizes m and n without ties,
// from the exact null distribution.
double ExactRankSumCdf(int u, int m, int n);
