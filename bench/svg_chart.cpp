// A horizontal bar chart of the medians: one bar per row with figures,
// whiskers from min to max, references in their own colour.
#include <algorithm>
#include <cmath>

#include "bench/report.h"

namespace {

constexpr int kWidth = 900;
constexpr int kLabelWidth = 260;   // room for the longest caption left of the bars
constexpr int kPlotWidth = 540;
constexpr int kTop = 64;
constexpr int kRowHeight = 30;
constexpr int kBarHeight = 16;
constexpr char kRoutineColour[] = "#3b6fb6";
constexpr char kReferenceColour[] = "#e07b24";

// A round step (1, 2 or 5 times a power of ten) giving at most about six
// grid lines up to limit.
double GridStep(double limit) {
    const double rough = limit / 6;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0})
        if (factor * power >= rough) return factor * power;
    return 10 * power;
}

std::string Text(double x, double y, const std::string& anchor, const std::string& text) {
    return "<text x=\"" + Fixed(x, 1) + "\" y=\"" + Fixed(y, 1) + "\" text-anchor=\"" + anchor +
           "\">" + EscapedXml(text) + "</text>\n";
}

std::string Line(double x1, double y1, double x2, double y2, const std::string& cls) {
    return "<line class=\"" + cls + "\" x1=\"" + Fixed(x1, 1) + "\" y1=\"" + Fixed(y1, 1) +
           "\" x2=\"" + Fixed(x2, 1) + "\" y2=\"" + Fixed(y2, 1) + "\"/>\n";
}

void WriteGrid(std::ostream& out, double limit, double scale, double bottom) {
    const double step = GridStep(limit);
    for (double value = 0; value <= limit + step / 2; value += step) {
        const double x = kLabelWidth + value * scale;
        out << Line(x, kTop - 6, x, bottom, "grid") << Text(x, bottom + 16, "middle", Fixed(value, 0));
    }
    out << Text(kLabelWidth + kPlotWidth / 2.0, bottom + 34, "middle", "milliseconds");
}

void WriteBar(std::ostream& out, const Measurement& row, const Summary& s, double scale, double y) {
    const double middle = y + kRowHeight / 2.0;
    const double top = middle - kBarHeight / 2.0;
    const std::string kind = row.contender.reference ? "reference" : "routine";
    out << "<rect class=\"bar " << kind << "\" x=\"" << kLabelWidth << "\" y=\"" << Fixed(top, 1)
        << "\" width=\"" << Fixed(s.median * scale, 1) << "\" height=\"" << kBarHeight
        << "\" fill=\"" << (row.contender.reference ? kReferenceColour : kRoutineColour)
        << "\"><title>" << EscapedXml(row.contender.name) << ": median " << Fixed(s.median, 1)
        << " ms</title></rect>\n";
    const double low = kLabelWidth + s.min * scale;
    const double high = kLabelWidth + s.max * scale;
    out << Line(low, middle, high, middle, "whisker") << Line(low, top + 3, low, top + kBarHeight - 3, "whisker")
        << Line(high, top + 3, high, top + kBarHeight - 3, "whisker")
        << Text(high + 6, middle + 4, "start", Fixed(s.median, 1));
}

}  // namespace

void WriteSvgChart(std::ostream& out, const Report& report) {
    double limit = 0;
    for (const Measurement& row : report.rows) limit = std::max(limit, Figures(report, row).summary.max);
    if (limit <= 0) limit = 1;
    limit = std::ceil(limit / GridStep(limit)) * GridStep(limit);
    const double scale = kPlotWidth / limit;
    const double bottom = kTop + kRowHeight * static_cast<double>(report.rows.size());
    const int height = static_cast<int>(bottom) + 48;

    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\"" << height
        << "\" viewBox=\"0 0 " << kWidth << ' ' << height << "\" font-family=\"sans-serif\" font-size=\"13\">\n"
        << "<style>.grid{stroke:#ddd}.whisker{stroke:#222;stroke-width:1.5}</style>\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
        << "<text x=\"12\" y=\"22\" font-size=\"16\" font-weight=\"bold\">Median sort time, whiskers from min to max</text>\n"
        << Text(12, 42, "start", SettingsLine(report));
    WriteGrid(out, limit, scale, bottom);
    double y = kTop;
    for (const Measurement& row : report.rows) {
        const RowFigures figures = Figures(report, row);
        const std::string label = row.contender.name + (row.contender.reference ? " (reference)" : "");
        out << Text(kLabelWidth - 8, y + kRowHeight / 2.0 + 4, "end", label);
        if (figures.failed)
            out << Text(kLabelWidth + 6, y + kRowHeight / 2.0 + 4, "start",
                        "order check failed at slot " + std::to_string(row.failedSlot));
        else
            WriteBar(out, row, figures.summary, scale, y);
        y += kRowHeight;
    }
    out << "</svg>\n";
}
