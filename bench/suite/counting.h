// The counting pass (--operations), guarded like the timed runs: each
// contender's work on the cell's draw 0 is counted in a measuring child of
// its own, on the same large stack, under the same time limit, after the
// cell's timed runs and never inside them, and checked like every sort.
#pragma once

#include <vector>

#include "bench/measure/contenders.h"
#include "bench/measure/measurement.h"
#include "bench/measure/refusal.h"

// Counts the work of each row's contender in the cell settings.pattern ×
// settings.count. A contender without a counter, or whose timed runs did
// not finish, is not counted, and says so; a count that fails its check,
// runs out of stack, passes the time limit or dies ends that row's count
// only. Refuses when a child cannot be started at all.
Check CountGuarded(const std::vector<Contender>& contenders, const MeasureSettings& settings,
                   std::vector<Measurement>& rows);
