// Runs a routine's steps on slots that record what is done to them, and
// compares the record with a model of the algorithm written here, from its
// description rather than from the routine's code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kStepMemberCount = 5;

// The name of member k, in button order (FirstPivotSortTail first).
const char* StepMemberName(int member);

// Runs member k's steps on values, between guard slots, and compares with
// the model: each pivot read, each slot compared with the pivot, each
// exchange and each call with its range, in order, then the final content
// of every slot, guards included. Returns an empty text when all agree,
// otherwise where the two part.
std::string CompareStepsWithModel(int member, const std::vector<std::int32_t>& values);

// What the model of member k does on values: its comparisons, exchanges,
// calls and the most calls open at once.
struct ModelCounts {
    std::uint64_t comparisons = 0;
    std::uint64_t exchanges = 0;
    std::uint64_t calls = 0;
    std::uint64_t depth = 0;
};
ModelCounts CountWithModel(int member, const std::vector<std::int32_t>& values);
