#include "bench/suite/prediction.h"

#include <algorithm>
#include <cmath>

#include "bench/stats/statistics.h"

namespace {

// Exponents between which a sort's time grows with its size: linear at
// best, quadratic at worst.
constexpr double kLeastGrowth = 1;
constexpr double kMostGrowth = 2;

// The time per sort a row stands for in a prediction, or 0 when it has none.
double KnownMs(const Measurement& row, double timeLimitSeconds) {
    switch (row.outcome.end) {
        case End::kMeasured: return !row.times.empty() ? Median(row.times) : 0;
        case End::kOverLimit: return timeLimitSeconds * 1000;
        case End::kPredictedOver: return row.predictedMs;
        default: return 0;
    }
}

bool IsOver(const Measurement& row) {
    return row.outcome.end == End::kOverLimit || row.outcome.end == End::kPredictedOver;
}

}  // namespace

std::optional<double> PredictMs(const std::vector<Measurement>& smaller, std::int32_t count,
                                double timeLimitSeconds) {
    std::vector<const Measurement*> known;
    for (const Measurement& row : smaller)
        if (KnownMs(row, timeLimitSeconds) > 0) known.push_back(&row);
    if (known.empty()) return std::nullopt;
    const Measurement& last = *known.back();
    double growth = kLeastGrowth;
    if (known.size() >= 2 && !IsOver(last)) {
        const Measurement& before = *known[known.size() - 2];
        growth = std::log(KnownMs(last, timeLimitSeconds) / KnownMs(before, timeLimitSeconds)) /
                 std::log(static_cast<double>(last.count) / before.count);
        growth = std::clamp(growth, kLeastGrowth, kMostGrowth);
    }
    return KnownMs(last, timeLimitSeconds) * std::pow(static_cast<double>(count) / last.count, growth);
}
