// The writers of a report, one per form; WriteReport and WriteChart choose
// among them. Each writes the whole of its form from the report's figures.
#pragma once

#include <ostream>

#include "bench/report/report.h"

// One cell of the window's data: one row per contender.
void WriteTable(std::ostream& out, const Report& report);
void WriteJson(std::ostream& out, const Report& report);
void WriteCsv(std::ostream& out, const Report& report);
void WriteMarkdown(std::ostream& out, const Report& report);
void WriteSvgChart(std::ostream& out, const Report& report);

// The matrix forms: the table grouped by shape and size, long-form CSV,
// markdown pivoted, and the chart of time per element against size.
void WriteMatrixTable(std::ostream& out, const Report& report);
void WriteMatrixCsv(std::ostream& out, const Report& report);
void WriteMatrixMarkdown(std::ostream& out, const Report& report);
void WriteScalingChart(std::ostream& out, const Report& report);
// With counted operations: comparisons / (n log2 n) against size.
void WriteOperationsChart(std::ostream& out, const Report& report);
