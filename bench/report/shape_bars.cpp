// The bars of a matrix at one size: a panel per shape (and type), each
// naming its cell, a bar per contender in its colour from the legend,
// whiskers over the 95 % interval of the median, and where a contender has
// no figure a cross and its reason. Each panel has its own millisecond
// axis: the shapes' times may lie decades apart.
#include <algorithm>

#include "bench/report/columns.h"
#include "bench/report/format.h"
#include "bench/report/marks.h"
#include "bench/report/svg_parts.h"
#include "bench/report/writers.h"

namespace {

using namespace svg;

constexpr int kFontSize = 11;
constexpr int kNameWidth = 190;    // room for a label left of the bars, inside a panel
constexpr int kValueWidth = 64;    // room for the median right of the longest bar
constexpr int kPanelHead = 26;     // room for the cell's name
constexpr int kPanelFoot = 52;     // room for the axis's labels and name
constexpr int kRowHeight = 18;
constexpr int kBarHeight = 12;
constexpr int kLegendColumns = 3;
constexpr int kLegendWidth = 296;
constexpr double kCharacterWidth = 0.6 * kFontSize;  // a generous average, in pixels

struct Cell {
    const std::string& pattern;
    ElementType type;
};

std::vector<Cell> CellsOf(const Report& report) {
    std::vector<Cell> cells;
    for (const ElementType type : report.types)
        for (const std::string& pattern : report.patterns)
            if (!CellRows(report, pattern, report.counts.front(), type).empty()) cells.push_back({pattern, type});
    return cells;
}

// A contender's bar in a panel at top, or its cross and reason.
void WriteBar(std::ostream& out, const Report& report, const Measurement& row, const RowMark& mark, const Axis& axis,
              double top) {
    const double middle = top + kRowHeight / 2.0;
    const std::string title = "<title>" + EscapedXml(mark.title) + "</title>";
    const char* colour = ContenderColour(report, row.contender.name);
    out << Label(axis.left - 6, middle + 4, "end", row.contender.name);
    const std::optional<Interval>& interval = mark.interval;
    if (!interval) {
        out << "<path" << Role("unfinished") << MarkAttributes(row) << " d=\"M" << Fixed(axis.left, 1) << ','
            << Fixed(middle - 4, 1) << " l8,8 m0,-8 l-8,8\" stroke=\"" << colour << "\">" << title << "</path>\n";
        const auto room = static_cast<std::size_t>((axis.width + kValueWidth - 14) / kCharacterWidth);
        out << Text(axis.left + 12, middle + 4, "start", Shortened(Unfinished(report, row), room));
        return;
    }
    const double median = Figures(report, row).summary.median, bar = middle - kBarHeight / 2.0;
    out << "<rect" << Role(std::string("bar ") + (row.contender.reference ? "reference" : "routine"))
        << MarkAttributes(row) << " x=\"" << Fixed(axis.left, 1) << "\" y=\"" << Fixed(bar, 1) << "\" width=\""
        << Fixed(axis.X(median) - axis.left, 1) << "\" height=\"" << kBarHeight << "\" fill=\"" << colour << '"'
        << (row.contender.reference ? " stroke=\"#222\" stroke-dasharray=\"3 2\"" : "") << '>' << title << "</rect>\n";
    const double high = axis.X(interval->high);
    out << Whisker(axis.X(interval->low), high, bar, kBarHeight)
        << Text(high + 4, middle + 4, "start", Duration(median));
}

void WritePanel(std::ostream& out, const Report& report, const Cell& cell, double left, double width, double top) {
    const std::int32_t count = report.counts.front();
    const std::vector<const Measurement*> rows = CellRows(report, cell.pattern, count, cell.type);
    std::vector<RowMark> marks;
    double largest = 0;
    for (const Measurement* row : rows) {
        marks.push_back(MarkOf(report, *row));
        if (marks.back().interval) largest = std::max(largest, marks.back().interval->high);
    }
    const Axis axis = AxisOver(largest, left + kNameWidth, width - kNameWidth - kValueWidth);
    const double body = top + kPanelHead, bottom = body + kRowHeight * static_cast<double>(rows.size());
    out << "<g" << Role("panel") << " data-pattern=\"" << EscapedXml(cell.pattern) << "\" data-count=\"" << count
        << "\" data-type=\"" << ElementTypeName(cell.type) << "\">\n"
        << "<text x=\"" << Fixed(left, 1) << "\" y=\"" << Fixed(top + 16, 1) << "\" font-weight=\"bold\">"
        << EscapedXml(Shortened(CellHeading(report, cell.pattern, count, cell.type), 60)) << "</text>\n";
    WriteGrid(out, axis, body, bottom);
    for (std::size_t k = 0; k < rows.size(); ++k)
        WriteBar(out, report, *rows[k], marks[k], axis, body + kRowHeight * static_cast<double>(k));
    out << "</g>\n";
}

}  // namespace

void WriteShapeBarChart(std::ostream& out, const Report& report) {
    const std::vector<Cell> cells = CellsOf(report);
    std::size_t most = 0;
    for (const Cell& cell : cells) most = std::max(most, CellRows(report, cell.pattern, report.counts.front(), cell.type).size());
    const std::size_t columns = cells.size() > 1 ? 2 : 1;
    const double width = (kWidth - 24.0) / static_cast<double>(columns);
    const int panelHeight = kPanelHead + kRowHeight * static_cast<int>(most) + kPanelFoot;
    const std::string subtitle = "A panel per shape, each with its own axis; whiskers: the 95% interval of the median; "
                                 "references outlined dashed; a cross marks a contender without a figure. " +
                                 SettingsLine(report);
    const int top = BodyTop(subtitle);
    const int legend = LegendHeight(report, kLegendColumns);
    const int rows = static_cast<int>((cells.size() + columns - 1) / columns);
    WriteStart(out, top + legend + rows * panelHeight + 8, "Median sort time by shape", subtitle, kFontSize);
    WriteLegend(out, report, top, kLegendColumns, kLegendWidth);
    for (std::size_t k = 0; k < cells.size(); ++k)
        WritePanel(out, report, cells[k], 12 + width * static_cast<double>(k % columns), width,
                   top + legend + panelHeight * static_cast<double>(k / columns));
    out << "</svg>\n";
}
