#include "bench/report/machine_figures.h"

#include "bench/report/format.h"

namespace {

std::string NotCounted(const Report& report, const MachineRow& machine) {
    switch (machine.end) {
        case CountEnd::kNotCountable: return "n/a";
        case CountEnd::kNotTimed: return "not counted";
        case CountEnd::kFailed: return CheckText(machine.failure);
        case CountEnd::kStackExhausted: return "stack exhausted";
        case CountEnd::kOverLimit: return "over " + Fixed(MachineTimeLimitSeconds(report.settings), 0) + " s";
        case CountEnd::kCrashed: return "crashed: " + machine.why;
        case CountEnd::kNotAsked:
        case CountEnd::kCounted: break;
    }
    return "";
}

}  // namespace

double MachineTimeLimitSeconds(const MeasureSettings& settings) {
    return settings.timeLimitSeconds * kSimulationSlowdown;
}

MachineFigures Machine(const Report& report, const Measurement& row) {
    MachineFigures f;
    f.counted = row.machine.end == CountEnd::kCounted;
    f.why = NotCounted(report, row.machine);
    if (!f.counted) return f;
    const MachineCounts& c = row.machine.counts;
    f.counts = c;
    const double n = static_cast<double>(row.count - 1);  // the sorted slots
    f.instructionsPerElement = static_cast<double>(c.instructions) / n;
    f.branchesPerElement = static_cast<double>(c.conditionalBranches) / n;
    f.branchMissesPerElement = static_cast<double>(c.conditionalMisses) / n;
    f.firstLevelMissesPerElement = static_cast<double>(c.firstLevelMisses) / n;
    f.lastLevelMissesPerElement = static_cast<double>(c.lastLevelMisses) / n;
    return f;
}
