#include "bench/compare/comparison.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <tuple>
#include <utility>

#include "bench/measure/reference_sorts.h"
#include "bench/measure/selection.h"
#include "bench/report/format.h"
#include "bench/stats/statistics.h"

namespace {

// A saved report may hold many thousands of cells: every lookup below goes
// through a set or map, so that reading and comparing stay n log n.
using CellKey = std::tuple<std::string, std::string, std::int64_t, std::string>;

CellKey KeyOf(const SavedCell& cell) {
    return {cell.name, cell.pattern, cell.count, cell.type};
}

// The data of a cell, whoever sorted it.
using DataKey = std::tuple<std::string, std::int64_t, std::string>;

DataKey DataKeyOf(const SavedCell& cell) {
    return {cell.pattern, cell.count, cell.type};
}

std::set<DataKey> DataSet(const SavedReport& report) {
    std::set<DataKey> data;
    for (const SavedCell& cell : report.cells) data.insert(DataKeyOf(cell));
    return data;
}

std::string DataOf(const SavedReport& report) {
    std::set<DataKey> seen;
    std::string joined;
    for (const SavedCell& cell : report.cells)
        if (seen.insert(DataKeyOf(cell)).second)
            joined += (joined.empty() ? "" : ", ") + std::to_string(cell.count) + " values (" + cell.pattern +
                      (cell.type == kDefaultType ? "" : ", " + cell.type) + ")";
    return joined.empty() ? "no cells" : joined;
}

bool SharesData(const SavedReport& a, const SavedReport& b) {
    const auto data = DataSet(b);
    return std::any_of(a.cells.begin(), a.cells.end(),
                       [&](const SavedCell& x) { return data.count(DataKeyOf(x)) > 0; });
}

// Ratios and their edges reach a comparison through a division or a sum
// each, so exact inputs (107 ms against 100, noise 7 %) land a few ulps to
// either side of the exact edge. Within this relative distance a ratio
// counts as on the edge.
constexpr double kRounding = 8 * std::numeric_limits<double>::epsilon();

// a above b by more than rounding.
bool Above(double a, double b) {
    return a > b + kRounding * std::fabs(b);
}

void Measured(const std::vector<double>& times, int resamples, int& runs, double& median, Interval& interval) {
    runs = static_cast<int>(times.size());
    if (times.empty()) return;
    median = Median(times);
    interval = BootstrapMedianInterval(times, resamples);
}

// Both sides have times to test against each other.
bool Comparable(const SavedCell* before, const SavedCell* after) {
    return before && after && !before->failed && !after->failed && !before->times.empty() && !after->times.empty();
}

// Every cell as Compare pairs it: the baseline's in its order with the
// current's of the same key, or none, then the current's the baseline lacks.
using CellPair = std::pair<const SavedCell*, const SavedCell*>;

std::vector<CellPair> Paired(const SavedReport& baseline, const SavedReport& current) {
    std::map<CellKey, const SavedCell*> before, after;
    for (const SavedCell& cell : baseline.cells) before.emplace(KeyOf(cell), &cell);
    for (const SavedCell& cell : current.cells) after.emplace(KeyOf(cell), &cell);
    const auto find = [](const std::map<CellKey, const SavedCell*>& cells, const SavedCell& cell) -> const SavedCell* {
        const auto found = cells.find(KeyOf(cell));
        return found == cells.end() ? nullptr : found->second;
    };
    std::vector<CellPair> pairs;
    for (const SavedCell& cell : baseline.cells) pairs.emplace_back(&cell, find(after, cell));
    for (const SavedCell& cell : current.cells)
        if (!find(before, cell)) pairs.emplace_back(nullptr, &cell);
    return pairs;
}

// The values one resample of every bootstrap of a pair draws: each side's
// median, and both again for their ratio.
std::uint64_t ValuesPerResample(const CellPair& pair) {
    const auto values = [](const SavedCell* cell) -> std::uint64_t { return cell ? ResampleSize(cell->times.size()) : 0; };
    const std::uint64_t medians = values(pair.first) + values(pair.second);
    return Comparable(pair.first, pair.second) ? 2 * medians : medians;
}

std::uint64_t ValuesPerResample(const std::vector<CellPair>& pairs) {
    std::uint64_t values = 0;
    for (const CellPair& pair : pairs) values += ValuesPerResample(pair);
    return values;
}

CellComparison CompareCell(const SavedCell* before, const SavedCell* after, double noise, int resamples) {
    const SavedCell& cell = before ? *before : *after;
    CellComparison c;
    c.name = cell.name;
    c.pattern = cell.pattern;
    c.count = cell.count;
    c.type = cell.type;
    c.reference = cell.reference;
    if (before) Measured(before->times, resamples, c.baselineRuns, c.baselineMedian, c.baselineInterval);
    if (after) Measured(after->times, resamples, c.currentRuns, c.currentMedian, c.currentInterval);
    if (!before || !after) {
        c.verdict = before ? Verdict::kOnlyBaseline : Verdict::kOnlyCurrent;
        return c;
    }
    c.machine = before->machineCounted && after->machineCounted;
    c.baselineMachine = before->machine;
    c.currentMachine = after->machine;
    if (before->failed || after->failed) {
        c.verdict = Verdict::kFailed;
        return c;
    }
    if (c.baselineRuns == 0 || c.currentRuns == 0) {
        c.verdict = Verdict::kTooFew;
        return c;
    }
    c.ratio = MedianRatio(c.baselineMedian, c.currentMedian);
    c.ratioInterval = BootstrapRatioInterval(before->times, after->times, resamples);
    c.test = MannWhitneyU(after->times, before->times);
    const bool enough = c.baselineRuns >= kMinimumRuns && c.currentRuns >= kMinimumRuns;
    c.verdict = enough ? Decide(c.test.p, c.ratioInterval, noise) : Verdict::kTooFew;
    return c;
}

// Each contender's change over the cells compared on both sides, in the
// order first met; a cell with a run of 0 ms on either side (a clock too
// coarse for it) has no ratio to take the logarithm of and is left out.
// Their bootstraps together keep within the bound the cells' keep.
std::vector<OverallChange> OverallChanges(const std::vector<CellPair>& pairs) {
    std::vector<OverallChange> changes;
    std::vector<std::vector<RatioCell>> cells;
    for (const CellPair& pair : pairs) {
        const SavedCell *before = pair.first, *after = pair.second;
        if (!Comparable(before, after) || Min(before->times) <= 0 || Min(after->times) <= 0) continue;
        auto found = std::find_if(changes.begin(), changes.end(), [&](const OverallChange& c) { return c.name == after->name; });
        if (found == changes.end()) {
            changes.push_back({after->name, after->reference, 0, {}});
            cells.emplace_back();
            found = changes.end() - 1;
        }
        ++found->cells;
        cells[static_cast<std::size_t>(found - changes.begin())].push_back({&before->times, &after->times});
    }
    std::uint64_t values = 0;
    for (const std::vector<RatioCell>& each : cells) values += ValuesPerResample(each);
    const int resamples = ResamplesWithin(values);
    for (std::size_t k = 0; k < changes.size(); ++k) changes[k].change = GeometricMeanRatio(cells[k], resamples);
    return changes;
}

}  // namespace

