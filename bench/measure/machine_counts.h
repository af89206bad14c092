// What a sort costs the machine, counted rather than timed: the
// instructions it executes, its branches and how many of them a simple
// predictor misses, and the misses of its data in two levels of cache.
// callgrind (valgrind) simulates them, over caches of one fixed geometry
// rather than the host's, so that one build on one draw gives the same
// figures on every machine and every run.
#pragma once

#include <cstdint>

struct MachineCounts {
    std::uint64_t instructions = 0;         // Ir
    std::uint64_t conditionalBranches = 0;  // Bc
    std::uint64_t conditionalMisses = 0;    // Bcm: mispredicted conditional branches
    std::uint64_t indirectBranches = 0;     // Bi
    std::uint64_t indirectMisses = 0;       // Bim
    std::uint64_t firstLevelMisses = 0;     // D1mr + D1mw: data reads and writes missing the first level
    std::uint64_t lastLevelMisses = 0;      // DLmr + DLmw: those missing the last level too
};

bool operator==(const MachineCounts& a, const MachineCounts& b);

// The most any count may be: below 2^62, so that two added never overflow,
// and more than any sort of 2^31 values executes under the time limit.
constexpr std::uint64_t kMostMachineCount = (1ull << 62) - 1;

// A part of one run's counts that can be no more than a whole: mispredicted
// branches than the branches of their kind, last-level misses than the
// first-level ones they began as, and the branches of both kinds together
// than the instructions, each of which is at most one branch.
struct CountLimit {
    std::uint64_t MachineCounts::*part;
    std::uint64_t MachineCounts::*alsoPart;  // added to part; null when none
    std::uint64_t MachineCounts::*whole;
};

inline constexpr CountLimit kCountLimits[] = {
    {&MachineCounts::conditionalMisses, nullptr, &MachineCounts::conditionalBranches},
    {&MachineCounts::indirectMisses, nullptr, &MachineCounts::indirectBranches},
    {&MachineCounts::lastLevelMisses, nullptr, &MachineCounts::firstLevelMisses},
    {&MachineCounts::conditionalBranches, &MachineCounts::indirectBranches, &MachineCounts::instructions},
};

// The limit's part as counted: part, plus alsoPart when it has one. Each
// count at most kMostMachineCount, the sum cannot overflow.
std::uint64_t PartOf(const CountLimit& limit, const MachineCounts& counts);

// The first limit of kCountLimits that counts (each at most
// kMostMachineCount) pass, or null when one run can give them all.
const CountLimit* BrokenCountLimit(const MachineCounts& counts);

// One simulated cache: its name as valgrind's options and dumps spell it.
struct SimulatedCache {
    const char* name;  // "I1", "D1", "LL"
    std::uint64_t bytes;
    int ways;
    int lineBytes;
};

// The geometry every count is made with, whatever the host's: a first level
// of 32 KiB for instructions and another for data, each 8-way with 64-byte
// lines, and a last level of 8 MiB, 16-way.
constexpr SimulatedCache kSimulatedCaches[] = {
    {"I1", 32768, 8, 64},
    {"D1", 32768, 8, 64},
    {"LL", 8388608, 16, 64},
};

// The largest of the caches' ways (bytes over ways: 512 KiB here). Data
// and stack placed at the same offset from a multiple of it fall into the
// same sets of every simulated cache, so where the allocator or the
// environment put them changes no count.
constexpr std::uint64_t LargestWayBytes() {
    std::uint64_t largest = 0;
    for (const SimulatedCache& cache : kSimulatedCaches)
        largest = cache.bytes / static_cast<std::uint64_t>(cache.ways) > largest
                      ? cache.bytes / static_cast<std::uint64_t>(cache.ways)
                      : largest;
    return largest;
}

// "I1 32768 B 8-way 64 B lines, D1 ..., LL ...": the geometry for a
// report's settings.
const char* SimulatedCachesText();

// How much longer a count may take than a timed sort: callgrind simulating
// both caches and the branches runs a program some 20 to 100 times slower
// than it runs natively, so a count's time limit is the cell's times this.
constexpr double kSimulationSlowdown = 100;
