// The full record of a run: context, settings and every repetition's time.
#include "bench/report/json.h"

#include "bench/measure/cell_data.h"
#include "bench/report/machine_figures.h"
#include "bench/report/operations_figures.h"
#include "bench/report/row_fields.h"
#include "bench/report/summary.h"
#include "bench/report/writers.h"

namespace {

std::vector<std::string> TypeNames(const std::vector<ElementType>& types) {
    std::vector<std::string> names;
    for (const ElementType type : types) names.push_back(ElementTypeName(type));
    return names;
}

// The details of a row without figures, each in a field of its own, so a
// program reads them without parsing the status text the table shows.
void AddEndDetails(const Report& report, const Measurement& row, nlohmann::json& json) {
    const End end = row.outcome.end;
    if (end == End::kOverLimit || end == End::kPredictedOver) json[field::kTimeLimit] = report.settings.timeLimitSeconds;
    if (end == End::kPredictedOver) json[field::kPredicted] = row.predictedMs;
    if (end == End::kCrashed) json[field::kCrash] = row.outcome.detail;
    if (end == End::kNotSorted) json[field::kReason] = row.outcome.detail;
}

// Which check failed where; a changed value also with what the slot holds
// and what the sorted input holds there, so a reader needs no slot's data.
void AddFailure(const SortFailure& failure, nlohmann::json& json) {
    const bool failed = failure.failed();
    json[field::kFailedSlot] = failed ? nlohmann::json(failure.slot) : nlohmann::json();
    json[field::kFailedCheck] = failed ? nlohmann::json(CheckName(failure.check)) : nlohmann::json();
    if (failure.check != SortCheck::kValues) return;
    json[field::kHeldValue] = failure.held;
    json[field::kExpectedValue] = failure.expected;
}

// A pass that gave no counts: how it ended, and what a reader needs to
// know of that end.
nlohmann::json NotCountedObject(const Outcome& outcome, double limitSeconds) {
    nlohmann::json json = {{field::kStatus, StatusWord(outcome.end)}};
    if (outcome.end == End::kNotCountable) json[field::kReason] = outcome.detail;
    if (outcome.end == End::kOverLimit) json[field::kTimeLimit] = limitSeconds;
    if (outcome.end == End::kCrashed) json[field::kCrash] = outcome.detail;
    if (outcome.end == End::kFailed) AddFailure(outcome.failure, json);
    return json;
}

// Counts are whole numbers; a figure the contender's counter cannot see
// (a comparator sees comparisons only) is null.
nlohmann::json OperationsObject(const Report& report, const Measurement& row) {
    const OperationFigures f = Operations(report, row);
    if (!f.counted) return NotCountedObject(row.operations.outcome, report.settings.timeLimitSeconds);
    const OperationCounts& c = f.counts;
    const auto seen = [&](const nlohmann::json& value) { return c.steps ? value : nlohmann::json(); };
    return {
        {field::kStatus, StatusWord(End::kCounted)},
        {field::kComparisons, c.comparisons},
        {field::kExchanges, seen(c.exchanges)},
        {field::kCalls, seen(c.calls)},
        {field::kDepth, seen(c.depth)},
        {field::kFrameBytes, seen(c.frameBytes)},
        {field::kComparisonsPerElement, f.comparisonsPerElement},
        {field::kExchangesPerElement, seen(f.exchangesPerElement)},
        {field::kComparisonsPerNLog2N, f.comparisonsPerNLog2N},
        {field::kStackBytes, seen(f.stackBytes)},
        {field::kOverWindowStack, seen(f.overWindowStack)},
    };
}

// Whole counts, each also per sorted element; without counts, why.
nlohmann::json MachineObject(const Report& report, const Measurement& row) {
    const MachineFigures f = Machine(report, row);
    if (!f.counted) return NotCountedObject(row.machine.outcome, MachineTimeLimitSeconds(report.settings));
    nlohmann::json json = {
        {field::kStatus, StatusWord(End::kCounted)},
        {field::kInstructionsPerElement, f.instructionsPerElement},
        {field::kBranchesPerElement, f.branchesPerElement},
        {field::kBranchMissesPerElement, f.branchMissesPerElement},
        {field::kFirstLevelMissesPerElement, f.firstLevelMissesPerElement},
        {field::kLastLevelMissesPerElement, f.lastLevelMissesPerElement},
    };
    AddMachineCounts(f.counts, json);
    return json;
}

nlohmann::json Row(const Report& report, const Measurement& row) {
    const RowFigures f = Figures(report, row);
    nlohmann::json json = {
        {field::kName, row.contender.name},
        {field::kLabel, row.contender.label},
        {field::kReference, row.contender.reference},
        {field::kThreads, row.contender.threads},
        {field::kPattern, row.pattern},
        {field::kCount, row.count},
        {field::kType, ElementTypeName(row.type)},
        {field::kStatus, StatusWord(row.outcome.end)},
        {field::kBatch, row.batch},
        {field::kDraws, row.draws},
        {field::kTimes, row.times},
        {field::kTicks, row.ticks},
    };
    AddFailure(row.outcome.failure, json);
    AddEndDetails(report, row, json);
    if (report.settings.operations) json[field::kOperations] = OperationsObject(report, row);
    if (report.settings.machineCounts) json[field::kMachineCounts] = MachineObject(report, row);
    if (f.failed) return json;
    json[field::kMin] = f.summary.min;
    json[field::kMedian] = f.summary.median;
    json[field::kMean] = f.summary.mean;
    json[field::kStddev] = f.summary.stddev;
    json[field::kMax] = f.summary.max;
    json[field::kThroughput] = f.throughput;
    json[field::kNsPerElement] = f.nsPerElement;
    json[field::kRatio] = f.ratio ? nlohmann::json(*f.ratio) : nlohmann::json();
    return json;
}

nlohmann::json CellRatioObject(const CellRatio& cell) {
    return {{field::kPattern, cell.pattern}, {field::kCount, cell.count}, {field::kType, ElementTypeName(cell.type)},
            {field::kRatio, cell.ratio}};
}

// A contender without a cell to set against std::sort has null figures.
nlohmann::json SummaryObject(const ContenderSummary& s) {
    const bool any = s.cells > 0;
    const auto figure = [&](double value) { return any ? nlohmann::json(value) : nlohmann::json(); };
    return {{field::kName, s.name},
            {field::kLoaded, s.loaded},
            {field::kReference, s.reference},
            {field::kCells, s.cells},
            {field::kUnfinished, s.unfinished},
            {field::kOverall, figure(s.overall.value)},
            {field::kOverallLow, figure(s.overall.interval.low)},
            {field::kOverallHigh, figure(s.overall.interval.high)},
            {field::kBest, any ? CellRatioObject(s.best) : nlohmann::json()},
            {field::kWorst, any ? CellRatioObject(s.worst) : nlohmann::json()}};
}

}  // namespace

