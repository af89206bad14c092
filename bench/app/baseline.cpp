#include "bench/app/baseline.h"

SavedReport PlannedReport(const BenchOptions& options) {
    SavedReport plan;
    plan.source = "this run";
    plan.seed = options.settings.seed;
    for (const std::string& pattern : options.patterns)
        for (const std::int32_t count : options.counts) {
            SavedCell cell;
            cell.pattern = pattern;
            cell.count = count;
            plan.cells.push_back(cell);
        }
    return plan;
}

bool ReadBaseline(const BenchOptions& options, SavedReport& baseline, std::string& error) {
    if (options.baselinePath.empty()) return true;
    if (!ReadSavedReport(options.baselinePath, baseline, error)) return false;
    error = DataMismatch(baseline, PlannedReport(options));
    return error.empty();
}

Comparison CompareWithRun(const BenchOptions& options, SavedReport baseline, const Report& report) {
    SavedReport current = CurrentReport(report);
    std::string ignored;  // the measured selection has passed the same check
    SelectCells(options.names, options.filter, baseline, current, ignored);
    return Compare(baseline, current, options.noisePercent / 100);
}

int SlowerStatus(const BenchOptions& options, const Comparison& comparison) {
    const bool guarded = options.failIfSlowerPercent >= 0;
    return guarded && SlowerBeyond(comparison, options.failIfSlowerPercent) ? 3 : 0;
}
