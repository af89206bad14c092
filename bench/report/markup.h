// The cells the table formats share: the aligned table and markdown, in
// the window's form (one row per contender) and the matrix's.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "bench/report/report.h"

// A row's name in the matrix forms: a reference says so, and how many
// threads it sorts with when more than one.
std::string RowName(const Measurement& row);

// "1.23x", or "-" without a ratio.
std::string RatioText(const RowFigures& figures);

// One markdown table row of columns cells, empty past the cells given;
// every cell as MarkdownText, so that a | or a line break in a name read
// from a file adds no column and ends no row.
void WriteMarkdownRow(std::ostream& out, const std::vector<std::string>& cells, std::size_t columns);

// A markdown table's heading row and the rule under it: the first column
// left-aligned, the figures after it right-aligned.
void WriteMarkdownHeading(std::ostream& out, const std::vector<std::string>& headings);
