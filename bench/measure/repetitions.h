// The timed repetitions of one cell in this process: every contender sorts
// the cell's draws, each written outside the timed interval, and the sorted
// slots are checked after every repetition.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "bench/measure/cell_data.h"
#include "bench/measure/contenders.h"
#include "bench/measure/measurement.h"

struct Repetition {
    int contender;  // index into the contenders
    bool timed;     // false for a warm-up
};

// The order of all repetitions. Without interleaving each contender does its
// warm-ups and runs in one block. With it, every round gives each contender
// one repetition, starting one contender later each round, so that drift of
// the machine does not always fall on the same contender.
std::vector<Repetition> Schedule(int contenders, const MeasureSettings& settings);

// One timed or warm-up repetition as it finished.
struct Sample {
    std::size_t repetition;  // index into the schedule
    double perSortMs;
    std::uint32_t ticks;
    int batch;
    std::int32_t failedSlot;
    std::int64_t draws;      // different data sets the contender has sorted so far
};

struct RepetitionEvents {
    std::function<void(std::size_t repetition)> starting;
    std::function<void(const Sample& sample)> finished;
};

// Runs the repetitions of order from first on, on fresh draws of the cell,
// leaving out the contenders marked in skip. A contender whose check fails
// does no further repetitions. batches holds each contender's sorts per
// sample where an earlier process found it, 0 where not: the contender's
// first repetition then finds how many sorts make a sample last
// settings.minTimeMs, and is done again with that batch when it is more
// than one.
void RunRepetitions(const std::vector<Contender>& contenders, const CellData& data,
                    const MeasureSettings& settings, const std::vector<Repetition>& order,
                    std::size_t first, std::vector<bool> skip, std::vector<int> batches,
                    const RepetitionEvents& events);
