#include "bench/app/measure_command.h"

#include <algorithm>
#include <optional>

#include "bench/app/baseline.h"
#include "bench/app/outputs.h"
#include "bench/app/terminal.h"
#include "bench/report/machine_figures.h"
#include "bench/report/operations_figures.h"
#include "bench/measure/cell_data.h"
#include "bench/measure/printable.h"
#include "bench/measure/reference_sorts.h"
#include "bench/suite/child_process.h"
#include "bench/suite/child_reports.h"
#include "bench/suite/library_probe.h"
#include "bench/suite/machine_counting.h"
#include "bench/suite/matrix.h"

namespace {

// Every process of a cell holds the data at once: the routines' and one
// for each library's sorts, as elements of each type asked for.
Check FitsInMemory(std::int32_t count, const std::vector<Contender>& contenders, const std::vector<ElementType>& types,
                   const SystemInfo& system) {
    Check fits = Passed{};
    for (std::size_t k = 0; k < types.size() && fits; ++k)
        fits = MemoryFits(count, CellProcesses(contenders), system, types[k]);
    return fits;
}

// Why the machine counts asked for cannot be made on this system, or "".
// Without them the counts are n/a, said in one line; a gate on them is
// refused, since it would pass whatever was built.
std::string CountsUnavailable(const BenchOptions& options) {
    return options.settings.machineCounts ? MachineCountsUnavailable() : "";
}

Check MachineCountsPossible(const BenchOptions& options, const std::string& unavailable) {
    if (unavailable.empty() || options.failIfMoreInstructionsPercent < 0) return Passed{};
    return Refusal{"--fail-if-more-instructions cannot count: " + unavailable};
}

// A cell runs its libraries' children and the routines' at once.
Check FitsInProcesses(const std::vector<Contender>& contenders) {
    const std::size_t processes = CellProcesses(contenders);
    if (processes <= static_cast<std::size_t>(kMostChildren)) return Passed{};
    return Refusal{"the sorts selected need " + std::to_string(processes) +
                   " measuring processes at once, one for each library and one for the routines and references; "
                   "at most " + std::to_string(kMostChildren) + " can run"};
}

// The contenders the options select, once their libraries are loaded and
// everything the run needs before measuring has been checked: the memory,
// the outputs, the machine counts and the baseline, which is read into
// baseline.
Result<std::vector<Contender>> Prepared(const BenchOptions& options, std::vector<Contender> contenders,
                                        const SystemInfo& system, const std::string& unavailable,
                                        SavedReport& baseline) {
    // Opening a library runs nothing but its initialisers: as long as a child
    // may take to start and generate a cell's data is plenty.
    const Check loaded =
        ProbeSortLibraries(options.libraries, ReportAllowanceSeconds(options.settings), contenders);
    if (!loaded) return Refusal{loaded.why()};
    Result<std::vector<Contender>> selected =
        SelectContenders(contenders, options.names, options.filter, kBaselineName);
    if (!selected) return selected;
    Check usable = FitsInProcesses(*selected);
    if (usable) usable = FitsInMemory(options.counts.back(), *selected, options.types, system);
    if (usable) usable = OutputsUsable(options);
    if (!usable) return Refusal{usable.why()};
    const Check countable = MachineCountsPossible(options, unavailable);
    if (!countable) return Refusal{countable.why()};
    Result<SavedReport> read = ReadBaseline(options);
    if (!read) return Refusal{read.why()};
    baseline = *read;
    return selected;
}

// A progress line that rewrites itself in place.
ProgressReport ProgressLine(std::ostream& err) {
    return [&err](const std::string& name, int done, int total) {
        ShowProgress(err, static_cast<std::size_t>(done), static_cast<std::size_t>(total), Printable(name));
    };
}

void SayUnfinished(const Report& report, const Measurement& row, const std::string& why, std::ostream& err) {
    const std::string cell = IsMatrix(report) ? " (" + CellHeading(report, row.pattern, row.count, row.type) + ")" : "";
    Say(err, row.contender.name + cell + ": " + why);
}

// Whether the row finished all its runs in order, and its count when one
// was started; says why not on err.
bool Finished(const Report& report, const Measurement& row, std::ostream& err) {
    if (ExitStatus(row.outcome.end) != 0) {
        SayUnfinished(report, row, FailureText(report, row), err);
        return false;
    }
    bool finished = true;
    if (ExitStatus(row.operations.outcome.end) != 0) {
        SayUnfinished(report, row, "count " + Operations(report, row).why, err);
        finished = false;
    }
    if (ExitStatus(row.machine.outcome.end) != 0) {
        SayUnfinished(report, row, "machine count " + Machine(report, row).why, err);
        finished = false;
    }
    return finished;
}

}  // namespace

int RunMeasureCommand(const BenchOptions& options, const std::vector<Contender>& all,
                      std::ostream& out, std::ostream& err, bool showProgress) {
    Report report{options.settings, ReadSystemInfo(), {}, MissingReferenceNotes(), options.patterns,
                  options.counts, options.types};
    SavedReport baseline;
    const std::string unavailable = CountsUnavailable(options);
    const Result<std::vector<Contender>> contenders = Prepared(options, all, report.system, unavailable, baseline);
    if (!contenders) return Refuse(err, contenders.why());
    if (!unavailable.empty()) Say(err, "machine counts n/a: " + unavailable);
    Result<std::vector<Measurement>> rows = MeasureSuite(*contenders, options.settings, options.patterns,
                                                         options.counts, options.types, showProgress ? ProgressLine(err) : nullptr);
    if (showProgress) ClearProgress(err);
    if (!rows) return Refuse(err, rows.why());
    report.rows = *rows;

    std::optional<Comparison> comparison;
    bool shown = false;
    if (!options.baselinePath.empty())
        comparison = CompareWithRun(options, baseline, report, showProgress ? ComparisonProgress(err, shown) : nullptr);
    if (shown) ClearProgress(err);
    // What did not finish is said before the report, whose summary ends
    // what the terminal shows.
    bool finished = true;
    for (const Measurement& row : report.rows) finished &= Finished(report, row, err);
    const bool written = WriteOutputs(options, &report, comparison ? &*comparison : nullptr, out, err);
    if (!finished || !written) return 1;
    if (!comparison) return 0;
    const Check gated = GateCanCount(options, *comparison);
    if (!gated) {
        Say(err, gated.why());
        return 1;
    }
    return GateStatus(options, *comparison, err);
}
