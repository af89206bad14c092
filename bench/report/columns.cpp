#include "bench/report/columns.h"

#include "bench/measure/reference_sorts.h"
#include "bench/report/format.h"
#include "bench/report/markup.h"
#include "bench/report/row_fields.h"

namespace {

using Cell = std::string (*)(const RowContext& row);

constexpr unsigned kBoth = kWindowForm | kMatrixForm;
constexpr unsigned kCounted = kMatrixForm | kCountedForm;
constexpr unsigned kMachine = kMatrixForm | kMachineForm;

// Milliseconds in CSV: six decimals keep a nanosecond at any size.
std::string Ms(double milliseconds) { return Fixed(milliseconds, 6); }

// A figure's cell and field: empty for a row without figures.
template <typename Figure>
std::string Measured(const RowContext& c, Figure figure) {
    return c.figures.failed ? "" : figure(c.figures);
}

std::string Flag(bool value) { return value ? "true" : "false"; }

// A counted figure: empty without counts, and also where the contender's
// counter cannot see it (a comparator sees no exchanges, calls or depth).
template <typename Figure>
std::string Counted(const RowContext& c, bool needsSteps, Figure figure) {
    const OperationFigures& f = c.operations;
    if (!f.counted || (needsSteps && !f.counts.steps)) return "";
    return figure(f);
}

// The cell of a counted figure: the reason for no counts in the first
// column, "-" where the counter cannot see it.
template <typename Figure>
std::string CountedText(const RowContext& c, bool first, bool needsSteps, Figure figure) {
    const OperationFigures& f = c.operations;
    if (!f.counted) return first ? f.why : "";
    if (needsSteps && !f.counts.steps) return "-";
    return figure(f);
}

// A machine count, whole: empty without counts.
template <std::uint64_t MachineCounts::*count>
std::string MachineCount(const RowContext& c) {
    return c.machine.counted ? std::to_string(c.machine.counts.*count) : "";
}

// A machine count per sorted element: in CSV with six decimals, in the
// text forms with that many decimals, the first column saying why a row has
// no counts.
template <double MachineFigures::*perElement>
std::string MachineField(const RowContext& c) {
    return c.machine.counted ? Fixed(c.machine.*perElement, 6) : "";
}
template <double MachineFigures::*perElement, int decimals, bool first>
std::string MachineText(const RowContext& c) {
    if (!c.machine.counted) return first ? c.machine.why : "";
    return Fixed(c.machine.*perElement, decimals);
}

// 1.5 MiB, 48 KiB, 512 B: the stack in the unit that suits it.
std::string StackText(std::uint64_t bytes) {
    if (bytes >= (1u << 20)) return Fixed(static_cast<double>(bytes) / (1u << 20), 1) + " MiB";
    if (bytes >= (1u << 10)) return Fixed(static_cast<double>(bytes) / (1u << 10), 1) + " KiB";
    return std::to_string(bytes) + " B";
}

std::string SpreadText(const Summary& s) {
    // The spread as a share of the mean: one unit per cell, whatever the scale.
    return Duration(s.mean) + " +- " + Fixed(s.mean > 0 ? 100 * s.stddev / s.mean : 0, 1) + "%";
}

const std::string kRatioHeading = "vs " + std::string(kBaselineName);

// Every column, in the order the forms show them.
const Column kColumns[] = {
    {"Routine", [](const RowContext& c) { return RowName(c.row); },
     field::kName, [](const RowContext& c) { return c.row.contender.name; }, kBoth},
    {nullptr, nullptr, field::kLabel, [](const RowContext& c) { return c.row.contender.label; }, kBoth},
    {nullptr, nullptr, field::kReference, [](const RowContext& c) { return Flag(c.row.contender.reference); }, kBoth},
    {nullptr, nullptr, field::kThreads, [](const RowContext& c) { return std::to_string(c.row.contender.threads); },
     kMatrixForm},
    {nullptr, nullptr, field::kPattern, [](const RowContext& c) { return c.row.pattern; }, kMatrixForm},
    {nullptr, nullptr, field::kCount, [](const RowContext& c) { return std::to_string(c.row.count); }, kMatrixForm},
    {nullptr, nullptr, field::kType, [](const RowContext& c) { return std::string(ElementTypeName(c.row.type)); },
     kMatrixForm},
    {nullptr, nullptr, field::kRuns, [](const RowContext& c) { return std::to_string(c.row.times.size()); }, kBoth},
    {nullptr, nullptr, field::kBatch, [](const RowContext& c) { return std::to_string(c.row.batch); }, kMatrixForm},
    {nullptr, nullptr, field::kDraws, [](const RowContext& c) { return std::to_string(c.row.draws); }, kBoth},
    {"min", [](const RowContext& c) { return Measured(c, [](const RowFigures& f) { return Duration(f.summary.min); }); },
     field::kMin, [](const RowContext& c) { return Measured(c, [](const RowFigures& f) { return Ms(f.summary.min); }); },
     kBoth},
    {"median",
     [](const RowContext& c) { return Measured(c, [](const RowFigures& f) { return Duration(f.summary.median); }); },
     field::kMedian,
     [](const RowContext& c) { return Measured(c, [](const RowFigures& f) { return Ms(f.summary.median); }); }, kBoth},
    {"mean +- sd", [](const RowContext& c) { return Measured(c, [](const RowFigures& f) { return SpreadText(f.summary); }); },
     field::kMean, [](const RowContext& c) { return Measured(c, [](const RowFigures& f) { return Ms(f.summary.mean); }); },
     kBoth},
    {nullptr, nullptr, field::kStddev,
     [](const RowContext& c) { return Measured(c, [](const RowFigures& f) { return Ms(f.summary.stddev); }); }, kBoth},
    {"max", [](const RowContext& c) { return Measured(c, [](const RowFigures& f) { return Duration(f.summary.max); }); },
     field::kMax, [](const RowContext& c) { return Measured(c, [](const RowFigures& f) { return Ms(f.summary.max); }); },
     kBoth},
    {"Melem/s",
     [](const RowContext& c) { return Measured(c, [](const RowFigures& f) { return Fixed(f.throughput, 1); }); },
     field::kThroughput,
     [](const RowContext& c) { return Measured(c, [](const RowFigures& f) { return Fixed(f.throughput, 3); }); },
     kWindowForm},
    {"ns/element",
     [](const RowContext& c) { return Measured(c, [](const RowFigures& f) { return Fixed(f.nsPerElement, 2); }); },
     field::kNsPerElement,
     [](const RowContext& c) { return Measured(c, [](const RowFigures& f) { return Fixed(f.nsPerElement, 3); }); },
     kMatrixForm},
    {kRatioHeading.c_str(), [](const RowContext& c) { return Measured(c, RatioText); },
     field::kRatio,
     [](const RowContext& c) {
         return Measured(c, [](const RowFigures& f) { return f.ratio ? Fixed(*f.ratio, 4) : ""; });
     },
     kBoth},
    {nullptr, nullptr, field::kStatus,
     [](const RowContext& c) { return c.figures.failed ? Unfinished(c.report, c.row) : "measured"; }, kMatrixForm},
    {nullptr, nullptr, field::kFailedSlot,
     [](const RowContext& c) {
         const SortFailure& failure = c.row.outcome.failure;
         return failure.failed() ? std::to_string(failure.slot) : "";
     },
     kBoth},
    {nullptr, nullptr, field::kFailedCheck,
     [](const RowContext& c) { return std::string(CheckName(c.row.outcome.failure.check)); }, kBoth},
    {nullptr, nullptr, field::kTimes,
     [](const RowContext& c) {
         std::string times;
         for (const double t : c.row.times) times += (times.empty() ? "" : " ") + Ms(t);
         return times;
     },
     kMatrixForm},
    {nullptr, nullptr, field::kOperationsStatus,
     [](const RowContext& c) { return c.operations.counted ? "counted" : c.operations.why; }, kCounted},
    {"cmp/element",
     [](const RowContext& c) {
         return CountedText(c, true, false, [](const OperationFigures& f) { return Fixed(f.comparisonsPerElement, 2); });
     },
     field::kComparisons,
     [](const RowContext& c) {
         return Counted(c, false, [](const OperationFigures& f) { return std::to_string(f.counts.comparisons); });
     },
     kCounted},
    {"exch/element",
     [](const RowContext& c) {
         return CountedText(c, false, true, [](const OperationFigures& f) { return Fixed(f.exchangesPerElement, 2); });
     },
     field::kExchanges,
     [](const RowContext& c) {
         return Counted(c, true, [](const OperationFigures& f) { return std::to_string(f.counts.exchanges); });
     },
     kCounted},
    {nullptr, nullptr, field::kCalls,
     [](const RowContext& c) {
         return Counted(c, true, [](const OperationFigures& f) { return std::to_string(f.counts.calls); });
     },
     kCounted},
    {field::kDepth,
     [](const RowContext& c) {
         return CountedText(c, false, true, [](const OperationFigures& f) { return std::to_string(f.counts.depth); });
     },
     field::kDepth,
     [](const RowContext& c) {
         return Counted(c, true, [](const OperationFigures& f) { return std::to_string(f.counts.depth); });
     },
     kCounted},
    {"cmp/(n log2 n)",
     [](const RowContext& c) {
         return CountedText(c, false, false, [](const OperationFigures& f) { return Fixed(f.comparisonsPerNLog2N, 3); });
     },
     field::kComparisonsPerNLog2N,
     [](const RowContext& c) {
         return Counted(c, false, [](const OperationFigures& f) { return Fixed(f.comparisonsPerNLog2N, 4); });
     },
     kCounted},
    {"stack",
     [](const RowContext& c) {
         return CountedText(c, false, true, [](const OperationFigures& f) {
             return StackText(f.stackBytes) + (f.overWindowStack ? " (over the window's)" : "");
         });
     },
     field::kStackBytes,
     [](const RowContext& c) {
         return Counted(c, true, [](const OperationFigures& f) { return std::to_string(f.stackBytes); });
     },
     kCounted},
    {nullptr, nullptr, field::kMachineStatus,
     [](const RowContext& c) { return c.machine.counted ? std::string("counted") : c.machine.why; }, kMachine},
    {nullptr, nullptr, field::kMachineReason,
     [](const RowContext& c) {
         const Outcome& machine = c.row.machine.outcome;
         return machine.end == End::kNotCountable ? machine.detail : "";
     },
     kMachine},
    {"instr/element", MachineText<&MachineFigures::instructionsPerElement, 1, true>, field::kInstructions,
     MachineCount<&MachineCounts::instructions>, kMachine},
    {nullptr, nullptr, field::kConditionalBranches, MachineCount<&MachineCounts::conditionalBranches>, kMachine},
    {"br miss/element", MachineText<&MachineFigures::branchMissesPerElement, 2, false>, field::kConditionalMispredicted,
     MachineCount<&MachineCounts::conditionalMisses>, kMachine},
    {nullptr, nullptr, field::kIndirectBranches, MachineCount<&MachineCounts::indirectBranches>, kMachine},
    {nullptr, nullptr, field::kIndirectMispredicted, MachineCount<&MachineCounts::indirectMisses>, kMachine},
    {"D1 miss/element", MachineText<&MachineFigures::firstLevelMissesPerElement, 3, false>, field::kFirstLevelMisses,
     MachineCount<&MachineCounts::firstLevelMisses>, kMachine},
    {nullptr, nullptr, field::kLastLevelMisses, MachineCount<&MachineCounts::lastLevelMisses>, kMachine},
    {nullptr, nullptr, field::kInstructionsPerElement, MachineField<&MachineFigures::instructionsPerElement>, kMachine},
    {nullptr, nullptr, field::kBranchesPerElement, MachineField<&MachineFigures::branchesPerElement>,
     kMachine},
    {nullptr, nullptr, field::kBranchMissesPerElement,
     MachineField<&MachineFigures::branchMissesPerElement>, kMachine},
    {nullptr, nullptr, field::kFirstLevelMissesPerElement, MachineField<&MachineFigures::firstLevelMissesPerElement>, kMachine},
    {nullptr, nullptr, field::kLastLevelMissesPerElement, MachineField<&MachineFigures::lastLevelMissesPerElement>, kMachine},
};

// Whether column shows in the report: in its form, and a counted column
// only when its pass was asked for.
bool Shows(const Report& report, const Column& column) {
    const unsigned form = IsMatrix(report) ? kMatrixForm : kWindowForm;
    if ((column.forms & form) == 0) return false;
    if ((column.forms & kCountedForm) != 0 && !report.settings.operations) return false;
    return (column.forms & kMachineForm) == 0 || report.settings.machineCounts;
}

// The columns of the report's form that have what wanted picks.
template <typename Wanted>
std::vector<const Column*> ColumnsOf(const Report& report, Wanted wanted) {
    std::vector<const Column*> columns;
    for (const Column& column : kColumns)
        if (Shows(report, column) && wanted(column)) columns.push_back(&column);
    return columns;
}

}  // namespace

