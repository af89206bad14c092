#include "bench/report/report.h"

#include <cstdio>

#include "bench/measure/cell_data.h"
#include "bench/measure/reference_sorts.h"
#include "bench/report/format.h"

const Measurement* BaselineRow(const Report& report, const Measurement& cell) {
    for (const Measurement& row : report.rows)
        if (row.contender.name == kBaselineName && row.pattern == cell.pattern && row.count == cell.count &&
            row.type == cell.type)
            return &row;
    return nullptr;
}

namespace {

std::optional<double> BaselineMedian(const Report& report, const Measurement& cell) {
    const Measurement* row = BaselineRow(report, cell);
    if (row && row->outcome.end == End::kMeasured && !row->times.empty()) return Median(row->times);
    return std::nullopt;
}

}  // namespace

std::string DrawsText(const MeasureSettings& settings) {
    return settings.sameData ? "the seed's data every sort"
                             : "a new draw every sort below " + std::to_string(kDistinctDrawsBelow) + " values";
}

RowFigures Figures(const Report& report, const Measurement& row) {
    RowFigures figures;
    figures.failed = row.outcome.end != End::kMeasured;
    if (figures.failed || row.times.empty()) return figures;
    figures.summary = Summarise(row.times);
    const double sorted = static_cast<double>(row.count - 1);
    if (figures.summary.median > 0) figures.throughput = sorted / (figures.summary.median * 1e3);
    figures.nsPerElement = figures.summary.median * 1e6 / sorted;
    const std::optional<double> baseline = BaselineMedian(report, row);
    if (baseline && *baseline > 0) figures.ratio = figures.summary.median / *baseline;
    return figures;
}

bool HasTypes(const Report& report) {
    return report.types != std::vector<ElementType>{ElementType::kI32};
}

std::string CellHeading(const Report& report, const std::string& pattern, std::int32_t count, ElementType type) {
    return pattern + ", " + std::to_string(count) + " values" +
           (HasTypes(report) ? std::string(", ") + ElementTypeName(type) : "");
}

bool IsMatrix(const Report& report) {
    return report.counts.size() > 1 || report.patterns != std::vector<std::string>{"window"} || HasTypes(report) ||
           report.settings.operations || report.settings.machineCounts;
}

std::string Unfinished(const Report& report, const Measurement& row) {
    return EndText(row.outcome, {report.settings.timeLimitSeconds, row.predictedMs});
}

std::string FailureText(const Report& report, const Measurement& row) {
    const bool orderFailed = row.outcome.end == End::kFailed && row.outcome.failure.check == SortCheck::kOrder;
    return (orderFailed ? "order check " : "") + Unfinished(report, row);
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
        data += " values";
        if (HasTypes(report))
            for (const ElementType type : report.types)
                data += std::string(type == report.types.front() ? " as " : ", ") + ElementTypeName(type);
        data += ", time limit " + Seconds(s.timeLimitSeconds) + ",";
    }
    return data + " from seed " + std::to_string(s.seed) + ", " +
           std::to_string(s.runs) + " runs after " + std::to_string(s.warmup) + " warm-up" +
           (s.interleave ? ", interleaved" : "") + ", " + DrawsText(s) + "; " + report.system.cpu + ", " +
           std::to_string(report.system.cores) + " cores";
}
