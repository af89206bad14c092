// A figure per element against size, both on log scales: one small panel
// per shape, one line per routine (references dashed), and a cross at the
// top of a panel where a cell has no figure, its reason in the cross's
// title. The figure is the median time per element, with counted
// operations the comparisons per n log2 n, or with machine counts the
// mispredicted branches per element.
#include <algorithm>
#include <cmath>
#include <optional>

#include "bench/report/format.h"
#include "bench/report/machine_figures.h"
#include "bench/report/marks.h"
#include "bench/report/operations_figures.h"
#include "bench/report/svg_parts.h"
#include "bench/report/writers.h"

namespace {

using svg::Line;
using svg::Role;
using svg::Text;
using svg::Wrapped;

constexpr int kColumns = 3;
constexpr int kPanelWidth = 300;
constexpr int kPanelHeight = 230;
constexpr int kPlotLeft = 56;     // room for the time labels, inside a panel
constexpr int kPlotRight = 14;
constexpr int kPlotTop = 30;      // room for the shape's name
constexpr int kPlotBottom = 40;   // room for the size labels
// Characters of a line under the title: at a generous 0.6 em each in the
// 11-pixel font, from x = 12 to the chart's edge (924).
constexpr std::size_t kHeaderColumns = 138;
constexpr int kLegendColumns = 3;
constexpr int kLegendWidth = 300;
constexpr double kCrossStep = 7;  // between the crosses of unfinished cells at one size
constexpr double kMostGridLines = 8;  // per panel, however many decades the times span

// A log scale from 10^low to 10^high onto from ... to.
struct LogScale {
    double low, high, from, to;
    double operator()(double value) const { return AtDecade(std::log10(value)); }
    double AtDecade(double decade) const { return from + (decade - low) / (high - low) * (to - from); }
};

// Whole decades around the values, at least one apart.
LogScale Decades(double smallest, double largest, double from, double to) {
    const double low = std::floor(std::log10(smallest));
    const double high = std::max(low + 1, std::ceil(std::log10(largest)));
    return {low, high, from, to};
}

// 10^exponent nanoseconds as "0.1 ns", "10 µs", "100 ms", and far past
// the units as "1e-5 ns" or "1e4 s".
std::string DecadeLabel(int exponent) {
    static const char* const kUnits[] = {"ns", "\u00b5s", "ms", "s"};
    static const char* const kFigures[] = {"0.001", "0.01", "0.1", "1", "10", "100", "1000"};
    const int unit = std::clamp(exponent >= 0 ? exponent / 3 : 0, 0, 3);
    const int power = exponent - 3 * unit;
    const bool written = power >= -3 && power <= 3;
    return (written ? kFigures[power + 3] : "1e" + std::to_string(power)) + " " + kUnits[unit];
}

// What a chart plots: a row's figure, or nothing (a cross, with why), and
// how its decades are labelled. A guide, when above 0, is a dotted line at
// that value across every panel.
struct Quantity {
    const char* title;
    const char* guideNote;
    std::optional<double> (*value)(const Report& report, const Measurement& row);
    std::string (*why)(const Report& report, const Measurement& row);
    std::string (*label)(int decade);
    double guide;
    std::string (*tooltip)(double value);  // a point's figure, as its tooltip says it
};

std::string NsPerElementText(double value) { return Fixed(value, 2) + " ns/element"; }
std::string ComparisonsText(double value) { return Fixed(value, 3) + " comparisons / (n log2 n)"; }
std::string BranchMissesText(double value) { return Fixed(value, 3) + " mispredicted branches/element"; }

// A figure that a log scale can place.
std::optional<double> Placeable(double value) {
    if (std::isfinite(value) && value > 0) return value;
    return std::nullopt;
}

std::optional<double> NsPerElement(const Report& report, const Measurement& row) {
    const RowFigures f = Figures(report, row);
    return f.failed ? std::nullopt : Placeable(f.nsPerElement);
}

std::optional<double> ComparisonsPerNLog2N(const Report& report, const Measurement& row) {
    const OperationFigures f = Operations(report, row);
    return f.counted ? Placeable(f.comparisonsPerNLog2N) : std::nullopt;
}

std::optional<double> BranchMissesPerElement(const Report& report, const Measurement& row) {
    const MachineFigures f = Machine(report, row);
    return f.counted ? Placeable(f.branchMissesPerElement) : std::nullopt;
}

// Why a cell has no count: why its timed runs did not finish, or else why
// its pass (figures, Operations or Machine) gave none.
template <typename Figures, Figures (*figures)(const Report&, const Measurement&)>
std::string NotCountedWhy(const Report& report, const Measurement& row) {
    const std::string timing = Unfinished(report, row);
    return timing.empty() ? figures(report, row).why : timing;
}

// 10^exponent as "0.01", "1", "1000", and far out as "1e-5" or "1e6".
std::string PlainDecadeLabel(int exponent) {
    if (exponent < -2 || exponent > 4) return "1e" + std::to_string(exponent);
    return Fixed(std::pow(10.0, exponent), exponent < 0 ? -exponent : 0);
}

// The textbook quicksort's comparisons on random data, 2 n ln n, per n log2 n.
const double kRandomQuicksort = 2 * std::log(2.0);

const Quantity kTimePerElement = {"Median time per element against size", "", NsPerElement, Unfinished,
                                  DecadeLabel, 0, NsPerElementText};
const Quantity kComparisonsPerNLog2N = {
    "Comparisons / (n log2 n) against size",
    "dotted: 2 ln 2 = 1.39, a quicksort's comparisons on random data; a line that climbs a decade per decade "
    "of size is quadratic. ",
    ComparisonsPerNLog2N, NotCountedWhy<OperationFigures, Operations>, PlainDecadeLabel, kRandomQuicksort, ComparisonsText};
const Quantity kBranchMissesPerElement = {
    "Mispredicted branches per element against size",
    "counted by callgrind on each cell's first draw; ", BranchMissesPerElement,
    NotCountedWhy<MachineFigures, Machine>, PlainDecadeLabel,
    0, BranchMissesText};

std::string SizeLabel(double count) {
    const double exponent = std::log10(count);
    return std::fabs(exponent - std::round(exponent)) < 1e-9 ? "1e" + Fixed(exponent, 0) : Fixed(count, 0);
}

// What every panel of a chart draws with: the scales all panels share, and
// one series per contender.
struct Chart {
    const Report& report;
    const Quantity& quantity;
    LogScale sizes;
    LogScale times;
    std::vector<const Contender*> series;
};

// One panel: its shape and element type, and the chart's scales moved to
// its place.
struct Panel {
    const std::string& pattern;
    ElementType type;
    LogScale x;
    LogScale y;
};

Panel PanelAt(const Chart& chart, const std::string& pattern, ElementType type, double left, double top) {
    Panel panel{pattern, type, chart.sizes, chart.times};
    panel.x.from += left;
    panel.x.to += left;
    panel.y.from += top;
    panel.y.to += top;
    return panel;
}

// The panel's frame, its grid with the quantity's labels, its guide and its sizes.
void WriteFrame(std::ostream& out, const Chart& chart, const Panel& panel) {
    const LogScale &x = panel.x, &y = panel.y;
    out << "<rect" << Role("frame") << " x=\"" << Fixed(x.from, 1) << "\" y=\"" << Fixed(y.to, 1) << "\" width=\""
        << Fixed(x.to - x.from, 1) << "\" height=\"" << Fixed(y.from - y.to, 1) << "\"/>\n";
    // Every decade, or every second, fifth... when they are many.
    const double stride = std::ceil((chart.times.high - chart.times.low) / kMostGridLines);
    for (double decade = chart.times.low; decade <= chart.times.high; decade += stride) {
        const double at = y.AtDecade(decade);
        out << Line(x.from, at, x.to, at, "grid")
            << Text(x.from - 4, at + 4, "end", chart.quantity.label(static_cast<int>(decade)));
    }
    const double guide = chart.quantity.guide;
    if (guide > 0 && std::log10(guide) >= chart.times.low && std::log10(guide) <= chart.times.high)
        out << Line(x.from, y(guide), x.to, y(guide), "guide");
    for (const std::int32_t count : chart.report.counts) out << Text(x(count), y.from + 16, "middle", SizeLabel(count));
}

// Series k in the panel: a dot per figure joined by a line, a cross with
// its reason where a cell has none.
void WriteSeries(std::ostream& out, const Chart& chart, const Panel& panel, std::size_t k) {
    const LogScale &x = panel.x, &y = panel.y;
    const Contender& contender = *chart.series[k];
    const char* colour = ContenderColour(chart.report, contender.name);
    std::string points;
    for (const Measurement& row : chart.report.rows) {
        if (row.pattern != panel.pattern || row.type != panel.type || row.contender.name != contender.name) continue;
        const std::optional<double> value = chart.quantity.value(chart.report, row);
        if (value) {
            const std::string px = Fixed(x(row.count), 1), py = Fixed(y(*value), 1);
            points += px + ',' + py + ' ';
            // A dot as well, so that a series measured at one size only still shows.
            out << "<circle" << Role("point") << MarkAttributes(row) << " cx=\"" << px << "\" cy=\"" << py
                << "\" r=\"2.2\" fill=\"" << colour << "\"><title>"
                << EscapedXml(MarkOf(chart.report, row, chart.quantity.tooltip(*value)).title) << "</title></circle>\n";
            continue;
        }
        // A cross per series, stacked down from the top, so crosses at one size stay apart.
        const double cx = x(row.count);
        const double cy = y.to + kCrossStep * static_cast<double>(k + 1);
        out << "<path" << Role("unfinished") << MarkAttributes(row) << " d=\"M" << Fixed(cx - 3, 1) << ','
            << Fixed(cy - 3, 1) << " l6,6 m0,-6 l-6,6\" stroke=\"" << colour << "\"><title>"
            << EscapedXml(MarkOf(chart.report, row, chart.quantity.why(chart.report, row)).title)
            << "</title></path>\n";
    }
    if (points.empty()) return;
    points.pop_back();
    // A line joins every size: choosing one size hides it, and leaves that size's dots.
    out << "<polyline" << Role(std::string("series ") + (contender.reference ? "reference" : "routine"))
        << " data-name=\"" << EscapedXml(contender.name) << '"'
        << MarkAttributes(contender.name, panel.pattern, "every", ElementTypeName(panel.type)) << " points=\""
        << points << "\" fill=\"none\" stroke=\"" << colour << '"'
        << (contender.reference ? " stroke-dasharray=\"6 4\"" : "") << "/>\n";
}

void WritePanel(std::ostream& out, const Chart& chart, const std::string& pattern, ElementType type, double left,
                double top) {
    const Panel panel = PanelAt(chart, pattern, type, left, top);
    const std::string title = pattern + (HasTypes(chart.report) ? std::string(", ") + ElementTypeName(type) : "");
    out << "<g" << Role("panel") << " data-pattern=\"" << EscapedXml(pattern) << "\" data-type=\""
        << ElementTypeName(type) << "\">\n"
        << Text(left + kPlotLeft, top + 18, "start", title);
    WriteFrame(out, chart, panel);
    for (std::size_t k = 0; k < chart.series.size(); ++k) WriteSeries(out, chart, panel, k);
    out << "</g>\n";
}

void WriteQuantityChart(std::ostream& out, const Report& report, const Quantity& quantity) {
    double smallest = quantity.guide, largest = quantity.guide;
    for (const Measurement& row : report.rows) {
        const std::optional<double> value = quantity.value(report, row);
        if (!value) continue;
        smallest = smallest > 0 ? std::min(smallest, *value) : *value;
        largest = std::max(largest, *value);
    }
    if (smallest <= 0) smallest = largest = 1;
    const std::vector<const Contender*> series = ContendersOf(report);
    const std::size_t panels = report.types.size() * report.patterns.size();
    const int panelRows = static_cast<int>((panels + kColumns - 1) / kColumns);
    const int width = kColumns * kPanelWidth + 24;
    const std::vector<std::string> header = Wrapped(
        std::string("Log scales; references dashed; a cross marks a cell without a figure, its reason in the "
                    "cross's tooltip; ") + quantity.guideNote + SettingsLine(report),
        kHeaderColumns);
    const int top = 48 + 14 * static_cast<int>(header.size());
    const int legendHeight = LegendHeight(report, kLegendColumns);
    const int height = top + legendHeight + panelRows * kPanelHeight + 16;
    const LogScale sizes = Decades(report.counts.front(), report.counts.back(), kPlotLeft, kPanelWidth - kPlotRight);
    const LogScale times = Decades(smallest, largest, kPanelHeight - kPlotBottom, kPlotTop);
    const Chart chart{report, quantity, sizes, times, series};

    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height
        << "\" viewBox=\"0 0 " << width << ' ' << height << "\" font-family=\"sans-serif\" font-size=\"11\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
        << "<text x=\"12\" y=\"22\" font-size=\"16\" font-weight=\"bold\">" << quantity.title << "</text>\n";
    for (std::size_t k = 0; k < header.size(); ++k) out << Text(12, 40 + 14 * static_cast<double>(k), "start", header[k]);
    WriteLegend(out, report, top, kLegendColumns, kLegendWidth);
    for (std::size_t p = 0; p < panels; ++p) {
        const double left = 12 + static_cast<double>(p % kColumns) * kPanelWidth;
        const double panelTop = top + legendHeight + static_cast<double>(p / kColumns) * kPanelHeight;
        const std::size_t pattern = p % report.patterns.size();
        WritePanel(out, chart, report.patterns[pattern], report.types[p / report.patterns.size()], left, panelTop);
    }
    out << "</svg>\n";
}

}  // namespace

void WriteScalingChart(std::ostream& out, const Report& report) {
    WriteQuantityChart(out, report, kTimePerElement);
}

void WriteOperationsChart(std::ostream& out, const Report& report) {
    WriteQuantityChart(out, report, kComparisonsPerNLog2N);
}

void WriteBranchMissesChart(std::ostream& out, const Report& report) {
    WriteQuantityChart(out, report, kBranchMissesPerElement);
}

void WriteMatrixChart(std::ostream& out, const Report& report) {
    if (report.counts.size() > 1 && report.settings.machineCounts)
        WriteBranchMissesChart(out, report);
    else if (report.counts.size() > 1 && report.settings.operations)
        WriteOperationsChart(out, report);
    else if (report.counts.size() > 1)
        WriteScalingChart(out, report);
    else
        WriteShapeBarChart(out, report);
}
