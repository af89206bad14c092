#include "bench/compare_command.h"

#include <functional>

#include "bench/comparison_report.h"
#include "bench/output_file.h"

namespace {

// Writes a file whole through write; false, said on err, when it failed.
bool WriteOutputFile(const std::string& path, const std::function<void(std::ostream&)>& write,
                     std::ostream& err) {
    if (WriteWholeFile(path, write)) return true;
    err << "orvandel-bench: could not write " << path << '\n';
    return false;
}

}  // namespace

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

bool WriteOutputs(const BenchOptions& options, const Report* report, const Comparison* comparison,
                  std::ostream& out, std::ostream& err) {
    const auto write = [&](std::ostream& to, ReportFormat format, bool colour) {
        if (comparison)
            WriteComparedReport(to, report, *comparison, format, colour);
        else
            WriteReport(to, *report, format);
    };
    write(out, options.format, options.colour);
    if (comparison && options.format == ReportFormat::kCsv)
        for (const std::string& warning : comparison->warnings) err << "orvandel-bench: " << warning << '\n';
    bool written = true;
    if (!options.exportPath.empty())
        written = WriteOutputFile(options.exportPath, [&](std::ostream& file) { write(file, options.exportFormat, false); }, err);
    if (!options.chartPath.empty())
        written &= WriteOutputFile(options.chartPath, [&](std::ostream& file) {
            if (comparison)
                WriteComparisonChart(file, *comparison);
            else if (report->counts.size() > 1)
                WriteScalingChart(file, *report);
            else
                WriteSvgChart(file, *report);
        }, err);
    if (report && !options.saveBaselinePath.empty())
        written &= WriteOutputFile(options.saveBaselinePath, [&](std::ostream& file) { WriteJson(file, *report); }, err);
    return written;
}

int SlowerStatus(const BenchOptions& options, const Comparison& comparison) {
    const bool guarded = options.failIfSlowerPercent >= 0;
    return guarded && SlowerBeyond(comparison, options.failIfSlowerPercent) ? 3 : 0;
}

int RunCompareCommand(const BenchOptions& options, std::ostream& out, std::ostream& err) {
    SavedReport baseline;
    SavedReport current;
    std::string error;
    const bool comparable = ReadSavedReport(options.comparePaths[0], baseline, error) &&
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
