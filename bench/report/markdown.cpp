// GitHub-flavoured markdown tables, as pasted into README.md; the matrix
// pivoted with routines down and shapes or sizes across.
#include <algorithm>
#include <string>

#include "bench/measure/reference_sorts.h"
#include "bench/report/columns.h"
#include "bench/report/format.h"
#include "bench/report/machine_figures.h"
#include "bench/report/markup.h"
#include "bench/report/operations_figures.h"
#include "bench/report/summary.h"
#include "bench/report/writers.h"

namespace {

using CellText = std::string (*)(const Report& report, const Measurement& row);

std::string TimeCell(const Report& report, const Measurement& row) {
    const RowFigures f = Figures(report, row);
    if (f.failed) return Unfinished(report, row);
    return Duration(f.summary.median) + " (" + RatioText(f) + ")";
}

// Comparisons per element and the deepest recursion; a comparator sees no
// recursion, so references show the comparisons alone.
std::string OperationsCell(const Report& report, const Measurement& row) {
    const RowFigures timed = Figures(report, row);
    if (timed.failed) return Unfinished(report, row);
    const OperationFigures f = Operations(report, row);
    if (!f.counted) return f.why;
    const std::string comparisons = Fixed(f.comparisonsPerElement, 2);
    if (!f.counts.steps) return comparisons;
    return comparisons + " / " + std::to_string(f.counts.depth) + (f.overWindowStack ? " (stack!)" : "");
}

// Instructions, mispredicted conditional branches and first-level data
// misses, each per element.
std::string MachineCell(const Report& report, const Measurement& row) {
    const RowFigures timed = Figures(report, row);
    if (timed.failed) return Unfinished(report, row);
    const MachineFigures f = Machine(report, row);
    if (!f.counted) return f.why;
    return Fixed(f.instructionsPerElement, 1) + " / " + Fixed(f.branchMissesPerElement, 2) + " / " +
           Fixed(f.firstLevelMissesPerElement, 3);
}

// One markdown table: a row per contender, a column per entry of across,
// each cell found by find and written by text.
template <typename Key, typename Find>
void WritePivot(std::ostream& out, const Report& report, const std::vector<Key>& across,
                const std::vector<std::string>& headings, CellText text, Find find) {
    std::vector<std::string> names;
    for (const Measurement& row : report.rows)
        if (std::find(names.begin(), names.end(), RowName(row)) == names.end()) names.push_back(RowName(row));
    std::vector<std::string> heading = {"Routine"};
    heading.insert(heading.end(), headings.begin(), headings.end());
    WriteMarkdownHeading(out, heading);
    for (const std::string& name : names) {
        std::vector<std::string> cells = {name};
        for (const Key& key : across) {
            const Measurement* row = find(name, key);
            cells.push_back(row == nullptr ? "" : text(report, *row));
        }
        WriteMarkdownRow(out, cells, cells.size());
    }
}

const Measurement* FindRow(const Report& report, const std::string& name, const std::string& pattern,
                           std::int32_t count, ElementType type) {
    for (const Measurement& row : report.rows)
        if (RowName(row) == name && row.pattern == pattern && row.count == count && row.type == type) return &row;
    return nullptr;
}

// ", u64" after a heading, where the report has types.
std::string TypeSuffix(const Report& report, ElementType type) {
    return HasTypes(report) ? std::string(", ") + ElementTypeName(type) : "";
}

}  // namespace

void WriteMarkdown(std::ostream& out, const Report& report) {
    const std::vector<const Column*> columns = TextColumns(report);
    out << MarkdownText(SettingsLine(report)) << "\n\n";
    WriteMarkdownHeading(out, Headings(columns));
    for (const Measurement& row : report.rows)
        WriteMarkdownRow(out, TextCells(ContextOf(report, row), columns), columns.size());
    for (const std::string& note : report.notes) out << '\n' << MarkdownText(note) << '\n';
}

namespace {

// The matrix pivoted for each type, one table per size, or one with the
// sizes across when there is one shape.
void WritePivots(std::ostream& out, const Report& report, CellText text) {
    for (const ElementType type : report.types) {
        if (report.patterns.size() == 1) {
            const std::string& pattern = report.patterns.front();
            std::vector<std::string> headings;
            for (const std::int32_t count : report.counts) headings.push_back(std::to_string(count));
            out << "\n" << MarkdownText(pattern + TypeSuffix(report, type)) << ":\n\n";
            WritePivot(out, report, report.counts, headings, text, [&](const std::string& name, std::int32_t count) {
                return FindRow(report, name, pattern, count, type);
            });
        } else {
            for (const std::int32_t count : report.counts) {
                out << "\n" << count << " values" << TypeSuffix(report, type) << ":\n\n";
                WritePivot(out, report, report.patterns, report.patterns, text,
                           [&](const std::string& name, const std::string& pattern) {
                               return FindRow(report, name, pattern, count, type);
                           });
            }
        }
    }
}

}  // namespace

void WriteMatrixMarkdown(std::ostream& out, const Report& report) {
    out << MarkdownText(SettingsLine(report)) << "\n\nMedian time per sort, and its ratio to " << kBaselineName
        << "'s in the same cell.\n";
    WritePivots(out, report, TimeCell);
    if (report.settings.operations) {
        out << "\nComparisons per element / deepest recursion, counted on the cell's first draw; "
               "(stack!) where the window's own stack of "
            << kWindowStackBytes / 1024 << " KiB would run out.\n";
        WritePivots(out, report, OperationsCell);
    }
    if (report.settings.machineCounts) {
        out << "\nInstructions / mispredicted branches / first-level data misses per element, counted by callgrind "
               "on the cell's first draw over simulated caches ("
            << SimulatedCachesText() << ").\n";
        WritePivots(out, report, MachineCell);
    }
    for (const std::string& note : report.notes) out << '\n' << MarkdownText(note) << '\n';
    out << '\n' << MarkdownText(SummaryCaption(report)) << "\n";
    if (!HasBaseline(report)) return;
    out << '\n';
    WriteMarkdownHeading(out, SummaryHeadings());
    for (const ContenderSummary& summary : Summaries(report)) {
        std::vector<std::string> texts;
        for (const SummaryCell& cell : SummaryCells(report, summary)) texts.push_back(cell.text);
        WriteMarkdownRow(out, texts, texts.size());
    }
}
