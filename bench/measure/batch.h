// Timing sorts too short for the clock: one timed sample sorts a batch of
// fresh copies back to back, each a draw of the cell written before the
// clock starts and all checked after it stops, and reports the time per
// sort.
#pragma once

#include <cstdint>
#include <vector>

#include "bench/measure/cell_data.h"
#include "bench/measure/contenders.h"
#include "bench/measure/measurement.h"

// Milliseconds from some fixed start.
using MillisecondClock = double (*)();
double SteadyMilliseconds();

// Copies a batch may hold at most, in bytes: enough for a sample of the
// shortest sorts to reach a few milliseconds, small beside any machine.
constexpr std::uint64_t kBatchBytes = 64ull << 20;

// Sorts per sample so that a sample of sorts lasting oneSortMs each lasts at
// least minTimeMs, within kBatchBytes for copies of count values; at least 1.
// The time limit holds for one sort, so a batch never lasts more than half
// of timeLimitMs: its copies take their time too, and a batch of fast sorts
// must not be stopped as one slow sort.
int BatchSize(double oneSortMs, double minTimeMs, double timeLimitMs, std::int32_t count);

// What a sort needs of its contender, without the names: small and plain,
// so that a count can copy it where it wants it.
struct SortCall {
    SortRoutine routine;
    PluginSort plugin;  // called instead of routine when set
    BoundForm bounds;
};

SortCall CallOf(const Contender& contender);

// Sorts slots 1 ... count - 1 with the contender, in its own form.
void SortSlots(const SortCall& call, std::int32_t* slots, std::int32_t count);
void SortSlots(const Contender& contender, std::int32_t* slots, std::int32_t count);

// Writes draws firstDraw ... firstDraw + batch - 1 of the cell into batch
// slices of copies (resized to fit), each followed by a guard slot, then
// times contender sorting each slice, at the raised priority, and checks
// every one of them (sort_check.h) once the clock has stopped. The sample's
// draws are left for its repetition to count.
Sample TimeBatch(const Contender& contender, const CellData& data, std::int64_t firstDraw, int batch,
                 std::vector<std::int32_t>& copies, MillisecondClock clock);
