#include "bench/app/compare_command.h"

#include "bench/app/baseline.h"
#include "bench/app/outputs.h"
#include "bench/compare/comparison.h"
#include "bench/compare/saved_report.h"

int RunCompareCommand(const BenchOptions& options, std::ostream& out, std::ostream& err) {
    SavedReport baseline;
    SavedReport current;
    std::string error;
    const bool comparable = OutputsUsable(options, error) &&
                            ReadSavedReport(options.comparePaths[0], baseline, error) &&
                            ReadSavedReport(options.comparePaths[1], current, error) &&
                            (error = DataMismatch(baseline, current)).empty() &&
                            SelectCells(options.names, options.filter, baseline, current, error);
    if (!comparable) {
        err << "orvandel-bench: " << error << '\n';
        return 2;
    }
    const Comparison comparison = Compare(baseline, current, options.noisePercent / 100);
    if (!WriteOutputs(options, nullptr, &comparison, out, err)) return 1;
    return SlowerStatus(options, comparison);
}
