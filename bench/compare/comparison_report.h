// The comparison in every output format, and the paired-bar chart.
#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "bench/compare/comparison.h"
#include "bench/report/report.h"

// One column of a comparison in the text forms and the page: its heading,
// a compared cell's text ("-" where a side has no figure), the figure the
// page sorts it by (empty where there is none), and how it is shown.
struct ComparisonColumn {
    enum class Role {
        kName,    // read from the left
        kData,    // the shape and size, read from the left
        kFigure,  // read from the right
        kChange,  // a figure, painted with the verdict's colour
        kVerdict, // read from the left, last
    };
    const char* heading;
    std::string (*text)(const Comparison& comparison, const CellComparison& cell);
    std::string (*value)(const CellComparison& cell);
    Role role;
    bool machine;  // shown only when a cell has machine counts on both sides

    bool left() const { return role == Role::kName || role == Role::kData || role == Role::kVerdict; }
};

// The comparison's columns, in order: with machine counts on both sides of
// any cell, the exact changes of instructions and mispredicted branches
// come before the verdict.
std::vector<const ComparisonColumn*> ComparisonColumns(const Comparison& comparison);
std::vector<std::string> ComparisonHeadings(const std::vector<const ComparisonColumn*>& columns);
std::vector<std::string> ComparisonCells(const Comparison& comparison, const CellComparison& cell,
                                         const std::vector<const ComparisonColumn*>& columns);
// The exact change of a count: "+1234 (+0.521%)", "0 (0.000%)".
std::string CountChangeText(std::uint64_t baseline, std::uint64_t current);
// What is compared with what, in one line.
std::string ComparisonLine(const Comparison& comparison);
// A contender's overall change in one line, its interval in the same
// direction: "libmine.so: 3.1% faster overall [1.2, 5.0] over 18 cells";
// an interval reaching across no change names both its ends:
// "no change overall [0.4% slower, 1.1% faster]".
std::string OverallChangeLine(const OverallChange& overall);
// What the overall lines are, for the line above them.
std::string OverallChangeCaption();

// The aligned table; with colour, the change of a faster cell is green and
// of a slower one red (ANSI escapes, for a terminal).
void WriteComparisonTable(std::ostream& out, const Comparison& comparison, bool colour);
void WriteComparisonMarkdown(std::ostream& out, const Comparison& comparison);
void WriteComparisonCsv(std::ostream& out, const Comparison& comparison);
nlohmann::json ComparisonJson(const Comparison& comparison);

// Per cell a bar of the baseline's median over one of the current's, each
// with the 95 % interval of that median as whiskers, and the verdict.
void WriteComparisonChart(std::ostream& out, const Comparison& comparison);
