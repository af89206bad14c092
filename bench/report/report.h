// A finished measurement with its context, and the figures every report
// form derives from it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bench/measure/measurement.h"
#include "bench/measure/system_info.h"
#include "bench/report/outcomes.h"
#include "bench/stats/statistics.h"

struct Report {
    MeasureSettings settings;
    SystemInfo system;
    std::vector<Measurement> rows;
    std::vector<std::string> notes;  // optional references this build lacks
    std::vector<std::string> patterns = {"window"};  // the shapes measured, in order
    std::vector<std::int32_t> counts;                // the sizes measured, ascending
    std::vector<ElementType> types = {ElementType::kI32};  // the element types measured, in order
};

// Whether the report measured any other element type than int32_t: its
// cells then say their type.
bool HasTypes(const Report& report);

// A cell's place as the table and markdown head it: "random, 1000 values",
// with ", u64" where the report has types.
std::string CellHeading(const Report& report, const std::string& pattern, std::int32_t count, ElementType type);

// Whether the report is a matrix of shapes and sizes rather than the
// window's data at one size, which keeps the original report forms. Counted
// operations and machine counts have their columns in the matrix forms only.
bool IsMatrix(const Report& report);

struct RowFigures {
    bool failed = false;
    Summary summary;          // milliseconds
    double throughput = 0;    // million sorted elements per second at the median
    double nsPerElement = 0;  // median over the sorted slots
    std::optional<double> ratio;  // median over the median of std::sort in the same cell
};

RowFigures Figures(const Report& report, const Measurement& row);

// std::sort's row in the same cell (shape, size and type) as cell, which
// every ratio is taken against; nullptr where it was not measured.
const Measurement* BaselineRow(const Report& report, const Measurement& cell);

// Why a row has no figures: CheckText of its failed check, "stack
// exhausted", "over 10 s", "predicted over 10 s (about 312 s)", or how its
// process crashed; empty for a row with figures.
std::string Unfinished(const Report& report, const Measurement& row);

// Unfinished as a sentence of its own: a failed check says it was the
// order check ("order check failed at slot N").
std::string FailureText(const Report& report, const Measurement& row);

// How the data of the sorts was drawn: "a new draw every sort below
// 1000000 values", or with --same-data "the seed's data every sort".
std::string DrawsText(const MeasureSettings& settings);

// What was measured where, in one line.
std::string SettingsLine(const Report& report);
