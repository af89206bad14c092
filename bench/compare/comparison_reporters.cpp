#include <algorithm>
#include <cmath>

#include "bench/compare/comparison_report.h"
#include "bench/report/format.h"
#include "bench/report/json.h"
#include "bench/report/machine_figures.h"
#include "bench/report/markup.h"

namespace {

using Json = nlohmann::json;

constexpr char kGreen[] = "\x1b[32m";
constexpr char kRed[] = "\x1b[31m";
constexpr char kPlain[] = "\x1b[0m";

// A side's median in the unit that suits it, so that sub-millisecond
// cells show the change they are reported with.
std::string MedianText(int runs, double median) {
    return runs > 0 ? Duration(median) : "-";
}

std::string Percent(double fraction) {
    return (fraction >= 0 ? "+" : "") + Fixed(fraction * 100, 1) + "%";
}

std::string PValue(double p) {
    return p < 0.0001 ? "<0.0001" : Fixed(p, 4);
}

Json Pair(const Interval& interval) {
    return Json::array({interval.low, interval.high});
}

Json MachineJson(const MachineCounts& counts) {
    Json json = Json::object();
    AddMachineCounts(counts, json);
    return json;
}

// A change as a percentage, exact; null from nothing to something.
Json ChangePercent(std::uint64_t baseline, std::uint64_t current) {
    const double change = CountChange(baseline, current);
    return std::isfinite(change) ? Json(change * 100) : Json();
}

Json CellJson(const CellComparison& c) {
    const Json none;
    const bool tested = Tested(c);
    Json json = {
        {"name", c.name},
        {"pattern", c.pattern},
        {"count", c.count},
        {"type", c.type},
        {"reference", c.reference},
        {"verdict", VerdictName(c.verdict)},
        {"baseline_runs", c.baselineRuns},
        {"current_runs", c.currentRuns},
        {"baseline_median_ms", c.baselineRuns > 0 ? Json(c.baselineMedian) : none},
        {"current_median_ms", c.currentRuns > 0 ? Json(c.currentMedian) : none},
        {"baseline_median_ci_ms", c.baselineRuns > 0 ? Pair(c.baselineInterval) : none},
        {"current_median_ci_ms", c.currentRuns > 0 ? Pair(c.currentInterval) : none},
        {"ratio", tested ? Json(c.ratio) : none},
        {"ratio_ci", tested ? Pair(c.ratioInterval) : none},
        {"change_pct", tested ? Json((c.ratio - 1) * 100) : none},
        {"u", tested ? Json(c.test.u) : none},
        {"p_value", tested ? Json(c.test.p) : none},
        {"p_exact", tested ? Json(c.test.exact) : none},
    };
    if (c.verdict == Verdict::kTooFew) json["runs_needed"] = kMinimumRuns;
    if (c.machine)
        json["machine_counts"] = {
            {"baseline", MachineJson(c.baselineMachine)},
            {"current", MachineJson(c.currentMachine)},
            {"instructions_change_pct", ChangePercent(c.baselineMachine.instructions, c.currentMachine.instructions)},
            {"conditional_mispredicted_change_pct",
             ChangePercent(c.baselineMachine.conditionalMisses, c.currentMachine.conditionalMisses)},
        };
    return json;
}

}  // namespace

std::string CountChangeText(std::uint64_t baseline, std::uint64_t current) {
    const bool grew = current >= baseline;
    const std::string difference = (current == baseline ? "" : grew ? "+" : "-") +
                                   std::to_string(grew ? current - baseline : baseline - current);
    const double change = CountChange(baseline, current);
    if (!std::isfinite(change)) return difference;
    return difference + " (" + (change > 0 ? "+" : "") + Fixed(change * 100, 3) + "%)";
}