nlohmann::json ReportJson(const Report& report) {
    const SystemInfo& system = report.system;
    const MeasureSettings& settings = report.settings;
    nlohmann::json json = {
        {"schema_version", kReportSchemaVersion},
        {"context",
         {{"cpu", system.cpu},
          {"cores", system.cores},
          {"memory_bytes", system.memoryBytes},
          {"os", system.os},
          {"compiler", system.compiler},
          {"flags", system.flags},
          {"clock", "std::chrono::steady_clock"}}},
        {"settings",
         {{"seed", settings.seed},
          {"runs", settings.runs},
          {"warmup", settings.warmup},
          {"interleave", settings.interleave},
          {"same_data", settings.sameData},
          {"distinct_draws_below", kDistinctDrawsBelow},
          {"patterns", report.patterns},
          {"counts", report.counts},
          {"types", TypeNames(report.types)},
          {"min_time_ms", settings.minTimeMs},
          {"time_limit_s", settings.timeLimitSeconds}}},
        {"notes", report.notes},
    };
    if (settings.operations) {
        json["settings"]["operations"] = true;
        json["settings"]["window_stack_bytes"] = kWindowStackBytes;
    }
    if (settings.machineCounts)
        json["settings"]["machine_counts"] = {{"tool", "valgrind --tool=callgrind --branch-sim=yes --cache-sim=yes"},
                                              {"simulated_caches", SimulatedCachesText()},
                                              {"time_limit_s", MachineTimeLimitSeconds(settings)}};
    if (!IsMatrix(report)) {
        json["settings"]["count"] = settings.count;
        json["settings"]["sorted_slots"] = {1, settings.count - 1};
    }
    json["rows"] = nlohmann::json::array();
    for (const Measurement& row : report.rows) json["rows"].push_back(Row(report, row));
    if (IsMatrix(report)) {
        json[field::kSummary] = nlohmann::json::array();
        for (const ContenderSummary& summary : Summaries(report)) json[field::kSummary].push_back(SummaryObject(summary));
    }
    return json;
}

void WriteJsonText(std::ostream& out, const nlohmann::json& json) {
    out << json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

void WriteJson(std::ostream& out, const Report& report) {
    WriteJsonText(out, ReportJson(report));
}
