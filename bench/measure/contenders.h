// What the console tool can measure: the five routines of the window, in
// button order, and the library reference sorts after them.
#pragma once

#include <string>
#include <vector>

#include "bench/measure/operations.h"
#include "core/sort_routine.h"

struct Contender {
    std::string name;   // result caption of a routine, library name of a reference
    std::string label;  // button label of a routine; empty for a reference
    SortRoutine routine;
    BoundForm bounds;
    bool reference;
    int threads = 1;    // threads a parallel reference sorts with
    // Counts the work of one sort (--operations); a contender without one
    // shows "n/a", with notCounted saying why when known.
    OperationCounter counter = nullptr;
    std::string notCounted{};
};

std::vector<Contender> AllContenders();

struct Selection {
    std::vector<Contender> contenders;
    std::string error;  // empty when the selection succeeded
};

// The contenders that SelectNames chooses by their names and labels.
Selection SelectContenders(const std::vector<Contender>& all,
                           const std::vector<std::string>& names, const std::string& filter,
                           const std::string& baseline);
