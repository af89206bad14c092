// The timed repetitions of one cell: their order over the contenders, and
// one repetition of one contender, its draws written outside the timed
// interval and the sorted slots checked after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "bench/measure/batch.h"
#include "bench/measure/cell_data.h"
#include "bench/measure/contenders.h"
#include "bench/measure/measurement.h"

struct Repetition {
    int contender;  // index into the contenders
    int round;      // the contender's repetitions before this one
    bool timed;     // false for a warm-up
};

// The order of all repetitions. Without interleaving each contender does its
// warm-ups and runs in one block. With it, every round gives each contender
// one repetition, starting one contender later each round, so that drift of
// the machine does not always fall on the same contender.
std::vector<Repetition> Schedule(int contenders, const MeasureSettings& settings);

// Whether repetition finds its contender's batch anew: the first does, and
// the first timed one again, warm, since a first call slowed by loading,
// page faults or cold caches would otherwise fix the batch for good.
bool FindsBatch(const Repetition& repetition, const MeasureSettings& settings);

// One repetition of contender on fresh draws of the cell, from firstDraw,
// the draws its repetitions before took. Its sorts take the cell's draws in
// order, one to find a batch and then whole batches, so every contender
// sorts the same sequence of draws, and none twice. batch is the
// contender's sorts per sample, none where FindsBatch: the repetition then
// times one sort to find how many make a sample last settings.minTimeMs,
// and is done again with that batch when it is more than one. copies is
// the room the copies are written to; clock times them.
template <typename T>
Sample RunRepetition(const Contender& contender, const CellData& data, const MeasureSettings& settings,
                     std::int64_t firstDraw, std::optional<int> batch, Copies<T>& copies,
                     MillisecondClock clock = SteadyMilliseconds);
