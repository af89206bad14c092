#include "bench/report.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "bench/reference_sorts.h"

namespace {

std::optional<double> BaselineMedian(const Report& report) {
    for (const Measurement& row : report.rows)
        if (row.contender.name == kBaselineName && !row.times.empty())
            return Median(row.times);
    return std::nullopt;
}

std::string Lowercase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

RowFigures Figures(const Report& report, const Measurement& row) {
    RowFigures figures;
    figures.failed = row.failedSlot != -1;
    if (figures.failed || row.times.empty()) return figures;
    figures.summary = Summarise(row.times);
    const double sorted = static_cast<double>(report.settings.count - 1);
    if (figures.summary.median > 0) figures.throughput = sorted / (figures.summary.median * 1e3);
    const std::optional<double> baseline = BaselineMedian(report);
    if (baseline && *baseline > 0) figures.ratio = figures.summary.median / *baseline;
    return figures;
}

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

const std::vector<std::string>& TextColumns() {
    static const std::vector<std::string> columns = {
        "Routine", "min ms", "median ms", "mean +- sd ms", "max ms", "Melem/s", "vs std::sort"};
    return columns;
}

std::vector<std::string> TextCells(const Report& report, const Measurement& row) {
    const std::string name = row.contender.name + (row.contender.reference ? " (reference)" : "");
    const RowFigures figures = Figures(report, row);
    if (figures.failed)
        return {name, "FAILED: order check failed at slot " + std::to_string(row.failedSlot)};
    const Summary& s = figures.summary;
    return {name,
            Fixed(s.min, 1),
            Fixed(s.median, 1),
            Fixed(s.mean, 1) + " +- " + Fixed(s.stddev, 1),
            Fixed(s.max, 1),
            Fixed(figures.throughput, 1),
            figures.ratio ? Fixed(*figures.ratio, 2) + "x" : "-"};
}

std::string SettingsLine(const Report& report) {
    const MeasureSettings& s = report.settings;
    return std::to_string(s.count) + " values from seed " + std::to_string(s.seed) + ", " +
           std::to_string(s.runs) + " runs after " + std::to_string(s.warmup) + " warm-up" +
           (s.interleave ? ", interleaved" : "") + "; " + report.system.cpu + ", " +
           std::to_string(report.system.cores) + " cores";
}

void WriteReport(std::ostream& out, const Report& report, ReportFormat format) {
    switch (format) {
        case ReportFormat::kTable: WriteTable(out, report); break;
        case ReportFormat::kJson: WriteJson(out, report); break;
        case ReportFormat::kCsv: WriteCsv(out, report); break;
        case ReportFormat::kMarkdown: WriteMarkdown(out, report); break;
    }
}

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}
