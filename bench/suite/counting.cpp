#include "bench/suite/counting.h"

#include "bench/suite/child_reports.h"
#include "bench/suite/measuring_child.h"

namespace {

// The rows to count; the others are marked with why they are not.
std::vector<std::size_t> RowsToCount(std::vector<Measurement>& rows) {
    std::vector<std::size_t> todo;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        OperationsRow& operations = rows[k].operations;
        if (rows[k].contender.counter == nullptr)
            operations.end = CountEnd::kNotCountable;
        else if (rows[k].end != CellEnd::kMeasured || rows[k].failure.failed())
            operations.end = CountEnd::kNotTimed;
        else
            todo.push_back(k);
    }
    return todo;
}

// Asks for count k (of the child's list todo) and takes it into row.
void CountOne(MeasuringChild& child, std::size_t k, const MeasureSettings& settings, Measurement& row) {
    CountedMessage counted;
    ChildLoss loss;
    if (!AskForCount<CountMessage>(child, k, settings, counted, loss)) {
        row.operations.end = LostCount(loss.end);
        row.operations.crash = loss.crash;
        return;
    }
    row.operations = {counted.failure.failed() ? CountEnd::kFailed : CountEnd::kCounted, counted.counts, "",
                      counted.failure};
}

}  // namespace

bool CountGuarded(const std::vector<Contender>& contenders, const MeasureSettings& settings,
                  std::vector<Measurement>& rows, std::string& error) {
    const std::vector<std::size_t> todo = RowsToCount(rows);
    std::vector<std::string> names;
    for (const std::size_t k : todo) names.push_back(contenders[k].name);
    MeasuringChild child;
    for (std::size_t k = 0; k < todo.size(); ++k) {
        if (!child.running()) {
            std::string text;
            const ChildStart start = StartMeasuringChild(settings, "", names, {}, child, text);
            if (start == ChildStart::kCannot) {
                error = text;
                return false;
            }
            if (start != ChildStart::kReady) {
                // A child that keeps dying before it is ready ends one count each time.
                rows[todo[k]].operations.end = CountEnd::kCrashed;
                rows[todo[k]].operations.crash = text;
                continue;
            }
        }
        CountOne(child, k, settings, rows[todo[k]]);
    }
    if (child.running()) FinishMeasuringChild(child, settings);
    return true;
}
