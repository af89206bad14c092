// A horizontal bar chart of the medians: one bar per row with figures,
// whiskers from min to max, references in their own colour.
#include <algorithm>

#include "bench/report/format.h"
#include "bench/report/svg_parts.h"
#include "bench/report/writers.h"

namespace {

using namespace svg;

constexpr int kRowHeight = 30;
constexpr int kBarHeight = 16;
constexpr char kRoutineColour[] = "#3b6fb6";
constexpr char kReferenceColour[] = "#e07b24";

void WriteBar(std::ostream& out, const Report& report, const Measurement& row, const Summary& s, const Axis& axis,
              double y) {
    const double middle = y + kRowHeight / 2.0;
    const double top = middle - kBarHeight / 2.0;
    const std::string kind = row.contender.reference ? "reference" : "routine";
    out << "<rect" << Role("bar " + kind) << " x=\"" << kLabelWidth << "\" y=\"" << Fixed(top, 1)
        << "\" width=\"" << Fixed(axis.X(s.median) - kLabelWidth, 1) << "\" height=\"" << kBarHeight
        << "\" fill=\"" << (row.contender.reference ? kReferenceColour : kRoutineColour)
        << "\"><title>" << EscapedXml(row.contender.name)
        << (IsMatrix(report) ? " (" + EscapedXml(CellHeading(report, row.pattern, row.count, row.type)) + ")" : "")
        << ": median " << Duration(s.median)
        << "</title></rect>\n";
    const double high = axis.X(s.max);
    out << Whisker(axis.X(s.min), high, top, kBarHeight) << Text(high + 6, middle + 4, "start", Duration(s.median));
}

}  // namespace

void WriteSvgChart(std::ostream& out, const Report& report) {
    double largest = 0;
    for (const Measurement& row : report.rows) largest = std::max(largest, Figures(report, row).summary.max);
    const Axis axis = AxisOver(largest);
    const std::string subtitle = SettingsLine(report);
    const int top = BodyTop(subtitle);
    const double bottom = top + kRowHeight * static_cast<double>(report.rows.size());
    const int height = static_cast<int>(bottom) + 48;

    WriteStart(out, height, "Median sort time, whiskers from min to max", subtitle);
    WriteGrid(out, axis, top, bottom);
    double y = top;
    for (const Measurement& row : report.rows) {
        const RowFigures figures = Figures(report, row);
        const std::string label = row.contender.name + (row.contender.reference ? " (reference)" : "") +
                                  (HasTypes(report) ? std::string(", ") + ElementTypeName(row.type) : "");
        out << Text(kLabelWidth - 8, y + kRowHeight / 2.0 + 4, "end", label);
        if (figures.failed)
            out << Text(kLabelWidth + 6, y + kRowHeight / 2.0 + 4, "start", FailureText(report, row));
        else
            WriteBar(out, report, row, figures.summary, axis, y);
        y += kRowHeight;
    }
    out << "</svg>\n";
}
