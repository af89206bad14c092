#include "bench/suite/guard.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "bench/measure/cell_data.h"
#include "bench/measure/patterns.h"
#include "bench/measure/repetitions.h"
#include "bench/measure/sort_library.h"
#include "bench/suite/child_process.h"
#include "bench/suite/child_reports.h"

namespace {

// The option that hands the child a library of sorts to load, ahead of its
// other arguments.
constexpr char kLibraryArgument[] = "--sort-library";

// The child's arguments, after the libraries, in this order, then the
// contenders' names.
enum ChildArgument {
    kPattern, kCount, kSeed, kRuns, kWarmup, kInterleave, kMinTime, kTimeLimit, kSameData, kFirst, kSkip, kBatches, kNames
};

// A contender's sorts per sample as found by an earlier child, or 0.
int KnownBatch(const Measurement& row) {
    return row.draws > 0 ? row.batch : 0;
}

// The --sort-library values that load the contenders' plug-ins, each once.
std::vector<std::string> Libraries(const std::vector<Contender>& contenders) {
    std::vector<std::string> libraries;
    for (const Contender& contender : contenders)
        if (!contender.library.empty() &&
            std::find(libraries.begin(), libraries.end(), contender.library) == libraries.end())
            libraries.push_back(contender.library);
    return libraries;
}

std::vector<std::string> ChildArguments(const std::vector<Contender>& contenders,
                                        const MeasureSettings& settings, std::size_t first,
                                        const std::vector<bool>& skip, const std::vector<Measurement>& rows) {
    std::string marks, batches;
    for (bool left : skip) marks += left ? '1' : '0';
    for (const Measurement& row : rows) batches += (batches.empty() ? "" : ",") + std::to_string(KnownBatch(row));
    std::vector<std::string> arguments = {kMeasuringChildFlag};
    for (const std::string& library : Libraries(contenders)) arguments.insert(arguments.end(), {kLibraryArgument, library});
    arguments.insert(arguments.end(), {
        settings.pattern,
        std::to_string(settings.count),  std::to_string(settings.seed),
        std::to_string(settings.runs),   std::to_string(settings.warmup),
        settings.interleave ? "1" : "0", Number(settings.minTimeMs),
        Number(settings.timeLimitSeconds), settings.sameData ? "1" : "0",
        std::to_string(first),           marks,
        batches});
    for (const Contender& contender : contenders) arguments.push_back(contender.name);
    return arguments;
}

// The child's settings and contenders from its arguments; false when they
// do not fit together.
bool ReadChildArguments(const std::vector<std::string>& arguments, const std::vector<Contender>& known,
                        MeasureSettings& settings, std::size_t& first, std::vector<bool>& skip,
                        std::vector<int>& batches, std::vector<Contender>& contenders) {
    if (arguments.size() <= kNames || FindPattern(arguments[kPattern]) == nullptr) return false;
    long long count = 0, seed = 0, runs = 0, warmup = 0, interleave = 0, sameData = 0, start = 0;
    if (!ReadWhole(arguments[kCount], 2, 2147483647, count) ||
        !ReadWhole(arguments[kSeed], 0, 4294967295, seed) || !ReadWhole(arguments[kRuns], 0, 1 << 30, runs) ||
        !ReadWhole(arguments[kWarmup], 0, 1 << 30, warmup) ||
        !ReadWhole(arguments[kInterleave], 0, 1, interleave) ||
        !ReadWhole(arguments[kSameData], 0, 1, sameData) ||
        !ReadWhole(arguments[kFirst], 0, 1ll << 40, start) ||
        !ReadNumber(arguments[kMinTime], settings.minTimeMs) ||
        !ReadNumber(arguments[kTimeLimit], settings.timeLimitSeconds))
        return false;
    settings.sameData = sameData == 1;
    settings.pattern = arguments[kPattern];
    settings.count = static_cast<std::int32_t>(count);
    settings.seed = static_cast<std::uint32_t>(seed);
    settings.runs = static_cast<int>(runs);
    settings.warmup = static_cast<int>(warmup);
    settings.interleave = interleave == 1;
    first = static_cast<std::size_t>(start);
    for (std::size_t k = kNames; k < arguments.size(); ++k) {
        const auto found = std::find_if(known.begin(), known.end(),
                                        [&](const Contender& c) { return c.name == arguments[k]; });
        if (found == known.end()) return false;
        contenders.push_back(*found);
    }
    const std::string& marks = arguments[kSkip];
    if (marks.size() != contenders.size()) return false;
    for (char mark : marks) skip.push_back(mark == '1');
    std::istringstream list(arguments[kBatches]);
    for (std::string batch; std::getline(list, batch, ',');) {
        long long value = 0;
        if (!ReadWhole(batch, 0, 1 << 30, value)) return false;
        batches.push_back(static_cast<int>(value));
    }
    return batches.size() == contenders.size();
}

struct ChildWork {
    const std::vector<Contender>* contenders;
    const CellData* data;
    const MeasureSettings* settings;
    std::size_t first;
    const std::vector<bool>* skip;
    const std::vector<int>* batches;
};

void RunChildWork(void* raw) {
    const ChildWork& work = *static_cast<const ChildWork*>(raw);
    const std::vector<Repetition> order = Schedule(static_cast<int>(work.contenders->size()), *work.settings);
    std::vector<bool> skip = *work.skip;
    std::vector<int> batches = *work.batches;
    std::vector<std::int32_t> copies;
    for (std::size_t done = work.first; done < order.size(); ++done) {
        const auto c = static_cast<std::size_t>(order[done].contender);
        if (skip[c]) continue;
        Say("start " + std::to_string(done));
        const Sample s = RunRepetition((*work.contenders)[c], *work.data, *work.settings, order[done].round, batches[c], copies);
        batches[c] = s.batch;
        skip[c] = s.failure.failed();
        Say("sample " + std::to_string(done) + ' ' + Number(s.perSortMs) + ' ' +
            std::to_string(s.ticks) + ' ' + std::to_string(s.batch) + ' ' + std::to_string(static_cast<int>(s.failure.check)) +
            ' ' + std::to_string(s.failure.slot) + ' ' + std::to_string(s.failure.held) + ' ' + std::to_string(s.failure.expected) +
            ' ' + std::to_string(s.draws));
    }
}

// What one child did before it ended or was stopped.
struct ChildRun {
    std::ptrdiff_t running = -1;    // a repetition started and not finished
    std::size_t next = 0;           // with none running: the repetition the child would start next
    bool finished = false;          // the child reported the end of its work
    bool overLimit = false;         // the running repetition passed the time limit
    bool silent = false;            // no report came in the allowance between repetitions
    Clock::time_point deadline;     // for the next report
};

// Takes one report line of the child into rows and run.
void TakeReport(const std::string& line, const std::vector<Contender>& contenders,
                const std::vector<Repetition>& order, const MeasureSettings& settings,
                const ProgressReport& progress, std::vector<Measurement>& rows, ChildRun& run) {
    std::istringstream words(line);
    std::string word;
    std::size_t repetition = 0;
    words >> word >> repetition;
    if (word == "done") {
        run.finished = true;
        run.deadline = After(ReportAllowanceSeconds(settings));  // for its exit
    }
    if ((word != "start" && word != "sample") || !words || repetition >= order.size()) return;
    const auto c = static_cast<std::size_t>(order[repetition].contender);
    if (word == "start") {
        run.running = static_cast<std::ptrdiff_t>(repetition);
        run.deadline = After(settings.timeLimitSeconds);
        if (progress) progress(contenders[c].name, static_cast<int>(repetition), static_cast<int>(order.size()));
        return;
    }
    double perSortMs = 0;
    std::uint32_t ticks = 0;
    int batch = 1;
    int check = 0;
    SortFailure failure;
    std::int64_t draws = 0;
    words >> perSortMs >> ticks >> batch >> check >> failure.slot >> failure.held >> failure.expected >> draws;
    failure.check = static_cast<SortCheck>(check);
    Measurement& row = rows[c];
    row.batch = batch;
    row.draws = draws;
    row.failure = failure;
    if (order[repetition].timed && !failure.failed()) {
        row.times.push_back(perSortMs);
        row.ticks.push_back(ticks);
    }
    run.running = -1;
    run.next = repetition + 1;
    run.deadline = After(ReportAllowanceSeconds(settings));
}

// Reads the child, started at repetition first, until it ends, a
// repetition overruns or no report comes in time.
ChildRun FollowChild(ChildProcess& child, const std::vector<Contender>& contenders,
                     const std::vector<Repetition>& order, const MeasureSettings& settings, std::size_t first,
                     const ProgressReport& progress, std::vector<Measurement>& rows) {
    ChildRun run;
    run.next = first;
    run.deadline = After(ReportAllowanceSeconds(settings));
    const ChildRead read = FollowLines(child, run.deadline, [&](const std::string& line) {
        TakeReport(line, contenders, order, settings, progress, rows, run);
    });
    if (read == ChildRead::kTimeout) (run.running < 0 ? run.silent : run.overLimit) = true;
    return run;
}

// Left out of a child's work: predicted rows, rows ended by an earlier
// child, failed checks.
bool Ended(const Measurement& row) {
    return row.end != CellEnd::kMeasured || row.failure.failed();
}

// The first repetition from on whose row has not ended, or order.size().
std::size_t NextToRun(const std::vector<Repetition>& order, const std::vector<Measurement>& rows,
                      std::size_t from) {
    while (from < order.size() && Ended(rows[static_cast<std::size_t>(order[from].contender)])) ++from;
    return from;
}

// Marks the row of a repetition that a child did not finish, and why.
void MarkUnfinished(const ChildRun& run, const ChildStatus& status, const MeasureSettings& settings,
                    Measurement& row) {
    row.end = run.overLimit                          ? CellEnd::kOverLimit
              : status.end == ChildEnd::kStackOverflow ? CellEnd::kStackExhausted
                                                       : CellEnd::kCrashed;
    if (row.end == CellEnd::kCrashed) row.crash = CrashText(status, run.silent, settings);
}

}  // namespace

