#include "bench/report/operations_figures.h"

#include <cmath>

#include "bench/report/format.h"

const std::uint64_t kWindowStackBytes = ORVANDEL_WINDOW_STACK_RESERVE;

std::string NotCountedText(CountEnd end, double limitSeconds, const SortFailure& failure, const std::string& crash) {
    switch (end) {
        case CountEnd::kNotCountable: return "n/a";
        case CountEnd::kNotTimed: return "not counted";
        case CountEnd::kFailed: return CheckText(failure);
        case CountEnd::kStackExhausted: return "stack exhausted";
        case CountEnd::kOverLimit: return "over " + Fixed(limitSeconds, 0) + " s";
        case CountEnd::kCrashed: return "crashed: " + crash;
        case CountEnd::kNotAsked:
        case CountEnd::kCounted: break;
    }
    return "";
}

OperationFigures Operations(const Report& report, const Measurement& row) {
    OperationFigures figures;
    figures.counted = row.operations.end == CountEnd::kCounted;
    const OperationsRow& operations = row.operations;
    figures.why = NotCountedText(operations.end, report.settings.timeLimitSeconds, operations.failure, operations.crash);
    if (!figures.counted) return figures;
    const OperationCounts& c = row.operations.counts;
    figures.counts = c;
    const double n = static_cast<double>(row.count - 1);  // the sorted slots
    figures.comparisonsPerElement = static_cast<double>(c.comparisons) / n;
    figures.exchangesPerElement = static_cast<double>(c.exchanges) / n;
    figures.comparisonsPerNLog2N = static_cast<double>(c.comparisons) / (n * std::log2(n));
    figures.stackBytes = c.depth * c.frameBytes;
    figures.overWindowStack = c.steps && figures.stackBytes > kWindowStackBytes;
    return figures;
}
