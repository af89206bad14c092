#include "bench/report/markup.h"

#include "bench/report/format.h"

std::string RowName(const Measurement& row) {
    if (!row.contender.reference) return row.contender.name;
    if (row.contender.threads > 1)
        return row.contender.name + " (reference, " + std::to_string(row.contender.threads) + " threads)";
    return row.contender.name + " (reference)";
}

std::string RatioText(const RowFigures& figures) {
    return figures.ratio ? Fixed(*figures.ratio, 2) + "x" : "-";
}

void WriteMarkdownRow(std::ostream& out, const std::vector<std::string>& cells, std::size_t columns) {
    out << '|';
    for (std::size_t k = 0; k < columns; ++k) out << ' ' << (k < cells.size() ? MarkdownText(cells[k]) : "") << " |";
    out << '\n';
}

void WriteMarkdownHeading(std::ostream& out, const std::vector<std::string>& headings) {
    WriteMarkdownRow(out, headings, headings.size());
    out << "|---|";
    for (std::size_t k = 1; k < headings.size(); ++k) out << "---:|";
    out << '\n';
}
