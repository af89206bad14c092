#include "bench/report/summary.h"

#include <algorithm>
#include <cmath>

#include "bench/measure/reference_sorts.h"
#include "bench/report/format.h"

namespace {

// A sample every resampled median of which is above 0, so each ratio and
// its logarithm are finite.
bool Timed(const Measurement& row) {
    return row.outcome.end == End::kMeasured && !row.times.empty() && Min(row.times) > 0;
}

// One contender's summary without its interval, and the cells that give it.
struct Gathered {
    ContenderSummary summary;
    std::vector<RatioCell> cells;
};

void AddCell(Gathered& gathered, const Measurement& row, const Measurement& baseline) {
    ContenderSummary& s = gathered.summary;
    const CellRatio cell{row.pattern, row.count, row.type, Median(row.times) / Median(baseline.times)};
    if (s.cells == 0 || cell.ratio < s.best.ratio) s.best = cell;
    if (s.cells == 0 || cell.ratio > s.worst.ratio) s.worst = cell;
    ++s.cells;
    gathered.cells.push_back({&baseline.times, &row.times});
}

std::vector<Gathered> Gather(const Report& report) {
    std::vector<Gathered> all;
    for (const Measurement& row : report.rows) {
        if (row.contender.name == kBaselineName) continue;
        auto found = std::find_if(all.begin(), all.end(), [&](const Gathered& g) { return g.summary.name == row.contender.name; });
        if (found == all.end()) {
            Gathered gathered;
            gathered.summary.name = row.contender.name;
            gathered.summary.loaded = !row.contender.library.empty();
            gathered.summary.reference = row.contender.reference;
            all.push_back(gathered);
            found = all.end() - 1;
        }
        const Measurement* baseline = BaselineRow(report, row);
        if (ExitStatus(row.outcome.end) != 0) ++found->summary.unfinished;
        else if (Timed(row) && baseline && Timed(*baseline)) AddCell(*found, row, *baseline);
    }
    // Loaded sorts first, each group in the order measured.
    std::stable_partition(all.begin(), all.end(), [](const Gathered& g) { return g.summary.loaded; });
    return all;
}

std::string Ratio(double ratio) { return Fixed(ratio, 2) + "x"; }

std::string Place(const Report& report, const CellRatio& cell) {
    return cell.pattern + " " + SizeText(cell.count) + (HasTypes(report) ? std::string(" ") + ElementTypeName(cell.type) : "");
}

std::string IntervalText(const Interval& interval) {
    return "[" + Fixed(interval.low, 2) + ", " + Fixed(interval.high, 2) + "]";
}

std::string CellsText(int cells) { return std::to_string(cells) + (cells == 1 ? " cell" : " cells"); }

}  // namespace

std::vector<ContenderSummary> Summaries(const Report& report) {
    std::vector<Gathered> all = Gather(report);
    std::uint64_t values = 0;
    for (const Gathered& g : all) values += ValuesPerResample(g.cells);
    // All the summaries together stay within one comparison's bound.
    const int resamples = ResamplesWithin(values);
    std::vector<ContenderSummary> summaries;
    for (Gathered& g : all) {
        if (!g.cells.empty()) g.summary.overall = GeometricMeanRatio(g.cells, resamples);
        summaries.push_back(g.summary);
    }
    return summaries;
}

std::string SummaryLine(const Report& report, const ContenderSummary& s) {
    const std::string failed = std::to_string(s.unfinished) + " failed";
    if (s.cells == 0) return s.name + ": no cell to set against " + kBaselineName + "; " + failed;
    return s.name + ": " + Ratio(s.overall.value) + " " + kBaselineName + " overall " + IntervalText(s.overall.interval) +
           " over " + CellsText(s.cells) + "; best " + Place(report, s.best) + " " + Ratio(s.best.ratio) + ", worst " +
           Place(report, s.worst) + " " + Ratio(s.worst.ratio) + "; " + failed;
}

std::vector<std::string> SummaryHeadings() {
    return {"Contender", std::string("Overall vs ") + kBaselineName, "95% interval", "Cells", "Best cell", "Worst cell",
            "Failed"};
}

std::vector<SummaryCell> SummaryCells(const Report& report, const ContenderSummary& s) {
    const SummaryCell failed{std::to_string(s.unfinished), std::to_string(s.unfinished)};
    if (s.cells == 0) return {{s.name, s.name}, {"-", ""}, {"-", ""}, {"0", "0"}, {"-", ""}, {"-", ""}, failed};
    const auto figure = [](double value) { return Fixed(value, 6); };
    return {{s.name, s.name},
            {Ratio(s.overall.value), figure(s.overall.value)},
            {IntervalText(s.overall.interval), figure(s.overall.interval.high)},
            {std::to_string(s.cells), std::to_string(s.cells)},
            {Place(report, s.best) + " " + Ratio(s.best.ratio), figure(s.best.ratio)},
            {Place(report, s.worst) + " " + Ratio(s.worst.ratio), figure(s.worst.ratio)},
            failed};
}

bool HasBaseline(const Report& report) {
    return std::any_of(report.rows.begin(), report.rows.end(),
                       [](const Measurement& row) { return row.contender.name == kBaselineName; });
}

std::string SummaryCaption(const Report& report) {
    if (!HasBaseline(report))
        return std::string("No overall figures: ") + kBaselineName + ", which every ratio is taken against, was not measured.";
    return std::string("Overall: the geometric mean of each contender's ratio to ") + kBaselineName +
           " over the cells it finished, with its 95% interval from every cell's runs.";
}

std::string SizeText(std::int64_t count) {
    if (count < 1000) return std::to_string(count);
    int exponent = 0;
    std::int64_t figure = count;
    while (figure % 10 == 0) {
        figure /= 10;
        ++exponent;
    }
    // 25e5 reads as 2.5e6: one figure before the point.
    const std::string digits = std::to_string(figure);
    exponent += static_cast<int>(digits.size()) - 1;
    if (digits.size() > 2) return std::to_string(count);
    return digits.substr(0, 1) + (digits.size() > 1 ? "." + digits.substr(1) : "") + "e" + std::to_string(exponent);
}
