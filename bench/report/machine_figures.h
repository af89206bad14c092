// A row's machine counts (--machine-counts) as the report forms show them:
// the counts of one sort of draw 0, and each per sorted element.
#pragma once

#include <string>
#include <vector>

#include "bench/report/report.h"

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
