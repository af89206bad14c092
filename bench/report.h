// A finished measurement with its context, the figures every reporter
// derives from it, and the choice of output format.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "bench/runner.h"
#include "bench/statistics.h"
#include "bench/system_info.h"

struct Report {
    MeasureSettings settings;
    SystemInfo system;
    std::vector<Measurement> rows;
    std::vector<std::string> notes;  // optional references this build lacks
    std::vector<std::string> patterns = {"window"};  // the shapes measured, in order
    std::vector<std::int32_t> counts;                // the sizes measured, ascending
};

// Whether the report is a matrix of shapes and sizes rather than the
// window's data at one size, which keeps the original report forms.
bool IsMatrix(const Report& report);

struct RowFigures {
    bool failed = false;
    Summary summary;          // milliseconds
    double throughput = 0;    // million sorted elements per second at the median
    double nsPerElement = 0;  // median over the sorted slots
    std::optional<double> ratio;  // median over the median of std::sort in the same cell
};

RowFigures Figures(const Report& report, const Measurement& row);

enum class ReportFormat { kTable, kJson, kCsv, kMarkdown };

// "table", "json", "csv" or "markdown".
std::optional<ReportFormat> FormatNamed(const std::string& name);
// From the file name's extension: .txt, .json, .csv, .md or .markdown.
std::optional<ReportFormat> FormatOfPath(const std::string& path);

// Column headings and the cells of one row as the table and the markdown
// show them; a failed row has its name and the failure only.
const std::vector<std::string>& TextColumns();
std::vector<std::string> TextCells(const Report& report, const Measurement& row);
// Why a row has no figures: "failed at slot N", "stack exhausted",
// "over 10 s", "predicted over 10 s (about 312 s)", or how its process
// crashed; empty for a row with figures.
std::string Unfinished(const Report& report, const Measurement& row);

// What was measured where, in one line.
std::string SettingsLine(const Report& report);

void WriteReport(std::ostream& out, const Report& report, ReportFormat format);

// The reporters, one per format, and the chart.
void WriteTable(std::ostream& out, const Report& report);
void WriteJson(std::ostream& out, const Report& report);
void WriteCsv(std::ostream& out, const Report& report);
void WriteMarkdown(std::ostream& out, const Report& report);
void WriteSvgChart(std::ostream& out, const Report& report);
// The matrix forms: the table grouped by shape and size, long-form CSV,
// markdown pivoted, and the chart of time per element against size.
void WriteMatrixTable(std::ostream& out, const Report& report);
void WriteMatrixCsv(std::ostream& out, const Report& report);
void WriteMatrixMarkdown(std::ostream& out, const Report& report);
void WriteScalingChart(std::ostream& out, const Report& report);

// A duration in the unit that keeps three figures: "850 ns", "4.52 µs",
// "312.10 ms", "12.40 s".
std::string Duration(double milliseconds);

// text with &, <, > and " written as XML entities, for the charts.
std::string EscapedXml(const std::string& text);
// A CSV field, quoted (RFC 4180) when it holds a comma, quote or line break.
std::string CsvField(const std::string& field);

// "%.*f" of value, for the text formats.
std::string Fixed(double value, int decimals);
