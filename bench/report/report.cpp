#include "bench/report/report.h"

#include <cstdio>

#include "bench/measure/cell_data.h"
#include "bench/measure/reference_sorts.h"
#include "bench/report/format.h"

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

}  // namespace

std::string CheckText(const SortFailure& failure) {
    const std::string slot = std::to_string(failure.slot);
    switch (failure.check) {
        case SortCheck::kRange: return "wrote outside its range at slot " + slot;
        case SortCheck::kValues:
            return "changed its values: slot " + slot + " holds " + std::to_string(failure.held) +
                   " where the sorted input holds " + std::to_string(failure.expected);
        case SortCheck::kOrder: return "failed at slot " + slot;
        case SortCheck::kPassed: break;
    }
    return "";
}

const char* CheckName(SortCheck check) {
    switch (check) {
        case SortCheck::kRange: return "range";
        case SortCheck::kValues: return "values";
        case SortCheck::kOrder: return "order";
        case SortCheck::kPassed: break;
    }
    return "";
}

std::string DrawsText(const MeasureSettings& settings) {
    return settings.sameData ? "the seed's data every sort"
                             : "a new draw every sort below " + std::to_string(kDistinctDrawsBelow) + " values";
}

RowFigures Figures(const Report& report, const Measurement& row) {
    RowFigures figures;
    figures.failed = row.failure.failed() || row.end != CellEnd::kMeasured;
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
    return report.counts.size() > 1 || report.patterns != std::vector<std::string>{"window"} ||
           report.settings.operations || report.settings.machineCounts;
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
    return CheckText(row.failure);
}

std::string FailureText(const Report& report, const Measurement& row) {
    const bool orderFailed = row.end == CellEnd::kMeasured && row.failure.check == SortCheck::kOrder;
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
        data += " values, time limit " + Seconds(s.timeLimitSeconds) + ",";
    }
    return data + " from seed " + std::to_string(s.seed) + ", " +
           std::to_string(s.runs) + " runs after " + std::to_string(s.warmup) + " warm-up" +
           (s.interleave ? ", interleaved" : "") + ", " + DrawsText(s) + "; " + report.system.cpu + ", " +
           std::to_string(report.system.cores) + " cores";
}
