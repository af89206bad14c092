// A row's machine counts (--machine-counts) as the report forms show them:
// the counts of one sort of draw 0, and each per sorted element.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

#include "bench/report/report.h"
#include "bench/report/row_fields.h"

struct MachineFigures {
    bool counted = false;
    std::string why;  // without counts: "n/a", "not counted", "over 1000 s", CheckText, "crashed: ..."
    MachineCounts counts;
    double instructionsPerElement = 0;  // per sorted slot
    double branchesPerElement = 0;      // conditional
    double branchMissesPerElement = 0;  // conditional, mispredicted
    double firstLevelMissesPerElement = 0;
    double lastLevelMissesPerElement = 0;
};

MachineFigures Machine(const Report& report, const Measurement& row);

// The whole counts by the names JSON gives them, in a run's rows, in a
// comparison's cells and in the reader of saved reports.
struct MachineCountName {
    const char* name;
    std::uint64_t MachineCounts::*count;
};

inline constexpr MachineCountName kMachineCountNames[] = {
    {field::kInstructions, &MachineCounts::instructions},
    {field::kConditionalBranches, &MachineCounts::conditionalBranches},
    {field::kConditionalMispredicted, &MachineCounts::conditionalMisses},
    {field::kIndirectBranches, &MachineCounts::indirectBranches},
    {field::kIndirectMispredicted, &MachineCounts::indirectMisses},
    {field::kFirstLevelMisses, &MachineCounts::firstLevelMisses},
    {field::kLastLevelMisses, &MachineCounts::lastLevelMisses},
};

// The whole counts as one JSON object's fields, added to json.
void AddMachineCounts(const MachineCounts& counts, nlohmann::json& json);
