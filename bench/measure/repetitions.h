// The timed repetitions of one cell: their order over the contenders, and
// one repetition of one contender, its draws written outside the timed
// interval and the sorted slots checked after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

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

// Round round of contender on fresh draws of the cell. Its sorts take the
// cell's draws in order, one to find its batch and then whole batches, so
// every contender sorts the same sequence of draws, and none twice. batch
// is the contender's sorts per sample as found in its first round, none
// there: that round then finds how many sorts make a sample last
// settings.minTimeMs, and is done again with that batch when it is more
// than one. copies is the room the copies are written to.
Sample RunRepetition(const Contender& contender, const CellData& data, const MeasureSettings& settings, int round,
                     std::optional<int> batch, std::vector<std::int32_t>& copies);
