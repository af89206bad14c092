#include "bench/suite/matrix.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "bench/measure/repetitions.h"
#include "bench/suite/counting.h"
#include "bench/suite/machine_counting.h"
#include "bench/suite/prediction.h"

namespace {

// The row of contender in the cell, before it is measured: predicted over
// the limit from the smaller sizes of its shape and type measured already,
// or unable to sort the type at all.
Measurement RowBefore(const Contender& contender, const MeasureSettings& cell, const std::vector<Measurement>& rows) {
    Measurement row;
    row.contender = contender;
    row.pattern = cell.pattern;
    row.count = cell.count;
    row.type = cell.type;
    const std::string notSorted = NotSorted(contender, cell.type);
    if (!notSorted.empty()) {
        row.outcome = {End::kNotSorted, notSorted, {}};
        return row;
    }
    std::vector<Measurement> smaller;
    std::copy_if(rows.begin(), rows.end(), std::back_inserter(smaller), [&](const Measurement& r) {
        return r.contender.name == contender.name && r.pattern == cell.pattern && r.type == cell.type;
    });
    const std::optional<double> predicted = PredictMs(smaller, cell.count, cell.timeLimitSeconds);
    if (predicted && *predicted > kPredictionMargin * cell.timeLimitSeconds * 1000) {
        row.outcome.end = End::kPredictedOver;
        row.predictedMs = *predicted;
    }
    return row;
}

}  // namespace

Result<std::vector<Measurement>> MeasureSuite(const std::vector<Contender>& contenders,
                                              const MeasureSettings& settings,
                                              const std::vector<std::string>& patterns,
                                              const std::vector<std::int32_t>& counts,
                                              const std::vector<ElementType>& types,
                                              const ProgressReport& progress) {
    std::vector<Measurement> rows;
    const std::size_t cells = types.size() * patterns.size() * counts.size();
    const int cellTotal = static_cast<int>(Schedule(static_cast<int>(contenders.size()), settings).size());
    const int total = cellTotal * static_cast<int>(cells);
    int cellsDone = 0;
    for (const ElementType type : types) {
        for (const std::string& pattern : patterns) {
            for (const std::int32_t count : counts) {
                MeasureSettings cell = settings;
                cell.pattern = pattern;
                cell.count = count;
                cell.type = type;
                std::vector<Measurement> cellRows;
                for (const Contender& contender : contenders) cellRows.push_back(RowBefore(contender, cell, rows));
                const std::string typeName = types.size() > 1 ? std::string(" ") + ElementTypeName(type) : "";
                const std::string where = cells == 1 ? "" : pattern + " " + std::to_string(count) + typeName + ": ";
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
    }
    return rows;
}
