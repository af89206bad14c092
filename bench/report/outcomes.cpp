#include "bench/report/outcomes.h"

#include "bench/report/format.h"

namespace {

using Text = std::string (*)(const Outcome& outcome, const EndContext& context);

std::string None(const Outcome&, const EndContext&) { return ""; }

struct EndEntry {
    End end;
    const char* status;
    bool ofRows;  // a timed row can end so (a count's endings are its own)
    Text text;
    int exitStatus;
};

const EndEntry kEnds[] = {
    {End::kMeasured, "measured", true, None, 0},
    {End::kFailed, "failed", true, [](const Outcome& o, const EndContext&) { return CheckText(o.failure); }, 1},
    {End::kOverLimit, "over-time-limit", true,
     [](const Outcome&, const EndContext& c) { return "over " + Seconds(c.limitSeconds); }, 1},
    {End::kPredictedOver, "predicted-over", true,
     [](const Outcome&, const EndContext& c) {
         return "predicted over " + Seconds(c.limitSeconds) + " (about " + Duration(c.predictedMs) + ")";
     },
     1},
    {End::kStackExhausted, "stack-exhausted", true,
     [](const Outcome&, const EndContext&) { return std::string("stack exhausted"); }, 1},
    {End::kCrashed, "crashed", true, [](const Outcome& o, const EndContext&) { return "crashed: " + o.detail; }, 1},
    {End::kNotSorted, "not-sorted", true, [](const Outcome& o, const EndContext&) { return "n/a: " + o.detail; }, 0},
    {End::kCounted, "counted", false, None, 0},
    {End::kNotAsked, "counted", false, None, 0},
    {End::kNotCountable, "not-countable", false, [](const Outcome&, const EndContext&) { return std::string("n/a"); },
     0},
    {End::kNotTimed, "not-timed", false,
     [](const Outcome&, const EndContext&) { return std::string("not counted"); }, 0},
};

const EndEntry& EntryOf(End end) {
    for (const EndEntry& entry : kEnds)
        if (entry.end == end) return entry;
    return kEnds[0];
}

struct CheckEntry {
    SortCheck check;
    const char* name;
};

const CheckEntry kChecks[] = {{SortCheck::kRange, "range"}, {SortCheck::kValues, "values"}, {SortCheck::kOrder, "order"}};

}  // namespace

const char* StatusWord(End end) {
    return EntryOf(end).status;
}

const std::vector<std::string>& RowStatusWords() {
    static const std::vector<std::string> words = [] {
        std::vector<std::string> list;
        for (const EndEntry& entry : kEnds)
            if (entry.ofRows) list.push_back(entry.status);
        return list;
    }();
    return words;
}

std::string EndText(const Outcome& outcome, const EndContext& context) {
    return EntryOf(outcome.end).text(outcome, context);
}

int ExitStatus(End end) {
    return EntryOf(end).exitStatus;
}

std::string CheckText(const SortFailure& failure) {
    const std::string slot = std::to_string(failure.slot);
    switch (failure.check) {
        case SortCheck::kRange: return "wrote outside its range at slot " + slot;
        case SortCheck::kValues:
            // The same drawn value on both sides: its content changed (a
            // record's payload, a string's bytes or where they are).
            if (failure.held == failure.expected)
                return "changed its values: slot " + slot + " holds other content than the sorted input's " +
                       std::to_string(failure.expected);
            return "changed its values: slot " + slot + " holds " + std::to_string(failure.held) +
                   " where the sorted input holds " + std::to_string(failure.expected);
        case SortCheck::kOrder: return "failed at slot " + slot;
        case SortCheck::kPassed: break;
    }
    return "";
}

const char* CheckName(SortCheck check) {
    for (const CheckEntry& entry : kChecks)
        if (entry.check == check) return entry.name;
    return "";
}

const std::vector<std::string>& CheckNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const CheckEntry& entry : kChecks) list.push_back(entry.name);
        return list;
    }();
    return names;
}