namespace {

std::string Figure(bool known, double value) {
    return known ? Fixed(value, 9) : std::string();
}

// A count's change: its exact difference and share in the cell, sorting by
// the difference.
template <std::uint64_t MachineCounts::*count>
std::string CountChangeCell(const Comparison&, const CellComparison& c) {
    return c.machine ? CountChangeText(c.baselineMachine.*count, c.currentMachine.*count) : "-";
}
template <std::uint64_t MachineCounts::*count>
std::string CountDifference(const CellComparison& c) {
    return c.machine ? std::to_string(static_cast<std::int64_t>(c.currentMachine.*count - c.baselineMachine.*count))
                     : std::string();
}

using Role = ComparisonColumn::Role;

// Every column, in the order the forms show them.
const ComparisonColumn kComparisonColumns[] = {
    {"Routine", [](const Comparison&, const CellComparison& c) { return c.name + (c.reference ? " (reference)" : ""); },
     [](const CellComparison& c) { return c.name; }, Role::kName, false},
    // Sorted by size, as a number: the cells of one size keep their order.
    {"data", [](const Comparison&, const CellComparison& c) { return CellPlace(c.pattern, c.count, c.type); },
     [](const CellComparison& c) { return std::to_string(c.count); }, Role::kData, false},
    {"baseline", [](const Comparison&, const CellComparison& c) { return MedianText(c.baselineRuns, c.baselineMedian); },
     [](const CellComparison& c) { return Figure(c.baselineRuns > 0, c.baselineMedian); }, Role::kFigure, false},
    {"current", [](const Comparison&, const CellComparison& c) { return MedianText(c.currentRuns, c.currentMedian); },
     [](const CellComparison& c) { return Figure(c.currentRuns > 0, c.currentMedian); }, Role::kFigure, false},
    {"change", [](const Comparison&, const CellComparison& c) { return Tested(c) ? Percent(c.ratio - 1) : "-"; },
     [](const CellComparison& c) { return Figure(Tested(c), c.ratio - 1); }, Role::kChange, false},
    {"ratio [95% interval]",
     [](const Comparison&, const CellComparison& c) {
         return Tested(c) ? Fixed(c.ratio, 3) + "x [" + Fixed(c.ratioInterval.low, 3) + ", " +
                                Fixed(c.ratioInterval.high, 3) + "]"
                          : "-";
     },
     [](const CellComparison& c) { return Figure(Tested(c), c.ratio); }, Role::kFigure, false},
    {"p", [](const Comparison&, const CellComparison& c) { return Tested(c) ? PValue(c.test.p) : "-"; },
     [](const CellComparison& c) { return Figure(Tested(c), c.test.p); }, Role::kFigure, false},
    {"instructions", CountChangeCell<&MachineCounts::instructions>, CountDifference<&MachineCounts::instructions>,
     Role::kFigure, true},
    {"branch misses", CountChangeCell<&MachineCounts::conditionalMisses>,
     CountDifference<&MachineCounts::conditionalMisses>, Role::kFigure, true},
    {"verdict", VerdictText, [](const CellComparison& c) { return std::string(VerdictName(c.verdict)); },
     Role::kVerdict, false},
};

}  // namespace

std::vector<const ComparisonColumn*> ComparisonColumns(const Comparison& comparison) {
    std::vector<const ComparisonColumn*> columns;
    for (const ComparisonColumn& column : kComparisonColumns)
        if (!column.machine || HasMachineCounts(comparison)) columns.push_back(&column);
    return columns;
}

std::vector<std::string> ComparisonHeadings(const std::vector<const ComparisonColumn*>& columns) {
    std::vector<std::string> headings;
    for (const ComparisonColumn* column : columns) headings.push_back(column->heading);
    return headings;
}

std::vector<std::string> ComparisonCells(const Comparison& comparison, const CellComparison& cell,
                                         const std::vector<const ComparisonColumn*>& columns) {
    std::vector<std::string> cells;
    for (const ComparisonColumn* column : columns) cells.push_back(column->text(comparison, cell));
    return cells;
}

std::string ComparisonLine(const Comparison& comparison) {
    return "Medians of " + comparison.currentSource + " (current) against " +
           comparison.baselineSource + " (baseline); changes within " +
           Fixed(comparison.noise * 100, 1) + "% count as noise";
}

