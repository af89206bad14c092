// The timed repetitions: every contender sorts a fresh copy of the same
// generated data, restored outside the timed interval, and the sorted slots
// are checked after every repetition.
#pragma once

#include <cstdint>
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
};

struct Measurement {
    Contender contender;
    std::vector<double> times;          // milliseconds by the steady clock, one per run
    std::vector<std::uint32_t> ticks;   // the same runs by the window's millisecond tick
    std::int32_t failedSlot = -1;       // first descent found, or -1 when every check passed
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

// Runs the schedule. A contender whose check fails records the slot and
// does no further repetitions. Returns false, with error set, when the data
// cannot be allocated.
bool Measure(const std::vector<Contender>& contenders, const MeasureSettings& settings,
             const ProgressReport& progress, std::vector<Measurement>& results,
             std::string& error);
