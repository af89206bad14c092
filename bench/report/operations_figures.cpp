#include "bench/report/operations_figures.h"

#include <cmath>

const std::uint64_t kWindowStackBytes = ORVANDEL_WINDOW_STACK_RESERVE;

OperationFigures Operations(const Report& report, const Measurement& row) {
    OperationFigures figures;
    figures.counted = row.operations.outcome.end == End::kCounted;
    figures.why = EndText(row.operations.outcome, {report.settings.timeLimitSeconds});
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
