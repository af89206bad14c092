#include "bench/report/marks.h"

#include <algorithm>

#include "bench/report/format.h"
#include "bench/report/svg_parts.h"

namespace {

// Colours told apart in print and by most colour-blind readers; past the
// sixteenth contender they come round again.
const char* const kPalette[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#8c564b", "#e377c2",
                                "#7f7f7f", "#bcbd22", "#17becf", "#ff7f0e", "#393b79", "#637939",
                                "#843c39", "#7b4173", "#3182bd", "#e6550d"};

constexpr int kLegendRow = 20;

}  // namespace

std::vector<const Contender*> ContendersOf(const Report& report) {
    std::vector<const Contender*> contenders;
    for (const Measurement& row : report.rows)
        if (std::none_of(contenders.begin(), contenders.end(),
                         [&](const Contender* c) { return c->name == row.contender.name; }))
            contenders.push_back(&row.contender);
    return contenders;
}

const char* ContenderColour(const Report& report, const std::string& name) {
    const std::vector<const Contender*> contenders = ContendersOf(report);
    const auto found = std::find_if(contenders.begin(), contenders.end(),
                                    [&](const Contender* c) { return c->name == name; });
    return kPalette[static_cast<std::size_t>(found - contenders.begin()) % std::size(kPalette)];
}

std::string Shortened(const std::string& text, std::size_t characters) {
    const std::string shown = Printable(text);
    if (characters == 0 || Characters(shown) <= characters) return shown;
    // The bytes of the first characters - 1 characters: a character starts
    // at every byte that is not a continuation byte.
    std::size_t end = 0;
    for (std::size_t kept = 0; end < shown.size(); ++end)
        if ((static_cast<unsigned char>(shown[end]) & 0xC0) != 0x80 && kept++ == characters - 1) break;
    return shown.substr(0, end) + "\u2026";
}

std::string Label(double x, double y, const std::string& anchor, const std::string& name) {
    const std::string shown = Shortened(name);
    std::string text = svg::Text(x, y, anchor, shown);
    if (shown != Printable(name)) text.insert(text.rfind("</text>"), "<title>" + EscapedXml(name) + "</title>");
    return text;
}

std::string MarkAttributes(const Measurement& row) {
    return MarkAttributes(row.contender.name, row.pattern, std::to_string(row.count), ElementTypeName(row.type));
}

std::string MarkAttributes(const std::string& contender, const std::string& pattern, const std::string& count,
                           const std::string& type) {
    return " data-contender=\"" + EscapedXml(contender) + "\" data-pattern=\"" + EscapedXml(pattern) +
           "\" data-count=\"" + EscapedXml(count) + "\" data-type=\"" + EscapedXml(type) + '"';
}

RowMark MarkOf(const Report& report, const Measurement& row, const std::string& figure) {
    RowMark mark;
    const RowFigures figures = Figures(report, row);
    std::string median;
    if (!figures.failed && !row.times.empty()) {
        const double resamples = kTooltipResampledValues / static_cast<double>(ResampleSize(row.times.size()));
        mark.interval = BootstrapMedianInterval(
            row.times, static_cast<int>(std::clamp(resamples, double{kFewestResamples}, double{kBootstrapResamples})));
        median = "median " + Duration(figures.summary.median) + " (95% interval " + Duration(mark.interval->low) +
                 " to " + Duration(mark.interval->high) + ")";
    }
    mark.title = row.contender.name + ", " + CellHeading(report, row.pattern, row.count, row.type) + ": ";
    if (figure.empty())
        mark.title += median.empty() ? Unfinished(report, row) : median;
    else
        mark.title += figure + (median.empty() ? "" : "; " + median);
    return mark;
}

int LegendHeight(const Report& report, int columns) {
    const std::size_t entries = ContendersOf(report).size(), across = static_cast<std::size_t>(columns);
    return kLegendRow * static_cast<int>((entries + across - 1) / across);
}

void WriteLegend(std::ostream& out, const Report& report, double top, int columns, int columnWidth) {
    const std::vector<const Contender*> contenders = ContendersOf(report);
    for (std::size_t k = 0; k < contenders.size(); ++k) {
        const double x = 12 + static_cast<double>(k % static_cast<std::size_t>(columns)) * columnWidth;
        const double y = top + static_cast<double>(k / static_cast<std::size_t>(columns)) * kLegendRow;
        const Contender& contender = *contenders[k];
        out << "<g data-contender=\"" << EscapedXml(contender.name) << "\"><line" << svg::Role("legend") << " x1=\""
            << Fixed(x, 1) << "\" y1=\"" << Fixed(y - 4, 1) << "\" x2=\"" << Fixed(x + 28, 1) << "\" y2=\""
            << Fixed(y - 4, 1) << "\" stroke=\"" << ContenderColour(report, contender.name) << '"'
            << (contender.reference ? " stroke-dasharray=\"6 4\"" : "") << "/>\n"
            << Label(x + 34, y, "start", contender.name) << "</g>\n";
    }
}
