#include "bench/suite.h"

#include <algorithm>
#include <cmath>

#include "bench/guard.h"
#include "bench/statistics.h"

namespace {

// Exponents between which a sort's time grows with its size: linear at
// best, quadratic at worst.
constexpr double kLeastGrowth = 1;
constexpr double kMostGrowth = 2;

// The time per sort a row stands for in a prediction, or 0 when it has none.
double KnownMs(const Measurement& row, double timeLimitSeconds) {
    switch (row.end) {
        case CellEnd::kMeasured: return row.failedSlot == -1 && !row.times.empty() ? Median(row.times) : 0;
        case CellEnd::kOverLimit: return timeLimitSeconds * 1000;
        case CellEnd::kPredictedOver: return row.predictedMs;
        default: return 0;
    }
}

bool IsOver(const Measurement& row) {
    return row.end == CellEnd::kOverLimit || row.end == CellEnd::kPredictedOver;
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

bool MeasureSuite(const std::vector<Contender>& contenders, const MeasureSettings& settings,
                  const std::vector<std::string>& patterns, const std::vector<std::int32_t>& counts,
                  const ProgressReport& progress, std::vector<Measurement>& rows, std::string& error) {
    const bool oneCell = patterns.size() == 1 && counts.size() == 1;
    const int cellTotal = static_cast<int>(Schedule(static_cast<int>(contenders.size()), settings).size());
    const int total = cellTotal * static_cast<int>(patterns.size() * counts.size());
    rows.clear();
    int cellsDone = 0;
    for (const std::string& pattern : patterns) {
        for (const std::int32_t count : counts) {
            MeasureSettings cell = settings;
            cell.pattern = pattern;
            cell.count = count;
            std::vector<Measurement> cellRows;
            for (const Contender& contender : contenders) {
                Measurement row;
                row.contender = contender;
                row.pattern = pattern;
                row.count = count;
                std::vector<Measurement> smaller;
                std::copy_if(rows.begin(), rows.end(), std::back_inserter(smaller), [&](const Measurement& r) {
                    return r.contender.name == contender.name && r.pattern == pattern;
                });
                const std::optional<double> predicted = PredictMs(smaller, count, settings.timeLimitSeconds);
                if (predicted && *predicted > kPredictionMargin * settings.timeLimitSeconds * 1000) {
                    row.end = CellEnd::kPredictedOver;
                    row.predictedMs = *predicted;
                }
                cellRows.push_back(row);
            }
            const std::string where = oneCell ? "" : pattern + " " + std::to_string(count) + ": ";
            const ProgressReport cellProgress = [&](const std::string& name, int done, int) {
                if (progress) progress(where + name, cellsDone * cellTotal + done, total);
            };
            if (!MeasureGuarded(contenders, cell, cellProgress, cellRows, error)) return false;
            rows.insert(rows.end(), cellRows.begin(), cellRows.end());
            ++cellsDone;
        }
    }
    return true;
}
