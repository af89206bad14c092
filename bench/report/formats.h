// The output forms of a report, and the one place that picks the writer
// for a form: the window's forms for one cell of the window's data, the
// matrix forms otherwise.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "bench/report/report.h"

enum class ReportFormat { kTable, kJson, kCsv, kMarkdown };

// "table", "json", "csv" or "markdown".
std::optional<ReportFormat> FormatNamed(const std::string& name);
// From the file name's extension: .txt, .json, .csv, .md or .markdown.
std::optional<ReportFormat> FormatOfPath(const std::string& path);

void WriteReport(std::ostream& out, const Report& report, ReportFormat format);

// The bar chart of the medians at one size, time per element against size
// at several.
void WriteChart(std::ostream& out, const Report& report);
