#include "bench/export/html.h"

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "bench/compare/comparison_report.h"
#include "bench/report/columns.h"
#include "bench/report/format.h"
#include "bench/report/summary.h"
#include "bench/report/writers.h"

namespace {

// Text and attribute values alike: EscapedXml writes &, <, > and " as
// entities and every control character as an escape, so no name read from
// a report opens a tag, ends an attribute or a script.
std::string Html(const std::string& text) { return EscapedXml(text); }

// default-src 'none' refuses every fetch: no network, no file, nothing but
// what the page holds. Past the doctype and the script the page is
// well-formed XML, which the tests hold it to.
constexpr char kHead[] = R"HTML(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8"/>
<meta http-equiv="Content-Security-Policy" content="default-src 'none'; style-src 'unsafe-inline'; script-src 'unsafe-inline'"/>
<meta name="viewport" content="width=device-width, initial-scale=1"/>
<title>orvandel-bench report</title>
<style>
[hidden] { display: none !important; }
body { font-family: sans-serif; margin: 1.5em; color: #1f2328; }
h1 { font-size: 1.5em; }
h2 { font-size: 1.25em; margin-top: 1.5em; }
h3 { font-size: 1em; margin: 1.2em 0 0.4em; }
table { border-collapse: collapse; margin-bottom: 0.5em; }
th, td { padding: 0.2em 0.6em; border-bottom: 1px solid #d0d7de; }
th { background: #f6f8fa; text-align: left; white-space: nowrap; }
td { text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }
td:first-child, td.text { text-align: left; }
tr.unfinished td { color: #bc4c00; text-align: left; }
table.context th { background: none; font-weight: normal; color: #57606a; }
table.context td { text-align: left; white-space: normal; }
th[data-column] { cursor: pointer; }
th[aria-sort="ascending"]::after { content: " \25b2"; }
th[aria-sort="descending"]::after { content: " \25bc"; }
#controls { position: sticky; top: 0; background: #fff; padding: 0.5em 0; border-bottom: 1px solid #d0d7de; }
#controls label { margin-right: 1em; }
figure { margin: 1em 0; overflow-x: auto; }
/* A chart keeps the size it was drawn at, and narrows with the window. */
figure svg, details.runs svg { display: block; max-width: 100%; height: auto; }
details.runs { margin: 0.2em 0 1em; }
details.runs summary { cursor: pointer; color: #57606a; }
.verdict-faster .change, .verdict-faster .verdict { color: #1a7f37; font-weight: bold; }
.verdict-slower .change, .verdict-slower .verdict { color: #cf222e; font-weight: bold; }
.verdict-no-significant-change .verdict { color: #57606a; }
.verdict-inconclusive .verdict { color: #9a6700; }
.verdict-sample-too-small .verdict { color: #8250df; }
.verdict-unfinished-on-a-side .verdict { color: #bc4c00; }
.verdict-only-in-baseline .verdict { color: #0969da; }
.verdict-only-in-current .verdict { color: #1b7c83; }
</style>
</head>
<body>
<h1>orvandel-bench report</h1>
)HTML";

// Sorting, filtering and the chart switch. It reads the page's attributes
// and text and sets hidden and aria-sort, nothing more: a name from a
// report never passes through it as markup.
constexpr char kScript[] = R"JS(<script>
(function () {
  "use strict";
  var all = function (selector) { return Array.prototype.slice.call(document.querySelectorAll(selector)); };
  var controls = document.getElementById("controls");
  if (controls) controls.hidden = false;

  // A cell's sort key: its data-v as a number where it is one, else its
  // text; an empty key (no figure) sorts last either way.
  function key(row, column) {
    if (column > 0 && row.classList.contains("unfinished")) return null;
    var cell = row.cells[column];
    var text = cell ? cell.getAttribute("data-v") : null;
    if (text === null || text === "" || text === "nan") return null;
    if (text === "inf") return Infinity;
    if (text === "-inf") return -Infinity;
    var number = Number(text);
    return isNaN(number) ? text : number;
  }
  function compare(a, b) {
    if (typeof a === "number" && typeof b === "number") return a - b;
    return String(a).localeCompare(String(b));
  }
  // A click on a heading orders every table of its group by that column;
  // a second click reverses the order. Rows without a key stay last.
  function sortBy(group, column) {
    var heading = document.querySelector("table[data-group='" + group + "'] th[data-column='" + column + "']");
    var descending = heading.getAttribute("aria-sort") === "ascending";
    all("table[data-group='" + group + "']").forEach(function (table) {
      var body = table.tBodies[0];
      var rows = Array.prototype.slice.call(body.rows);
      rows.sort(function (a, b) {
        var ka = key(a, column), kb = key(b, column);
        if (ka === null || kb === null) {
          if (ka !== kb) return ka === null ? 1 : -1;
        } else {
          var order = compare(ka, kb);
          if (order !== 0) return descending ? -order : order;
        }
        return Number(a.getAttribute("data-order")) - Number(b.getAttribute("data-order"));
      });
      rows.forEach(function (row) { body.appendChild(row); });
      all("table[data-group='" + group + "'] th[data-column]").forEach(function (th) {
        var mine = th.getAttribute("data-column") === String(column);
        th.setAttribute("aria-sort", mine ? (descending ? "descending" : "ascending") : "none");
      });
    });
  }
  all("th[data-column]").forEach(function (th) {
    th.addEventListener("click", function () {
      sortBy(th.closest("table").getAttribute("data-group"), Number(th.getAttribute("data-column")));
    });
  });

  // Filters: an element that names a shape, size, type or contender other
  // than the chosen one is hidden.
  var filters = [["filter-shape", "data-pattern"], ["filter-size", "data-count"], ["filter-type", "data-type"],
                 ["filter-contender", "data-contender"]];
  function applyFilters() {
    all("[data-pattern], [data-contender]").forEach(function (element) {
      // The attribute, which the style hides, rather than the property an
      // SVG panel does not have.
      element.toggleAttribute("hidden", filters.some(function (filter) {
        var chosen = document.getElementById(filter[0]);
        var value = element.getAttribute(filter[1]);
        return chosen && chosen.value !== "" && value !== null && value !== chosen.value;
      }));
    });
  }
  filters.forEach(function (filter) {
    var select = document.getElementById(filter[0]);
    if (select) select.addEventListener("change", applyFilters);
  });

  // The chart switch: one of the figures it names at a time, time first;
  // the others (the comparison's) always show.
  var switches = all("input[name='chart']");
  var switched = switches.map(function (input) { return input.value; });
  function showChart(quantity) {
    all("figure[data-chart]").forEach(function (figure) {
      var kind = figure.getAttribute("data-chart");
      if (switched.indexOf(kind) >= 0) figure.hidden = kind !== quantity;
    });
  }
  switches.forEach(function (input) {
    input.addEventListener("change", function () { if (input.checked) showChart(input.value); });
  });
  if (switches.length) showChart("time");
})();
</script>
)JS";

// What write draws, inline: without its XML declaration.
std::string InlineSvg(const std::function<void(std::ostream&)>& write) {
    std::ostringstream svg;
    write(svg);
    std::string text = svg.str();
    if (text.rfind("<?xml", 0) == 0) text.erase(0, text.find('\n') + 1);
    return text;
}

void WriteFigure(std::ostream& out, const char* kind, const std::function<void(std::ostream&)>& write) {
    out << "<figure data-chart=\"" << kind << "\">\n" << InlineSvg(write) << "</figure>\n";
}

void WriteContext(std::ostream& out, const Report& report) {
    const SystemInfo& s = report.system;
    out << "<p class=\"settings\">" << Html(SettingsLine(report)) << "</p>\n<table class=\"context\">\n";
    const std::pair<const char*, std::string> rows[] = {
        {"processor", s.cpu},
        {"logical processors", s.cores > 0 ? std::to_string(s.cores) : "unknown"},
        {"memory", s.memoryBytes > 0 ? Fixed(static_cast<double>(s.memoryBytes) / (1u << 30), 1) + " GiB" : "unknown"},
        {"system", s.os},
        {"compiler", s.compiler},
        {"flags", s.flags},
    };
    for (const auto& [name, value] : rows)
        out << "<tr><th>" << name << "</th><td>" << Html(value) << "</td></tr>\n";
    out << "</table>\n";
    for (const std::string& note : report.notes) out << "<p class=\"note\">" << Html(note) << "</p>\n";
}

// One select of the filter bar: every value, and "all".
void WriteSelect(std::ostream& out, const char* id, const char* label, const std::vector<std::string>& values) {
    out << "<label>" << label << " <select id=\"" << id << "\"><option value=\"\">all</option>";
    for (const std::string& value : values) out << "<option value=\"" << Html(value) << "\">" << Html(value) << "</option>";
    out << "</select></label>\n";
}

template <typename T>
void AddOnce(std::vector<std::string>& values, const T& value) {
    if (std::find(values.begin(), values.end(), value) == values.end()) values.push_back(value);
}

// The charts of a matrix, each with its value in the chart switch: time,
// and with several sizes the counted comparisons and the branch misses of
// the passes that were asked for.
struct PageChart {
    const char* kind;   // data-chart, and the switch's value
    const char* label;  // in the switch
    bool (*shown)(const Report& report);
    void (*write)(std::ostream& out, const Report& report);
};

const PageChart kPageCharts[] = {
    {"time", "time", [](const Report&) { return true; },
     [](std::ostream& svg, const Report& report) {
         report.counts.size() > 1 ? WriteScalingChart(svg, report) : WriteShapeBarChart(svg, report);
     }},
    {"counts", "counted comparisons",
     [](const Report& report) { return report.settings.operations && report.counts.size() > 1; },
     WriteOperationsChart},
    {"branch-misses", "branch misses",
     [](const Report& report) { return report.settings.machineCounts && report.counts.size() > 1; },
     WriteBranchMissesChart},
};

std::vector<const PageChart*> ChartsOf(const Report* report) {
    std::vector<const PageChart*> charts;
    if (report)
        for (const PageChart& chart : kPageCharts)
            if (chart.shown(*report)) charts.push_back(&chart);
    return charts;
}

// The filter bar and the chart switch, hidden until the script shows them:
// without scripts they would do nothing.
void WriteControls(std::ostream& out, const Report* report, const Comparison* comparison) {
    std::vector<std::string> shapes, sizes, types, contenders;
    if (report) {
        for (const std::string& pattern : report->patterns) AddOnce(shapes, pattern);
        for (const std::int32_t count : report->counts) AddOnce(sizes, std::to_string(count));
        for (const ElementType type : report->types) AddOnce(types, std::string(ElementTypeName(type)));
        for (const Measurement& row : report->rows) AddOnce(contenders, row.contender.name);
    }
    if (comparison)
        for (const CellComparison& cell : comparison->cells) {
            AddOnce(shapes, cell.pattern);
            AddOnce(sizes, std::to_string(cell.count));
            AddOnce(types, cell.type);
            AddOnce(contenders, cell.name);
        }
    out << "<form id=\"controls\" hidden=\"hidden\">\n";
    WriteSelect(out, "filter-shape", "Shape", shapes);
    WriteSelect(out, "filter-size", "Size", sizes);
    if (types.size() > 1) WriteSelect(out, "filter-type", "Type", types);
    WriteSelect(out, "filter-contender", "Contender", contenders);
    const std::vector<const PageChart*> charts = ChartsOf(report);
    if (charts.size() > 1) {
        out << "<span>Chart:";
        for (const PageChart* chart : charts)
            out << " <label><input type=\"radio\" name=\"chart\" value=\"" << chart->kind << '"'
                << (chart == charts.front() ? " checked=\"checked\"" : "") << "/> " << chart->label << "</label>";
        out << "</span>\n";
    }
    out << "</form>\n";
}

void WriteCharts(std::ostream& out, const Report& report) {
    out << "<h2>Charts</h2>\n";
    for (const PageChart* chart : ChartsOf(&report))
        WriteFigure(out, chart->kind, [&](std::ostream& svg) { chart->write(svg, report); });
}

// A row of one cell's table: every text cell with its CSV value to sort
// by; a row without figures has its reason across the figure columns.
void WriteCellRow(std::ostream& out, const RowContext& row, const std::vector<const Column*>& columns,
                  std::size_t order) {
    const std::vector<std::string> cells = TextCells(row, columns);
    const std::vector<std::string> values = FieldValues(row, columns);
    out << "<tr data-order=\"" << order << "\" data-contender=\"" << Html(row.row.contender.name) << '"'
        << (row.figures.failed ? " class=\"unfinished\"" : "") << '>';
    out << "<td data-v=\"" << Html(values[0]) << "\">" << Html(cells[0]) << "</td>";
    if (row.figures.failed) {
        out << "<td colspan=\"" << columns.size() - 1 << "\">" << Html(cells[1]) << "</td>";
    } else {
        for (std::size_t k = 1; k < cells.size(); ++k)
            out << "<td data-v=\"" << Html(values[k]) << "\">" << Html(cells[k]) << "</td>";
    }
    out << "</tr>\n";
}

void WriteHeadings(std::ostream& out, const std::vector<std::string>& headings) {
    out << "<thead><tr>";
    for (std::size_t k = 0; k < headings.size(); ++k)
        out << "<th data-column=\"" << k << "\" aria-sort=\"none\">" << Html(headings[k]) << "</th>";
    out << "</tr></thead>\n";
}

// One table per cell: type, shape and size, in the order measured.
void WriteCellTable(std::ostream& out, const Report& report, const std::string& pattern, std::int32_t count,
                    ElementType type) {
    const std::vector<const Column*> columns = TextColumns(report);
    const std::vector<const Measurement*> rows = CellRows(report, pattern, count, type);
    if (rows.empty()) return;
    out << "<section class=\"cell\" data-pattern=\"" << Html(pattern) << "\" data-count=\"" << count
        << "\" data-type=\"" << ElementTypeName(type) << "\">\n<h3>" << Html(CellHeading(report, pattern, count, type))
        << "</h3>\n<table data-group=\"cells\">\n";
    WriteHeadings(out, Headings(columns));
    out << "<tbody>\n";
    for (std::size_t k = 0; k < rows.size(); ++k) WriteCellRow(out, ContextOf(report, *rows[k]), columns, k);
    // Open from the start: without scripts, a closed one would hide it.
    out << "</tbody></table>\n<details class=\"runs\" open=\"open\"><summary>runs</summary>\n"
        << InlineSvg([&](std::ostream& svg) { WriteRunStrip(svg, report, rows); }) << "</details>\n</section>\n";
}

void WriteCellTables(std::ostream& out, const Report& report) {
    out << "<h2>Cells</h2>\n";
    for (const ElementType type : report.types)
        for (const std::string& pattern : report.patterns)
            for (const std::int32_t count : report.counts) WriteCellTable(out, report, pattern, count, type);
}

// Where each contender stands overall, first on the page: a row per
// contender, sortable, and hidden with the others by the contender filter.
void WriteSummary(std::ostream& out, const Report& report) {
    out << "<h2>Overall</h2>\n<p class=\"summary-caption\">" << Html(SummaryCaption(report)) << "</p>\n";
    if (!HasBaseline(report)) return;
    out << "<table data-group=\"summary\" class=\"summary\">\n";
    WriteHeadings(out, SummaryHeadings());
    out << "<tbody>\n";
    const std::vector<ContenderSummary> summaries = Summaries(report);
    for (std::size_t k = 0; k < summaries.size(); ++k) {
        const ContenderSummary& s = summaries[k];
        const std::vector<SummaryCell> cells = SummaryCells(report, s);
        out << "<tr data-order=\"" << k << "\" data-contender=\"" << Html(s.name) << "\">";
        for (std::size_t c = 0; c < cells.size(); ++c)
            out << "<td" << (c == 0 ? " class=\"text\"" : "") << " data-v=\"" << Html(cells[c].key) << "\">"
                << Html(cells[c].text) << "</td>";
        out << "</tr>\n";
    }
    out << "</tbody></table>\n";
}

// verdict-faster, verdict-no-significant-change: the class of a verdict's colour.
std::string VerdictClass(Verdict verdict) {
    std::string name = VerdictName(verdict);
    std::replace(name.begin(), name.end(), ' ', '-');
    return "verdict-" + name;
}

// The class of a comparison's cell, which the page's style and script read.
const char* CellClass(ComparisonColumn::Role role) {
    switch (role) {
        case ComparisonColumn::Role::kData: return " class=\"text\"";
        case ComparisonColumn::Role::kChange: return " class=\"change\"";
        case ComparisonColumn::Role::kVerdict: return " class=\"verdict text\"";
        case ComparisonColumn::Role::kName:
        case ComparisonColumn::Role::kFigure: break;
    }
    return "";
}

void WriteComparison(std::ostream& out, const Comparison& comparison) {
    out << "<h2>Comparison</h2>\n<p>" << Html(ComparisonLine(comparison)) << "</p>\n";
    for (const std::string& warning : comparison.warnings) out << "<p class=\"warning\">" << Html(warning) << "</p>\n";
    out << "<table data-group=\"comparison\" class=\"comparison\">\n";
    const std::vector<const ComparisonColumn*> columns = ComparisonColumns(comparison);
    WriteHeadings(out, ComparisonHeadings(columns));
    out << "<tbody>\n";
    for (std::size_t k = 0; k < comparison.cells.size(); ++k) {
        const CellComparison& c = comparison.cells[k];
        out << "<tr data-order=\"" << k << "\" class=\"" << VerdictClass(c.verdict) << "\" data-contender=\""
            << Html(c.name) << "\" data-pattern=\"" << Html(c.pattern) << "\" data-count=\"" << c.count
            << "\" data-type=\"" << Html(c.type) << "\">";
        for (const ComparisonColumn* column : columns)
            out << "<td" << CellClass(column->role) << " data-v=\"" << Html(column->value(c)) << "\">"
                << Html(column->text(comparison, c)) << "</td>";
        out << "</tr>\n";
    }
    out << "</tbody></table>\n";
    if (!comparison.overall.empty()) {
        out << "<p>" << Html(OverallChangeCaption()) << "</p>\n<ul class=\"overall\">\n";
        for (const OverallChange& overall : comparison.overall)
            out << "<li data-contender=\"" << Html(overall.name) << "\">" << Html(OverallChangeLine(overall)) << "</li>\n";
        out << "</ul>\n";
    }
    WriteFigure(out, "comparison", [&](std::ostream& svg) { WriteComparisonChart(svg, comparison); });
}

void WritePage(std::ostream& out, const Report* report, const Comparison* comparison) {
    out << kHead;
    if (report) WriteContext(out, *report);
    WriteControls(out, report, comparison);
    if (report && IsMatrix(*report)) WriteSummary(out, *report);
    if (comparison) WriteComparison(out, *comparison);
    if (report) {
        WriteCharts(out, *report);
        WriteCellTables(out, *report);
    }
    out << kScript << "</body>\n</html>\n";
}

}  // namespace

void WriteHtml(std::ostream& out, const Report& report) {
    WritePage(out, &report, nullptr);
}

void WriteComparedHtml(std::ostream& out, const Report* report, const Comparison& comparison) {
    WritePage(out, report, &comparison);
}
