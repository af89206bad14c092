// Guarded measurement: the repetitions of one cell run in a child process
// of this program, so that a routine that exhausts its stack or never ends
// costs its own cell only. The child sorts on a large stack and reports
// each repetition over a pipe; the parent stops a repetition that runs past
// the time limit, marks the routine, and starts a fresh child for the rest.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "bench/measure/contenders.h"
#include "bench/measure/measurement.h"

// Called before each repetition with the contender's name, how many
// repetitions are done and how many there are in all.
using ProgressReport = std::function<void(const std::string& name, int done, int total)>;

// The first argument that makes this program a measuring child.
constexpr char kMeasuringChildFlag[] = "--measuring-child";

// The sort thread's stack: room for recursion millions of calls deep.
constexpr std::size_t kSortStackBytes = (sizeof(void*) >= 8 ? 256u : 64u) << 20;

// The child's side, given the arguments after kMeasuringChildFlag: the
// contenders are found by name in known and in the libraries of sorts that
// the arguments name first. Writes its reports to standard output and
// returns the exit status (2 for arguments it cannot read or a library it
// cannot load, and at once, saying nothing, when the parent that started it
// is gone).
int RunMeasuringChild(const std::vector<std::string>& arguments, std::vector<Contender> known);

// Measures the cell settings.pattern × settings.count for contenders. rows
// holds one row per contender, in their order; rows already ended (a
// prediction) are left out. Each repetition's progress is reported with its
// index in the cell's schedule. A child that ends, or sends nothing for
// longer than the time limit and an allowance for preparing the data, while
// no repetition runs costs the row whose repetition it would have started
// next, marked crashed. Returns false with error set when a child cannot be
// started at all.
bool MeasureGuarded(const std::vector<Contender>& contenders, const MeasureSettings& settings,
                    const ProgressReport& progress, std::vector<Measurement>& rows, std::string& error);
