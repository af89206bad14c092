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
// valueBytes is what one value takes in a copy (element_types.h).
int BatchSize(double oneSortMs, double minTimeMs, double timeLimitMs, std::int32_t count,
              std::uint64_t valueBytes = sizeof(std::int32_t));

// What a sort of elements T needs of its contender, without the names:
// small and plain, so that a count can copy it where it wants it.
template <typename T>
struct SortCall {
    RangeSort<T> sort;
};

template <>
struct SortCall<std::int32_t> {
    SortRoutine routine;
    PluginSort plugin;  // called instead of routine when set
    BoundForm bounds;
};

template <typename T>
SortCall<T> CallOf(const Contender& contender);
template <>
SortCall<std::int32_t> CallOf<std::int32_t>(const Contender& contender);

// Sorts slots 1 ... count - 1 with the contender, in its own form.
template <typename T>
void SortSlots(const SortCall<T>& call, T* slots, std::int32_t count);
template <>
void SortSlots<std::int32_t>(const SortCall<std::int32_t>& call, std::int32_t* slots, std::int32_t count);

// The room a batch's copies are written to: the copies, each followed by
// its guard slot, and the bytes their strings point at.
template <typename T>
struct Copies {
    std::vector<T> slots;
    std::vector<char> bytes;
};

// Writes draws firstDraw ... firstDraw + batch - 1 of the cell into batch
// copies (resized to fit), each followed by a guard slot, then times
// contender sorting each copy, at the raised priority, and checks every one
// of them (sort_check.h) once the clock has stopped. The sample's draws are
// left for its repetition to count.
template <typename T>
Sample TimeBatch(const Contender& contender, const CellData& data, std::int64_t firstDraw, int batch,
                 Copies<T>& copies, MillisecondClock clock);
