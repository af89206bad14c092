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

Result<SavedReport> ReadBaseline(const BenchOptions& options) {
    if (options.baselinePath.empty()) return SavedReport{};
    Result<SavedReport> baseline = ReadSavedReport(options.baselinePath);
    if (!baseline) return baseline;
    const std::string mismatch = DataMismatch(*baseline, PlannedReport(options));
    if (!mismatch.empty()) return Refusal{mismatch};
    return baseline;
}

Comparison CompareWithRun(const BenchOptions& options, SavedReport baseline, const Report& report) {
    SavedReport current = CurrentReport(report);
    // The measured selection has passed the same check.
    static_cast<void>(SelectCells(options.names, options.filter, baseline, current));
    return Compare(baseline, current, options.noisePercent / 100);
}

int SlowerStatus(const BenchOptions& options, const Comparison& comparison) {
    const bool guarded = options.failIfSlowerPercent >= 0;
    return guarded && SlowerBeyond(comparison, options.failIfSlowerPercent) ? 3 : 0;
}
