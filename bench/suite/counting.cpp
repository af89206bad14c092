#include "bench/suite/counting.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "bench/measure/cell_data.h"
#include "bench/measure/patterns.h"
#include "bench/suite/child_process.h"
#include "bench/suite/child_reports.h"
#include "bench/suite/guard.h"

namespace {

// The child's arguments, in this order, then the names of the contenders
// to count.
enum ChildArgument { kPattern, kCount, kSeed, kNames };

bool ReadChildArguments(const std::vector<std::string>& arguments, const std::vector<Contender>& known,
                        MeasureSettings& settings, std::vector<Contender>& contenders) {
    long long count = 0, seed = 0;
    if (arguments.size() <= kNames || FindPattern(arguments[kPattern]) == nullptr ||
        !ReadWhole(arguments[kCount], 2, 2147483647, count) || !ReadWhole(arguments[kSeed], 0, 4294967295, seed))
        return false;
    settings.pattern = arguments[kPattern];
    settings.count = static_cast<std::int32_t>(count);
    settings.seed = static_cast<std::uint32_t>(seed);
    for (std::size_t k = kNames; k < arguments.size(); ++k) {
        const auto found = std::find_if(known.begin(), known.end(), [&](const Contender& c) {
            return c.name == arguments[k] && c.counter != nullptr;
        });
        if (found == known.end()) return false;
        contenders.push_back(*found);
    }
    return true;
}

struct CountingWork {
    const std::vector<Contender>* contenders;
    const CellData* data;
};

// Says "count K" before contender K's count, so that the parent knows whose
// count a stopped child was in, and "counted K" with the figures after it.
void CountEach(void* raw) {
    const CountingWork& work = *static_cast<const CountingWork*>(raw);
    std::vector<std::int32_t> slots(static_cast<std::size_t>(work.data->count));
    for (std::size_t k = 0; k < work.contenders->size(); ++k) {
        const Contender& contender = (*work.contenders)[k];
        WriteDraw(*work.data, 0, slots.data());
        Say("count " + std::to_string(k));
        const OperationCounts c =
            contender.counter(slots.data(), 1, UpperBound(contender.bounds, work.data->count));
        Say("counted " + std::to_string(k) + ' ' + std::to_string(c.comparisons) + ' ' + (c.steps ? '1' : '0') +
            ' ' + std::to_string(c.exchanges) + ' ' + std::to_string(c.calls) + ' ' + std::to_string(c.depth) +
            ' ' + std::to_string(c.frameBytes));
    }
}

// What one counting child did before it ended or was stopped.
struct CountRun {
    std::ptrdiff_t running = -1;  // a count started and not reported
    std::size_t next = 0;         // with none running: the count the child would start next
    Clock::time_point deadline;
};

void TakeCount(const std::string& line, const MeasureSettings& settings, const std::vector<std::size_t>& todo,
               std::vector<Measurement>& rows, CountRun& run) {
    std::istringstream words(line);
    std::string word;
    std::size_t k = 0;
    words >> word >> k;
    if (!words || k >= todo.size()) return;
    if (word == "count") {
        run.running = static_cast<std::ptrdiff_t>(k);
        run.deadline = After(settings.timeLimitSeconds);
        return;
    }
    OperationCounts c;
    int steps = 0;
    words >> c.comparisons >> steps >> c.exchanges >> c.calls >> c.depth >> c.frameBytes;
    if (word != "counted" || !words) return;
    c.steps = steps == 1;
    rows[todo[k]].operations = {CountEnd::kCounted, c, "", {}};
    run.running = -1;
    run.next = k + 1;
    run.deadline = After(ReportAllowanceSeconds(settings));
}

std::vector<std::string> ChildArguments(const MeasureSettings& settings, const std::vector<Contender>& contenders,
                                        const std::vector<std::size_t>& todo) {
    std::vector<std::string> arguments = {kCountingChildFlag, settings.pattern, std::to_string(settings.count),
                                          std::to_string(settings.seed)};
    for (const std::size_t k : todo) arguments.push_back(contenders[k].name);
    return arguments;
}

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

}  // namespace

int RunCountingChild(const std::vector<std::string>& arguments, const std::vector<Contender>& known) {
    MeasureSettings settings;
    std::vector<Contender> contenders;
    CellData data;
    int status = 0;
    if (!PrepareChild(ReadChildArguments(arguments, known, settings, contenders), kCountingChildFlag, settings,
                      data, status))
        return status;
    CountingWork work{&contenders, &data};
    RunOnLargeStack(CountEach, &work, kSortStackBytes);
    return 0;
}

bool CountGuarded(const std::vector<Contender>& contenders, const MeasureSettings& settings,
                  std::vector<Measurement>& rows, std::string& error) {
    std::vector<std::size_t> todo = RowsToCount(rows);
    while (!todo.empty()) {
        ChildProcess child;
        if (!StartChild(ChildArguments(settings, contenders, todo), child, error)) return false;
        CountRun run;
        run.deadline = After(ReportAllowanceSeconds(settings));
        const ChildRead read = FollowLines(
            child, run.deadline, [&](const std::string& line) { TakeCount(line, settings, todo, rows, run); });
        const bool stopped = read == ChildRead::kTimeout;
        const ChildStatus status = FinishChild(child, stopped);
        // The count it was in, or else the one it would have started: a
        // child that keeps dying ends one count each time.
        const std::size_t lost = run.running >= 0 ? static_cast<std::size_t>(run.running) : run.next;
        if (lost >= todo.size()) return true;
        OperationsRow& operations = rows[todo[lost]].operations;
        operations.end = stopped && run.running >= 0              ? CountEnd::kOverLimit
                         : status.end == ChildEnd::kStackOverflow ? CountEnd::kStackExhausted
                                                                  : CountEnd::kCrashed;
        if (operations.end == CountEnd::kCrashed) operations.crash = CrashText(status, stopped, settings);
        todo.erase(todo.begin(), todo.begin() + static_cast<std::ptrdiff_t>(lost) + 1);
    }
    return true;
}
