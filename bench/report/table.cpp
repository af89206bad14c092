// The aligned console table: names left-aligned, figures right-aligned; in
// the matrix form one block per shape and size.
#include <algorithm>
#include <string>

#include "bench/measure/reference_sorts.h"
#include "bench/report/format.h"
#include "bench/report/markup.h"
#include "bench/report/operations_figures.h"
#include "bench/report/writers.h"

namespace {

std::vector<std::string> TableColumns(const Report& report) {
    std::vector<std::string> columns = {"Routine", "min", "median", "mean +- sd",
                                        "max", "ns/element", "vs " + std::string(kBaselineName)};
    if (report.settings.operations)
        columns.insert(columns.end(), OperationColumns().begin(), OperationColumns().end());
    return columns;
}

std::vector<std::string> TableCells(const Report& report, const Measurement& row) {
    const RowFigures f = Figures(report, row);
    if (f.failed) return {RowName(row), Unfinished(report, row)};
    const Summary& s = f.summary;
    // The spread as a share of the mean: one unit per cell, whatever the scale.
    const std::string spread = Fixed(s.mean > 0 ? 100 * s.stddev / s.mean : 0, 1) + "%";
    std::vector<std::string> cells = {RowName(row), Duration(s.min), Duration(s.median),
                                      Duration(s.mean) + " +- " + spread, Duration(s.max), Fixed(f.nsPerElement, 2),
                                      RatioText(f)};
    if (report.settings.operations) {
        const std::vector<std::string> counted = OperationCells(report, row);
        cells.insert(cells.end(), counted.begin(), counted.end());
    }
    return cells;
}

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

// The rows of one shape and size, in the order measured.
std::vector<const Measurement*> CellRows(const Report& report, const std::string& pattern, std::int32_t count) {
    std::vector<const Measurement*> rows;
    for (const Measurement& row : report.rows)
        if (row.pattern == pattern && row.count == count) rows.push_back(&row);
    return rows;
}

}  // namespace

void WriteTable(std::ostream& out, const Report& report) {
    std::vector<std::vector<std::string>> lines = {TextColumns()};
    for (const Measurement& row : report.rows) lines.push_back(TextCells(report, row));
    out << Printable(SettingsLine(report)) << "\n\n";
    WriteAligned(out, lines);
    for (const std::string& note : report.notes) out << Printable(note) << '\n';
}

void WriteMatrixTable(std::ostream& out, const Report& report) {
    out << Printable(SettingsLine(report)) << '\n';
    for (const std::string& pattern : report.patterns) {
        for (const std::int32_t count : report.counts) {
            out << '\n' << Printable(pattern) << ", " << count << " values\n";
            std::vector<std::vector<std::string>> lines = {TableColumns(report)};
            for (const Measurement* row : CellRows(report, pattern, count)) lines.push_back(TableCells(report, *row));
            WriteAligned(out, lines);
        }
    }
    for (const std::string& note : report.notes) out << Printable(note) << '\n';
}
