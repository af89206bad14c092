// A GitHub-flavoured markdown table, as pasted into README.md.
#include "bench/report.h"

namespace {

void WriteRow(std::ostream& out, const std::vector<std::string>& cells, std::size_t columns) {
    out << '|';
    for (std::size_t k = 0; k < columns; ++k) out << ' ' << (k < cells.size() ? cells[k] : "") << " |";
    out << '\n';
}

}  // namespace

void WriteMarkdown(std::ostream& out, const Report& report) {
    const std::vector<std::string>& columns = TextColumns();
    out << SettingsLine(report) << "\n\n";
    WriteRow(out, columns, columns.size());
    out << "|---|";
    for (std::size_t k = 1; k < columns.size(); ++k) out << "---:|";
    out << '\n';
    for (const Measurement& row : report.rows) WriteRow(out, TextCells(report, row), columns.size());
    for (const std::string& note : report.notes) out << '\n' << note << '\n';
}