std::vector<const Measurement*> CellRows(const Report& report, const std::string& pattern, std::int32_t count,
                                         ElementType type) {
    std::vector<const Measurement*> rows;
    for (const Measurement& row : report.rows)
        if (row.pattern == pattern && row.count == count && row.type == type) rows.push_back(&row);
    return rows;
}

RowContext ContextOf(const Report& report, const Measurement& row) {
    return {report, row, Figures(report, row), Operations(report, row), Machine(report, row)};
}

std::vector<const Column*> TextColumns(const Report& report) {
    return ColumnsOf(report, [](const Column& column) { return column.heading != nullptr; });
}

std::vector<const Column*> FieldColumns(const Report& report) {
    return ColumnsOf(report, [](const Column& column) { return column.field != nullptr; });
}

std::vector<std::string> Headings(const std::vector<const Column*>& columns) {
    std::vector<std::string> headings;
    for (const Column* column : columns) headings.push_back(column->heading);
    return headings;
}

std::vector<std::string> FieldNames(const std::vector<const Column*>& columns) {
    std::vector<std::string> names;
    for (const Column* column : columns) names.push_back(column->field);
    return names;
}

std::string MissingFigures(const RowContext& row) {
    if (IsMatrix(row.report)) return Unfinished(row.report, row.row);
    return "FAILED: " + FailureText(row.report, row.row);
}

std::vector<std::string> TextCells(const RowContext& row, const std::vector<const Column*>& columns) {
    if (row.figures.failed) return {RowName(row.row), MissingFigures(row)};
    std::vector<std::string> cells;
    for (const Column* column : columns) cells.push_back(column->text(row));
    return cells;
}

std::vector<std::string> FieldValues(const RowContext& row, const std::vector<const Column*>& columns) {
    std::vector<std::string> values;
    for (const Column* column : columns) values.push_back(column->value(row));
    return values;
}
