#include "bench/suite/matrix.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "bench/measure/repetitions.h"
#include "bench/suite/counting.h"
#include "bench/suite/machine_counting.h"
#include "bench/suite/prediction.h"

Result<std::vector<Measurement>> MeasureSuite(const std::vector<Contender>& contenders,
                                              const MeasureSettings& settings,
                                              const std::vector<std::string>& patterns,
                                              const std::vector<std::int32_t>& counts,
                                              const ProgressReport& progress) {
    std::vector<Measurement> rows;
    const bool oneCell = patterns.size() == 1 && counts.size() == 1;
    const int cellTotal = static_cast<int>(Schedule(static_cast<int>(contenders.size()), settings).size());
    const int total = cellTotal * static_cast<int>(patterns.size() * counts.size());
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
                    row.outcome.end = End::kPredictedOver;
                    row.predictedMs = *predicted;
                }
                cellRows.push_back(row);
            }
            const std::string where = oneCell ? "" : pattern + " " + std::to_string(count) + ": ";
            const ProgressReport cellProgress = [&](const std::string& name, int done, int) {
                if (progress) progress(where + name, cellsDone * cellTotal + done, total);
            };
            Check measured = MeasureGuarded(contenders, cell, cellProgress, cellRows);
            if (measured && settings.operations) measured = CountGuarded(contenders, cell, cellRows);
            if (measured && settings.machineCounts) measured = CountMachineGuarded(cell, cellRows);
            if (!measured) return Refusal{measured.why()};
            rows.insert(rows.end(), cellRows.begin(), cellRows.end());
            ++cellsDone;
        }
    }
    return rows;
}
