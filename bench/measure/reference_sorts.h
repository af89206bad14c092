// Library sorts measured beside the five routines as yardsticks. They take
// the routines' form with an exclusive upper bound, so the runner treats
// them alike; they are never counted among the five.
#pragma once

#include <string>
#include <vector>

#include "bench/measure/operations.h"
#include "core/sort_routine.h"

struct ReferenceSort {
    const char* name;
    SortRoutine routine;  // sorts slots lo ... hi - 1
    int threads;          // 1, or the threads a parallel sort uses
    OperationCounter counter = nullptr;  // counts its comparisons; null when it cannot be counted
    const char* notCounted = "";         // without a counter: why
    // Why two runs of it never do the same work (it draws its samples from
    // the system's random source), or empty: its machine counts would
    // differ on every run, so it has none.
    const char* notRepeatable = "";
};

// The name of the reference every ratio is taken against.
constexpr char kBaselineName[] = "std::sort";

// std::sort first, then those found when the program was configured.
const std::vector<ReferenceSort>& ReferenceSorts();

// One line per optional reference that this build lacks, saying why.
const std::vector<std::string>& MissingReferenceNotes();
