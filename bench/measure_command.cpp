#include "bench/measure_command.h"

#include <algorithm>
#include <optional>

#include "bench/compare_command.h"
#include "bench/reference_sorts.h"
#include "core/benchmark_run.h"

namespace {

bool FitsInMemory(std::int32_t count, const SystemInfo& system, std::string& error) {
    error = MemoryShortfall(count, system.memoryBytes);
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

}  // namespace

int RunMeasureCommand(const BenchOptions& options, const std::vector<Contender>& all,
                      std::ostream& out, std::ostream& err, bool showProgress) {
    const Selection selection = SelectContenders(all, options.names, options.filter, kBaselineName);
    Report report{options.settings, ReadSystemInfo(), {}, MissingReferenceNotes()};
    std::string error = selection.error;
    SavedReport baseline;
    const bool measured =
        error.empty() && FitsInMemory(options.settings.count, report.system, error) &&
        ReadBaseline(options, baseline, error) &&
        Measure(selection.contenders, options.settings, showProgress ? ProgressLine(err) : nullptr,
                report.rows, error);
    if (showProgress) err << '\r' << std::string(60, ' ') << '\r' << std::flush;
    if (!measured) {
        err << "orvandel-bench: " << error << '\n';
        return 2;
    }

    std::optional<Comparison> comparison;
    if (!options.baselinePath.empty()) comparison = CompareWithRun(options, baseline, report);
    const bool written = WriteOutputs(options, &report, comparison ? &*comparison : nullptr, out, err);

    bool ordered = true;
    for (const Measurement& row : report.rows) {
        if (row.failedSlot == kNoDescent) continue;
        err << "orvandel-bench: " << row.contender.name << ": order check failed at slot "
            << row.failedSlot << '\n';
        ordered = false;
    }
    if (!ordered || !written) return 1;
    return comparison ? SlowerStatus(options, *comparison) : 0;
}
