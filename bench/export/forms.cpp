#include "bench/export/forms.h"

#include <algorithm>
#include <cctype>
#include <iterator>

#include "bench/compare/comparison_report.h"
#include "bench/export/html.h"
#include "bench/measure/name_lists.h"
#include "bench/report/json.h"
#include "bench/report/writers.h"

namespace {

// The run's report in form, and a blank line before what follows it.
void WriteRunFirst(std::ostream& out, const Report* report, ReportFormat format) {
    if (report == nullptr) return;
    WriteReport(out, *report, format);
    out << '\n';
}

void ComparedTable(std::ostream& out, const Report* report, const Comparison& comparison, bool colour) {
    WriteRunFirst(out, report, ReportFormat::kTable);
    WriteComparisonTable(out, comparison, colour);
}

void ComparedMarkdown(std::ostream& out, const Report* report, const Comparison& comparison, bool) {
    WriteRunFirst(out, report, ReportFormat::kMarkdown);
    WriteComparisonMarkdown(out, comparison);
}

// One object: the comparison added to the report's.
void ComparedJson(std::ostream& out, const Report* report, const Comparison& comparison, bool) {
    nlohmann::json json = report ? ReportJson(*report) : nlohmann::json{{"schema_version", kReportSchemaVersion}};
    json["comparison"] = ComparisonJson(comparison);
    WriteJsonText(out, json);
}

// CSV is one table per file: the comparison's.
void ComparedCsv(std::ostream& out, const Report*, const Comparison& comparison, bool) {
    WriteComparisonCsv(out, comparison);
}

void ComparedHtml(std::ostream& out, const Report* report, const Comparison& comparison, bool) {
    WriteComparedHtml(out, report, comparison);
}

void ComparedChart(std::ostream& out, const Report*, const Comparison& comparison, bool) {
    WriteComparisonChart(out, comparison);
}

const ReportForm kForms[] = {
    {ReportFormat::kTable, "table", {"txt", nullptr}, WriteTable, WriteMatrixTable, ComparedTable},
    {ReportFormat::kJson, "json", {"json", nullptr}, WriteJson, WriteJson, ComparedJson},
    {ReportFormat::kCsv, "csv", {"csv", nullptr}, WriteCsv, WriteCsv, ComparedCsv},
    {ReportFormat::kMarkdown, "markdown", {"md", "markdown"}, WriteMarkdown, WriteMatrixMarkdown, ComparedMarkdown},
    {ReportFormat::kHtml, "html", {"html", "htm"}, WriteHtml, WriteHtml, ComparedHtml},
    {ReportFormat::kSvg, "svg", {"svg", nullptr}, WriteSvgChart, WriteMatrixChart, ComparedChart},
};

std::string Lowercase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

const ReportForm& FormOf(ReportFormat format) {
    return *std::find_if(std::begin(kForms), std::end(kForms),
                         [&](const ReportForm& form) { return form.format == format; });
}

std::optional<ReportFormat> FormatNamed(const std::string& name) {
    for (const ReportForm& form : kForms)
        if (name == form.name) return form.format;
    return std::nullopt;
}

std::optional<ReportFormat> FormatOfPath(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::nullopt;
    const std::string extension = Lowercase(path.substr(dot + 1));
    for (const ReportForm& form : kForms)
        for (const char* known : form.extensions)
            if (known != nullptr && extension == known) return form.format;
    return std::nullopt;
}

std::string FormNames() {
    std::vector<std::string> names;
    for (const ReportForm& form : kForms) names.push_back(form.name);
    return Listed(names);
}

std::string FormExtensions(std::optional<ReportFormat> only) {
    std::vector<std::string> extensions;
    for (const ReportForm& form : kForms)
        for (const char* extension : form.extensions)
            if (extension != nullptr && (!only || form.format == *only))
                extensions.push_back(std::string(".") + extension);
    return Listed(extensions);
}

void WriteReport(std::ostream& out, const Report& report, ReportFormat format) {
    const ReportForm& form = FormOf(format);
    (IsMatrix(report) ? form.matrix : form.window)(out, report);
}

void WriteComparedReport(std::ostream& out, const Report* report, const Comparison& comparison,
                         ReportFormat format, bool colour) {
    FormOf(format).compared(out, report, comparison, colour);
}
