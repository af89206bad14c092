// What the console tool can measure: the five routines of the window, in
// button order, the library reference sorts after them, and the sorts
// loaded from the user's own libraries (sort_library.h).
#pragma once

#include "bench/measure/refusal.h"

#include <cstdint>
#include <string>
#include <vector>

#include "bench/measure/operations.h"
#include "core/sort_routine.h"

// A loaded sort: the half-open range first ... last - 1, the form of
// include/orvandel/sort_plugin.h.
using PluginSort = void (*)(std::int32_t* first, std::int32_t* last);

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
    std::string notRepeatable{};  // why its machine counts would differ on every run, or empty
    PluginSort plugin = nullptr;  // a loaded sort, called instead of routine (in a guarded child)
    std::string library{};        // with plugin: the --sort-library value that loads it
};

std::vector<Contender> AllContenders();

// The contenders that SelectNames chooses by their names and labels, or
// why there are none.
Result<std::vector<Contender>> SelectContenders(const std::vector<Contender>& all,
                           const std::vector<std::string>& names, const std::string& filter,
                           const std::string& baseline);
