#include "bench/stats/rank_test.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

struct Ranking {
    double firstRankSum = 0;
    double tieTerm = 0;  // sum of t^3 - t over groups of t equal values
};

// Midranks of the pooled sample: equal values share the mean of the ranks
// they occupy.
Ranking Rank(const std::vector<double>& first, const std::vector<double>& second) {
    struct Value {
        double value;
        bool fromFirst;
    };
    std::vector<Value> pooled;
    for (double v : first) pooled.push_back({v, true});
    for (double v : second) pooled.push_back({v, false});
    std::sort(pooled.begin(), pooled.end(),
              [](const Value& a, const Value& b) { return a.value < b.value; });
    Ranking ranking;
    for (std::size_t start = 0; start < pooled.size();) {
        std::size_t end = start + 1;
        while (end < pooled.size() && pooled[end].value == pooled[start].value) ++end;
        const double midrank = static_cast<double>(start + 1 + end) / 2;  // ranks start + 1 ... end
        const double ties = static_cast<double>(end - start);
        ranking.tieTerm += ties * ties * ties - ties;
        for (std::size_t k = start; k < end; ++k)
            if (pooled[k].fromFirst) ranking.firstRankSum += midrank;
        start = end;
    }
    return ranking;
}

// Two-sided tail of the standard normal distribution beyond |z|.
double NormalTwoSided(double z) {
    return std::erfc(std::fabs(z) / std::sqrt(2.0));
}

}  // namespace

double ExactRankSumCdf(int u, int m, int n) {
    if (u < 0) return 0;
    if (u >= m * n) return 1;
    // The counts of U over all C(m+n, m) arrangements are the coefficients
    // of the Gaussian binomial, the product over i = 1 ... m of
    // (1 - q^(n+i)) / (1 - q^i). Coefficients of low powers depend only on
    // lower ones, so the polynomial is kept up to q^u; they are whole
    // numbers, exact in a double as far as the tail needs them.
    std::vector<double> counts(static_cast<std::size_t>(u) + 1, 0.0);
    counts[0] = 1;
    for (int i = 1; i <= m; ++i) {
        for (int k = u; k >= n + i; --k) counts[k] -= counts[k - n - i];
        for (int k = i; k <= u; ++k) counts[k] += counts[k - i];
    }
    // C(m+n, m), built so that every intermediate value is a whole number.
    double arrangements = 1;
    for (int i = 1; i <= m; ++i) arrangements = arrangements * (n + i) / i;
    return std::accumulate(counts.begin(), counts.end(), 0.0) / arrangements;
}

RankTestResult MannWhitneyU(const std::vector<double>& first, const std::vector<double>& second) {
    RankTestResult result;
    if (first.empty() || second.empty()) return result;
    const double m = static_cast<double>(first.size());
    const double n = static_cast<double>(second.size());
    const Ranking ranking = Rank(first, second);
    result.u = ranking.firstRankSum - m * (m + 1) / 2;
    // Both tails are the same: test the smaller of the two statistics.
    const double smaller = std::min(result.u, m * n - result.u);

    result.exact = ranking.tieTerm == 0 && first.size() <= kExactRankTestLimit &&
                   second.size() <= kExactRankTestLimit;
    if (result.exact) {
        const double tail = ExactRankSumCdf(static_cast<int>(smaller), static_cast<int>(m),
                                            static_cast<int>(n));
        result.p = std::min(1.0, 2 * tail);
        return result;
    }
    const double total = m + n;
    const double variance = m * n / 12 * ((total + 1) - ranking.tieTerm / (total * (total - 1)));
    if (variance <= 0) return result;  // every value equal: p stays 1
    // Continuity correction: half a step towards the mean.
    const double distance = std::max(0.0, m * n / 2 - smaller - 0.5);
    result.p = std::min(1.0, NormalTwoSided(distance / std::sqrt(variance)));
    return result;
}