double CountChange(std::uint64_t baseline, std::uint64_t current) {
    if (baseline == current) return 0;
    if (baseline == 0) return std::numeric_limits<double>::infinity();
    return (static_cast<double>(current) - static_cast<double>(baseline)) / static_cast<double>(baseline);
}

bool HasMachineCounts(const Comparison& comparison) {
    return std::any_of(comparison.cells.begin(), comparison.cells.end(), [](const CellComparison& c) { return c.machine; });
}

std::vector<const CellComparison*> MoreInstructions(const Comparison& comparison, double limit) {
    std::vector<const CellComparison*> grown;
    for (const CellComparison& cell : comparison.cells)
        if (cell.machine && CountChange(cell.baselineMachine.instructions, cell.currentMachine.instructions) > limit)
            grown.push_back(&cell);
    return grown;
}

Verdict Decide(double p, const Interval& ratio, double noise) {
    if (p >= kSignificance) return Verdict::kNoChange;
    const double fast = 1 - noise, slow = 1 + noise;
    if (!Above(ratio.high, fast)) return Verdict::kFaster;
    if (!Above(slow, ratio.low)) return Verdict::kSlower;
    if (!Above(fast, ratio.low) && !Above(ratio.high, slow)) return Verdict::kNoChange;
    return Verdict::kInconclusive;
}

std::string DataMismatch(const SavedReport& baseline, const SavedReport& current) {
    const std::string other = baseline.source + ": other data than " + current.source + ": ";
    if (baseline.seed != current.seed)
        return other + "seed " + std::to_string(baseline.seed) + " against " + std::to_string(current.seed);
    if (!SharesData(baseline, current)) return other + DataOf(baseline) + " against " + DataOf(current);
    return "";
}

