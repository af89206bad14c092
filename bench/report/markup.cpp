#include "bench/report/markup.h"

#include "bench/report/format.h"

const std::vector<std::string>& TextColumns() {
    static const std::vector<std::string> columns = {
        "Routine", "min ms", "median ms", "mean +- sd ms", "max ms", "Melem/s", "vs std::sort"};
    return columns;
}

std::vector<std::string> TextCells(const Report& report, const Measurement& row) {
    const std::string name = row.contender.name + (row.contender.reference ? " (reference)" : "");
    const RowFigures figures = Figures(report, row);
    if (figures.failed)
        return {name, "FAILED: " + FailureText(report, row)};
    const Summary& s = figures.summary;
    return {name,
            Fixed(s.min, 1),
            Fixed(s.median, 1),
            Fixed(s.mean, 1) + " +- " + Fixed(s.stddev, 1),
            Fixed(s.max, 1),
            Fixed(figures.throughput, 1),
            RatioText(figures)};
}

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
