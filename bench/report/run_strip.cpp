// Every run of a cell's rows on one log axis: a dot per run, the median
// as a dark tick and its 95 % interval as a band, a row per contender in
// its colour. A page holds at most kPageDots dots: a report of many runs
// draws each row's runs evenly spaced through their order, and says so.
#include <algorithm>
#include <cmath>
#include <numeric>

#include "bench/report/format.h"
#include "bench/report/marks.h"
#include "bench/report/svg_parts.h"
#include "bench/report/writers.h"

namespace {

using svg::Text;

constexpr double kWidth = 900;
constexpr double kPlotLeft = 210;
constexpr double kPlotRight = 880;
constexpr double kHead = 22;       // room for the line that says what is drawn
constexpr double kRowHeight = 16;
constexpr double kFoot = 22;       // room for the axis's labels
constexpr std::size_t kPageDots = 6000;
constexpr std::size_t kFewestDots = 50;  // a row draws at least these many, whatever the page's share
constexpr int kTicks = 5;

// The log axis over the cell's runs, a little wider than they lie.
struct StripScale {
    double low, high;
    double X(double ms) const {
        const double at = (std::log10(std::max(ms, low)) - std::log10(low)) / (std::log10(high) - std::log10(low));
        return kPlotLeft + std::clamp(at, 0.0, 1.0) * (kPlotRight - kPlotLeft);
    }
};

StripScale ScaleOver(const std::vector<const Measurement*>& rows) {
    double low = 0, high = 0;
    for (const Measurement* row : rows)
        for (const double ms : row->times)
            if (ms > 0) {
                low = low > 0 ? std::min(low, ms) : ms;
                high = std::max(high, ms);
            }
    if (!(low > 0)) return {1, 10};
    return {low / 1.05, std::max(high * 1.05, low * 1.2)};
}

// The runs a row draws: all, or limit of them evenly spaced through their
// order, as indices into times.
std::vector<std::size_t> DrawnRuns(const std::vector<double>& times, std::size_t limit) {
    std::vector<std::size_t> order(times.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    if (times.size() <= limit) return order;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return times[a] < times[b]; });
    std::vector<std::size_t> drawn;
    for (std::size_t k = 0; k < limit; ++k)
        drawn.push_back(order[(k * (times.size() - 1) + (limit - 1) / 2) / (limit - 1)]);
    return drawn;
}

std::size_t DotsPerRow(const Report& report) {
    return std::max(kFewestDots, kPageDots / std::max<std::size_t>(1, report.rows.size()));
}

void WriteRow(std::ostream& out, const Report& report, const Measurement& row, const StripScale& scale, double top) {
    const double middle = top + kRowHeight / 2;
    const char* colour = ContenderColour(report, row.contender.name);
    out << "<g data-role=\"strip\" data-contender=\"" << EscapedXml(row.contender.name) << "\">\n"
        << Label(kPlotLeft - 10, middle + 4, "end", row.contender.name);
    const RowMark mark = MarkOf(report, row);
    const std::optional<Interval>& interval = mark.interval;
    if (!interval) {
        out << Text(kPlotLeft, middle + 4, "start", Shortened(Unfinished(report, row), 100)) << "</g>\n";
        return;
    }
    const std::string title = "<title>" + EscapedXml(mark.title) + "</title>";
    const double median = scale.X(Figures(report, row).summary.median);
    // The median and its band share one tooltip, written once.
    out << "<g>" << title << "<rect data-role=\"interval\" x=\"" << Fixed(scale.X(interval->low), 1) << "\" y=\""
        << Fixed(top + 1, 1) << "\" width=\"" << Fixed(std::max(1.0, scale.X(interval->high) - scale.X(interval->low)), 1)
        << "\" height=\"" << kRowHeight - 2 << "\" fill=\"" << colour << "\" fill-opacity=\"0.2\"/>"
        << "<line data-role=\"median\" x1=\"" << Fixed(median, 1) << "\" y1=\"" << Fixed(top + 1, 1) << "\" x2=\""
        << Fixed(median, 1) << "\" y2=\"" << Fixed(top + kRowHeight - 1, 1)
        << "\" stroke=\"#222\" stroke-width=\"2\"/></g>\n<g data-role=\"runs\" data-contender=\""
        << EscapedXml(row.contender.name) << "\" fill=\"" << colour << "\" fill-opacity=\"0.7\">";
    const std::vector<std::size_t> drawn = DrawnRuns(row.times, DotsPerRow(report));
    for (std::size_t k = 0; k < drawn.size(); ++k) {
        const double ms = row.times[drawn[k]];
        // Alternately above, on and below the middle, so that runs of one time stay apart.
        out << "<circle cx=\"" << Fixed(scale.X(ms), 1) << "\" cy=\"" << Fixed(middle + 2.5 * (static_cast<double>(k % 3) - 1), 1)
            << "\" r=\"2.2\"><title>run " << drawn[k] + 1 << ": " << Duration(ms) << "</title></circle>";
    }
    out << "</g>\n</g>\n";
}

std::string Heading(const Report& report, const std::vector<const Measurement*>& rows) {
    std::size_t most = 0;
    for (const Measurement* row : rows) most = std::max(most, row->times.size());
    const std::size_t limit = DotsPerRow(report);
    const std::string dots = most <= limit ? "every run a dot"
                                           : "a dot for " + std::to_string(limit) + " runs of each row, evenly "
                                             "spaced through their order (a row has up to " +
                                                 std::to_string(most) + ")";
    return "Runs, " + dots + ", on a log scale; dark tick: the median; band: its 95% interval";
}

void WriteAxis(std::ostream& out, const StripScale& scale, double bottom) {
    for (int k = 0; k < kTicks; ++k) {
        const double ms = scale.low * std::pow(scale.high / scale.low, k / (kTicks - 1.0));
        const double x = scale.X(ms);
        out << svg::Line(x, kHead, x, bottom, "grid")
            << Text(x, bottom + 14, k == 0 ? "start" : k == kTicks - 1 ? "end" : "middle", Duration(ms));
    }
}

}  // namespace

void WriteRunStrip(std::ostream& out, const Report& report, const std::vector<const Measurement*>& rows) {
    const StripScale scale = ScaleOver(rows);
    const double bottom = kHead + kRowHeight * static_cast<double>(rows.size());
    const std::string heading = Heading(report, rows);
    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\"" << bottom + kFoot
        << "\" viewBox=\"0 0 " << kWidth << ' ' << bottom + kFoot
        << "\" font-family=\"sans-serif\" font-size=\"11\" data-role=\"run-strip\">\n<title>" << EscapedXml(heading)
        << "</title>\n"
        << Text(12, 14, "start", heading);
    WriteAxis(out, scale, bottom);
    for (std::size_t k = 0; k < rows.size(); ++k)
        WriteRow(out, report, *rows[k], scale, kHead + kRowHeight * static_cast<double>(k));
    out << "</svg>\n";
}
