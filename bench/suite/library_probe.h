// Opening a library of the user's runs its code: its initialisers, and the
// table of sorts is read through its pointers. A child of its own does
// that here, and hands back only the names, so a library that crashes or
// hangs as it loads is refused like any other, and the measuring process
// never runs a line of it.
#pragma once

#include <string>
#include <vector>

#include "bench/measure/contenders.h"

constexpr char kProbingChildFlag[] = "--probing-child";

// Appends the sorts that the values of --sort-library load to contenders
// (named, carrying their value, to be loaded again by each guarded child).
// False with a one-line message naming the value when one cannot be loaded,
// as AddLibrarySorts says, or when loading it crashed or was still going
// after seconds.
bool ProbeSortLibraries(const std::vector<std::string>& values, double seconds, std::vector<Contender>& contenders,
                        std::string& error);

// The child's side, given the values after kProbingChildFlag and the
// contenders the parent already has.
int RunProbingChild(const std::vector<std::string>& values, std::vector<Contender> known);
