#include "bench/report/formats.h"

#include <cctype>
#include <utility>

#include "bench/report/writers.h"

namespace {

std::string Lowercase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

std::optional<ReportFormat> FormatNamed(const std::string& name) {
    if (name == "table") return ReportFormat::kTable;
    if (name == "json") return ReportFormat::kJson;
    if (name == "csv") return ReportFormat::kCsv;
    if (name == "markdown") return ReportFormat::kMarkdown;
    return std::nullopt;
}

std::optional<ReportFormat> FormatOfPath(const std::string& path) {
    static const std::pair<const char*, ReportFormat> kExtensions[] = {
        {"txt", ReportFormat::kTable},     {"json", ReportFormat::kJson},
        {"csv", ReportFormat::kCsv},       {"md", ReportFormat::kMarkdown},
        {"markdown", ReportFormat::kMarkdown},
    };
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::nullopt;
    const std::string extension = Lowercase(path.substr(dot + 1));
    for (const auto& [name, format] : kExtensions)
        if (extension == name) return format;
    return std::nullopt;
}

void WriteReport(std::ostream& out, const Report& report, ReportFormat format) {
    const bool matrix = IsMatrix(report);
    switch (format) {
        case ReportFormat::kTable: matrix ? WriteMatrixTable(out, report) : WriteTable(out, report); break;
        case ReportFormat::kJson: WriteJson(out, report); break;
        case ReportFormat::kCsv: matrix ? WriteMatrixCsv(out, report) : WriteCsv(out, report); break;
        case ReportFormat::kMarkdown:
            matrix ? WriteMatrixMarkdown(out, report) : WriteMarkdown(out, report);
            break;
    }
}

void WriteChart(std::ostream& out, const Report& report) {
    if (report.counts.size() > 1 && report.settings.operations)
        WriteOperationsChart(out, report);
    else if (report.counts.size() > 1)
        WriteScalingChart(out, report);
    else
        WriteSvgChart(out, report);
}
