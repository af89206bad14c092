// The aligned console table: names left-aligned, figures right-aligned.
#include <algorithm>

#include "bench/report.h"

namespace {

void WriteCells(std::ostream& out, const std::vector<std::string>& cells,
                const std::vector<std::size_t>& widths) {
    for (std::size_t k = 0; k < cells.size(); ++k) {
        const std::string padding(widths[k] - std::min(widths[k], cells[k].size()), ' ');
        out << (k == 0 ? cells[k] + padding : "  " + padding + cells[k]);
    }
    out << '\n';
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
