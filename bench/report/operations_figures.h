// A row's counted work (--operations) as the report forms show it: per
// element, against n log2 n, and the stack its recursion needs.
#pragma once

#include <cstdint>
#include <string>

#include "bench/report/report.h"

// The reserve of the window program's main-thread stack, as its link sets
// it (ORVANDEL_WINDOW_STACK_RESERVE in CMakeLists.txt).
extern const std::uint64_t kWindowStackBytes;

struct OperationFigures {
    bool counted = false;
    std::string why;                 // without counts: "n/a", "not counted", "over 10 s", CheckText...
    OperationCounts counts;
    double comparisonsPerElement = 0;
    double exchangesPerElement = 0;  // with counts.steps
    double comparisonsPerNLog2N = 0; // n the sorted slots
    std::uint64_t stackBytes = 0;    // deepest recursion times one level's frame, with counts.steps
    bool overWindowStack = false;    // the window's own thread would run out of stack here
};

OperationFigures Operations(const Report& report, const Measurement& row);
