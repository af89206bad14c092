#include "bench/suite/guard.h"

#include <algorithm>

#include "bench/measure/repetitions.h"
#include "bench/suite/child_reports.h"

namespace {

// One process of the cell: the contenders of one library, or the built-in
// ones, numbered in the child as in its list here.
struct CellChild {
    std::string library;                  // empty for the routines and references
    std::vector<std::size_t> contenders;  // indices into the cell's contenders
    MeasuringChild child;
};

std::vector<CellChild> CellChildren(const std::vector<Contender>& contenders) {
    std::vector<CellChild> children;
    for (std::size_t c = 0; c < contenders.size(); ++c) {
        auto found = std::find_if(children.begin(), children.end(),
                                  [&](const CellChild& child) { return child.library == contenders[c].library; });
        if (found == children.end()) found = children.insert(children.end(), CellChild{contenders[c].library, {}, {}});
        found->contenders.push_back(c);
    }
    return children;
}

// One cell's measurement: what every repetition reads, and the rows it
// writes, one per contender.
struct CellRun {
    const std::vector<Contender>& contenders;
    const MeasureSettings& settings;
    const ProgressReport& progress;
    const std::vector<Repetition> order;
    std::vector<Measurement>& rows;
};

// Left out of the schedule from now on: predicted rows, rows ended by a
// lost child, failed checks.
bool Ended(const Measurement& row) {
    return row.outcome.end != End::kMeasured;
}

void MarkCrashed(Measurement& row, const std::string& text) {
    row.outcome = {End::kCrashed, text, {}};
}

// Whether a cell's child can take the next request: it can, or not this
// time, the rows that cost marked.
enum class Readiness { kReady, kNotNow };

// Starts the process of child when it has none; refuses when no process
// could be started at all.
Result<Readiness> Ready(CellRun& cell, CellChild& child, std::size_t wanted) {
    if (child.child.running()) return Readiness::kReady;
    std::vector<std::string> names;
    for (const std::size_t c : child.contenders) names.push_back(cell.contenders[c].name);
    std::vector<Measurement>& rows = cell.rows;
    std::string text;
    switch (StartMeasuringChild(cell.settings, child.library, names, {}, child.child, text)) {
        case ChildStart::kReady: return Readiness::kReady;
        case ChildStart::kCannot: return Refusal{text};
        case ChildStart::kOtherSorts:
            for (const std::size_t c : child.contenders)
                if (!Ended(rows[c])) MarkCrashed(rows[c], text);
            return Readiness::kNotNow;
        case ChildStart::kLost:
            // A child that keeps dying before it is ready ends one row each
            // time, so the cell still comes to an end.
            MarkCrashed(rows[wanted], text);
            return Readiness::kNotNow;
    }
    return Readiness::kNotNow;
}

// Takes a sample into its row; one that OutlastsLimit ends the row as over
// the limit, its time not kept.
void TakeSample(const Sample& sample, const Repetition& repetition, const MeasureSettings& settings,
                Measurement& row) {
    row.batch = sample.batch;
    row.draws = sample.draws;
    row.outcome = Checked(sample.failure, End::kMeasured);
    if (Ended(row)) return;
    if (OutlastsLimit(sample.perSortMs, sample.batch, settings.timeLimitSeconds)) {
        row.outcome.end = End::kOverLimit;
        return;
    }
    if (repetition.timed) {
        row.times.push_back(sample.perSortMs);
        row.ticks.push_back(sample.ticks);
    }
}

// Asks child for repetition r of the cell's order and waits for its
// sample: the start within the allowance, the sample within the time limit
// from the start, fixed then, whatever the child sends, and nothing after
// it. Anything else ends the child.
void RunOne(CellRun& cell, CellChild& child, std::size_t r) {
    const Repetition& repetition = cell.order[r];
    const MeasureSettings& settings = cell.settings;
    const auto c = static_cast<std::size_t>(repetition.contender);
    const auto inChild = static_cast<std::size_t>(
        std::find(child.contenders.begin(), child.contenders.end(), c) - child.contenders.begin());
    Measurement& row = cell.rows[c];
    const std::uint64_t token = NewToken();
    const std::string started = "the start of repetition " + std::to_string(r);
    std::string line;
    StartedMessage start;
    Heard heard = Heard::kEnded;
    const std::optional<int> batch =
        FindsBatch(repetition, settings) ? std::nullopt : std::optional<int>(row.batch);
    if (Ask(child.child.link, RunMessage{r, token, inChild, row.draws, batch})) {
        heard = Await(child.child.link, After(ReportAllowanceSeconds(settings)), start, line);
        if (heard == Heard::kMessage && (start.repetition != r || start.token != token)) heard = Heard::kBroken;
    }
    if (heard != Heard::kMessage) {
        row.outcome = LoseMeasuringChild(child.child, heard, false, line, started, settings);
        return;
    }
    if (cell.progress) cell.progress(cell.contenders[c].name, static_cast<int>(r), static_cast<int>(cell.order.size()));
    SampleMessage message;
    heard = Await(child.child.link, After(settings.timeLimitSeconds), message, line);
    if (heard == Heard::kMessage && (message.repetition != r || message.token != token)) heard = Heard::kBroken;
    std::string expected = "the sample of repetition " + std::to_string(r);
    if (heard == Heard::kMessage) {
        // More after it is not the child's: a sort of this row wrote it.
        const Heard after = NextLine(child.child.link, Clock::now(), line);
        if (after == Heard::kSilent || after == Heard::kEnded) {
            TakeSample(message.sample, repetition, settings, row);
            if (after == Heard::kEnded) StopMeasuringChild(child.child, after);  // a fresh one goes on
            return;
        }
        heard = Heard::kBroken;
        expected = "nothing";
    }
    row.outcome = LoseMeasuringChild(child.child, heard, true, line, expected, settings);
}

}  // namespace

bool OutlastsLimit(double perSortMs, int batch, double timeLimitSeconds) {
    return perSortMs * batch > timeLimitSeconds * 1000;
}

std::size_t CellProcesses(const std::vector<Contender>& contenders) {
    return CellChildren(contenders).size();
}

Check MeasureGuarded(const std::vector<Contender>& contenders, const MeasureSettings& settings,
                     const ProgressReport& progress, std::vector<Measurement>& rows) {
    CellRun cell{contenders, settings, progress, Schedule(static_cast<int>(contenders.size()), settings), rows};
    std::vector<CellChild> children = CellChildren(contenders);
    Check started = Passed{};
    for (std::size_t r = 0; r < cell.order.size() && started; ++r) {
        const auto c = static_cast<std::size_t>(cell.order[r].contender);
        if (Ended(rows[c])) continue;
        CellChild& child = *std::find_if(children.begin(), children.end(), [&](const CellChild& k) {
            return std::find(k.contenders.begin(), k.contenders.end(), c) != k.contenders.end();
        });
        const Result<Readiness> ready = Ready(cell, child, c);
        if (!ready) started = Refusal{ready.why()};
        if (!ready || *ready != Readiness::kReady) continue;
        RunOne(cell, child, r);
    }
    for (CellChild& child : children)
        if (child.child.running()) FinishMeasuringChild(child.child, settings);
    return started;
}
