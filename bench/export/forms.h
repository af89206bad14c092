// The output forms, each once: its name for --format, the file extensions
// that choose it for --export, and its writers of a run's report (in the
// window's form and the matrix's) and of a comparison. The option parser,
// the extension lookup and both dispatchers read the one table in
// forms.cpp, so a form reaches every output or none.
#pragma once

#include <array>
#include <optional>
#include <ostream>
#include <string>

#include "bench/compare/comparison.h"
#include "bench/report/report.h"

enum class ReportFormat { kTable, kJson, kCsv, kMarkdown, kHtml, kSvg };

struct ReportForm {
    ReportFormat format;
    const char* name;                          // --format's value
    std::array<const char*, 2> extensions;     // lowercase, without the dot; nullptr past the last
    void (*window)(std::ostream& out, const Report& report);  // one cell of the window's data
    void (*matrix)(std::ostream& out, const Report& report);  // shapes x sizes, or counted operations
    // The run's report when there is one (null for two saved reports)
    // with the comparison; colour only where standard output shows it.
    void (*compared)(std::ostream& out, const Report* report, const Comparison& comparison, bool colour);
};

const ReportForm& FormOf(ReportFormat format);

// By --format's value: "table", "json", "csv", "markdown", "html" or "svg".
std::optional<ReportFormat> FormatNamed(const std::string& name);
// From the file name's extension, in any case: .txt, .json, .csv, .md,
// .markdown, .html, .htm or .svg.
std::optional<ReportFormat> FormatOfPath(const std::string& path);

// Every form's name, "table, json, ... or svg", and every extension,
// ".txt, .json, ... or .svg", or those of one form only, for help and
// refusals.
std::string FormNames();
std::string FormExtensions(std::optional<ReportFormat> only = std::nullopt);

void WriteReport(std::ostream& out, const Report& report, ReportFormat format);
void WriteComparedReport(std::ostream& out, const Report* report, const Comparison& comparison,
                         ReportFormat format, bool colour);
