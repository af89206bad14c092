// How a timed row, a count or a measuring child's request ended: one type
// for all of them, so a row, both counting passes and a lost child say it
// alike. What each ending is called and what it costs the run is one table
// (report/outcomes.h).
#pragma once

#include <cstdint>
#include <string>

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

enum class End {
    kMeasured,        // a row with all its runs
    kFailed,          // a sort failed a check
    kOverLimit,       // a repetition or count ran past its time limit
    kPredictedOver,   // a row not started: its smaller sizes foretold it over the limit
    kStackExhausted,  // its process ran out of stack
    kCrashed,         // its process ended, fell silent or broke its channel
    kNotSorted,       // a row not started: its contender cannot sort the cell's element type
    kCounted,         // a count that was made
    kNotAsked,        // a count that was not asked for
    kNotCountable,    // a count the contender cannot give
    kNotTimed,        // a count not started, since the row's timed runs did not finish
};

struct Outcome {
    End end = End::kMeasured;
    std::string detail;   // kCrashed: how its process ended; kNotCountable, kNotSorted: why
    SortFailure failure;  // kFailed: which check, where

    bool is(End other) const { return end == other; }
};

// A check's verdict as an outcome: kFailed with it, or done (kMeasured for
// a timed sort, kCounted for a count).
inline Outcome Checked(const SortFailure& failure, End done) {
    return failure.failed() ? Outcome{End::kFailed, "", failure} : Outcome{done, "", {}};
}
