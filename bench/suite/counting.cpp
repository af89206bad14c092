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

// Marks a count its child did not finish, and why.
void MarkLost(const ChildLoss& loss, OperationsRow& operations) {
    operations.end = loss.end == LostEnd::kOverLimit        ? CountEnd::kOverLimit
                     : loss.end == LostEnd::kStackExhausted ? CountEnd::kStackExhausted
                                                            : CountEnd::kCrashed;
    operations.crash = loss.crash;
}

// Asks for count k (of the child's list todo) and takes it into row: the
// start within the allowance, the figures within the time limit after it.
void CountOne(MeasuringChild& child, std::size_t k, const MeasureSettings& settings, Measurement& row) {
    const std::uint64_t token = NewToken();
    std::string line;
    CountingMessage counting;
    Heard heard = Heard::kEnded;
    if (Ask(child.link, CountMessage{k, token})) {
        heard = Await(child.link, After(ReportAllowanceSeconds(settings)), counting, line);
        if (heard == Heard::kMessage && (counting.contender != k || counting.token != token)) heard = Heard::kBroken;
    }
    if (heard != Heard::kMessage) {
        MarkLost(LoseMeasuringChild(child, heard, false, line, "the start of count " + std::to_string(k), settings),
                 row.operations);
        return;
    }
    CountedMessage counted;
    heard = Await(child.link, After(settings.timeLimitSeconds), counted, line);
    if (heard == Heard::kMessage && (counted.contender != k || counted.token != token)) heard = Heard::kBroken;
    if (heard != Heard::kMessage) {
        MarkLost(LoseMeasuringChild(child, heard, true, line, "the count of contender " + std::to_string(k), settings),
                 row.operations);
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
        if (!child.running) {
            std::string text;
            const ChildStart start = StartMeasuringChild(settings, "", names, child, text);
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
    if (child.running) FinishMeasuringChild(child, settings);
    return true;
}
