// The timed repetitions: every contender sorts a fresh copy of the same
// generated data, restored outside the timed interval, and the sorted slots
// are checked after every repetition.
#pragma once

#include <cstdint>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "bench/contenders.h"

struct MeasureSettings {
    std::int32_t count = 5000000;     // slots filled; slots 1 ... count - 1 are sorted
    std::uint32_t seed = 87654321;
    int runs = 5;                     // timed repetitions per contender
    int warmup = 1;                   // untimed repetitions per contender before them
    bool interleave = false;          // one repetition of each contender in turn
    std::string pattern = "window";   // the input shape
    double minTimeMs = 5;             // a timed sample sorts copies until it lasts this long
    double timeLimitSeconds = 10;     // a repetition running longer is stopped
};

// How a guarded cell ended, when not with all its runs.
enum class CellEnd { kMeasured, kStackExhausted, kOverLimit, kPredictedOver, kCrashed };

struct Measurement {
    Contender contender;
    std::vector<double> times;          // milliseconds per sort by the steady clock, one per run
    std::vector<std::uint32_t> ticks;   // the same runs by the window's millisecond tick, per batch
    std::int32_t failedSlot = -1;       // first descent found, or -1 when every check passed
    std::string pattern = "window";
    std::int32_t count = 0;
    int batch = 1;                      // sorts per timed run
    CellEnd end = CellEnd::kMeasured;
    double predictedMs = 0;             // with kPredictedOver: the time foreseen for one sort
    std::string crash;                  // with kCrashed: how the measuring process ended
};

struct Repetition {
    int contender;  // index into the contenders
    bool timed;     // false for a warm-up
};

// The order of all repetitions. Without interleaving each contender does its
// warm-ups and runs in one block. With it, every round gives each contender
// one repetition, starting one contender later each round, so that drift of
// the machine does not always fall on the same contender.
std::vector<Repetition> Schedule(int contenders, const MeasureSettings& settings);

// Called before each repetition with the contender's name, how many
// repetitions are done and how many there are in all.
using ProgressReport = std::function<void(const std::string& name, int done, int total)>;

// Bytes of data the measurement holds: the generated values and the copy
// that is sorted.
std::uint64_t DataBytes(std::int32_t count);

// Why count values cannot be measured on a machine with memoryBytes of
// physical memory (0: unknown), or empty when they can. The data must leave
// half of the memory free: an overcommitting system would otherwise accept
// it and fail while filling.
std::string MemoryShortfall(std::int32_t count, std::uint64_t memoryBytes);

// The values of one cell: settings.pattern filled for settings.count from
// settings.seed. Returns false, with error set, when they cannot be allocated.
bool GenerateData(const MeasureSettings& settings, std::vector<std::int32_t>& data, std::string& error);

// One timed or warm-up repetition as it finished.
struct Sample {
    std::size_t repetition;  // index into the schedule
    double perSortMs;
    std::uint32_t ticks;
    int batch;
    std::int32_t failedSlot;
};

struct RepetitionEvents {
    std::function<void(std::size_t repetition)> starting;
    std::function<void(const Sample& sample)> finished;
};

// Runs the repetitions of order from first on, on fresh copies of data,
// leaving out the contenders marked in skip. A contender whose check fails
// does no further repetitions. The first repetition of each contender finds
// how many sorts make a sample last settings.minTimeMs, and is done again
// with that batch when it is more than one.
void RunRepetitions(const std::vector<Contender>& contenders, const std::vector<std::int32_t>& data,
                    const MeasureSettings& settings, const std::vector<Repetition>& order,
                    std::size_t first, std::vector<bool> skip, const RepetitionEvents& events);
