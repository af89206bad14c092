// GitHub-flavoured markdown tables, as pasted into README.md; the matrix
// pivoted with routines down and shapes or sizes across.
#include <algorithm>
#include <string>

#include "bench/measure/reference_sorts.h"
#include "bench/report/format.h"
#include "bench/report/markup.h"
#include "bench/report/writers.h"

namespace {

std::string MarkdownCell(const Report& report, const Measurement* row) {
    if (row == nullptr) return "";
    const RowFigures f = Figures(report, *row);
    if (f.failed) return Unfinished(report, *row);
    return Duration(f.summary.median) + " (" + RatioText(f) + ")";
}

// One markdown table: a row per contender, a column per entry of across,
// each cell found by find.
template <typename Key, typename Find>
void WritePivot(std::ostream& out, const Report& report, const std::vector<Key>& across, const std::vector<std::string>& headings, Find find) {
    std::vector<std::string> names;
    for (const Measurement& row : report.rows)
        if (std::find(names.begin(), names.end(), RowName(row)) == names.end()) names.push_back(RowName(row));
    std::vector<std::string> heading = {"Routine"};
    heading.insert(heading.end(), headings.begin(), headings.end());
    WriteMarkdownRow(out, heading, heading.size());
    out << "|---|";
    for (std::size_t k = 0; k < across.size(); ++k) out << "---:|";
    out << '\n';
    for (const std::string& name : names) {
        std::vector<std::string> cells = {name};
        for (const Key& key : across) cells.push_back(MarkdownCell(report, find(name, key)));
        WriteMarkdownRow(out, cells, cells.size());
    }
}

const Measurement* FindRow(const Report& report, const std::string& name, const std::string& pattern,
                           std::int32_t count) {
    for (const Measurement& row : report.rows)
        if (RowName(row) == name && row.pattern == pattern && row.count == count) return &row;
    return nullptr;
}

}  // namespace

void WriteMarkdown(std::ostream& out, const Report& report) {
    const std::vector<std::string>& columns = TextColumns();
    out << MarkdownText(SettingsLine(report)) << "\n\n";
    WriteMarkdownRow(out, columns, columns.size());
    out << "|---|";
    for (std::size_t k = 1; k < columns.size(); ++k) out << "---:|";
    out << '\n';
    for (const Measurement& row : report.rows) WriteMarkdownRow(out, TextCells(report, row), columns.size());
    for (const std::string& note : report.notes) out << '\n' << MarkdownText(note) << '\n';
}

void WriteMatrixMarkdown(std::ostream& out, const Report& report) {
    out << MarkdownText(SettingsLine(report)) << "\n\nMedian time per sort, and its ratio to " << kBaselineName
        << "'s in the same cell.\n";
    if (report.patterns.size() == 1) {
        const std::string& pattern = report.patterns.front();
        std::vector<std::string> headings;
        for (const std::int32_t count : report.counts) headings.push_back(std::to_string(count));
        out << "\n" << MarkdownText(pattern) << ":\n\n";
        WritePivot(out, report, report.counts, headings,
                   [&](const std::string& name, std::int32_t count) { return FindRow(report, name, pattern, count); });
    } else {
        for (const std::int32_t count : report.counts) {
            out << "\n" << count << " values:\n\n";
            WritePivot(out, report, report.patterns, report.patterns,
                       [&](const std::string& name, const std::string& pattern) {
                           return FindRow(report, name, pattern, count);
                       });
        }
    }
    for (const std::string& note : report.notes) out << '\n' << MarkdownText(note) << '\n';
}
