#include "bench/app/baseline.h"

#include <algorithm>

#include "bench/app/terminal.h"
#include "bench/compare/comparison_report.h"

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
    SavedReport plan = PlannedReport(options);
    const std::string mismatch = DataMismatch(*baseline, plan);
    if (!mismatch.empty()) return Refusal{mismatch};
    // A baseline of too many cells is refused now rather than once the run
    // is done: counted as if the run measured each of its selected cells
    // again, which is what a comparison with it resamples at most.
    SavedReport selected = *baseline;
    static_cast<void>(SelectCells(options.names, options.filter, selected, plan));
    const Check resamplable = Resamplable(selected, selected);
    if (!resamplable) return Refusal{baseline->source + ": " + resamplable.why()};
    const bool counted = std::any_of(baseline->cells.begin(), baseline->cells.end(),
                                     [](const SavedCell& cell) { return cell.machineCounted; });
    if (options.failIfMoreInstructionsPercent >= 0 && !counted)
        return Refusal{"--fail-if-more-instructions: " + baseline->source +
                       " has no machine counts (save it from a run with --machine-counts)"};
    return baseline;
}

Comparison CompareWithRun(const BenchOptions& options, SavedReport baseline, const Report& report,
                          const CompareProgress& progress) {
    SavedReport current = CurrentReport(report);
    // The measured selection has passed the same check.
    static_cast<void>(SelectCells(options.names, options.filter, baseline, current));
    return Compare(baseline, current, options.noisePercent / 100, progress);
}

CompareProgress ComparisonProgress(std::ostream& err, bool& shown) {
    return [&err, &shown](std::size_t done, std::size_t total) {
        shown = true;
        ShowProgress(err, done, total, "comparing");
    };
}

Check GateCanCount(const BenchOptions& options, const Comparison& comparison) {
    if (options.failIfMoreInstructionsPercent < 0 || HasMachineCounts(comparison)) return Passed{};
    return Refusal{"--fail-if-more-instructions: no cell has machine counts in both " + comparison.baselineSource +
                   " and " + comparison.currentSource};
}

int GateStatus(const BenchOptions& options, const Comparison& comparison, std::ostream& err) {
    bool failed = options.failIfSlowerPercent >= 0 && SlowerBeyond(comparison, options.failIfSlowerPercent);
    if (options.failIfMoreInstructionsPercent < 0) return failed ? 3 : 0;
    for (const CellComparison* cell : MoreInstructions(comparison, options.failIfMoreInstructionsPercent / 100)) {
        Say(err, cell->name + " (" + cell->pattern + ", " + std::to_string(cell->count) + " values): instructions " +
                     CountChangeText(cell->baselineMachine.instructions, cell->currentMachine.instructions) +
                     ", more than --fail-if-more-instructions allows");
        failed = true;
    }
    return failed ? 3 : 0;
}
