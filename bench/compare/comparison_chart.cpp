// Paired bars: for every cell the baseline's median over the current's,
// each with the 95 % interval of that median, and the verdict under the
// name.
#include <algorithm>

#include "bench/compare/comparison_report.h"
#include "bench/report/format.h"
#include "bench/report/marks.h"
#include "bench/report/svg_parts.h"

namespace {

using namespace svg;

constexpr int kRowHeight = 44;
constexpr int kBarHeight = 14;
constexpr char kBaselineColour[] = "#9aa5b1";
constexpr char kCurrentColour[] = "#3b6fb6";

struct Side {
    const char* kind;  // the bar's class
    const char* colour;
    const std::string& source;
    int runs;
    double median;
    const Interval& interval;
};

void WriteBar(std::ostream& out, const std::string& name, const Side& side, const Axis& axis, double top) {
    if (side.runs == 0) return;
    const double middle = top + kBarHeight / 2.0;
    out << "<rect" << Role(std::string("bar ") + side.kind) << " x=\"" << kLabelWidth << "\" y=\"" << Fixed(top, 1)
        << "\" width=\"" << Fixed(axis.X(side.median) - kLabelWidth, 1) << "\" height=\"" << kBarHeight << "\" fill=\""
        << side.colour << "\"><title>" << EscapedXml(name) << ", " << EscapedXml(side.source) << ": median "
        << Duration(side.median) << "</title></rect>\n";
    const double high = axis.X(side.interval.high);
    out << Whisker(axis.X(side.interval.low), high, top, kBarHeight) << Text(high + 6, middle + 4, "start", Duration(side.median));
}

}  // namespace

void WriteComparisonChart(std::ostream& out, const Comparison& comparison) {
    double largest = 0;
    for (const CellComparison& c : comparison.cells)
        largest = std::max({largest, c.baselineInterval.high, c.currentInterval.high});
    const Axis axis = AxisOver(largest);
    const std::string subtitle = "Whiskers: 95% interval of each median. " + ComparisonLine(comparison);
    const int top = BodyTop(subtitle);
    const double bottom = top + kRowHeight * static_cast<double>(comparison.cells.size());

    WriteStart(out, static_cast<int>(bottom) + 48,
               "Median sort time: grey " + comparison.baselineSource + ", blue " + comparison.currentSource, subtitle);
    WriteGrid(out, axis, top, bottom);
    // A bar's labels: its name, then its change and verdict below.
    std::vector<const ComparisonColumn*> labels;
    for (const ComparisonColumn* column : ComparisonColumns(comparison))
        if (column->role == ComparisonColumn::Role::kName || column->role == ComparisonColumn::Role::kChange ||
            column->role == ComparisonColumn::Role::kVerdict)
            labels.push_back(column);
    double y = top;
    for (const CellComparison& c : comparison.cells) {
        const std::vector<std::string> cells = ComparisonCells(comparison, c, labels);
        // The cell's bars and labels together, which the page's filters hide together.
        out << "<g" << MarkAttributes(c.name, c.pattern, std::to_string(c.count), c.type) << ">\n";
        out << Text(kLabelWidth - 8, y + 18, "end", cells[0])
            << Text(kLabelWidth - 8, y + 34, "end", (Tested(c) ? cells[1] + " " : "") + cells[2]);
        const Side sides[] = {
            {"baseline", kBaselineColour, comparison.baselineSource, c.baselineRuns, c.baselineMedian,
             c.baselineInterval},
            {"current", kCurrentColour, comparison.currentSource, c.currentRuns, c.currentMedian,
             c.currentInterval},
        };
        WriteBar(out, c.name, sides[0], axis, y + 6);
        WriteBar(out, c.name, sides[1], axis, y + 8 + kBarHeight);
        out << "</g>\n";
        y += kRowHeight;
    }
    out << "</svg>\n";
}