namespace {

// A ratio of current over baseline as the change a reader says: "3.1%
// faster", "0.4% slower", or "no change" where it rounds to none.
std::string ChangeWords(double ratio) {
    const std::string faster = Fixed((1 - ratio) * 100, 1), slower = Fixed((ratio - 1) * 100, 1);
    if (faster == "0.0" || faster == "-0.0") return "no change";
    return ratio < 1 ? faster + "% faster" : slower + "% slower";
}

// The interval in the headline's direction, "[1.2, 5.0]"; one reaching
// across no change names both ends, "[0.4% slower, 2.2% faster]".
std::string ChangeInterval(const GeometricMean& g) {
    if (g.interval.low < 1 && g.interval.high > 1)
        return "[" + ChangeWords(g.interval.high) + ", " + ChangeWords(g.interval.low) + "]";
    const bool faster = g.interval.high <= 1;
    const auto percent = [&](double ratio) { return Fixed((faster ? 1 - ratio : ratio - 1) * 100, 1); };
    // Percent faster runs the other way to the ratio: its low end is the
    // ratio's high one.
    return "[" + percent(faster ? g.interval.high : g.interval.low) + ", " +
           percent(faster ? g.interval.low : g.interval.high) + "]";
}

}  // namespace

std::string OverallChangeLine(const OverallChange& overall) {
    return overall.name + ": " + ChangeWords(overall.change.value) + " overall " + ChangeInterval(overall.change) +
           " over " + std::to_string(overall.cells) + (overall.cells == 1 ? " cell" : " cells");
}

std::string OverallChangeCaption() {
    return "Overall: the geometric mean of each contender's change over the cells compared, with its 95% interval "
           "from every cell's runs.";
}

// The headings, then the cells of each compared cell.
std::vector<std::vector<std::string>> ComparisonLines(const Comparison& comparison,
                                                      const std::vector<const ComparisonColumn*>& columns) {
    std::vector<std::vector<std::string>> lines = {ComparisonHeadings(columns)};
    for (const CellComparison& cell : comparison.cells) lines.push_back(ComparisonCells(comparison, cell, columns));
    return lines;
}

void WriteComparisonTable(std::ostream& out, const Comparison& comparison, bool colour) {
    const std::vector<const ComparisonColumn*> columns = ComparisonColumns(comparison);
    std::vector<std::vector<std::string>> lines = ComparisonLines(comparison, columns);
    std::vector<std::size_t> widths(columns.size(), 0);
    for (auto& cells : lines)
        for (std::size_t k = 0; k < cells.size(); ++k) {
            cells[k] = Printable(cells[k]);
            widths[k] = std::max(widths[k], Characters(cells[k]));
        }

    out << Printable(ComparisonLine(comparison)) << '\n';
    for (const std::string& warning : comparison.warnings) out << Printable(warning) << '\n';
    out << '\n';
    for (std::size_t line = 0; line < lines.size(); ++line) {
        const Verdict verdict = line == 0 ? Verdict::kNoChange : comparison.cells[line - 1].verdict;
        const char* paint = verdict == Verdict::kFaster ? kGreen : verdict == Verdict::kSlower ? kRed : "";
        const std::vector<std::string>& cells = lines[line];
        for (std::size_t k = 0; k < cells.size(); ++k) {
            const bool last = k + 1 == cells.size();
            const std::string padding(last ? 0 : widths[k] - Characters(cells[k]), ' ');
            std::string text = columns[k]->left() ? cells[k] + padding : padding + cells[k];
            if (colour && columns[k]->role == Role::kChange && *paint) text = paint + text + kPlain;
            out << (k == 0 ? "" : "  ") << text;
        }
        out << '\n';
    }
    if (comparison.overall.empty()) return;
    out << '\n' << Printable(OverallChangeCaption()) << '\n';
    for (const OverallChange& overall : comparison.overall) out << Printable(OverallChangeLine(overall)) << '\n';
}

void WriteComparisonMarkdown(std::ostream& out, const Comparison& comparison) {
    out << MarkdownText(ComparisonLine(comparison)) << "\n\n";
    for (const std::string& warning : comparison.warnings) out << MarkdownText(warning) << "\n\n";
    const std::vector<const ComparisonColumn*> columns = ComparisonColumns(comparison);
    const std::vector<std::vector<std::string>> lines = ComparisonLines(comparison, columns);
    for (std::size_t line = 0; line < lines.size(); ++line) {
        WriteMarkdownRow(out, lines[line], columns.size());
        if (line != 0) continue;
        out << '|';
        for (const ComparisonColumn* column : columns) out << (column->left() ? "---|" : "---:|");
        out << '\n';
    }
    if (comparison.overall.empty()) return;
    out << '\n' << MarkdownText(OverallChangeCaption()) << "\n\n";
    for (const OverallChange& overall : comparison.overall) out << "- " << MarkdownText(OverallChangeLine(overall)) << '\n';
}

