// The aligned console table: names left-aligned, figures right-aligned; in
// the matrix form one block per shape and size.
#include <algorithm>
#include <string>

#include "bench/measure/reference_sorts.h"
#include "bench/report/format.h"
#include "bench/report/markup.h"
#include "bench/report/writers.h"

namespace {

void WriteCells(std::ostream& out, const std::vector<std::string>& cells,
                const std::vector<std::size_t>& widths) {
    for (std::size_t k = 0; k < cells.size(); ++k) {
        const std::string padding(widths[k] - std::min(widths[k], cells[k].size()), ' ');
        out << (k == 0 ? cells[k] + padding : "  " + padding + cells[k]);
    }
    out << '\n';
}

// Columns on screen: UTF-8 continuation bytes take none.
std::size_t Width(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

const std::vector<std::string> kTableColumns = {"Routine", "min", "median", "mean +- sd",
                                                "max", "ns/element", "vs " + std::string(kBaselineName)};

std::vector<std::string> TableCells(const Report& report, const Measurement& row) {
    const RowFigures f = Figures(report, row);
    if (f.failed) return {RowName(row), Unfinished(report, row)};
    const Summary& s = f.summary;
    // The spread as a share of the mean: one unit per cell, whatever the scale.
    const std::string spread = Fixed(s.mean > 0 ? 100 * s.stddev / s.mean : 0, 1) + "%";
    return {RowName(row), Duration(s.min), Duration(s.median), Duration(s.mean) + " +- " + spread,
            Duration(s.max), Fixed(f.nsPerElement, 2), RatioText(f)};
}

void WriteAligned(std::ostream& out, const std::vector<std::vector<std::string>>& lines) {
    std::vector<std::size_t> widths(kTableColumns.size(), 0);
    for (const auto& cells : lines)
        for (std::size_t k = 0; k < cells.size(); ++k)
            // An unfinished row's reason spans the figure columns and sets no width.
            if (cells.size() == widths.size() || k == 0) widths[k] = std::max(widths[k], Width(cells[k]));
    for (const auto& cells : lines) {
        out << cells[0] << std::string(widths[0] - Width(cells[0]), ' ');
        for (std::size_t k = 1; k < cells.size(); ++k)
            out << "  " << (cells.size() == widths.size() ? std::string(widths[k] - Width(cells[k]), ' ') : "")
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
    std::vector<std::size_t> widths(TextColumns().size(), 0);
    for (const auto& cells : lines) {
        // A failed row's message spans the figure columns and sets no width.
        if (cells.size() < widths.size()) {
            widths[0] = std::max(widths[0], cells[0].size());
            continue;
        }
        for (std::size_t k = 0; k < cells.size(); ++k) widths[k] = std::max(widths[k], cells[k].size());
    }
    out << SettingsLine(report) << "\n\n";
    for (const auto& cells : lines) {
        if (cells.size() < widths.size())
            out << cells[0] << std::string(widths[0] - cells[0].size(), ' ') << "  " << cells[1] << '\n';
        else
            WriteCells(out, cells, widths);
    }
    for (const std::string& note : report.notes) out << note << '\n';
}

void WriteMatrixTable(std::ostream& out, const Report& report) {
    out << SettingsLine(report) << '\n';
    for (const std::string& pattern : report.patterns) {
        for (const std::int32_t count : report.counts) {
            out << '\n' << pattern << ", " << count << " values\n";
            std::vector<std::vector<std::string>> lines = {kTableColumns};
            for (const Measurement* row : CellRows(report, pattern, count)) lines.push_back(TableCells(report, *row));
            WriteAligned(out, lines);
        }
    }
    for (const std::string& note : report.notes) out << note << '\n';
}
