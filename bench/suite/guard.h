// Guarded measurement: the repetitions of one cell run in child processes
// of this program, so that a routine that exhausts its stack or never ends,
// or a loaded sort that does anything at all, costs its own rows only. The
// routines and references share one child; each library of sorts has a
// child of its own, and no other contender's code ever runs in it. The
// parent keeps the schedule and asks a child for one repetition at a time;
// it stops one that runs past the time limit, marks the row, and starts a
// fresh child for the rest.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "bench/measure/contenders.h"
#include "bench/measure/measurement.h"
#include "bench/measure/refusal.h"
#include "bench/suite/measuring_child.h"

// Called before each repetition with the contender's name, how many
// repetitions are done and how many there are in all.
using ProgressReport = std::function<void(const std::string& name, int done, int total)>;

// Whether a repetition that sorted batch copies in perSortMs each lasted
// longer than the time limit, by the child's own clock: its time is then
// no figure, though its sample may have come in time (the parent's
// deadline runs from hearing the start, which can come late).
bool OutlastsLimit(double perSortMs, int batch, double timeLimitSeconds);

// The processes a cell of contenders runs at once: one for the routines and
// references, one for each library.
std::size_t CellProcesses(const std::vector<Contender>& contenders);

// Measures the cell settings.pattern × settings.count for contenders. rows
// holds one row per contender, in their order; rows already ended (a
// prediction) are left out. Each repetition's progress is reported with its
// index in the cell's schedule. A child that ends, breaks its report
// channel, or sends nothing for longer than the time limit and an allowance
// for preparing the data, costs the row whose repetition it was in or would
// have started next, marked crashed; a library child whose sorts are not
// the ones the library named when it was probed costs that library's rows.
// Refuses when a child cannot be started at all.
Check MeasureGuarded(const std::vector<Contender>& contenders, const MeasureSettings& settings,
                     const ProgressReport& progress, std::vector<Measurement>& rows);
