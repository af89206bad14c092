// The Mann-Whitney U test against values computed by SciPy 1.10.1 (Debian
// 12's python3-scipy), each with the command
//   python3 -c "from scipy.stats import mannwhitneyu as m; print(m(X, Y, method=M))"
// where X and Y are the case's samples and M is 'exact' for the cases
// tested exactly here and 'asymptotic' (normal approximation with tie and
// continuity correction, scipy's default) for the others.
#include "bench/stats/rank_test.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct RankCase {
    std::vector<double> first;
    std::vector<double> second;
    bool exact;
    double u;
    double p;
};

std::vector<double> Residues(int count, int step, int modulus, double offset, int shift = 0) {
    std::vector<double> values;
    for (int k = 0; k < count; ++k) values.push_back(offset + (k * step + shift) % modulus);
    return values;
}

std::vector<double> Range(int from, int to) {
    std::vector<double> values;
    for (int v = from; v < to; ++v) values.push_back(v);
    return values;
}

// Counts, over every way of choosing which m of m + n ranks belong to the
// first sample, those whose U is at most u: the exact distribution by
// brute force.
double EnumeratedCdf(int u, int m, int n) {
    int total = 0;
    int atMost = 0;
    for (unsigned mask = 0; mask < (1u << (m + n)); ++mask) {
        int chosen = 0;
        int pairs = 0;  // for each first-sample rank, the second-sample ranks below it
        int secondBelow = 0;
        for (int rank = 0; rank < m + n; ++rank) {
            if (mask & (1u << rank)) {
                ++chosen;
                pairs += secondBelow;
            } else {
                ++secondBelow;
            }
        }
        if (chosen != m) continue;
        ++total;
        if (pairs <= u) ++atMost;
    }
    return static_cast<double>(atMost) / total;
}

}  // namespace

TEST(BenchRankTest, AgreesWithScipy) {
    const RankCase cases[] = {
        // Exact: n = 1 ... 20 and the largest exact size, separated and mixed.
        {{1}, {2}, true, 0.0, 1.0},
        {{1, 2}, {3, 4}, true, 0.0, 0.3333333333333333},
        {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}, true, 0.0, 0.007936507936507936},
        {{10, 20, 30}, {15, 25, 35, 45}, true, 3.0, 0.4},
        {{5.1, 4.9, 6.2, 5.7, 6.0, 5.4, 4.8, 5.9}, {6.4, 5.8, 6.9, 7.1, 6.3, 5.5, 7.4, 6.6}, true, 7.0,
         0.006993006993006993},
        {{3.2, 1.7, 4.4, 2.9, 5.1, 3.8, 2.2, 4.0, 3.5, 1.9},
         {4.1, 5.6, 3.9, 6.2, 4.8, 5.2, 3.3, 6.8, 4.5, 5.9, 2.6, 5.0}, true, 20.0, 0.00714455822814956},
        // X = [1.5], Y = [k + 0.5 for k in range(21) if k != 1]
        {{1.5}, {0.5, 2.5, 3.5, 4.5, 5.5, 6.5, 7.5, 8.5, 9.5, 10.5, 11.5, 12.5, 13.5, 14.5, 15.5, 16.5,
                 17.5, 18.5, 19.5, 20.5}, true, 1.0, 0.19047619047619047},
        // X = list(range(1, 21)), Y = list(range(21, 41))
        {Range(1, 21), Range(21, 41), true, 0.0, 1.4508889103849684e-11},
        // X = [100 + (k * 37) % 41 for k in range(20)], Y = [110 + (k * 29) % 43 + 0.5 for k in range(17)]
        {Residues(20, 37, 41, 100), Residues(17, 29, 43, 110.5), true, 109.0, 0.06474058645069913},
        // X = [k * 1.0 for k in range(50)], Y = [k + 50.0 for k in range(50)]
        {Range(0, 50), Range(50, 100), true, 0.0, 1.9823306042836686e-29},
        // X = [(k * 17) % 101 for k in range(50)], Y = [(k * 23) % 103 + 0.25 for k in range(50)]
        {Residues(50, 17, 101, 0), Residues(50, 23, 103, 0.25), true, 1150.0, 0.4944096573137671},
        // Ties: equal samples, all values equal, ties inside and across.
        {{1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}, false, 12.5, 1.0},
        {{3, 3, 3}, {3, 3}, false, 3.0, 1.0},
        {{1, 2, 2, 3, 3, 3}, {2, 3, 4, 4, 5}, false, 5.5, 0.08871369199677616},
        {{1, 1, 1, 2}, {3, 3, 4, 4, 4}, false, 0.0, 0.015541208983595877},
        // X = [round(100 + (k * 37) % 41 / 10) for k in range(20)], Y = [round(102 + (k * 29) % 43 / 10) for k in range(20)]
        {{100, 104, 103, 103, 102, 102, 102, 101, 101, 100, 100, 104, 103, 103, 103, 102, 102, 101, 101, 101},
         {102, 105, 104, 102, 105, 104, 102, 105, 104, 102, 105, 104, 102, 105, 104, 102, 105, 104, 103, 106},
         false, 67.5, 0.00027349253599714317},
        // No ties but beyond the exact limit.
        // X = [(k * 3) % 101 for k in range(51)], Y = [(k * 7 + 5) % 113 + 0.5 for k in range(60)]
        {Residues(51, 3, 101, 0), Residues(60, 7, 113, 0.5, 5), false, 1183.0, 0.040332068098142174},
    };
    for (const RankCase& c : cases) {
        const std::string sizes = std::to_string(c.first.size()) + " and " + std::to_string(c.second.size());
        const RankTestResult result = MannWhitneyU(c.first, c.second);
        EXPECT_EQ(result.exact, c.exact) << sizes;
        EXPECT_EQ(result.u, c.u) << sizes;
        EXPECT_NEAR(result.p, c.p, c.p * 1e-9) << sizes;
        // Swapping the samples mirrors U and keeps the two-sided p.
        const RankTestResult swapped = MannWhitneyU(c.second, c.first);
        EXPECT_EQ(swapped.u, static_cast<double>(c.first.size() * c.second.size()) - c.u) << sizes;
        EXPECT_NEAR(swapped.p, c.p, c.p * 1e-9) << sizes;
    }
}

TEST(BenchRankTest, ExactDistributionMatchesEnumeration) {
    for (int m = 1; m <= 6; ++m)
        for (int n = 1; n <= 6; ++n)
            for (int u = -1; u <= m * n; ++u)
                EXPECT_NEAR(ExactRankSumCdf(u, m, n), EnumeratedCdf(u, m, n), 1e-12)
                    << "u " << u << ", m " << m << ", n " << n;
}

TEST(BenchRankTest, EmptySampleTestsNothing) {
    for (const RankTestResult& result : {MannWhitneyU({}, {1, 2}), MannWhitneyU({1, 2}, {})}) {
        EXPECT_EQ(result.u, 0);
        EXPECT_EQ(result.p, 1);
    }
}
