// What one cell's measurement is made with and what it gives: the settings
// of a run, and one row per contender with every repetition's time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/measure/contenders.h"
#include "bench/measure/machine_counts.h"
#include "bench/measure/outcome.h"
#include "core/test_data.h"

struct MeasureSettings {
    std::int32_t count = kSlotCount;  // slots filled; slots 1 ... count - 1 are sorted
    std::uint32_t seed = kRunSeed;
    int runs = 5;                     // timed repetitions per contender
    int warmup = 1;                   // untimed repetitions per contender before them
    bool interleave = false;          // one repetition of each contender in turn
    std::string pattern = "window";   // the input shape
    ElementType type = ElementType::kI32;  // what the values are sorted as
    double minTimeMs = 5;             // a timed sample sorts copies until it lasts this long
    double timeLimitSeconds = 10;     // a repetition running longer is stopped
    bool sameData = false;            // every sort sorts the seed's data, even where a new draw is due
    bool operations = false;          // also count each contender's work on the cell's draw 0
    bool machineCounts = false;       // also count what draw 0 costs each contender's machine (callgrind)
};

// The time limit of one machine count, in seconds: the cell's,
// kSimulationSlowdown times over.
inline double MachineTimeLimitSeconds(const MeasureSettings& settings) {
    return settings.timeLimitSeconds * kSimulationSlowdown;
}

// One timed sample, from the batch that made it through the child's
// report to the row that keeps it.
struct Sample {
    double perSortMs = 0;
    std::uint32_t ticks = 0;  // the window's millisecond tick over the whole batch
    int batch = 1;            // sorts in it
    SortFailure failure;      // the first copy's that failed a check
    std::int64_t draws = 0;   // different data sets the contender has sorted so far
};

// A contender's counting pass (--operations) on draw 0.
struct OperationsRow {
    Outcome outcome{End::kNotAsked, "", {}};
    OperationCounts counts;
};

// The machine counts of one contender's sort of draw 0 (machine_counts.h).
struct MachineRow {
    Outcome outcome{End::kNotAsked, "", {}};
    MachineCounts counts;
};

struct Measurement {
    Contender contender;
    std::vector<double> times;          // milliseconds per sort by the steady clock, one per run
    std::vector<std::uint32_t> ticks;   // the same runs by the window's millisecond tick, per batch
    std::string pattern = "window";
    std::int32_t count = 0;
    ElementType type = ElementType::kI32;
    int batch = 1;                      // sorts per timed run
    std::int64_t draws = 0;             // different data sets sorted, warm-ups included
    Outcome outcome;                    // kFailed with the first check a sort of the row failed
    double predictedMs = 0;             // with kPredictedOver: the time foreseen for one sort
    OperationsRow operations;           // the counting pass on draw 0
    MachineRow machine;                 // the machine counts of draw 0
};
