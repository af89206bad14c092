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

// Left out of the schedule from now on: predicted rows, rows ended by a
// lost child, failed checks.
bool Ended(const Measurement& row) {
    return row.end != CellEnd::kMeasured || row.failure.failed();
}

void MarkCrashed(Measurement& row, const std::string& text) {
    row.end = CellEnd::kCrashed;
    row.crash = text;
}

// Starts the process of child when it has none; false, with the rows it
// costs marked, when it could not be made ready; error set when no process
// could be started at all.
bool Ready(CellChild& child, const std::vector<Contender>& contenders, const MeasureSettings& settings,
           std::size_t wanted, std::vector<Measurement>& rows, std::string& error) {
    if (child.child.running()) return true;
    std::vector<std::string> names;
    for (const std::size_t c : child.contenders) names.push_back(contenders[c].name);
    std::string text;
    switch (StartMeasuringChild(settings, child.library, names, {}, child.child, text)) {
        case ChildStart::kReady: return true;
        case ChildStart::kCannot: error = text; return false;
        case ChildStart::kOtherSorts:
            for (const std::size_t c : child.contenders)
                if (!Ended(rows[c])) MarkCrashed(rows[c], text);
            return false;
        case ChildStart::kLost:
            // A child that keeps dying before it is ready ends one row each
            // time, so the cell still comes to an end.
            MarkCrashed(rows[wanted], text);
            return false;
    }
    return false;
}

// Takes a sample into its row; one that OutlastsLimit ends the row as over
// the limit, its time not kept.
void TakeSample(const SampleMessage& sample, const Repetition& repetition, const MeasureSettings& settings,
                Measurement& row) {
    row.batch = sample.batch;
    row.draws = sample.draws;
    row.failure = sample.failure;
    if (!sample.failure.failed() && OutlastsLimit(sample.perSortMs, sample.batch, settings.timeLimitSeconds)) {
        row.end = CellEnd::kOverLimit;
        return;
    }
    if (repetition.timed && !sample.failure.failed()) {
        row.times.push_back(sample.perSortMs);
        row.ticks.push_back(sample.ticks);
    }
}

// Marks the row of a repetition its child did not finish, and why.
void MarkLost(const ChildLoss& loss, Measurement& row) {
    row.end = loss.end == LostEnd::kOverLimit        ? CellEnd::kOverLimit
              : loss.end == LostEnd::kStackExhausted ? CellEnd::kStackExhausted
                                                     : CellEnd::kCrashed;
    row.crash = loss.crash;
}

// Asks child for repetition r and waits for its sample: the start within
// the allowance, the sample within the time limit from the start, fixed
// then, whatever the child sends, and nothing after it. Anything else ends
// the child.
void RunOne(CellChild& child, std::size_t c, std::size_t r, const Repetition& repetition,
            const std::vector<Contender>& contenders, const MeasureSettings& settings, const ProgressReport& progress,
            int total, std::vector<Measurement>& rows) {
    const auto inChild = static_cast<std::size_t>(
        std::find(child.contenders.begin(), child.contenders.end(), c) - child.contenders.begin());
    Measurement& row = rows[c];
    const std::uint64_t token = NewToken();
    const std::string started = "the start of repetition " + std::to_string(r);
    std::string line;
    StartedMessage start;
    Heard heard = Heard::kEnded;
    if (Ask(child.child.link, RunMessage{r, token, inChild, repetition.round, std::max(row.batch, 0)})) {
        heard = Await(child.child.link, After(ReportAllowanceSeconds(settings)), start, line);
        if (heard == Heard::kMessage && (start.repetition != r || start.token != token)) heard = Heard::kBroken;
    }
    if (heard != Heard::kMessage) {
        MarkLost(LoseMeasuringChild(child.child, heard, false, line, started, settings), row);
        return;
    }
    if (progress) progress(contenders[c].name, static_cast<int>(r), total);
    SampleMessage sample;
    heard = Await(child.child.link, After(settings.timeLimitSeconds), sample, line);
    if (heard == Heard::kMessage && (sample.repetition != r || sample.token != token)) heard = Heard::kBroken;
    std::string expected = "the sample of repetition " + std::to_string(r);
    if (heard == Heard::kMessage) {
        // More after it is not the child's: a sort of this row wrote it.
        const Heard after = NextLine(child.child.link, Clock::now(), line);
        if (after == Heard::kSilent || after == Heard::kEnded) {
            TakeSample(sample, repetition, settings, row);
            if (after == Heard::kEnded) StopMeasuringChild(child.child, after);  // a fresh one goes on
            return;
        }
        heard = Heard::kBroken;
        expected = "nothing";
    }
    MarkLost(LoseMeasuringChild(child.child, heard, true, line, expected, settings), row);
}

}  // namespace

bool OutlastsLimit(double perSortMs, int batch, double timeLimitSeconds) {
    return perSortMs * batch > timeLimitSeconds * 1000;
}

std::size_t CellProcesses(const std::vector<Contender>& contenders) {
    return CellChildren(contenders).size();
}

bool MeasureGuarded(const std::vector<Contender>& contenders, const MeasureSettings& settings,
                    const ProgressReport& progress, std::vector<Measurement>& rows, std::string& error) {
    const std::vector<Repetition> order = Schedule(static_cast<int>(contenders.size()), settings);
    std::vector<CellChild> children = CellChildren(contenders);
    // Batches are found by each contender's first repetition.
    for (std::size_t c = 0; c < rows.size(); ++c)
        if (rows[c].draws == 0) rows[c].batch = 0;
    bool started = true;
    for (std::size_t r = 0; r < order.size() && started; ++r) {
        const auto c = static_cast<std::size_t>(order[r].contender);
        if (Ended(rows[c])) continue;
        CellChild& child = *std::find_if(children.begin(), children.end(), [&](const CellChild& k) {
            return std::find(k.contenders.begin(), k.contenders.end(), c) != k.contenders.end();
        });
        if (!Ready(child, contenders, settings, c, rows, error)) {
            started = error.empty();
            continue;
        }
        RunOne(child, c, r, order[r], contenders, settings, progress, static_cast<int>(order.size()), rows);
    }
    for (CellChild& child : children)
        if (child.child.running()) FinishMeasuringChild(child.child, settings);
    for (Measurement& row : rows) row.batch = std::max(row.batch, 1);
    return started;
}