// With machine counts, each side's instructions and mispredicted branches
// and their exact changes follow the verdict.
void WriteMachineFields(std::ostream& out, const CellComparison& c) {
    const MachineCounts &before = c.baselineMachine, &after = c.currentMachine;
    const auto change = [](std::uint64_t b, std::uint64_t a) {
        const double fraction = CountChange(b, a);
        return std::isfinite(fraction) ? Fixed(fraction * 100, 6) : std::string();
    };
    if (!c.machine) {
        out << ",,,,,,";
        return;
    }
    out << ',' << before.instructions << ',' << after.instructions << ','
        << change(before.instructions, after.instructions) << ',' << before.conditionalMisses << ','
        << after.conditionalMisses << ',' << change(before.conditionalMisses, after.conditionalMisses);
}

// The overall change of the cell's contender, on every row of it: the CSV
// stays one table.
void WriteOverallFields(std::ostream& out, const Comparison& comparison, const CellComparison& c) {
    for (const OverallChange& overall : comparison.overall)
        if (overall.name == c.name) {
            const GeometricMean& g = overall.change;
            out << ',' << Fixed(g.value, 4) << ',' << Fixed(g.interval.low, 4) << ',' << Fixed(g.interval.high, 4);
            return;
        }
    out << ",,,";
}

void WriteComparisonCsv(std::ostream& out, const Comparison& comparison) {
    const bool machine = HasMachineCounts(comparison);
    out << "name,reference,pattern,count,type,baseline_runs,current_runs,baseline_median_ms,"
           "current_median_ms,ratio,ratio_ci_low,ratio_ci_high,u,p_value,p_exact,verdict"
        << (machine ? ",baseline_instructions,current_instructions,instructions_change_pct,"
                      "baseline_conditional_mispredicted,current_conditional_mispredicted,"
                      "conditional_mispredicted_change_pct"
                    : "")
        << ",overall_ratio,overall_low,overall_high\n";
    for (const CellComparison& c : comparison.cells) {
        out << CsvField(c.name) << ',' << (c.reference ? "true" : "false") << ',' << CsvField(c.pattern)
            << ',' << c.count << ',' << CsvField(c.type) << ',' << c.baselineRuns << ',' << c.currentRuns << ','
            << (c.baselineRuns > 0 ? Fixed(c.baselineMedian, 6) : "") << ','
            << (c.currentRuns > 0 ? Fixed(c.currentMedian, 6) : "") << ',';
        if (Tested(c))
            out << Fixed(c.ratio, 4) << ',' << Fixed(c.ratioInterval.low, 4) << ','
                << Fixed(c.ratioInterval.high, 4) << ',' << Fixed(c.test.u, 1) << ','
                << Fixed(c.test.p, 6) << ',' << (c.test.exact ? "true" : "false") << ',';
        else
            out << ",,,,,,";
        out << CsvField(VerdictName(c.verdict));
        if (machine) WriteMachineFields(out, c);
        WriteOverallFields(out, comparison, c);
        out << '\n';
    }
}

Json ComparisonJson(const Comparison& comparison) {
    Json cells = Json::array();
    for (const CellComparison& cell : comparison.cells) cells.push_back(CellJson(cell));
    Json overall = Json::array();
    for (const OverallChange& o : comparison.overall)
        overall.push_back({{"name", o.name}, {"reference", o.reference}, {"cells", o.cells}, {"ratio", o.change.value},
                           {"ratio_ci_low", o.change.interval.low}, {"ratio_ci_high", o.change.interval.high}});
    return {
        {"baseline", comparison.baselineSource},
        {"current", comparison.currentSource},
        {"confidence", kConfidence},
        {"significance", kSignificance},
        {"resamples", comparison.resamples},  // of each interval: fewer than usual where the runs are many
        {"noise_pct", comparison.noise * 100},
        {"warnings", comparison.warnings},
        {"cells", cells},
        {"overall", overall},
    };
}
