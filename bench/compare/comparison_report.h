// The comparison in every output format, and the paired-bar chart.
#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "bench/compare/comparison.h"
#include "bench/report/report.h"

// Column headings and the cells of one compared cell, for the table and
// the markdown; "-" where a side has no figure. With machine counts on
// both sides of any cell, the exact changes of instructions and
// mispredicted branches come before the verdict.
std::vector<std::string> ComparisonColumns(const Comparison& comparison);
std::vector<std::string> ComparisonCells(const Comparison& comparison, const CellComparison& cell);
// The exact change of a count: "+1234 (+0.521%)", "0 (0.000%)".
std::string CountChangeText(std::uint64_t baseline, std::uint64_t current);
// What is compared with what, in one line.
std::string ComparisonLine(const Comparison& comparison);

// The aligned table; with colour, the change of a faster cell is green and
// of a slower one red (ANSI escapes, for a terminal).
void WriteComparisonTable(std::ostream& out, const Comparison& comparison, bool colour);
void WriteComparisonMarkdown(std::ostream& out, const Comparison& comparison);
void WriteComparisonCsv(std::ostream& out, const Comparison& comparison);
nlohmann::json ComparisonJson(const Comparison& comparison);

// Per cell a bar of the baseline's median over one of the current's, each
// with the 95 % interval of that median as whiskers, and the verdict.
void WriteComparisonChart(std::ostream& out, const Comparison& comparison);
