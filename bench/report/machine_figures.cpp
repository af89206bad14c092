#include "bench/report/machine_figures.h"


void AddMachineCounts(const MachineCounts& counts, nlohmann::json& json) {
    for (const MachineCountName& named : kMachineCountNames) json[named.name] = counts.*named.count;
}

MachineFigures Machine(const Report& report, const Measurement& row) {
    MachineFigures f;
    f.counted = row.machine.outcome.end == End::kCounted;
    f.why = EndText(row.machine.outcome, {MachineTimeLimitSeconds(report.settings)});
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
