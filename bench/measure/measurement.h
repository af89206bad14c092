// What one cell's measurement is made with and what it gives: the settings
// of a run, and one row per contender with every repetition's time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/measure/contenders.h"
#include "bench/measure/machine_counts.h"

struct MeasureSettings {
    std::int32_t count = 5000000;     // slots filled; slots 1 ... count - 1 are sorted
    std::uint32_t seed = 87654321;
    int runs = 5;                     // timed repetitions per contender
    int warmup = 1;                   // untimed repetitions per contender before them
    bool interleave = false;          // one repetition of each contender in turn
    std::string pattern = "window";   // the input shape
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

// How a guarded cell ended, when not with all its runs.
enum class CellEnd { kMeasured, kStackExhausted, kOverLimit, kPredictedOver, kCrashed };

// The checks after every sort, in the order they are made: that nothing
// outside the sorted range changed, that the range holds exactly the values
// it was given, and that they ascend.
enum class SortCheck { kPassed, kRange, kValues, kOrder };

// What the checks found wrong with a sort, if anything.
struct SortFailure {
    SortCheck check = SortCheck::kPassed;
    // kRange: the slot outside the range that changed, 0 (before it) or
    // count (the guard after it); kValues: the first slot that differs from
    // the sorted input; kOrder: the first descent.
    std::int32_t slot = -1;
    std::int32_t held = 0;      // kValues: what the slot holds
    std::int32_t expected = 0;  // kValues: what the sorted input holds there

    bool failed() const { return check != SortCheck::kPassed; }
};

// How a contender's counting pass (--operations) ended.
enum class CountEnd {
    kNotAsked,        // counting was not asked for
    kCounted,
    kNotCountable,    // the contender has no counter
    kNotTimed,        // the timed runs did not finish, so the count was not started
    kFailed,          // the counted sort failed a check
    kStackExhausted,
    kOverLimit,
    kCrashed,
};

struct OperationsRow {
    CountEnd end = CountEnd::kNotAsked;
    OperationCounts counts;
    std::string crash;  // with kCrashed: how the counting process ended
    SortFailure failure;  // with kFailed
};

// The machine counts of one contender's sort of draw 0 (machine_counts.h),
// ended as its counting pass (--operations) can end.
struct MachineRow {
    CountEnd end = CountEnd::kNotAsked;
    MachineCounts counts;
    std::string why;      // with kNotCountable: why it cannot be counted; kCrashed: how its process ended
    SortFailure failure;  // with kFailed
};

struct Measurement {
    Contender contender;
    std::vector<double> times;          // milliseconds per sort by the steady clock, one per run
    std::vector<std::uint32_t> ticks;   // the same runs by the window's millisecond tick, per batch
    SortFailure failure;                // the first check a sort of the row failed
    std::string pattern = "window";
    std::int32_t count = 0;
    int batch = 1;                      // sorts per timed run
    std::int64_t draws = 0;             // different data sets sorted, warm-ups included
    CellEnd end = CellEnd::kMeasured;
    double predictedMs = 0;             // with kPredictedOver: the time foreseen for one sort
    std::string crash;                  // with kCrashed: how the measuring process ended
    OperationsRow operations;           // the counting pass on draw 0
    MachineRow machine;                 // the machine counts of draw 0
};
