// Two reports side by side: for every cell in both, the change of the
// median with its bootstrap interval, the rank test's p-value and a
// verdict; cells in one report only are kept and marked so.
#pragma once

#include "bench/measure/refusal.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "bench/compare/saved_report.h"
#include "bench/stats/bootstrap.h"
#include "bench/stats/rank_test.h"

// Fewer repetitions than this on either side decide nothing: with 4 a
// side the exact test can barely reach 5 %, and a single slow run moves
// the median of so few.
constexpr int kMinimumRuns = 5;
constexpr double kSignificance = 0.05;
constexpr int kDefaultNoisePercent = 2;
constexpr double kDefaultNoise = kDefaultNoisePercent / 100.0;

enum class Verdict {
    kFaster,
    kSlower,
    kNoChange,      // p >= 5 %, or the whole interval within the noise of 1
    kInconclusive,  // p < 5 %, but the interval reaches from beyond the noise into it
    kTooFew,        // fewer than kMinimumRuns on a side
    kFailed,        // a side has no figures: a check failed or it did not finish
    kOnlyBaseline,
    kOnlyCurrent,
};

struct CellComparison {
    std::string name;
    std::string pattern;
    std::int64_t count = 0;
    std::string type = kDefaultType;
    bool reference = false;
    Verdict verdict = Verdict::kNoChange;
    int baselineRuns = 0;
    int currentRuns = 0;
    double baselineMedian = 0;
    double currentMedian = 0;
    double ratio = 1;          // current median over baseline median
    Interval ratioInterval;
    Interval baselineInterval;  // of each median, for the chart
    Interval currentInterval;
    RankTestResult test;        // U of the current sample against the baseline
    // Both sides' machine counts, when both have them: deterministic, so
    // their change is exact and needs no interval.
    bool machine = false;
    MachineCounts baselineMachine;
    MachineCounts currentMachine;
};

// One contender's change over every cell compared: the geometric mean of
// its cells' current over baseline medians, its interval from each cell's
// runs on both sides.
struct OverallChange {
    std::string name;
    bool reference = false;
    int cells = 0;
    GeometricMean change;
};

struct Comparison {
    std::string baselineSource;
    std::string currentSource;
    double noise = kDefaultNoise;       // a fraction: 0.02 is 2 %
    std::vector<std::string> warnings;  // other machine, compiler or flags
    std::vector<CellComparison> cells;  // the baseline's order, then cells new in the current
    int resamples = kBootstrapResamples;  // of each bootstrap: fewer when the runs are many
    std::vector<OverallChange> overall;   // per contender, in the order first compared
};

// Told, before each cell is compared, how many are done of how many.
using CompareProgress = std::function<void(std::size_t done, std::size_t total)>;

// Resampling more values than this, a comparison may take a second or
// more: only then does it tell its progress.
constexpr std::uint64_t kQuietResampledValues = 50000000;

// The change of a count from baseline to current as a fraction (0.05 is 5 %
// more); 0 when both are 0.
double CountChange(std::uint64_t baseline, std::uint64_t current);

// Whether any cell has machine counts on both sides: the comparison then
// shows their changes.
bool HasMachineCounts(const Comparison& comparison);

// The cells whose instructions grew by more than limit (a fraction) from
// the baseline, in the comparison's order.
std::vector<const CellComparison*> MoreInstructions(const Comparison& comparison, double limit);

// The verdict of a cell with enough runs on both sides: p-value p of the
// rank test, ratio interval of current over baseline, noise a fraction.
// A change counts only when p < 5 % and every ratio in the interval lies
// at least noise away from 1; with p < 5 % and the interval wholly within
// noise of 1 there is none; otherwise, with p < 5 %, the interval reaches
// from a change into the noise (or across 1), and the verdict is
// inconclusive rather than "no change", which p would contradict. An edge
// is met when missed by rounding only, on both sides alike: 100 against
// 93 or 107 ms are a change with noise 0.07.
Verdict Decide(double p, const Interval& ratio, double noise);

// Why the two reports cannot be compared, naming baseline's source; empty
// when they can. They must come from the same seed and share at least one
// pattern and count. Only seed and the cells' patterns and counts are read,
// so current may be the plan of a run not yet made.
std::string DataMismatch(const SavedReport& baseline, const SavedReport& current);

// One line per difference of machine, compiler or flags.
std::vector<std::string> ContextWarnings(const SavedReport& baseline, const SavedReport& current);

// Keeps in both reports the cells whose contender the routine names and the
// --filter regex select (all when both are empty), as the measurement
// selects contenders. Refuses an unknown name or bad regex.
Check SelectCells(const std::vector<std::string>& names, const std::string& filter,
                  SavedReport& baseline, SavedReport& current);

// Whether the cells of the two reports are few enough for every bootstrap
// of their comparison to make kFewestResamples within kResampledValues;
// refused, with what to do, when they are not.
Check Resamplable(const SavedReport& baseline, const SavedReport& current);

// Every bootstrap makes as many resamples as keep the whole comparison
// within kResampledValues (bootstrap.h). progress, when given, hears of
// every cell if that work passes kQuietResampledValues.
Comparison Compare(const SavedReport& baseline, const SavedReport& current, double noise,
                   const CompareProgress& progress = nullptr);

// Both sides have times to compare: the figures of the change exist,
// whatever the verdict.
bool Tested(const CellComparison& cell);

// True when a cell's verdict is slower and its median rose by more than
// percent; by exactly percent, as 100 to 105 ms with 5, it did not.
bool SlowerBeyond(const Comparison& comparison, double percent);

// "faster", "slower", "no significant change", "inconclusive", "sample too
// small", "unfinished on a side", "only in baseline", "only in current".
const char* VerdictName(Verdict verdict);
// The verdict as the tables say it, with the sources' names and what to
// do about too small a sample.
std::string VerdictText(const Comparison& comparison, const CellComparison& cell);
