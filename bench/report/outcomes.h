// Every way a row, a count or a child's request can end (measure/outcome.h),
// once: the word JSON and CSV give it, its text in the table forms, and
// whether the run fails on it. A new ending is one more row of the table in
// outcomes.cpp.
#pragma once

#include <string>
#include <vector>

#include "bench/measure/outcome.h"

// What the text of an ending reads besides the outcome itself.
struct EndContext {
    double limitSeconds = 0;  // the time limit it ran under
    double predictedMs = 0;   // kPredictedOver: the time foreseen for one sort
};

// The status word of an ending: "measured", "failed", "over-time-limit",
// "predicted-over", "stack-exhausted", "crashed", "counted",
// "not-countable", "not-timed".
const char* StatusWord(End end);

// The status words a row of a report can hold, in the order a message
// lists them.
const std::vector<std::string>& RowStatusWords();

// The ending as the text forms say it: "", "over 10 s", "predicted over
// 10 s (about 312 s)", "stack exhausted", "crashed: ...", CheckText, "n/a",
// "not counted".
std::string EndText(const Outcome& outcome, const EndContext& context);

// 1 for an ending that fails the run (a failed check, a row or count that
// did not finish), 0 for one that does not.
int ExitStatus(End end);

// What the checks found wrong with a sort: "wrote outside its range at
// slot N", "changed its values: slot N holds V where the sorted input holds
// W", "failed at slot N" (a descent); empty when it passed.
std::string CheckText(const SortFailure& failure);

// The failed check as JSON and CSV name it: "range", "values" or "order";
// empty when it passed.
const char* CheckName(SortCheck check);

// Every check's name, as CheckName gives them, in the order a message lists them.
const std::vector<std::string>& CheckNames();
