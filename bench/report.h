// A finished measurement with its context, the figures every reporter
// derives from it, and the choice of output format.
#pragma once

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
};

struct RowFigures {
    bool failed = false;
    Summary summary;          // milliseconds
    double throughput = 0;    // million sorted elements per second at the median
    std::optional<double> ratio;  // median over the median of std::sort
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
// What was measured where, in one line.
std::string SettingsLine(const Report& report);

void WriteReport(std::ostream& out, const Report& report, ReportFormat format);

// The reporters, one per format, and the chart.
void WriteTable(std::ostream& out, const Report& report);
void WriteJson(std::ostream& out, const Report& report);
void WriteCsv(std::ostream& out, const Report& report);
void WriteMarkdown(std::ostream& out, const Report& report);
void WriteSvgChart(std::ostream& out, const Report& report);

// A CSV field, quoted (RFC 4180) when it holds a comma, quote or line break.
std::string Quoted(const std::string& field);

// "%.*f" of value, for the text formats.
std::string Fixed(double value, int decimals);
