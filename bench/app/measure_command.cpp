#include "bench/app/measure_command.h"

#include <algorithm>
#include <optional>

#include "bench/app/baseline.h"
#include "bench/app/outputs.h"
#include "bench/report/operations_figures.h"
#include "bench/measure/cell_data.h"
#include "bench/measure/reference_sorts.h"
#include "bench/suite/child_reports.h"
#include "bench/suite/library_probe.h"
#include "bench/suite/matrix.h"

namespace {

// Every process of a cell holds the data at once: the routines' and one
// for each library's sorts.
bool FitsInMemory(std::int32_t count, const std::vector<Contender>& contenders, const SystemInfo& system,
                  std::string& error) {
    error = MemoryShortfall(count, CellProcesses(contenders), system.memoryBytes);
    return error.empty();
}

// A progress line that rewrites itself in place.
ProgressReport ProgressLine(std::ostream& err) {
    return [&err](const std::string& name, int done, int total) {
        std::string text = "[" + std::to_string(done + 1) + "/" + std::to_string(total) + "] " + name;
        text.resize(std::max<std::size_t>(text.size(), 60), ' ');
        err << '\r' << text << std::flush;
    };
}

void SayUnfinished(const Report& report, const Measurement& row, const std::string& why, std::ostream& err) {
    err << "orvandel-bench: " << row.contender.name;
    if (IsMatrix(report)) err << " (" << row.pattern << ", " << row.count << " values)";
    err << ": " << why << '\n';
}

// Whether the row finished all its runs in order, and its count when one
// was started; says why not on err.
bool Finished(const Report& report, const Measurement& row, std::ostream& err) {
    if (!Unfinished(report, row).empty()) {
        SayUnfinished(report, row, FailureText(report, row), err);
        return false;
    }
    const CountEnd counted = row.operations.end;
    if (counted != CountEnd::kFailed && counted != CountEnd::kStackExhausted && counted != CountEnd::kOverLimit &&
        counted != CountEnd::kCrashed)
        return true;
    SayUnfinished(report, row, "count " + Operations(report, row).why, err);
    return false;
}

}  // namespace

int RunMeasureCommand(const BenchOptions& options, const std::vector<Contender>& all,
                      std::ostream& out, std::ostream& err, bool showProgress) {
    std::vector<Contender> contenders = all;
    std::string error;
    // Opening a library runs nothing but its initialisers: as long as a child
    // may take to start and generate a cell's data is plenty.
    const bool loaded =
        ProbeSortLibraries(options.libraries, ReportAllowanceSeconds(options.settings), contenders, error);
    const Selection selection =
        loaded ? SelectContenders(contenders, options.names, options.filter, kBaselineName) : Selection{{}, error};
    Report report{options.settings, ReadSystemInfo(), {}, MissingReferenceNotes(), options.patterns,
                  options.counts};
    error = selection.error;
    SavedReport baseline;
    const bool measured =
        error.empty() && FitsInMemory(options.counts.back(), selection.contenders, report.system, error) &&
        OutputsUsable(options, error) && ReadBaseline(options, baseline, error) &&
        MeasureSuite(selection.contenders, options.settings, options.patterns, options.counts,
                     showProgress ? ProgressLine(err) : nullptr, report.rows, error);
    if (showProgress) err << '\r' << std::string(60, ' ') << '\r' << std::flush;
    if (!measured) {
        err << "orvandel-bench: " << error << '\n';
        return 2;
    }

    std::optional<Comparison> comparison;
    if (!options.baselinePath.empty()) comparison = CompareWithRun(options, baseline, report);
    const bool written = WriteOutputs(options, &report, comparison ? &*comparison : nullptr, out, err);

    bool finished = true;
    for (const Measurement& row : report.rows) finished &= Finished(report, row, err);
    if (!finished || !written) return 1;
    return comparison ? SlowerStatus(options, *comparison) : 0;
}
