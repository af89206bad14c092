#include "bench/app/compare_command.h"

#include "bench/app/baseline.h"
#include "bench/app/outputs.h"
#include "bench/app/terminal.h"
#include "bench/compare/comparison.h"
#include "bench/compare/saved_report.h"

int RunCompareCommand(const BenchOptions& options, std::ostream& out, std::ostream& err, bool showProgress) {
    const Check usable = OutputsUsable(options);
    if (!usable) return Refuse(err, usable.why());
    Result<SavedReport> baseline = ReadSavedReport(options.comparePaths[0]);
    if (!baseline) return Refuse(err, baseline.why());
    Result<SavedReport> current = ReadSavedReport(options.comparePaths[1]);
    if (!current) return Refuse(err, current.why());
    const std::string mismatch = DataMismatch(*baseline, *current);
    if (!mismatch.empty()) return Refuse(err, mismatch);
    const Check selected = SelectCells(options.names, options.filter, *baseline, *current);
    if (!selected) return Refuse(err, selected.why());
    const Check resamplable = Resamplable(*baseline, *current);
    if (!resamplable) return Refuse(err, resamplable.why());
    bool shown = false;
    const Comparison comparison = Compare(*baseline, *current, options.noisePercent / 100,
                                          showProgress ? ComparisonProgress(err, shown) : nullptr);
    if (shown) ClearProgress(err);
    const Check gated = GateCanCount(options, comparison);
    if (!gated) return Refuse(err, gated.why());
    if (!WriteOutputs(options, nullptr, &comparison, out, err)) return 1;
    return GateStatus(options, comparison, err);
}

int RunCompareCommand(const BenchOptions& options, std::ostream& out, std::ostream& err) {
    return RunCompareCommand(options, out, err, StandardErrorIsTerminal());
}
