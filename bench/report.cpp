#include "bench/report.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iterator>

#include "bench/reference_sorts.h"

namespace {

std::optional<double> BaselineMedian(const Report& report, const Measurement& cell) {
    for (const Measurement& row : report.rows)
        if (row.contender.name == kBaselineName && row.pattern == cell.pattern &&
            row.count == cell.count && row.end == CellEnd::kMeasured && !row.times.empty())
            return Median(row.times);
    return std::nullopt;
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%g s", seconds);
    return text;
}

std::string Lowercase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

RowFigures Figures(const Report& report, const Measurement& row) {
    RowFigures figures;
    figures.failed = row.failedSlot != -1 || row.end != CellEnd::kMeasured;
    if (figures.failed || row.times.empty()) return figures;
    figures.summary = Summarise(row.times);
    const double sorted = static_cast<double>(row.count - 1);
    if (figures.summary.median > 0) figures.throughput = sorted / (figures.summary.median * 1e3);
    figures.nsPerElement = figures.summary.median * 1e6 / sorted;
    const std::optional<double> baseline = BaselineMedian(report, row);
    if (baseline && *baseline > 0) figures.ratio = figures.summary.median / *baseline;
    return figures;
}

bool IsMatrix(const Report& report) {
    return report.counts.size() > 1 || report.patterns != std::vector<std::string>{"window"};
}

std::string Unfinished(const Report& report, const Measurement& row) {
    const double limit = report.settings.timeLimitSeconds;
    switch (row.end) {
        case CellEnd::kStackExhausted: return "stack exhausted";
        case CellEnd::kOverLimit: return "over " + Seconds(limit);
        case CellEnd::kPredictedOver:
            return "predicted over " + Seconds(limit) + " (about " + Duration(row.predictedMs) + ")";
        case CellEnd::kCrashed: return "crashed: " + row.crash;
        case CellEnd::kMeasured: break;
    }
    return row.failedSlot == -1 ? "" : "failed at slot " + std::to_string(row.failedSlot);
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
        return {name, "FAILED: " + (row.end == CellEnd::kMeasured ? "order check " : std::string()) +
                          Unfinished(report, row)};
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
    std::string data = std::to_string(s.count) + " values";
    if (IsMatrix(report)) {
        data = "shapes";
        for (const std::string& pattern : report.patterns) data += (data == "shapes" ? " " : ", ") + pattern;
        data += " at";
        for (const std::int32_t count : report.counts)
            data += (count == report.counts.front() ? " " : ", ") + std::to_string(count);
        data += " values, time limit " + Seconds(s.timeLimitSeconds) + ",";
    }
    return data + " from seed " + std::to_string(s.seed) + ", " +
           std::to_string(s.runs) + " runs after " + std::to_string(s.warmup) + " warm-up" +
           (s.interleave ? ", interleaved" : "") + "; " + report.system.cpu + ", " +
           std::to_string(report.system.cores) + " cores";
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

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Duration(double milliseconds) {
    struct Unit {
        double perMillisecond;
        const char* name;
    };
    static const Unit kUnits[] = {{1e6, "ns"}, {1e3, "\u00b5s"}, {1, "ms"}, {1e-3, "s"}};
    for (const Unit& unit : kUnits) {
        const double value = milliseconds * unit.perMillisecond;
        if (value >= 999.5 && &unit != std::end(kUnits) - 1) continue;
        return Fixed(value, value < 9.995 ? 2 : value < 99.95 ? 1 : 0) + ' ' + unit.name;
    }
    return "";
}

std::string EscapedXml(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            default: escaped += c;
        }
    }
    return escaped;
}

std::string CsvField(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string quoted = "\"";
    for (char c : field) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + '"';
}
