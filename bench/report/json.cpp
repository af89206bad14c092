// The full record of a run: context, settings and every repetition's time.
#include "bench/report/json.h"

#include "bench/measure/cell_data.h"
#include "bench/report/machine_figures.h"
#include "bench/report/operations_figures.h"
#include "bench/report/writers.h"

namespace {

// The details of a row without figures, each in a field of its own, so a
// program reads them without parsing the status text the table shows.
void AddEndDetails(const Report& report, const Measurement& row, nlohmann::json& json) {
    if (row.end == CellEnd::kOverLimit || row.end == CellEnd::kPredictedOver)
        json["time_limit_s"] = report.settings.timeLimitSeconds;
    if (row.end == CellEnd::kPredictedOver) json["predicted_ms"] = row.predictedMs;
    if (row.end == CellEnd::kCrashed) json["crash"] = row.crash;
}

// Which check failed where; a changed value also with what the slot holds
// and what the sorted input holds there, so a reader needs no slot's data.
void AddFailure(const SortFailure& failure, nlohmann::json& json) {
    const bool failed = failure.failed();
    json["failed_slot"] = failed ? nlohmann::json(failure.slot) : nlohmann::json();
    json["failed_check"] = failed ? nlohmann::json(CheckName(failure.check)) : nlohmann::json();
    if (failure.check != SortCheck::kValues) return;
    json["held_value"] = failure.held;
    json["expected_value"] = failure.expected;
}

// How a count ended, as a value like the row's own status.
const char* CountStatus(CountEnd end) {
    switch (end) {
        case CountEnd::kNotCountable: return "not-countable";
        case CountEnd::kNotTimed: return "not-timed";
        case CountEnd::kFailed: return "failed";
        case CountEnd::kStackExhausted: return "stack-exhausted";
        case CountEnd::kOverLimit: return "over-time-limit";
        case CountEnd::kCrashed: return "crashed";
        case CountEnd::kNotAsked:
        case CountEnd::kCounted: break;
    }
    return "counted";
}

// A pass that gave no counts: how it ended, and what a reader needs to
// know of that end.
nlohmann::json NotCountedObject(CountEnd end, const std::string& reason, double limitSeconds,
                                const std::string& crash, const SortFailure& failure) {
    nlohmann::json json = {{"status", CountStatus(end)}};
    if (end == CountEnd::kNotCountable) json["reason"] = reason;
    if (end == CountEnd::kOverLimit) json["time_limit_s"] = limitSeconds;
    if (end == CountEnd::kCrashed) json["crash"] = crash;
    if (end == CountEnd::kFailed) AddFailure(failure, json);
    return json;
}

// Counts are whole numbers; a figure the contender's counter cannot see
// (a comparator sees comparisons only) is null.
nlohmann::json OperationsObject(const Report& report, const Measurement& row) {
    const OperationFigures f = Operations(report, row);
    if (!f.counted) {
        const OperationsRow& o = row.operations;
        return NotCountedObject(o.end, row.contender.notCounted, report.settings.timeLimitSeconds, o.crash, o.failure);
    }
    const OperationCounts& c = f.counts;
    const auto seen = [&](const nlohmann::json& value) { return c.steps ? value : nlohmann::json(); };
    return {
        {"status", CountStatus(row.operations.end)},
        {"comparisons", c.comparisons},
        {"exchanges", seen(c.exchanges)},
        {"calls", seen(c.calls)},
        {"depth", seen(c.depth)},
        {"frame_bytes", seen(c.frameBytes)},
        {"comparisons_per_element", f.comparisonsPerElement},
        {"exchanges_per_element", seen(f.exchangesPerElement)},
        {"comparisons_per_n_log2_n", f.comparisonsPerNLog2N},
        {"stack_bytes", seen(f.stackBytes)},
        {"over_window_stack", seen(f.overWindowStack)},
    };
}

// Whole counts, each also per sorted element; without counts, why.
nlohmann::json MachineObject(const Report& report, const Measurement& row) {
    const MachineFigures f = Machine(report, row);
    const MachineRow& machine = row.machine;
    if (!f.counted) {
        return NotCountedObject(machine.end, machine.why, MachineTimeLimitSeconds(report.settings), machine.why,
                                machine.failure);
    }
    nlohmann::json json = {
        {"status", CountStatus(machine.end)},
        {"instructions_per_element", f.instructionsPerElement},
        {"conditional_branches_per_element", f.branchesPerElement},
        {"conditional_mispredicted_per_element", f.branchMissesPerElement},
        {"d1_misses_per_element", f.firstLevelMissesPerElement},
        {"ll_misses_per_element", f.lastLevelMissesPerElement},
    };
    AddMachineCounts(f.counts, json);
    return json;
}

nlohmann::json Row(const Report& report, const Measurement& row) {
    const RowFigures f = Figures(report, row);
    nlohmann::json json = {
        {"name", row.contender.name},
        {"label", row.contender.label},
        {"reference", row.contender.reference},
        {"threads", row.contender.threads},
        {"pattern", row.pattern},
        {"count", row.count},
        {"status", RowStatus(row)},
        {"batch", row.batch},
        {"draws", row.draws},
        {"times_ms", row.times},
        {"ticks_ms_per_batch", row.ticks},
    };
    AddFailure(row.failure, json);
    AddEndDetails(report, row, json);
    if (report.settings.operations) json["operations"] = OperationsObject(report, row);
    if (report.settings.machineCounts) json["machine_counts"] = MachineObject(report, row);
    if (f.failed) return json;
    json["min_ms"] = f.summary.min;
    json["median_ms"] = f.summary.median;
    json["mean_ms"] = f.summary.mean;
    json["stddev_ms"] = f.summary.stddev;
    json["max_ms"] = f.summary.max;
    json["throughput_meps"] = f.throughput;
    json["ns_per_element"] = f.nsPerElement;
    json["ratio_to_std_sort"] = f.ratio ? nlohmann::json(*f.ratio) : nlohmann::json();
    return json;
}

}  // namespace

const char* RowStatus(const Measurement& row) {
    switch (row.end) {
        case CellEnd::kStackExhausted: return "stack-exhausted";
        case CellEnd::kOverLimit: return "over-time-limit";
        case CellEnd::kPredictedOver: return "predicted-over";
        case CellEnd::kCrashed: return "crashed";
        case CellEnd::kMeasured: break;
    }
    return row.failure.failed() ? "failed" : "measured";
}

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
    return json;
}

void WriteJsonText(std::ostream& out, const nlohmann::json& json) {
    out << json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

void WriteJson(std::ostream& out, const Report& report) {
    WriteJsonText(out, ReportJson(report));
}
