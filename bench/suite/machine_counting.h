// The machine-count pass (--machine-counts): after a cell's timed runs,
// each contender that sorts on one thread sorts the cell's draw 0 once more
// in the counting program (a measuring child that loads no library but the
// counted sort's) run under callgrind, which counts the sort alone
// (machine_counts.h). Each count has a process of its own, which loads no
// other contender's library, and a private folder for its dump, so neither
// a loaded sort's counts nor anything it writes reaches another row, and
// no count depends on what ran before it. Guarded like the counting pass,
// under a time limit kSimulationSlowdown times the cell's.
#pragma once

#include <string>
#include <vector>

#include "bench/measure/contenders.h"
#include "bench/measure/measurement.h"
#include "bench/measure/refusal.h"

// Why no count can be made by this build on this system (no valgrind, no
// counting program, Windows, a sanitizers' build), or empty when they can.
std::string MachineCountsUnavailable();

// Why contender's sort can never be counted so (it runs on several threads,
// or at random), or empty.
std::string MachineCountsRefused(const Contender& contender);

// Counts each row's contender (one row per contender of the cell) in the cell settings.pattern × settings.count.
// A contender that cannot be counted, or whose timed runs did not finish,
// is not counted, and says so; a count that fails its check, runs out of
// stack, passes its time limit, dies or leaves no dump of its own ends that
// row's count only. Refuses when a child cannot be started at all.
Check CountMachineGuarded(const MeasureSettings& settings, std::vector<Measurement>& rows);
