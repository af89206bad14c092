// The aligned console table: names left-aligned, figures right-aligned; in
// the matrix form one block per shape and size.
#include <algorithm>
#include <string>

#include "bench/report/columns.h"
#include "bench/report/format.h"
#include "bench/report/summary.h"
#include "bench/report/writers.h"

namespace {

// Names left-aligned, figures right-aligned, each column as wide as its
// widest cell in characters. A row with fewer cells than the heading (an
// unfinished row's reason spanning the figure columns) sets no width but
// its name's. Every cell is shown Printable: a name from a saved report can
// hold anything.
void WriteAligned(std::ostream& out, std::vector<std::vector<std::string>> lines) {
    const std::size_t columns = lines.front().size();
    std::vector<std::size_t> widths(columns, 0);
    for (auto& cells : lines)
        for (std::size_t k = 0; k < cells.size(); ++k) {
            cells[k] = Printable(cells[k]);
            if (cells.size() == columns || k == 0) widths[k] = std::max(widths[k], Characters(cells[k]));
        }
    for (const auto& cells : lines) {
        out << cells[0] << std::string(widths[0] - Characters(cells[0]), ' ');
        for (std::size_t k = 1; k < cells.size(); ++k)
            out << "  " << (cells.size() == columns ? std::string(widths[k] - Characters(cells[k]), ' ') : "")
                << cells[k];
        out << '\n';
    }
}

// The heading and the rows given, as aligned lines.
void WriteRows(std::ostream& out, const Report& report, const std::vector<const Measurement*>& rows) {
    const std::vector<const Column*> columns = TextColumns(report);
    std::vector<std::vector<std::string>> lines = {Headings(columns)};
    for (const Measurement* row : rows) lines.push_back(TextCells(ContextOf(report, *row), columns));
    WriteAligned(out, lines);
}

// Where each contender stands overall: the last lines, as a reader looks
// there first.
void WriteSummaryLines(std::ostream& out, const Report& report) {
    out << '\n' << Printable(SummaryCaption(report)) << '\n';
    if (!HasBaseline(report)) return;
    for (const ContenderSummary& summary : Summaries(report)) out << Printable(SummaryLine(report, summary)) << '\n';
}

}  // namespace

void WriteTable(std::ostream& out, const Report& report) {
    std::vector<const Measurement*> rows;
    for (const Measurement& row : report.rows) rows.push_back(&row);
    out << Printable(SettingsLine(report)) << "\n\n";
    WriteRows(out, report, rows);
    for (const std::string& note : report.notes) out << Printable(note) << '\n';
}

void WriteMatrixTable(std::ostream& out, const Report& report) {
    out << Printable(SettingsLine(report)) << '\n';
    for (const ElementType type : report.types) {
        for (const std::string& pattern : report.patterns) {
            for (const std::int32_t count : report.counts) {
                out << '\n' << Printable(CellHeading(report, pattern, count, type)) << '\n';
                WriteRows(out, report, CellRows(report, pattern, count, type));
            }
        }
    }
    for (const std::string& note : report.notes) out << Printable(note) << '\n';
    WriteSummaryLines(out, report);
}
