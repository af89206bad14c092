// The report forms of a matrix of shapes and sizes: the console table in
// one block per cell, long-form CSV with one line per row and every
// repetition, and markdown pivoted with routines down and shapes or sizes
// across.
#include <algorithm>
#include <string>

#include "bench/reference_sorts.h"
#include "bench/report.h"

namespace {

// Columns on screen: UTF-8 continuation bytes take none.
std::size_t Width(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string RowName(const Measurement& row) {
    if (!row.contender.reference) return row.contender.name;
    if (row.contender.threads > 1)
        return row.contender.name + " (reference, " + std::to_string(row.contender.threads) + " threads)";
    return row.contender.name + " (reference)";
}

std::string Ratio(const RowFigures& figures) {
    return figures.ratio ? Fixed(*figures.ratio, 2) + "x" : "-";
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
            Duration(s.max), Fixed(f.nsPerElement, 2), Ratio(f)};
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

std::string MarkdownCell(const Report& report, const Measurement* row) {
    if (row == nullptr) return "";
    const RowFigures f = Figures(report, *row);
    if (f.failed) return Unfinished(report, *row);
    return Duration(f.summary.median) + " (" + Ratio(f) + ")";
}

// One markdown table: a row per contender, a column per entry of across,
// each cell found by find.
template <typename Key, typename Find>
void WritePivot(std::ostream& out, const Report& report, const std::vector<Key>& across, const std::vector<std::string>& headings, Find find) {
    std::vector<std::string> names;
    for (const Measurement& row : report.rows)
        if (std::find(names.begin(), names.end(), RowName(row)) == names.end()) names.push_back(RowName(row));
    out << "| Routine |";
    for (const std::string& heading : headings) out << ' ' << heading << " |";
    out << "\n|---|";
    for (std::size_t k = 0; k < across.size(); ++k) out << "---:|";
    out << '\n';
    for (const std::string& name : names) {
        out << "| " << name << " |";
        for (const Key& key : across) out << ' ' << MarkdownCell(report, find(name, key)) << " |";
        out << '\n';
    }
}

const Measurement* FindRow(const Report& report, const std::string& name, const std::string& pattern,
                           std::int32_t count) {
    for (const Measurement& row : report.rows)
        if (RowName(row) == name && row.pattern == pattern && row.count == count) return &row;
    return nullptr;
}

}  // namespace

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

void WriteMatrixCsv(std::ostream& out, const Report& report) {
    out << "name,label,reference,threads,pattern,count,runs,batch,min_ms,median_ms,mean_ms,stddev_ms,"
           "max_ms,ns_per_element,ratio_to_std_sort,status,failed_slot,times_ms\n";
    for (const Measurement& row : report.rows) {
        const RowFigures f = Figures(report, row);
        out << CsvField(row.contender.name) << ',' << CsvField(row.contender.label) << ','
            << (row.contender.reference ? "true" : "false") << ',' << row.contender.threads << ','
            << row.pattern << ',' << row.count << ',' << row.times.size() << ',' << row.batch << ',';
        if (f.failed)
            out << ",,,,,,,";
        else
            out << Fixed(f.summary.min, 6) << ',' << Fixed(f.summary.median, 6) << ','
                << Fixed(f.summary.mean, 6) << ',' << Fixed(f.summary.stddev, 6) << ','
                << Fixed(f.summary.max, 6) << ',' << Fixed(f.nsPerElement, 3) << ','
                << (f.ratio ? Fixed(*f.ratio, 4) : "") << ',';
        out << CsvField(f.failed ? Unfinished(report, row) : "measured") << ','
            << (row.failedSlot != -1 ? std::to_string(row.failedSlot) : "") << ',';
        for (std::size_t k = 0; k < row.times.size(); ++k) out << (k ? " " : "") << Fixed(row.times[k], 6);
        out << '\n';
    }
}

void WriteMatrixMarkdown(std::ostream& out, const Report& report) {
    out << SettingsLine(report) << "\n\nMedian time per sort, and its ratio to " << kBaselineName
        << "'s in the same cell.\n";
    if (report.patterns.size() == 1) {
        const std::string& pattern = report.patterns.front();
        std::vector<std::string> headings;
        for (const std::int32_t count : report.counts) headings.push_back(std::to_string(count));
        out << "\n" << pattern << ":\n\n";
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
    for (const std::string& note : report.notes) out << '\n' << note << '\n';
}
