#include "bench/suite/counting.h"

#include "bench/suite/child_reports.h"
#include "bench/suite/measuring_child.h"

namespace {

// The rows to count; the others are marked with why they are not.
std::vector<std::size_t> RowsToCount(std::vector<Measurement>& rows) {
    std::vector<std::size_t> todo;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        OperationsRow& operations = rows[k].operations;
        if (rows[k].outcome.is(End::kNotSorted))
            operations.outcome = {End::kNotCountable, rows[k].outcome.detail, {}};
        else if (!Countable(rows[k].contender, rows[k].type))
            operations.outcome = {End::kNotCountable, rows[k].contender.notCounted, {}};
        else if (rows[k].outcome.end != End::kMeasured)
            operations.outcome = {End::kNotTimed, "", {}};
        else
            todo.push_back(k);
    }
    return todo;
}

// Asks for count k (of the child's list todo) and takes it into row.
void CountOne(MeasuringChild& child, std::size_t k, const MeasureSettings& settings, Measurement& row) {
    CountedMessage counted;
    const Outcome asked = AskForCount<CountMessage>(child, k, settings, counted);
    row.operations.outcome = asked.end == End::kCounted ? Checked(counted.failure, End::kCounted) : asked;
    if (asked.end == End::kCounted) row.operations.counts = counted.counts;
}

}  // namespace

Check CountGuarded(const std::vector<Contender>& contenders, const MeasureSettings& settings,
                   std::vector<Measurement>& rows) {
    const std::vector<std::size_t> todo = RowsToCount(rows);
    std::vector<std::string> names;
    for (const std::size_t k : todo) names.push_back(contenders[k].name);
    MeasuringChild child;
    for (std::size_t k = 0; k < todo.size(); ++k) {
        if (!child.running()) {
            std::string text;
            const ChildStart start = StartMeasuringChild(settings, "", names, {}, child, text);
            if (start == ChildStart::kCannot) return Refusal{text};
            if (start != ChildStart::kReady) {
                // A child that keeps dying before it is ready ends one count each time.
                rows[todo[k]].operations.outcome = {End::kCrashed, text, {}};
                continue;
            }
        }
        CountOne(child, k, settings, rows[todo[k]]);
    }
    if (child.running()) FinishMeasuringChild(child, settings);
    return Passed{};
}
