#include "bench/app/outputs.h"

#include <functional>
#include <vector>

#include "bench/app/output_file.h"
#include "bench/export/forms.h"
#include "bench/measure/refusal.h"
#include "bench/report/writers.h"

namespace {

// Writes a file whole through write; false, said on err, when it failed.
bool WriteOutputFile(const std::string& path, const std::function<void(std::ostream&)>& write,
                     std::ostream& err) {
    const Check written = WriteWholeFile(path, write);
    if (!written) Say(err, "could not write " + path + ": " + written.why());
    return static_cast<bool>(written);
}

// A file named on the command line, with the option that named it.
struct NamedPath {
    const char* option;
    const std::string& path;
};

std::vector<NamedPath> OutputPaths(const BenchOptions& options) {
    std::vector<NamedPath> outputs;
    for (const NamedPath output : {NamedPath{"--export", options.exportPath}, NamedPath{"--chart", options.chartPath},
                                   NamedPath{"--save-baseline", options.saveBaselinePath}})
        if (!output.path.empty()) outputs.push_back(output);
    return outputs;
}

std::vector<NamedPath> InputPaths(const BenchOptions& options) {
    std::vector<NamedPath> inputs;
    if (!options.baselinePath.empty()) inputs.push_back({"--baseline", options.baselinePath});
    for (const std::string& path : options.comparePaths) inputs.push_back({"--compare", path});
    return inputs;
}

// Why output cannot be written, or "": it is one of the files named before
// it or read by the command, or it cannot be created.
std::string OutputFault(const NamedPath& output, const std::vector<NamedPath>& earlier,
                        const std::vector<NamedPath>& inputs) {
    for (const NamedPath& other : earlier)
        if (SameFile(other.path, output.path))
            return std::string(other.option) + " and " + output.option + " name one file, " + output.path;
    for (const NamedPath& input : inputs)
        if (SameFile(input.path, output.path))
            return std::string(output.option) + " " + output.path + " would overwrite the report read by " +
                   input.option;
    return CannotCreate(output.path);
}

}  // namespace

Check OutputsUsable(const BenchOptions& options) {
    const std::vector<NamedPath> inputs = InputPaths(options);
    std::vector<NamedPath> checked;
    for (const NamedPath& output : OutputPaths(options)) {
        const std::string fault = OutputFault(output, checked, inputs);
        if (!fault.empty()) return Refusal{fault};
        checked.push_back(output);
    }
    return Passed{};
}

bool WriteOutputs(const BenchOptions& options, const Report* report, const Comparison* comparison,
                  std::ostream& out, std::ostream& err) {
    const auto write = [&](std::ostream& to, ReportFormat format, bool colour) {
        if (comparison)
            WriteComparedReport(to, report, *comparison, format, colour);
        else
            WriteReport(to, *report, format);
    };
    // The files first, and where the page is, so that standard output ends
    // with the report's last lines: its summary.
    bool written = true;
    if (!options.exportPath.empty()) {
        const bool exported = WriteOutputFile(options.exportPath, [&](std::ostream& file) { write(file, options.exportFormat, false); }, err);
        if (exported && options.exportFormat == ReportFormat::kHtml)
            Say(err, "the page is at " + AbsolutePath(options.exportPath));
        written &= exported;
    }
    if (!options.chartPath.empty())
        written &= WriteOutputFile(options.chartPath, [&](std::ostream& file) { write(file, ReportFormat::kSvg, false); }, err);
    if (report && !options.saveBaselinePath.empty())
        written &= WriteOutputFile(options.saveBaselinePath, [&](std::ostream& file) { WriteJson(file, *report); }, err);
    if (comparison && options.format == ReportFormat::kCsv)
        for (const std::string& warning : comparison->warnings) Say(err, warning);
    write(out, options.format, options.colour);
    // Buffered text is only known to have reached its file once flushed.
    const bool printed = static_cast<bool>(out.flush());
    if (!printed) Say(err, "could not write standard output");
    return written && printed;
}
