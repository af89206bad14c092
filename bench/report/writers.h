// The writers of a report, one per form; the table of forms
// (bench/export/forms.cpp) chooses among them. Each writes the whole of its form from the report's figures.
#pragma once

#include <ostream>
#include <vector>

#include "bench/report/report.h"

// One cell of the window's data: one row per contender.
void WriteTable(std::ostream& out, const Report& report);
void WriteJson(std::ostream& out, const Report& report);
// CSV in either form: the fields of the report's columns.
void WriteCsv(std::ostream& out, const Report& report);
void WriteMarkdown(std::ostream& out, const Report& report);
void WriteSvgChart(std::ostream& out, const Report& report);

// The matrix forms: the table grouped by shape and size, markdown
// pivoted, and the chart of time per element against size.
void WriteMatrixTable(std::ostream& out, const Report& report);
void WriteMatrixMarkdown(std::ostream& out, const Report& report);
void WriteScalingChart(std::ostream& out, const Report& report);
// The matrix's chart: with several sizes time per element against size,
// with counted operations comparisons / (n log2 n), with machine counts
// mispredicted branches per element; at one size the bars.
void WriteMatrixChart(std::ostream& out, const Report& report);
// At one size: a panel of bars per shape (and type), each naming its cell.
void WriteShapeBarChart(std::ostream& out, const Report& report);
// The runs of one cell's rows as a strip each: a dot per run (evenly
// spaced through their order where a page would hold too many), the
// median and its 95 % interval marked.
void WriteRunStrip(std::ostream& out, const Report& report, const std::vector<const Measurement*>& rows);
// With counted operations: comparisons / (n log2 n) against size.
void WriteOperationsChart(std::ostream& out, const Report& report);
// With machine counts: mispredicted branches per element against size.
void WriteBranchMissesChart(std::ostream& out, const Report& report);
