// Opening a library of the user's runs its code: its initialisers, and the
// table of sorts is read through its pointers. A child of its own for each
// value does that here, in the sandbox, and hands back only the names, and
// the element types each sorts, which the parent judges by the names rule:
// so a library that crashes or hangs as it loads is refused like any other,
// no library's initialiser touches another's loading, and the measuring
// process never runs a line of it. Each library file is held from then on (HoldFile), so that every
// child loads the very content the probe checked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/measure/contenders.h"
#include "bench/measure/refusal.h"
#include "bench/suite/child_protocol.h"

constexpr char kProbingChildFlag[] = "--probing-child";

// Why a child's flag given by hand is refused: the tool starts its
// children with it, over a channel of their own.
std::string InternalOptionText(const char* flag);

// Appends the sorts that the values of --sort-library load to contenders
// (named, with the types they sort, carrying their value, to be loaded
// again by each guarded child).
// Refuses, naming the value, one that cannot be opened or loaded, as
// AddLibrarySorts says, one whose loading crashed or was still going after
// seconds, or one that reports a name the names rule refuses or another
// contender has.
Check ProbeSortLibraries(const std::vector<std::string>& values, double seconds, std::vector<Contender>& contenders);

// The file a --sort-library value names, held open for the run (from the
// probe on, or from now when the value was not probed); -1 when it cannot
// be opened.
std::intptr_t HeldLibrary(const std::string& value);

// The sorts value loaded when it was probed, as the probe named them, or
// nullptr.
const std::vector<SortMessage>* ProbedSorts(const std::string& value);

// A child's report of a sort its library loaded: its name and its types,
// as the probe and every measuring child name it.
void ReportLoadedSort(const Contender& loaded);

// The child's side, given the arguments after kProbingChildFlag (each
// value, then the name to open it by) and the contenders the parent
// already has.
int RunProbingChild(const std::vector<std::string>& arguments, std::vector<Contender> known);