std::vector<std::string> ContextWarnings(const SavedReport& baseline, const SavedReport& current) {
    const std::pair<const char*, const std::string SavedReport::*> kContext[] = {
        {"machine", &SavedReport::machine},
        {"compiler", &SavedReport::compiler},
        {"flags", &SavedReport::flags},
        {"draws", &SavedReport::draws},
    };
    std::vector<std::string> warnings;
    for (const auto& [what, field] : kContext)
        if (baseline.*field != current.*field)
            warnings.push_back("warning: other " + std::string(what) + ": " + baseline.source + " \"" +
                               baseline.*field + "\", " + current.source + " \"" + current.*field + "\"");
    return warnings;
}

Check SelectCells(const std::vector<std::string>& names, const std::string& filter,
                  SavedReport& baseline, SavedReport& current) {
    if (names.empty() && filter.empty()) return Passed{};
    std::vector<Named> all;
    std::set<std::string> listed;
    for (const SavedReport* report : {&current, &baseline})
        for (const SavedCell& cell : report->cells)
            if (listed.insert(cell.name).second) all.push_back({cell.name, cell.label});
    const NameSelection selection = SelectNames(all, names, filter, kBaselineName);
    if (!selection.error.empty()) return Refusal{selection.error};
    std::set<std::string> chosen;
    for (const std::size_t k : selection.chosen) chosen.insert(all[k].name);
    const auto unselected = [&](const SavedCell& cell) { return chosen.count(cell.name) == 0; };
    for (SavedReport* report : {&current, &baseline})
        report->cells.erase(std::remove_if(report->cells.begin(), report->cells.end(), unselected),
                            report->cells.end());
    return Passed{};
}

Check Resamplable(const SavedReport& baseline, const SavedReport& current) {
    const std::uint64_t values = ValuesPerResample(Paired(baseline, current));
    if (ResamplesWithin(values) >= kFewestResamples) return Passed{};
    return Refusal{"the cells to compare draw " + std::to_string(values) + " values a resample, more than the " +
                   std::to_string(kResampledValues / kFewestResamples) +
                   " a comparison's bootstrap can take; choose fewer with --filter or routine names"};
}

Comparison Compare(const SavedReport& baseline, const SavedReport& current, double noise,
                   const CompareProgress& progress) {
    Comparison comparison{baseline.source, current.source, noise, ContextWarnings(baseline, current), {}, kBootstrapResamples, {}};
    const std::vector<CellPair> pairs = Paired(baseline, current);
    const std::uint64_t values = ValuesPerResample(pairs);
    comparison.resamples = ResamplesWithin(values);
    const bool slow = static_cast<std::uint64_t>(comparison.resamples) * values > kQuietResampledValues;
    for (const auto& [before, after] : pairs) {
        if (slow && progress) progress(comparison.cells.size(), pairs.size());
        comparison.cells.push_back(CompareCell(before, after, noise, comparison.resamples));
    }
    comparison.overall = OverallChanges(pairs);
    return comparison;
}

bool Tested(const CellComparison& cell) {
    const bool compared = cell.verdict != Verdict::kFailed && cell.verdict != Verdict::kOnlyBaseline &&
                          cell.verdict != Verdict::kOnlyCurrent;
    return compared && cell.baselineRuns > 0 && cell.currentRuns > 0;
}

bool SlowerBeyond(const Comparison& comparison, double percent) {
    return std::any_of(comparison.cells.begin(), comparison.cells.end(), [&](const CellComparison& c) {
        return c.verdict == Verdict::kSlower && Above(c.ratio, 1 + percent / 100);
    });
}

const char* VerdictName(Verdict verdict) {
    switch (verdict) {
        case Verdict::kFaster: return "faster";
        case Verdict::kSlower: return "slower";
        case Verdict::kNoChange: return "no significant change";
        case Verdict::kInconclusive: return "inconclusive";
        case Verdict::kTooFew: return "sample too small";
        case Verdict::kFailed: return "unfinished on a side";
        case Verdict::kOnlyBaseline: return "only in baseline";
        case Verdict::kOnlyCurrent: return "only in current";
    }
    return "";
}

std::string VerdictText(const Comparison& comparison, const CellComparison& cell) {
    switch (cell.verdict) {
        case Verdict::kTooFew:
            return "sample too small to decide (" + std::to_string(cell.baselineRuns) + " and " +
                   std::to_string(cell.currentRuns) + " runs; " + std::to_string(kMinimumRuns) +
                   " a side would do)";
        case Verdict::kInconclusive:
            return "inconclusive: p < 0.05, but the interval reaches within " + Fixed(comparison.noise * 100, 1) +
                   "% of no change";
        case Verdict::kOnlyBaseline: return "only in " + comparison.baselineSource;
        case Verdict::kOnlyCurrent: return "only in " + comparison.currentSource;
        default: return VerdictName(cell.verdict);
    }
}
