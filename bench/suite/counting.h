// The counting pass (--operations), guarded like the timed runs: each
// contender's work on the cell's draw 0 is counted in a child process of
// this program, on the same large stack, under the same time limit, after
// the cell's timed runs and never inside them.
#pragma once

#include <string>
#include <vector>

#include "bench/measure/contenders.h"
#include "bench/measure/measurement.h"

// The first argument that makes this program a counting child.
constexpr char kCountingChildFlag[] = "--counting-child";

// The child's side, given the arguments after kCountingChildFlag: the
// contenders are found by name in known. Writes its reports to standard
// output and returns the exit status (2 for arguments it cannot read).
int RunCountingChild(const std::vector<std::string>& arguments, const std::vector<Contender>& known);

// Counts the work of each row's contender in the cell settings.pattern ×
// settings.count. A contender without a counter, or whose timed runs did
// not finish, is not counted, and says so; a count that runs out of stack,
// passes the time limit or dies ends that row's count only. Returns false
// with error set when a child cannot be started at all.
bool CountGuarded(const std::vector<Contender>& contenders, const MeasureSettings& settings,
                  std::vector<Measurement>& rows, std::string& error);
