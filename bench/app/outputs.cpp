#include "bench/app/outputs.h"

#include <functional>

#include "bench/app/output_file.h"
#include "bench/compare/comparison_report.h"
#include "bench/report/format.h"
#include "bench/report/formats.h"
#include "bench/report/writers.h"

namespace {

// Writes a file whole through write; false, said on err, when it failed.
bool WriteOutputFile(const std::string& path, const std::function<void(std::ostream&)>& write,
                     std::ostream& err) {
    if (WriteWholeFile(path, write)) return true;
    err << "orvandel-bench: could not write " << path << '\n';
    return false;
}

}  // namespace

bool OutputsCreatable(const BenchOptions& options, std::string& error) {
    for (const std::string* path : {&options.exportPath, &options.chartPath, &options.saveBaselinePath}) {
        if (path->empty() || CanCreate(*path)) continue;
        error = "cannot create " + *path;
        return false;
    }
    return true;
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
        for (const std::string& warning : comparison->warnings) err << "orvandel-bench: " << Printable(warning) << '\n';
    bool written = true;
    if (!options.exportPath.empty())
        written = WriteOutputFile(options.exportPath, [&](std::ostream& file) { write(file, options.exportFormat, false); }, err);
    if (!options.chartPath.empty())
        written &= WriteOutputFile(options.chartPath, [&](std::ostream& file) {
            if (comparison)
                WriteComparisonChart(file, *comparison);
            else
                WriteChart(file, *report);
        }, err);
    if (report && !options.saveBaselinePath.empty())
        written &= WriteOutputFile(options.saveBaselinePath, [&](std::ostream& file) { WriteJson(file, *report); }, err);
    return written;
}