int RunMeasuringChild(const std::vector<std::string>& arguments, std::vector<Contender> known) {
    std::vector<std::string> libraries;
    std::size_t settingsAt = 0;
    for (; settingsAt + 1 < arguments.size() && arguments[settingsAt] == kLibraryArgument; settingsAt += 2)
        libraries.push_back(arguments[settingsAt + 1]);
    std::string error;
    if (!AddLibrarySorts(libraries, known, error)) {
        std::fprintf(stderr, "orvandel-bench: %s\n", error.c_str());
        return 2;
    }
    MeasureSettings settings;
    std::size_t first = 0;
    std::vector<bool> skip;
    std::vector<int> batches;
    std::vector<Contender> contenders;
    CellData data;
    int status = 0;
    const std::vector<std::string> rest(arguments.begin() + static_cast<std::ptrdiff_t>(settingsAt), arguments.end());
    if (!PrepareChild(ReadChildArguments(rest, known, settings, first, skip, batches, contenders),
                      kMeasuringChildFlag, settings, data, status))
        return status;
    ChildWork work{&contenders, &data, &settings, first, &skip, &batches};
    RunOnLargeStack(RunChildWork, &work, kSortStackBytes);
    Say("done");
    return 0;
}

bool MeasureGuarded(const std::vector<Contender>& contenders, const MeasureSettings& settings,
                    const ProgressReport& progress, std::vector<Measurement>& rows, std::string& error) {
    const std::vector<Repetition> order = Schedule(static_cast<int>(contenders.size()), settings);
    for (std::size_t first = NextToRun(order, rows, 0); first < order.size();) {
        std::vector<bool> skip;
        for (const Measurement& row : rows) skip.push_back(Ended(row));
        ChildProcess child;
        if (!StartChild(ChildArguments(contenders, settings, first, skip, rows), child, error)) return false;
        const ChildRun run = FollowChild(child, contenders, order, settings, first, progress, rows);
        const ChildStatus status = FinishChild(child, run.overLimit || run.silent);
        if (run.finished) return true;
        // The repetition it was in, or else the one it would have started:
        // a child that keeps dying before its first report ends one row
        // each time, so the cell still comes to an end.
        const std::size_t lost = run.running >= 0 ? static_cast<std::size_t>(run.running)
                                                  : NextToRun(order, rows, run.next);
        if (lost == order.size()) return true;  // ended after its last report
        MarkUnfinished(run, status, settings, rows[static_cast<std::size_t>(order[lost].contender)]);
        first = NextToRun(order, rows, lost + 1);
    }
    return true;
}
